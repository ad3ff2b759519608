// Reading the parameters file: the list of company codes and the lookup of one company.
// Each call reads the file anew, streaming it through a fixed-size buffer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/elenco_codici.h"
#include "store/file_system.h"
#include "store/righe.h"
#include "store/record.h"

namespace velmar {

inline constexpr std::string_view kNomeFileParametri = "BRIO_PARAMS.txt";

struct RisultatoRicerca {
    std::string descrizione;
    std::string macchina;
    TipoServer server = TipoServer::Nessuno;

    bool operator==(const RisultatoRicerca&) const = default;
};

// Collects field 5 of every line with at least six fields, in order.
class RaccoltaCodici {
  public:
    void Riga(std::string_view riga);
    // All the lines of a block (see PerOgniRiga).
    void Blocco(std::string_view blocco);
    ElencoCodici& Codici() noexcept { return codici_; }

  private:
    ElencoCodici codici_;
};

// The last line whose field 5 equals the code decides description and server type;
// the last such line with a field 6 decides the machine.
class RicercaDitta {
  public:
    explicit RicercaDitta(std::string_view codice);
    void Riga(std::string_view riga);
    // All the lines of a block (see PerOgniRiga); visits only the lines that can match.
    void Blocco(std::string_view blocco);
    RisultatoRicerca& Risultato() noexcept { return risultato_; }

  private:
    std::string_view codice_;
    std::string ago_;  // ";" + code: how field 5 of a matching line begins
    RisultatoRicerca risultato_;
};

// Path of a file directly inside a folder, with the file system's separator.
[[nodiscard]] std::string PercorsoIn(const FileSystem& fs, std::string_view cartella,
                                     std::string_view nome);

// Reads a file in blocks of whole lines into fn(std::string_view block). `assente` tells a
// missing file. On failure the blocks already passed stay passed: callers discard their result.
template <class Fn>
[[nodiscard]] Esito LeggiBlocchiFile(FileSystem& fs, const std::string& percorso, bool& assente,
                                     Fn&& fn) {
    std::unique_ptr<FileLettura> file;
    assente = false;
    const Esito e = fs.ApriLettura(percorso, file, assente);
    if (!e)
        return e;
    return LeggiBlocchi(*file, fn);
}

// Codes of the parameters file in `cartellaBase` into `codici`, in file order, duplicates and
// empty codes kept. A missing file has no codes. Fails, with no codes, when the folder is
// unavailable (empty or relative) or the file exists but cannot be read; the failure names
// the file and the reason.
[[nodiscard]] Esito LeggiDitte(FileSystem& fs, std::string_view cartellaBase, ElencoCodici& codici);

// Lookup of `codice` (exact, case-sensitive) in the parameters file of `cartellaBase` into
// `ditta`; no match, or a missing file, gives the empty result. Fails as LeggiDitte does, with
// the empty result.
[[nodiscard]] Esito CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                               std::string_view codice, RisultatoRicerca& ditta);

// The same two over a whole text, for tests and fuzzing.
[[nodiscard]] ElencoCodici CodiciDaTesto(std::string_view testo);
[[nodiscard]] RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice);

}  // namespace velmar
