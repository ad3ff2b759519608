// Registry reader: ANSI registry calls, a fixed 1024-byte buffer.
#include "platform/registro_win32.h"

#include <algorithm>
#include <array>

#include "platform/handles_win32.h"

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

std::string LeggiCartellaCatalogo() {
    std::string valore;
    (void)LeggiValoreRegistro(HKEY_CURRENT_USER, kChiaveBrioQuery, kValoreCartellaCatalogo, valore);
    return valore;
}

}  // namespace velmar
