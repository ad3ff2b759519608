#include "store/ditte.h"

#include <gtest/gtest.h>

#include "tests/support/file_system_memoria.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using V = std::vector<std::string>;

// Read buffers small enough for every line below to be longer than the buffer, and the
// program's own: the rules hold whatever the lines' lengths.
constexpr std::size_t kCapacita[] = {4, 16, kBufferLettura};

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
    for (std::size_t capacita : kCapacita) {
        EXPECT_EQ(CodiciDaTesto(testo, capacita), (V{"002", "001", "002", "", "003"})) << capacita;
        EXPECT_EQ(CodiciDaTesto("", capacita), V{});
    }
}

TEST(CercaDitta, TheLastMatchingLineDecidesAndTheLastWithAMachineGivesIt) {
    const std::string testo =
        "Prima;p;db2admin;db2admin;db2admin;002;10.0.0.1;\r\n"
        "Altra;p;db2inst1;db2inst1;db2inst1;001;10.0.0.9;\r\n"
        "Terza;p;db2inst1;db2inst1;db2inst1;002;10.0.0.3;\r\n"
        "Quarta;p;x;x;db2admin;002\r\n"
        "Sola;p;x;x;db2admin;007";
    struct Caso {
        std::string_view codice;
        RisultatoRicerca ditta;
    };
    const Caso casi[] = {
        {"002", {"Quarta", "10.0.0.3", TipoServer::NT}},
        {"001", {"Altra", "10.0.0.9", TipoServer::Linux}},
        {"007", {"Sola", "", TipoServer::NT}},
    };
    for (std::size_t capacita : kCapacita) {
        for (const Caso& c : casi)
            EXPECT_EQ(test::Opzionale(CercaInTesto(testo, c.codice, capacita)), c.ditta)
                << c.codice << capacita;
    }
}

TEST(CercaDitta, MatchesExactlyWithoutTrimmingOrFolding) {
    const std::string testo =
        "Maiuscola;p;x;x;DB2ADMIN;AB;m;\r\n"
        "Vuota;p;x;x;;;m2;\r\n"
        "Spazio;p;x;x;db2admin; ;m3;\r\n"
        "Coda;p;x;x;db2admin ;006;m;\r\n"
        "corta;1;2;3;4\r\n"
        "Due\nrighe;p;x;x;db2admin;005;m;\r\n";
    for (std::size_t capacita : kCapacita) {
        EXPECT_FALSE(CercaInTesto(testo, "ab", capacita));
        EXPECT_EQ(test::Valore(CercaInTesto(testo, "AB", capacita)).server, TipoServer::Linux);
        EXPECT_EQ(test::Opzionale(CercaInTesto(testo, "", capacita)),
                  (RisultatoRicerca{"Vuota", "m2", TipoServer::Linux}));
        EXPECT_EQ(test::Opzionale(CercaInTesto(testo, " ", capacita)),
                  (RisultatoRicerca{"Spazio", "m3", TipoServer::NT}));
        EXPECT_EQ(test::Valore(CercaInTesto(testo, "006", capacita)).server, TipoServer::Linux);
        EXPECT_FALSE(CercaInTesto(testo, "0", capacita));
        EXPECT_FALSE(CercaInTesto(testo, "4", capacita));
        EXPECT_EQ(test::Valore(CercaInTesto(testo, "005", capacita)).descrizione, "Due\nrighe");
    }
}

// The package's file: a missing one has no lines, one that cannot be read or an unavailable
// folder is a failure of its kind that names the file.
TEST(LetturaDelPacchetto, AMissingFileHasNoLinesAndAnUnreadableOneFails) {
    test::FileSystemMemoria fs;
    fs.cartelle.insert("C:\\P");
    EXPECT_EQ(test::Valore(LeggiDitte(fs, "C:\\P")), V{});
    Risultato<RisultatoRicerca> ditta = CercaDitta(fs, "C:\\P", "");
    ASSERT_FALSE(ditta);
    EXPECT_EQ(ditta.Errore().tipo, TipoErrore::DittaNonTrovata);
    EXPECT_EQ(ditta.Errore().testo, "Codice Ditta non trovato: ''");

    fs.file["C:\\P\\BRIO_PARAMS.txt"] = "A;p;db2admin;db2admin;db2admin;001;m;\r\n";
    EXPECT_EQ(test::Valore(LeggiDitte(fs, "C:\\P")), V{"001"});
    for (const char* base : {"", "relativa"}) {
        SCOPED_TRACE(base);
        const Risultato<V> codici = LeggiDitte(fs, base);
        ASSERT_FALSE(codici);
        EXPECT_EQ(codici.Errore().tipo, TipoErrore::CartellaNonDisponibile);
        ditta = CercaDitta(fs, base, "001");
        ASSERT_FALSE(ditta);
        EXPECT_EQ(ditta.Errore().tipo, TipoErrore::CartellaNonDisponibile);
    }
    fs.illeggibili.insert("C:\\P\\BRIO_PARAMS.txt");
    const Risultato<V> codici = LeggiDitte(fs, "C:\\P");
    ASSERT_FALSE(codici);
    EXPECT_EQ(codici.Errore().tipo, TipoErrore::Illeggibile);
    EXPECT_EQ(codici.Errore().testo, "il file dei parametri non si pu\xF2 leggere");
    EXPECT_EQ(codici.Errore().percorso, "C:\\P\\BRIO_PARAMS.txt");
    EXPECT_TRUE(test::Contiene(codici.Errore(), "errore simulato"));
    ditta = CercaDitta(fs, "C:\\P", "001");
    ASSERT_FALSE(ditta);
    EXPECT_EQ(ditta.Errore().tipo, TipoErrore::Illeggibile);
}

}  // namespace
}  // namespace velmar
