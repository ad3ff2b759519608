// The steps of the network exchange, the same on every system: the machine resolved (an address
// at once, a name on a thread of its own within the connection's wait), each of its addresses
// tried in turn until one accepts, the request sent and the reply read within the reply's wait.
// `Sistema` gives the system's sockets (rete_posix.cpp, rete_win32.cpp):
//   Nome, Nativa                  the system's text of a name; a socket as the calls take it
//   Presa                         an owned socket: get(), reset(), bool
//   Indirizzo                     one address of the machine
//   NomeDi(text)                  the Windows-1252 text as Nome
//   Risolvi(machine, port, numeric only) -> Risoluzione<Indirizzo>
//   DaCercare(error)              the numeric resolution failed because it is a name
//   Numerico(address)             "127.0.0.1", "::1"
//   Connetti(address, deadline, Presa&) -> 0 connected, -1 past the deadline, else the error
//   kRifiutata, kScaduta, kMemoria  the errors of a connection refused, of one timed out, and
//                                 of a lack of memory
//   Motivo(error) ("" for 0), Chiusura(error)
//   Invia/Ricevi(socket, bytes, size) -> the bytes moved, or < 0 with UltimoErrore()
//   Attendi(socket, Evento, deadline) -> 1 ready, 0 past the deadline, < 0 with UltimoErrore()
//   Aspettare(error)              the call would block or was interrupted: wait and try again
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/entro.h"
#include "platform/rete.h"

namespace velmar {

using OrologioRete = std::chrono::steady_clock;

// The addresses of a machine, or the system's error and its reason.
template <class Indirizzo>
struct Risoluzione {
    int errore = 0;
    std::string motivo;
    std::vector<Indirizzo> indirizzi;
};

enum class Evento { Scrittura, Lettura };

[[nodiscard]] inline std::chrono::milliseconds Da(OrologioRete::time_point inizio) noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(OrologioRete::now() - inizio);
}

// How far an exchange got whose connection failed with the system's `errore`.
template <class Sistema>
[[nodiscard]] EsitoConnessione TipoErroreConnessione(int errore) noexcept {
    if (errore == Sistema::kRifiutata)
        return EsitoConnessione::Rifiutata;
    if (errore == Sistema::kScaduta)
        return EsitoConnessione::Scaduta;
    return EsitoConnessione::NonRaggiungibile;
}

// Sends the request on the connected `presa` and reads the reply, within the reply's wait.
template <class Sistema>
void DialogaScambio(typename Sistema::Nativa presa, const RichiestaScambio& r, EsitoScambio& e) {
    const OrologioRete::time_point inizio = OrologioRete::now();
    const OrologioRete::time_point limite = inizio + r.attesaRisposta;
    const auto fine = [&](FineLettura come, int errore) {
        e.fine = come;
        e.motivo = Sistema::Motivo(errore);
        e.tempoRisposta = Da(inizio);
    };
    const auto fallita = [](int errore) {
        return Sistema::Chiusura(errore) ? FineLettura::Chiusa : FineLettura::Interrotta;
    };
    const auto attesa = [&](int pronta) {
        return pronta == 0 ? FineLettura::Scaduta : FineLettura::Interrotta;
    };
    for (std::size_t inviati = 0; inviati < r.dati.size();) {
        const auto n = Sistema::Invia(presa, r.dati.data() + inviati, r.dati.size() - inviati);
        if (n >= 0) {
            inviati += static_cast<std::size_t>(n);
            continue;
        }
        const int errore = Sistema::UltimoErrore();
        if (!Sistema::Aspettare(errore))
            return fine(fallita(errore), errore);
        const int pronta = Sistema::Attendi(presa, Evento::Scrittura, limite);
        if (pronta <= 0)
            return fine(attesa(pronta), pronta == 0 ? 0 : Sistema::UltimoErrore());
    }
    e.ricevuti.resize(r.massimo);
    std::size_t letti = 0;
    const auto chiudi = [&](FineLettura come, int errore) {
        e.ricevuti.resize(letti);
        fine(come, errore);
    };
    for (;;) {
        if (letti >= r.massimo ||
            (r.basta && r.basta(std::span<const unsigned char>(e.ricevuti.data(), letti)))) {
            return chiudi(FineLettura::Completa, 0);
        }
        const int pronta = Sistema::Attendi(presa, Evento::Lettura, limite);
        if (pronta <= 0)
            return chiudi(attesa(pronta), pronta == 0 ? 0 : Sistema::UltimoErrore());
        const auto n = Sistema::Ricevi(presa, e.ricevuti.data() + letti, r.massimo - letti);
        if (n > 0) {
            letti += static_cast<std::size_t>(n);
        } else if (n == 0) {
            return chiudi(FineLettura::Chiusa, 0);
        } else if (const int errore = Sistema::UltimoErrore(); !Sistema::Aspettare(errore)) {
            return chiudi(fallita(errore), errore);
        }
    }
}

