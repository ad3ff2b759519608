#include "store/salvataggio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "store/ditte.h"
#include "store/record.h"
#include "tests/support/dati.h"
#include "tests/support/ditta_di_prova.h"
#include "tests/support/file_system_memoria.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using test::kDitta001;
using test::kRecord001;

TEST(SostituisciInTesto, ReplacesEveryMatchingLineInPlaceOrAppendsWhateverTheLines) {
    struct Caso {
        std::string_view testo;
        std::string_view codice;
        std::optional<std::string> atteso;  // nothing: refused, written nowhere
        std::string_view record = "R";
    };
    const Caso casi[] = {
        {"A;p;x;x;x;002;m;\r\nB;p;x;x;x;001;m;\r\n", "001", "A;p;x;x;x;002;m;\r\nR\r\n"},
        {"B;p;x;x;x;001;m;\r\nC;p;x;x;x;002\r\nD;p;x;x;x;001", "001",
         "R\r\nC;p;x;x;x;002\r\nR\r\n"},
        {"A;p;x;x;x;002;m;", "001", "A;p;x;x;x;002;m;\r\nR\r\n"},
        {"", "001", "R\r\n"},
        // Blank, short and other lines are copied as they are, each ending in CR LF.
        {"\r\nbreve;001\rcon\nLF\r\n\r\n;;;;;001x", "001",
         "\r\nbreve;001\r\ncon\nLF\r\n\r\n;;;;;001x\r\nR\r\n"},
        // The key is case-sensitive and untrimmed.
        {"a;b;c;d;e;ABC;\r\n", "abc", "a;b;c;d;e;ABC;\r\nR\r\n"},
        {"a;b;c;d;e; 1;\r\n", "1", "a;b;c;d;e; 1;\r\nR\r\n"},
        // A line of the code holding a lone LF is never replaced: what follows the LF would go.
        // A new code is appended all the same, dropping nothing.
        {"A;p;x;x;x;001;m;\nB;p;x;x;x;002;m;\n", "001", std::nullopt},
        {"A\nB;p;x;x;x;001;m;\r\n", "001", std::nullopt},
        {"A;p;x;x;x;001;m;\nB;p;x;x;x;003;m;\n", "004",
         "A;p;x;x;x;001;m;\nB;p;x;x;x;003;m;\n\r\nR\r\n"},
        // Nor is a code whose record stands hidden after a lone LF in another line: it would
        // stay there beside the new one.
        {"A;p;x;x;x;001;m;\nB;p;x;x;x;002;m;\n", "002", std::nullopt},
        {"A;p;x;x;x;001;m;\r\nZ;p;x;x;x;003;m;\nB;p;x;x;x;002", "002", std::nullopt},
        // A text that looks like UTF-8 takes an ASCII record, and refuses one beyond ASCII,
        // which would make it mixed; Windows-1252 text takes both.
        {"Societ\xC3\xA0;p;x;x;x;002;m;\r\n", "001", "Societ\xC3\xA0;p;x;x;x;002;m;\r\nR\r\n"},
        {"Societ\xC3\xA0;p;x;x;x;002;m;\r\n", "001", std::nullopt, "Caff\xE8"},
        {"\xEF\xBB\xBF;p;x;x;x;002;m;\r\n", "002", std::nullopt, "Caff\xE8"},
        {"Societ\xE0;p;x;x;x;002;m;\r\n", "001", "Societ\xE0;p;x;x;x;002;m;\r\nCaff\xE8\r\n",
         "Caff\xE8"},
        // UTF-16 text, by its byte order mark or by its NULs, takes no record at all.
        {std::string_view("\xFF\xFE;\0", 4), "001", std::nullopt},
        {std::string_view("\xFE\xFF\0;", 4), "001", std::nullopt},
        {std::string_view("0\0"
                          "0\0"
                          "1\0;\0",
                          8),
         "001", std::nullopt},
    };
    for (const Caso& c : casi) {
        for (std::size_t capacita : {std::size_t{3}, std::size_t{16}, kBufferLettura}) {
            SCOPED_TRACE(testing::PrintToString(std::string(c.testo)) + " buffer " +
                         std::to_string(capacita));
            const Risultato<std::string> r =
                SostituisciInTesto(c.testo, c.codice, c.record, capacita);
            EXPECT_EQ(r ? std::optional<std::string>(*r) : std::nullopt, c.atteso);
            EXPECT_TRUE(r || r.Errore().tipo == TipoErrore::NonSalvato);
        }
    }
}

