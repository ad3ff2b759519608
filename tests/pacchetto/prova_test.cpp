// The connection check: what each outcome of the exchange becomes, several servers asked at
// once, and the real exchange over the system's sockets with the tests' DRDA server on the
// loopback addresses (natively, and with Winsock under Wine).
#include "pacchetto/prova.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "drda/excsat.h"
#include "store/conferma.h"
#include "tests/support/risposta_drda.h"
#include "tests/support/server_drda.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using test::Copione;
using test::ServerDrda;

// A network that answers from a table, one exchange at a time or several, and counts them.
class ReteFinta final : public Rete {
  public:
    std::map<std::string, EsitoScambio> risposte;  // by "machine:port"
    std::chrono::milliseconds durata{0};

    EsitoScambio Scambia(const RichiestaScambio& r) noexcept override {
        const std::string chiave = r.macchina + ":" + std::to_string(r.porta);
        {
            const std::lock_guard<std::mutex> blocco(m_);
            chiamate.push_back(chiave);
            richieste.push_back(r.dati);
            massimoInsieme = std::max(massimoInsieme, ++inCorso_);
        }
        std::this_thread::sleep_for(durata);
        {
            const std::lock_guard<std::mutex> blocco(m_);
            --inCorso_;
        }
        const auto i = risposte.find(chiave);
        return i == risposte.end() ? EsitoScambio{} : i->second;
    }

    std::vector<std::string> chiamate;
    std::vector<std::vector<unsigned char>> richieste;
    int massimoInsieme = 0;

  private:
    std::mutex m_;
    int inCorso_ = 0;
};

EsitoScambio Risposta(std::vector<unsigned char> ricevuti,
                      FineLettura fine = FineLettura::Completa) {
    EsitoScambio e;
    e.connessione = EsitoConnessione::Connessa;
    e.indirizzo = "10.1.1.1";
    e.tempoConnessione = 2ms;
    e.tempoRisposta = 9ms;
    e.ricevuti = std::move(ricevuti);
    e.fine = fine;
    return e;
}

EsitoScambio Fallita(EsitoConnessione c, std::string indirizzo, std::string motivo) {
    EsitoScambio e;
    e.connessione = c;
    e.indirizzo = std::move(indirizzo);
    e.motivo = std::move(motivo);
    return e;
}

