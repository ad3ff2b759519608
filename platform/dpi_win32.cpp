// The DPI functions newer than Windows 7, looked up with GetProcAddress, and their fallbacks.
#include "platform/dpi_win32.h"

#include <atomic>
#include <cstddef>
#include <iterator>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"

namespace velmar {

namespace {

// Windows 10 1607, user32.dll.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
// Windows 8.1, shcore.dll; its second argument is a MONITOR_DPI_TYPE.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kMdtEffectiveDpi = 0;

std::atomic<FunzioniDpi> gFunzioni{FunzioniDpi::DelSistema};

// Function `nome` of `modulo` as type F, or null where this Windows lacks it.
template <class F>
F Funzione(HMODULE modulo, const char* nome) noexcept {
    if (!modulo)
        return nullptr;
    // GetProcAddress's type says nothing of the function's; the generic function pointer type
    // between the two says so to the compiler.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(modulo, nome)));
}

struct Funzioni {
    GetDpiForWindowFn getDpiForWindow = nullptr;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi = nullptr;
    GetSystemMetricsForDpiFn getSystemMetricsForDpi = nullptr;
    SystemParametersInfoForDpiFn systemParametersInfoForDpi = nullptr;
    GetDpiForMonitorFn getDpiForMonitor = nullptr;
};

// shcore.dll from the system folder only, loaded at the first call and kept until the end.
HMODULE Shcore() noexcept {
    static const unique_hmodule shcore = [] {
        wchar_t percorso[MAX_PATH];
        constexpr wchar_t kNome[] = L"\\shcore.dll";
        const UINT n = ::GetSystemDirectoryW(percorso, MAX_PATH);
        if (n == 0 || n + std::size(kNome) > MAX_PATH)
            return unique_hmodule();
        for (std::size_t i = 0; i < std::size(kNome); ++i)
            percorso[n + i] = kNome[i];
        return unique_hmodule(::LoadLibraryW(percorso));
    }();
    return shcore.get();
}

// The functions this Windows has, looked up once.
const Funzioni& DelSistema() noexcept {
    static const Funzioni funzioni = [] {
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        Funzioni f;
        f.getDpiForWindow = Funzione<GetDpiForWindowFn>(user32, "GetDpiForWindow");
        f.adjustWindowRectExForDpi =
            Funzione<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi");
        f.getSystemMetricsForDpi =
            Funzione<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi");
        f.systemParametersInfoForDpi =
            Funzione<SystemParametersInfoForDpiFn>(user32, "SystemParametersInfoForDpi");
        f.getDpiForMonitor = Funzione<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor");
        return f;
    }();
    return funzioni;
}

// Those of the system that the program may use now.
Funzioni Ammesse() noexcept {
    Funzioni f = DelSistema();
    switch (gFunzioni.load()) {
        case FunzioniDpi::DelSistema:
            break;
        case FunzioniDpi::Windows7:
            f.getDpiForMonitor = nullptr;
            [[fallthrough]];
        case FunzioniDpi::Windows81:
            f.getDpiForWindow = nullptr;
            f.adjustWindowRectExForDpi = nullptr;
            f.getSystemMetricsForDpi = nullptr;
            f.systemParametersInfoForDpi = nullptr;
            break;
    }
    return f;
}

// The DPI of the screen's device context: the one a system-DPI aware program is shown at.
UINT DpiSistema() noexcept {
    const unique_hdc_schermo schermo(::GetDC(nullptr));
    const int dpi = schermo ? ::GetDeviceCaps(schermo.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

// The failure of the call just made, with the system's reason.
Errore UltimoErrore() {
    return Errore(TipoErrore::Sistema, DescrizioneErrore(::GetLastError()));
}

}  // namespace

void LimitaFunzioniDpi(FunzioniDpi funzioni) noexcept {
    gFunzioni.store(funzioni);
}

UINT DpiFinestra(HWND finestra) noexcept {
    const Funzioni f = Ammesse();
    if (f.getDpiForWindow) {
        if (const UINT dpi = f.getDpiForWindow(finestra))
            return dpi;
    }
    if (f.getDpiForMonitor) {
        UINT x = 0;
        UINT y = 0;
        const HMONITOR monitor = ::MonitorFromWindow(finestra, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(f.getDpiForMonitor(monitor, kMdtEffectiveDpi, &x, &y)) && y != 0)
            return y;
    }
    return DpiSistema();
}

Risultato<RECT> RettangoloFinestraPerDpi(const RECT& client, DWORD stile, DWORD stileEsteso,
                                         UINT dpi) {
    RECT r = client;
    const Funzioni f = Ammesse();
    const BOOL fatto = f.adjustWindowRectExForDpi
                           ? f.adjustWindowRectExForDpi(&r, stile, FALSE, stileEsteso, dpi)
                           : ::AdjustWindowRectEx(&r, stile, FALSE, stileEsteso);
    if (!fatto)
        return UltimoErrore();
    return r;
}

int MetricaSistemaPerDpi(int indice, UINT dpi) noexcept {
    const Funzioni f = Ammesse();
    return f.getSystemMetricsForDpi ? f.getSystemMetricsForDpi(indice, dpi)
                                    : ::GetSystemMetrics(indice);
}

Risultato<LOGFONTW> CarattereMessaggiPerDpi(UINT dpi) {
    NONCLIENTMETRICSW metriche{};
    metriche.cbSize = sizeof(metriche);
    const Funzioni f = Ammesse();
    if (f.systemParametersInfoForDpi &&
        f.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metriche), &metriche, 0,
                                     dpi)) {
        return metriche.lfMessageFont;
    }
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metriche), &metriche, 0))
        return UltimoErrore();
    LOGFONTW carattere = metriche.lfMessageFont;
    carattere.lfHeight =
        ::MulDiv(carattere.lfHeight, static_cast<int>(dpi), static_cast<int>(DpiSistema()));
    return carattere;
}

}  // namespace velmar
