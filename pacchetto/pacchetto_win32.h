// The installed package on Windows: the base folder comes from the application-folder component
// at every operation, the catalog folder from BrioQuery's registry value at every save, and the
// files are the machine's own. The window and the console program both use it.
// COM must already be initialised on the calling thread (single-threaded apartment).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "pacchetto/pacchetto.h"
#include "pacchetto/percorsi_win32.h"
#include "store/archivio.h"

namespace velmar {

// BrioQuery's catalog folder value ("OpenCatalogDir" of the current user) as read; empty when
// it is not set or cannot be read.
[[nodiscard]] ValoreCatalogo LeggiCartellaCatalogo();

class ArchivioPacchetto final : public ArchivioDitte {
  public:
    // `progId` names the application-folder component (another one only in tests).
    explicit ArchivioPacchetto(std::wstring progId = kProgIdPercorsi) noexcept;

    Risultato<std::vector<std::string>> LeggiDitte() override;
    Risultato<std::vector<VoceDitta>> LeggiElenco() override;
    Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) override;
    std::optional<Problema> AvvisoLettura() override;
    Salvataggio PreparaScrittura(const DatiDitta& dati) override;
    RisultatoModifica Elimina(std::string_view codice) override;
    RisultatoModifica Distribuisci() override;
    Risultato<std::vector<Problema>> Verifica() override;
    RisultatoModifica Ripara() override;

  private:
    ComponentePercorsi componente_;
};

// The store for the console program: the folder named with --base, or else the one the
// component gives (failing as CartellaNonDisponibile, with the component's reason, when it gives
// none); the catalog folder named with --catalogo, or else the registry's.
[[nodiscard]] Risultato<std::unique_ptr<ArchivioDitte>> CreaArchivioPacchetto(
    const OpzioniArchivio& o);

}  // namespace velmar
