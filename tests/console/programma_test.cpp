// The built SetupVelmarCmd run as a child process, natively and under Wine: every exit status
// with its message, the text conversions at both ends, the files a save leaves, and the check of
// every company's server, many at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "store/conferma.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/record.h"
#include "store/salvataggio.h"
#include "tests/console/programma.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/server_drda.h"

namespace velmar {
namespace {

namespace fs = std::filesystem;

const std::string kRighe =
    "Due;C:\\OCE\\Dwh002.oce;db2inst1;db2inst1;db2inst1;002;10.0.0.2;\r\n"
    "Uno;C:\\OCE\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;\r\n";

// A message of the store (Windows-1252) as the program prints it: one line of UTF-8.
std::string Riga(std::string_view messaggio) {
    return Utf8Da1252(messaggio) + "\n";
}

class Programma : public testing::Test {
  protected:
    void SetUp() override {
        base = tmp.Crea("pacchetto");
        for (const char* area : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"}) {
            fs::create_directories(base / area);
        }
        test::ScriviTesto(base / "BRIO_PARAMS.txt", kRighe);
        uscite = tmp.Crea("uscite");
    }

    test::EsitoProgramma Esegui(std::vector<std::string> argomenti) {
        return test::EseguiProgramma(argomenti, uscite);
    }

    std::vector<std::string> Salva(const std::string& cartella, const std::string& descrizione) {
        return {"salva",         "--base",     cartella,   "--codice", "001",
                "--descrizione", descrizione,  "--server", "linux",    "--macchina",
                "10.9.9.9",      "--catalogo", "D:\\OCE"};
    }

    test::CartellaTemporanea tmp;
    fs::path base;
    fs::path uscite;
};

// Each status once, as the shell sees it: the messages themselves are the command's.
TEST_F(Programma, EveryExitStatusComesWithItsMessage) {
    const std::string b = base.string();
    const fs::path senzaAree = tmp.Crea("senza_aree");
    test::ScriviTesto(senzaAree / "BRIO_PARAMS.txt", kRighe);
    const std::string assente = (tmp.Percorso() / "assente").string();
    const std::string aiuto = "Per l'aiuto: SetupVelmarCmd --help\n";
    struct Caso {
        std::vector<std::string> argomenti;
        int stato;
        std::string uscita;
        std::string errori;
    };
    const Caso casi[] = {
        {{"elenco", "--base", b}, 0, "002\n001\n", ""},
        {{"--json"},
         2,
         "{\"esito\":\"uso_errato\",\"stato\":2,\"messaggio\":\"Manca il comando: elenco, "
         "mostra, salva, verifica, distribuisci, elimina, ripara o prova\\nPer l'aiuto: "
         "SetupVelmarCmd --help\"}\n",
         "Manca il comando: elenco, mostra, salva, verifica, distribuisci, elimina, ripara o "
         "prova\n" +
             aiuto},
        {{"salva", "--base", b, "--codice", "003", "--descrizione", "Tre", "--server", "nt"},
         3,
         "",
         Riga(kMsgMacchinaMancante)},
        {{"mostra", "004", "--base", b}, 4, "", Riga(DittaNonTrovata("004").testo)},
        {Salva(senzaAree.string(), "Uno"), 6, "", Riga(MessaggioNessunaArea())},
        {{"elenco", "--base", assente},
         7,
         "",
         "La cartella del pacchetto non esiste: '" + assente + "'\n"},
        // The areas have no copy yet.
        {{"verifica", "--base", b}, 8, "", ""},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.errori + c.uscita);
        const test::EsitoProgramma e = Esegui(c.argomenti);
        EXPECT_EQ(e.stato, c.stato);
        if (c.stato == 8) {
            EXPECT_NE(e.uscita.find("CONTABILITA: la cartella dell'area non ha la copia"),
                      std::string::npos)
                << e.uscita;
            continue;
        }
        EXPECT_EQ(e.uscita, c.uscita);
        EXPECT_EQ(e.errori, c.errori);
    }
    EXPECT_EQ(test::LeggiTesto(senzaAree / "BRIO_PARAMS.txt"), kRighe);
    EXPECT_EQ(test::LeggiTesto(base / "BRIO_PARAMS.txt"), kRighe);
    EXPECT_FALSE(fs::exists(base / "COMMERCIALE" / "BRIO_PARAMS.txt"));
}

TEST_F(Programma, HelpGoesToStandardOutputWithAnExample) {
    const test::EsitoProgramma e = Esegui({"--help"});
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.errori, "");
    EXPECT_NE(e.uscita.find("Stato di uscita:\n  0  riuscito\n"), std::string::npos) << e.uscita;
    EXPECT_NE(e.uscita.find("Esempio:\n  SetupVelmarCmd salva"), std::string::npos);
    // Text leaves the program as UTF-8 when it is not a console.
    EXPECT_NE(e.uscita.find("pi\xC3\xB9 righe"), std::string::npos);
}

