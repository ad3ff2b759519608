// Windows helpers behind the system file operations, shared with the rest of the program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "store/file_system.h"

namespace velmar {

// The system's message for an error code, in Windows-1252, followed by the code: "... (5)".
[[nodiscard]] std::string DescrizioneErrore(DWORD codice);

// A Windows-1252 path as a wide-character path.
[[nodiscard]] std::wstring PercorsoWide(std::string_view percorso);

// Whether a file's access list was set for that file (protected from inheritance, or holding
// entries of its own beside the inherited ones), so that a new file in the same folder would not
// get it by inheritance. A list without any sign of inheritance (FAT, Wine) counts as not set.
[[nodiscard]] bool DaclPropria(SECURITY_DESCRIPTOR_CONTROL controllo, const ACL* dacl) noexcept;

// Moves `origine` over `destinazione` in one step (MoveFileExW, replacing, write-through).
// A sharing violation or denied access is retried up to `tentativi` times, `attesaMs` apart.
[[nodiscard]] Esito SostituisciFile(const std::wstring& origine, const std::wstring& destinazione,
                                    int tentativi = 20, DWORD attesaMs = 50);

}  // namespace velmar
