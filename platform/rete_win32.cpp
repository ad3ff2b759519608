// The network exchange over Winsock 2 (ws2_32.dll, every function of it here on Windows 7):
// GetAddrInfoW (a name resolved on a thread of its own, so that its wait is kept), a
// non-blocking connect to each address in turn, send and recv waited for with select, each
// against its deadline. Winsock is started once, for the program's life. Errors are described
// with the system's own message text.
#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/entro.h"
#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "platform/rete.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

using Orologio = std::chrono::steady_clock;

struct Indirizzo {
    sockaddr_storage indirizzo{};
    int lunghezza = 0;
};

struct Risoluzione {
    int errore = 0;  // of GetAddrInfoW: 0 or a Winsock error
    std::vector<Indirizzo> indirizzi;
};

Risoluzione Risolvi(const std::wstring& macchina, const std::wstring& porta, bool soloNumerico) {
    ADDRINFOW suggerimenti{};
    suggerimenti.ai_family = AF_UNSPEC;
    suggerimenti.ai_socktype = SOCK_STREAM;
    suggerimenti.ai_protocol = IPPROTO_TCP;
    suggerimenti.ai_flags = soloNumerico ? AI_NUMERICHOST : 0;
    ADDRINFOW* lista = nullptr;
    Risoluzione r;
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

std::chrono::milliseconds Da(Orologio::time_point inizio) noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Orologio::now() - inizio);
}

enum class Evento { Scrittura, Lettura };

// Waits until `presa` can be written (or its connection has failed) or read, or `limite`
// passes: 1 ready, 0 past the deadline, SOCKET_ERROR failed (WSAGetLastError).
int Attendi(SOCKET presa, Evento evento, Orologio::time_point limite) noexcept {
    fd_set pronte;
    fd_set errori;
    FD_ZERO(&pronte);
    FD_ZERO(&errori);
    FD_SET(presa, &pronte);
    FD_SET(presa, &errori);  // a failed connection is reported here, not as writable
    const auto resto = std::clamp<std::chrono::microseconds::rep>(
        std::chrono::ceil<std::chrono::microseconds>(limite - Orologio::now()).count(), 0,
        std::chrono::microseconds::rep{1} << 40);
    timeval tempo{static_cast<long>(resto / 1000000), static_cast<long>(resto % 1000000)};
    const int r = ::select(0, evento == Evento::Lettura ? &pronte : nullptr,
                           evento == Evento::Scrittura ? &pronte : nullptr, &errori, &tempo);
    return r > 0 ? 1 : r;
}

EsitoConnessione TipoErroreConnessione(int errore) noexcept {
    switch (errore) {
        case WSAECONNREFUSED:
            return EsitoConnessione::Rifiutata;
        case WSAETIMEDOUT:
            return EsitoConnessione::Scaduta;
        default:
            return EsitoConnessione::NonRaggiungibile;
    }
}

bool Chiusura(int errore) noexcept {
    return errore == WSAECONNRESET || errore == WSAECONNABORTED || errore == WSAESHUTDOWN;
}

std::string Motivo(int errore) {
    return errore ? DescrizioneErrore(static_cast<DWORD>(errore)) : std::string();
}

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
            e.motivo = Motivo(avvio_);
            return e;
        }
        try {
            Esegui(r, e);
        } catch (...) {
            e.connessione = EsitoConnessione::NonRaggiungibile;
            e.motivo = Motivo(WSA_NOT_ENOUGH_MEMORY);
        }
        return e;
    }

  private:
    static void Esegui(const RichiestaScambio& r, EsitoScambio& e) {
        const Orologio::time_point inizio = Orologio::now();
        const Orologio::time_point limiteConnessione = inizio + r.attesaConnessione;
        const std::u16string m = Utf16Da1252(r.macchina);
        const std::wstring macchina(m.begin(), m.end());
        const std::wstring porta = std::to_wstring(r.porta);

        // An address is read at once; a name may wait on the network, so it is resolved on a
        // thread of its own.
        Risoluzione risolta = Risolvi(macchina, porta, true);
        if (risolta.errore == WSAHOST_NOT_FOUND || risolta.errore == WSANO_DATA) {
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
            e.motivo = Motivo(risolta.errore ? risolta.errore : WSANO_DATA);
            return;
        }

        unique_socket presa;
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
            e.motivo = errore == -1 ? "" : Motivo(errore);
            if (errore == -1)
                return;
        }
        if (!presa)
            return;
        e.connessione = EsitoConnessione::Connessa;
        e.motivo.clear();
        Dialoga(presa.get(), r, e);
    }

    // Connects `presa` to `i` before `limite`: 0 connected, -1 past the deadline, else the
    // Winsock error.
    static int Connetti(const Indirizzo& i, Orologio::time_point limite, unique_socket& presa) {
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

    // Sends the request and reads the reply, within the reply's wait.
    static void Dialoga(SOCKET presa, const RichiestaScambio& r, EsitoScambio& e) {
        const Orologio::time_point inizio = Orologio::now();
        const Orologio::time_point limite = inizio + r.attesaRisposta;
        const auto fine = [&](FineLettura come, int errore) {
            e.fine = come;
            e.motivo = Motivo(errore);
            e.tempoRisposta = Da(inizio);
        };
        for (std::size_t inviati = 0; inviati < r.dati.size();) {
            const int n = ::send(presa, reinterpret_cast<const char*>(r.dati.data() + inviati),
                                 static_cast<int>(r.dati.size() - inviati), 0);
            if (n != SOCKET_ERROR) {
                inviati += static_cast<std::size_t>(n);
                continue;
            }
            const int errore = ::WSAGetLastError();
            if (errore != WSAEWOULDBLOCK)
                return fine(Chiusura(errore) ? FineLettura::Chiusa : FineLettura::Interrotta,
                            errore);
            const int pronta = Attendi(presa, Evento::Scrittura, limite);
            if (pronta <= 0)
                return fine(pronta == 0 ? FineLettura::Scaduta : FineLettura::Interrotta,
                            pronta == 0 ? 0 : ::WSAGetLastError());
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
            const int pronta = Attendi(presa, Evento::Lettura, limite);
            if (pronta <= 0) {
                return chiudi(pronta == 0 ? FineLettura::Scaduta : FineLettura::Interrotta,
                              pronta == 0 ? 0 : ::WSAGetLastError());
            }
            const int n = ::recv(presa, reinterpret_cast<char*>(e.ricevuti.data() + letti),
                                 static_cast<int>(r.massimo - letti), 0);
            if (n > 0) {
                letti += static_cast<std::size_t>(n);
            } else if (n == 0) {
                return chiudi(FineLettura::Chiusa, 0);
            } else if (const int errore = ::WSAGetLastError(); errore != WSAEWOULDBLOCK) {
                return chiudi(Chiusura(errore) ? FineLettura::Chiusa : FineLettura::Interrotta,
                              errore);
            }
        }
    }

    int avvio_ = 0;
};

}  // namespace

Rete& ReteDiSistema() {
    static ReteWin32 rete;
    return rete;
}

}  // namespace velmar
