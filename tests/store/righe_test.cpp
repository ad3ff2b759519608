#include "store/righe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace velmar {
namespace {

std::vector<std::string> Righe(std::string_view testo) {
    std::vector<std::string> r;
    PerOgniRiga(testo, [&](std::string_view riga) { r.emplace_back(riga); });
    return r;
}

// The same text fed in pieces of every size must give the same lines.
std::vector<std::string> RigheAPezzi(std::string_view testo, std::size_t pezzo) {
    std::vector<std::string> r;
    DivisoreRighe d;
    auto fn = [&](std::string_view riga) { r.emplace_back(riga); };
    for (std::size_t i = 0; i < testo.size(); i += pezzo) d.Aggiungi(testo.substr(i, pezzo), fn);
    d.Termina(fn);
    return r;
}

using V = std::vector<std::string>;

TEST(Righe, EndAtCrLfOrLoneCrAndKeepLoneLf) {
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
    };
    for (const auto& c : casi) {
        EXPECT_EQ(Righe(c.testo), c.righe) << testing::PrintToString(std::string(c.testo));
        for (std::size_t pezzo = 1; pezzo <= 4; ++pezzo) {
            EXPECT_EQ(RigheAPezzi(c.testo, pezzo), c.righe)
                << testing::PrintToString(std::string(c.testo)) << " pezzo " << pezzo;
        }
    }
}

TEST(Righe, KeepBytesAboveAsciiAndNulExactly) {
    const std::string testo("\xE0\x80\x00\xFF;x\r\n\x81", 9);
    EXPECT_EQ(Righe(testo), (V{std::string("\xE0\x80\x00\xFF;x", 6), "\x81"}));
}

TEST(Righe, CrLfSplitAcrossChunksIsOneTerminator) {
    DivisoreRighe d;
    V r;
    auto fn = [&](std::string_view riga) { r.emplace_back(riga); };
    d.Aggiungi("a\r", fn);
    d.Aggiungi("\nb\r", fn);
    d.Aggiungi("c", fn);
    d.Termina(fn);
    EXPECT_EQ(r, (V{"a", "b", "c"}));
}

std::string LeggiDato(const std::string& nome) {
    std::ifstream f(std::string(VELMAR_TEST_DATA) + "/" + nome, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// A checked-in file mixing CR LF, a blank line, a lone LF, a lone CR, a byte above 127 and
// a last line without terminator.
TEST(Righe, MatchTheCheckedInSamples) {
    const std::string testo = LeggiDato("righe_miste.txt");
    ASSERT_FALSE(testo.empty());
    EXPECT_EQ(Righe(testo), (V{"Prima;C:\\x\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;",
                               "", "riga\ncon LF", "Caff\xE8 S.p.A.;;;;;002;", "ultima senza fine"}));
}

}  // namespace
}  // namespace velmar
