// The JSON writer of the console program.
#include "console/json.h"

#include <cstdio>

#include "store/cp1252.h"

namespace velmar {

std::string StringaJson(std::string_view testo) {
    std::string r = "\"";
    for (const char c : testo) {
        switch (c) {
            case '"':
                r += "\\\"";
                break;
            case '\\':
                r += "\\\\";
                break;
            case '\n':
                r += "\\n";
                break;
            case '\r':
                r += "\\r";
                break;
            case '\t':
                r += "\\t";
                break;
            default:
                // A character beyond ASCII as the escape of its code point, so that the text
                // reads the same in any code page.
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7F) {
                    char u[8];
                    std::snprintf(u, sizeof u, "\\u%04x",
                                  static_cast<unsigned>(Utf16Da1252(std::string_view(&c, 1))[0]));
                    r += u;
                } else {
                    r += c;
                }
        }
    }
    r += '"';
    return r;
}

std::string& OggettoJson::Chiave(std::string_view chiave) {
    if (!campi_.empty())
        campi_ += ',';
    return campi_.append(StringaJson(chiave)).append(1, ':');
}

OggettoJson& OggettoJson::Testo(std::string_view chiave, std::string_view valore) {
    Chiave(chiave).append(StringaJson(valore));
    return *this;
}

OggettoJson& OggettoJson::Numero(std::string_view chiave, std::uint64_t valore) {
    Chiave(chiave).append(std::to_string(valore));
    return *this;
}

OggettoJson& OggettoJson::Booleano(std::string_view chiave, bool valore) {
    Chiave(chiave).append(valore ? "true" : "false");
    return *this;
}

OggettoJson& OggettoJson::Nullo(std::string_view chiave) {
    Chiave(chiave).append("null");
    return *this;
}

OggettoJson& OggettoJson::Testi(std::string_view chiave, std::span<const std::string> valori) {
    std::string& c = Chiave(chiave);
    c += '[';
    for (std::size_t i = 0; i < valori.size(); ++i)
        c.append(i ? "," : "").append(StringaJson(valori[i]));
    c += ']';
    return *this;
}

OggettoJson& OggettoJson::Oggetto(std::string_view chiave, const OggettoJson& valore) {
    Chiave(chiave).append(valore.Json());
    return *this;
}

OggettoJson& OggettoJson::Oggetti(std::string_view chiave, std::span<const OggettoJson> valori) {
    std::string& c = Chiave(chiave);
    c += '[';
    for (std::size_t i = 0; i < valori.size(); ++i)
        c.append(i ? "," : "").append(valori[i].Json());
    c += ']';
    return *this;
}

OggettoJson& OggettoJson::Aggiungi(const OggettoJson& altro) {
    if (!altro.campi_.empty())
        campi_.append(campi_.empty() ? "" : ",").append(altro.campi_);
    return *this;
}

std::string OggettoJson::Json() const {
    return "{" + campi_ + "}";
}

}  // namespace velmar