// A package in memory: the base folder and the three areas, each holding `vecchio`.
class Salvataggio : public testing::Test {
  protected:
    static constexpr const char* kBase = "C:\\Pacchetto";
    const std::vector<std::string> bersagli = {"C:\\Pacchetto\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\CONTABILITA\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\COMMERCIALE\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\SCHEDULATORE\\BRIO_PARAMS.txt"};
    const std::string lavoro = "C:\\Pacchetto\\BRIO_PARAMS.dep";
    const std::string blocco = "C:\\Pacchetto\\BRIO_PARAMS.lck";

    test::FileSystemMemoria Pacchetto(const std::string& vecchio) {
        test::FileSystemMemoria fs;
        fs.cartelle = {kBase, "C:\\Pacchetto\\CONTABILITA", "C:\\Pacchetto\\COMMERCIALE",
                       "C:\\Pacchetto\\SCHEDULATORE"};
        for (const auto& b : bersagli)
            fs.file[b] = vecchio;
        return fs;
    }
    static RisultatoModifica Salva(test::FileSystemMemoria& fs, const DatiDitta& dati = kDitta001) {
        return SalvaDitta(fs, dati, {"C:\\Cat"}, kBase);
    }
    // The kind of a change's failure, or nothing when it went through.
    static std::optional<TipoErrore> Fallimento(const RisultatoModifica& r) {
        if (r)
            return std::nullopt;
        return r.Errore().tipo;
    }
    // The files but the lock, which every change makes.
    std::map<std::string, std::string> File(const test::FileSystemMemoria& fs) const {
        auto f = fs.file;
        f.erase(blocco);
        return f;
    }
};

TEST_F(Salvataggio, ReplacesTheLineInPlaceInTheBaseAndInEveryExistingAreaOnly) {
    auto fs = Pacchetto("A;p;x;x;x;002;m;\r\nVecchia;p;x;x;x;001;m;\r\n");
    fs.file[bersagli[2]] = "vecchio contenuto\r\n";
    fs.file.erase(bersagli[3]);  // an area folder without a copy gets one
    fs.cartelle.erase("C:\\Pacchetto\\CONTABILITA");
    fs.file.erase(bersagli[1]);
    const RisultatoModifica r = Salva(fs);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->Completo());
    EXPECT_EQ(r->modifica, TipoModifica::Salvataggio);
    const std::string atteso = "A;p;x;x;x;002;m;\r\n" + kRecord001 + "\r\n";
    EXPECT_EQ(r->aggiornati, (std::vector<std::string>{bersagli[0], bersagli[2], bersagli[3]}));
    for (const auto& b : r->aggiornati)
        EXPECT_EQ(fs.file[b], atteso) << b;
    EXPECT_EQ(fs.file.count(bersagli[1]), 0u) << "no area is created";
    EXPECT_EQ(fs.file.count(lavoro), 0u);
    EXPECT_EQ(fs.file.count("C:\\Pacchetto\\BRIO_PARAMS.new"), 0u);
}

TEST_F(Salvataggio, StopsWithoutAreasLeavingTheWorkFileAsItWasOrEmpty) {
    auto fs = Pacchetto("A;p;x;x;x;001;m;\r\n");
    fs.cartelle = {kBase};
    RisultatoModifica r = Salva(fs);
    ASSERT_EQ(Fallimento(r), TipoErrore::NessunaArea);
    EXPECT_EQ(r.Errore().testo, MessaggioNessunaArea());
    EXPECT_EQ(MessaggioNessunaArea(),
              "Deve esistere almeno una di queste cartelle 'CONTABILITA' o 'COMMERCIALE' o "
              "'SCHEDULATORE' Setup Interrotto.");
    EXPECT_EQ(fs.file[bersagli[0]], "A;p;x;x;x;001;m;\r\n");
    EXPECT_EQ(fs.file.at(lavoro), "");
    // A leftover work file is left as it was by the stop...
    fs.file[lavoro] = "avanzo\r\n";
    EXPECT_EQ(Fallimento(Salva(fs)), TipoErrore::NessunaArea);
    EXPECT_EQ(fs.file[lavoro], "avanzo\r\n");
    // ...and made afresh, not appended to, by a save that goes ahead.
    fs.cartelle.insert("C:\\Pacchetto\\SCHEDULATORE");
    EXPECT_EQ(Fallimento(Salva(fs)), std::nullopt);
    EXPECT_EQ(fs.file[bersagli[3]], kRecord001 + "\r\n");
}