TEST_F(Programma, ASaveReplacesTheLineInTheBaseAndEveryAreaAndSaysSetupTerminato) {
    const test::EsitoProgramma e = Esegui(Salva(base.string(), "Societ\xC3\xA0 \xE2\x82\xAC"));
    EXPECT_EQ(e.stato, 0) << e.errori;
    EXPECT_EQ(e.uscita, Riga(kMsgSetupTerminato));
    EXPECT_EQ(e.errori, "");
    const DatiDitta dati{"001", "Societ\xE0 \x80", "10.9.9.9", "db2inst1", "db2inst1", "db2inst1"};
    const std::string atteso =
        kRighe.substr(0, kRighe.find("\r\n") + 2) + ComponiRecord(dati, "D:\\OCE") + "\r\n";
    for (const fs::path& p :
         {base, base / "CONTABILITA", base / "COMMERCIALE", base / "SCHEDULATORE"}) {
        EXPECT_EQ(test::LeggiTesto(p / "BRIO_PARAMS.txt"), atteso) << p;
    }
    EXPECT_FALSE(fs::exists(base / "BRIO_PARAMS.dep"));

    // Windows-1252 in the file; in JSON, the escapes of its characters' code points.
    const test::EsitoProgramma m = Esegui({"mostra", "001", "--json", "--base", base.string()});
    EXPECT_EQ(m.stato, 0);
    EXPECT_EQ(m.uscita,
              "{\"codice\":\"001\",\"descrizione\":\"Societ\\u00e0 \\u20ac\","
              "\"server\":\"linux\",\"macchina\":\"10.9.9.9\"}\n");
}

TEST_F(Programma, ASaveThatCannotReplaceAnAreaFileNamesItAndFails) {
    // A folder where the area's file should be cannot be replaced by a file.
    fs::create_directories(base / "COMMERCIALE" / "BRIO_PARAMS.txt");
    const test::EsitoProgramma e = Esegui(Salva(base.string(), "Uno"));
    EXPECT_EQ(e.stato, 5);
    EXPECT_EQ(e.uscita, "");
    const std::string bloccato = (base / "COMMERCIALE" / "BRIO_PARAMS.txt").string();
    EXPECT_EQ(e.errori.rfind(Riga(kMsgSalvataggioNonRiuscito) + bloccato + ": ", 0), 0u)
        << e.errori;
    // The base folder and the other areas got the new file all the same.
    EXPECT_NE(test::LeggiTesto(base / "SCHEDULATORE" / "BRIO_PARAMS.txt").find("10.9.9.9"),
              std::string::npos);

    const test::EsitoProgramma j = Esegui([&] {
        auto a = Salva(base.string(), "Uno");
        a.push_back("--json");
        return a;
    }());
    EXPECT_EQ(j.stato, 5);
    EXPECT_EQ(j.uscita.rfind("{\"esito\":\"salvato_in_parte\",", 0), 0u) << j.uscita;
}

// The Windows programs' saves at once, with each other and with the native program's, are the
// shared package script's (pacchetto_condiviso.sh).
#ifndef _WIN32
TEST_F(Programma, ParallelSavesOfDifferentCodesKeepEveryCompanyInEveryCopy) {
    constexpr int kGiri = 12;
    constexpr int kProcessi = 5;
    std::vector<std::string> salvati;
    for (int giro = 0; giro < kGiri; ++giro) {
        std::vector<std::unique_ptr<test::Processo>> processi;
        std::vector<std::string> codici;
        for (int i = 0; i < kProcessi; ++i) {
            codici.push_back(std::to_string(giro * kProcessi + i));
            processi.push_back(std::make_unique<test::Processo>(
                VELMAR_CONSOLE_EXE,
                std::vector<std::string>{"salva", "--base", base.string(), "--codice",
                                         "P" + codici.back(), "--descrizione", "Ditta", "--server",
                                         "nt", "--macchina", "10.0.0.1"},
                uscite));
        }
        for (int i = 0; i < kProcessi; ++i) {
            const test::EsitoProgramma e = processi[i]->Attendi();
            EXPECT_EQ(e.stato, 0) << codici[i] << ": " << e.errori;
            if (e.stato == 0)
                salvati.push_back(codici[i]);
        }
        const std::string parametri = test::LeggiTesto(base / "BRIO_PARAMS.txt");
        for (const char* area : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"}) {
            ASSERT_EQ(test::LeggiTesto(base / area / "BRIO_PARAMS.txt"), parametri)
                << "giro " << giro << ", " << area;
        }
        ASSERT_EQ(parametri.rfind(kRighe, 0), 0u) << "the first companies are kept";
        for (const std::string& codice : salvati) {
            EXPECT_NE(parametri.find(";P" + codice + ";10.0.0.1;\r\n"), std::string::npos)
                << "giro " << giro << ": " << codice << " saved, then lost";
        }
    }
    EXPECT_FALSE(fs::exists(base / "BRIO_PARAMS.dep"));
}
#endif

