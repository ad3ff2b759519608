// EBCDIC to the store's text and back, in both code pages the protocol uses.
#include "drda/ebcdic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmar::drda {
namespace {

using Byte = std::vector<unsigned char>;

TEST(TestoDaEbcdic, LettersDigitsAndTheSevenPlacesWhereTheCodePagesDiffer) {
    const struct {
        Byte ebcdic;
        std::string ccsid500;
        std::string ccsid037;
    } casi[] = {
        {{}, "", ""},
        {{0x40}, " ", " "},
        {{0xD8, 0xC4, 0xC2, 0xF2, 0x61, 0xD5, 0xE3, 0xF6, 0xF4}, "QDB2/NT64", "QDB2/NT64"},
        {{0x81, 0xA9, 0xC1, 0xE9, 0xF0, 0xF9}, "azAZ09", "azAZ09"},
        {{0x54, 0x51, 0x48}, "\xE8\xE9\xE7", "\xE8\xE9\xE7"},  // èéç
        {{0x4A, 0x4F, 0x5A, 0x5F, 0xB0, 0xBA, 0xBB}, "[!]^\xA2\xAC|", "\xA2|!\xAC^[]"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.ccsid500);
        EXPECT_EQ(TestoDaEbcdic(c.ebcdic), c.ccsid500);
        EXPECT_EQ(TestoDaEbcdic(c.ebcdic, Ccsid::Ebcdic500), c.ccsid500);
        EXPECT_EQ(TestoDaEbcdic(c.ebcdic, Ccsid::Ebcdic037), c.ccsid037);
    }
}

// C0 controls keep their byte (TestoVisibile shows them); the C1 controls, which Windows-1252
// lacks, are written as their escapes.
TEST(TestoDaEbcdic, ControlCharactersStayControlsOrBecomeVisibleEscapes) {
    EXPECT_EQ(TestoDaEbcdic(Byte{0x00, 0x05, 0x25, 0x27, 0x07}),
              std::string("\x00\t\n\x1B\x7F", 5));
    EXPECT_EQ(TestoDaEbcdic(Byte{0x20, 0x15, 0xFF}), "\\x80\\x85\\x9F");
}

TEST(EbcdicDaTesto, EveryLatin1CharacterGoesThereAndBackInBothCodePages) {
    std::string testo;
    for (int c = 0; c < 256; ++c) {
        if (c < 0x80 || c > 0x9F)
            testo.push_back(static_cast<char>(c));
    }
    for (const Ccsid ccsid : {Ccsid::Ebcdic500, Ccsid::Ebcdic037}) {
        const std::optional<Byte> ebcdic = EbcdicDaTesto(testo, ccsid);
        ASSERT_TRUE(ebcdic);
        ASSERT_EQ(ebcdic->size(), testo.size());
        EXPECT_EQ(TestoDaEbcdic(*ebcdic, ccsid), testo);
    }
    EXPECT_EQ(EbcdicDaTesto("Apa"), (Byte{0xC1, 0x97, 0x81}));
    EXPECT_EQ(EbcdicDaTesto("["), Byte{0x4A});
    EXPECT_EQ(EbcdicDaTesto("[", Ccsid::Ebcdic037), Byte{0xBA});
}

TEST(EbcdicDaTesto, RefusesTheCharactersLatin1LacksButKeepsTheUndefinedBytesControls) {
    EXPECT_EQ(EbcdicDaTesto("Prezzo \x80"), std::nullopt);  // the euro sign
    EXPECT_EQ(EbcdicDaTesto("\x93x\x94"), std::nullopt);    // curly quotes
    EXPECT_EQ(EbcdicDaTesto("\x81\x9D"), (Byte{0x21, 0x14}));
}

}  // namespace
}  // namespace velmar::drda
