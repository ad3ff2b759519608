// The rules of the parameters file, one byte at a time and nothing clever, for the fuzz targets
// to hold the program's reader against: a line ends at a CR, with the LF that follows it; a
// line's fields are cut at every ';'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar::fuzz {

inline std::vector<std::string> Righe(std::string_view t) {
    std::vector<std::string> righe;
    std::string riga;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r') {
            riga += t[i];
            continue;
        }
        righe.push_back(riga);
        riga.clear();
        if (i + 1 < t.size() && t[i + 1] == '\n')
            ++i;
    }
    if (!riga.empty())
        righe.push_back(riga);
    return righe;
}

inline std::vector<std::string> Campi(std::string_view riga) {
    std::vector<std::string> campi;
    if (riga.empty())
        return campi;
    campi.emplace_back();
    for (char c : riga) {
        if (c == ';') {
            campi.emplace_back();
        } else {
            campi.back() += c;
        }
    }
    return campi;
}

// UTF-16: a byte order mark, or over the first 1024 bytes' pairs (two at least) a NUL beside a
// byte that is not in half of them or more, always on the same side.
inline bool Utf16(std::string_view t) {
    if (t.substr(0, 2) == "\xFF\xFE" || t.substr(0, 2) == "\xFE\xFF")
        return true;
    const std::size_t coppie = (t.size() < 1024 ? t.size() : 1024) / 2;
    std::size_t prima = 0, dopo = 0;
    for (std::size_t i = 0; i < coppie; ++i) {
        if (t[2 * i] != 0 && t[2 * i + 1] == 0)
            ++dopo;
        if (t[2 * i] == 0 && t[2 * i + 1] != 0)
            ++prima;
    }
    return coppie >= 2 &&
           ((dopo * 2 >= coppie && prima == 0) || (prima * 2 >= coppie && dopo == 0));
}

// Whether a well-formed UTF-8 character of two to four bytes starts anywhere in `riga`.
inline bool Utf8(std::string_view riga) {
    for (std::size_t i = 0; i < riga.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(riga[i + k]); };
        const std::size_t n = b(0) >= 0xC2 && b(0) <= 0xDF   ? 2
                              : b(0) >= 0xE0 && b(0) <= 0xEF ? 3
                              : b(0) >= 0xF0 && b(0) <= 0xF4 ? 4
                                                             : 0;
        if (n == 0 || i + n > riga.size())
            continue;
        bool continua = true;
        for (std::size_t k = 1; k < n; ++k)
            continua = continua && (b(k) & 0xC0) == 0x80;
        if (!continua)
            continue;
        char32_t c = b(0) & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < n; ++k)
            c = (c << 6) | (b(k) & 0x3F);
        const char32_t minimo = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
        if (c >= minimo && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF)
            return true;
    }
    return false;
}

// Whether a text after a lone LF in `riga`, once the line's own fields have reached its code
// (five separators before that LF), is a record of six fields or more carrying `codice`.
inline bool CodiceDopoLf(std::string_view riga, std::string_view codice) {
    std::size_t separatori = 0;
    for (std::size_t inizio = 0;;) {
        const std::size_t lf = riga.find('\n', inizio);
        if (lf == std::string_view::npos)
            return false;
        for (std::size_t i = inizio; i < lf; ++i)
            separatori += riga[i] == ';' ? 1 : 0;
        const std::size_t fine = riga.find('\n', lf + 1);
        const std::string_view testo = riga.substr(
            lf + 1, fine == std::string_view::npos ? std::string_view::npos : fine - lf - 1);
        const auto campi = Campi(testo);
        if (separatori >= 5 && campi.size() >= 6 && campi[5] == codice)
            return true;
        inizio = lf + 1;
    }
}

}  // namespace velmar::fuzz