// The whole exchange of Rete::Scambia into `e`; may throw std::bad_alloc.
template <class Sistema>
void EseguiScambio(const RichiestaScambio& r, EsitoScambio& e) {
    const OrologioRete::time_point limiteConnessione = OrologioRete::now() + r.attesaConnessione;
    using Nome = typename Sistema::Nome;
    const Nome macchina = Sistema::NomeDi(r.macchina);
    const Nome porta = Sistema::NomeDi(std::to_string(r.porta));
    using Indirizzi = Risoluzione<typename Sistema::Indirizzo>;

    Indirizzi risolta = Sistema::Risolvi(macchina, porta, true);
    if (Sistema::DaCercare(risolta.errore)) {
        std::optional<Indirizzi> nome = EseguiEntro<Indirizzi>(
            limiteConnessione,
            [macchina, porta] { return Sistema::Risolvi(macchina, porta, false); });
        if (!nome) {
            e.connessione = EsitoConnessione::NomeNonRisolto;
            e.motivo = "nessuna risposta entro l'attesa";
            return;
        }
        risolta = std::move(*nome);
    }
    if (risolta.errore != 0 || risolta.indirizzi.empty()) {
        e.connessione = EsitoConnessione::NomeNonRisolto;
        e.motivo = std::move(risolta.motivo);
        return;
    }

    typename Sistema::Presa presa;
    for (const auto& i : risolta.indirizzi) {
        e.indirizzo = Sistema::Numerico(i);
        if (OrologioRete::now() >= limiteConnessione) {
            e.connessione = EsitoConnessione::Scaduta;
            return;
        }
        const OrologioRete::time_point prova = OrologioRete::now();
        const int errore = Sistema::Connetti(i, limiteConnessione, presa);
        if (errore == 0) {
            e.tempoConnessione = Da(prova);
            break;
        }
        e.connessione =
            errore == -1 ? EsitoConnessione::Scaduta : TipoErroreConnessione<Sistema>(errore);
        e.motivo = errore == -1 ? "" : Sistema::Motivo(errore);
        if (errore == -1)
            return;
    }
    if (!presa)
        return;
    e.connessione = EsitoConnessione::Connessa;
    e.motivo.clear();
    DialogaScambio<Sistema>(presa.get(), r, e);
}

// Rete::Scambia over `Sistema`: a lack of memory ends the exchange as a failure to connect with
// the system's own reason.
template <class Sistema>
[[nodiscard]] EsitoScambio Scambio(const RichiestaScambio& r) noexcept {
    EsitoScambio e;
    try {
        EseguiScambio<Sistema>(r, e);
    } catch (...) {
        e.connessione = EsitoConnessione::NonRaggiungibile;
        e.motivo = Sistema::Motivo(Sistema::kMemoria);
    }
    return e;
}

}  // namespace velmar
