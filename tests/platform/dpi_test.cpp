// The DPI functions on the paths of Windows 8.1 and 7, where Windows 10's functions exist too
// (Wine has them all): at the system DPI each fallback gives what the newer function gives, and
// the message font follows the DPI it is asked for.
#include "platform/dpi_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/funzioni_dpi_win32.h"

namespace velmar {
namespace {

constexpr DWORD kStile = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr RECT kClient{0, 0, 378, 136};

TEST(Dpi, TheFallbacksOfOlderWindowsGiveWhatTheNewerFunctionsGive) {
    const HWND desktop = ::GetDesktopWindow();
    const UINT dpi = DpiFinestra(desktop);
    const Risultato<RECT> cornice =
        RettangoloFinestraPerDpi(kClient, kStile, WS_EX_CONTROLPARENT, dpi);
    ASSERT_TRUE(cornice);
    const int icona = MetricaSistemaPerDpi(SM_CXICON, dpi);
    const Risultato<LOGFONTW> carattere = CarattereMessaggiPerDpi(dpi);
    const Risultato<LOGFONTW> grande = CarattereMessaggiPerDpi(dpi * 3 / 2);
    ASSERT_TRUE(carattere);
    ASSERT_TRUE(grande);
    ASSERT_NE(carattere->lfHeight, grande->lfHeight);

    for (const FunzioniDpi funzioni : {FunzioniDpi::Windows81, FunzioniDpi::Windows7}) {
        SCOPED_TRACE(funzioni == FunzioniDpi::Windows81 ? "Windows 8.1" : "Windows 7");
        const test::FunzioniDpiLimitate limitate(funzioni);
        EXPECT_EQ(DpiFinestra(desktop), dpi);
        const Risultato<RECT> r =
            RettangoloFinestraPerDpi(kClient, kStile, WS_EX_CONTROLPARENT, dpi);
        ASSERT_TRUE(r);
        EXPECT_TRUE(::EqualRect(&*r, &*cornice));
        EXPECT_EQ(MetricaSistemaPerDpi(SM_CXICON, dpi), icona);
        const Risultato<LOGFONTW> c = CarattereMessaggiPerDpi(dpi);
        const Risultato<LOGFONTW> g = CarattereMessaggiPerDpi(dpi * 3 / 2);
        ASSERT_TRUE(c);
        ASSERT_TRUE(g);
        EXPECT_EQ(std::wstring(c->lfFaceName), std::wstring(carattere->lfFaceName));
        EXPECT_EQ(c->lfHeight, carattere->lfHeight);
        EXPECT_NEAR(g->lfHeight, grande->lfHeight, 1);
    }
}

}  // namespace
}  // namespace velmar
