// The store as the window and the console program see it: the three operations on the
// parameters file of one package, each obtaining the package's folder anew.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/ditte.h"
#include "store/file_system.h"
#include "store/salvataggio.h"

namespace velmar {

class ArchivioDitte {
  public:
    virtual ~ArchivioDitte() = default;
    // Codes of the parameters file in file order; fails when the file cannot be read.
    [[nodiscard]] virtual Esito LeggiDitte(std::vector<std::string>& codici) = 0;
    // The company of `codice`, or the empty result; fails when the file cannot be read.
    [[nodiscard]] virtual Esito CercaDitta(std::string_view codice, RisultatoRicerca& ditta) = 0;
    // Saves the company of the window state and distributes the file.
    [[nodiscard]] virtual RisultatoSalvataggio ScriviFile(const DatiDitta& stato) = 0;
};

// A package in a folder given once, with the catalog folder its records get.
// Saves wait up to kAttesaBlocco for another save on the package.
class ArchivioCartella final : public ArchivioDitte {
  public:
    ArchivioCartella(FileSystem& fs, std::string cartellaBase, ValoreCatalogo catalogo)
        : fs_(fs), base_(std::move(cartellaBase)), catalogo_(std::move(catalogo)) {}

    Esito LeggiDitte(std::vector<std::string>& codici) override {
        return velmar::LeggiDitte(fs_, base_, codici);
    }
    Esito CercaDitta(std::string_view codice, RisultatoRicerca& ditta) override {
        return velmar::CercaDitta(fs_, base_, codice, ditta);
    }
    RisultatoSalvataggio ScriviFile(const DatiDitta& stato) override {
        return SalvaDitta(fs_, stato, catalogo_, base_);
    }

  private:
    FileSystem& fs_;
    std::string base_;
    ValoreCatalogo catalogo_;
};

}  // namespace velmar
