// The network as the connection check uses it: one exchange with a server over TCP (connect,
// send a request, read its reply, close), every step within its wait. The exchange does not
// read what it receives: the caller says when the bytes received are enough. Portable
// interface; rete_posix.cpp and rete_win32.cpp implement it over the system's sockets.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace velmar {

struct RichiestaScambio {
    std::string macchina;  // an IPv4 or IPv6 address, or a name (Windows-1252)
    std::uint16_t porta = 0;
    std::vector<unsigned char> dati;  // sent once connected
    // Reading stops once it says the bytes received are enough.
    std::function<bool(std::span<const unsigned char>)> basta;
    std::size_t massimo = 0;  // bytes read at most
    std::chrono::milliseconds attesaConnessione{0};
    std::chrono::milliseconds attesaRisposta{0};
};

// How far an exchange got.
enum class EsitoConnessione {
    Connessa,          // connected to an address; the request was sent and the reply read
    NomeNonRisolto,    // the name gave no address, or none within the wait
    Rifiutata,         // the address refused the connection: nothing listens on the port
    Scaduta,           // no connection within the wait
    NonRaggiungibile,  // the network or the machine cannot be reached, or connecting failed
};

// Why the reading of a connected exchange ended.
enum class FineLettura {
    Completa,    // the caller said enough, or the bytes read reached the most
    Chiusa,      // the server closed (or reset) the connection
    Scaduta,     // the reply's wait passed
    Interrotta,  // another failure of the connection
};

struct EsitoScambio {
    EsitoConnessione connessione = EsitoConnessione::NonRaggiungibile;
    // The address connected to (or the last one tried), numeric: "127.0.0.1", "::1".
    std::string indirizzo;
    // The system's reason for a failure, or "".
    std::string motivo;
    // From the start of the connection to the address that accepted to its acceptance.
    std::chrono::milliseconds tempoConnessione{0};
    // From the sending of the request to the end of the reading.
    std::chrono::milliseconds tempoRisposta{0};
    std::vector<unsigned char> ricevuti;
    FineLettura fine = FineLettura::Completa;
};

class Rete {
  public:
    virtual ~Rete() = default;
    // Resolves the machine (a name within the connection's wait), connects over TCP to each of
    // its addresses in turn until one accepts, all within the connection's wait; sends the
    // request; reads until `basta` says so, the server closes, `massimo` bytes have come or the
    // reply's wait has passed since the request was sent; closes. Nothing else is sent. It
    // never lasts much past the two waits, may run on several threads at once and never throws.
    [[nodiscard]] virtual EsitoScambio Scambia(const RichiestaScambio& richiesta) noexcept = 0;
};

// The network of the machine the program runs on.
[[nodiscard]] Rete& ReteDiSistema();

}  // namespace velmar
