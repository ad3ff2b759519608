// Reading the parameters file: the list of company codes and the lookup of one company.
// Each call reads the file anew, line by line through a buffer of fixed size.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"
#include "store/record.h"
#include "store/righe.h"

namespace velmar {

inline constexpr std::string_view kNomeFileParametri = "BRIO_PARAMS.txt";

struct RisultatoRicerca {
    std::string descrizione;
    std::string macchina;
    TipoServer server = TipoServer::Nessuno;

    bool operator==(const RisultatoRicerca&) const = default;
};

// Path of a file directly inside a folder, with the file system's separator.
[[nodiscard]] std::string PercorsoIn(const FileSystem& fs, std::string_view cartella,
                                     std::string_view nome);

// Why `cartella` cannot be a package's folder (empty, or not a complete path), or nothing.
[[nodiscard]] std::optional<std::string_view> CartellaNonUsabile(const FileSystem& fs,
                                                                 std::string_view cartella);
// The same as a failure that names the folder.
[[nodiscard]] Esito CartellaUsabile(const FileSystem& fs, std::string_view cartella);

// Field 5 of every line with at least six fields, in file order, duplicates and empty codes
// kept, appended to `codici`. `capacita` is the read buffer's size (smaller only in tests).
[[nodiscard]] Esito LeggiCodici(FileLettura& file, std::vector<std::string>& codici,
                                std::size_t capacita = kBufferLettura);

// The company of `codice` (exact, case-sensitive, untrimmed) in `file` into `ditta`, which
// starts empty: the last line whose field 5 equals the code decides description and server
// type, the last such line with a field 6 decides the machine. No match leaves it empty.
[[nodiscard]] Esito CercaCodice(FileLettura& file, std::string_view codice, RisultatoRicerca& ditta,
                                std::size_t capacita = kBufferLettura);

// Whether `file` holds at least one company's line (six fields or more): `trovata`. Reads up to
// the first one.
[[nodiscard]] Esito CercaPrimaDitta(FileLettura& file, bool& trovata);

// The two over the parameters file of the package in `cartellaBase`. A missing file has no
// lines. Fails, with no codes or the empty result, when the folder is unavailable (empty or
// relative) or the file exists but cannot be read; the failure names the file and the reason.
[[nodiscard]] Esito LeggiDitte(FileSystem& fs, std::string_view cartellaBase,
                               std::vector<std::string>& codici);
[[nodiscard]] Esito CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                               std::string_view codice, RisultatoRicerca& ditta);

// The same two over a text at hand.
[[nodiscard]] std::vector<std::string> CodiciDaTesto(std::string_view testo,
                                                     std::size_t capacita = kBufferLettura);
[[nodiscard]] RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice,
                                            std::size_t capacita = kBufferLettura);

}  // namespace velmar
