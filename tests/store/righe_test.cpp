#include "store/righe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/dati.h"
#include "tests/support/lettura_a_pezzi.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using V = std::vector<std::string>;

// The lines of `testo` as the reader gives them, with a buffer of `capacita` bytes and reads
// of `pezzo` bytes; a line longer than the buffer is read back from the file.
V Righe(std::string_view testo, std::size_t capacita = kBufferLettura,
        std::size_t pezzo = std::string_view::npos) {
    test::LetturaAPezzi file(testo, pezzo);
    V righe;
    const Esito letto = OgniRiga(
        file,
        [&](const RigaLetta& riga) {
            std::string t;
            Esito e = riga.Copia([&](std::string_view p) { t.append(p); });
            EXPECT_EQ(riga.Lunghezza(), t.size());
            righe.push_back(t);
            return e;
        },
        capacita);
    EXPECT_TRUE(letto);
    return righe;
}

TEST(Righe, EndAtCrLfOrLoneCrAndKeepLoneLfWhateverTheBufferAndTheReads) {
    struct Caso {
        std::string_view testo;
        V righe;
    };
    const Caso casi[] = {
        {"", {}},
        {"a", {"a"}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"\n", {"\n"}},
        {"a\r\n", {"a"}},
        {"a\rb", {"a", "b"}},
        {"a\nb\r\n", {"a\nb"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a\n", "b"}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\nb\rc\nd", {"a", "b", "c\nd"}},
        {"x\r\n\n", {"x", "\n"}},
        {"lunga;riga;di;prova\r\nancora una\r\n", {"lunga;riga;di;prova", "ancora una"}},
    };
    for (const auto& c : casi) {
        for (std::size_t capacita :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, kBufferLettura}) {
            for (std::size_t pezzo : {std::size_t{1}, std::size_t{3}, std::string_view::npos}) {
                EXPECT_EQ(Righe(c.testo, capacita, pezzo), c.righe)
                    << testing::PrintToString(std::string(c.testo)) << " buffer " << capacita
                    << " pezzo " << pezzo;
            }
        }
    }
}

TEST(Righe, TellHowEachLineEndsWhereverTheReadsStop) {
    const std::string testo = "a\r\nb\rcc\r\r\nd";
    const std::vector<FineRiga> attese = {FineRiga::CrLf, FineRiga::Cr, FineRiga::Cr,
                                          FineRiga::CrLf, FineRiga::FineFile};
    for (std::size_t capacita : {std::size_t{1}, std::size_t{2}, std::size_t{3}, kBufferLettura}) {
        for (std::size_t pezzo : {std::size_t{1}, std::size_t{2}, std::string_view::npos}) {
            test::LetturaAPezzi file(testo, pezzo);
            std::vector<FineRiga> fini;
            EXPECT_TRUE(OgniRiga(
                file,
                [&](const RigaLetta& riga) {
                    fini.push_back(riga.Fine());
                    return Esito();
                },
                capacita));
            EXPECT_EQ(fini, attese) << "buffer " << capacita << " pezzo " << pezzo;
        }
    }
}

TEST(Righe, KeepBytesAboveAsciiAndNulExactly) {
    const std::string testo("\xE0\x80\x00\xFF;x\r\n\x81", 9);
    EXPECT_EQ(Righe(testo), (V{std::string("\xE0\x80\x00\xFF;x", 6), "\x81"}));
}

// A line longer than the buffer is not held: its fields are placed while it is read and read
// back when asked for.
TEST(Righe, FieldsOfALineLongerThanTheBufferAreReadBack) {
    const std::string riga = "descrizione;C:\\Cat\\Dwh1.oce;x;y;db2admin;0001;10.0.0.1;";
    const std::string testo = "corta\r\n" + riga + "\r\n";
    LetturaDaTesto file(testo);
    LettoreRighe lettore(file, 8);
    RigaLetta letta;
    ASSERT_TRUE(test::Valore(lettore.Prossima(letta)));
    ASSERT_TRUE(test::Valore(lettore.Prossima(letta)));
    EXPECT_FALSE(letta.Intera());
    const CampiRiga campi = letta.Campi(CampiRiga::kMax);
    ASSERT_EQ(campi.numero, 8u);
    const CampiRiga attesi = TagliaCampi(riga);
    for (std::size_t i = 0; i < campi.numero; ++i) {
        const std::string campo = test::Valore(letta.Campo(campi, i));
        EXPECT_EQ(campo, attesi.Campo(riga, i)) << i;
        EXPECT_TRUE(test::Valore(letta.CampoUguale(campi, i, campo))) << i;
        EXPECT_FALSE(test::Valore(letta.CampoUguale(campi, i, campo + "x"))) << i;
    }
    EXPECT_FALSE(test::Valore(letta.CampoUguale(campi, 5, "0002")));
    EXPECT_EQ(letta.Campi(6).numero, 6u);
    EXPECT_FALSE(test::Valore(lettore.Prossima(letta)));
}

// A checked-in file mixing CR LF, a blank line, a lone LF, a lone CR, a byte above 127 and
// a last line without terminator.
TEST(Righe, MatchTheCheckedInSamples) {
    const std::string testo = test::LeggiDato("righe_miste.txt");
    ASSERT_FALSE(testo.empty());
    EXPECT_EQ(Righe(testo),
              (V{"Prima;C:\\x\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;", "",
                 "riga\ncon LF", "Caff\xE8 S.p.A.;;;;;002;", "ultima senza fine"}));
}

}  // namespace
}  // namespace velmar
