// The installed package's store: each operation asks the component for the base folder.
#include "pacchetto/pacchetto_win32.h"

#include <utility>

#include "platform/registro_win32.h"

namespace velmar {

namespace {

std::string_view Motivo(StatoCartella s) {
    switch (s) {
        case StatoCartella::Disponibile:
            break;
        case StatoCartella::ComponenteAssente:
            return "il componente PercorsiApplicazioni non si pu\xF2 creare";
        case StatoCartella::AltraArchitettura:
            return "il componente PercorsiApplicazioni non si pu\xF2 usare da questo programma";
        case StatoCartella::ErrorePercorso:
            return "il componente non ha dato la cartella";
        case StatoCartella::Vuota:
            return "il componente ha dato una cartella vuota";
        case StatoCartella::Relativa:
            return "il componente ha dato un percorso non completo";
        case StatoCartella::NonRappresentabile:
            return "la cartella data dal componente contiene caratteri non ammessi";
    }
    return "";
}

// Why the component gave no folder: the reason, then what the component or the system said.
std::string Causa(const CartellaComponente& c) {
    std::string causa(Motivo(c.stato));
    if (!c.dettaglio.empty())
        causa.append(": ").append(c.dettaglio);
    return causa;
}

}  // namespace

ValoreCatalogo LeggiCartellaCatalogo() {
    ValoreCatalogo c;
    (void)LeggiValoreRegistro(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo,
                              c.testo);
    c.rappresentabile =
        ValoreRegistroRappresentabile(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo);
    return c;
}

ArchivioPacchetto::ArchivioPacchetto(std::wstring progId) noexcept
    : componente_(std::move(progId)) {}

Esito ArchivioPacchetto::LeggiDitte(std::vector<std::string>& codici) {
    return velmar::LeggiDitte(FileSystemDiSistema(), componente_.CartellaBase(), codici);
}

Esito ArchivioPacchetto::CercaDitta(std::string_view codice, RisultatoRicerca& ditta) {
    return velmar::CercaDitta(FileSystemDiSistema(), componente_.CartellaBase(), codice, ditta);
}

namespace {

// Runs `modifica` on the folder the component gives; when it gives none, the store's reason is
// followed by the cause.
template <class Modifica>
RisultatoSalvataggio NellaCartella(ComponentePercorsi& componente, Modifica&& modifica) {
    const CartellaComponente base = componente.ChiediCartella();
    const bool disponibile = base.stato == StatoCartella::Disponibile;
    RisultatoSalvataggio r = modifica(disponibile ? base.cartella : std::string());
    if (!disponibile && !r.errori.empty())
        r.errori.front().motivo += ": " + Causa(base);
    return r;
}

}  // namespace

RisultatoSalvataggio ArchivioPacchetto::ScriviFile(const DatiDitta& dati) {
    const ValoreCatalogo catalogo = CartellaCatalogo(LeggiCartellaCatalogo());
    return NellaCartella(componente_, [&](const std::string& base) {
        return SalvaDitta(FileSystemDiSistema(), dati, catalogo, base);
    });
}

RisultatoSalvataggio ArchivioPacchetto::Elimina(std::string_view codice) {
    return NellaCartella(componente_, [&](const std::string& base) {
        return EliminaDitta(FileSystemDiSistema(), codice, base);
    });
}

RisultatoSalvataggio ArchivioPacchetto::Distribuisci() {
    return NellaCartella(componente_, [&](const std::string& base) {
        return DistribuisciFile(FileSystemDiSistema(), base);
    });
}

RisultatoSalvataggio ArchivioPacchetto::Ripara() {
    return NellaCartella(componente_, [&](const std::string& base) {
        return RiparaFile(FileSystemDiSistema(), base);
    });
}

Esito ArchivioPacchetto::Verifica(std::vector<Problema>& problemi) {
    return VerificaPacchetto(FileSystemDiSistema(), componente_.CartellaBase(), problemi);
}

std::unique_ptr<ArchivioDitte> CreaArchivioPacchetto(const OpzioniArchivio& o,
                                                     std::string& errore) {
    if (o.base) {
        return CreaArchivioCartella(FileSystemDiSistema(), *o.base,
                                    o.catalogo ? *o.catalogo : LeggiCartellaCatalogo(), errore);
    }
    CartellaComponente c = ComponentePercorsi().ChiediCartella();
    if (c.stato != StatoCartella::Disponibile) {
        errore = "Cartella del pacchetto non disponibile: " + Causa(c);
        return nullptr;
    }
    std::unique_ptr<ArchivioDitte> nellaCartella =
        CreaArchivioCartella(FileSystemDiSistema(), c.cartella, o.catalogo, errore);
    if (!nellaCartella || o.catalogo)
        return nellaCartella;
    // The window's own store, which also reads the catalog folder from the registry.
    return std::make_unique<ArchivioPacchetto>();
}

}  // namespace velmar
