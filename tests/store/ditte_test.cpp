#include "store/ditte.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/cartella_temporanea.h"
#include "tests/support/file_system_memoria.h"

namespace velmar {
namespace {

using V = std::vector<std::string>;

TEST(ListaDitte, KeepsFileOrderDuplicatesAndEmptyCodesAndSkipsShortLines) {
    const std::string testo =
        "A;p;db2admin;db2admin;db2admin;002;m1;\r\n"
        "B;p;db2admin;db2admin;db2admin;001;m2;\r\n"
        "\r\n"
        "corta;1;2;3;4\r\n"
        ";;;;\r\n"
        "C;p;x;x;x;002;m3;\r\n"
        "D;p;x;x;x;;m4;\r\n"
        "E;p;x;x;x;003";
    EXPECT_EQ(CodiciDaTesto(testo), (V{"002", "001", "002", "", "003"}));
    EXPECT_EQ(CodiciDaTesto(""), V{});
}

// The list keeps every code in one growing block: codes of every length, many of them, and the
// copies the window and the console make must all read back the same.
TEST(ElencoCodici, HoldsCodesOfEveryLengthThroughGrowthCopiesAndMoves) {
    V attesi;
    ElencoCodici elenco;
    for (int i = 0; i < 20000; ++i) {
        attesi.push_back(
            std::string(static_cast<std::size_t>(i % 23), static_cast<char>('a' + i % 26)) +
            std::to_string(i));
        if (i % 97 == 0)
            attesi.back().clear();
        elenco.Aggiungi(attesi.back());
    }
    EXPECT_EQ(elenco, attesi);
    EXPECT_EQ(elenco.size(), attesi.size());

    ElencoCodici copia = elenco;
    EXPECT_EQ(copia, attesi);
    copia.Aggiungi("ultimo");
    EXPECT_EQ(elenco, attesi);  // the original is untouched by the copy's growth

    ElencoCodici mosso = std::move(copia);
    attesi.push_back("ultimo");
    EXPECT_EQ(mosso, attesi);

    ElencoCodici assegnato;
    assegnato = mosso;
    assegnato = assegnato;
    EXPECT_EQ(assegnato, attesi);

    const ElencoCodici vuoto;
    EXPECT_TRUE(vuoto.empty());
    EXPECT_EQ(vuoto.begin(), vuoto.end());
    EXPECT_EQ(ElencoCodici(vuoto), V{});
}

TEST(CercaDitta, LastMatchingLineDecides) {
    const std::string testo =
        "Prima;p;db2admin;db2admin;db2admin;002;10.0.0.1;\r\n"
        "Altra;p;db2inst1;db2inst1;db2inst1;001;10.0.0.9;\r\n"
        "Terza;p;db2inst1;db2inst1;db2inst1;002;10.0.0.3;\r\n";
    EXPECT_EQ(CercaInTesto(testo, "002"),
              (RisultatoRicerca{"Terza", "10.0.0.3", TipoServer::Linux}));
    EXPECT_EQ(CercaInTesto(testo, "001"),
              (RisultatoRicerca{"Altra", "10.0.0.9", TipoServer::Linux}));
}

TEST(CercaDitta, MachineComesFromTheLastMatchingLineThatHasOne) {
    const std::string testo =
        "Prima;p;db2inst1;db2inst1;db2inst1;002;10.0.0.1;\r\n"
        "Seconda;p;x;x;db2admin;002\r\n";
    EXPECT_EQ(CercaInTesto(testo, "002"),
              (RisultatoRicerca{"Seconda", "10.0.0.1", TipoServer::NT}));
    EXPECT_EQ(CercaInTesto("Sola;p;x;x;db2admin;007", "007"),
              (RisultatoRicerca{"Sola", "", TipoServer::NT}));
}

TEST(CercaDitta, MatchesExactlyWithoutTrimmingOrFolding) {
    const std::string testo =
        "Maiuscola;p;x;x;DB2ADMIN;AB;m;\r\n"
        "Vuota;p;x;x;;;m2;\r\n"
        "Spazio;p;x;x;db2admin; ;m3;\r\n"
        "corta;1;2;3;4\r\n";
    EXPECT_EQ(CercaInTesto(testo, "ab"), RisultatoRicerca{});
    EXPECT_EQ(CercaInTesto(testo, "AB").server, TipoServer::Linux);
    EXPECT_EQ(CercaInTesto(testo, ""), (RisultatoRicerca{"Vuota", "m2", TipoServer::Linux}));
    EXPECT_EQ(CercaInTesto(testo, " "), (RisultatoRicerca{"Spazio", "m3", TipoServer::NT}));
    EXPECT_EQ(CercaInTesto(testo, "0"), RisultatoRicerca{});
    EXPECT_EQ(CercaInTesto(testo, "4"), RisultatoRicerca{});
}

TEST(CercaDitta, FieldsAreCutAtLoneLfNeverAtIt) {
    // The lone LF belongs to the description: the line is still one record.
    const std::string testo = "Due\nrighe;p;x;x;db2admin;005;m;\r\n";
    EXPECT_EQ(CercaInTesto(testo, "005").descrizione, "Due\nrighe");
}

// The list and the lookup of a package, with the outcome of the read.
struct Letto {
    Esito esito;
    V codici;
};
Letto Elenco(FileSystem& fs, std::string_view base) {
    ElencoCodici codici;
    Letto l{LeggiDitte(fs, base, codici), {}};
    l.codici.assign(codici.begin(), codici.end());
    return l;
}
RisultatoRicerca Cerca(FileSystem& fs, std::string_view base, std::string_view codice,
                       bool riuscita = true) {
    RisultatoRicerca r{"x", "x", TipoServer::NT};
    EXPECT_EQ(static_cast<bool>(CercaDitta(fs, base, codice, r)), riuscita) << codice;
    return r;
}

class LetturaDaFile : public testing::Test {
  protected:
    test::CartellaTemporanea cartella;
    FileSystem& fs = FileSystemDiSistema();

