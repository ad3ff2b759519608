// Registry reader: ANSI registry calls, a fixed 1024-byte buffer.
#include "platform/registro_win32.h"

#include <algorithm>
#include <array>

#include "platform/handles_win32.h"
#include "store/cp1252.h"

namespace velmar {

bool LeggiValoreRegistro(HKEY radice, std::string_view chiave, std::string_view nome,
                         std::string& valore) {
    const std::string percorsoChiave(chiave);
    const std::string nomeValore(nome);

    unique_hkey k;
    if (::RegOpenKeyExA(radice, percorsoChiave.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) {
        valore.clear();
        return false;
    }

    std::array<BYTE, kDimensioneValoreRegistro> dati{};
    DWORD tipo = REG_NONE;
    DWORD dimensione = kDimensioneValoreRegistro;
    if (::RegQueryValueExA(k.get(), nomeValore.c_str(), nullptr, &tipo, dati.data(), &dimensione) !=
        ERROR_SUCCESS) {
        valore.clear();
        return false;
    }
    // A value with no data at all has no last byte to look at: a failure, value untouched.
    if (dimensione == 0 || dimensione > dati.size())
        return false;

    std::size_t tenuti = dimensione;
    if (dati[tenuti - 1] == 0)
        --tenuti;

    switch (tipo) {
        case REG_SZ:
            valore.assign(reinterpret_cast<const char*>(dati.data()), tenuti);
            break;
        case REG_DWORD: {
            // The kept bytes (at most four), least significant first.
            DWORD numero = 0;
            for (std::size_t i = std::min<std::size_t>(tenuti, sizeof(DWORD)); i > 0; --i) {
                numero = (numero << 8) | dati[i - 1];
            }
            valore = std::to_string(numero);
            break;
        }
        default:
            break;
    }
    return true;
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
