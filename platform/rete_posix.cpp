// The network exchange over POSIX sockets: getaddrinfo, a non-blocking connect, send and recv
// waited for with poll, each against its deadline; the steps are scambio.h's. Errors are
// described with strerror.
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

#include "platform/handles_posix.h"
#include "platform/rete.h"
#include "platform/scambio.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

// The POSIX sockets as the exchange's steps take them (scambio.h).
struct SistemaPosix {
    using Nome = std::string;
    using Nativa = int;
    using Presa = unique_fd;
    struct Indirizzo {
        sockaddr_storage indirizzo{};
        socklen_t lunghezza = 0;
    };

    static Nome NomeDi(std::string_view testo) { return Utf8Da1252(testo); }

    static Risoluzione<Indirizzo> Risolvi(const Nome& macchina, const Nome& porta,
                                          bool soloNumerico) {
        addrinfo suggerimenti{};
        suggerimenti.ai_family = AF_UNSPEC;
        suggerimenti.ai_socktype = SOCK_STREAM;
        suggerimenti.ai_protocol = IPPROTO_TCP;
        suggerimenti.ai_flags = AI_NUMERICSERV | (soloNumerico ? AI_NUMERICHOST : 0);
        addrinfo* lista = nullptr;
        Risoluzione<Indirizzo> r;
        r.errore = ::getaddrinfo(macchina.c_str(), porta.c_str(), &suggerimenti, &lista);
        const int sistema = errno;
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
        if (r.errore == 0 && r.indirizzi.empty())
            r.errore = EAI_NONAME;
        if (r.errore != 0)
            r.motivo = r.errore == EAI_SYSTEM ? std::strerror(sistema) : ::gai_strerror(r.errore);
        return r;
    }

    static bool DaCercare(int errore) noexcept { return errore == EAI_NONAME; }

    static std::string Numerico(const Indirizzo& i) {
        char testo[NI_MAXHOST] = {};
        if (::getnameinfo(reinterpret_cast<const sockaddr*>(&i.indirizzo), i.lunghezza, testo,
                          sizeof(testo), nullptr, 0, NI_NUMERICHOST) != 0) {
            return "?";
        }
        return testo;
    }

    // Milliseconds from now to `limite`, rounded up, at least 0.
    static int Resto(OrologioRete::time_point limite) noexcept {
        const auto resto =
            std::chrono::ceil<std::chrono::milliseconds>(limite - OrologioRete::now());
        return static_cast<int>(
            std::clamp<std::chrono::milliseconds::rep>(resto.count(), 0, 1 << 30));
    }

    static int Attendi(int fd, Evento evento, OrologioRete::time_point limite) noexcept {
        const short eventi = evento == Evento::Lettura ? POLLIN : POLLOUT;
        for (;;) {
            pollfd p{fd, eventi, 0};
            const int r = ::poll(&p, 1, Resto(limite));
            if (r >= 0)
                return r;
            if (errno != EINTR)
                return -1;
        }
    }

    static int Connetti(const Indirizzo& i, OrologioRete::time_point limite, unique_fd& presa) {
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
        const int pronta = Attendi(presa.get(), Evento::Scrittura, limite);
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

    static constexpr int kRifiutata = ECONNREFUSED;
    static constexpr int kScaduta = ETIMEDOUT;
    static constexpr int kMemoria = ENOMEM;

    static std::string Motivo(int errore) { return errore ? std::strerror(errore) : ""; }

    static bool Chiusura(int errore) noexcept {
        return errore == ECONNRESET || errore == EPIPE || errore == ECONNABORTED;
    }

    static ssize_t Invia(int presa, const unsigned char* dati, std::size_t n) noexcept {
        return ::send(presa, dati, n, MSG_NOSIGNAL);
    }

    static ssize_t Ricevi(int presa, unsigned char* dati, std::size_t n) noexcept {
        return ::recv(presa, dati, n, 0);
    }

    static int UltimoErrore() noexcept { return errno; }

    static bool Aspettare(int errore) noexcept {
        return errore == EINTR || errore == EAGAIN || errore == EWOULDBLOCK;
    }
};

class RetePosix final : public Rete {
  public:
    EsitoScambio Scambia(const RichiestaScambio& r) noexcept override {
        return Scambio<SistemaPosix>(r);
    }
};

}  // namespace

Rete& ReteDiSistema() {
    static RetePosix rete;
    return rete;
}

}  // namespace velmar
