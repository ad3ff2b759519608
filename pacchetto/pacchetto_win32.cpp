// The installed package's store: each operation asks the component for the base folder.
#include "pacchetto/pacchetto_win32.h"

#include <utility>

#include "platform/registro_win32.h"

namespace velmar {

namespace {

// A read of a package whose folder the component did not give.
Errore NonDisponibile(const Errore& causa) {
    Errore e(TipoErrore::CartellaNonDisponibile, std::string(kCartellaNonDisponibile));
    e.causa.push_back(causa);
    return e;
}

}  // namespace

ValoreCatalogo LeggiCartellaCatalogo() {
    ValoreCatalogo c;
    // A value that cannot be read, or of a type with no text, leaves the folder empty: the
    // default one is used.
    if (const Risultato<std::optional<std::string>> valore =
            LeggiValoreRegistro(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo);
        valore && *valore) {
        c.testo = **valore;
    }
    c.rappresentabile =
        ValoreRegistroRappresentabile(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo);
    return c;
}

ArchivioPacchetto::ArchivioPacchetto(std::wstring progId) noexcept
    : componente_(std::move(progId)) {}

Risultato<std::vector<std::string>> ArchivioPacchetto::LeggiDitte() {
    const Risultato<std::string> base = componente_.ChiediCartella();
    if (!base)
        return NonDisponibile(base.Errore());
    return velmar::LeggiDitte(FileSystemDiSistema(), *base);
}

Risultato<std::vector<VoceDitta>> ArchivioPacchetto::LeggiElenco() {
    const Risultato<std::string> base = componente_.ChiediCartella();
    if (!base)
        return NonDisponibile(base.Errore());
    return velmar::LeggiElenco(FileSystemDiSistema(), *base);
}

Risultato<RisultatoRicerca> ArchivioPacchetto::CercaDitta(std::string_view codice) {
    const Risultato<std::string> base = componente_.ChiediCartella();
    if (!base)
        return NonDisponibile(base.Errore());
    return velmar::CercaDitta(FileSystemDiSistema(), *base, codice);
}

std::optional<Problema> ArchivioPacchetto::AvvisoLettura() {
    const Risultato<std::string> base = componente_.ChiediCartella();
    if (!base)
        return std::nullopt;
    return velmar::AvvisoLettura(FileSystemDiSistema(), *base);
}

namespace {

// Runs `modifica` on the folder the component gives, or fails as the store fails a change
// without a folder, with the component's reason.
template <class Modifica>
RisultatoModifica NellaCartella(ComponentePercorsi& componente, Modifica&& modifica) {
    const Risultato<std::string> base = componente.ChiediCartella();
    if (!base)
        return CartellaNonDisponibile(base.Errore());
    return modifica(*base);
}

}  // namespace

Salvataggio ArchivioPacchetto::PreparaScrittura(const DatiDitta& dati) {
    // The component and the registry here, on the thread that made them; the files later.
    const ValoreCatalogo catalogo = CartellaCatalogo(LeggiCartellaCatalogo());
    Risultato<std::string> base = componente_.ChiediCartella();
    if (!base) {
        return
            [errore = CartellaNonDisponibile(base.Errore())] { return RisultatoModifica(errore); };
    }
    return [dati, catalogo, cartella = *std::move(base)] {
        return SalvaDitta(FileSystemDiSistema(), dati, catalogo, cartella);
    };
}

RisultatoModifica ArchivioPacchetto::Elimina(std::string_view codice) {
    return NellaCartella(componente_, [&](const std::string& base) {
        return EliminaDitta(FileSystemDiSistema(), codice, base);
    });
}

RisultatoModifica ArchivioPacchetto::Distribuisci() {
    return NellaCartella(componente_, [&](const std::string& base) {
        return DistribuisciFile(FileSystemDiSistema(), base);
    });
}

RisultatoModifica ArchivioPacchetto::Ripara() {
    return NellaCartella(componente_, [&](const std::string& base) {
        return RiparaFile(FileSystemDiSistema(), base);
    });
}

Risultato<std::vector<Problema>> ArchivioPacchetto::Verifica() {
    const Risultato<std::string> base = componente_.ChiediCartella();
    if (!base)
        return NonDisponibile(base.Errore());
    return VerificaPacchetto(FileSystemDiSistema(), *base);
}

Risultato<std::unique_ptr<ArchivioDitte>> CreaArchivioPacchetto(const OpzioniArchivio& o) {
    if (o.base) {
        return CreaArchivioCartella(FileSystemDiSistema(), *o.base,
                                    o.catalogo ? *o.catalogo : LeggiCartellaCatalogo());
    }
    const Risultato<std::string> cartella = ComponentePercorsi().ChiediCartella();
    if (!cartella)
        return NonDisponibile(cartella.Errore());
    Risultato<std::unique_ptr<ArchivioDitte>> nellaCartella =
        CreaArchivioCartella(FileSystemDiSistema(), *cartella, o.catalogo);
    if (!nellaCartella || o.catalogo)
        return nellaCartella;
    // The window's own store, which also reads the catalog folder from the registry.
    return std::unique_ptr<ArchivioDitte>(std::make_unique<ArchivioPacchetto>());
}

}  // namespace velmar
