// Confirmation checks and the texts of the save's outcome.
#include "store/conferma.h"

namespace velmar {

namespace {

bool Memorizzabile(const VoceUtente& v) noexcept {
    return v.testo && v.testo->find_first_of(";\r\n") == std::string::npos;
}

}  // namespace

std::string MessaggioCaratteriNonAmmessi(std::string_view etichetta) {
    std::string m = "Il campo ";
    m.append(etichetta).append(" contiene caratteri non ammessi");
    return m;
}

EsitoValidazione ValidaVoci(const VociUtente& voci) {
    EsitoValidazione e;
    auto testo = [](const VoceUtente& v) { return v.testo.value_or(std::string()); };
    e.stato.CodiceDitta = testo(voci.codice);
    e.stato.DescrizioneDitta = testo(voci.descrizione);
    e.stato.Macchina = testo(voci.macchina);
    const std::string parola(ParolaDaTipo(voci.server));
    e.stato.ParametroServer1 = parola;
    e.stato.ParametroServer2 = parola;
    e.stato.ParametroServer3 = parola;

    if (voci.codice.Vuota()) {
        e.messaggio = kMsgCodiceMancante;
    } else if (voci.descrizione.Vuota()) {
        e.messaggio = kMsgDescrizioneMancante;
    } else if (parola.empty()) {
        e.messaggio = kMsgServerMancante;
    } else if (voci.macchina.Vuota()) {
        e.messaggio = kMsgMacchinaMancante;
    } else if (!Memorizzabile(voci.codice)) {
        e.messaggio = MessaggioCaratteriNonAmmessi(kEtichettaCodice);
    } else if (!Memorizzabile(voci.descrizione)) {
        e.messaggio = MessaggioCaratteriNonAmmessi(kEtichettaDescrizione);
    } else if (!Memorizzabile(voci.macchina)) {
        e.messaggio = MessaggioCaratteriNonAmmessi(kEtichettaMacchina);
    }
    return e;
}

std::string MessaggioSalvataggio(const RisultatoSalvataggio& r) {
    std::string m;
    if (r.esito == EsitoSalvataggio::Salvato) {
        m = kMsgSetupTerminato;
    } else {
        m = kMsgSalvataggioNonRiuscito;
        for (const auto& e : r.errori) {
            m.append("\r\n");
            if (!e.percorso.empty())
                m.append(e.percorso).append(": ");
            m.append(e.motivo);
        }
    }
    for (const auto& a : r.avvisi) {
        m.append("\r\n\r\nFile non eliminato: ").append(a.percorso).append(": ").append(a.motivo);
    }
    return m;
}

}  // namespace velmar
