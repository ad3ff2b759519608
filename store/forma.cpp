// The shape of a parameters file and its repair, one byte at a time.
#include "store/forma.h"

#include <algorithm>
#include <cstdio>

namespace velmar {

namespace {

constexpr char16_t kBom16 = 0xFEFF;

bool Alto(char32_t c) noexcept {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool Basso(char32_t c) noexcept {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// "U+0141".
std::string CodicePunto(char32_t c) {
    char numero[16];
    std::snprintf(numero, sizeof numero, "U+%04X", static_cast<unsigned>(c));
    return numero;
}

}  // namespace

Codifica CodificaDaInizio(std::string_view inizio) noexcept {
    if (inizio.starts_with("\xFF\xFE"))
        return Codifica::Utf16LE;
    if (inizio.starts_with("\xFE\xFF"))
        return Codifica::Utf16BE;
    const std::size_t coppie = std::min(inizio.size(), kByteCodifica) / 2;
    if (coppie < 2)
        return Codifica::Byte;
    std::size_t nulDopo = 0;
    std::size_t nulPrima = 0;
    for (std::size_t i = 0; i < coppie; ++i) {
        const bool primo = inizio[2 * i] == '\0';
        const bool secondo = inizio[2 * i + 1] == '\0';
        nulDopo += !primo && secondo ? 1 : 0;
        nulPrima += primo && !secondo ? 1 : 0;
    }
    if (nulDopo * 2 >= coppie && nulPrima == 0)
        return Codifica::Utf16LE;
    if (nulPrima * 2 >= coppie && nulDopo == 0)
        return Codifica::Utf16BE;
    return Codifica::Byte;
}

Risultato<std::string> LeggiInizio(FileLettura& file) {
    std::string inizio(kByteCodifica, '\0');
    const Risultato<std::size_t> letti = LeggiIntero(file, 0, inizio.data(), inizio.size());
    if (!letti)
        return letti.Errore();
    inizio.resize(*letti);
    return inizio;
}

std::string_view NomeCodifica(Codifica codifica) noexcept {
    switch (codifica) {
        case Codifica::Utf16LE:
            return "UTF-16 little endian";
        case Codifica::Utf16BE:
            return "UTF-16 big endian";
        case Codifica::Byte:
            break;
    }
    return "Windows-1252";
}

std::string FileIn(std::string_view codifica) {
    return "il file \xE8 in " + std::string(codifica);
}

bool SoloAscii(std::string_view testo) noexcept {
    return std::all_of(testo.begin(), testo.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void CercaUtf8::Aggiungi(std::string_view pezzo) noexcept {
    for (const char c : pezzo) {
        if (trovato_)
            return;
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80 && !decodifica_.InCorso())
            continue;
        const bool inCorso = decodifica_.InCorso();
        DecodificaUtf8::Passo passo = decodifica_.Aggiungi(b);
        // The byte that cut a character may start the next one.
        if (passo == DecodificaUtf8::Passo::Errore && inCorso)
            passo = decodifica_.Aggiungi(b);
        trovato_ = passo == DecodificaUtf8::Passo::Carattere && decodifica_.Carattere() >= 0x80;
    }
}

void LetturaForma::Aggiungi(std::string_view pezzo, std::string& out) {
    for (const char c : pezzo) {
        if (forma_.Utf16()) {
            Utf16(static_cast<unsigned char>(c), out);
            continue;
        }
        if (inizioAperto_) {
            inizio_ += c;
            if (kBomUtf8.starts_with(inizio_)) {
                if (inizio_.size() == kBomUtf8.size()) {
                    forma_.bom = true;
                    inizioAperto_ = false;
                    inizio_.clear();
                }
                continue;
            }
            ChiudiInizio(out);
            continue;
        }
        Byte(c, out);
    }
}

FormaFile LetturaForma::Fine(std::string& out) {
    if (inizioAperto_)
        ChiudiInizio(out);
    if (decodifica_.InCorso() && !forma_.malformato)
        forma_.malformato = Intoppo{riga_, 0, 0};
    // An odd byte at the end, or a high surrogate without its pair.
    if ((primoByte_ || alto_ != 0) && !forma_.malformato)
        forma_.malformato = Intoppo{riga_, primoByte_ ? char32_t{0} : char32_t{alto_}, 0};
    // A last line ended by a lone CR, or not ended at all.
    if (crAperto_ || rigaAperta_) {
        crAperto_ = false;
        ++forma_.finiDaRiparare;
        FineRiga(out);
    }
    return forma_;
}

// The first bytes held while they might be a byte order mark are not one: they are read as text.
void LetturaForma::ChiudiInizio(std::string& out) {
    inizioAperto_ = false;
    for (const char tenuto : std::string(std::move(inizio_)))
        Byte(tenuto, out);
}

// One byte of UTF-16 text: two make a unit, a surrogate pair a character.
void LetturaForma::Utf16(unsigned char b, std::string& out) {
    if (!primoByte_) {
        primoByte_ = b;
        return;
    }
    const unsigned char a = *primoByte_;
    primoByte_.reset();
    const auto unita =
        static_cast<char16_t>(forma_.codifica == Codifica::Utf16LE ? a | (b << 8) : (a << 8) | b);
    if (inizioAperto_) {
        inizioAperto_ = false;
        if (unita == kBom16) {
            forma_.bom = true;
            return;
        }
    }
    if (alto_ != 0) {
        const char16_t alto = alto_;
        alto_ = 0;
        if (Basso(unita)) {
            Carattere16(0x10000 + ((char32_t{alto} - 0xD800) << 10) + (unita - 0xDC00), out);
            return;
        }
        if (!forma_.malformato)
            forma_.malformato = Intoppo{riga_, alto, 0};
    }
    if (Alto(unita)) {
        alto_ = unita;
    } else if (Basso(unita)) {
        if (!forma_.malformato)
            forma_.malformato = Intoppo{riga_, unita, 0};
    } else {
        Carattere16(unita, out);
    }
}

// A character of UTF-16 text, read on as its Windows-1252 byte.
void LetturaForma::Carattere16(char32_t c, std::string& out) {
    const std::optional<char> byte = ByteDi(c);
    if (byte) {
        Byte(*byte, out);
        return;
    }
    ChiudiCr(out);
    if (!forma_.senzaByte)
        forma_.senzaByte = Intoppo{riga_, c, 0};
    rigaAperta_ = true;
}

// A CR not followed by an LF ended its line.
void LetturaForma::ChiudiCr(std::string& out) {
    if (!crAperto_)
        return;
    crAperto_ = false;
    ++forma_.finiDaRiparare;  // a lone CR
    FineRiga(out);
}

void LetturaForma::FineRiga(std::string& out) {
    if (ripara_)
        out += "\r\n";
    rigaAperta_ = false;
    ++riga_;
}

void LetturaForma::Byte(char c, std::string& out) {
    const auto b = static_cast<unsigned char>(c);
    if (crAperto_ && b == '\n') {
        crAperto_ = false;
        FineRiga(out);
        return;
    }
    ChiudiCr(out);
    if (b == '\r' || b == '\n') {
        // A line end in the middle of a character leaves it cut.
        if (decodifica_.InCorso()) {
            NonUtf8(inizioCarattere_);
            decodifica_ = DecodificaUtf8();
        }
        if (b == '\r') {
            crAperto_ = true;
            return;
        }
        ++forma_.finiDaRiparare;  // a lone LF
        FineRiga(out);
        return;
    }
    rigaAperta_ = true;
    Contenuto(b, out);
}

void LetturaForma::Contenuto(unsigned char b, std::string& out) {
    if (forma_.Utf16()) {
        if (ripara_)
            out += static_cast<char>(b);
        return;
    }
    const bool inCorso = decodifica_.InCorso();
    DecodificaUtf8::Passo passo = decodifica_.Aggiungi(b);
    if (passo == DecodificaUtf8::Passo::Errore) {
        // A character cut short is told by its first byte.
        NonUtf8(inCorso ? inizioCarattere_ : b);
        // The byte that cut a character may start the next one.
        if (inCorso)
            passo = decodifica_.Aggiungi(b);
    }
    if (passo == DecodificaUtf8::Passo::Incompleto && !inCorso)
        inizioCarattere_ = b;
    if (passo == DecodificaUtf8::Passo::Carattere && decodifica_.Carattere() >= 0x80) {
        ++forma_.caratteriUtf8;
        const std::optional<char> byte = ByteDi(decodifica_.Carattere());
        if (!byte && !forma_.senzaByte)
            forma_.senzaByte = Intoppo{riga_, decodifica_.Carattere(), 0};
        if (ripara_ && converti_ && byte) {
            out += *byte;
            return;
        }
    }
    if (!ripara_)
        return;
    if (!converti_) {
        out += static_cast<char>(b);
    } else if (passo == DecodificaUtf8::Passo::Carattere) {
        out += static_cast<char>(decodifica_.Carattere());  // ASCII, as it is
    }
}

void LetturaForma::NonUtf8(unsigned char b) noexcept {
    if (!forma_.malformato)
        forma_.malformato = Intoppo{riga_, 0, b};
}

std::string MotivoNonConvertibile(const FormaFile& forma) {
    if (forma.malformato) {
        const Intoppo& i = *forma.malformato;
        std::string m = "alla riga " + std::to_string(i.riga);
        if (forma.Utf16()) {
            if (i.carattere == 0)
                return m + " il file finisce a met\xE0 di un carattere UTF-16";
            return m + " il surrogato " + CodicePunto(i.carattere) +
                   " \xE8 spaiato: il testo non \xE8 UTF-16 valido";
        }
        if (i.byte == 0)
            return m + " un carattere UTF-8 \xE8 interrotto dalla fine del file";
        char numero[16];
        std::snprintf(numero, sizeof numero, "0x%02X", static_cast<unsigned>(i.byte));
        return m + " il byte " + numero + " non \xE8 UTF-8: il file mescola UTF-8 e Windows-1252";
    }
    if (forma.senzaByte) {
        return "alla riga " + std::to_string(forma.senzaByte->riga) + " il carattere " +
               CodicePunto(forma.senzaByte->carattere) + " non esiste in Windows-1252";
    }
    return {};
}

}  // namespace velmar
