// The console program's JSON: one object on one line for every outcome of a call, written field
// after field by one writer. Texts arrive in Windows-1252.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

// `testo` as a JSON string with its quotes: '"', '\' and characters below 0x20 escaped, and every
// character beyond ASCII written as the escape of its code point, so that the output is ASCII.
// "a\"b" -> "\"a\\\"b\"".   "\x01" -> "\"\\u0001\"".   "\xE8" -> "\"\\u00e8\"".
[[nodiscard]] std::string StringaJson(std::string_view testo);

// A JSON object, its fields in the order they are given:
//   OggettoJson().Testo("codice", "001").Numero("stato", 0).Json() -> {"codice":"001","stato":0}
class OggettoJson {
  public:
    OggettoJson& Testo(std::string_view chiave, std::string_view valore);
    OggettoJson& Numero(std::string_view chiave, std::uint64_t valore);
    OggettoJson& Booleano(std::string_view chiave, bool valore);
    OggettoJson& Nullo(std::string_view chiave);
    OggettoJson& Testi(std::string_view chiave, std::span<const std::string> valori);
    OggettoJson& Oggetto(std::string_view chiave, const OggettoJson& valore);
    OggettoJson& Oggetti(std::string_view chiave, std::span<const OggettoJson> valori);
    // The fields of `altro` after these.
    OggettoJson& Aggiungi(const OggettoJson& altro);

    // "{...}"
    [[nodiscard]] std::string Json() const;

  private:
    std::string& Chiave(std::string_view chiave);

    std::string campi_;
};

}  // namespace velmar
