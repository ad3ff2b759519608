// The connection check: the exchange over the network, the reply read and judged, several
// servers at once on a few threads.
#include "pacchetto/prova.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "store/conferma.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

struct VoceEsito {
    EsitoProva esito;
    std::string_view nome;
};

constexpr VoceEsito kEsiti[] = {
    {EsitoProva::Corrisponde, "corrisponde"},
    {EsitoProva::TipoDiverso, "tipo_diverso"},
    {EsitoProva::Db2ZOs, "db2_zos"},
    {EsitoProva::Db2I, "db2_i"},
    {EsitoProva::NonDb2, "non_db2"},
    {EsitoProva::RispostaNonValida, "risposta_non_valida"},
    {EsitoProva::NessunaRisposta, "nessuna_risposta"},
    {EsitoProva::Rifiutata, "rifiutata"},
    {EsitoProva::NonRaggiunta, "non_raggiunta"},
    {EsitoProva::NomeNonRisolto, "nome_non_risolto"},
    {EsitoProva::DatiMancanti, "dati_mancanti"},
};

EsitoProva DaVerdetto(drda::Verdetto v) noexcept {
    switch (v) {
        case drda::Verdetto::Corrisponde:
            return EsitoProva::Corrisponde;
        case drda::Verdetto::TipoDiverso:
            return EsitoProva::TipoDiverso;
        case drda::Verdetto::Db2ZOs:
            return EsitoProva::Db2ZOs;
        case drda::Verdetto::Db2I:
            return EsitoProva::Db2I;
        case drda::Verdetto::NonDb2:
            break;
    }
    return EsitoProva::NonDb2;
}

// What is missing to check the server, in the confirmation's words and order, or nothing.
std::optional<std::string_view> DatoMancante(const ServerDaProvare& s) noexcept {
    if (s.server == TipoServer::Nessuno)
        return kMsgServerMancante;
    if (s.macchina.empty())
        return kMsgMacchinaMancante;
    return std::nullopt;
}

RichiestaScambio Richiesta(const ServerDaProvare& s, AttesaProva attesa) {
    RichiestaScambio r;
    r.macchina = s.macchina;
    r.porta = s.porta;
    r.dati = drda::RichiestaExcsat();
    r.basta = [](std::span<const unsigned char> ricevuti) {
        return drda::RispostaDaGiudicare(ricevuti);
    };
    r.massimo = drda::kMassimoRisposta;
    r.attesaConnessione = attesa.connessione;
    r.attesaRisposta = attesa.risposta;
    return r;
}

// "127.0.0.1, porta 50000": the address reached, or the machine as given.
std::string Dove(const ServerDaProvare& s, const EsitoScambio& e) {
    return TestoVisibile(e.indirizzo.empty() ? s.macchina : e.indirizzo) + ", porta " +
           std::to_string(s.porta);
}

std::string ConMotivo(std::string testo, const std::string& motivo) {
    if (!motivo.empty())
        testo.append(": ").append(TestoVisibile(motivo));
    return testo;
}

