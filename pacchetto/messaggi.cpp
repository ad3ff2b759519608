// The messages of the outcomes, composed from their fields.
#include "pacchetto/messaggi.h"

#include <vector>

namespace velmar {

namespace {

// "ripara il pacchetto con SetupVelmarCmd ripara e riprova".
std::string ParoleRimedio(Rimedio rimedio) {
    switch (rimedio) {
        case Rimedio::Ripara:
            return "ripara il pacchetto con " + std::string(kNomeProgrammaConsole) +
                   " ripara e riprova";
        case Rimedio::RimettiCopia:
            return "rimetti una delle copie al suo posto e riprova";
        case Rimedio::CorreggiAMano:
            return "correggi il file a mano";
        case Rimedio::Nessuno:
            break;
    }
    return {};
}

// "SetupVelmarCmd ripara lo converte".
std::string ParoleRimedio(RimedioProblema rimedio) {
    const std::string programma(kNomeProgrammaConsole);
    switch (rimedio) {
        case RimedioProblema::TogliBom:
            return programma + " ripara lo toglie";
        case RimedioProblema::Converti:
            return programma + " ripara lo converte";
        case RimedioProblema::SostituisciCopia:
            return programma +
                   " distribuisci o ripara la sostituiscono con il file della cartella del "
                   "pacchetto, conservandola prima se ha ditte che quello non ha";
        case RimedioProblema::Nessuno:
            break;
    }
    return {};
}

// `parte` after `testo`, the two joined by ": " when both say something.
void Accoda(std::string& testo, std::string_view parte) {
    if (parte.empty())
        return;
    if (!testo.empty())
        testo.append(": ");
    testo.append(parte);
}

std::string Maiuscola(std::string testo) {
    if (!testo.empty() && testo[0] >= 'a' && testo[0] <= 'z')
        testo[0] = static_cast<char>(testo[0] - 'a' + 'A');
    return testo;
}

// `titolo` and a line for each path with its reason.
std::string ConMotivi(std::string_view titolo, const std::vector<PercorsoNonAggiornato>& percorsi) {
    std::string m(titolo);
    for (const PercorsoNonAggiornato& p : percorsi) {
        m.append("\r\n");
        if (!p.percorso.empty())
            m.append(p.percorso).append(": ");
        m.append(TestoMotivo(p.motivo));
    }
    return m;
}

// `titolo` and a line for each path.
std::string ConPercorsi(std::string_view titolo, const std::vector<std::string>& percorsi) {
    std::string m(titolo);
    for (const std::string& p : percorsi)
        m.append("\r\n").append(p);
    return m;
}

// What a change that updated every target says.
std::string Riuscito(const Aggiornamento& a) {
    switch (a.modifica) {
        case TipoModifica::Salvataggio:
            return std::string(kMsgSetupTerminato);
        case TipoModifica::Eliminazione:
            return MessaggioEliminata(a.codice);
        case TipoModifica::Distribuzione:
            return ConPercorsi(kMsgCopieAggiornate, a.aggiornati);
        case TipoModifica::Riparazione:
            break;
    }
    if (a.nienteDaRiparare)
        return std::string(kMsgNessunaRiparazione);
    if (a.riparazione == Riparazione{})
        return ConPercorsi(kMsgSoloCopieAggiornate, a.aggiornati);
    return ConPercorsi(MessaggioRiparato(a.riparazione) + "\r\n" + std::string(kMsgFileAggiornati),
                       a.aggiornati);
}

}  // namespace

std::string TestoMotivo(const Errore& e) {
    std::string m = e.testo;
    Accoda(m, e.percorso);
    Accoda(m, e.passo);
    for (const Errore& causa : e.causa)
        Accoda(m, TestoMotivo(causa));
    if (e.rimedio != Rimedio::Nessuno)
        m.append(". ").append(kMsgNonScrittoNulla).append(": ").append(ParoleRimedio(e.rimedio));
    return m;
}

std::string TestoErrore(const Errore& e) {
    if (!e.percorsi.empty())
        return ConMotivi(kMsgSalvataggioNonRiuscito, e.percorsi);
    return Maiuscola(TestoMotivo(e));
}

std::string TestoAggiornamento(const Aggiornamento& a) {
    std::string m =
        a.Completo() ? Riuscito(a) : ConMotivi(kMsgSalvataggioNonRiuscito, a.nonAggiornati);
    for (const CopiaConservata& c : a.conservate)
        m.append("\r\n\r\n").append(c.copia).append(": ").append(DescrizioneConservata(c));
    for (const PercorsoNonAggiornato& p : a.avvisi) {
        m.append("\r\n\r\n")
            .append(kMsgFileNonEliminato)
            .append(": ")
            .append(p.percorso)
            .append(": ")
            .append(TestoMotivo(p.motivo));
    }
    return m;
}

std::string TestoProblema(const Problema& p) {
    std::string m = p.descrizione;
    for (const Errore& causa : p.causa)
        Accoda(m, TestoMotivo(causa));
    if (p.rimedio != RimedioProblema::Nessuno)
        m.append(". ").append(ParoleRimedio(p.rimedio));
    return m;
}

}  // namespace velmar
