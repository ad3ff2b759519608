// What the window does to the person beyond itself: a message box and the end of the program.
// One narrow seam, so that tests drive the real window procedure and read what it would have
// shown.
#pragma once

#include <windows.h>

#include <string_view>

namespace velmar {

class Interfaccia {
  public:
    virtual ~Interfaccia() = default;
    // A modal message box owned by `proprietario`: OK button only, no icon, title "SetupVelmar".
    // Returns when it is dismissed.
    virtual void Messaggio(HWND proprietario, std::u16string_view testo) noexcept = 0;
    // Ends the program at once: nothing after it runs.
    virtual void Termina() noexcept = 0;
};

// MessageBoxW and ExitProcess.
[[nodiscard]] Interfaccia& InterfacciaDiSistema() noexcept;

}  // namespace velmar