// The server's exchange judged for one entry that names it.
RisultatoProva Giudica(const ServerDaProvare& s, const EsitoScambio& e, AttesaProva attesa) {
    RisultatoProva r;
    r.server = s;
    switch (e.connessione) {
        case EsitoConnessione::NomeNonRisolto:
            r.esito = EsitoProva::NomeNonRisolto;
            r.messaggio = ConMotivo(
                "il nome '" + TestoVisibile(s.macchina) + "' non d\xE0 nessun indirizzo", e.motivo);
            return r;
        case EsitoConnessione::Rifiutata:
            r.esito = EsitoProva::Rifiutata;
            r.messaggio = "connessione rifiutata da " + Dove(s, e) + ": nessun server in ascolto";
            return r;
        case EsitoConnessione::Scaduta:
            r.esito = EsitoProva::NonRaggiunta;
            r.messaggio =
                "nessuna connessione con " + Dove(s, e) + " entro " + Secondi(attesa.connessione);
            return r;
        case EsitoConnessione::NonRaggiungibile:
            r.esito = EsitoProva::NonRaggiunta;
            r.messaggio = ConMotivo(Dove(s, e) + " non raggiungibile", e.motivo);
            return r;
        case EsitoConnessione::Connessa:
            break;
    }
    r.indirizzo = e.indirizzo;
    r.connessione = e.tempoConnessione;
    r.risposta = e.tempoRisposta;
    const std::string connesso = "connesso a " + Dove(s, e);
    if (e.ricevuti.empty()) {
        r.esito = EsitoProva::NessunaRisposta;
        if (e.fine == FineLettura::Chiusa) {
            r.messaggio = connesso + ", ma il server ha chiuso la connessione senza rispondere";
        } else if (e.fine == FineLettura::Interrotta) {
            r.messaggio = ConMotivo(
                connesso + ", ma la connessione si \xE8 interrotta senza risposta", e.motivo);
        } else {
            r.messaggio = connesso + ", ma nessuna risposta entro " + Secondi(attesa.risposta);
        }
        return r;
    }
    Risultato<drda::AttributiServer> letta = drda::LeggiRisposta(e.ricevuti);
    if (!letta) {
        r.esito = EsitoProva::RispostaNonValida;
        r.messaggio = "risposta non valida da " + Dove(s, e) + ": " + letta.Errore().testo;
        // A reply stopped before it could be judged: how it stopped.
        if (!drda::RispostaDaGiudicare(e.ricevuti)) {
            if (e.fine == FineLettura::Scaduta) {
                r.messaggio += "; poi nessun altro byte entro " + Secondi(attesa.risposta);
            } else if (e.fine == FineLettura::Chiusa) {
                r.messaggio += "; poi il server ha chiuso la connessione";
            } else {
                r.messaggio =
                    ConMotivo(r.messaggio + "; poi la connessione si \xE8 interrotta", e.motivo);
            }
        }
        return r;
    }
    const drda::Giudizio g = drda::GiudicaServer(*letta, s.server);
    r.esito = DaVerdetto(g.verdetto);
    r.messaggio = g.messaggio;
    r.piattaforma = g.piattaforma;
    r.attributi = *std::move(letta);
    return r;
}

RisultatoProva Mancante(const ServerDaProvare& s, std::string_view messaggio) {
    RisultatoProva r;
    r.server = s;
    r.esito = EsitoProva::DatiMancanti;
    r.messaggio = messaggio;
    return r;
}

ProvaDitta Ditta(std::string codice, std::string descrizione, std::optional<std::string> macchina,
                 TipoServer server, std::uint16_t porta) {
    ProvaDitta d;
    d.codice = std::move(codice);
    d.descrizione = std::move(descrizione);
    d.risultato.server = {macchina.value_or(""), porta, server};
    return d;
}

}  // namespace

std::string_view NomeEsito(EsitoProva esito) noexcept {
    for (const VoceEsito& v : kEsiti) {
        if (v.esito == esito)
            return v.nome;
    }
    return {};
}

std::string Secondi(std::chrono::milliseconds durata) {
    const auto ms = std::max<std::chrono::milliseconds::rep>(durata.count(), 0);
    std::string t = std::to_string(ms / 1000);
    if (const auto resto = ms % 1000) {
        std::string decimali = std::to_string(1000 + resto).substr(1);
        while (decimali.back() == '0')
            decimali.pop_back();
        t.append(",").append(decimali);
    }
    return t + " s";
}

RisultatoProva ProvaServer(Rete& rete, const ServerDaProvare& server, AttesaProva attesa) {
    if (const auto mancante = DatoMancante(server))
        return Mancante(server, *mancante);
    return Giudica(server, rete.Scambia(Richiesta(server, attesa)), attesa);
}