    std::filesystem::path Parametri() const { return cartella.Percorso() / "BRIO_PARAMS.txt"; }
    void Parametri(const std::string& dati) { test::ScriviTesto(Parametri(), dati); }
};

TEST_F(LetturaDaFile, ReadsTheParametersFileOfTheBaseFolder) {
    Parametri("A;p;db2admin;db2admin;db2admin;002;m1;\r\nB;p;x;x;x;001;m2;\r\n");
    EXPECT_EQ(Elenco(fs, cartella.Testo()).codici, (V{"002", "001"}));
    EXPECT_EQ(Cerca(fs, cartella.Testo(), "002"), (RisultatoRicerca{"A", "m1", TipoServer::NT}));
}

TEST_F(LetturaDaFile, AMissingFileHasNoLinesAndAnUnavailableFolderFails) {
    const Letto vuoto = Elenco(fs, cartella.Testo());
    EXPECT_TRUE(vuoto.esito) << vuoto.esito.errore;
    EXPECT_EQ(vuoto.codici, V{});
    EXPECT_EQ(Cerca(fs, cartella.Testo(), ""), RisultatoRicerca{});
    Parametri("A;p;x;x;x;;m;\r\n");
    for (const char* base : {"", "relativa"}) {
        const Letto l = Elenco(fs, base);
        EXPECT_FALSE(l.esito) << base;
        EXPECT_EQ(l.codici, V{});
        EXPECT_EQ(Cerca(fs, base, "", false), RisultatoRicerca{});
    }
}

TEST_F(LetturaDaFile, AParametersFileThatIsNoRegularFileFailsAtOnceNamingIt) {
    std::filesystem::create_directory(Parametri());
    Letto l = Elenco(fs, cartella.Testo());
    EXPECT_FALSE(l.esito);
    EXPECT_EQ(l.esito.errore.rfind(Parametri().string() + ": ", 0), 0u) << l.esito.errore;
    EXPECT_EQ(Cerca(fs, cartella.Testo(), "", false), RisultatoRicerca{});
#ifndef _WIN32
    // A FIFO would wait for a writer for ever.
    std::filesystem::remove(Parametri());
    ASSERT_EQ(::mkfifo(Parametri().c_str(), 0600), 0);
    l = Elenco(fs, cartella.Testo());
    EXPECT_FALSE(l.esito);
    EXPECT_NE(l.esito.errore.find("non \xE8 un file regolare"), std::string::npos);
#endif
}

TEST_F(LetturaDaFile, LinesLongerThanTheReadBufferAreWhole) {
    const std::string lunga(3 * kBufferLettura + 17, 'x');
    Parametri(lunga + ";p;x;x;x;001;m;\r\n" + "B;p;x;x;x;002;" + lunga + ";");
    EXPECT_EQ(Elenco(fs, cartella.Testo()).codici, (V{"001", "002"}));
    EXPECT_EQ(Cerca(fs, cartella.Testo(), "001").descrizione, lunga);
    EXPECT_EQ(Cerca(fs, cartella.Testo(), "002").macchina, lunga);
}

TEST(LetturaConErrori, AFileThatFailsWhileReadingFailsWithNoLines) {
    test::FileSystemMemoria fs;
    fs.cartelle.insert("C:\\P");
    fs.file["C:\\P\\BRIO_PARAMS.txt"] = "A;p;x;x;x;001;m;\r\n";
    fs.illeggibili.insert("C:\\P\\BRIO_PARAMS.txt");
    const Letto l = Elenco(fs, "C:\\P");
    EXPECT_EQ(l.esito.errore, "C:\\P\\BRIO_PARAMS.txt: errore simulato");
    EXPECT_EQ(l.codici, V{});
    EXPECT_EQ(Cerca(fs, "C:\\P", "001", false), RisultatoRicerca{});
}

}  // namespace
}  // namespace velmar