// Each way an exchange can end, as the check words it: the outcomes the tests' servers on the
// loopback addresses cannot give (a name, a connection's wait) among them.
TEST(ProvaServer, EachOutcomeOfTheExchangeHasItsOwnMessage) {
    const AttesaProva attesa{2500ms, 1500ms};
    const std::vector<unsigned char> nt64 = test::RispostaExcsat("QDB2/NT64", "SQL11055");
    const struct {
        EsitoScambio scambio;
        EsitoProva esito;
        std::string messaggio;
    } casi[] = {
        {Fallita(EsitoConnessione::NomeNonRisolto, "", "Name or service not known"),
         EsitoProva::NomeNonRisolto,
         "il nome 'db2\\x1B' non d\xE0 nessun indirizzo: Name or service not known"},
        {Fallita(EsitoConnessione::Rifiutata, "10.1.1.1", "Connection refused"),
         EsitoProva::Rifiutata,
         "connessione rifiutata da 10.1.1.1, porta 50000: nessun server in ascolto"},
        {Fallita(EsitoConnessione::Scaduta, "10.1.1.1", ""), EsitoProva::NonRaggiunta,
         "nessuna connessione con 10.1.1.1, porta 50000 entro 2,5 s"},
        {Fallita(EsitoConnessione::NonRaggiungibile, "10.1.1.1", "No route to host"),
         EsitoProva::NonRaggiunta, "10.1.1.1, porta 50000 non raggiungibile: No route to host"},
        {Risposta({}, FineLettura::Scaduta), EsitoProva::NessunaRisposta,
         "connesso a 10.1.1.1, porta 50000, ma nessuna risposta entro 1,5 s"},
        {Risposta({}, FineLettura::Chiusa), EsitoProva::NessunaRisposta,
         "connesso a 10.1.1.1, porta 50000, ma il server ha chiuso la connessione senza "
         "rispondere"},
        {[] {
             EsitoScambio e = Risposta({}, FineLettura::Interrotta);
             e.motivo = "Broken pipe";
             return e;
         }(),
         EsitoProva::NessunaRisposta,
         "connesso a 10.1.1.1, porta 50000, ma la connessione si \xE8 interrotta senza risposta: "
         "Broken pipe"},
        {Risposta({0x00, 0x20, 0xD0}, FineLettura::Chiusa), EsitoProva::RispostaNonValida,
         "risposta non valida da 10.1.1.1, porta 50000: risposta troncata: 3 byte, meno dei 6 "
         "dell'intestazione DSS; poi il server ha chiuso la connessione"},
        {Risposta({'S', 'S', 'H'}, FineLettura::Completa), EsitoProva::RispostaNonValida,
         "risposta non valida da 10.1.1.1, porta 50000: non \xE8 una risposta DRDA: il terzo byte "
         "\xE8 X'48', non X'D0' (primi byte: 53 53 48)"},
        {Risposta(nt64), EsitoProva::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice NT "
         "(db2admin)"},
    };
    for (const auto& c : casi) {
        ReteFinta rete;
        rete.risposte["db2\x1B:50000"] = c.scambio;
        const RisultatoProva r = ProvaServer(rete, {"db2\x1B", kPortaDb2, TipoServer::NT}, attesa);
        EXPECT_EQ(r.esito, c.esito) << c.messaggio;
        EXPECT_EQ(r.messaggio, c.messaggio);
        const bool connessa = c.scambio.connessione == EsitoConnessione::Connessa;
        EXPECT_EQ(r.indirizzo.has_value(), connessa) << c.messaggio;
        EXPECT_EQ(r.attributi.has_value(), c.esito == EsitoProva::Corrisponde) << c.messaggio;
        // What is sent is the EXCSAT request alone.
        EXPECT_EQ(rete.richieste, std::vector<std::vector<unsigned char>>{drda::RichiestaExcsat()});
    }
}

TEST(ProvaServer, AMissingServerTypeOrMachineIsToldInTheConfirmationsWordsWithoutConnecting) {
    ReteFinta rete;
    const struct {
        ServerDaProvare server;
        std::string_view messaggio;
    } casi[] = {
        {{"", kPortaDb2, TipoServer::Nessuno}, kMsgServerMancante},
        {{"10.1.1.1", kPortaDb2, TipoServer::Nessuno}, kMsgServerMancante},
        {{"", kPortaDb2, TipoServer::Linux}, kMsgMacchinaMancante},
    };
    for (const auto& c : casi) {
        const RisultatoProva r = ProvaServer(rete, c.server, {});
        EXPECT_EQ(r.esito, EsitoProva::DatiMancanti);
        EXPECT_EQ(r.messaggio, c.messaggio);
    }
    EXPECT_TRUE(rete.chiamate.empty());
}

