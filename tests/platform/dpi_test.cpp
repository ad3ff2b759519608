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

TEST(Dpi, TheFallbacksOfOlderWindowsGiveWhatTheNewerFunctionsGive) {
    const HWND desktop = ::GetDesktopWindow();
    const UINT dpi = DpiFinestra(desktop);
    RECT cornice{0, 0, 378, 136};
    ASSERT_TRUE(RettangoloFinestraPerDpi(cornice, kStile, WS_EX_CONTROLPARENT, dpi));
    const int icona = MetricaSistemaPerDpi(SM_CXICON, dpi);
    LOGFONTW carattere{};
    LOGFONTW grande{};
    ASSERT_TRUE(CarattereMessaggiPerDpi(dpi, carattere));
    ASSERT_TRUE(CarattereMessaggiPerDpi(dpi * 3 / 2, grande));
    ASSERT_NE(carattere.lfHeight, grande.lfHeight);

    for (const FunzioniDpi funzioni : {FunzioniDpi::Windows81, FunzioniDpi::Windows7}) {
        SCOPED_TRACE(funzioni == FunzioniDpi::Windows81 ? "Windows 8.1" : "Windows 7");
        const test::FunzioniDpiLimitate limitate(funzioni);
        EXPECT_EQ(DpiFinestra(desktop), dpi);
        RECT r{0, 0, 378, 136};
        ASSERT_TRUE(RettangoloFinestraPerDpi(r, kStile, WS_EX_CONTROLPARENT, dpi));
        EXPECT_TRUE(::EqualRect(&r, &cornice));
        EXPECT_EQ(MetricaSistemaPerDpi(SM_CXICON, dpi), icona);
        LOGFONTW c{};
        LOGFONTW g{};
        ASSERT_TRUE(CarattereMessaggiPerDpi(dpi, c));
        ASSERT_TRUE(CarattereMessaggiPerDpi(dpi * 3 / 2, g));
        EXPECT_EQ(std::wstring(c.lfFaceName), std::wstring(carattere.lfFaceName));
        EXPECT_EQ(c.lfHeight, carattere.lfHeight);
        EXPECT_NEAR(g.lfHeight, grande.lfHeight, 1);
    }
}

}  // namespace
}  // namespace velmar
