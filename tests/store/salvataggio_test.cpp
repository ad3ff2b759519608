#include "store/salvataggio.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/ditte.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/file_system_memoria.h"

namespace velmar {
namespace {

const StatoFinestra kDitta001{"001", "Nuova", "10.0.0.5", "db2admin", "db2admin", "db2admin"};
const std::string kRecord001 = "Nuova;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.5;";

TEST(SostituisciInTesto, ReplacesEveryMatchingLineInPlace) {
    EXPECT_EQ(SostituisciInTesto("A;p;x;x;x;002;m;\r\nB;p;x;x;x;001;m;\r\n", "001", "R"),
              "A;p;x;x;x;002;m;\r\nR\r\n");
    EXPECT_EQ(SostituisciInTesto("B;p;x;x;x;001;m;\r\nC;p;x;x;x;002\r\nD;p;x;x;x;001", "001", "R"),
              "R\r\nC;p;x;x;x;002\r\nR\r\n");
}

TEST(SostituisciInTesto, AppendsANewCodeAfterTheLastLine) {
    EXPECT_EQ(SostituisciInTesto("A;p;x;x;x;002;m;", "001", "R"), "A;p;x;x;x;002;m;\r\nR\r\n");
    EXPECT_EQ(SostituisciInTesto("", "001", "R"), "R\r\n");
}

TEST(SostituisciInTesto, CopiesBlankShortAndOtherLinesUnchangedEndingInCrLf) {
    EXPECT_EQ(SostituisciInTesto("\r\nbreve;001\rcon\nLF\r\n\r\n;;;;;001x", "001", "R"),
              "\r\nbreve;001\r\ncon\nLF\r\n\r\n;;;;;001x\r\nR\r\n");
    // Case-sensitive, untrimmed key.
    EXPECT_EQ(SostituisciInTesto("a;b;c;d;e;ABC;\r\n", "abc", "R"), "a;b;c;d;e;ABC;\r\nR\r\n");
}

// ---------------------------------------------------------------------------------------------
// On the real file system.

class Salvataggio : public testing::Test {
  protected:
    test::CartellaTemporanea base;
    FileSystem& fs = FileSystemDiSistema();

    std::filesystem::path Parametri(const std::string& area = "") const {
        return (area.empty() ? base.Percorso() : base.Percorso() / area) / "BRIO_PARAMS.txt";
    }
    RisultatoSalvataggio Salva(const StatoFinestra& s = kDitta001,
                               const std::string& catalogo = "C:\\Cat") {
        return SalvaDitta(fs, s, {catalogo}, base.Testo());
    }
};

TEST_F(Salvataggio, ReplacesTheLineInPlaceAndDistributesToEveryExistingArea) {
    for (const char* a : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"})
        base.Crea(a);
    test::ScriviTesto(Parametri(), "A;p;x;x;x;002;m;\r\nVecchia;p;x;x;x;001;m;\r\n");
    test::ScriviTesto(Parametri("COMMERCIALE"), "vecchio contenuto\r\n");

    const RisultatoSalvataggio r = Salva();
    EXPECT_EQ(r.esito, EsitoSalvataggio::Salvato);
    EXPECT_TRUE(r.errori.empty());
    const std::string atteso = "A;p;x;x;x;002;m;\r\n" + kRecord001 + "\r\n";
    EXPECT_EQ(test::LeggiTesto(Parametri()), atteso);
    for (const char* a : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"}) {
        EXPECT_EQ(test::LeggiTesto(Parametri(a)), atteso) << a;
    }
    EXPECT_EQ(r.aggiornati.size(), 4u);
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.dep"));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.new"));
}

TEST_F(Salvataggio, OnlyExistingAreasAreWrittenAndNoneIsCreated) {
    base.Crea("COMMERCIALE");
    const RisultatoSalvataggio r = Salva();
    EXPECT_EQ(r.esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(test::LeggiTesto(Parametri()), kRecord001 + "\r\n");
    EXPECT_EQ(test::LeggiTesto(Parametri("COMMERCIALE")), kRecord001 + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "CONTABILITA"));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "SCHEDULATORE"));
}

