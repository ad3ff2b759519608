// The shape of a parameters file as bytes: how its lines end, and whether its text is UTF-8 or
// UTF-16 (as an editor may save it) instead of Windows-1252. The same reading, given somewhere to
// write, gives the file the program's own shape: every line ending with CR LF, no byte order
// mark, Windows-1252 text. Every other byte stays as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

inline constexpr std::string_view kBomUtf8 = "\xEF\xBB\xBF";

// How a file's bytes are text: one byte a character (Windows-1252, or UTF-8, which FormaFile
// tells apart), or UTF-16 in either byte order.
enum class Codifica { Byte, Utf16LE, Utf16BE };

// The first bytes of a file that tell its encoding.
inline constexpr std::size_t kByteCodifica = 1024;

// The encoding the first bytes of a file tell: UTF-16 by its byte order mark (FF FE little
// endian, FE FF big endian); without one, UTF-16 when the first kByteCodifica bytes (whole byte
// pairs, two at least) hold in at least half their pairs a NUL beside a byte that is not, always
// on the same side, and never on the other: "a\0b\0" is little endian. Anything else is 8-bit.
[[nodiscard]] Codifica CodificaDaInizio(std::string_view inizio) noexcept;

// The first bytes of `file`, up to kByteCodifica.
[[nodiscard]] Risultato<std::string> LeggiInizio(FileLettura& file);

// "UTF-16 little endian".
[[nodiscard]] std::string_view NomeCodifica(Codifica codifica) noexcept;

// The clauses that tell a person about a file in UTF-16: how it came to be, and what it does to
// the package's programs.
inline constexpr std::string_view kComeBloccoNote =
    "come lo salva Blocco note con la codifica Unicode";
inline constexpr std::string_view kDitteLetteMale = "i programmi ne leggono male ogni ditta";
// "il file \xE8 in UTF-8", "il file \xE8 in UTF-16 little endian".
[[nodiscard]] std::string FileIn(std::string_view codifica);

// Whether `testo` holds only ASCII bytes, which read the same in Windows-1252 and UTF-8.
[[nodiscard]] bool SoloAscii(std::string_view testo) noexcept;

// Finds, over the bytes of lines given in pieces, a character of several bytes in well-formed
// UTF-8 (a UTF-8 byte order mark is one): the sign that a text is UTF-8, as LetturaForma counts
// it. A line end cuts a character.
class CercaUtf8 {
  public:
    // The next bytes of the line.
    void Aggiungi(std::string_view pezzo) noexcept;
    void FineRiga() noexcept { decodifica_ = DecodificaUtf8(); }
    [[nodiscard]] bool Trovato() const noexcept { return trovato_; }

  private:
    DecodificaUtf8 decodifica_;
    bool trovato_ = false;
};

// Where the text stops being what it should be. Lines are counted as a text editor counts them:
// each CR LF, lone CR and lone LF ends one.
struct Intoppo {
    std::uint64_t riga = 1;
    // A character Windows-1252 lacks; of malformed UTF-16, the lone surrogate (0: a character
    // cut by the end).
    char32_t carattere = 0;
    unsigned char byte = 0;  // a byte that is not UTF-8 there (0: a character cut by the end)
};

struct FormaFile {
    Codifica codifica = Codifica::Byte;
    // Lone LFs, lone CRs, and a last line without a line end.
    std::uint64_t finiDaRiparare = 0;
    // A byte order mark: UTF-8's, or of UTF-16 its own.
    bool bom = false;
    // Characters of more than one byte in well-formed UTF-8.
    std::uint64_t caratteriUtf8 = 0;
    // The first place that is not well-formed in the text's encoding, and the first character
    // Windows-1252 lacks.
    std::optional<Intoppo> malformato;
    std::optional<Intoppo> senzaByte;

    [[nodiscard]] bool Utf16() const noexcept { return codifica != Codifica::Byte; }
    // 8-bit text with a UTF-8 byte order mark, or characters of more than one byte in UTF-8.
    [[nodiscard]] bool SembraUtf8() const noexcept {
        return !Utf16() && (bom || caratteriUtf8 > 0);
    }
    // UTF-16, or 8-bit text that is all UTF-8 with characters beyond ASCII, whose every
    // character Windows-1252 has.
    [[nodiscard]] bool DaConvertire() const noexcept {
        return (Utf16() || caratteriUtf8 > 0) && !malformato && !senzaByte;
    }
    // UTF-16, or text that looks like UTF-8, that cannot be converted to Windows-1252 as a whole.
    [[nodiscard]] bool NonConvertibile() const noexcept {
        return (Utf16() || SembraUtf8()) && (malformato || senzaByte);
    }
    // Nothing to mend.
    [[nodiscard]] bool InOrdine() const noexcept {
        return !Utf16() && finiDaRiparare == 0 && !bom && caratteriUtf8 == 0;
    }
};

// Reads a file's bytes in pieces, in order, and tells its shape, in the encoding its first bytes
// told (CodificaDaInizio). Made with a FormaFile (the shape a first reading told), it also writes
// the mended bytes of each piece: CR LF for every line end and after an unterminated last line,
// the byte order mark left out, and, when the text is to be converted, each UTF-8 or UTF-16
// character as its Windows-1252 byte.
class LetturaForma {
  public:
    explicit LetturaForma(Codifica codifica = Codifica::Byte) noexcept {
        forma_.codifica = codifica;
    }
    explicit LetturaForma(const FormaFile& daRiparare) noexcept
        : ripara_(true), converti_(daRiparare.DaConvertire()) {
        forma_.codifica = daRiparare.codifica;
    }

    // The next bytes of the file; when mending, their new bytes are appended to `out`.
    void Aggiungi(std::string_view pezzo, std::string& out);
    // After the last piece; when mending, the last new bytes are appended to `out`.
    [[nodiscard]] FormaFile Fine(std::string& out);

  private:
    void ChiudiInizio(std::string& out);
    void Utf16(unsigned char b, std::string& out);
    void Carattere16(char32_t c, std::string& out);
    void ChiudiCr(std::string& out);
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
    // Of UTF-16: the first byte of a unit, and a high surrogate waiting for its pair.
    std::optional<unsigned char> primoByte_;
    char16_t alto_ = 0;
};

// Why a text in UTF-8 or UTF-16 cannot be converted (see FormaFile::NonConvertibile):
// "alla riga 3 il carattere U+0141 non esiste in Windows-1252".
[[nodiscard]] std::string MotivoNonConvertibile(const FormaFile& forma);

}  // namespace velmar
