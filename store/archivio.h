// The store as the window and the console program see it: the three operations on the
// parameters file of one package, each obtaining the package's folder anew.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/ditte.h"
#include "store/file_system.h"
#include "store/salvataggio.h"
#include "store/verifica.h"

namespace velmar {

class ArchivioDitte {
  public:
    virtual ~ArchivioDitte() = default;
    // Codes of the parameters file in file order; fails when the file cannot be read.
    [[nodiscard]] virtual Esito LeggiDitte(std::vector<std::string>& codici) = 0;
    // The company of `codice`, or the empty result; fails when the file cannot be read.
    [[nodiscard]] virtual Esito CercaDitta(std::string_view codice, RisultatoRicerca& ditta) = 0;
    // Saves the company and distributes the file.
    [[nodiscard]] virtual RisultatoSalvataggio ScriviFile(const DatiDitta& dati) = 0;
    // Removes the company's lines and distributes the file (see EliminaDitta).
    [[nodiscard]] virtual RisultatoSalvataggio Elimina(std::string_view codice) = 0;
    // Copies the parameters file into the area folders (see DistribuisciFile).
    [[nodiscard]] virtual RisultatoSalvataggio Distribuisci() = 0;
    // Checks the package (see VerificaPacchetto).
    [[nodiscard]] virtual Esito Verifica(std::vector<Problema>& problemi) = 0;
    // Mends the shape of the parameters file and distributes it (see RiparaFile).
    [[nodiscard]] virtual RisultatoSalvataggio Ripara() = 0;
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
    RisultatoSalvataggio ScriviFile(const DatiDitta& dati) override {
        return SalvaDitta(fs_, dati, catalogo_, base_);
    }
    RisultatoSalvataggio Elimina(std::string_view codice) override {
        return EliminaDitta(fs_, codice, base_);
    }
    RisultatoSalvataggio Distribuisci() override { return DistribuisciFile(fs_, base_); }
    Esito Verifica(std::vector<Problema>& problemi) override {
        return VerificaPacchetto(fs_, base_, problemi);
    }
    RisultatoSalvataggio Ripara() override { return RiparaFile(fs_, base_); }

  private:
    FileSystem& fs_;
    std::string base_;
    ValoreCatalogo catalogo_;
};

}  // namespace velmar
