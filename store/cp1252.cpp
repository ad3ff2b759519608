// Windows-1252 tables: 0x00-0x7F and 0xA0-0xFF are the same code points; 0x80-0x9F below.
#include "store/cp1252.h"

#include <array>
#include <cstdint>

namespace velmar {

namespace {

constexpr std::array<char16_t, 32> kAlti = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char16_t CarattereDaByte(unsigned char b) noexcept {
    return b >= 0x80 && b < 0xA0 ? kAlti[b - 0x80] : static_cast<char16_t>(b);
}

void AggiungiUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u16string Utf16Da1252(std::string_view testo) {
    std::u16string out;
    out.reserve(testo.size());
    for (char b : testo)
        out += CarattereDaByte(static_cast<unsigned char>(b));
    return out;
}

std::string Utf8Da1252(std::string_view testo) {
    std::string out;
    out.reserve(testo.size() + testo.size() / 8);
    for (char b : testo)
        AggiungiUtf8(out, CarattereDaByte(static_cast<unsigned char>(b)));
    return out;
}

std::optional<std::string> Cp1252DaUtf16(std::u16string_view testo) {
    std::string out;
    out.reserve(testo.size());
    for (char16_t c : testo) {
        // A surrogate (half of a character beyond the basic plane) never has a byte.
        auto b = (c >= 0xD800 && c <= 0xDFFF) ? std::nullopt : ByteDi(c);
        if (!b)
            return std::nullopt;
        out += *b;
    }
    return out;
}

std::string Cp1252DaMostrare(std::u16string_view testo) {
    std::string out;
    out.reserve(testo.size());
    for (const char16_t c : testo) {
        const std::optional<char> b = (c >= 0xD800 && c <= 0xDFFF) ? std::nullopt : ByteDi(c);
        // A character beyond the basic plane is two surrogates: one '?' for the pair.
        if (!b && c >= 0xDC00 && c <= 0xDFFF)
            continue;
        out += b.value_or('?');
    }
    return out;
}

std::optional<char> ByteDi(char32_t c) noexcept {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kAlti.size(); ++i) {
        if (kAlti[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

DecodificaUtf8::Passo DecodificaUtf8::Aggiungi(unsigned char b) noexcept {
    if (mancanti_ == 0) {
        if (b < 0x80) {
            carattere_ = b;
            return Passo::Carattere;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            carattere_ = b & 0x1F;
            mancanti_ = 1;
            minimo_ = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            carattere_ = b & 0x0F;
            mancanti_ = 2;
            minimo_ = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            carattere_ = b & 0x07;
            mancanti_ = 3;
            minimo_ = 0x10000;
        } else {
            return Passo::Errore;
        }
        return Passo::Incompleto;
    }
    if ((b & 0xC0) != 0x80) {
        mancanti_ = 0;
        return Passo::Errore;
    }
    carattere_ = (carattere_ << 6) | (b & 0x3F);
    if (--mancanti_ > 0)
        return Passo::Incompleto;
    if (carattere_ < minimo_ || (carattere_ >= 0xD800 && carattere_ <= 0xDFFF) ||
        carattere_ > 0x10FFFF) {
        return Passo::Errore;
    }
    return Passo::Carattere;
}

std::optional<std::string> Cp1252DaUtf8(std::string_view testo) {
    std::string out;
    out.reserve(testo.size());
    DecodificaUtf8 decodifica;
    for (const char c : testo) {
        switch (decodifica.Aggiungi(static_cast<unsigned char>(c))) {
            case DecodificaUtf8::Passo::Incompleto:
                break;
            case DecodificaUtf8::Passo::Errore:
                return std::nullopt;
            case DecodificaUtf8::Passo::Carattere: {
                const std::optional<char> b = ByteDi(decodifica.Carattere());
                if (!b)
                    return std::nullopt;
                out += *b;
                break;
            }
        }
    }
    if (decodifica.InCorso())
        return std::nullopt;
    return out;
}

std::string TestoVisibile(std::string_view testo) {
    constexpr char kCifre[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(testo.size());
    for (const char b : testo) {
        const auto c = static_cast<unsigned char>(b);
        const bool controllo = (c < 0x20 && c != '\t') || c == 0x7F ||
                               (c >= 0x80 && c < 0xA0 && CarattereDaByte(c) == c);
        if (!controllo) {
            out += b;
            continue;
        }
        out += "\\x";
        out += kCifre[c >> 4];
        out += kCifre[c & 0xF];
    }
    return out;
}

}  // namespace velmar
