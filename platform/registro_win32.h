// Reading one value from the Windows registry as text (the program's LeggiRegistro module).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "store/risultato.h"

namespace velmar {

// Largest value read, in bytes, terminating zero included.
inline constexpr DWORD kDimensioneValoreRegistro = 1024;

// Reads value `nome` of key `chiave` under `radice` (ANSI names, opened for reading only).
// REG_SZ gives its text, without the final zero byte when that is the last byte of the data;
// REG_DWORD gives the number in decimal ("4096"); any other type gives no text. Fails as Assente
// when the key or the value is missing, and with the system's reason when access is denied, the
// data is longer than 1024 bytes, or the value has no data at all.
[[nodiscard]] Risultato<std::optional<std::string>> LeggiValoreRegistro(HKEY radice,
                                                                        std::string_view chiave,
                                                                        std::string_view nome);

// False when value `nome` of key `chiave` is a REG_SZ whose text holds a character that
// Windows-1252 lacks (the ANSI read above would give an approximation of it); true otherwise,
// also when it cannot be read.
[[nodiscard]] bool ValoreRegistroRappresentabile(HKEY radice, std::string_view chiave,
                                                 std::string_view nome);

}  // namespace velmar
