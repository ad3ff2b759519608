#include "store/verifica.h"

#include <gtest/gtest.h>

#include "tests/support/dati.h"
#include "tests/support/file_system_memoria.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

constexpr const char* kBase = "C:\\P";
constexpr const char* kParametri = "C:\\P\\BRIO_PARAMS.txt";

std::string Riga(const std::string& codice, const std::string& descrizione = "Ditta") {
    return descrizione + ";C:\\Cat\\Dwh" + codice + ".oce;db2admin;db2admin;db2admin;" + codice +
           ";10.0.0.1;\r\n";
}

test::FileSystemMemoria Pacchetto(const std::string& testo) {
    test::FileSystemMemoria fs;
    fs.cartelle = {kBase, "C:\\P\\CONTABILITA", "C:\\P\\COMMERCIALE", "C:\\P\\SCHEDULATORE"};
    for (const char* f :
         {kParametri, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt",
          "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"}) {
        fs.file[f] = testo;
    }
    return fs;
}

TEST(VerificaPacchetto, AWholePackageHasNoProblems) {
    auto fs = Pacchetto(Riga("001") + Riga("002"));
    fs.file["C:\\P\\BRIO_PARAMS.lck"] = "";
    EXPECT_TRUE(test::Valore(VerificaPacchetto(fs, kBase)).empty());
}

TEST(VerificaPacchetto, FindsEachKindOfProblemWithItsFileAndLineOrCode) {
    const std::string testo =
        Riga("001", "Caff\xC3\xA8") +  // 1: UTF-8, as the whole file is
        "corta;1;2\r\n" +              // 2: fewer than six fields
        Riga("002") +                  // 3
        "Lf;C:\\Cat\\Dwh003.oce;x;x;x;003;m;\nB;c;x;x;x;008;m;\r" +  // 4: LF hiding 008, CR
        "Cat;C:\\Cat\\Dwh9.oce;x;x;x;004;m;\r\n" +                   // 5: catalog
        Riga("002", "Doppia") +                                      // 6: 002 again
        "ultima;x;x;x;x;005";                                        // 7: no line end, catalog
    auto fs = Pacchetto(testo);
    fs.file["C:\\P\\CONTABILITA\\BRIO_PARAMS.txt"] = Riga("001", "Altra") + Riga("009");
    fs.file.erase("C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt");
    fs.file["C:\\P\\BRIO_PARAMS.dep"] = "avanzo";
    fs.file["C:\\P\\BRIO_PARAMS.new"] = "avanzo";
    // A file where an area's folder should be.
    fs.cartelle.erase("C:\\P\\SCHEDULATORE");
    fs.file.erase("C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt");
    fs.file["C:\\P\\SCHEDULATORE"] = "";

    const std::vector<Problema> problemi = test::Valore(VerificaPacchetto(fs, kBase));
    struct Atteso {
        TipoProblema tipo;
        std::string file;
        std::optional<std::uint64_t> riga;
        std::string codice;
    };
    const std::vector<Atteso> attesi = {
        {TipoProblema::FileAvanzato, "C:\\P\\BRIO_PARAMS.dep", std::nullopt, ""},
        {TipoProblema::FileAvanzato, "C:\\P\\BRIO_PARAMS.new", std::nullopt, ""},
        {TipoProblema::RigaCorta, kParametri, 2, ""},
        {TipoProblema::FineRiga, kParametri, 4, "003"},
        {TipoProblema::LfSolitario, kParametri, 4, "003"},
        {TipoProblema::Catalogo, kParametri, 5, "004"},
        {TipoProblema::FineRiga, kParametri, 7, "005"},
        {TipoProblema::Catalogo, kParametri, 7, "005"},
        {TipoProblema::Utf8, kParametri, std::nullopt, ""},
        {TipoProblema::CodiceRipetuto, kParametri, std::nullopt, "002"},
        {TipoProblema::AreaNonCartella, "C:\\P\\SCHEDULATORE", std::nullopt, ""},
        {TipoProblema::CopiaDiversa, "C:\\P\\CONTABILITA\\BRIO_PARAMS.txt", std::nullopt, ""},
        {TipoProblema::CopiaMancante, "C:\\P\\COMMERCIALE", std::nullopt, ""},
    };
    ASSERT_EQ(problemi.size(), attesi.size());
    for (std::size_t i = 0; i < attesi.size(); ++i) {
        SCOPED_TRACE(problemi[i].descrizione);
        EXPECT_EQ(NomeProblema(problemi[i].tipo), NomeProblema(attesi[i].tipo));
        EXPECT_EQ(problemi[i].file, attesi[i].file);
        EXPECT_EQ(problemi[i].riga, attesi[i].riga);
        EXPECT_EQ(problemi[i].codice, attesi[i].codice);
        EXPECT_FALSE(problemi[i].descrizione.empty());
    }
    // The drifted copy: 001 differs, 002 to 005 are missing, 009 is only there.
    const Problema& copia = problemi[11];
    EXPECT_EQ(copia.mancanti, (std::vector<std::string>{"002", "003", "004", "005"}));
    EXPECT_EQ(copia.inPiu, std::vector<std::string>{"009"});
    EXPECT_EQ(copia.diversi, std::vector<std::string>{"001"});
    EXPECT_EQ(problemi[9].descrizione, "il codice '002' \xE8 su pi\xF9 righe: 3, 6");
    EXPECT_EQ(problemi[4].ditteNascoste, 1u);
    EXPECT_EQ(problemi[4].descrizione,
              "la riga contiene un LF senza CR (fine riga Unix): dopo il LF stanno 1 record di "
              "ditta che nessun programma elenca");
    EXPECT_EQ(problemi[8].rimedio, RimedioProblema::Converti);
}

