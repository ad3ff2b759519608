// The window's rectangles and size at its DPI.
#include "window/disposizione_win32.h"

#include <optional>

#include "platform/dpi_win32.h"
#include "store/risultato.h"
#include "window/tabella_controlli.h"

namespace velmar {

namespace {

// The window's client area, in twips.
constexpr int kLarghezzaClient = 5670;
constexpr int kAltezzaClient = 2040;

}  // namespace

RECT Rettangolo(std::size_t indice, const Scala& scala) noexcept {
    const DefinizioneControllo& c = kControlli[indice];
    int x = 0;  // the container's place in the window's client area, in twips
    int y = 0;
    for (std::optional<std::size_t> j = Contenitore(indice); j; j = Contenitore(*j)) {
        x += kControlli[*j].sinistra;
        y += kControlli[*j].alto;
    }
    return {scala.Pixel(x + c.sinistra) - scala.Pixel(x), scala.Pixel(y + c.alto) - scala.Pixel(y),
            scala.Pixel(x + c.sinistra + c.larghezza) - scala.Pixel(x),
            scala.Pixel(y + c.alto + c.altezza) - scala.Pixel(y)};
}

void Dimensiona(HWND finestra, const Scala& scala, POINT angolo) {
    const int larghezza = scala.Pixel(kLarghezzaClient);
    const int altezza = scala.Pixel(kAltezzaClient);
    const RECT voluto{0, 0, larghezza, altezza};
    // Where the system tells no frame, the client area's size, corrected below.
    const Risultato<RECT> esterno =
        RettangoloFinestraPerDpi(voluto, kStileFinestra, kStileEstesoFinestra, scala.Dpi());
    const RECT r = esterno ? *esterno : voluto;
    SIZE dimensione{r.right - r.left, r.bottom - r.top};
    ::SetWindowPos(finestra, nullptr, angolo.x, angolo.y, dimensione.cx, dimensione.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(finestra, &client);
    if (client.right != larghezza || client.bottom != altezza) {
        dimensione.cx += larghezza - client.right;
        dimensione.cy += altezza - client.bottom;
        ::SetWindowPos(finestra, nullptr, 0, 0, dimensione.cx, dimensione.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Centra(HWND finestra) noexcept {
    RECT r{};
    ::GetWindowRect(finestra, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(finestra, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    ::SetWindowPos(finestra, nullptr, area.left + (area.right - area.left - (r.right - r.left)) / 2,
                   area.top + (area.bottom - area.top - (r.bottom - r.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmar
