// The window's layout at its DPI: lengths in twips (the control table's), points (the font's) or
// pixels at 96 DPI (the images') turned into pixels by one conversion; each control's rectangle;
// the window's size, made again at each DPI it is moved to (WM_DPICHANGED), and its place in the
// middle of the screen's work area.
#pragma once

#include <windows.h>

#include <cstddef>

namespace velmar {

// A unit of length, as the number of it that make an inch.
enum class Unita : int {
    Twip = 1440,
    Punto = 72,
    Pixel96 = USER_DEFAULT_SCREEN_DPI,  // a pixel at 100 %
};

// The DPI the window is laid out at.
class Scala {
  public:
    explicit Scala(UINT dpi = USER_DEFAULT_SCREEN_DPI) noexcept : dpi_(dpi) {}
    [[nodiscard]] UINT Dpi() const noexcept { return dpi_; }
    // `lunghezza` in `unita` as pixels at this DPI, to the nearest pixel.
    [[nodiscard]] int Pixel(int lunghezza, Unita unita = Unita::Twip) const noexcept {
        return ::MulDiv(lunghezza, static_cast<int>(dpi_), static_cast<int>(unita));
    }

  private:
    UINT dpi_;
};

// One line of the window's 8-point text (13 pixels at 96 DPI), in twips.
inline constexpr int kTwipsRiga = 195;

// The window's frame: a fixed caption with the system menu, no sizing border.
inline constexpr DWORD kStileFinestra = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kStileEstesoFinestra = WS_EX_CONTROLPARENT;

// The control of row `indice` of the control table, in pixels in its container's client area.
// Each edge lies at the pixel nearest its place in the window's client area (a frame's client
// area is the whole frame), so controls that meet or end together in twips do so in pixels at
// every DPI.
[[nodiscard]] RECT Rettangolo(std::size_t indice, const Scala& scala) noexcept;

// Sizes `finestra` so that its client area is 5670 x 2040 twips at the scale's DPI, with its top
// left corner at `angolo` (at start; then where WM_DPICHANGED suggests); the result is measured
// and corrected, whatever the frame's metrics.
void Dimensiona(HWND finestra, const Scala& scala, POINT angolo);

// Moves `finestra` to the middle of the work area of the primary monitor.
void Centra(HWND finestra) noexcept;

}  // namespace velmar
