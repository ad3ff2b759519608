// EBCDIC, the character encoding of the DRDA protocol's character parameters before any code
// page is agreed: CCSID 500 (international Latin-1, the protocol's default) and CCSID 037 (US
// and Canada). Both hold the characters of Latin-1, in another order; they differ from each other
// in seven places only ([ ] ! | ^ ¢ ¬). Portable, standard C++ only.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::drda {

enum class Ccsid : std::uint16_t { Ebcdic500 = 500, Ebcdic037 = 37 };

// EBCDIC bytes as Windows-1252 text. A character Windows-1252 has keeps its byte there (letters,
// digits, the accented letters, the C0 controls); a C1 control (U+0080 to U+009F), which
// Windows-1252 lacks, becomes its visible escape, as TestoVisibile writes one.
// {0xC1, 0x97, 0x81} -> "Apa".   {0x4A} -> "[" in CCSID 500, "\xA2" (¢) in CCSID 037.
// {0x20} -> "\\x80" (the four characters \x80).
[[nodiscard]] std::string TestoDaEbcdic(std::span<const unsigned char> byte,
                                        Ccsid ccsid = Ccsid::Ebcdic500);

// Windows-1252 text as EBCDIC bytes; nothing when a byte of the text stands for a character
// Latin-1 lacks: the euro sign and the other printable characters Windows-1252 puts between
// 0x80 and 0x9F (its five undefined bytes are the C1 controls, which EBCDIC has).
// "Apa" -> {0xC1, 0x97, 0x81}.   "\x80" (the euro sign) -> nothing.
[[nodiscard]] std::optional<std::vector<unsigned char>> EbcdicDaTesto(
    std::string_view testo, Ccsid ccsid = Ccsid::Ebcdic500);

}  // namespace velmar::drda
