// An in-memory file system for the store's tests: Windows-style paths ("C:\..."), and a
// switch that makes one chosen operation fail, counting every operation in call order.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "store/file_system.h"

namespace velmar::test {

class FileSystemMemoria final : public FileSystem {
  public:
    std::map<std::string, std::string> file;
    std::set<std::string> cartelle;
    // Number of the operation that fails (0 = the first one); negative: none fails.
    long fallisci = -1;
    // Operations counted so far, and a description of each ("Scrivi C:\x").
    long operazioni = 0;
    std::vector<std::string> registro;
    // Paths that open for reading but fail on the first read (a locked or damaged file).
    std::set<std::string> illeggibili;
    // Lock files held by another save for as long as the test wants.
    std::set<std::string> bloccati;

    char Separatore() const noexcept override { return '\\'; }
    bool PercorsoAssoluto(std::string_view p) const noexcept override {
        return p.size() >= 3 && p[1] == ':' && p[2] == '\\';
    }

    Risultato<std::unique_ptr<FileLettura>> ApriLettura(const std::string& percorso) override;
    TipoVoce Tipo(const std::string& percorso) override;
    Risultato<std::unique_ptr<Blocco>> Blocca(const std::string& percorso,
                                              std::chrono::milliseconds attesa) override;
    Risultato<std::unique_ptr<FileScrittura>> CreaNuovo(const std::string& percorso) override;
    Esito Copia(const std::string& origine, const std::string& destinazione,
                const std::string& sostituendo) override;
    Esito Sostituisci(const std::string& origine, const std::string& destinazione) override;
    Esito Elimina(const std::string& percorso) override;

    // Counts one operation; true when this one must fail.
    bool Conta(const std::string& descrizione);

  private:
    bool CartellaDelFileEsiste(const std::string& percorso) const;
};

}  // namespace velmar::test