TEST_F(Salvataggio, KeepsBlankLinesAndBytesAndASavedCompanyReadsBack) {
    auto fs = Pacchetto("\r\nCaff\xE8;p;x;x;x;002;m\n2;\r\n\r\ncorta\r");
    const DatiDitta d{"  ", "Societ\xE0 \x80", "host", "db2inst1", "db2inst1", "db2inst1"};
    ASSERT_TRUE(Salva(fs, d));
    EXPECT_EQ(fs.file[bersagli[0]].substr(0, 35),
              "\r\nCaff\xE8;p;x;x;x;002;m\n2;\r\n\r\ncorta\r\n");
    EXPECT_EQ(test::Valore(CercaDitta(fs, kBase, "  ")),
              (RisultatoRicerca{"Societ\xE0 \x80", "host", TipoServer::Linux}));
    EXPECT_EQ(test::Valore(LeggiDitte(fs, kBase)), (std::vector<std::string>{"002", "  "}));
}

TEST_F(Salvataggio, WritesNothingWithoutAnAbsoluteBaseFolder) {
    auto fs = Pacchetto("vecchio\r\n");
    const auto prima = fs.file;
    for (const std::string cartella : {"", "relativa"}) {
        const RisultatoModifica r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, cartella);
        ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
        ASSERT_EQ(r.Errore().percorsi.size(), 1u);
        EXPECT_EQ(r.Errore().percorsi[0].percorso, cartella);
        EXPECT_EQ(r.Errore().percorsi[0].motivo.testo,
                  cartella.empty() ? kCartellaNonDisponibile : kNonPercorsoCompleto);
    }
    EXPECT_EQ(fs.file, prima);
    // Nor when the package's folder could not be obtained at all.
    const Errore componente(TipoErrore::CartellaNonDisponibile, "il componente tace");
    const Errore e = CartellaNonDisponibile(componente);
    EXPECT_EQ(e.tipo, TipoErrore::NonSalvato);
    ASSERT_EQ(e.percorsi.size(), 1u);
    EXPECT_EQ(e.percorsi[0].percorso, "");
    EXPECT_EQ(e.percorsi[0].motivo.testo, kCartellaNonDisponibile);
    EXPECT_EQ(e.percorsi[0].motivo.causa, std::vector<Errore>{componente});
}

