// The shape of a parameters file as bytes: how its lines end, and whether its text is UTF-8 (as
// an editor may save it) instead of Windows-1252. The same reading, given somewhere to write,
// gives the file the program's own shape: every line ending with CR LF, no UTF-8 byte order
// mark, Windows-1252 text. Every other byte stays as it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/cp1252.h"

namespace velmar {

inline constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";

// Where the text stops being what it should be. Lines are counted as a text editor counts them:
// each CR LF, lone CR and lone LF ends one.
struct Intoppo {
    std::uint64_t riga = 1;
    char32_t carattere = 0;  // a character Windows-1252 lacks
    unsigned char byte = 0;  // a byte that is not UTF-8 there (0: a character cut by the end)
};

struct FormaFile {
    // Lone LFs, lone CRs, and a last line without a line end.
    std::uint64_t finiDaRiparare = 0;
    bool bom = false;
    // Characters of more than one byte in well-formed UTF-8.
    std::uint64_t caratteriUtf8 = 0;
    // The first byte that is not UTF-8, and the first UTF-8 character Windows-1252 lacks.
    std::optional<Intoppo> nonUtf8;
    std::optional<Intoppo> senzaByte;

    // A byte order mark, or characters of more than one byte in UTF-8.
    [[nodiscard]] bool SembraUtf8() const noexcept { return bom || caratteriUtf8 > 0; }
    // Text that is all UTF-8, with characters beyond ASCII that Windows-1252 has.
    [[nodiscard]] bool DaConvertire() const noexcept {
        return caratteriUtf8 > 0 && !nonUtf8 && !senzaByte;
    }
    // Text that looks like UTF-8 but cannot be converted to Windows-1252 as a whole.
    [[nodiscard]] bool NonConvertibile() const noexcept {
        return SembraUtf8() && (nonUtf8 || senzaByte);
    }
    // Nothing to mend.
    [[nodiscard]] bool InOrdine() const noexcept {
        return finiDaRiparare == 0 && !bom && caratteriUtf8 == 0;
    }
};

// Reads a file's bytes in pieces, in order, and tells its shape. Made with a FormaFile (the
// shape a first reading told), it also writes the mended bytes of each piece: CR LF for every
// line end and after an unterminated last line, the byte order mark left out, and, when the
// text is to be converted, each UTF-8 character as its Windows-1252 byte.
class LetturaForma {
  public:
    LetturaForma() = default;
    explicit LetturaForma(const FormaFile& daRiparare) noexcept
        : ripara_(true), converti_(daRiparare.DaConvertire()) {}

    // The next bytes of the file; when mending, their new bytes are appended to `out`.
    void Aggiungi(std::string_view pezzo, std::string& out);
    // After the last piece; when mending, the last new bytes are appended to `out`.
    [[nodiscard]] FormaFile Fine(std::string& out);

  private:
    void ChiudiInizio(std::string& out);
    void Byte(char c, std::string& out);
    void Contenuto(unsigned char b, std::string& out);
    void FineRiga(std::string& out);
    void NonUtf8(unsigned char b) noexcept;

    bool ripara_ = false;
    bool converti_ = false;
    FormaFile forma_;
    DecodificaUtf8 decodifica_;
    std::string inizio_;  // the first bytes, while they may be a byte order mark
    bool inizioAperto_ = true;
    unsigned char inizioCarattere_ = 0;  // the first byte of the character being read
    bool crAperto_ = false;              // the last byte was a CR
    bool rigaAperta_ = false;            // bytes since the last line end
    std::uint64_t riga_ = 1;
};

// Why a text that looks like UTF-8 cannot be converted (see FormaFile::NonConvertibile):
// "alla riga 3 il carattere U+0141 non esiste in Windows-1252".
[[nodiscard]] std::string MotivoNonConvertibile(const FormaFile& forma);

}  // namespace velmar