TEST_F(Salvataggio, StopsWithoutAreasLeavingAnEmptyWorkFileAndTheParametersUntouched) {
    test::ScriviTesto(Parametri(), "A;p;x;x;x;001;m;\r\n");
    const RisultatoSalvataggio r = Salva();
    EXPECT_EQ(r.esito, EsitoSalvataggio::NessunaArea);
    EXPECT_EQ(test::LeggiTesto(Parametri()), "A;p;x;x;x;001;m;\r\n");
    ASSERT_TRUE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.dep"));
    EXPECT_EQ(std::filesystem::file_size(base.Percorso() / "BRIO_PARAMS.dep"), 0u);

    // A leftover work file is left as it was by the stop...
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.dep", "avanzo\r\n");
    EXPECT_EQ(Salva().esito, EsitoSalvataggio::NessunaArea);
    EXPECT_EQ(test::LeggiTesto(base.Percorso() / "BRIO_PARAMS.dep"), "avanzo\r\n");
    // ...and emptied, not appended to, by a save that goes ahead.
    base.Crea("SCHEDULATORE");
    EXPECT_EQ(Salva().esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(test::LeggiTesto(Parametri()), kRecord001 + "\r\n");
}

TEST_F(Salvataggio, CatalogFolderDefaultsAndKeepsADoubledSeparator) {
    base.Crea("CONTABILITA");
    ASSERT_EQ(Salva(kDitta001, "").esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(TagliaCampi(test::LeggiTesto(Parametri())).campi[1],
              "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog "
              "Extensions\\Dwh001.oce");
    ASSERT_EQ(Salva(kDitta001, "D:\\OCE\\").esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(TagliaCampi(test::LeggiTesto(Parametri())).campi[1], "D:\\OCE\\\\Dwh001.oce");
}

TEST_F(Salvataggio, KeepsBlankLinesAndBytesAndASavedCompanyReadsBack) {
    base.Crea("CONTABILITA");
    test::ScriviTesto(Parametri(), "\r\nCaff\xE8;p;x;x;x;002;m\n2;\r\n\r\ncorta\r");
    StatoFinestra s{"  ", "Societ\xE0 \x80", "host", "db2inst1", "db2inst1", "db2inst1"};
    ASSERT_EQ(Salva(s).esito, EsitoSalvataggio::Salvato);
    const std::string testo = test::LeggiTesto(Parametri());
    EXPECT_EQ(testo.substr(0, 35), "\r\nCaff\xE8;p;x;x;x;002;m\n2;\r\n\r\ncorta\r\n");
    RisultatoRicerca ditta;
    ASSERT_TRUE(CercaDitta(fs, base.Testo(), "  ", ditta));
    EXPECT_EQ(ditta, (RisultatoRicerca{"Societ\xE0 \x80", "host", TipoServer::Linux}));
    ElencoCodici codici;
    ASSERT_TRUE(LeggiDitte(fs, base.Testo(), codici));
    EXPECT_EQ(codici, (std::vector<std::string>{"002", "  "}));
}

TEST_F(Salvataggio, WritesNothingWithoutAnAbsoluteBaseFolder) {
    base.Crea("CONTABILITA");
    for (const std::string cartella : {"", "relativa"}) {
        const RisultatoSalvataggio r = SalvaDitta(fs, kDitta001, {}, cartella);
        EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
        ASSERT_EQ(r.errori.size(), 1u);
        EXPECT_FALSE(r.errori[0].motivo.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(Parametri()));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.dep"));
}

#ifndef _WIN32
TEST_F(Salvataggio, NamesTakenByLinksOrFoldersAreClearedNeverFollowed) {
    for (const char* a : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"})
        base.Crea(a);
    const std::string vecchio = "A;p;x;x;x;002;m;\r\n";
    test::ScriviTesto(Parametri(), vecchio);
    const auto altrove = base.Crea("altrove");
    const auto nascosto = altrove / "nascosto.txt";
    const auto lontano = altrove / "lontano.txt";
    test::ScriviTesto(nascosto, "nascosto\r\n");
    test::ScriviTesto(lontano, "lontano\r\n");
    namespace fs = std::filesystem;
    // A work file that is another name of the parameters file, links to a file elsewhere at a
    // temporary name and at an area's copy, a folder at another temporary name.
    fs::create_hard_link(Parametri(), base.Percorso() / "BRIO_PARAMS.dep");
    fs::create_symlink(nascosto, base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new");
    fs::create_symlink(lontano, Parametri("COMMERCIALE"));
    fs::create_directory(base.Percorso() / "SCHEDULATORE" / "BRIO_PARAMS.new");

    const RisultatoSalvataggio r = Salva();
    EXPECT_EQ(r.esito, EsitoSalvataggio::SalvatoInParte);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, Parametri("SCHEDULATORE").string());
    EXPECT_NE(r.errori[0].motivo.find("cartella"), std::string::npos) << r.errori[0].motivo;
    const std::string atteso = vecchio + kRecord001 + "\r\n";
    for (const char* a : {"", "CONTABILITA", "COMMERCIALE"}) {
        EXPECT_EQ(test::LeggiTesto(Parametri(a)), atteso) << a;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Parametri(a)))) << a;
    }
    EXPECT_EQ(test::LeggiTesto(nascosto), "nascosto\r\n");
    EXPECT_EQ(test::LeggiTesto(lontano), "lontano\r\n");
    EXPECT_FALSE(
        fs::exists(fs::symlink_status(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new")));
    EXPECT_FALSE(fs::exists(base.Percorso() / "BRIO_PARAMS.dep"));
}

TEST_F(Salvataggio, AReplacementKeepsModeAndOwnerAndAReadOnlyCopyIsNotReplaced) {
    for (const char* a : {"CONTABILITA", "COMMERCIALE"})
        base.Crea(a);
    const std::string vecchio = "A;p;x;x;x;002;m;\r\n";
    for (const char* a : {"", "CONTABILITA", "COMMERCIALE"})
        test::ScriviTesto(Parametri(a), vecchio);
    ASSERT_EQ(::chmod(Parametri().c_str(), 0640), 0);
    ASSERT_EQ(::chmod(Parametri("CONTABILITA").c_str(), 0600), 0);
    ASSERT_EQ(::chmod(Parametri("COMMERCIALE").c_str(), 0444), 0);
    // Only root may give a file to another owner; a replacement then keeps it.
    const bool radice = ::geteuid() == 0;
    if (radice) {
        ASSERT_EQ(::chown(Parametri("CONTABILITA").c_str(), 4321, 4321), 0);
    }

    const RisultatoSalvataggio r = Salva();
    EXPECT_EQ(r.esito, EsitoSalvataggio::SalvatoInParte);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, Parametri("COMMERCIALE").string());
    EXPECT_NE(r.errori[0].motivo.find("sola lettura"), std::string::npos) << r.errori[0].motivo;
    EXPECT_EQ(test::LeggiTesto(Parametri("COMMERCIALE")), vecchio);
    const auto stato = [](const std::filesystem::path& p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0);
        return st;
    };
    EXPECT_EQ(stato(Parametri()).st_mode & 07777, 0640u);
    EXPECT_EQ(stato(Parametri("CONTABILITA")).st_mode & 07777, 0600u);
    if (radice) {
        EXPECT_EQ(stato(Parametri("CONTABILITA")).st_uid, 4321u);
    }
    EXPECT_NE(test::LeggiTesto(Parametri("CONTABILITA")), vecchio);
}
#endif

// ---------------------------------------------------------------------------------------------
// Every file operation of a save failing in turn.

class SalvataggioConGuasti : public testing::Test {
  protected:
    static constexpr const char* kBase = "C:\\Pacchetto";
    const std::vector<std::string> bersagli = {"C:\\Pacchetto\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\CONTABILITA\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\COMMERCIALE\\BRIO_PARAMS.txt",
                                               "C:\\Pacchetto\\SCHEDULATORE\\BRIO_PARAMS.txt"};

    test::FileSystemMemoria Pacchetto(const std::string& vecchio) {
        test::FileSystemMemoria fs;
        fs.cartelle = {kBase, "C:\\Pacchetto\\CONTABILITA", "C:\\Pacchetto\\COMMERCIALE",
                       "C:\\Pacchetto\\SCHEDULATORE"};
        for (const auto& b : bersagli)
            fs.file[b] = vecchio;
        return fs;
    }
};

TEST_F(SalvataggioConGuasti, EveryTargetHoldsItsOldOrNewContentAndTheFailureIsNamed) {
    // Large enough to need several reads and writes.
    std::string vecchio;
    for (int i = 0; i < 3000; ++i) {
        vecchio += "Ditta " + std::to_string(i) + ";C:\\c\\Dwh.oce;x;x;x;" + std::to_string(i) +
                   ";10.0.0.1;\r\n";
    }
    const std::string nuovo = SostituisciInTesto(vecchio, "001", kRecord001);

    // Count the operations of a save that does not fail.
    auto pulito = Pacchetto(vecchio);
    ASSERT_EQ(SalvaDitta(pulito, kDitta001, {"C:\\Cat"}, kBase).esito, EsitoSalvataggio::Salvato);
    const long totale = pulito.operazioni;
    ASSERT_GT(totale, 20);

    for (long guasto = 0; guasto < totale; ++guasto) {
        auto fs = Pacchetto(vecchio);
        fs.fallisci = guasto;
        const RisultatoSalvataggio r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
        const std::string operazione = pulito.registro[static_cast<std::size_t>(guasto)];
        SCOPED_TRACE(operazione);

        for (const auto& b : bersagli) {
            const std::string& dati = fs.file[b];
            EXPECT_TRUE(dati == vecchio || dati == nuovo) << b;
        }
        const bool baseNuova = fs.file[bersagli[0]] == nuovo;
        switch (r.esito) {
            case EsitoSalvataggio::Salvato:
                // Only the removal of a temporary file may fail without consequence.
                EXPECT_EQ(operazione.rfind("Elimina", 0), 0u);
                for (const auto& b : bersagli)
                    EXPECT_EQ(fs.file[b], nuovo) << b;
                break;
            case EsitoSalvataggio::SalvatoInParte:
                EXPECT_TRUE(baseNuova);
                ASSERT_EQ(r.errori.size(), 1u);
                EXPECT_EQ(fs.file[r.errori[0].percorso], vecchio);
                EXPECT_EQ(r.aggiornati.size(), 3u);
                break;
            case EsitoSalvataggio::NonSalvato:
                for (const auto& b : bersagli)
                    EXPECT_EQ(fs.file[b], vecchio) << b;
                ASSERT_FALSE(r.errori.empty());
                EXPECT_FALSE(r.errori[0].percorso.empty());
                EXPECT_NE(r.errori[0].motivo.find("errore simulato"), std::string::npos);
                break;
            case EsitoSalvataggio::NessunaArea:
                ADD_FAILURE() << "areas exist";
                break;
        }
        if (operazione.rfind("Elimina C:\\Pacchetto\\BRIO_PARAMS.dep", 0) == 0) {
            EXPECT_EQ(r.esito, EsitoSalvataggio::Salvato);
            ASSERT_EQ(r.avvisi.size(), 1u);
            EXPECT_EQ(r.avvisi[0].percorso, "C:\\Pacchetto\\BRIO_PARAMS.dep");
        }
    }
}

TEST_F(SalvataggioConGuasti, FailedReplaceOfTheBaseFileTouchesNoArea) {
    auto fs = Pacchetto("vecchio\r\n");
    const auto pulito = [&] {
        auto p = Pacchetto("vecchio\r\n");
        (void)SalvaDitta(p, kDitta001, {"C:\\Cat"}, kBase);
        return p.registro;
    }();
    const auto it =
        std::find(pulito.begin(), pulito.end(), "Sostituisci C:\\Pacchetto\\BRIO_PARAMS.txt");
    ASSERT_NE(it, pulito.end());
    fs.fallisci = it - pulito.begin();
    const RisultatoSalvataggio r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
    EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, bersagli[0]);
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "vecchio\r\n");
    for (const auto& op : fs.registro)
        EXPECT_EQ(op.find("CONTABILITA\\BRIO_PARAMS.new"), std::string::npos) << op;
}

TEST_F(SalvataggioConGuasti, AnUnreadableParametersFileIsNotAMissingOne) {
    auto fs = Pacchetto("A;p;x;x;x;002;m;\r\n");
    fs.illeggibili.insert(bersagli[0]);
    const RisultatoSalvataggio r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
    EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, bersagli[0]);
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "A;p;x;x;x;002;m;\r\n");
    EXPECT_EQ(fs.file.count("C:\\Pacchetto\\BRIO_PARAMS.dep"), 0u);
}