// 40 entries naming 20 machines and ports: each asked once, 16 at a time at most, the results in
// the entries' order, each judged against its own record's type.
TEST(ProvaServer, SeveralServersAreAskedOnceEachAtMostSixteenAtATime) {
    ReteFinta rete;
    rete.durata = 50ms;
    std::vector<ServerDaProvare> server;
    for (int i = 0; i < 20; ++i) {
        const bool nt = i % 2 == 0;
        const std::string macchina = "10.1.1." + std::to_string(i / 2);
        const std::uint16_t porta = static_cast<std::uint16_t>(50000 + i % 2);
        rete.risposte[macchina + ":" + std::to_string(porta)] =
            Risposta(test::RispostaExcsat(nt ? "QDB2/NT64" : "QDB2/LINUXX8664", "SQL11055"));
        server.push_back({macchina, porta, TipoServer::NT});
        server.push_back({macchina, porta, TipoServer::Linux});
    }
    server.push_back({"", kPortaDb2, TipoServer::NT});

    const std::vector<RisultatoProva> r = ProvaServer(rete, server, {});
    ASSERT_EQ(r.size(), server.size());
    std::vector<std::string> chiamate = rete.chiamate;
    std::sort(chiamate.begin(), chiamate.end());
    EXPECT_EQ(chiamate.size(), 20u);
    EXPECT_EQ(std::unique(chiamate.begin(), chiamate.end()), chiamate.end());
    EXPECT_LE(rete.massimoInsieme, static_cast<int>(kProveInsieme));
    EXPECT_GT(rete.massimoInsieme, 1);
    for (std::size_t i = 0; i + 1 < r.size(); ++i) {
        EXPECT_EQ(r[i].server.macchina, server[i].macchina);
        EXPECT_EQ(r[i].server.porta, server[i].porta);
        const bool nt = server[i].porta == 50000;
        EXPECT_EQ(r[i].Corrisponde(), nt == (server[i].server == TipoServer::NT)) << i;
    }
    EXPECT_EQ(r.back().esito, EsitoProva::DatiMancanti);
}

TEST(Secondi, WholeAndPartSecondsWithAComma) {
    EXPECT_EQ(Secondi(0ms), "0 s");
    EXPECT_EQ(Secondi(3000ms), "3 s");
    EXPECT_EQ(Secondi(1500ms), "1,5 s");
    EXPECT_EQ(Secondi(250ms), "0,25 s");
    EXPECT_EQ(Secondi(10001ms), "10,001 s");
}

