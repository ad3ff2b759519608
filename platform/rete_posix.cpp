// The network exchange over POSIX sockets: getaddrinfo (a name resolved on a thread of its own,
// so that its wait is kept), a non-blocking connect to each address in turn, send and recv
// waited for with poll, each against its deadline. Errors are described with strerror.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/entro.h"
#include "platform/handles_posix.h"
#include "platform/rete.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

using Orologio = std::chrono::steady_clock;

struct Indirizzo {
    sockaddr_storage indirizzo{};
    socklen_t lunghezza = 0;
};

struct Risoluzione {
    int errore = 0;  // of getaddrinfo: 0, EAI_...; EAI_SYSTEM with `sistema`
    int sistema = 0;
    std::vector<Indirizzo> indirizzi;
};

Risoluzione Risolvi(const std::string& macchina, const std::string& porta, bool soloNumerico) {
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_UNSPEC;
    suggerimenti.ai_socktype = SOCK_STREAM;
    suggerimenti.ai_protocol = IPPROTO_TCP;
    suggerimenti.ai_flags = AI_NUMERICSERV | (soloNumerico ? AI_NUMERICHOST : 0);
    addrinfo* lista = nullptr;
    Risoluzione r;
    r.errore = ::getaddrinfo(macchina.c_str(), porta.c_str(), &suggerimenti, &lista);
    r.sistema = errno;
    const unique_addrinfo proprieta(lista);
    try {
        for (const addrinfo* a = lista; a && r.errore == 0; a = a->ai_next) {
            if (a->ai_addrlen > sizeof(sockaddr_storage))
                continue;
            Indirizzo i;
            std::memcpy(&i.indirizzo, a->ai_addr, a->ai_addrlen);
            i.lunghezza = a->ai_addrlen;
            r.indirizzi.push_back(i);
        }
    } catch (...) {
        r.errore = EAI_MEMORY;
    }
    return r;
}

std::string Numerico(const Indirizzo& i) {
    char testo[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&i.indirizzo), i.lunghezza, testo,
                      sizeof(testo), nullptr, 0, NI_NUMERICHOST) != 0) {
        return "?";
    }
    return testo;
}

// Milliseconds from now to `limite`, rounded up, at least 0.
int Resto(Orologio::time_point limite) noexcept {
    const auto resto = std::chrono::ceil<std::chrono::milliseconds>(limite - Orologio::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(resto.count(), 0, 1 << 30));
}

std::chrono::milliseconds Da(Orologio::time_point inizio) noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Orologio::now() - inizio);
}

// Waits until `fd` is ready for `eventi` or `limite` passes: 1 ready, 0 past the deadline,
// -1 failed (errno).
int Attendi(int fd, short eventi, Orologio::time_point limite) noexcept {
    for (;;) {
        pollfd p{fd, eventi, 0};
        const int r = ::poll(&p, 1, Resto(limite));
        if (r >= 0)
            return r;
        if (errno != EINTR)
            return -1;
    }
}

EsitoConnessione TipoErroreConnessione(int errore) noexcept {
    switch (errore) {
        case ECONNREFUSED:
            return EsitoConnessione::Rifiutata;
        case ETIMEDOUT:
            return EsitoConnessione::Scaduta;
        default:
            return EsitoConnessione::NonRaggiungibile;
    }
}

bool Chiusura(int errore) noexcept {
    return errore == ECONNRESET || errore == EPIPE || errore == ECONNABORTED;
}

class RetePosix final : public Rete {
  public:
    EsitoScambio Scambia(const RichiestaScambio& r) noexcept override {
        EsitoScambio e;
        try {
            Esegui(r, e);
        } catch (...) {
            e.connessione = EsitoConnessione::NonRaggiungibile;
            e.motivo = std::strerror(ENOMEM);
        }
        return e;
    }

