// SetupVelmarCmd on Windows: UTF-16 arguments (wmain) converted to Windows-1252; text written to
// the console as UTF-16, or as UTF-8 bytes when the handle is a file or a pipe. Without --base
// the package's folder comes from the application-folder component, as in the window.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "console/comando.h"
#include "pacchetto/pacchetto_win32.h"
#include "store/cp1252.h"

namespace {

using namespace velmar;

void Scrivi(DWORD quale, const std::string& testo1252) {
    const HANDLE h = ::GetStdHandle(quale);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || testo1252.empty())
        return;
    DWORD modo = 0;
    if (::GetConsoleMode(h, &modo)) {
        const std::u16string w = Utf16Da1252(testo1252);
        std::size_t fatto = 0;
        while (fatto < w.size()) {
            const DWORD n = static_cast<DWORD>(std::min<std::size_t>(w.size() - fatto, 8192));
            DWORD scritti = 0;
            if (!::WriteConsoleW(h, w.data() + fatto, n, &scritti, nullptr) || scritti == 0)
                return;
            fatto += scritti;
        }
        return;
    }
    const std::string utf8 = Utf8Da1252(testo1252);
    std::size_t fatto = 0;
    while (fatto < utf8.size()) {
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(utf8.size() - fatto, 1 << 20));
        DWORD scritti = 0;
        if (!::WriteFile(h, utf8.data() + fatto, n, &scritti, nullptr) || scritti == 0)
            return;
        fatto += scritti;
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // wchar_t is the UTF-16 unit on Windows.
    const std::vector<VoceUtente> argomenti = ArgomentiDaUtf16(std::span<const char16_t* const>(
        reinterpret_cast<const char16_t* const*>(argv + 1), static_cast<std::size_t>(argc - 1)));
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::ostringstream uscita, errori;
    const StatoUscita stato = EseguiComando(argomenti, uscita, errori, CreaArchivioPacchetto);
    if (SUCCEEDED(com))
        ::CoUninitialize();
    Scrivi(STD_OUTPUT_HANDLE, uscita.str());
    Scrivi(STD_ERROR_HANDLE, errori.str());
    return static_cast<int>(stato);
}
