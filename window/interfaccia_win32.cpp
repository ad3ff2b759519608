// The seam to the person as the program has it: MessageBoxW and ExitProcess.
#include "window/interfaccia_win32.h"

#include <string>

#include "store/conferma.h"
#include "store/cp1252.h"
#include "window/testo_win32.h"

namespace velmar {

namespace {

class InterfacciaWin32 final : public Interfaccia {
  public:
    void Messaggio(HWND proprietario, std::u16string_view testo) noexcept override {
        const std::u16string t(testo);
        const std::u16string titolo = Utf16Da1252(kTitoloMessaggi);
        ::MessageBoxW(proprietario, W(t), W(titolo), MB_OK);
    }
    void Termina() noexcept override { ::ExitProcess(0); }
};

}  // namespace

Interfaccia& InterfacciaDiSistema() noexcept {
    static InterfacciaWin32 interfaccia;
    return interfaccia;
}

}  // namespace velmar
