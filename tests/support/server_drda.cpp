// The tests' DRDA server over the system's sockets: POSIX natively, Winsock under Wine.
#include "tests/support/server_drda.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <string_view>

#include "drda/excsat.h"
#include "tests/support/risposta_drda.h"

namespace velmar::test {

namespace {

#ifdef _WIN32
using Presa = SOCKET;
void Chiudi(std::intptr_t p) {
    ::closesocket(static_cast<SOCKET>(p));
}
// Winsock, started for each server and the free port's look-up (it counts its starts).
struct Winsock {
    Winsock() {
        WSADATA d;
        ::WSAStartup(MAKEWORD(2, 2), &d);
    }
    ~Winsock() { ::WSACleanup(); }
};
#else
using Presa = int;
void Chiudi(std::intptr_t p) {
    ::close(static_cast<int>(p));
}
struct Winsock {};
#endif

Presa P(std::intptr_t p) {
    return static_cast<Presa>(p);
}

// Whether `presa` can be read (a connection to accept, bytes, or the peer's close) within `ms`.
bool Leggibile(std::intptr_t presa, int ms) {
    fd_set pronte;
    FD_ZERO(&pronte);
    FD_SET(P(presa), &pronte);
    timeval tempo{ms / 1000, (ms % 1000) * 1000};
    return ::select(static_cast<int>(presa + 1), &pronte, nullptr, nullptr, &tempo) > 0;
}

void Invia(std::intptr_t presa, const std::vector<unsigned char>& dati) {
    for (std::size_t inviati = 0; inviati < dati.size();) {
        const auto n = ::send(P(presa), reinterpret_cast<const char*>(dati.data() + inviati),
                              static_cast<int>(dati.size() - inviati), 0);
        if (n <= 0)
            return;
        inviati += static_cast<std::size_t>(n);
    }
}

// A listening socket on `indirizzo` (IPv4 or IPv6) and `porta`, and the port it took; -1 when
// it cannot be had.
std::intptr_t Ascolto(const std::string& indirizzo, std::uint16_t porta, std::uint16_t& presa) {
    addrinfo suggerimenti{};
    suggerimenti.ai_family = AF_UNSPEC;
    suggerimenti.ai_socktype = SOCK_STREAM;
    suggerimenti.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* a = nullptr;
    if (::getaddrinfo(indirizzo.c_str(), std::to_string(porta).c_str(), &suggerimenti, &a) != 0)
        return -1;
    const Presa s = ::socket(a->ai_family, SOCK_STREAM, IPPROTO_TCP);
    auto ascolto = static_cast<std::intptr_t>(s);
    sockaddr_storage preso{};
    socklen_t lunghezza = sizeof(preso);
    if (ascolto != -1 &&
        (::bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 || ::listen(s, 64) != 0 ||
         ::getsockname(s, reinterpret_cast<sockaddr*>(&preso), &lunghezza) != 0)) {
        Chiudi(ascolto);
        ascolto = -1;
    }
    ::freeaddrinfo(a);
    if (ascolto != -1) {
        presa = ntohs(preso.ss_family == AF_INET6
                          ? reinterpret_cast<const sockaddr_in6*>(&preso)->sin6_port
                          : reinterpret_cast<const sockaddr_in*>(&preso)->sin_port);
    }
    return ascolto;
}

}  // namespace

std::vector<unsigned char> ServerDrda::Risposta(Copione copione) {
    switch (copione) {
        case Copione::Db2Nt64:
            return RispostaExcsat("QDB2/NT64", "SQL11055", "DB2NT");
        case Copione::Db2LinuxX8664:
            return RispostaExcsat("QDB2/LINUXX8664", "SQL11055", "DB2LINUX");
        case Copione::Db2Aix64:
            return RispostaExcsat("QDB2/AIX64", "SQL10059", "DB2AIX");
        case Copione::Db2ZOs:
            return RispostaExcsat("QDB2", "DSN12015", "DB0A");
        case Copione::Spazzatura: {
            const std::string_view http = "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
            return std::vector<unsigned char>(http.begin(), http.end());
        }
        case Copione::DssTroncata: {
            std::vector<unsigned char> r = Risposta(Copione::Db2Nt64);
            r.resize(r.size() / 2);
            return r;
        }
        case Copione::LunghezzeFalse: {
            // After the DSS's header, the object's head and EXTNAM (4 + 7 bytes): SRVCLSNM's
            // length, made to run past the object.
            std::vector<unsigned char> r = Risposta(Copione::Db2Nt64);
            r.at(21) = 0x00;
            r.at(22) = 0xF0;
            return r;
        }
        case Copione::Silenzioso:
        case Copione::ChiudeSubito:
            break;
    }
    return {};
}

ServerDrda::ServerDrda(Copione copione, std::string indirizzo, std::uint16_t porta,
                       std::chrono::milliseconds ritardo)
    : copione_(copione), ritardo_(ritardo) {
    [[maybe_unused]] static const Winsock winsock;
    ascolto_ = Ascolto(indirizzo, porta, porta_);
    if (ascolto_ == -1) {
        porta_ = 0;
        return;
    }
    filo_ = std::thread([this] { Ascolta(); });
}

ServerDrda::~ServerDrda() {
    fine_ = true;
    if (filo_.joinable())
        filo_.join();
    for (const std::intptr_t p : aperte_)
        Chiudi(p);
    if (ascolto_ != -1)
        Chiudi(ascolto_);
}

std::vector<std::vector<unsigned char>> ServerDrda::Richieste() {
    const std::lock_guard<std::mutex> blocco(m_);
    return richieste_;
}

void ServerDrda::Ascolta() noexcept {
    while (!fine_) {
        if (!Leggibile(ascolto_, 20))
            continue;
        const auto presa = static_cast<std::intptr_t>(::accept(P(ascolto_), nullptr, nullptr));
        if (presa == -1)
            continue;
        ++connessioni_;
        try {
            Servi(presa);
        } catch (...) {
            Chiudi(presa);
        }
    }
}

void ServerDrda::Servi(std::intptr_t presa) {
    if (copione_ == Copione::ChiudeSubito) {
        Chiudi(presa);
        return;
    }
    // The request, whole or as much as comes within two seconds.
    std::vector<unsigned char> richiesta;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!drda::RispostaDaGiudicare(richiesta) && std::chrono::steady_clock::now() < limite &&
           !fine_) {
        if (!Leggibile(presa, 20))
            continue;
        unsigned char b[4096];
        const auto n = ::recv(P(presa), reinterpret_cast<char*>(b), sizeof(b), 0);
        if (n <= 0)
            break;
        richiesta.insert(richiesta.end(), b, b + n);
    }
    {
        const std::lock_guard<std::mutex> blocco(m_);
        richieste_.push_back(richiesta);
    }
    const auto risposta = std::chrono::steady_clock::now() + ritardo_;
    while (std::chrono::steady_clock::now() < risposta && !fine_)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Invia(presa, Risposta(copione_));
    if (copione_ == Copione::Spazzatura) {
        Chiudi(presa);
    } else {
        aperte_.push_back(presa);
    }
}

std::uint16_t PortaLibera() {
    [[maybe_unused]] static const Winsock winsock;
    std::uint16_t porta = 0;
    const std::intptr_t presa = Ascolto("127.0.0.1", 0, porta);
    if (presa != -1)
        Chiudi(presa);
    return porta;
}

}  // namespace velmar::test
