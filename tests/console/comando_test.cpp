#include "console/comando.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/aiuto.h"
#include "console/json.h"
#include "pacchetto/messaggi.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/salvataggio.h"
#include "velmar/versione.h"

#include "tests/support/dati.h"
#include "tests/support/file_system_memoria.h"
#include "tests/support/server_drda.h"

namespace velmar {
namespace {

const std::optional<std::string> kNonRappresentabile = std::nullopt;
const std::string kNonAmmessi(kCaratteriNonAmmessi);
const std::string kTerminato(kMsgSetupTerminato);
const std::string kNonRiuscito(kMsgSalvataggioNonRiuscito);

// A message as the console prints it: one line.
std::string Riga(std::string_view messaggio) {
    return std::string(messaggio) + "\n";
}

// A package in memory at C:\P with every area folder, and the console run over it.
class Console : public testing::Test {
  protected:
    static constexpr const char* kBase = "C:\\P";
    static constexpr const char* kParametri = "C:\\P\\BRIO_PARAMS.txt";

    void SetUp() override {
        fs.cartelle = {kBase, "C:\\P\\CONTABILITA", "C:\\P\\COMMERCIALE", "C:\\P\\SCHEDULATORE"};
    }

    // Runs the arguments (nullopt: one that failed conversion) on the Windows rules, where
    // --base may be left out; the store is the memory package unless `archivio` is set.
    StatoUscita Esegui(std::vector<std::optional<std::string>> argomenti,
                       SistemaConsole sistema = SistemaConsole::Windows) {
        std::vector<VoceUtente> voci;
        for (auto& a : argomenti)
            voci.push_back({std::move(a)});
        return EseguiVoci(voci, sistema);
    }

    StatoUscita EseguiVoci(const std::vector<VoceUtente>& voci,
                           SistemaConsole sistema = SistemaConsole::Windows) {
        uscita.str("");
        errori.str("");
        creazioni = 0;
        const FabbricaArchivio fabbrica =
            [this](const OpzioniArchivio& o) -> Risultato<std::unique_ptr<ArchivioDitte>> {
            ++creazioni;
            opzioni = o;
            if (archivio)
                return std::move(archivio);
            if (!erroreFabbrica.empty())
                return Errore(TipoErrore::CartellaNonDisponibile, erroreFabbrica);
            return CreaArchivioCartella(fs, kBase, o.catalogo);
        };
        return EseguiComando(voci, uscita, errori, fabbrica, sistema);
    }

    test::FileSystemMemoria fs;
    std::unique_ptr<ArchivioDitte> archivio;
    std::string erroreFabbrica;
    std::ostringstream uscita;
    std::ostringstream errori;
    int creazioni = 0;
    OpzioniArchivio opzioni;
};

// A store that answers every change with a given result, or throws.
class ArchivioFisso final : public ArchivioDitte {
  public:
    explicit ArchivioFisso(RisultatoModifica r, bool lancia = false)
        : r_(std::move(r)), lancia_(lancia) {}
    Risultato<std::vector<std::string>> LeggiDitte() override {
        if (lancia_)
            throw std::runtime_error("guasto");
        return std::vector<std::string>();
    }
    Risultato<std::vector<VoceDitta>> LeggiElenco() override { return std::vector<VoceDitta>(); }
    Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) override {
        return DittaNonTrovata(codice);
    }
    std::optional<Problema> AvvisoLettura() override { return std::nullopt; }
    Salvataggio PreparaScrittura(const DatiDitta&) override {
        return [this] { return r_; };
    }
    RisultatoModifica Elimina(std::string_view) override { return r_; }
    RisultatoModifica Distribuisci() override { return r_; }
    Risultato<std::vector<Problema>> Verifica() override { return std::vector<Problema>(); }
    RisultatoModifica Ripara() override { return r_; }

