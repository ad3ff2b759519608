// The store as the window and the console program see it: the reads and the changes of the
// parameters file of one package, each obtaining the package's folder anew.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ditte.h"
#include "store/file_system.h"
#include "store/salvataggio.h"
#include "store/verifica.h"

namespace velmar {

// A save made ready on the calling thread, which may then run on any thread.
using Salvataggio = std::function<RisultatoModifica()>;

class ArchivioDitte {
  public:
    virtual ~ArchivioDitte() = default;
    // Codes of the parameters file in file order (see LeggiDitte).
    [[nodiscard]] virtual Risultato<std::vector<std::string>> LeggiDitte() = 0;
    // Every company line in file order with its fields (see LeggiElenco).
    [[nodiscard]] virtual Risultato<std::vector<VoceDitta>> LeggiElenco() = 0;
    // The company of `codice` (see CercaDitta).
    [[nodiscard]] virtual Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) = 0;
    // A warning for the reads above, when the file's encoding garbles them (see AvvisoLettura).
    [[nodiscard]] virtual std::optional<Problema> AvvisoLettura() = 0;
    // Makes ready the save of the company and the distribution of the file (see SalvaDitta):
    // what needs the calling thread (the application-folder component, the registry) is done
    // here, the work of the files when the result is called.
    [[nodiscard]] virtual Salvataggio PreparaScrittura(const DatiDitta& dati) = 0;
    // The same, run at once.
    [[nodiscard]] RisultatoModifica ScriviFile(const DatiDitta& dati) {
        return PreparaScrittura(dati)();
    }
    // Removes the company's lines and distributes the file (see EliminaDitta).
    [[nodiscard]] virtual RisultatoModifica Elimina(std::string_view codice) = 0;
    // Copies the parameters file into the area folders (see DistribuisciFile).
    [[nodiscard]] virtual RisultatoModifica Distribuisci() = 0;
    // Checks the package (see VerificaPacchetto).
    [[nodiscard]] virtual Risultato<std::vector<Problema>> Verifica() = 0;
    // Mends the shape of the parameters file and distributes it (see RiparaFile).
    [[nodiscard]] virtual RisultatoModifica Ripara() = 0;
};

// A package in a folder given once, with the catalog folder its records get. Its changes wait up
// to `attesa` for another save on the package (shorter only in tests).
class ArchivioCartella final : public ArchivioDitte {
  public:
    ArchivioCartella(FileSystem& fs, std::string cartellaBase, ValoreCatalogo catalogo,
                     std::chrono::milliseconds attesa = kAttesaBlocco)
        : fs_(fs),
          base_(std::move(cartellaBase)),
          catalogo_(std::move(catalogo)),
          attesa_(attesa) {}

    Risultato<std::vector<std::string>> LeggiDitte() override {
        return velmar::LeggiDitte(fs_, base_);
    }
    Risultato<std::vector<VoceDitta>> LeggiElenco() override {
        return velmar::LeggiElenco(fs_, base_);
    }
    Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) override {
        return velmar::CercaDitta(fs_, base_, codice);
    }
    std::optional<Problema> AvvisoLettura() override { return velmar::AvvisoLettura(fs_, base_); }
    Salvataggio PreparaScrittura(const DatiDitta& dati) override {
        return [this, dati] { return SalvaDitta(fs_, dati, catalogo_, base_, attesa_); };
    }
    RisultatoModifica Elimina(std::string_view codice) override {
        return EliminaDitta(fs_, codice, base_, attesa_);
    }
    RisultatoModifica Distribuisci() override { return DistribuisciFile(fs_, base_, attesa_); }
    Risultato<std::vector<Problema>> Verifica() override { return VerificaPacchetto(fs_, base_); }
    RisultatoModifica Ripara() override { return RiparaFile(fs_, base_, attesa_); }

  private:
    FileSystem& fs_;
    std::string base_;
    ValoreCatalogo catalogo_;
    std::chrono::milliseconds attesa_;
};

}  // namespace velmar
