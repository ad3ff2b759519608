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
    // Codes of the parameters file in file order (see LeggiDitte).
    [[nodiscard]] virtual Risultato<std::vector<std::string>> LeggiDitte() = 0;
    // The company of `codice` (see CercaDitta).
    [[nodiscard]] virtual Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) = 0;
    // Saves the company and distributes the file (see SalvaDitta).
    [[nodiscard]] virtual RisultatoModifica ScriviFile(const DatiDitta& dati) = 0;
    // Removes the company's lines and distributes the file (see EliminaDitta).
    [[nodiscard]] virtual RisultatoModifica Elimina(std::string_view codice) = 0;
    // Copies the parameters file into the area folders (see DistribuisciFile).
    [[nodiscard]] virtual RisultatoModifica Distribuisci() = 0;
    // Checks the package (see VerificaPacchetto).
    [[nodiscard]] virtual Risultato<std::vector<Problema>> Verifica() = 0;
    // Mends the shape of the parameters file and distributes it (see RiparaFile).
    [[nodiscard]] virtual RisultatoModifica Ripara() = 0;
};

// A package in a folder given once, with the catalog folder its records get.
// Saves wait up to kAttesaBlocco for another save on the package.
class ArchivioCartella final : public ArchivioDitte {
  public:
    ArchivioCartella(FileSystem& fs, std::string cartellaBase, ValoreCatalogo catalogo)
        : fs_(fs), base_(std::move(cartellaBase)), catalogo_(std::move(catalogo)) {}

    Risultato<std::vector<std::string>> LeggiDitte() override {
        return velmar::LeggiDitte(fs_, base_);
    }
    Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) override {
        return velmar::CercaDitta(fs_, base_, codice);
    }
    RisultatoModifica ScriviFile(const DatiDitta& dati) override {
        return SalvaDitta(fs_, dati, catalogo_, base_);
    }
    RisultatoModifica Elimina(std::string_view codice) override {
        return EliminaDitta(fs_, codice, base_);
    }
    RisultatoModifica Distribuisci() override { return DistribuisciFile(fs_, base_); }
    Risultato<std::vector<Problema>> Verifica() override { return VerificaPacchetto(fs_, base_); }
    RisultatoModifica Ripara() override { return RiparaFile(fs_, base_); }

  private:
    FileSystem& fs_;
    std::string base_;
    ValoreCatalogo catalogo_;
};

}  // namespace velmar
