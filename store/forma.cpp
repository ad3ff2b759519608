// The shape of a parameters file and its repair, one byte at a time.
#include "store/forma.h"

#include <cstdio>

namespace velmar {

void LetturaForma::Aggiungi(std::string_view pezzo, std::string& out) {
    for (const char c : pezzo) {
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
    if (decodifica_.InCorso() && !forma_.nonUtf8)
        forma_.nonUtf8 = Intoppo{riga_, 0, 0};
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

void LetturaForma::FineRiga(std::string& out) {
    if (ripara_)
        out += "\r\n";
    rigaAperta_ = false;
    ++riga_;
}

void LetturaForma::Byte(char c, std::string& out) {
    const auto b = static_cast<unsigned char>(c);
    if (crAperto_) {
        crAperto_ = false;
        if (b == '\n') {
            FineRiga(out);
            return;
        }
        ++forma_.finiDaRiparare;  // a lone CR
        FineRiga(out);
    }
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
    if (!forma_.nonUtf8)
        forma_.nonUtf8 = Intoppo{riga_, 0, b};
}

std::string MotivoNonConvertibile(const FormaFile& forma) {
    char numero[16];
    if (forma.nonUtf8) {
        const Intoppo& i = *forma.nonUtf8;
        std::string m = "alla riga " + std::to_string(i.riga);
        if (i.byte == 0)
            return m + " un carattere UTF-8 \xE8 interrotto dalla fine del file";
        std::snprintf(numero, sizeof numero, "0x%02X", static_cast<unsigned>(i.byte));
        return m + " il byte " + numero + " non \xE8 UTF-8: il file mescola UTF-8 e Windows-1252";
    }
    if (forma.senzaByte) {
        std::snprintf(numero, sizeof numero, "U+%04X",
                      static_cast<unsigned>(forma.senzaByte->carattere));
        return "alla riga " + std::to_string(forma.senzaByte->riga) + " il carattere " + numero +
               " non esiste in Windows-1252";
    }
    return {};
}

}  // namespace velmar
