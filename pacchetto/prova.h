// The connection check of a company's DB2 server, assembled for the window and the console: the
// company's machine and server type (from the window's entries, the command line or the
// company's line read through the store), one EXCSAT exchange with the machine over the
// network, its reply read by the DRDA codec and judged against the server type. Nothing is
// written anywhere and nothing but EXCSAT is sent: no login, no database, no credentials.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drda/excsat.h"
#include "drda/giudizio.h"
#include "platform/rete.h"
#include "store/archivio.h"
#include "store/record.h"
#include "store/risultato.h"

namespace velmar {

// DB2's usual port.
inline constexpr std::uint16_t kPortaDb2 = 50000;
// The default wait to connect, and again for the reply.
inline constexpr std::chrono::milliseconds kAttesaProva{3000};
// The most connections open at once when several servers are checked.
inline constexpr std::size_t kProveInsieme = 16;

struct AttesaProva {
    std::chrono::milliseconds connessione = kAttesaProva;
    std::chrono::milliseconds risposta = kAttesaProva;
};

// What a check found, from the best to the worst reached.
enum class EsitoProva {
    Corrisponde,        // the DB2 of the record's server type
    TipoDiverso,        // DB2 for Linux, UNIX and Windows of the other type
    Db2ZOs,             // DB2 for z/OS
    Db2I,               // DB2 for i
    NonDb2,             // a DRDA server that is not DB2
    RispostaNonValida,  // bytes that are not a DRDA server's reply to EXCSAT
    NessunaRisposta,    // connected, but no byte came back before the wait or the close
    Rifiutata,          // nothing listens on the port
    NonRaggiunta,       // no connection within the wait, or the machine cannot be reached
    NomeNonRisolto,     // the machine's name gives no address
    DatiMancanti,       // no server type or no machine to check
};

// Its name in JSON: "corrisponde", "tipo_diverso", "db2_zos", "db2_i", "non_db2",
// "risposta_non_valida", "nessuna_risposta", "rifiutata", "non_raggiunta", "nome_non_risolto",
// "dati_mancanti".
[[nodiscard]] std::string_view NomeEsito(EsitoProva esito) noexcept;

// A server to check: where it is, and what the record says it is.
struct ServerDaProvare {
    std::string macchina;  // an IPv4 or IPv6 address, or a name (Windows-1252)
    std::uint16_t porta = kPortaDb2;
    TipoServer server = TipoServer::Nessuno;
};

struct RisultatoProva {
    ServerDaProvare server;
    EsitoProva esito = EsitoProva::DatiMancanti;
    // What the check found, in Italian (Windows-1252), what came from the server and the
    // machine's text shown with their control characters made visible.
    std::string messaggio;
    std::optional<std::string> indirizzo;                  // the address connected to
    std::optional<std::chrono::milliseconds> connessione;  // the time to connect
    std::optional<std::chrono::milliseconds> risposta;     // from the request to the reply
    std::optional<drda::AttributiServer> attributi;        // of a reply read
    std::optional<drda::Piattaforma> piattaforma;          // the server that sent them

    [[nodiscard]] bool Corrisponde() const noexcept { return esito == EsitoProva::Corrisponde; }
};

// Checks one server: a missing server type or machine is reported in the confirmation's words
// ("Seleziona un Server DB2", "Inserisci la Macchina Unix") without any connection; otherwise one
// exchange within the two waits (see Rete::Scambia).
[[nodiscard]] RisultatoProva ProvaServer(Rete& rete, const ServerDaProvare& server,
                                         AttesaProva attesa);

// Checks several servers at once: each machine and port asked once however many entries name
// it, at most kProveInsieme connections open at a time, so that the whole takes about one wait
// when they are fewer. The results in the order of `server`.
[[nodiscard]] std::vector<RisultatoProva> ProvaServer(Rete& rete,
                                                      std::span<const ServerDaProvare> server,
                                                      AttesaProva attesa);

// A company's line and its check.
struct ProvaDitta {
    std::string codice;
    std::string descrizione;
    RisultatoProva risultato;
};

// The company of `codice` as the lookup finds it (its last line; the machine of the last line
// that has one), checked on `porta`. Fails as the lookup fails (DittaNonTrovata, Illeggibile, ...).
[[nodiscard]] Risultato<ProvaDitta> ProvaCodice(ArchivioDitte& archivio, Rete& rete,
                                                std::string_view codice, std::uint16_t porta,
                                                AttesaProva attesa);

// Every company line of the file, in file order, checked on `porta` all at once (see
// ProvaServer). Fails as the listing fails.
[[nodiscard]] Risultato<std::vector<ProvaDitta>> ProvaTutte(ArchivioDitte& archivio, Rete& rete,
                                                            std::uint16_t porta,
                                                            AttesaProva attesa);

// The check for a person, one fact a line ("\n" between them): the machine and port, the address
// reached, the times, SRVCLSNM, SRVRLSLV and SRVNAM as sent, the server read, and "Esito: " with
// the message.
[[nodiscard]] std::string TestoProva(const RisultatoProva& r);

// 3000 ms -> "3 s", 1500 ms -> "1,5 s", 250 ms -> "0,25 s".
[[nodiscard]] std::string Secondi(std::chrono::milliseconds durata);

}  // namespace velmar