TEST_F(Salvataggio, EveryTargetHoldsItsOldOrNewContentAndTheFailureIsNamed) {
    // Large enough to need several reads and writes.
    std::string vecchio;
    for (int i = 0; i < 3000; ++i) {
        vecchio += "Ditta " + std::to_string(i) + ";C:\\c\\Dwh.oce;x;x;x;" + std::to_string(i) +
                   ";10.0.0.1;\r\n";
    }
    const std::string nuovo = test::Valore(SostituisciInTesto(vecchio, "001", kRecord001));

    // Count the operations of a save that does not fail.
    auto pulito = Pacchetto(vecchio);
    ASSERT_TRUE(SalvaDitta(pulito, kDitta001, {"C:\\Cat"}, kBase));
    const long totale = pulito.operazioni;
    ASSERT_GT(totale, 20);

    for (long guasto = 0; guasto < totale; ++guasto) {
        auto fs = Pacchetto(vecchio);
        fs.fallisci = guasto;
        const RisultatoModifica r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
        const std::string operazione = pulito.registro[static_cast<std::size_t>(guasto)];
        SCOPED_TRACE(operazione);

        for (const auto& b : bersagli) {
            const std::string& dati = fs.file[b];
            EXPECT_TRUE(dati == vecchio || dati == nuovo) << b;
        }
        const bool baseNuova = fs.file[bersagli[0]] == nuovo;
        if (r && r->Completo()) {
            // Only the removal of a temporary file may fail without consequence.
            EXPECT_EQ(operazione.rfind("Elimina", 0), 0u);
            for (const auto& b : bersagli)
                EXPECT_EQ(fs.file[b], nuovo) << b;
        } else if (r) {
            EXPECT_TRUE(baseNuova);
            ASSERT_EQ(r->nonAggiornati.size(), 1u);
            const PercorsoNonAggiornato& p = r->nonAggiornati[0];
            EXPECT_EQ(fs.file[p.percorso], vecchio);
            EXPECT_EQ(r->aggiornati.size(), 3u);
            EXPECT_TRUE(test::Contiene(p.motivo, "errore simulato"));
        } else {
            ASSERT_EQ(r.Errore().tipo, TipoErrore::NonSalvato) << "areas exist";
            for (const auto& b : bersagli)
                EXPECT_EQ(fs.file[b], vecchio) << b;
            const std::vector<PercorsoNonAggiornato>& percorsi = r.Errore().percorsi;
            ASSERT_EQ(percorsi.size(), 1u);
            EXPECT_FALSE(percorsi[0].percorso.empty());
            EXPECT_TRUE(test::Contiene(percorsi[0].motivo, "errore simulato"));
            // The base folder's file goes first: while it is not replaced, no area is touched.
            for (const auto& op : fs.registro)
                EXPECT_EQ(op.find("CONTABILITA\\BRIO_PARAMS.new"), std::string::npos) << op;
            if (operazione == "Sostituisci C:\\Pacchetto\\BRIO_PARAMS.txt") {
                EXPECT_EQ(percorsi[0].percorso, bersagli[0]);
            }
        }
        if (operazione.rfind("Elimina C:\\Pacchetto\\BRIO_PARAMS.dep", 0) == 0) {
            ASSERT_TRUE(r);
            ASSERT_EQ(r->avvisi.size(), 1u);
            EXPECT_EQ(r->avvisi[0].percorso, lavoro);
            EXPECT_EQ(r->avvisi[0].motivo.passo, "eliminazione");
            EXPECT_TRUE(test::Contiene(r->avvisi[0].motivo, "errore simulato"));
        }
    }
}

TEST_F(Salvataggio, AnUnreadableParametersFileIsNotAMissingOne) {
    auto fs = Pacchetto("A;p;x;x;x;002;m;\r\n");
    fs.illeggibili.insert(bersagli[0]);
    const RisultatoModifica r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
    ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
    ASSERT_EQ(r.Errore().percorsi.size(), 1u);
    EXPECT_EQ(r.Errore().percorsi[0].percorso, bersagli[0]);
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "A;p;x;x;x;002;m;\r\n");
    EXPECT_EQ(fs.file.count(lavoro), 0u);
}

TEST_F(Salvataggio, RefusalsWriteNothingAndSayWhy) {
    enum class Stato { Normale, Occupato, SoloCopieNelleAree };
    struct Caso {
        std::string catalogo;
        bool rappresentabile;
        Stato pacchetto;
        TipoErrore tipo;
        std::string percorso;
        std::string motivo;  // how it starts
        Rimedio rimedio = Rimedio::Nessuno;
    };
    const Caso casi[] = {
        {"C:\\a;b", true, Stato::Normale, TipoErrore::NonSalvato, "",
         "La cartella del catalogo 'C:\\a;b' contiene caratteri non ammessi (';' o un a capo)"},
        {"C:\\a\r\nB;c;x;x;x;002;m", true, Stato::Normale, TipoErrore::NonSalvato, "",
         "La cartella del catalogo 'C:\\a\\x0D\\x0AB;c;x;x;x;002;m' contiene caratteri non"},
        {"C:\\?d?", false, Stato::Normale, TipoErrore::NonSalvato, "",
         "La cartella del catalogo 'C:\\?d?' contiene caratteri che Windows-1252 non ha"},
        {"C:\\Cat", true, Stato::Occupato, TipoErrore::Occupato, "",
         "Un altro salvataggio \xE8 in corso nella cartella C:\\Pacchetto: dopo 30 secondi"},
        {"C:\\Cat", true, Stato::SoloCopieNelleAree, TipoErrore::NonSalvato, bersagli[0],
         "il file manca, ma ne esistono copie nelle aree: " + bersagli[1] + ", " + bersagli[3],
         Rimedio::RimettiCopia},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.motivo);
        auto fs = Pacchetto("vecchio\r\n");
        if (c.pacchetto == Stato::Occupato)
            fs.bloccati.insert(blocco);
        if (c.pacchetto == Stato::SoloCopieNelleAree) {
            fs.file.erase(bersagli[0]);
            fs.file.erase(bersagli[2]);
        }
        const auto prima = fs.file;
        const RisultatoModifica r =
            SalvaDitta(fs, kDitta001, {c.catalogo, c.rappresentabile}, kBase);
        ASSERT_EQ(Fallimento(r), c.tipo);
        ASSERT_EQ(r.Errore().percorsi.size(), 1u);
        EXPECT_EQ(r.Errore().percorsi[0].percorso, c.percorso);
        EXPECT_TRUE(r.Errore().percorsi[0].motivo.testo.starts_with(c.motivo))
            << r.Errore().percorsi[0].motivo.testo;
        EXPECT_EQ(r.Errore().percorsi[0].motivo.rimedio, c.rimedio);
        EXPECT_EQ(File(fs), prima);
    }
}

