// Device-context settings held for one scope (an object selected, a text colour), and a text's
// width, for the window's painting and measuring.
#pragma once

#include <windows.h>

#include <string_view>

namespace velmar {

// Selects an object into a device context for one scope.
class Selezione {
  public:
    Selezione(HDC dc, HGDIOBJ oggetto) noexcept : dc_(dc), vecchio_(::SelectObject(dc, oggetto)) {}
    Selezione(const Selezione&) = delete;
    Selezione& operator=(const Selezione&) = delete;
    ~Selezione() { ::SelectObject(dc_, vecchio_); }

  private:
    HDC dc_;
    HGDIOBJ vecchio_;
};

// Sets the text colour and background mode of a device context for one scope.
class ColoreTesto {
  public:
    ColoreTesto(HDC dc, COLORREF colore) noexcept
        : dc_(dc), vecchio_(::SetTextColor(dc, colore)), modo_(::SetBkMode(dc, TRANSPARENT)) {}
    ColoreTesto(const ColoreTesto&) = delete;
    ColoreTesto& operator=(const ColoreTesto&) = delete;
    ~ColoreTesto() {
        ::SetBkMode(dc_, modo_);
        ::SetTextColor(dc_, vecchio_);
    }

  private:
    HDC dc_;
    COLORREF vecchio_;
    int modo_;
};

// How wide `testo` is in the font selected into `dc`, in pixels.
[[nodiscard]] inline int LarghezzaTesto(HDC dc, std::u16string_view testo) noexcept {
    SIZE dimensione{};
    ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(testo.data()),
                            static_cast<int>(testo.size()), &dimensione);
    return dimensione.cx;
}

}  // namespace velmar
