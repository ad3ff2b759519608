// The installed package's store: each operation asks the component for the base folder.
#include "store/archivio_win32.h"

#include <utility>

#include "platform/registro_win32.h"

namespace velmar {

ArchivioPacchetto::ArchivioPacchetto(std::wstring progId) noexcept
    : componente_(std::move(progId)) {}

ValoreCatalogo LeggiCartellaCatalogo() {
    ValoreCatalogo c;
    (void)LeggiValoreRegistro(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo,
                              c.testo);
    c.rappresentabile =
        ValoreRegistroRappresentabile(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo);
    return c;
}

Esito ArchivioPacchetto::LeggiDitte(ElencoCodici& codici) {
    return velmar::LeggiDitte(FileSystemDiSistema(), componente_.CartellaBase(), codici);
}

Esito ArchivioPacchetto::CercaDitta(std::string_view codice, RisultatoRicerca& ditta) {
    return velmar::CercaDitta(FileSystemDiSistema(), componente_.CartellaBase(), codice, ditta);
}

RisultatoSalvataggio ArchivioPacchetto::ScriviFile(const StatoFinestra& stato) {
    const ValoreCatalogo catalogo = LeggiCartellaCatalogo();
    CartellaComponente base = componente_.ChiediCartella();
    const bool disponibile = base.stato == StatoCartella::Disponibile;
    RisultatoSalvataggio r =
        SalvaDitta(FileSystemDiSistema(), stato, catalogo, disponibile ? base.cartella : "");
    // Say why the folder is unavailable next to the store's own reason.
    if (!disponibile && !r.errori.empty() && !base.dettaglio.empty()) {
        r.errori.front().motivo += ": " + base.dettaglio;
    }
    return r;
}

}  // namespace velmar
