// Registry reader: ANSI registry calls, a fixed 1024-byte buffer.
#include "platform/registro_win32.h"

#include <algorithm>
#include <array>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

// A registry call's failure: Assente for a missing key or value.
Errore DelRegistro(LONG esito) {
    return Errore(esito == ERROR_FILE_NOT_FOUND || esito == ERROR_PATH_NOT_FOUND
                      ? TipoErrore::Assente
                      : TipoErrore::Sistema,
                  DescrizioneErrore(static_cast<DWORD>(esito)));
}

}  // namespace

Risultato<std::optional<std::string>> LeggiValoreRegistro(HKEY radice, std::string_view chiave,
                                                          std::string_view nome) {
    const std::string percorsoChiave(chiave);
    const std::string nomeValore(nome);

    unique_hkey k;
    LONG esito = ::RegOpenKeyExA(radice, percorsoChiave.c_str(), 0, KEY_READ, k.put());
    if (esito != ERROR_SUCCESS)
        return DelRegistro(esito);

    std::array<BYTE, kDimensioneValoreRegistro> dati{};
    DWORD tipo = REG_NONE;
    DWORD dimensione = kDimensioneValoreRegistro;
    esito =
        ::RegQueryValueExA(k.get(), nomeValore.c_str(), nullptr, &tipo, dati.data(), &dimensione);
    if (esito != ERROR_SUCCESS)
        return DelRegistro(esito);
    // A value with no data at all has no last byte to look at.
    if (dimensione == 0 || dimensione > dati.size())
        return Errore(TipoErrore::Sistema, "il valore non ha dati");

    std::size_t tenuti = dimensione;
    if (dati[tenuti - 1] == 0)
        --tenuti;

    switch (tipo) {
        case REG_SZ:
            return std::optional(std::string(reinterpret_cast<const char*>(dati.data()), tenuti));
        case REG_DWORD: {
            // The kept bytes (at most four), least significant first.
            DWORD numero = 0;
            for (std::size_t i = std::min<std::size_t>(tenuti, sizeof(DWORD)); i > 0; --i) {
                numero = (numero << 8) | dati[i - 1];
            }
            return std::optional(std::to_string(numero));
        }
        default:
            return std::optional<std::string>();
    }
}

bool ValoreRegistroRappresentabile(HKEY radice, std::string_view chiave, std::string_view nome) {
    const std::u16string chiave16 = Utf16Da1252(chiave);
    const std::u16string nome16 = Utf16Da1252(nome);
    unique_hkey k;
    if (::RegOpenKeyExW(radice, reinterpret_cast<const wchar_t*>(chiave16.c_str()), 0, KEY_READ,
                        k.put()) != ERROR_SUCCESS) {
        return true;
    }
    const auto* nomeW = reinterpret_cast<const wchar_t*>(nome16.c_str());
    DWORD tipo = REG_NONE;
    DWORD dimensione = 0;
    if (::RegQueryValueExW(k.get(), nomeW, nullptr, &tipo, nullptr, &dimensione) != ERROR_SUCCESS ||
        tipo != REG_SZ) {
        return true;
    }
    std::u16string testo(dimensione / sizeof(char16_t) + 1, u'\0');
    dimensione = static_cast<DWORD>(testo.size() * sizeof(char16_t));
    if (::RegQueryValueExW(k.get(), nomeW, nullptr, &tipo, reinterpret_cast<BYTE*>(testo.data()),
                           &dimensione) != ERROR_SUCCESS) {
        return true;
    }
    testo.resize(dimensione / sizeof(char16_t));
    return Cp1252DaUtf16(testo).has_value();
}

}  // namespace velmar