TEST_F(Programma, ArgumentsWithCharactersWindows1252LacksAreRejected) {
    struct Caso {
        std::vector<std::string> argomenti;
        int stato;
        std::string errori;
    };
    const Caso casi[] = {
        {Salva(base.string(),
               "\xC5\x81\xC3\xB3"
               "d\xC5\xBA"),  // Łódź
         3, Riga(MessaggioCaratteriNonAmmessi(kEtichettaDescrizione))},
        {{"mostra", "\xE2\x84\x96", "--base", base.string()},  // №
         3,
         Riga(MessaggioCaratteriNonAmmessi(kEtichettaCodice))},
        {{"elenco", "--base", base.string() + "\xCE\xA9"},  // Ω
         2,
         "La cartella di '--base' contiene " + Riga(kCaratteriNonAmmessi) +
             "Per l'aiuto: SetupVelmarCmd --help\n"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.errori);
        const test::EsitoProgramma e = Esegui(c.argomenti);
        EXPECT_EQ(e.stato, c.stato);
        EXPECT_EQ(e.errori, c.errori);
        EXPECT_EQ(e.uscita, "");
    }
    EXPECT_EQ(test::LeggiTesto(base / "BRIO_PARAMS.txt"), kRighe);
}

}  // namespace
}  // namespace velmar

namespace velmar {
namespace {

// 40 companies on 8 servers of the loopback addresses 127.0.0.2 to 127.0.0.9, all on one port,
// three of them silent: every row gives its server's outcome against its own record's type,
// each server is asked once, and the whole run, the program's start and end included, takes
// one wait and about a second more.
TEST_F(Programma, ProvaTutteChecksFortyCompaniesOnEightServersInAboutOneWait) {
    using namespace std::chrono_literals;
    using test::Copione;
    const Copione copioni[] = {Copione::Db2Nt64,       Copione::Db2LinuxX8664, Copione::Silenzioso,
                               Copione::Db2Aix64,      Copione::Db2Nt64,       Copione::Silenzioso,
                               Copione::Db2LinuxX8664, Copione::Silenzioso};
    // One port free on all eight addresses.
    std::vector<std::unique_ptr<test::ServerDrda>> server;
    for (int tentativo = 0; tentativo < 20 && server.size() < std::size(copioni); ++tentativo) {
        server.clear();
        std::uint16_t porta = 0;
        for (std::size_t i = 0; i < std::size(copioni); ++i) {
            server.push_back(std::make_unique<test::ServerDrda>(
                copioni[i], "127.0.0." + std::to_string(i + 2), porta));
            if (!server.back()->Attivo()) {
                server.clear();
                break;
            }
            porta = server.back()->Porta();
        }
    }
    ASSERT_EQ(server.size(), std::size(copioni));
    const std::string porta = std::to_string(server[0]->Porta());

    std::string righe;
    std::vector<std::string> attese;
    for (int i = 0; i < 40; ++i) {
        const std::size_t s = static_cast<std::size_t>(i) % std::size(copioni);
        const bool nt = i % 3 == 0;
        const std::string codice = std::to_string(100 + i);
        const std::string macchina = "127.0.0." + std::to_string(s + 2);
        const DatiDitta d{codice,
                          "Ditta " + codice,
                          macchina,
                          nt ? "db2admin" : "db2inst1",
                          nt ? "db2admin" : "db2inst1",
                          nt ? "db2admin" : "db2inst1"};
        righe += ComponiRecord(d, "C:\\OCE") + "\r\n";
        const bool windows = copioni[s] == Copione::Db2Nt64;
        const char* esito = copioni[s] == Copione::Silenzioso ? "nessuna_risposta"
                            : windows == nt                   ? "corrisponde"
                                                              : "tipo_diverso";
        attese.push_back("{\"codice\":\"" + codice + "\",\"descrizione\":\"Ditta " + codice +
                         "\",\"esito\":\"" + esito + "\",\"macchina\":\"" + macchina +
                         "\",\"porta\":" + porta + ",\"server\":\"" + (nt ? "nt" : "linux") +
                         "\",");
    }
    test::ScriviTesto(base / "BRIO_PARAMS.txt", righe);

    const auto inizio = std::chrono::steady_clock::now();
    const test::EsitoProgramma e = Esegui(
        {"prova", "--tutte", "--base", base.string(), "--porta", porta, "--attesa", "2", "--json"});
    const auto durata = std::chrono::steady_clock::now() - inizio;

    EXPECT_EQ(e.stato, 10) << e.errori;
    std::size_t dove = 0;
    for (const std::string& attesa : attese) {
        const std::size_t trovata = e.uscita.find(attesa, dove);
        ASSERT_NE(trovata, std::string::npos) << attesa << "\n" << e.uscita;
        dove = trovata + attesa.size();
    }
    for (const auto& s : server)
        EXPECT_EQ(s->Connessioni(), 1) << "port " << s->Porta();
    EXPECT_LT(durata, 3s) << std::chrono::duration_cast<std::chrono::milliseconds>(durata).count()
                          << " ms";
    std::cout << "prova --tutte, 40 companies on 8 servers (3 silent), a wait of 2 s: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(durata).count()
              << " ms, the program's start and end included\n";
}

}  // namespace
}  // namespace velmar
