#include "console/json.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "store/cp1252.h"

namespace velmar {
namespace {

TEST(StringaJson, EscapesQuotesBackslashesControlCharactersAndAllBeyondAscii) {
    struct Caso {
        std::string testo;
        std::string json;
    } casi[] = {
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\r\n\t", "\"\\r\\n\\t\""},
        {std::string("\x01\x1F\0", 3), "\"\\u0001\\u001f\\u0000\""},
        {"\x7F\x80\xE8", "\"\x7F\\u20ac\\u00e8\""},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(StringaJson(c.testo), c.json);
}

// The text of a JSON string as a JSON reader reads it.
std::u16string LettoDaJson(std::string_view json) {
    std::u16string testo;
    for (std::size_t i = 1; i + 1 < json.size(); ++i) {
        if (json[i] != '\\') {
            testo += static_cast<char16_t>(static_cast<unsigned char>(json[i]));
            continue;
        }
        const char c = json[++i];
        if (c == 'u') {
            testo +=
                static_cast<char16_t>(std::stoul(std::string(json.substr(i + 1, 4)), nullptr, 16));
            i += 4;
        } else {
            testo += c == 'n'   ? u'\n'
                     : c == 'r' ? u'\r'
                     : c == 't' ? u'\t'
                                : static_cast<char16_t>(c);
        }
    }
    return testo;
}

// In any code page: the output is ASCII, and reads back as the text, whatever its bytes.
TEST(StringaJson, ReadsTheSameInAnyCodePage) {
    std::string testo = "Caff\xE8";
    for (int b = 0; b < 256; ++b)
        testo += static_cast<char>(b);
    const std::string json = StringaJson(testo);
    EXPECT_TRUE(std::all_of(json.begin(), json.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80;
    })) << json;
    EXPECT_EQ(LettoDaJson(json), Utf16Da1252(testo));
}

}  // namespace
}  // namespace velmar