  private:
    static void Esegui(const RichiestaScambio& r, EsitoScambio& e) {
        const Orologio::time_point inizio = Orologio::now();
        const Orologio::time_point limiteConnessione = inizio + r.attesaConnessione;
        const std::string macchina = Utf8Da1252(r.macchina);
        const std::string porta = std::to_string(r.porta);

        // An address is read at once; a name may wait on the network, so it is resolved on a
        // thread of its own.
        Risoluzione risolta = Risolvi(macchina, porta, true);
        if (risolta.errore == EAI_NONAME) {
            std::optional<Risoluzione> nome = EseguiEntro<Risoluzione>(
                limiteConnessione, [macchina, porta] { return Risolvi(macchina, porta, false); });
            if (!nome) {
                e.connessione = EsitoConnessione::NomeNonRisolto;
                e.motivo = "nessuna risposta entro l'attesa";
                return;
            }
            risolta = std::move(*nome);
        }
        if (risolta.errore != 0 || risolta.indirizzi.empty()) {
            e.connessione = EsitoConnessione::NomeNonRisolto;
            e.motivo = risolta.errore == EAI_SYSTEM ? std::strerror(risolta.sistema)
                                                    : ::gai_strerror(risolta.errore);
            return;
        }

        unique_fd presa;
        for (const Indirizzo& i : risolta.indirizzi) {
            e.indirizzo = Numerico(i);
            if (Orologio::now() >= limiteConnessione) {
                e.connessione = EsitoConnessione::Scaduta;
                return;
            }
            const Orologio::time_point prova = Orologio::now();
            const int errore = Connetti(i, limiteConnessione, presa);
            if (errore == 0) {
                e.tempoConnessione = Da(prova);
                break;
            }
            e.connessione =
                errore == -1 ? EsitoConnessione::Scaduta : TipoErroreConnessione(errore);
            e.motivo = errore == -1 ? "" : std::strerror(errore);
            if (errore == -1)
                return;
        }
        if (!presa)
            return;
        e.connessione = EsitoConnessione::Connessa;
        e.motivo.clear();
        Dialoga(presa.get(), r, e);
    }

    // Connects `presa` to `i` before `limite`: 0 connected, -1 past the deadline, else errno.
    static int Connetti(const Indirizzo& i, Orologio::time_point limite, unique_fd& presa) {
        presa.reset(::socket(i.indirizzo.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK,
                             IPPROTO_TCP));
        if (!presa)
            return errno;
        if (::connect(presa.get(), reinterpret_cast<const sockaddr*>(&i.indirizzo), i.lunghezza) ==
            0) {
            return 0;
        }
        if (errno != EINPROGRESS && errno != EINTR) {
            const int errore = errno;
            presa.reset();
            return errore;
        }
        const int pronta = Attendi(presa.get(), POLLOUT, limite);
        int errore = pronta < 0 ? errno : 0;
        if (pronta == 0) {
            presa.reset();
            return -1;
        }
        socklen_t lunghezza = sizeof(errore);
        if (pronta > 0 &&
            ::getsockopt(presa.get(), SOL_SOCKET, SO_ERROR, &errore, &lunghezza) != 0) {
            errore = errno;
        }
        if (errore != 0)
            presa.reset();
        return errore;
    }

    // Sends the request and reads the reply, within the reply's wait.
    static void Dialoga(int presa, const RichiestaScambio& r, EsitoScambio& e) {
        const Orologio::time_point inizio = Orologio::now();
        const Orologio::time_point limite = inizio + r.attesaRisposta;
        const auto fine = [&](FineLettura come, int errore) {
            e.fine = come;
            e.motivo = errore ? std::strerror(errore) : "";
            e.tempoRisposta = Da(inizio);
        };
        for (std::size_t inviati = 0; inviati < r.dati.size();) {
            const ssize_t n =
                ::send(presa, r.dati.data() + inviati, r.dati.size() - inviati, MSG_NOSIGNAL);
            if (n >= 0) {
                inviati += static_cast<std::size_t>(n);
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return fine(Chiusura(errno) ? FineLettura::Chiusa : FineLettura::Interrotta, errno);
            const int pronta = Attendi(presa, POLLOUT, limite);
            if (pronta <= 0)
                return fine(pronta == 0 ? FineLettura::Scaduta : FineLettura::Interrotta,
                            pronta == 0 ? 0 : errno);
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
            const int pronta = Attendi(presa, POLLIN, limite);
            if (pronta <= 0) {
                return chiudi(pronta == 0 ? FineLettura::Scaduta : FineLettura::Interrotta,
                              pronta == 0 ? 0 : errno);
            }
            const ssize_t n = ::recv(presa, e.ricevuti.data() + letti, r.massimo - letti, 0);
            if (n > 0) {
                letti += static_cast<std::size_t>(n);
            } else if (n == 0) {
                return chiudi(FineLettura::Chiusa, 0);
            } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
                return chiudi(Chiusura(errno) ? FineLettura::Chiusa : FineLettura::Interrotta,
                              errno);
            }
        }
    }
};

}  // namespace

Rete& ReteDiSistema() {
    static RetePosix rete;
    return rete;
}

}  // namespace velmar
