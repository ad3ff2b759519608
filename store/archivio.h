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
    // Codes of the parameters file in file order (empty when it cannot be read).
    [[nodiscard]] virtual ElencoCodici LeggiDitte() = 0;
    // The company of `codice`, or the empty result.
    [[nodiscard]] virtual RisultatoRicerca CercaDitta(std::string_view codice) = 0;
    // Saves the company of the window state and distributes the file.
    [[nodiscard]] virtual RisultatoSalvataggio ScriviFile(const StatoFinestra& stato) = 0;
};

// A package in a folder given once, with a catalog folder given once (empty for the default).
class ArchivioCartella final : public ArchivioDitte {
  public:
    ArchivioCartella(FileSystem& fs, std::string cartellaBase, std::string valoreCatalogo)
        : fs_(fs), base_(std::move(cartellaBase)), catalogo_(std::move(valoreCatalogo)) {}

    ElencoCodici LeggiDitte() override { return velmar::LeggiDitte(fs_, base_); }
    RisultatoRicerca CercaDitta(std::string_view codice) override {
        return velmar::CercaDitta(fs_, base_, codice);
    }
    RisultatoSalvataggio ScriviFile(const StatoFinestra& stato) override {
        return SalvaDitta(fs_, stato, catalogo_, base_);
    }

  private:
    FileSystem& fs_;
    std::string base_;
    std::string catalogo_;
};

}  // namespace velmar