TEST(VerificaPacchetto, UnicodeFilesAndNulBytesAreProblemsOfTheirOwn) {
    const std::string utf16 = test::LeggiDato("utf16le_bom.txt");
    ASSERT_FALSE(utf16.empty());
    struct Caso {
        std::string base;
        std::string copia;  // of CONTABILITA
        std::vector<std::pair<TipoProblema, std::optional<std::uint64_t>>> attesi;
        std::string descrizione;  // of the first problem, how it ends
        RimedioProblema rimedio;
    };
    const auto n = std::nullopt;
    const Caso casi[] = {
        // The lines of a UTF-16 file are no lines of the package: only its encoding is told.
        {utf16,
         utf16,
         {{TipoProblema::Utf16, n}},
         "ne leggono male ogni ditta",
         RimedioProblema::Converti},
        {test::LeggiDato("utf16le_fuori_1252.txt"),
         test::LeggiDato("utf16le_fuori_1252.txt"),
         {{TipoProblema::Utf16, n}},
         "alla riga 2 il carattere U+0141 non esiste in Windows-1252: va corretto a mano",
         RimedioProblema::Nessuno},
        {Riga("001"),
         utf16,
         {{TipoProblema::Utf16, n}, {TipoProblema::CopiaDiversa, n}},
         "ne leggono male ogni ditta",
         RimedioProblema::SostituisciCopia},
        {Riga("001") + Riga("002", std::string("N\0l", 3)) + Riga("003"),
         "",
         {{TipoProblema::ByteNul, 2}, {TipoProblema::CopiaDiversa, n}},
         "(questa \xE8 la prima riga che ne ha)",
         RimedioProblema::Nessuno},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(testing::PrintToString(c.base));
        auto fs = Pacchetto(c.base);
        fs.file["C:\\P\\CONTABILITA\\BRIO_PARAMS.txt"] = c.copia;
        const std::vector<Problema> problemi = test::Valore(VerificaPacchetto(fs, kBase));
        ASSERT_EQ(problemi.size(), c.attesi.size()) << problemi.back().descrizione;
        for (std::size_t i = 0; i < problemi.size(); ++i) {
            EXPECT_EQ(NomeProblema(problemi[i].tipo), NomeProblema(c.attesi[i].first));
            EXPECT_EQ(problemi[i].riga, c.attesi[i].second);
        }
        EXPECT_TRUE(problemi[0].descrizione.ends_with(c.descrizione)) << problemi[0].descrizione;
        EXPECT_EQ(problemi[0].rimedio, c.rimedio);
    }
}

TEST(VerificaPacchetto, ACopyWithTheSameCompaniesButOtherBytesStillDiffers) {
    auto fs = Pacchetto(Riga("001") + Riga("002"));
    fs.file["C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt"] = Riga("002") + Riga("001");
    const std::vector<Problema> problemi = test::Valore(VerificaPacchetto(fs, kBase));
    ASSERT_EQ(problemi.size(), 1u);
    EXPECT_EQ(problemi[0].tipo, TipoProblema::CopiaDiversa);
    EXPECT_TRUE(problemi[0].mancanti.empty() && problemi[0].inPiu.empty() &&
                problemi[0].diversi.empty());
}

TEST(VerificaPacchetto, AMissingFileIsAProblemAndAnUnreadableOneAFailure) {
    auto fs = Pacchetto("");
    fs.file.erase(kParametri);
    std::vector<Problema> problemi = test::Valore(VerificaPacchetto(fs, kBase));
    ASSERT_FALSE(problemi.empty());
    EXPECT_EQ(problemi[0].tipo, TipoProblema::FileMancante);

    fs.file[kParametri] = Riga("001");
    fs.illeggibili.insert(kParametri);
    const Risultato<std::vector<Problema>> r = VerificaPacchetto(fs, kBase);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.Errore().tipo, TipoErrore::Illeggibile);
    EXPECT_EQ(r.Errore().percorso, kParametri);
    fs.illeggibili = {"C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt"};
    problemi = test::Valore(VerificaPacchetto(fs, kBase));
    ASSERT_EQ(problemi.size(), 3u);  // two copies differ from the new base; one is unreadable
    EXPECT_EQ(problemi[2].tipo, TipoProblema::CopiaIlleggibile);
}

}  // namespace
}  // namespace velmar
