// Speed of a keystroke in the code box of the real window on Windows (under Wine here): each
// character typed runs the window's lookup over the package's file and fills its controls. The
// package has 100 000 lines (about 14.6 MB); the code typed is on the last line, then on none.
// Prints the best and the median of the keystrokes, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/pacchetto_prova.h"
#include "store/archivio.h"
#include "window/form_setup_velmar_win32.h"

namespace {

using namespace velmar;

// Nothing is shown and nothing ends: no keystroke saves.
class InterfacciaMuta final : public Interfaccia {
  public:
    void Messaggio(HWND, std::u16string_view) noexcept override {}
    void Termina() noexcept override {}
};

// Types the last character of `codice` after the rest, as a person does, and times it.
double Tasto(HWND combo, const std::string& codice) {
    const HWND edit = ::FindWindowExW(combo, nullptr, L"Edit", nullptr);
    const std::wstring testa(codice.begin(), codice.end() - 1);
    ::SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(testa.c_str()));
    ::SendMessageW(edit, EM_SETSEL, testa.size(), static_cast<LPARAM>(testa.size()));
    const auto inizio = std::chrono::steady_clock::now();
    ::SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(codice.back()), 1);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - inizio)
        .count();
}

}  // namespace

int main() {
    constexpr long kRighe = 100000;
    constexpr int kTasti = 30;
    const std::filesystem::path cartella =
        std::filesystem::temp_directory_path() / "velmar-bench-tasto";
    bench::ScriviPacchetto(cartella, kRighe);
    ArchivioCartella archivio(FileSystemDiSistema(), cartella.string(), {"C:\\Cat"});
    InterfacciaMuta interfaccia;
    FormSetupVelmar form(archivio, interfaccia);
    if (!form.Crea(::GetModuleHandleW(nullptr)))
        return 1;
    const HWND combo = form.Controllo("ComboCodiceDitta");
    for (const std::string& codice : {bench::Codice(kRighe - 1), std::string("ZZZ")}) {
        std::vector<double> tempi;
        for (int i = 0; i < kTasti; ++i)
            tempi.push_back(Tasto(combo, codice));
        std::sort(tempi.begin(), tempi.end());
        std::printf("keystroke in the window, %ld lines, code %s: best %.2f ms, median %.2f ms\n",
                    kRighe, codice.c_str(), tempi.front(), tempi[tempi.size() / 2]);
    }
    std::filesystem::remove_all(cartella);
    return 0;
}
