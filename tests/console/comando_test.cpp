#include "console/comando.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <vector>

#include "tests/support/file_system_memoria.h"

namespace velmar {
namespace {

const std::optional<std::string> kNonRappresentabile = std::nullopt;

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
            [this](const OpzioniArchivio& o,
                   std::string& errore) -> std::unique_ptr<ArchivioDitte> {
            ++creazioni;
            opzioni = o;
            if (archivio)
                return std::move(archivio);
            if (!erroreFabbrica.empty()) {
                errore = erroreFabbrica;
                return nullptr;
            }
            return CreaArchivioCartella(fs, kBase, o.catalogo, errore);
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

// A store that answers a save with a given result, or throws.
class ArchivioFisso final : public ArchivioDitte {
  public:
    explicit ArchivioFisso(RisultatoSalvataggio r, bool lancia = false)
        : r_(std::move(r)), lancia_(lancia) {}
    Esito LeggiDitte(std::vector<std::string>&) override {
        if (lancia_)
            throw std::runtime_error("guasto");
        return {};
    }
    Esito CercaDitta(std::string_view, RisultatoRicerca&) override { return {}; }
    RisultatoSalvataggio ScriviFile(const DatiDitta&) override { return r_; }

  private:
    RisultatoSalvataggio r_;
    bool lancia_;
};

const std::string kAiuto = "Per l'aiuto: SetupVelmarCmd --help\n";

TEST_F(Console, WrongCommandLinesAreUsageErrorsThatTouchNoStore) {
    struct Caso {
        std::vector<std::optional<std::string>> argomenti;
        std::string messaggio;
    };
    const Caso casi[] = {
        {{}, "Manca il comando: elenco, mostra o salva"},
        {{"--json"}, "Manca il comando: elenco, mostra o salva"},
        {{"aggiungi"}, "Comando sconosciuto: 'aggiungi'"},
        {{"ELENCO"}, "Comando sconosciuto: 'ELENCO'"},
        {{kNonRappresentabile}, "Comando sconosciuto: (caratteri non ammessi)"},
        {{"elenco", "--base"}, "Manca il valore dell'opzione '--base'"},
        {{"elenco", "--bse", "C:\\P"}, "Opzione sconosciuta: '--bse'"},
        {{"elenco", "-j"}, "Opzione sconosciuta: '-j'"},
        {{"elenco", "--json=si"}, "L'opzione '--json' non vuole un valore"},
        {{"salva", "--codice", "1", "--codice=2"}, "L'opzione '--codice' \xE8 ripetuta"},
        {{"elenco", "--macchina", "m"}, "L'opzione '--macchina' vale solo con il comando salva"},
        {{"mostra", "1", "--server=nt"}, "L'opzione '--server' vale solo con il comando salva"},
        {{"mostra"}, "Il comando mostra vuole il codice della ditta"},
        {{"mostra", "1", "2"}, "Argomento in pi\xF9: '2'"},
        {{"elenco", "x"}, "Argomento in pi\xF9: 'x'"},
        {{"salva", "x"}, "Argomento in pi\xF9: 'x'"},
        {{"salva", "--server", "aix"}, "Valore non ammesso per '--server': 'aix' (usa nt o linux)"},
        {{"salva", "--server", kNonRappresentabile},
         "Valore non ammesso per '--server': (caratteri non ammessi) (usa nt o linux)"},
        {{"elenco", "--base", kNonRappresentabile},
         "La cartella di '--base' contiene caratteri non ammessi"},
        {{"elenco", "--", "--help"}, "Argomento in pi\xF9: '--help'"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.messaggio);
        EXPECT_EQ(Esegui(c.argomenti), StatoUscita::UsoErrato);
        EXPECT_EQ(errori.str(), c.messaggio + "\n" + kAiuto);
        EXPECT_EQ(uscita.str(), "");
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

TEST_F(Console, HelpWinsAnywhereBeforeTheEndOfOptionsAndListsEveryExitStatus) {
    for (const auto& argomenti : std::vector<std::vector<std::optional<std::string>>>{
             {"--help"}, {"-h"}, {"sconosciuto", "--help"}, {"salva", "--codice", "1", "-h"}}) {
        EXPECT_EQ(Esegui(argomenti, SistemaConsole::Linux), StatoUscita::Riuscito);
        EXPECT_EQ(uscita.str(), TestoAiuto(SistemaConsole::Linux));
        EXPECT_EQ(errori.str(), "");
    }
    for (const SistemaConsole s : {SistemaConsole::Linux, SistemaConsole::Windows}) {
        const std::string aiuto = TestoAiuto(s);
        for (int stato : {0, 1, 2, 3, 4, 5, 6, 7, 9}) {
            EXPECT_NE(aiuto.find("\n  " + std::to_string(stato) + "  "), std::string::npos)
                << stato;
        }
        EXPECT_NE(aiuto.find("Esempio:\n  SetupVelmarCmd salva "), std::string::npos);
    }
    EXPECT_NE(TestoAiuto(SistemaConsole::Linux).find("Obbligatoria su Linux"), std::string::npos);
    EXPECT_NE(TestoAiuto(SistemaConsole::Windows).find("PercorsiApplicazioni"), std::string::npos);
    EXPECT_NE(TestoAiuto(SistemaConsole::Windows).find("rediretto su file o pipe, in UTF-8"),
              std::string::npos);
}

TEST_F(Console, ListsCodesInFileOrderWithDuplicatesAndEmptyCodes) {
    fs.file[kParametri] =
        "A;c;x;x;x;002;m;\r\nriga corta\r\nB;c;x;x;x;001;m;\r\n\r\nC;c;x;x;x;002\r\nD;c;x;x;x;;m\n";
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "002\n001\n002\n\n");
    EXPECT_EQ(errori.str(), "");
    EXPECT_EQ(Esegui({"--json", "elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "{\"codici\":[\"002\",\"001\",\"002\",\"\"]}\n");

    fs.file.clear();
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "");
    EXPECT_EQ(Esegui({"elenco", "--json"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "{\"codici\":[]}\n");
}

TEST_F(Console, ShowsTheCompanyAsTheLookupFindsIt) {
    fs.file[kParametri] =
        "Vecchia;c;db2admin;db2admin;db2admin;002;10.0.0.1;\r\n"
        "Ditta \"Uno\";c;db2admin;db2admin;db2admin;001;10.0.0.5;\r\n"
        "Nuova;c;db2inst1;db2inst1;db2inst1;002\r\n"
        "Vuota;c;;;;;host;\r\n"
        "Caff\xE8;c;db2admin;db2admin;db2admin;003;h\xE9;\r\n";
    struct Caso {
        std::vector<std::optional<std::string>> argomenti;
        std::string testo;
    };
    const Caso casi[] = {
        {{"mostra", "001"},
         "Codice Ditta: 001\nDescrizione Ditta: Ditta \"Uno\"\nServer DB2: NT\n"
         "IP Macchina Unix: 10.0.0.5\n"},
        // The last matching line decides; the last one with a machine gives the machine.
        {{"mostra", "002"},
         "Codice Ditta: 002\nDescrizione Ditta: Nuova\nServer DB2: Linux\n"
         "IP Macchina Unix: 10.0.0.1\n"},
        {{"mostra", "--", ""},
         "Codice Ditta: \nDescrizione Ditta: Vuota\nServer DB2: Linux\nIP Macchina Unix: host\n"},
        {{"mostra", "001", "--json"},
         "{\"codice\":\"001\",\"descrizione\":\"Ditta \\\"Uno\\\"\",\"server\":\"nt\","
         "\"macchina\":\"10.0.0.5\"}\n"},
        {{"--json", "mostra", "002"},
         "{\"codice\":\"002\",\"descrizione\":\"Nuova\",\"server\":\"linux\","
         "\"macchina\":\"10.0.0.1\"}\n"},
        {{"mostra", "003", "--json"},
         "{\"codice\":\"003\",\"descrizione\":\"Caff\xE8\",\"server\":\"nt\","
         "\"macchina\":\"h\xE9\"}\n"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.testo);
        EXPECT_EQ(Esegui(c.argomenti), StatoUscita::Riuscito);
        EXPECT_EQ(uscita.str(), c.testo);
        EXPECT_EQ(errori.str(), "");
    }
}

TEST_F(Console, ACodeNoLineCarriesIsNotFound) {
    fs.file[kParametri] = "Ditta;c;db2admin;db2admin;db2admin;Abc;m;\r\ncorta;001\r\n";
    for (const char* codice : {"abc", "Ab", "001", "0"}) {
        EXPECT_EQ(Esegui({"mostra", codice, "--json"}), StatoUscita::DittaNonTrovata);
        EXPECT_EQ(errori.str(), "Codice Ditta non trovato: '" + std::string(codice) + "'\n");
        EXPECT_EQ(uscita.str(), "");
    }
    EXPECT_EQ(Esegui({"mostra", kNonRappresentabile}), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), "Il campo Codice Ditta contiene caratteri non ammessi\n");
    EXPECT_EQ(creazioni, 0);
}

TEST_F(Console, SaveChecksTheEntriesInTheWindowsOrderAndWritesNothing) {
    fs.file[kParametri] = "Ditta;c;db2admin;db2admin;db2admin;001;m;\r\n";
    struct Caso {
        std::vector<std::optional<std::string>> argomenti;
        std::string messaggio;
    };
    const Caso casi[] = {
        {{"salva"}, "Inserisci il Codice Ditta"},
        {{"salva", "--codice", "", "--descrizione", "d", "--server", "nt", "--macchina", "m"},
         "Inserisci il Codice Ditta"},
        {{"salva", "--codice", "1", "--server", "nt", "--macchina", "m"},
         "Inserisci la Descrizione della Ditta"},
        // The server check comes before the machine check.
        {{"salva", "--codice", "1", "--descrizione", "d", "--server="}, "Seleziona un Server DB2"},
        {{"salva", "--codice", "1", "--descrizione", "d", "--server", "linux"},
         "Inserisci la Macchina Unix"},
        {{"salva", "--codice", "0;1", "--descrizione", "d", "--server", "nt", "--macchina", "m"},
         "Il campo Codice Ditta contiene caratteri non ammessi"},
        {{"salva", "--codice", "1", "--descrizione", kNonRappresentabile, "--server", "NT",
          "--macchina", "m"},
         "Il campo Descrizione Ditta contiene caratteri non ammessi"},
        {{"salva", "--codice", "1", "--descrizione", "d", "--server", "Linux", "--macchina",
          "a\nb"},
         "Il campo IP Macchina Unix contiene caratteri non ammessi"},
        // A missing entry is reported before one that cannot be stored.
        {{"salva", "--codice", kNonRappresentabile, "--descrizione", "d", "--server", "nt"},
         "Inserisci la Macchina Unix"},
    };
    const auto prima = fs.file;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.messaggio);
        EXPECT_EQ(Esegui(c.argomenti), StatoUscita::VoceNonValida);
        EXPECT_EQ(errori.str(), c.messaggio + "\n");
        EXPECT_EQ(uscita.str(), "");
        EXPECT_EQ(creazioni, 0);
    }
    EXPECT_EQ(fs.file, prima);
}

TEST_F(Console, SaveWritesTheWindowsRecordEverywhereAndSaysSetupTerminato) {
    fs.file[kParametri] = "Due;c;db2admin;db2admin;db2admin;002;m;\r\nUno;c;x;x;x;001;m;\r\n";
    EXPECT_EQ(Esegui({"salva", "--codice", " 001", "--descrizione", "Caff\xE8 \x80", "--server",
                      "linux", "--macchina", "10.0.0.9", "--catalogo", "D:\\OCE\\"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "Setup terminato\n");
    EXPECT_EQ(errori.str(), "");
    const std::string atteso =
        "Due;c;db2admin;db2admin;db2admin;002;m;\r\nUno;c;x;x;x;001;m;\r\n"
        "Caff\xE8 \x80;D:\\OCE\\\\Dwh 001.oce;db2inst1;db2inst1;db2inst1; 001;10.0.0.9;\r\n";
    for (const char* p :
         {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt",
          "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"}) {
        EXPECT_EQ(fs.file[p], atteso) << p;
    }

    EXPECT_EQ(Esegui({"salva", "--json", "--codice=002", "--descrizione=Nuova", "--server=nt",
                      "--macchina=h"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(errori.str(), "");
    EXPECT_EQ(uscita.str(),
              "{\"esito\":\"salvato\",\"messaggio\":\"Setup terminato\",\"aggiornati\":["
              "\"C:\\\\P\\\\BRIO_PARAMS.txt\",\"C:\\\\P\\\\CONTABILITA\\\\BRIO_PARAMS.txt\","
              "\"C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.txt\","
              "\"C:\\\\P\\\\SCHEDULATORE\\\\BRIO_PARAMS.txt\"],\"errori\":[],\"avvisi\":[]}\n");
    // The default catalog folder, and the line of 002 replaced in its place.
    EXPECT_EQ(fs.file[kParametri].substr(0, fs.file[kParametri].find('\n') + 1),
              "Nuova;C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog "
              "Extensions\\Dwh002.oce;db2admin;db2admin;db2admin;002;h;\r\n");
}

TEST_F(Console, SaveWithoutAreaFoldersStopsWithTheWindowsMessage) {
    fs.cartelle = {kBase};
    fs.file[kParametri] = "Uno;c;x;x;x;001;m;\r\n";
    EXPECT_EQ(Esegui({"salva", "--codice", "001", "--descrizione", "d", "--server", "nt",
                      "--macchina", "m"}),
              StatoUscita::NessunaArea);
    EXPECT_EQ(errori.str(), std::string(kMsgNessunaArea) + "\n");
    EXPECT_EQ(uscita.str(), "");
    EXPECT_EQ(fs.file[kParametri], "Uno;c;x;x;x;001;m;\r\n");

    EXPECT_EQ(Esegui({"salva", "--codice", "001", "--descrizione", "d", "--server", "nt",
                      "--macchina", "m", "--json"}),
              StatoUscita::NessunaArea);
    EXPECT_EQ(uscita.str(), "{\"esito\":\"nessuna_area\",\"messaggio\":\"" +
                                std::string(kMsgNessunaArea) +
                                "\",\"aggiornati\":[],\"errori\":[],\"avvisi\":[]}\n");
}

TEST_F(Console, SaveOutcomesGiveTheirStatusAndNameEveryPathAndReason) {
    RisultatoSalvataggio parziale{EsitoSalvataggio::SalvatoInParte,
                                  {{"C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt", "Accesso negato. (5)"}},
                                  {"C:\\P\\BRIO_PARAMS.txt"},
                                  {}};
    RisultatoSalvataggio nessuno{
        EsitoSalvataggio::NonSalvato,
        {{"C:\\P\\BRIO_PARAMS.dep", "Disco pieno"}, {"", "Cartella del pacchetto non disponibile"}},
        {},
        {}};
    RisultatoSalvataggio conAvviso{EsitoSalvataggio::Salvato,
                                   {},
                                   {"C:\\P\\BRIO_PARAMS.txt"},
                                   {{"C:\\P\\BRIO_PARAMS.dep", "In uso"}}};
    struct Caso {
        RisultatoSalvataggio r;
        StatoUscita stato;
        std::string uscita;
        std::string errori;
        std::string json;
    };
    const Caso casi[] = {
        {parziale, StatoUscita::SalvataggioNonRiuscito, "",
         "Salvataggio non riuscito.\nC:\\P\\COMMERCIALE\\BRIO_PARAMS.txt: Accesso negato. (5)\n",
         "{\"esito\":\"salvato_in_parte\",\"messaggio\":\"Salvataggio non riuscito.\\n"
         "C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.txt: Accesso negato. (5)\",\"aggiornati\":["
         "\"C:\\\\P\\\\BRIO_PARAMS.txt\"],\"errori\":[{\"percorso\":"
         "\"C:\\\\P\\\\COMMERCIALE\\\\BRIO_PARAMS.txt\",\"motivo\":\"Accesso negato. (5)\"}],"
         "\"avvisi\":[]}\n"},
        {nessuno, StatoUscita::SalvataggioNonRiuscito, "",
         "Salvataggio non riuscito.\nC:\\P\\BRIO_PARAMS.dep: Disco pieno\n"
         "Cartella del pacchetto non disponibile\n",
         "{\"esito\":\"non_salvato\",\"messaggio\":\"Salvataggio non riuscito.\\n"
         "C:\\\\P\\\\BRIO_PARAMS.dep: Disco pieno\\nCartella del pacchetto non disponibile\","
         "\"aggiornati\":[],\"errori\":[{\"percorso\":\"C:\\\\P\\\\BRIO_PARAMS.dep\",\"motivo\":"
         "\"Disco pieno\"},{\"percorso\":\"\",\"motivo\":\"Cartella del pacchetto non "
         "disponibile\"}],\"avvisi\":[]}\n"},
        {conAvviso, StatoUscita::Riuscito,
         "Setup terminato\n\nFile non eliminato: C:\\P\\BRIO_PARAMS.dep: In uso\n", "",
         "{\"esito\":\"salvato\",\"messaggio\":\"Setup terminato\\n\\nFile non eliminato: "
         "C:\\\\P\\\\BRIO_PARAMS.dep: In uso\",\"aggiornati\":[\"C:\\\\P\\\\BRIO_PARAMS.txt\"],"
         "\"errori\":[],\"avvisi\":[{\"percorso\":\"C:\\\\P\\\\BRIO_PARAMS.dep\",\"motivo\":"
         "\"In uso\"}]}\n"},
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
}

TEST_F(Console, AnUnavailableBaseFolderAndAnExceptionHaveTheirOwnStatus) {
    erroreFabbrica = "La cartella del pacchetto non esiste: '/srv/x'";
    for (const auto& argomenti : std::vector<std::vector<std::optional<std::string>>>{
             {"elenco"},
             {"mostra", "1"},
             {"salva", "--codice", "1", "--descrizione", "d", "--server", "nt", "--macchina",
              "m"}}) {
        EXPECT_EQ(Esegui(argomenti), StatoUscita::CartellaNonDisponibile);
        EXPECT_EQ(errori.str(), erroreFabbrica + "\n");
        EXPECT_EQ(uscita.str(), "");
    }
    archivio = std::make_unique<ArchivioFisso>(RisultatoSalvataggio{}, true);
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::ErroreImprevisto);
    EXPECT_EQ(errori.str(), "Errore imprevisto: guasto\n");
}

TEST_F(Console, ArgumentsThatUtf8CannotGiveInWindows1252AreRejectedAsEntries) {
    const char* const argomenti[] = {"salva",
                                     "--codice",
                                     "001",
                                     "--descrizione",
                                     "\xC5\x81\xC3\xB3"
                                     "d\xC5\xBA",  // Łódź
                                     "--server",
                                     "nt",
                                     "--macchina",
                                     "m"};
    EXPECT_EQ(EseguiVoci(ArgomentiDaUtf8(argomenti)), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), "Il campo Descrizione Ditta contiene caratteri non ammessi\n");

    const char* const malformato[] = {
        "salva", "--codice", "0\xC3", "--descrizione", "d", "--server", "nt", "--macchina", "m"};
    EXPECT_EQ(EseguiVoci(ArgomentiDaUtf8(malformato)), StatoUscita::VoceNonValida);
    EXPECT_EQ(errori.str(), "Il campo Codice Ditta contiene caratteri non ammessi\n");

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

TEST_F(Console, AnUnreadableParametersFileIsAnErrorNotAnEmptyPackage) {
    fs.file[kParametri] = "A;c;x;x;x;001;m;\r\n";
    fs.illeggibili.insert(kParametri);
    for (const auto& argomenti : std::vector<std::vector<std::optional<std::string>>>{
             {"elenco"}, {"elenco", "--json"}, {"mostra", "001"}}) {
        EXPECT_EQ(Esegui(argomenti), StatoUscita::ParametriIlleggibili);
        EXPECT_EQ(errori.str(),
                  "Il file dei parametri non si pu\xF2 leggere: C:\\P\\BRIO_PARAMS.txt: errore "
                  "simulato\n");
        EXPECT_EQ(uscita.str(), "");
    }
}

TEST_F(Console, PlainTextShowsControlBytesAsEscapesAndJsonKeepsThem) {
    fs.file[kParametri] =
        "D\x1B[2J\x07;c;db2admin;x;db2admin;0\x1B"
        "1;h\x9D\t;\r\n";
    EXPECT_EQ(Esegui({"elenco"}), StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(), "0\\x1B1\n");
    EXPECT_EQ(Esegui({"mostra",
                      "0\x1B"
                      "1"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "Codice Ditta: 0\\x1B1\nDescrizione Ditta: D\\x1B[2J\\x07\nServer DB2: NT\n"
              "IP Macchina Unix: h\\x9D\t\n");
    EXPECT_EQ(Esegui({"mostra",
                      "0\x1B"
                      "1",
                      "--json"}),
              StatoUscita::Riuscito);
    EXPECT_EQ(uscita.str(),
              "{\"codice\":\"0\\u001b1\",\"descrizione\":\"D\\u001b[2J\\u0007\","
              "\"server\":\"nt\",\"macchina\":\"h\x9D\\t\"}\n");
}

TEST_F(Console, ACatalogFolderThatCannotGoIntoARecordFailsTheSave) {
    fs.file[kParametri] = "Uno;c;x;x;x;001;m;\r\n";
    const auto prima = fs.file;
    const std::pair<std::optional<std::string>, std::string> casi[] = {
        {"C:\\a;b", "La cartella del catalogo 'C:\\a;b' contiene caratteri non ammessi"},
        {kNonRappresentabile,
         "La cartella del catalogo contiene caratteri che Windows-1252 non ha"},
    };
    for (const auto& [catalogo, motivo] : casi) {
        EXPECT_EQ(Esegui({"salva", "--codice", "2", "--descrizione", "d", "--server", "nt",
                          "--macchina", "m", "--catalogo", catalogo}),
                  StatoUscita::SalvataggioNonRiuscito);
        EXPECT_EQ(errori.str().rfind("Salvataggio non riuscito.\n" + motivo, 0), 0u)
            << errori.str();
        EXPECT_EQ(fs.file, prima);
    }
}

TEST(StringaJson, EscapesQuotesBackslashesAndControlCharactersOnly) {
    struct Caso {
        std::string testo;
        std::string json;
    } casi[] = {
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\r\n\t", "\"\\r\\n\\t\""},
        {std::string("\x01\x1F\0", 3), "\"\\u0001\\u001f\\u0000\""},
        {"\x7F\x80\xE8", "\"\x7F\x80\xE8\""},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(StringaJson(c.testo), c.json);
}

}  // namespace
}  // namespace velmar
