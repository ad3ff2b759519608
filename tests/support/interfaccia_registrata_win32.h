// The window's seam to the person, recorded: the messages it would show, with their owners,
// and how many times it would have ended the program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "window/interfaccia_win32.h"

namespace velmar::test {

class InterfacciaRegistrata final : public Interfaccia {
  public:
    std::vector<std::u16string> messaggi;
    std::vector<HWND> proprietari;
    int terminazioni = 0;

    void Messaggio(HWND proprietario, std::u16string_view testo) noexcept override {
        messaggi.emplace_back(testo);
        proprietari.push_back(proprietario);
    }
    void Termina() noexcept override { ++terminazioni; }
};

}  // namespace velmar::test
