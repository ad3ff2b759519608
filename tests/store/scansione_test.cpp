#include "store/scansione.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "store/ditte.h"
#include "store/record.h"
#include "store/righe.h"

namespace velmar {
namespace {

constexpr auto npos = std::string_view::npos;

TEST(TrovaSequenza, FindsTheFirstOccurrenceAtOrAfterTheStart) {
    struct Caso {
        std::string_view testo, ago;
        std::size_t da, atteso;
    };
    const std::string lungo = std::string(40, 'x') + ";001;" + std::string(40, 'x') + ";001";
    const Caso casi[] = {
        {"", ";", 0, npos},         {"abc", "", 1, 1},         {";", ";", 0, 0},
        {"a;b", ";", 2, npos},      {"x;001;y", ";001", 0, 1}, {"x;00;001", ";001", 0, 4},
        {";00", ";001", 0, npos},   {lungo, ";001", 0, 40},    {lungo, ";001", 41, 85},
        {lungo, ";001;", 41, npos}, {lungo, "x;0", 0, 39},
    };
    for (const auto& c : casi) {
        EXPECT_EQ(TrovaSequenza(c.testo, c.ago, c.da), c.atteso) << c.testo << " / " << c.ago;
    }
}

const char* Nome(LivelloScansione l) {
    switch (l) {
        case LivelloScansione::Sse2:
            return "Sse2";
        case LivelloScansione::Avx2:
            return "Avx2";
        case LivelloScansione::Avx512:
            break;
    }
    return "Avx512";
}

}  // namespace

void PrintTo(LivelloScansione l, std::ostream* os) {
    *os << Nome(l);
}

namespace {

// The random comparisons below run on each vector width the processor allows (a wider one it
// lacks falls back to the next), so that every loop is checked against the plain rules.
class PercorsoScansione : public testing::TestWithParam<LivelloScansione> {
  protected:
    void SetUp() override { LimitaScansione(GetParam()); }
    void TearDown() override { LimitaScansione(LivelloScansione::Avx512); }
};

INSTANTIATE_TEST_SUITE_P(Vettori, PercorsoScansione,
                         testing::Values(LivelloScansione::Sse2, LivelloScansione::Avx2,
                                         LivelloScansione::Avx512),
                         [](const testing::TestParamInfo<LivelloScansione>& i) {
                             return std::string(Nome(i.param));
                         });

TEST_P(PercorsoScansione, SequenceSearchAgreesWithTheStandardSearch) {
    std::mt19937 caso(7);
    for (int prova = 0; prova < 4000; ++prova) {
        std::string testo(caso() % 300, 'a');
        for (char& c : testo)
            c = ";01\r"[caso() % 4];
        std::string ago(caso() % 5 + 1, 'a');
        for (char& c : ago)
            c = ";01\r"[caso() % 4];
        const std::size_t da = caso() % (testo.size() + 1);
        EXPECT_EQ(TrovaSequenza(testo, ago, da), std::string_view(testo).find(ago, da));
    }
}

TEST(DopoSeparatori, PointsJustAfterTheNthSeparator) {
    const std::string riga = "a;b;" + std::string(30, 'c') + ";d;e;" + std::string(20, ';');
    const char* fine = riga.data() + riga.size();
    EXPECT_EQ(DopoSeparatori(riga.data(), fine, 1), riga.data() + 2);
    EXPECT_EQ(DopoSeparatori(riga.data(), fine, 3), riga.data() + 35);
    EXPECT_EQ(DopoSeparatori(riga.data(), fine, 25), fine);
    EXPECT_EQ(DopoSeparatori(riga.data(), fine, 26), nullptr);
    EXPECT_EQ(DopoSeparatori(riga.data(), riga.data(), 1), nullptr);
}

// The list reads separators and line ends in one pass; it must agree with cutting each line.
TEST_P(PercorsoScansione, CodeListAgreesWithCuttingEveryLine) {
    std::mt19937 caso(13);
    const char* pezzi[] = {";",     "0",       "01", "\r", "\n", "\r\n", "0123456789abcdef",
                           "x;y;z", ";;;;;;;;"};
    for (int prova = 0; prova < 5000; ++prova) {
        std::string testo;
        for (unsigned i = caso() % 120; i > 0; --i)
            testo += pezzi[caso() % 9];
        std::vector<std::string> attesi;
        PerOgniRiga(testo, [&](std::string_view r) {
            if (auto c = CodiceRiga(r))
                attesi.emplace_back(*c);
        });
        ElencoCodici codici;
        AggiungiCodici(testo, codici);
        ASSERT_EQ(codici, attesi) << testing::PrintToString(testo);
    }
}

// The lookup only visits lines where the code can be field 5; it must agree with a lookup that
// looks at every line.
TEST_P(PercorsoScansione, CandidateLookupAgreesWithEveryLineScan) {
    std::mt19937 caso(11);
    const char* pezzi[] = {";", "0", "01", "\r", "\n", "\r\n", "db2admin", "x"};
    for (int prova = 0; prova < 3000; ++prova) {
        std::string testo;
        for (unsigned i = caso() % 80; i > 0; --i)
            testo += pezzi[caso() % 8];
        for (std::string_view codice : {"", "0", "01", "x", "0;1", "\n", "010", "db2admin"}) {
            RicercaDitta riferimento(codice);
            PerOgniRiga(testo, [&](std::string_view r) { riferimento.Riga(r); });
            ASSERT_EQ(CercaInTesto(testo, codice), riferimento.Risultato())
                << testing::PrintToString(testo) << " code " << codice;
        }
    }
}

}  // namespace
}  // namespace velmar
