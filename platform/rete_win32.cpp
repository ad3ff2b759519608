// The network exchange over Winsock 2 (ws2_32.dll, every function of it here on Windows 7):
// GetAddrInfoW, a non-blocking connect, send and recv waited for with select, each against its
// deadline; the steps are scambio.h's. Winsock is started once, for the program's life. Errors
// are described with the system's own message text.
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "platform/rete.h"
#include "platform/scambio.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

// Winsock as the exchange's steps take it (scambio.h).
struct SistemaWin32 {
    using Nome = std::wstring;
    using Nativa = SOCKET;
    using Presa = unique_socket;
    struct Indirizzo {
        sockaddr_storage indirizzo{};
        int lunghezza = 0;
    };

    static Nome NomeDi(std::string_view testo) {
        const std::u16string t = Utf16Da1252(testo);
        return Nome(t.begin(), t.end());
    }

    static Risoluzione<Indirizzo> Risolvi(const Nome& macchina, const Nome& porta,
                                          bool soloNumerico) {
        ADDRINFOW suggerimenti{};
        suggerimenti.ai_family = AF_UNSPEC;
        suggerimenti.ai_socktype = SOCK_STREAM;
        suggerimenti.ai_protocol = IPPROTO_TCP;
        suggerimenti.ai_flags = soloNumerico ? AI_NUMERICHOST : 0;
        ADDRINFOW* lista = nullptr;
        Risoluzione<Indirizzo> r;
        r.errore = ::GetAddrInfoW(macchina.c_str(), porta.c_str(), &suggerimenti, &lista);
        const unique_addrinfo proprieta(lista);
        try {
            for (const ADDRINFOW* a = lista; a && r.errore == 0; a = a->ai_next) {
                if (a->ai_addrlen > sizeof(sockaddr_storage))
                    continue;
                Indirizzo i;
                std::memcpy(&i.indirizzo, a->ai_addr, a->ai_addrlen);
                i.lunghezza = static_cast<int>(a->ai_addrlen);
                r.indirizzi.push_back(i);
            }
        } catch (...) {
            r.errore = WSA_NOT_ENOUGH_MEMORY;
        }
        if (r.errore == 0 && r.indirizzi.empty())
            r.errore = WSANO_DATA;
        r.motivo = Motivo(r.errore);
        return r;
    }

    static bool DaCercare(int errore) noexcept {
        return errore == WSAHOST_NOT_FOUND || errore == WSANO_DATA;
    }

    static std::string Numerico(const Indirizzo& i) {
        char testo[NI_MAXHOST] = {};
        if (::getnameinfo(reinterpret_cast<const sockaddr*>(&i.indirizzo), i.lunghezza, testo,
                          sizeof(testo), nullptr, 0, NI_NUMERICHOST) != 0) {
            return "?";
        }
        return testo;
    }

    // A failed connection is reported among the errors, not as writable.
    static int Attendi(SOCKET presa, Evento evento, OrologioRete::time_point limite) noexcept {
        fd_set pronte;
        fd_set errori;
        FD_ZERO(&pronte);
        FD_ZERO(&errori);
        FD_SET(presa, &pronte);
        FD_SET(presa, &errori);
        const auto resto = std::clamp<std::chrono::microseconds::rep>(
            std::chrono::ceil<std::chrono::microseconds>(limite - OrologioRete::now()).count(), 0,
            std::chrono::microseconds::rep{1} << 40);
        timeval tempo{static_cast<long>(resto / 1000000), static_cast<long>(resto % 1000000)};
        const int r = ::select(0, evento == Evento::Lettura ? &pronte : nullptr,
                               evento == Evento::Scrittura ? &pronte : nullptr, &errori, &tempo);
        return r > 0 ? 1 : r;
    }

    static int Connetti(const Indirizzo& i, OrologioRete::time_point limite, unique_socket& presa) {
        presa.reset(::socket(i.indirizzo.ss_family, SOCK_STREAM, IPPROTO_TCP));
        if (!presa)
            return ::WSAGetLastError();
        u_long nonBloccante = 1;
        if (::ioctlsocket(presa.get(), FIONBIO, &nonBloccante) != 0) {
            const int errore = ::WSAGetLastError();
            presa.reset();
            return errore;
        }
        if (::connect(presa.get(), reinterpret_cast<const sockaddr*>(&i.indirizzo), i.lunghezza) ==
            0) {
            return 0;
        }
        if (::WSAGetLastError() != WSAEWOULDBLOCK) {
            const int errore = ::WSAGetLastError();
            presa.reset();
            return errore;
        }
        const int pronta = Attendi(presa.get(), Evento::Scrittura, limite);
        if (pronta == 0) {
            presa.reset();
            return -1;
        }
        int errore = pronta < 0 ? ::WSAGetLastError() : 0;
        int lunghezza = sizeof(errore);
        if (pronta > 0 && ::getsockopt(presa.get(), SOL_SOCKET, SO_ERROR,
                                       reinterpret_cast<char*>(&errore), &lunghezza) != 0) {
            errore = ::WSAGetLastError();
        }
        if (errore != 0)
            presa.reset();
        return errore;
    }

    static constexpr int kRifiutata = WSAECONNREFUSED;
    static constexpr int kScaduta = WSAETIMEDOUT;
    static constexpr int kMemoria = WSA_NOT_ENOUGH_MEMORY;

    static std::string Motivo(int errore) {
        return errore ? DescrizioneErrore(static_cast<DWORD>(errore)) : std::string();
    }

    static bool Chiusura(int errore) noexcept {
        return errore == WSAECONNRESET || errore == WSAECONNABORTED || errore == WSAESHUTDOWN;
    }

    static int Invia(SOCKET presa, const unsigned char* dati, std::size_t n) noexcept {
        return ::send(presa, reinterpret_cast<const char*>(dati), static_cast<int>(n), 0);
    }

    static int Ricevi(SOCKET presa, unsigned char* dati, std::size_t n) noexcept {
        return ::recv(presa, reinterpret_cast<char*>(dati), static_cast<int>(n), 0);
    }

    static int UltimoErrore() noexcept { return ::WSAGetLastError(); }

    static bool Aspettare(int errore) noexcept { return errore == WSAEWOULDBLOCK; }
};

class ReteWin32 final : public Rete {
  public:
    ReteWin32() noexcept {
        WSADATA dati{};
        avvio_ = ::WSAStartup(MAKEWORD(2, 2), &dati);
    }
    ReteWin32(const ReteWin32&) = delete;
    ReteWin32& operator=(const ReteWin32&) = delete;
    ~ReteWin32() override {
        if (avvio_ == 0)
            ::WSACleanup();
    }

    EsitoScambio Scambia(const RichiestaScambio& r) noexcept override {
        EsitoScambio e;
        if (avvio_ != 0) {
            e.motivo = SistemaWin32::Motivo(avvio_);
            return e;
        }
        return Scambio<SistemaWin32>(r);
    }

  private:
    int avvio_ = 0;
};

}  // namespace

Rete& ReteDiSistema() {
    static ReteWin32 rete;
    return rete;
}

}  // namespace velmar