TEST_F(SalvataggioConGuasti, AMissingAreaCopyIsCreated) {
    auto fs = Pacchetto("");
    fs.file.erase(bersagli[2]);
    EXPECT_EQ(SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase).esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(fs.file[bersagli[2]], kRecord001 + "\r\n");
}

TEST_F(SalvataggioConGuasti, RefusalsWriteNothingAndSayWhy) {
    enum class Pacchetto { Normale, Occupato, SoloCopieNelleAree };
    struct Caso {
        std::string catalogo;
        bool rappresentabile;
        Pacchetto pacchetto;
        std::string percorso;
        std::string motivo;  // how it starts
    };
    const Caso casi[] = {
        {"C:\\a;b", true, Pacchetto::Normale, "",
         "La cartella del catalogo 'C:\\a;b' contiene caratteri non ammessi (';' o un a capo)"},
        {"C:\\a\r\nB;c;x;x;x;002;m", true, Pacchetto::Normale, "",
         "La cartella del catalogo 'C:\\a\\x0D\\x0AB;c;x;x;x;002;m' contiene caratteri non"},
        {"C:\\?d?", false, Pacchetto::Normale, "",
         "La cartella del catalogo 'C:\\?d?' contiene caratteri che Windows-1252 non ha"},
        {"C:\\Cat", true, Pacchetto::Occupato, "",
         "Un altro salvataggio \xE8 in corso nella cartella C:\\Pacchetto: dopo 30 secondi"},
        {"C:\\Cat", true, Pacchetto::SoloCopieNelleAree, bersagli[0],
         "il file manca, ma ne esistono copie nelle aree: " + bersagli[1] + ", " + bersagli[3] +
             ". Non \xE8 stato scritto nulla"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.motivo);
        auto fs = this->Pacchetto("vecchio\r\n");
        if (c.pacchetto == Pacchetto::Occupato)
            fs.bloccati.insert("C:\\Pacchetto\\BRIO_PARAMS.lck");
        if (c.pacchetto == Pacchetto::SoloCopieNelleAree) {
            fs.file.erase(bersagli[0]);
            fs.file.erase(bersagli[2]);
        }
        const auto prima = fs.file;
        const RisultatoSalvataggio r =
            SalvaDitta(fs, kDitta001, {c.catalogo, c.rappresentabile}, kBase);
        EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
        ASSERT_EQ(r.errori.size(), 1u);
        EXPECT_EQ(r.errori[0].percorso, c.percorso);
        EXPECT_EQ(r.errori[0].motivo.rfind(c.motivo, 0), 0u) << r.errori[0].motivo;
        fs.file.erase("C:\\Pacchetto\\BRIO_PARAMS.lck");
        EXPECT_EQ(fs.file, prima);
    }
}

TEST_F(SalvataggioConGuasti, AReadOnlyFileIsNotReplacedAndIsNamed) {
    auto fs = Pacchetto("vecchio\r\n");
    fs.solaLettura.insert(bersagli[2]);
    RisultatoSalvataggio r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
    EXPECT_EQ(r.esito, EsitoSalvataggio::SalvatoInParte);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, bersagli[2]);
    EXPECT_EQ(r.errori[0].motivo, "copia: il file \xE8 di sola lettura");
    EXPECT_EQ(fs.file[bersagli[2]], "vecchio\r\n");
    EXPECT_EQ(fs.file[bersagli[3]], "vecchio\r\n" + kRecord001 + "\r\n");

    // A read-only base file stops the save before any area.
    fs = Pacchetto("vecchio\r\n");
    fs.solaLettura.insert(bersagli[0]);
    r = SalvaDitta(fs, kDitta001, {"C:\\Cat"}, kBase);
    EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
    for (const auto& b : bersagli)
        EXPECT_EQ(fs.file[b], "vecchio\r\n") << b;
}

}  // namespace
}  // namespace velmar
