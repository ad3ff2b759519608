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

// One company line as a listing gives it.
struct VoceDitta {
    std::string codice;                       // field 5
    std::string descrizione;                  // field 0
    TipoServer server = TipoServer::Nessuno;  // as the lookup reads field 4: NT or Linux
    std::optional<std::string> macchina;      // field 6; none on a line of six fields
    std::string catalogo;                     // field 1

    bool operator==(const VoceDitta&) const = default;
};

// Path of a file directly inside a folder, with the file system's separator.
[[nodiscard]] std::string PercorsoIn(const FileSystem& fs, std::string_view cartella,
                                     std::string_view nome);

inline constexpr std::string_view kCartellaNonDisponibile =
    "cartella del pacchetto non disponibile";
inline constexpr std::string_view kNonSiPuoLeggere = "non si pu\xF2 leggere";
inline constexpr std::string_view kNonPercorsoCompleto =
    "la cartella del pacchetto deve essere un percorso completo";

// The rule of a package's folder: a complete path (FileSystem::PercorsoAssoluto). Fails as
// CartellaNonDisponibile for an empty folder (kCartellaNonDisponibile) and for one that is not
// a complete path (kNonPercorsoCompleto, naming it).
[[nodiscard]] Esito CartellaUsabile(const FileSystem& fs, std::string_view cartella);

// The failure (Illeggibile) of the parameters file at `percorso`, which exists but could not be
// read for `causa`.
[[nodiscard]] Errore ParametriIlleggibili(std::string_view percorso, Errore causa);

// The failure of a code that no line carries: "Codice Ditta non trovato: '<codice>'".
[[nodiscard]] Errore DittaNonTrovata(std::string_view codice);

// Field 5 of every line with at least six fields, in file order, duplicates and empty codes
// kept. `capacita` is the read buffer's size (smaller only in tests).
[[nodiscard]] Risultato<std::vector<std::string>> LeggiCodici(
    FileLettura& file, std::size_t capacita = kBufferLettura);

// Every line with at least six fields, in file order, duplicates and empty codes kept.
[[nodiscard]] Risultato<std::vector<VoceDitta>> LeggiVoci(FileLettura& file,
                                                          std::size_t capacita = kBufferLettura);

// The company of `codice` (exact, case-sensitive, untrimmed) in `file`: the last line whose
// field 5 equals the code decides description and server type, the last such line with a field
// 6 decides the machine (empty when none has one). Fails as DittaNonTrovata when no line carries
// the code.
[[nodiscard]] Risultato<RisultatoRicerca> CercaCodice(FileLettura& file, std::string_view codice,
                                                      std::size_t capacita = kBufferLettura);

// Whether `file` holds at least one company's line (six fields or more). Reads up to the first.
[[nodiscard]] Risultato<bool> HaDitte(FileLettura& file);

// The two over the parameters file of the package in `cartellaBase`. A missing file has no
// lines. Fails as CartellaNonDisponibile when the folder is unavailable (empty or relative), as
// Illeggibile, naming the file and the reason, when the file exists but cannot be read.
[[nodiscard]] Risultato<std::vector<std::string>> LeggiDitte(FileSystem& fs,
                                                             std::string_view cartellaBase);
[[nodiscard]] Risultato<RisultatoRicerca> CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                                                     std::string_view codice);
// The same for LeggiVoci.
[[nodiscard]] Risultato<std::vector<VoceDitta>> LeggiElenco(FileSystem& fs,
                                                            std::string_view cartellaBase);

// The same two over a text at hand.
[[nodiscard]] std::vector<std::string> CodiciDaTesto(std::string_view testo,
                                                     std::size_t capacita = kBufferLettura);
[[nodiscard]] std::vector<VoceDitta> VociDaTesto(std::string_view testo,
                                                 std::size_t capacita = kBufferLettura);
[[nodiscard]] Risultato<RisultatoRicerca> CercaInTesto(std::string_view testo,
                                                       std::string_view codice,
                                                       std::size_t capacita = kBufferLettura);

}  // namespace velmar
