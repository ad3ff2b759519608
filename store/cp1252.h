// Conversion between Windows-1252 bytes (the store's text) and Unicode (UTF-16 for the
// window, UTF-8 for a POSIX console). The five bytes Windows-1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value, as Windows does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// Windows-1252 to UTF-16; every byte has a character.
[[nodiscard]] std::u16string Utf16Da1252(std::string_view testo);
// Windows-1252 to UTF-8.
[[nodiscard]] std::string Utf8Da1252(std::string_view testo);

// UTF-16 to Windows-1252; nothing when a character has no Windows-1252 byte (or the text
// holds a lone surrogate). No best-fit substitution: "é" -> "\xE9", "€" -> "\x80", "Ł" -> none.
[[nodiscard]] std::optional<std::string> Cp1252DaUtf16(std::u16string_view testo);
// UTF-16 to Windows-1252 for a text only shown, such as the system's message for an error: a
// character without a Windows-1252 byte becomes '?'.   "\u0141\u00F3d\u017A" -> "?\xF3d?".
[[nodiscard]] std::string Cp1252DaMostrare(std::u16string_view testo);

// UTF-8 to Windows-1252; nothing for a character without a byte or for malformed UTF-8.
[[nodiscard]] std::optional<std::string> Cp1252DaUtf8(std::string_view testo);

// The Windows-1252 byte of a Unicode character, or nothing when it has none.
// U+00E8 -> "\xE8", U+20AC -> "\x80", U+0141 -> none.
[[nodiscard]] std::optional<char> ByteDi(char32_t carattere) noexcept;

// Reads UTF-8 one byte at a time. Each byte completes a character, continues one, or makes the
// text malformed: a byte that cannot stand there, an overlong form, a surrogate, a character
// beyond U+10FFFF. After an error it starts afresh with the next byte.
// "\xC3" -> Incompleto, then "\xA8" -> Carattere (U+00E8).   "\xC0" -> Errore.
class DecodificaUtf8 {
  public:
    enum class Passo { Incompleto, Carattere, Errore };

    [[nodiscard]] Passo Aggiungi(unsigned char byte) noexcept;
    // The character the last Carattere step completed.
    [[nodiscard]] char32_t Carattere() const noexcept { return carattere_; }
    // True in the middle of a character: at the end of the text, that is malformed.
    [[nodiscard]] bool InCorso() const noexcept { return mancanti_ > 0; }

  private:
    char32_t carattere_ = 0;
    char32_t minimo_ = 0;  // the smallest character of the sequence's length
    int mancanti_ = 0;     // continuation bytes still expected
};

// The text with every control character but the tab shown as a visible escape, for a terminal
// or a message: the bytes below 0x20, 0x7F, and the five bytes Windows-1252 leaves undefined.
// "a\x1B[2Jb\tc" -> "a\\x1B[2Jb\tc" (the escape byte as the four characters \x1B).
[[nodiscard]] std::string TestoVisibile(std::string_view testo);

}  // namespace velmar
