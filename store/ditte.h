// Reading the parameters file: the list of company codes and the lookup of one company.
// Each call reads the file anew, streaming it through a fixed-size buffer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
    std::vector<std::string>& Codici() noexcept { return codici_; }

private:
    std::vector<std::string> codici_;
};

// The last line whose field 5 equals the code decides description and server type;
// the last such line with a field 6 decides the machine.
class RicercaDitta {
public:
    explicit RicercaDitta(std::string_view codice) : codice_(codice) {}
    void Riga(std::string_view riga);
    RisultatoRicerca& Risultato() noexcept { return risultato_; }

private:
    std::string_view codice_;
    RisultatoRicerca risultato_;
};

// Path of a file directly inside a folder, with the file system's separator.
[[nodiscard]] std::string PercorsoIn(const FileSystem& fs, std::string_view cartella,
                                     std::string_view nome);

// Reads every line of a file into fn(std::string_view). `assente` tells a missing file.
// On failure the lines already passed stay passed: callers discard their result.
template <class Fn>
[[nodiscard]] Esito LeggiRigheFile(FileSystem& fs, const std::string& percorso, bool& assente,
                                   Fn&& fn);

// Codes of the parameters file in `cartellaBase`, in file order, duplicates and empty codes
// kept. A missing, unreadable or unavailable (empty or relative folder) file gives no codes.
[[nodiscard]] std::vector<std::string> LeggiDitte(FileSystem& fs, std::string_view cartellaBase);

// Lookup of `codice` (exact, case-sensitive) in the parameters file of `cartellaBase`.
// No match, or a file that cannot be read, gives the empty result.
[[nodiscard]] RisultatoRicerca CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                                          std::string_view codice);

// The same two over a whole text, for tests and fuzzing.
[[nodiscard]] std::vector<std::string> CodiciDaTesto(std::string_view testo);
[[nodiscard]] RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice);

// ---------------------------------------------------------------------------------------------

inline constexpr std::size_t kBufferLettura = 64 * 1024;

template <class Fn>
Esito LeggiRigheFile(FileSystem& fs, const std::string& percorso, bool& assente, Fn&& fn) {
    std::unique_ptr<FileLettura> file;
    assente = false;
    Esito e = fs.ApriLettura(percorso, file, assente);
    if (!e) return e;
    auto buffer = std::make_unique<char[]>(kBufferLettura);
    DivisoreRighe divisore;
    for (;;) {
        std::size_t letti = 0;
        e = file->Leggi(buffer.get(), kBufferLettura, letti);
        if (!e) return e;
        if (letti == 0) break;
        divisore.Aggiungi(std::string_view(buffer.get(), letti), fn);
    }
    divisore.Termina(fn);
    return Esito::Riuscito();
}

}  // namespace velmar
