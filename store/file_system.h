// The file operations the store needs, behind a thin interface so that the same store runs on
// Windows, on POSIX and over an in-memory double that makes any single operation fail.
// Paths are Windows-1252 byte strings; each implementation converts them for its system.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace velmar {

// Result of one operation: success, or failure with the system's description of the error.
struct Esito {
    bool ok = true;
    std::string errore;

    static Esito Riuscito() { return {}; }
    static Esito Fallito(std::string descrizione) { return {false, std::move(descrizione)}; }
    explicit operator bool() const noexcept { return ok; }
};

class FileLettura {
  public:
    virtual ~FileLettura() = default;
    // Reads up to `capacita` bytes into `buffer`; `letti` is 0 at the end of the file.
    [[nodiscard]] virtual Esito Leggi(char* buffer, std::size_t capacita, std::size_t& letti) = 0;
};

class FileScrittura {
  public:
    virtual ~FileScrittura() = default;
    [[nodiscard]] virtual Esito Scrivi(std::string_view dati) = 0;
    // Closes the file; a failure here means the data may not be stored.
    [[nodiscard]] virtual Esito Chiudi() = 0;
};

enum class ModoScrittura { Tronca, Aggiungi };

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Folder separator of the system's paths.
    [[nodiscard]] virtual char Separatore() const noexcept = 0;
    // True for a complete path ("C:\x", "\\server\share" on Windows; "/x" on POSIX).
    [[nodiscard]] virtual bool PercorsoAssoluto(std::string_view percorso) const noexcept = 0;

    // Opens a file for reading. `assente` is set when the file (or its folder) does not exist;
    // the result is then a failure too.
    [[nodiscard]] virtual Esito ApriLettura(const std::string& percorso,
                                            std::unique_ptr<FileLettura>& file, bool& assente) = 0;
    // Opens a file for writing, creating it when absent.
    [[nodiscard]] virtual Esito ApriScrittura(const std::string& percorso, ModoScrittura modo,
                                              std::unique_ptr<FileScrittura>& file) = 0;
    [[nodiscard]] virtual bool CartellaEsiste(const std::string& percorso) = 0;
    // Puts `origine` in the place of `destinazione` in one step: at every instant the
    // destination is either its old content or the whole new one. `origine` is gone afterwards.
    [[nodiscard]] virtual Esito Sostituisci(const std::string& origine,
                                            const std::string& destinazione) = 0;
    [[nodiscard]] virtual Esito Elimina(const std::string& percorso) = 0;
    // Copies the bytes of `origine` into `destinazione` (created, or emptied first) and forces
    // the copy onto the disk. On failure the destination may hold part of the bytes.
    [[nodiscard]] virtual Esito Copia(const std::string& origine,
                                      const std::string& destinazione) = 0;
};

// The file system of the machine the program runs on.
FileSystem& FileSystemDiSistema();

}  // namespace velmar