TEST_F(Salvataggio, AChangeOfALineWithALoneLfWritesNothingAndNamesTheLine) {
    // Unix line ends make the whole file one line, keyed by its first code.
    const std::string unix = "A;p;x;x;x;001;m;\nB;p;x;x;x;002;m;\nC;p;x;x;x;003;m;\n";
    const std::string misto = "A;p;x;x;x;001;m;\r\nB;p;x;x;x;002;m;\nC;p;x;x;x;003;m;\n";
    struct Caso {
        std::string testo;
        std::string codice;
        bool elimina;
        std::string motivo;
    };
    const std::string seguito = ", che la modifica cancellerebbe";
    const Caso casi[] = {
        {unix, "001", false,
         "la riga 1 ha fini riga Unix (LF senza CR): dopo il LF stanno 2 record di ditte" +
             seguito},
        {unix, "001", true,
         "la riga 1 ha fini riga Unix (LF senza CR): dopo il LF stanno 2 record di ditte" +
             seguito},
        {misto, "002", false,
         "la riga 2 ha fini riga Unix (LF senza CR): dopo il LF stanno 1 record di ditta" +
             seguito},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.motivo);
        auto fs = Pacchetto(c.testo);
        const auto prima = fs.file;
        DatiDitta dati = kDitta001;
        dati.CodiceDitta = c.codice;
        const RisultatoModifica r = c.elimina ? EliminaDitta(fs, c.codice, kBase) : Salva(fs, dati);
        ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
        EXPECT_EQ(r.Errore().percorsi,
                  (std::vector<PercorsoNonAggiornato>{
                      {bersagli[0], test::Rifiuto(c.motivo, Rimedio::Ripara)}}));
        EXPECT_EQ(File(fs), prima) << "not even the work file is left";
    }
    // A new code drops nothing: it is appended.
    auto fs = Pacchetto(unix);
    DatiDitta nuova = kDitta001;
    nuova.CodiceDitta = "004";
    ASSERT_TRUE(Salva(fs, nuova));
    EXPECT_EQ(fs.file[bersagli[3]], unix + "\r\n" + ComponiRecord(nuova, "C:\\Cat") + "\r\n");
}

