// Confirmation checks.
#include "store/conferma.h"

namespace velmar {

namespace {

bool Memorizzabile(const VoceUtente& v) noexcept {
    return v.testo && ValoreMemorizzabile(*v.testo);
}

}  // namespace

std::string MessaggioCaratteriNonAmmessi(std::string_view etichetta) {
    std::string m = "Il campo ";
    m.append(etichetta).append(" contiene ").append(kCaratteriNonAmmessi);
    return m;
}

DatiDitta CopiaVoci(const VociUtente& voci) {
    DatiDitta stato;
    auto testo = [](const VoceUtente& v) { return v.testo.value_or(std::string()); };
    stato.CodiceDitta = testo(voci.codice);
    stato.DescrizioneDitta = testo(voci.descrizione);
    stato.Macchina = testo(voci.macchina);
    const std::string parola(ParolaDaTipo(voci.server));
    stato.ParametroServer1 = parola;
    stato.ParametroServer2 = parola;
    stato.ParametroServer3 = parola;
    return stato;
}

Esito ValidaVoci(const VociUtente& voci) {
    std::string messaggio;
    if (voci.codice.Vuota()) {
        messaggio = kMsgCodiceMancante;
    } else if (voci.descrizione.Vuota()) {
        messaggio = kMsgDescrizioneMancante;
    } else if (voci.server == TipoServer::Nessuno) {
        messaggio = kMsgServerMancante;
    } else if (voci.macchina.Vuota()) {
        messaggio = kMsgMacchinaMancante;
    } else if (!Memorizzabile(voci.codice)) {
        messaggio = MessaggioCaratteriNonAmmessi(kEtichettaCodice);
    } else if (!Memorizzabile(voci.descrizione)) {
        messaggio = MessaggioCaratteriNonAmmessi(kEtichettaDescrizione);
    } else if (!Memorizzabile(voci.macchina)) {
        messaggio = MessaggioCaratteriNonAmmessi(kEtichettaMacchina);
    }
    if (messaggio.empty())
        return {};
    return Errore(TipoErrore::VoceNonValida, std::move(messaggio));
}

}  // namespace velmar
