#include "store/cp1252.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf16AndUtf8) {
    std::string tutti;
    for (int b = 0; b < 256; ++b)
        tutti += static_cast<char>(b);
    EXPECT_EQ(Cp1252DaUtf16(Utf16Da1252(tutti)), tutti);
    EXPECT_EQ(Cp1252DaUtf8(Utf8Da1252(tutti)), tutti);
}

TEST(Cp1252, MapsTheHighRangeLikeWindows) {
    EXPECT_EQ(Utf16Da1252("\x80\x8A\x9F\xE8\x81"), u"\u20AC\u0160\u0178\u00E8\u0081");
    EXPECT_EQ(Utf8Da1252("Caff\xE8 \x80"), "Caff\xC3\xA8 \xE2\x82\xAC");
    EXPECT_EQ(Cp1252DaUtf16(u"\u2019\u2026"), "\x92\x85");
}

TEST(Cp1252, RejectsCharactersWithoutAByteInsteadOfReplacingThem) {
    EXPECT_EQ(Cp1252DaUtf16(u"\u0141"), std::nullopt);      // Ł
    EXPECT_EQ(Cp1252DaUtf16(u"a\u4E2D"), std::nullopt);     // 中
    EXPECT_EQ(Cp1252DaUtf16(u"\U0001F600"), std::nullopt);  // emoji (surrogate pair)
    EXPECT_EQ(Cp1252DaUtf16(std::u16string(1, u'\xD800')), std::nullopt);
    EXPECT_EQ(Cp1252DaUtf8("\xC5\x81"), std::nullopt);
    EXPECT_EQ(Cp1252DaUtf8("\xF0\x9F\x98\x80"), std::nullopt);
    EXPECT_EQ(Cp1252DaUtf16(u""), "");
    // Only shown, never stored: a character without a byte becomes '?', a pair of surrogates one.
    EXPECT_EQ(Cp1252DaMostrare(u"\u0141\u00F3d\U0001F600\u20AC"),
              "?\xF3"
              "d?\x80");
}

TEST(Cp1252, RejectsMalformedUtf8) {
    for (const char* s : {"\xC3", "\xC3(", "\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80"}) {
        EXPECT_EQ(Cp1252DaUtf8(s), std::nullopt) << testing::PrintToString(std::string(s));
    }
}

}  // namespace
}  // namespace velmar