TEST_F(Salvataggio, ABaseFileWithoutCompaniesChangesNothingWhileAreaCopiesHoldSome) {
    for (const std::string vuoto : {"", "\r\n\r\n", "corta;1\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(vuoto));
        auto fs = Pacchetto("A;p;x;x;x;002;m;\r\n");
        fs.file[bersagli[0]] = vuoto;
        fs.file[bersagli[2]] = "";
        const auto prima = fs.file;
        const RisultatoModifica risultati[] = {Salva(fs), EliminaDitta(fs, "002", kBase),
                                               DistribuisciFile(fs, kBase), RiparaFile(fs, kBase)};
        for (const RisultatoModifica& r : risultati) {
            ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
            EXPECT_EQ(r.Errore().percorsi,
                      (std::vector<PercorsoNonAggiornato>{
                          {bersagli[0],
                           test::Rifiuto("il file non ha nessuna ditta, ma le copie nelle aree "
                                         "ne hanno: " +
                                             bersagli[1] + ", " + bersagli[3],
                                         Rimedio::RimettiCopia)}}));
        }
        EXPECT_EQ(File(fs), prima);
    }
    // Copies without companies either: a first company is saved.
    auto fs = Pacchetto("");
    ASSERT_TRUE(Salva(fs));
    EXPECT_EQ(fs.file[bersagli[2]], kRecord001 + "\r\n");
}

TEST_F(Salvataggio, ARepairMendsTheBaseFileAndDistributesItOrWritesNothing) {
    auto fs = Pacchetto("vecchia copia\r\n");
    fs.file[bersagli[0]] = "Caff\xC3\xA8;p;x;x;x;001;m;\nB;p;x;x;x;002;m;\n";
    RisultatoModifica r = RiparaFile(fs, kBase);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->riparazione, (Riparazione{2, false, true, Codifica::Byte}));
    EXPECT_EQ(r->aggiornati, bersagli);
    EXPECT_EQ(MessaggioRiparato(r->riparazione),
              "Riparato BRIO_PARAMS.txt: 2 fini riga corrette in CR LF; testo convertito da UTF-8 "
              "a Windows-1252");
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "Caff\xE8;p;x;x;x;001;m;\r\nB;p;x;x;x;002;m;\r\n") << b;
    EXPECT_EQ(fs.file.count(lavoro), 0u);

    // A repair cut short left a copy behind, and another area without one: a sound base file
    // is copied there only, and then all is in order.
    fs.file[bersagli[2]] = "Caff\xC3\xA8;p;x;x;x;001;m;\nB;p;x;x;x;002;m;\n";
    fs.file.erase(bersagli[3]);
    r = RiparaFile(fs, kBase);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->nienteDaRiparare);
    EXPECT_EQ(r->aggiornati, (std::vector<std::string>{bersagli[2], bersagli[3]}));
    EXPECT_EQ(r->riparazione, Riparazione{});
    EXPECT_TRUE(r->conservate.empty()) << "the copy's only company is in the base file";
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], fs.file[bersagli[0]]) << b;
    auto prima = fs.file;
    r = RiparaFile(fs, kBase);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->nienteDaRiparare);
    EXPECT_EQ(fs.file, prima);

    // Text that looks like UTF-8 but cannot be converted is left as it is.
    fs.file[bersagli[0]] = "\xC5\x81;p;x;x;x;001;m;\n";
    prima = fs.file;
    r = RiparaFile(fs, kBase);
    ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
    EXPECT_EQ(r.Errore().percorsi,
              (std::vector<PercorsoNonAggiornato>{
                  {bersagli[0],
                   test::Rifiuto("il testo sembra UTF-8, ma non si pu\xF2 convertire in "
                                 "Windows-1252: alla riga 1 il carattere U+0141 non esiste in "
                                 "Windows-1252",
                                 Rimedio::CorreggiAMano)}}));
    EXPECT_EQ(fs.file, prima);
}

TEST_F(Salvataggio, UnicodeTextIsChangedOnlyByTheRepairWhichConvertsIt) {
    const std::string convertito = test::LeggiDato("utf16_convertito.txt");
    ASSERT_FALSE(convertito.empty());
    struct Caso {
        std::string dato;
        std::string_view codifica;
        bool bom;
    };
    const Caso casi[] = {{"utf16le_bom.txt", "UTF-16 little endian", true},
                         {"utf16be_bom.txt", "UTF-16 big endian", true},
                         {"utf16le.txt", "UTF-16 little endian", false}};
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.dato);
        const std::string testo = test::LeggiDato(c.dato);
        auto fs = Pacchetto(testo);
        const auto prima = fs.file;
        const RisultatoModifica rifiuti[] = {Salva(fs), EliminaDitta(fs, "001", kBase),
                                             DistribuisciFile(fs, kBase)};
        for (const RisultatoModifica& r : rifiuti) {
            ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
            ASSERT_EQ(r.Errore().percorsi.size(), 1u);
            EXPECT_EQ(r.Errore().percorsi[0].percorso, bersagli[0]);
            EXPECT_TRUE(r.Errore().percorsi[0].motivo.testo.starts_with("il file \xE8 in " +
                                                                        std::string(c.codifica)));
            EXPECT_EQ(r.Errore().percorsi[0].motivo.rimedio, Rimedio::Ripara);
        }
        EXPECT_EQ(File(fs), prima);

        const RisultatoModifica r = RiparaFile(fs, kBase);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->riparazione.codifica, CodificaDaInizio(testo));
        EXPECT_EQ(r->riparazione.bom, c.bom);
        EXPECT_TRUE(r->riparazione.convertito);
        for (const auto& b : bersagli)
            EXPECT_EQ(fs.file[b], convertito) << b;
        EXPECT_TRUE(r->conservate.empty()) << "the area copies held the same companies";
    }
    // A character that Windows-1252 lacks is named, and nothing is written.
    auto fs = Pacchetto(test::LeggiDato("utf16le_fuori_1252.txt"));
    const auto prima = fs.file;
    const RisultatoModifica r = RiparaFile(fs, kBase);
    ASSERT_EQ(Fallimento(r), TipoErrore::NonSalvato);
    EXPECT_EQ(r.Errore().percorsi[0].motivo,
              test::Rifiuto("il testo \xE8 in UTF-16 little endian, ma non si pu\xF2 convertire in "
                            "Windows-1252: alla riga 2 il carattere U+0141 non esiste in "
                            "Windows-1252",
                            Rimedio::CorreggiAMano));
    EXPECT_EQ(File(fs), prima);
}

