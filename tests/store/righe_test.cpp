#include "store/righe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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

// A file that hands out its bytes `pezzo` at a time.
class LetturaAPezzi final : public FileLettura {
  public:
    LetturaAPezzi(std::string_view dati, std::size_t pezzo) : dati_(dati), pezzo_(pezzo) {}
    Esito Leggi(char* buffer, std::size_t capacita, std::size_t& letti) override {
        letti = std::min({capacita, pezzo_, dati_.size()});
        std::memcpy(buffer, dati_.data(), letti);
        dati_.remove_prefix(letti);
        return Esito::Riuscito();
    }

  private:
    std::string_view dati_;
    std::size_t pezzo_;
};

// The same text read from a file in pieces of a given size must give the same lines.
std::vector<std::string> RigheAPezzi(std::string_view testo, std::size_t pezzo) {
    std::vector<std::string> r;
    LetturaAPezzi file(testo, pezzo);
    const Esito e = LeggiBlocchi(file, [&](std::string_view blocco) {
        EXPECT_FALSE(blocco.empty());
        PerOgniRiga(blocco, [&](std::string_view riga) { r.emplace_back(riga); });
    });
    EXPECT_TRUE(e);
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
        for (std::size_t pezzo = 1; pezzo <= 5; ++pezzo) {
            EXPECT_EQ(RigheAPezzi(c.testo, pezzo), c.righe)
                << testing::PrintToString(std::string(c.testo)) << " pezzo " << pezzo;
        }
    }
}

TEST(Righe, KeepBytesAboveAsciiAndNulExactly) {
    const std::string testo("\xE0\x80\x00\xFF;x\r\n\x81", 9);
    EXPECT_EQ(Righe(testo), (V{std::string("\xE0\x80\x00\xFF;x", 6), "\x81"}));
}

TEST(Righe, LinesLongerThanTheBufferAndCrLfAcrossReadsAreWhole) {
    const std::string lunga(kBufferLettura * 2 + 5, 'x');
    const std::string testo = "a\r" + lunga + "\r\n\nb\r";
    for (std::size_t pezzo :
         {std::size_t{1}, std::size_t{2}, kBufferLettura - 1, kBufferLettura, kBufferLettura + 3}) {
        EXPECT_EQ(RigheAPezzi(testo, pezzo), (V{"a", lunga, "\nb"})) << pezzo;
    }
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
    EXPECT_EQ(Righe(testo),
              (V{"Prima;C:\\x\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;", "",
                 "riga\ncon LF", "Caff\xE8 S.p.A.;;;;;002;", "ultima senza fine"}));
}

}  // namespace
}  // namespace velmar