// The real exchange with the tests' server: each script, and a port with nothing listening,
// gives its outcome and message, within the two waits.
TEST(ProvaServerInRete, EachScriptedServerGivesItsOutcomeWithinItsWait) {
    const AttesaProva attesa{1000ms, 1000ms};
    const std::size_t intera = ServerDrda::Risposta(Copione::Db2Nt64).size();
    const struct {
        std::optional<Copione> copione;  // none: nothing listens
        TipoServer record;
        EsitoProva esito;
        std::string messaggio;  // {} stands for "127.0.0.1, porta <port>"
    } casi[] = {
        {Copione::Db2Nt64, TipoServer::NT, EsitoProva::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice NT "
         "(db2admin)"},
        {Copione::Db2Nt64, TipoServer::Linux, EsitoProva::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice "
         "Linux (db2inst1)"},
        {Copione::Db2LinuxX8664, TipoServer::NT, EsitoProva::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Linux (QDB2/LINUXX8664, SQL11055), il record "
         "dice NT (db2admin)"},
        {Copione::Db2LinuxX8664, TipoServer::Linux, EsitoProva::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Linux (QDB2/LINUXX8664, SQL11055), il record dice "
         "Linux (db2inst1)"},
        {Copione::Db2Aix64, TipoServer::Linux, EsitoProva::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Unix (QDB2/AIX64, SQL10059), il record dice Linux "
         "(db2inst1)"},
        {Copione::Db2Aix64, TipoServer::NT, EsitoProva::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Unix (QDB2/AIX64, SQL10059), il record dice NT "
         "(db2admin)"},
        {Copione::Db2ZOs, TipoServer::NT, EsitoProva::Db2ZOs,
         "non corrisponde: il server \xE8 DB2 per z/OS (QDB2, DSN12015), non per Windows n\xE9 per "
         "Linux; il record dice NT (db2admin)"},
        {Copione::Db2ZOs, TipoServer::Linux, EsitoProva::Db2ZOs,
         "non corrisponde: il server \xE8 DB2 per z/OS (QDB2, DSN12015), non per Windows n\xE9 per "
         "Linux; il record dice Linux (db2inst1)"},
        {Copione::Silenzioso, TipoServer::NT, EsitoProva::NessunaRisposta,
         "connesso a {}, ma nessuna risposta entro 1 s"},
        {Copione::ChiudeSubito, TipoServer::NT, EsitoProva::NessunaRisposta,
         "connesso a {}, ma il server ha chiuso la connessione senza rispondere"},
        {Copione::Spazzatura, TipoServer::NT, EsitoProva::RispostaNonValida,
         "risposta non valida da {}: non \xE8 una risposta DRDA: il terzo byte \xE8 X'54', non "
         "X'D0' (primi byte: 48 54 54 50 2F 31 2E 31)"},
        {Copione::DssTroncata, TipoServer::NT, EsitoProva::RispostaNonValida,
         "risposta non valida da {}: risposta troncata: la DSS dichiara " + std::to_string(intera) +
             " byte, ne sono arrivati " + std::to_string(intera / 2) +
             "; poi nessun altro byte entro 1 s"},
        {Copione::LunghezzeFalse, TipoServer::NT, EsitoProva::RispostaNonValida,
         "risposta non valida da {}: il parametro X'1147' (SRVCLSNM) dichiara 240 byte, l'oggetto "
         "EXCSATRD ne contiene ancora 34"},
        {std::nullopt, TipoServer::NT, EsitoProva::Rifiutata,
         "connessione rifiutata da {}: nessun server in ascolto"},
    };
    for (const auto& c : casi) {
        std::optional<ServerDrda> server;
        std::uint16_t porta = test::PortaLibera();
        if (c.copione) {
            server.emplace(*c.copione);
            ASSERT_TRUE(server->Attivo());
            porta = server->Porta();
        }
        std::string messaggio = c.messaggio;
        if (const auto i = messaggio.find("{}"); i != std::string::npos)
            messaggio.replace(i, 2, "127.0.0.1, porta " + std::to_string(porta));

        const auto inizio = std::chrono::steady_clock::now();
        const RisultatoProva r =
            ProvaServer(ReteDiSistema(), {"127.0.0.1", porta, c.record}, attesa);
        const auto durata = std::chrono::steady_clock::now() - inizio;

        EXPECT_EQ(r.esito, c.esito) << messaggio;
        EXPECT_EQ(r.messaggio, messaggio);
        EXPECT_LT(durata, attesa.connessione + attesa.risposta) << messaggio;
        if (c.copione == Copione::Silenzioso || c.copione == Copione::DssTroncata) {
            EXPECT_GE(durata, attesa.risposta - 50ms) << messaggio;
        }
        if (!c.copione)
            continue;
        EXPECT_EQ(r.indirizzo, "127.0.0.1");
        EXPECT_TRUE(r.connessione && r.risposta);
        EXPECT_EQ(server->Connessioni(), 1);
    }
}

TEST(ProvaServerInRete, SendsTheRequestAloneAndReachesIpv6AddressesAndNames) {
    ServerDrda nt64(Copione::Db2Nt64);
    ASSERT_TRUE(nt64.Attivo());
    const RisultatoProva perNome =
        ProvaServer(ReteDiSistema(), {"localhost", nt64.Porta(), TipoServer::NT}, {});
    EXPECT_EQ(perNome.esito, EsitoProva::Corrisponde) << perNome.messaggio;
    EXPECT_EQ(perNome.indirizzo, "127.0.0.1");
    EXPECT_EQ(nt64.Richieste(), std::vector<std::vector<unsigned char>>{drda::RichiestaExcsat()});

    ServerDrda ipv6(Copione::Db2LinuxX8664, "::1");
    if (!ipv6.Attivo())
        GTEST_SKIP() << "no IPv6 loopback here";
    const RisultatoProva r =
        ProvaServer(ReteDiSistema(), {"::1", ipv6.Porta(), TipoServer::Linux}, {});
    EXPECT_EQ(r.esito, EsitoProva::Corrisponde) << r.messaggio;
    EXPECT_EQ(r.indirizzo, "::1");
}

}  // namespace
}  // namespace velmar