  private:
    RisultatoModifica r_;
    bool lancia_;
};

// A change that went through, in part when `nonAggiornati` is not empty.
Aggiornamento Fatto(std::vector<std::string> aggiornati,
                    std::vector<PercorsoNonAggiornato> nonAggiornati,
                    std::vector<PercorsoNonAggiornato> avvisi,
                    TipoModifica modifica = TipoModifica::Salvataggio) {
    Aggiornamento a;
    a.modifica = modifica;
    a.aggiornati = std::move(aggiornati);
    a.nonAggiornati = std::move(nonAggiornati);
    a.avvisi = std::move(avvisi);
    return a;
}

const std::string kAiuto = "Per l'aiuto: SetupVelmarCmd --help\n";

TEST_F(Console, WrongCommandLinesAreUsageErrorsThatTouchNoStore) {
    struct Caso {
        std::vector<std::optional<std::string>> argomenti;
        std::string messaggio;
    };
    const Caso casi[] = {
        {{},
         "Manca il comando: elenco, mostra, salva, verifica, distribuisci, elimina, ripara o "
         "prova"},
        {{"--json"},
         "Manca il comando: elenco, mostra, salva, verifica, distribuisci, elimina, ripara o "
         "prova"},
        {{"aggiungi"}, "Comando sconosciuto: 'aggiungi'"},
        {{"ELENCO"}, "Comando sconosciuto: 'ELENCO'"},
        {{kNonRappresentabile}, "Comando sconosciuto: (" + kNonAmmessi + ")"},
        {{"elenco", "--base"}, "Manca il valore dell'opzione '--base'"},
        {{"elenco", "--bse", "C:\\P"}, "Opzione sconosciuta: '--bse'"},
        {{"elenco", "-j"}, "Opzione sconosciuta: '-j'"},
        {{"elenco", "--json=si"}, "L'opzione '--json' non vuole un valore"},
        {{"salva", "--codice", "1", "--codice=2"}, "L'opzione '--codice' \xE8 ripetuta"},
        {{"elenco", "--macchina", "m"},
         "L'opzione '--macchina' vale solo con i comandi salva e prova"},
        {{"elimina", "1", "--server=nt"},
         "L'opzione '--server' vale solo con i comandi salva e prova"},
        {{"salva", "--tutte"}, "L'opzione '--tutte' vale solo con il comando prova"},
        {{"prova"},
         "Il comando prova vuole il codice della ditta, --macchina e --server, o --tutte"},
        {{"prova", "001", "--tutte"},
         "Il comando prova vuole uno solo fra il codice della ditta, --macchina e --tutte"},
        {{"prova", "--tutte", "--server", "nt"},
         "Il comando prova vuole uno solo fra il codice della ditta, --macchina e --tutte"},
        {{"prova", "001", "002"}, "Argomento in pi\xF9: '002'"},
        {{"prova", "--tutte", "--porta", "0"},
         "Valore non ammesso per '--porta': '0' (usa un numero da 1 a 65535)"},
        {{"prova", "--tutte", "--porta", "65536"},
         "Valore non ammesso per '--porta': '65536' (usa un numero da 1 a 65535)"},
        {{"prova", "--tutte", "--porta=5e4"},
         "Valore non ammesso per '--porta': '5e4' (usa un numero da 1 a 65535)"},
        {{"prova", "--tutte", "--attesa", "0"},
         "Valore non ammesso per '--attesa': '0' (usa i secondi, da 0,001 a 3600)"},
        {{"prova", "--tutte", "--attesa", "1,2345"},
         "Valore non ammesso per '--attesa': '1,2345' (usa i secondi, da 0,001 a 3600)"},
        {{"prova", "--tutte", "--attesa", "3601"},
         "Valore non ammesso per '--attesa': '3601' (usa i secondi, da 0,001 a 3600)"},
        {{"prova", "--tutte", "--attesa", "-1"},
         "Valore non ammesso per '--attesa': '-1' (usa i secondi, da 0,001 a 3600)"},
        {{"mostra", "1", "--porta", "50000"}, "L'opzione '--porta' vale solo con il comando prova"},
        {{"mostra", "1", "--dettagli"}, "L'opzione '--dettagli' vale solo con il comando elenco"},
        {{"mostra"}, "Il comando mostra vuole il codice della ditta"},
        {{"elimina"}, "Il comando elimina vuole il codice della ditta"},
        {{"mostra", "1", "2"}, "Argomento in pi\xF9: '2'"},
        {{"verifica", "x"}, "Argomento in pi\xF9: 'x'"},
        {{"salva", "x"}, "Argomento in pi\xF9: 'x'"},
        {{"salva", "--server", "aix"}, "Valore non ammesso per '--server': 'aix' (usa nt o linux)"},
        {{"salva", "--server", kNonRappresentabile},
         "Valore non ammesso per '--server': (" + kNonAmmessi + ") (usa nt o linux)"},
        {{"elenco", "--base", kNonRappresentabile},
         "La cartella di '--base' contiene " + kNonAmmessi},
        {{"elenco", "--", "--help"}, "Argomento in pi\xF9: '--help'"},
        {{"elenco", "\x1B[2J"}, "Argomento in pi\xF9: '\\x1B[2J'"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.messaggio);
        EXPECT_EQ(Esegui(c.argomenti), StatoUscita::UsoErrato);
        EXPECT_EQ(errori.str(), c.messaggio + "\n" + kAiuto);
        EXPECT_EQ(creazioni, 0);
    }
}

TEST_F(Console, BaseFolderIsRequiredOnLinuxOnly) {
    EXPECT_EQ(Esegui({"elenco"}, SistemaConsole::Linux), StatoUscita::UsoErrato);
    EXPECT_EQ(
        errori.str(),
        "Manca l'opzione '--base': su Linux la cartella del pacchetto va indicata\n" + kAiuto);
    EXPECT_EQ(creazioni, 0);

    EXPECT_EQ(Esegui({"elenco"}, SistemaConsole::Windows), StatoUscita::Riuscito);
    EXPECT_FALSE(opzioni.base);
    EXPECT_FALSE(opzioni.catalogo);

    EXPECT_EQ(Esegui({"--base=/srv/v", "elenco", "--catalogo", ""}, SistemaConsole::Linux),
              StatoUscita::Riuscito);
    EXPECT_EQ(opzioni.base, "/srv/v");
    EXPECT_EQ(opzioni.catalogo, ValoreCatalogo{});
}

TEST_F(Console, HelpAndVersionWinAnywhereBeforeTheEndOfOptions) {
    for (const auto& argomenti : std::vector<std::vector<std::optional<std::string>>>{
             {"--help"}, {"-h"}, {"sconosciuto", "--help"}, {"salva", "--codice", "1", "-h"}}) {
        EXPECT_EQ(Esegui(argomenti, SistemaConsole::Linux), StatoUscita::Riuscito);
        EXPECT_EQ(uscita.str(), TestoAiuto(SistemaConsole::Linux));
        EXPECT_EQ(errori.str(), "");
    }
    for (const SistemaConsole s : {SistemaConsole::Linux, SistemaConsole::Windows}) {
        const std::string aiuto = TestoAiuto(s);
        for (int stato = 0; stato <= 10; ++stato) {
            EXPECT_NE(aiuto.find("\n  " + std::to_string(stato) + (stato < 10 ? "  " : " ")),
                      std::string::npos)
                << stato;
        }
        for (const char* comando : {"elenco", "mostra", "salva", "verifica", "distribuisci",
                                    "elimina", "ripara", "prova"}) {
            EXPECT_NE(aiuto.find("\n  " + std::string(comando) + " "), std::string::npos)
                << comando;
        }
    }
    EXPECT_EQ(Esegui({"elimina", "--versione"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "SetupVelmarCmd " + std::string(kVersione) + "\n");
    EXPECT_EQ(Esegui({"--versione", "--json"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "{\"esito\":\"riuscito\",\"stato\":0,\"versione\":\"" +
                                std::string(kVersione) + "\"}\n");
    EXPECT_EQ(creazioni, 0);
}

// After an option that takes a value, the next argument is that value, whatever it spells.
TEST_F(Console, AValueThatSpellsAnOptionIsAValue) {
    const auto salva = [](std::string descrizione, std::string catalogo) {
        return std::vector<std::optional<std::string>>{
            "salva", "--codice",   "1", "--descrizione", std::move(descrizione), "--server",
            "nt",    "--macchina", "m", "--catalogo",    std::move(catalogo)};
    };
    const auto record = [](std::string descrizione, std::string_view catalogo) {
        const DatiDitta d{"1", std::move(descrizione), "m", "db2admin", "db2admin", "db2admin"};
        return ComponiRecord(d, catalogo) + "\r\n";
    };
    EXPECT_EQ(Esegui(salva("-h", "--versione")), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), Riga(kMsgSetupTerminato));
    EXPECT_EQ(fs.file[kParametri], record("-h", "--versione"));
    EXPECT_EQ(Esegui(salva("--json", "--help")), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), Riga(kMsgSetupTerminato)) << "--json as a value asks for no JSON";
    EXPECT_EQ(fs.file[kParametri], record("--json", "--help"));
}

// The list and the lookup print what the store reads (its rules are the store's); plain text
// shows control bytes as escapes, JSON escapes them its own way.
TEST_F(Console, ListAndShowPrintWhatTheStoreReads) {
    fs.file[kParametri] =
        "A;c;x;x;x;002;m;\r\nD\x1B[2J;c;db2admin;x;db2admin;0\x1B"
        "1;h\x9D\t;\r\n";
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "002\n0\\x1B1\n");
    EXPECT_EQ(Esegui({"--json", "elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "{\"codici\":[\"002\",\"0\\u001b1\"]}\n");
    EXPECT_EQ(Esegui({"mostra",
                      "0\x1B"
                      "1"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "Codice Ditta: 0\\x1B1\nDescrizione Ditta: D\\x1B[2J\nServer DB2: NT\n"
              "IP Macchina Unix: h\\x9D\t\n");
    EXPECT_EQ(Esegui({"mostra", "002", "--json"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "{\"codice\":\"002\",\"descrizione\":\"A\",\"server\":\"linux\","
              "\"macchina\":\"m\"}\n");
    EXPECT_EQ(errori.str(), "");
}

// The full listing prints every company line in file order with its fields; a line of six fields
// has no machine.
TEST_F(Console, AFullListingGivesEveryCompanyLineWithItsFields) {
    fs.file[kParametri] =
        "A;C:\\Cat\\Dwh002.oce;x;x;db2admin;002;m;\r\ncorta\r\nB\x1B;c;x;x;x;001\r\n";
    EXPECT_EQ(Esegui({"elenco", "--dettagli"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "Codice Ditta: 002\nDescrizione Ditta: A\nServer DB2: NT\nIP Macchina Unix: m\n"
              "Catalogo: C:\\Cat\\Dwh002.oce\n\n"
              "Codice Ditta: 001\nDescrizione Ditta: B\\x1B\nServer DB2: Linux\nCatalogo: c\n");
    EXPECT_EQ(Esegui({"elenco", "--dettagli", "--json"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "{\"ditte\":[{\"codice\":\"002\",\"descrizione\":\"A\",\"server\":\"nt\","
              "\"macchina\":\"m\",\"catalogo\":\"C:\\\\Cat\\\\Dwh002.oce\"},{\"codice\":\"001\","
              "\"descrizione\":\"B\\u001b\",\"server\":\"linux\",\"macchina\":null,"
              "\"catalogo\":\"c\"}]}\n");
}

TEST_F(Console, SaveRunsTheWindowsChecksThenSavesEverywhereAndSaysSetupTerminato) {
    fs.file[kParametri] = "Due;c;db2admin;db2admin;db2admin;002;m;\r\n";
    const auto prima = fs.file;
    EXPECT_EQ(Esegui({"salva", "--codice", "1", "--descrizione", "d", "--server="}),
              StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), Riga(kMsgServerMancante));
    EXPECT_EQ(fs.file, prima);
    EXPECT_EQ(creazioni, 0);

    EXPECT_EQ(Esegui({"salva", "--codice", " 001", "--descrizione", "Caff\xE8 \x80", "--server",
                      "linux", "--macchina", "10.0.0.9", "--catalogo", "D:\\OCE\\"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), Riga(kMsgSetupTerminato));
    const DatiDitta dati{" 001", "Caff\xE8 \x80", "10.0.0.9", "db2inst1", "db2inst1", "db2inst1"};
    const std::string atteso =
        "Due;c;db2admin;db2admin;db2admin;002;m;\r\n" + ComponiRecord(dati, "D:\\OCE\\") + "\r\n";
    for (const char* p :
         {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt",
          "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"}) {
        EXPECT_EQ(fs.file[p], atteso) << p;
    }
}

// The console prints the store's message of a change where it belongs and gives its status;
// with --json, every path with its reason.
TEST_F(Console, ChangesOfTheFilesGiveTheirStatusAndNameEveryPathAndReason) {
    const RisultatoModifica parziale = Fatto({"C:\\P\\BRIO_PARAMS.txt"},
                                             {{"C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt",
                                               Errore(TipoErrore::Sistema, "Accesso negato. (5)")}},
                                             {});
    const RisultatoModifica nessuna = Errore(TipoErrore::NessunaArea, MessaggioNessunaArea());
    const RisultatoModifica conAvviso =
        Fatto({"C:\\P\\BRIO_PARAMS.txt"}, {},
              {{"C:\\P\\BRIO_PARAMS.dep", Errore(TipoErrore::Sistema, "In uso")}});
    struct Caso {
        RisultatoModifica r;
        StatoUscita stato;
        std::string uscita;
        std::string errori;
        std::string json;
    };
    const Caso casi[] = {
        {parziale, StatoUscita::SalvataggioNonRiuscito, "",
         kNonRiuscito + "\nC:\\P\\COMMERCIALE\\BRIO_PARAMS.txt: Accesso negato. (5)\n",
         "{\"esito\":\"salvato_in_parte\",\"stato\":5,\"messaggio\":\"" + kNonRiuscito +
             "\\n"
             "C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.txt: Accesso negato. (5)\",\"aggiornati\":["
             "\"C:\\\\P\\\\BRIO_PARAMS.txt\"],\"errori\":[{\"percorso\":"
             "\"C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.txt\",\"motivo\":\"Accesso negato. (5)\"}],"
             "\"avvisi\":[]}\n"},
        {nessuna, StatoUscita::NessunaArea, "", MessaggioNessunaArea() + "\n",
         "{\"esito\":\"nessuna_area\",\"stato\":6,\"messaggio\":\"" + MessaggioNessunaArea() +
             "\",\"aggiornati\":[],\"errori\":[],\"avvisi\":[]}\n"},
        {conAvviso, StatoUscita::Riuscito,
         kTerminato + "\n\nFile non eliminato: C:\\P\\BRIO_PARAMS.dep: In uso\n", "",
         "{\"esito\":\"salvato\",\"stato\":0,\"messaggio\":\"" + kTerminato +
             "\\n\\nFile non "
             "eliminato: C:\\\\P\\\\BRIO_PARAMS.dep: In uso\",\"aggiornati\":["
             "\"C:\\\\P\\\\BRIO_PARAMS.txt\"],\"errori\":[],\"avvisi\":[{\"percorso\":"
             "\"C:\\\\P\\\\BRIO_PARAMS.dep\",\"motivo\":\"In uso\"}]}\n"},
    };
    const std::vector<std::optional<std::string>> salva = {
        "salva", "--codice", "1", "--descrizione", "d", "--server", "nt", "--macchina", "m"};
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.errori + c.uscita);
        archivio = std::make_unique<ArchivioFisso>(c.r);
        EXPECT_EQ(Esegui(salva), c.stato);
        EXPECT_EQ(uscita.str(), c.uscita);
        EXPECT_EQ(errori.str(), c.errori);

        archivio = std::make_unique<ArchivioFisso>(c.r);
        auto conJson = salva;
        conJson.push_back("--json");
        EXPECT_EQ(Esegui(conJson), c.stato);
        EXPECT_EQ(uscita.str(), c.json);
        EXPECT_EQ(errori.str(), c.errori);
    }
    // The other changes report the same way; a success says what it did.
    archivio = std::make_unique<ArchivioFisso>(parziale);
    EXPECT_EQ(Esegui({"distribuisci"}), StatoUscita::SalvataggioNonRiuscito);
    EXPECT_EQ(errori.str(), casi[0].errori);
    archivio = std::make_unique<ArchivioFisso>(
        Fatto({"C:\\P\\A\\BRIO_PARAMS.txt"}, {}, {}, TipoModifica::Distribuzione));
    EXPECT_EQ(Esegui({"distribuisci"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "Copie aggiornate:\nC:\\P\\A\\BRIO_PARAMS.txt\n");
    archivio = std::make_unique<ArchivioFisso>(nessuna);
    EXPECT_EQ(Esegui({"elimina", "1"}), StatoUscita::NessunaArea);
}

// The package's upkeep on the memory package: a drifted copy found and mended, a company
// removed from every file, a code that no line carries.
TEST_F(Console, UpkeepFindsADriftedCopyMendsItAndRemovesACompany) {
    const std::string due = "Due;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;m;\r\n";
    const std::string uno = "Uno;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;m;\r\n";
    const std::string testo = due + uno + due;
    for (const char* f :
         {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt",
          "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"}) {
        fs.file[f] = testo;
    }
    fs.file["C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt"] = uno;
    EXPECT_EQ(Esegui({"verifica"}), StatoUscita::ProblemiTrovati);
    EXPECT_EQ(uscita.str(),
              "C:\\P\\BRIO_PARAMS.txt: il codice '002' \xE8 su pi\xF9 righe: 1, 3\n"
              "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt: la copia \xE8 diversa dal file della "
              "cartella del pacchetto; mancano: 002\n");
    EXPECT_EQ(Esegui({"verifica", "--json"}), StatoUscita::ProblemiTrovati);
    EXPECT_EQ(uscita.str().rfind("{\"esito\":\"problemi\",\"stato\":8,\"problemi\":[{\"tipo\":"
                                 "\"codice_ripetuto\",\"file\":\"C:\\\\P\\\\BRIO_PARAMS.txt\","
                                 "\"codice\":\"002\",",
                                 0),
              0u)
        << uscita.str();

    EXPECT_EQ(Esegui({"distribuisci"}), StatoUscita::Riuscito);
    EXPECT_EQ(fs.file["C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt"], testo);

    EXPECT_EQ(Esegui({"elimina", "002"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "Ditta '002' eliminata\n");
    for (const char* f : {kParametri, "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"})
        EXPECT_EQ(fs.file[f], uno) << f;
    EXPECT_EQ(Esegui({"verifica"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "Nessun problema trovato\n");

    const auto prima = fs.file;
    EXPECT_EQ(Esegui({"elimina", "002"}), StatoUscita::DittaNonTrovata);
    EXPECT_EQ(errori.str(), Riga(DittaNonTrovata("002").testo));
    EXPECT_EQ(fs.file, prima);
}

// A UTF-16 package: the reads warn, a save is refused until the repair converts it; then a save
// over an area copy holding a company of its own keeps the copy and says so.
TEST_F(Console, AUnicodeFileIsToldAndRefusedAndAKeptCopyIsAWarning) {
    const std::string utf16 = test::LeggiDato("utf16le_bom.txt");
    for (const char* f : {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt"})
        fs.file[f] = utf16;
    const std::vector<std::optional<std::string>> salva = {
        "salva", "--codice", "001", "--descrizione", "d", "--server", "nt", "--macchina", "m"};
    EXPECT_EQ(Esegui({"mostra", "001"}), StatoUscita::DittaNonTrovata);
    EXPECT_TRUE(
        errori.str().starts_with("Attenzione: C:\\P\\BRIO_PARAMS.txt \xE8 in UTF-16 "
                                 "little endian"))
        << errori.str();
    EXPECT_EQ(Esegui(salva), StatoUscita::SalvataggioNonRiuscito);
    EXPECT_TRUE(errori.str().starts_with(
        kNonRiuscito + "\nC:\\P\\BRIO_PARAMS.txt: il file \xE8 in UTF-16 little endian"))
        << errori.str();
    EXPECT_EQ(fs.file[kParametri], utf16);

    EXPECT_EQ(Esegui({"ripara"}), StatoUscita::Riuscito);
    fs.file["C:\\P\\CONTABILITA\\BRIO_PARAMS.txt"] = "Sua;c;x;x;x;006;m;\r\n";
    EXPECT_EQ(Esegui(salva), StatoUscita::Riuscito);
    const CopiaConservata contabilita{
        "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", "C:\\P\\CONTABILITA\\BRIO_PARAMS.bak", {"006"}};
    EXPECT_TRUE(uscita.str().ends_with("\n\n" + contabilita.copia + ": " +
                                       Riga(DescrizioneConservata(contabilita))))
        << uscita.str();
    fs.file["C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt"] = "Sua;c;x;x;x;007;m;\r\n";
    EXPECT_EQ(Esegui({"distribuisci", "--json"}), StatoUscita::Riuscito);
    const CopiaConservata commerciale{
        "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt", "C:\\P\\COMMERCIALE\\BRIO_PARAMS.bak", {"007"}};
    EXPECT_NE(uscita.str().find("\"avvisi\":[{\"percorso\":\"C:\\\\P\\\\COMMERCIALE\\\\BRIO_"
                                "PARAMS.txt\",\"motivo\":" +
                                StringaJson(DescrizioneConservata(commerciale)) +
                                ",\"conservata\":\"C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.bak\","
                                "\"codici\":[\"007\"]}]"),
              std::string::npos)
        << uscita.str();
}

// A package with Unix line ends: a save of its first code is refused with the line named, the
// repair gives it CR LF line ends, and then every company is listed and the save works.
TEST_F(Console, ASaveOnUnixLineEndsIsRefusedUntilTheRepairMendsThePackage) {
    const std::string unix =
        "Uno;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;m;\n"
        "Due;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;m;\n";
    for (const char* f : {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt",
                          "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt"}) {
        fs.file[f] = unix;
    }
    const std::vector<std::optional<std::string>> salva = {
        "salva", "--codice", "001", "--descrizione", "d", "--server", "nt", "--macchina", "m"};
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "001\n");
    EXPECT_EQ(Esegui(salva), StatoUscita::SalvataggioNonRiuscito);
    EXPECT_EQ(
        errori.str().rfind(kNonRiuscito +
                               "\nC:\\P\\BRIO_PARAMS.txt: la riga 1 ha "
                               "fini riga Unix (LF senza CR): dopo il LF stanno 1 record di ditta",
                           0),
        0u)
        << errori.str();
    EXPECT_EQ(fs.file[kParametri], unix);

    EXPECT_EQ(Esegui({"ripara"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "Riparato BRIO_PARAMS.txt: 2 fini riga corrette in CR LF\nFile aggiornati:\n"
              "C:\\P\\BRIO_PARAMS.txt\nC:\\P\\CONTABILITA\\BRIO_PARAMS.txt\n"
              "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt\nC:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt\n");
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "001\n002\n");
    EXPECT_EQ(Esegui(salva), StatoUscita::Riuscito);
    EXPECT_EQ(Esegui({"ripara", "--json"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "{\"esito\":\"in_ordine\",\"stato\":0,\"messaggio\":\"Nessuna riparazione "
              "necessaria\",\"aggiornati\":[],\"errori\":[],\"avvisi\":[],\"riparazione\":{"
              "\"fini_riga\":0,\"bom_tolto\":false,\"convertito\":false,\"da\":\"windows-1252\"}}"
              "\n");
}

// With --json every call prints exactly one JSON object on standard output, whatever its
// outcome, with its name, its exit status and the message.
TEST_F(Console, EveryFailureGivesOneJsonObjectWithItsStatusAndMessage) {
    fs.file[kParametri] = "Uno;c;x;x;x;001;m;\r\n";
    struct Caso {
        std::vector<std::optional<std::string>> argomenti;
        StatoUscita stato;
        std::string inizio;  // of the object
    };
    const Caso casi[] = {
        {{"--json"},
         StatoUscita::UsoErrato,
         "{\"esito\":\"uso_errato\",\"stato\":2,\"messaggio\":\"Manca il comando: "},
        {{"salva", "--json", "--codice", "1"},
         StatoUscita::VoceNonValida,
         "{\"esito\":\"voce_non_valida\",\"stato\":3,\"messaggio\":" +
             StringaJson(kMsgDescrizioneMancante) + "}"},
        {{"mostra", "9", "--json"},
         StatoUscita::DittaNonTrovata,
         "{\"esito\":\"ditta_non_trovata\",\"stato\":4,\"messaggio\":" +
             StringaJson(DittaNonTrovata("9").testo) + ",\"codice\":\"9\"}"},
        {{"elimina", "9", "--json"},
         StatoUscita::DittaNonTrovata,
         "{\"esito\":\"ditta_non_trovata\",\"stato\":4,"},
        {{"salva", "--json", "--codice", "2", "--descrizione", "d", "--server", "nt", "--macchina",
          "m", "--catalogo", "C:\\a;b"},
         StatoUscita::SalvataggioNonRiuscito,
         "{\"esito\":\"non_salvato\",\"stato\":5,\"messaggio\":\"" + kNonRiuscito +
             "\\nLa cartella del catalogo 'C:\\\\a;b' contiene caratteri non ammessi"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.inizio);
        EXPECT_EQ(Esegui(c.argomenti), c.stato);
        const std::string u = uscita.str();
        EXPECT_EQ(u.rfind(c.inizio, 0), 0u) << u;
        EXPECT_EQ(std::count(u.begin(), u.end(), '\n'), 1) << "one object, one line";
        EXPECT_EQ(u.substr(u.size() - 2), "}\n");
        EXPECT_FALSE(errori.str().empty()) << "the message is on standard error too";
    }
    // The package's folder is unavailable, its file cannot be read, the store throws.
    erroreFabbrica = "La cartella del pacchetto non esiste: 'C:\\Q'";
    EXPECT_EQ(Esegui({"verifica", "--json"}), StatoUscita::CartellaNonDisponibile);
    EXPECT_EQ(uscita.str(),
              "{\"esito\":\"cartella_non_disponibile\",\"stato\":7,\"messaggio\":"
              "\"La cartella del pacchetto non esiste: 'C:\\\\Q'\"}\n");
    erroreFabbrica.clear();
    fs.illeggibili.insert(kParametri);
    EXPECT_EQ(Esegui({"elenco", "--json"}), StatoUscita::ParametriIlleggibili);
    const std::string illeggibile = TestoErrore(
        ParametriIlleggibili(kParametri, Errore(TipoErrore::Sistema, "errore simulato")));
    EXPECT_EQ(uscita.str(), "{\"esito\":\"parametri_illeggibili\",\"stato\":9,\"messaggio\":" +
                                StringaJson(illeggibile) + "}\n");
    EXPECT_EQ(errori.str(), Riga(illeggibile));
    EXPECT_EQ(Esegui({"mostra", "001"}), StatoUscita::ParametriIlleggibili);
    EXPECT_EQ(uscita.str(), "");
    archivio = std::make_unique<ArchivioFisso>(Aggiornamento{}, true);
    EXPECT_EQ(Esegui({"elenco", "--json"}), StatoUscita::ErroreImprevisto);
    EXPECT_EQ(uscita.str(),
              "{\"esito\":\"errore_imprevisto\",\"stato\":1,\"messaggio\":"
              "\"Errore imprevisto: guasto\"}\n");
    EXPECT_EQ(errori.str(), "Errore imprevisto: guasto\n");
}

TEST_F(Console, ArgumentsArriveInWindows1252OrAreRefusedAsEntries) {
    const char* const argomenti[] = {"salva",
                                     "--codice",
                                     "001",
                                     "--descrizione",
                                     "\xC5\x81\xC3\xB3\x64\xC5\xBA",  // Łódź
                                     "--server",
                                     "nt",
                                     "--macchina",
                                     "m"};
    EXPECT_EQ(EseguiVoci(ArgomentiDaUtf8(argomenti)), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), Riga(MessaggioCaratteriNonAmmessi(kEtichettaDescrizione)));

    const char* const malformato[] = {"mostra", "0\xC3"};
    EXPECT_EQ(EseguiVoci(ArgomentiDaUtf8(malformato)), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), Riga(MessaggioCaratteriNonAmmessi(kEtichettaCodice)));

    const char* const accentati[] = {"salva",
                                     "--codice",
                                     "001",
                                     "--descrizione",
                                     "Societ\xC3\xA0 \xE2\x82\xAC",  // Società €
                                     "--server",
                                     "nt",
                                     "--macchina",
                                     "m"};
    EXPECT_EQ(EseguiVoci(ArgomentiDaUtf8(accentati)), StatoUscita::Riuscito);
    EXPECT_EQ(fs.file[kParametri].substr(0, 10), "Societ\xE0 \x80;");

    const char16_t* const utf16[] = {u"mostra", u"\u0141", u"\u00E8"};
    const std::vector<VoceUtente> voci = ArgomentiDaUtf16(utf16);
    ASSERT_EQ(voci.size(), 3u);
    EXPECT_EQ(voci[0].testo, "mostra");
    EXPECT_FALSE(voci[1].testo);
    EXPECT_EQ(voci[2].testo, "\xE8");
}

}  // namespace
}  // namespace velmar

namespace velmar {
namespace {

// The times of a check, which vary from run to run, as "N": "Connessione: 0 ms" -> "Connessione:
// N ms", "(1,02 s)" -> "(N s)", "\"risposta_ms\":7" -> "\"risposta_ms\":N".
std::string SenzaTempi(const std::string& testo) {
    static const std::regex kTempi(R"(\d+(,\d+)?( m?s\b))");
    static const std::regex kJson(R"((_ms":)\d+)");
    return std::regex_replace(std::regex_replace(testo, kTempi, "N$2"), kJson, "$1N");
}

TEST(RigaComando, ServerTypesAreTakenByTheirNameOrTheWindowsCaption) {
    const std::pair<std::optional<std::string>, std::optional<TipoServer>> casi[] = {
        {"", std::nullopt},     {std::nullopt, std::nullopt}, {"nt", TipoServer::NT},
        {"NT", TipoServer::NT}, {"linux", TipoServer::Linux}, {"Linux", TipoServer::Linux},
        {"Nt", std::nullopt},   {"LINUX", std::nullopt},      {"db2admin", std::nullopt},
        {"aix", std::nullopt},
    };
    for (const auto& [testo, tipo] : casi)
        EXPECT_EQ(ServerDaTesto({testo}), tipo) << testo.value_or("(nothing)");
}

TEST(RigaComando, PortsAndWaitsAreReadAsNumbers) {
    using std::chrono::milliseconds;
    EXPECT_EQ(PortaDaTesto({"1"}), 1);
    EXPECT_EQ(PortaDaTesto({"65535"}), 65535);
    EXPECT_EQ(PortaDaTesto({std::nullopt}), std::nullopt);
    EXPECT_EQ(AttesaDaTesto({"3"}), milliseconds(3000));
    EXPECT_EQ(AttesaDaTesto({"0,5"}), milliseconds(500));
    EXPECT_EQ(AttesaDaTesto({"1.25"}), milliseconds(1250));
    EXPECT_EQ(AttesaDaTesto({"0,001"}), milliseconds(1));
    EXPECT_EQ(AttesaDaTesto({"3600"}), milliseconds(3600000));
    EXPECT_EQ(AttesaDaTesto({"3600,001"}), std::nullopt);
    EXPECT_EQ(AttesaDaTesto({"1,"}), std::nullopt);
    EXPECT_EQ(AttesaDaTesto({""}), std::nullopt);
}

// The check of one company, of a machine and of every company, in text and JSON, with the tests'
// DB2 server for Windows on the loopback address: the status of each outcome, what a missing
// entry and an unknown code give, and a machine checked on Linux without a package.
TEST_F(Console, ProvaChecksACompanysServerAMachineOrEveryCompany) {
    test::ServerDrda nt64(test::Copione::Db2Nt64);
    ASSERT_TRUE(nt64.Attivo());
    const std::string porta = std::to_string(nt64.Porta());
    fs.file[kParametri] =
        "Uno;c;db2admin;db2admin;db2admin;001;127.0.0.1;\r\n"
        "Due;c;db2inst1;db2inst1;db2inst1;002;127.0.0.1;\r\n"
        "Tre\x1B;c;db2inst1;db2inst1;db2inst1;003\r\n";
    const std::string riga =
        "il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice ";

    EXPECT_EQ(Esegui({"prova", "001", "--porta", porta}), StatoUscita::Riuscito);
    EXPECT_EQ(SenzaTempi(uscita.str()),
              "Codice Ditta: 001\nDescrizione Ditta: Uno\nMacchina: 127.0.0.1, porta " + porta +
                  "\nIndirizzo raggiunto: 127.0.0.1\nConnessione: N ms\nRisposta: N ms\n"
                  "SRVCLSNM: QDB2/NT64\nSRVRLSLV: SQL11055\nSRVNAM: DB2NT\n"
                  "Server letto: DB2 per Windows\nEsito: corrisponde: " +
                  riga + "NT (db2admin)\n");
    EXPECT_EQ(Esegui({"prova", "002", "--porta", porta, "--json", "--attesa", "0,5"}),
              StatoUscita::ProvaNonRiuscita);
    EXPECT_EQ(SenzaTempi(uscita.str()),
              "{\"esito\":\"tipo_diverso\",\"stato\":10,\"codice\":\"002\",\"descrizione\":"
              "\"Due\",\"macchina\":\"127.0.0.1\",\"porta\":" +
                  porta +
                  ",\"server\":\"linux\",\"indirizzo\":\"127.0.0.1\",\"connessione_ms\":N,"
                  "\"risposta_ms\":N,\"srvclsnm\":\"QDB2/NT64\",\"srvrlslv\":\"SQL11055\","
                  "\"srvnam\":\"DB2NT\",\"server_letto\":\"db2_windows\",\"messaggio\":\"non "
                  "corrisponde: il server \\u00e8 DB2 per Windows (QDB2/NT64, SQL11055), il record "
                  "dice Linux (db2inst1)\"}\n");
    EXPECT_EQ(errori.str(), "");

    // The line without a machine, an unknown code.
    EXPECT_EQ(Esegui({"prova", "003", "--porta", porta}), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), Riga(kMsgMacchinaMancante));
    EXPECT_EQ(Esegui({"prova", "004"}), StatoUscita::DittaNonTrovata);
    EXPECT_EQ(errori.str(), Riga(DittaNonTrovata("004").testo));

    // A machine and a server type, with no package (on Linux too).
    creazioni = 0;
    EXPECT_EQ(Esegui({"prova", "--macchina", "127.0.0.1", "--server", "linux", "--porta", porta},
                     SistemaConsole::Linux),
              StatoUscita::ProvaNonRiuscita);
    const std::string testo = uscita.str();
    EXPECT_EQ(testo.substr(testo.find("Esito: ")),
              "Esito: non corrisponde: " + riga + "Linux (db2inst1)\n");
    EXPECT_EQ(Esegui({"prova", "--macchina", "127.0.0.1", "--porta", porta}),
              StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), Riga(kMsgServerMancante));
    EXPECT_EQ(creazioni, 0);

    // Every company: a row each in file order and the summary; one server asked once.
    EXPECT_EQ(Esegui({"prova", "--tutte", "--porta", porta}), StatoUscita::ProvaNonRiuscita);
    EXPECT_EQ(SenzaTempi(uscita.str()),
              "001 127.0.0.1: corrisponde: " + riga + "NT (db2admin)\n" +
                  "002 127.0.0.1: non corrisponde: " + riga + "Linux (db2inst1)\n" +
                  "003 (senza macchina): " + Riga(kMsgMacchinaMancante) +
                  "Ditte provate: 3 su 1 macchina, porta " + porta +
                  "; corrispondono: 1, non corrispondono o non rispondono: 2 (N s)\n");
    EXPECT_EQ(nt64.Connessioni(), 4);
    EXPECT_EQ(Esegui({"prova", "--tutte", "--porta", porta, "--json"}),
              StatoUscita::ProvaNonRiuscita);
    const std::string json = uscita.str();
    EXPECT_EQ(json.rfind("{\"esito\":\"prova_non_riuscita\",\"stato\":10,\"porta\":" + porta +
                             ",\"corrispondono\":1,\"non_corrispondono\":2,\"ditte\":[{"
                             "\"codice\":\"001\",\"descrizione\":\"Uno\",\"esito\":"
                             "\"corrisponde\",\"macchina\":\"127.0.0.1\"",
                         0),
              0u)
        << json;
    EXPECT_NE(json.find("{\"codice\":\"003\",\"descrizione\":\"Tre\\u001b\",\"esito\":"
                        "\"dati_mancanti\",\"macchina\":\"\",\"porta\":" +
                        porta +
                        ",\"server\":\"linux\",\"indirizzo\":null,\"connessione_ms\":null,"
                        "\"risposta_ms\":null,\"srvclsnm\":null,\"srvrlslv\":null,\"srvnam\":"
                        "null,\"server_letto\":null,\"messaggio\":" +
                        StringaJson(kMsgMacchinaMancante) + "}]}\n"),
              std::string::npos)
        << json;
    EXPECT_EQ(fs.file.size(), 1u) << "nothing written";
}

}  // namespace
}  // namespace velmar
