// The store of the installed package: the base folder comes from the application-folder
// component at every operation, the catalog folder from BrioQuery's registry value at every
// save, and the files are the machine's own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/archivio.h"
#include "store/percorsi_win32.h"

namespace velmar {

// BrioQuery's Open Catalog Extensions folder ("OpenCatalogDir" of the current user); empty when
// it is not set or cannot be read (the save then uses the default).
[[nodiscard]] ValoreCatalogo LeggiCartellaCatalogo();

class ArchivioPacchetto final : public ArchivioDitte {
  public:
    // `progId` names the application-folder component (another one only in tests).
    explicit ArchivioPacchetto(std::wstring progId = kProgIdPercorsi) noexcept;

    Esito LeggiDitte(ElencoCodici& codici) override;
    Esito CercaDitta(std::string_view codice, RisultatoRicerca& ditta) override;
    RisultatoSalvataggio ScriviFile(const StatoFinestra& stato) override;

  private:
    ComponentePercorsi componente_;
};

}  // namespace velmar