std::vector<RisultatoProva> ProvaServer(Rete& rete, std::span<const ServerDaProvare> server,
                                        AttesaProva attesa) {
    // Each machine and port once.
    std::map<std::pair<std::string, std::uint16_t>, std::size_t> indici;
    std::vector<const ServerDaProvare*> destinazioni;
    // Each entry's destination; none for an entry that lacks its machine or server type.
    std::vector<std::optional<std::size_t>> destinazione(server.size());
    for (std::size_t i = 0; i < server.size(); ++i) {
        if (DatoMancante(server[i]))
            continue;
        const auto [voce, nuova] =
            indici.try_emplace({server[i].macchina, server[i].porta}, destinazioni.size());
        if (nuova)
            destinazioni.push_back(&server[i]);
        destinazione[i] = voce->second;
    }

    // A few threads, each taking the next destination until none is left.
    std::vector<EsitoScambio> scambi(destinazioni.size());
    std::atomic<std::size_t> prossima{0};
    const auto lavora = [&]() noexcept {
        for (std::size_t i; (i = prossima++) < destinazioni.size();) {
            try {
                scambi[i] = rete.Scambia(Richiesta(*destinazioni[i], attesa));
            } catch (const std::bad_alloc&) {
                scambi[i].motivo = "memoria insufficiente";
            }
        }
    };
    std::vector<std::thread> fili;
    const std::size_t altri = std::min(destinazioni.size(), kProveInsieme);
    for (std::size_t k = 1; k < altri; ++k) {
        try {
            fili.emplace_back(lavora);
        } catch (const std::system_error&) {
            break;  // fewer at once
        }
    }
    lavora();
    for (std::thread& f : fili)
        f.join();

    std::vector<RisultatoProva> risultati;
    risultati.reserve(server.size());
    for (std::size_t i = 0; i < server.size(); ++i) {
        if (const std::optional<std::size_t> d = destinazione[i]) {
            risultati.push_back(Giudica(server[i], scambi[*d], attesa));
        } else {
            risultati.push_back(Mancante(server[i], *DatoMancante(server[i])));
        }
    }
    return risultati;
}

Risultato<ProvaDitta> ProvaCodice(ArchivioDitte& archivio, Rete& rete, std::string_view codice,
                                  std::uint16_t porta, AttesaProva attesa) {
    Risultato<RisultatoRicerca> trovata = archivio.CercaDitta(codice);
    if (!trovata)
        return std::move(trovata).Errore();
    ProvaDitta d = Ditta(std::string(codice), std::move(trovata->descrizione),
                         std::move(trovata->macchina), trovata->server, porta);
    d.risultato = ProvaServer(rete, d.risultato.server, attesa);
    return d;
}

Risultato<std::vector<ProvaDitta>> ProvaTutte(ArchivioDitte& archivio, Rete& rete,
                                              std::uint16_t porta, AttesaProva attesa) {
    Risultato<std::vector<VoceDitta>> voci = archivio.LeggiElenco();
    if (!voci)
        return std::move(voci).Errore();
    std::vector<ProvaDitta> ditte;
    std::vector<ServerDaProvare> server;
    for (VoceDitta& v : *voci) {
        ditte.push_back(Ditta(std::move(v.codice), std::move(v.descrizione), std::move(v.macchina),
                              v.server, porta));
        server.push_back(ditte.back().risultato.server);
    }
    std::vector<RisultatoProva> risultati = ProvaServer(rete, server, attesa);
    for (std::size_t i = 0; i < ditte.size(); ++i)
        ditte[i].risultato = std::move(risultati[i]);
    return ditte;
}

std::string TestoProva(const RisultatoProva& r) {
    std::string t = "Macchina: " + TestoVisibile(r.server.macchina) + ", porta " +
                    std::to_string(r.server.porta) + "\n";
    if (r.indirizzo)
        t += "Indirizzo raggiunto: " + TestoVisibile(*r.indirizzo) + "\n";
    if (r.connessione)
        t += "Connessione: " + std::to_string(r.connessione->count()) + " ms\n";
    if (r.risposta && r.attributi)
        t += "Risposta: " + std::to_string(r.risposta->count()) + " ms\n";
    if (r.attributi) {
        const std::pair<std::string_view, const std::optional<std::string>*> campi[] = {
            {"SRVCLSNM", &r.attributi->classe},
            {"SRVRLSLV", &r.attributi->rilascio},
            {"SRVNAM", &r.attributi->nome},
        };
        for (const auto& [nome, valore] : campi) {
            if (*valore)
                t.append(nome).append(": ").append(TestoVisibile(**valore)).append("\n");
        }
    }
    if (r.piattaforma)
        t.append("Server letto: ")
            .append(drda::DescrizionePiattaforma(*r.piattaforma))
            .append("\n");
    return t + "Esito: " + r.messaggio;
}

}  // namespace velmar
