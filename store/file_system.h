// The file operations the store needs, behind a thin interface so that the same store runs on
// Windows, on POSIX and over an in-memory double that makes any single operation fail.
// Paths are Windows-1252 byte strings; each implementation converts them for its system.
// Failures carry the system's own description of the error.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "store/risultato.h"

namespace velmar {

// What the file systems say of a path that is not the regular file expected.
inline constexpr std::string_view kAlPostoCartella = "al suo posto c'\xE8 una cartella";
inline constexpr std::string_view kNonFileRegolare = "non \xE8 un file regolare";
inline constexpr std::string_view kSolaLettura = "il file \xE8 di sola lettura";

class FileLettura {
  public:
    virtual ~FileLettura() = default;
    // Reads up to `capacita` bytes from byte `posizione` of the file into `buffer`: the bytes
    // read, 0 at or after the end of the file. Reads at any place, in any order.
    [[nodiscard]] virtual Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                                       std::size_t capacita) = 0;
    // The file's size when it was opened: a hint, since the file may change.
    [[nodiscard]] virtual std::uint64_t Dimensione() const noexcept = 0;
};

// Reads `capacita` bytes from byte `posizione` of `file` into `buffer`, in as many reads as it
// takes, or fewer where the file ends first: the bytes read.
[[nodiscard]] inline Risultato<std::size_t> LeggiIntero(FileLettura& file, std::uint64_t posizione,
                                                        char* buffer, std::size_t capacita) {
    std::size_t letti = 0;
    while (letti < capacita) {
        Risultato<std::size_t> n = file.Leggi(posizione + letti, buffer + letti, capacita - letti);
        if (!n)
            return n;
        if (*n == 0)
            break;
        letti += *n;
    }
    return letti;
}

class FileScrittura {
  public:
    virtual ~FileScrittura() = default;
    [[nodiscard]] virtual Esito Scrivi(std::string_view dati) = 0;
    // Closes the file; a failure here means the data may not be stored.
    [[nodiscard]] virtual Esito Chiudi() = 0;
};

// A lock held on a package: released when destroyed, and by the system when the process ends,
// however it ends.
class Blocco {
  public:
    virtual ~Blocco() = default;
};

// What a name stands for, following links.
enum class TipoVoce { Assente, File, Cartella, Altro };

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Folder separator of the system's paths.
    [[nodiscard]] virtual char Separatore() const noexcept = 0;
    // True for a complete path ("C:\x", "\\server\share" on Windows; "/x" on POSIX).
    [[nodiscard]] virtual bool PercorsoAssoluto(std::string_view percorso) const noexcept = 0;

    // Opens a regular file for reading; anything else (a folder, a pipe, a device) fails at
    // once, without waiting on it. Fails as Assente when the file (or its folder) does not exist.
    [[nodiscard]] virtual Risultato<std::unique_ptr<FileLettura>> ApriLettura(
        const std::string& percorso) = 0;
    [[nodiscard]] virtual TipoVoce Tipo(const std::string& percorso) = 0;

    // Takes the exclusive lock of the file `percorso` (created empty when absent, never written),
    // waiting up to `attesa` for another holder, in this process or any other, here or on
    // another machine sharing the folder. Fails as Occupato when it stayed held.
    [[nodiscard]] virtual Risultato<std::unique_ptr<Blocco>> Blocca(
        const std::string& percorso, std::chrono::milliseconds attesa) = 0;

    // Makes a new empty file at `percorso` and opens it for writing. Whatever stands at the
    // name (a file, a leftover, a link) is cleared first without ever following a link: a file
    // a link points to is never opened, moved or deleted. Fails when a folder stands there.
    [[nodiscard]] virtual Risultato<std::unique_ptr<FileScrittura>> CreaNuovo(
        const std::string& percorso) = 0;
    // Makes `destinazione` afresh as CreaNuovo does, copies the bytes of `origine` into it and
    // forces it onto the disk. It takes the permissions of `sostituendo`, the file it is meant
    // to replace, when that exists; a read-only `sostituendo` is refused before anything is
    // written. On failure the file it made is removed again.
    [[nodiscard]] virtual Esito Copia(const std::string& origine, const std::string& destinazione,
                                      const std::string& sostituendo) = 0;
    // Puts `origine` in the place of `destinazione` in one step: at every instant the
    // destination is either its old content or the whole new one. A link at `destinazione` is
    // replaced itself, never followed. `origine` is gone afterwards.
    [[nodiscard]] virtual Esito Sostituisci(const std::string& origine,
                                            const std::string& destinazione) = 0;
    [[nodiscard]] virtual Esito Elimina(const std::string& percorso) = 0;
};

// The file system of the machine the program runs on.
FileSystem& FileSystemDiSistema();

}  // namespace velmar
