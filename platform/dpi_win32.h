// The DPI a window is laid out at, and the frame, metrics and font at a DPI, on every Windows from
// 7 SP1. The functions newer than Windows 7 are looked up once, at the first call, each with its
// fallback:
//   - a window's DPI: GetDpiForWindow (Windows 10 1607), else its monitor's DPI from shcore.dll's
//     GetDpiForMonitor (8.1, where the manifest makes the process per-monitor aware), else the
//     system DPI (7 and 8, where the process is system-DPI aware);
//   - AdjustWindowRectExForDpi, GetSystemMetricsForDpi, SystemParametersInfoForDpi (10 1607),
//     else AdjustWindowRectEx, GetSystemMetrics, SystemParametersInfoW at the system DPI.
// Nothing else in the program calls these functions.
#pragma once

#include <windows.h>

#include "store/risultato.h"

namespace velmar {

// The DPI `finestra` is shown at; never 0 (96 when the system tells none).
[[nodiscard]] UINT DpiFinestra(HWND finestra) noexcept;

// The window rectangle of a window without a menu, with these styles, whose client area is
// `client`, at `dpi`. Fails as Sistema, with the system's reason, when the system refuses.
[[nodiscard]] Risultato<RECT> RettangoloFinestraPerDpi(const RECT& client, DWORD stile,
                                                       DWORD stileEsteso, UINT dpi);

// System metric `indice` (SM_CXICON, ...) at `dpi`; without the newer function, at the system DPI.
[[nodiscard]] int MetricaSistemaPerDpi(int indice, UINT dpi) noexcept;

// The font of message boxes and dialogs as the system sets it, at `dpi`: without the newer
// function, the system DPI's font with its height scaled to `dpi`. Fails as Sistema, with the
// system's reason, when the system gives none.
[[nodiscard]] Risultato<LOGFONTW> CarattereMessaggiPerDpi(UINT dpi);

// Which of the functions above the program may use: every one the system has (always, in the
// program), or, set only by tests, only those of Windows 8.1 or of Windows 7, so that the
// fallbacks run where the newer functions exist.
enum class FunzioniDpi { DelSistema, Windows81, Windows7 };
void LimitaFunzioniDpi(FunzioniDpi funzioni) noexcept;

}  // namespace velmar