TEST_F(Salvataggio, AnAreaCopysOwnCompaniesAreKeptWholeBeforeEveryChangeReplacesIt) {
    const std::string base = "A;p;x;x;x;001;m;\r\n";
    // CONTABILITA's copy holds companies that the base file lacks, one hidden after a lone LF;
    // COMMERCIALE's an older line of 001, which the base file has.
    std::string propria = "A;p;x;x;x;001;m;\r\nF;p;x;x;x;006;m;\nG;p;x;x;x;007;m;\r\n";
    std::vector<std::string> codici = {"006", "007"};
    for (int i = 10; i < 22; ++i) {
        codici.push_back("0" + std::to_string(i));
        propria += "X;p;x;x;x;" + codici.back() + ";m;\r\n";
    }
    const std::string bak = "C:\\Pacchetto\\CONTABILITA\\BRIO_PARAMS.bak";
    const std::string bak1 = "C:\\Pacchetto\\CONTABILITA\\BRIO_PARAMS.1.bak";
    using Modifica = RisultatoModifica (*)(test::FileSystemMemoria&);
    const Modifica modifiche[] = {
        [](test::FileSystemMemoria& fs) { return Salva(fs); },
        [](test::FileSystemMemoria& fs) { return EliminaDitta(fs, "001", kBase); },
        [](test::FileSystemMemoria& fs) { return DistribuisciFile(fs, kBase); },
        [](test::FileSystemMemoria& fs) { return RiparaFile(fs, kBase); },
    };
    for (const Modifica modifica : modifiche) {
        auto fs = Pacchetto(base);
        fs.file[bersagli[1]] = propria;
        fs.file[bersagli[2]] = "Vecchia;p;x;x;x;001;m;\r\n";
        fs.file[bak] = "conservata prima";
        const RisultatoModifica r = modifica(fs);
        ASSERT_TRUE(r);
        SCOPED_TRACE(static_cast<int>(r->modifica));
        EXPECT_TRUE(r->Completo());
        EXPECT_EQ(r->conservate, (std::vector<CopiaConservata>{{bersagli[1], bak1, codici}}));
        EXPECT_EQ(fs.file[bak1], propria);
        EXPECT_EQ(fs.file[bak], "conservata prima") << "an earlier copy kept is never replaced";
        EXPECT_EQ(DescrizioneConservata(r->conservate[0]),
                  "aveva le ditte 006, 007, 010, 011, 012, 013, 014, 015, 016, 017 e altre 4, che "
                  "il file della cartella del pacchetto non ha; la copia \xE8 conservata intera "
                  "in " +
                      bak1);
        for (const auto& b : bersagli)
            EXPECT_EQ(fs.file[b], fs.file[bersagli[0]]) << b;
    }

    // A copy that cannot be read, or kept, is left as it is; the others are updated.
    auto fs = Pacchetto(base);
    fs.file[bersagli[1]] = propria;
    fs.illeggibili.insert(bersagli[3]);
    auto pulito = fs;
    ASSERT_TRUE(Salva(pulito));
    const auto copia =
        std::find(pulito.registro.begin(), pulito.registro.end(), "Sostituisci " + bak);
    ASSERT_NE(copia, pulito.registro.end());
    fs.fallisci = copia - pulito.registro.begin();
    const RisultatoModifica r = Salva(fs);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->aggiornati, (std::vector<std::string>{bersagli[0], bersagli[2]}));
    ASSERT_EQ(r->nonAggiornati.size(), 2u);
    EXPECT_EQ(r->nonAggiornati[0].percorso, bersagli[1]);
    EXPECT_EQ(r->nonAggiornati[0].motivo.testo,
              "la copia resta com'\xE8: ha ditte che il file della cartella del pacchetto non ha, "
              "e non si \xE8 potuta conservare");
    EXPECT_EQ(r->nonAggiornati[1].percorso, bersagli[3]);
    EXPECT_EQ(r->nonAggiornati[1].motivo.testo,
              "la copia resta com'\xE8: non si sa se ha ditte che il file della cartella del "
              "pacchetto non ha, perch\xE9 non si pu\xF2 leggere");
    for (const PercorsoNonAggiornato& p : r->nonAggiornati)
        EXPECT_TRUE(test::Contiene(p.motivo, "errore simulato"));
    EXPECT_EQ(fs.file[bersagli[1]], propria);
    EXPECT_EQ(fs.file.count(bak), 0u);
}

TEST_F(Salvataggio, ARemovalTakesEveryLineOfTheCodeOutOfEveryFile) {
    const std::string testo = "A;p;x;x;x;002;m;\r\nB;p;x;x;x;001;m;\r\nbreve\rC;p;x;x;x;002";
    auto fs = Pacchetto(testo);
    RisultatoModifica r = EliminaDitta(fs, "002", kBase);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->modifica, TipoModifica::Eliminazione);
    EXPECT_EQ(r->codice, "002");
    EXPECT_EQ(MessaggioEliminata("002"), "Ditta '002' eliminata");
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "B;p;x;x;x;001;m;\r\nbreve\r\n") << b;

    // A code that no line carries writes nothing at all, and neither do areas that are missing.
    fs = Pacchetto(testo);
    const auto prima = fs.file;
    r = EliminaDitta(fs, "02", kBase);
    ASSERT_EQ(Fallimento(r), TipoErrore::DittaNonTrovata);
    EXPECT_EQ(r.Errore().testo, "Codice Ditta non trovato: '02'");
    EXPECT_EQ(File(fs), prima);
    fs.cartelle = {kBase};
    EXPECT_EQ(Fallimento(EliminaDitta(fs, "001", kBase)), TipoErrore::NessunaArea);
    EXPECT_EQ(fs.file[bersagli[0]], testo);
}

TEST_F(Salvataggio, ADistributionCopiesTheBaseFileByteForByteAndLeavesItAlone) {
    const std::string testo = "A;p;x;x;x;002;m;\rsenza CR LF";
    auto fs = Pacchetto(testo);
    fs.file[bersagli[2]] = "vecchia copia\r\n";
    fs.file.erase(bersagli[3]);
    const RisultatoModifica r = DistribuisciFile(fs, kBase);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->aggiornati, (std::vector<std::string>{bersagli[1], bersagli[2], bersagli[3]}));
    EXPECT_EQ(r->modifica, TipoModifica::Distribuzione);
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], testo) << b;
    // Nothing is written in the base folder, not even a work file.
    for (const auto& op : fs.registro) {
        const bool scrive = op.rfind("Blocca", 0) != 0 && op.rfind("ApriLettura", 0) != 0 &&
                            op.rfind("Leggi", 0) != 0;
        EXPECT_FALSE(scrive && op.find("C:\\Pacchetto\\BRIO_PARAMS.") != std::string::npos) << op;
    }

    fs.file.erase(bersagli[0]);
    EXPECT_EQ(Fallimento(DistribuisciFile(fs, kBase)), TipoErrore::NonSalvato);
    fs.cartelle = {kBase};
    EXPECT_EQ(Fallimento(DistribuisciFile(fs, kBase)), TipoErrore::NessunaArea);
}

}  // namespace
}  // namespace velmar
