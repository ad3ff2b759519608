// The code list: the combo whose entries are the codes of the company lines, in file order, each
// drawn with its company's description beside it and one line of the window's font high; its
// list, when dropped down, as wide as its widest entry needs. Each entry's text stays the code
// alone: what the combo's edit field takes when it is chosen, what typing matches and what
// screen readers read.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "store/ditte.h"
#include "window/disposizione_win32.h"

namespace velmar {

class ElencoCodici {
  public:
    // Measures an entry's height: one line of `carattere`. Before the combo is created, which
    // asks for it then.
    void MisuraVoci(HFONT carattere, const Scala& scala);
    // An entry's height, in pixels.
    [[nodiscard]] int AltezzaVoce() const noexcept { return altezzaVoce_; }

    // Places `combo` at `r`: its edit field as high as `r`, its list as high as eight entries.
    void Disponi(HWND combo, const RECT& r) const noexcept;
    // Fills `combo` with the codes of `voci`, in order, with none chosen, keeping each one's
    // description as an entry shows it; then measures them.
    void Carica(HWND combo, const std::vector<VoceDitta>& voci, HFONT carattere,
                const Scala& scala);
    // Measures the entries of `combo` in `carattere`: the codes' column, as wide as the widest
    // code up to its limit, and the width the widest entry needs.
    void Misura(HWND combo, HFONT carattere, const Scala& scala);
    // Just before the list drops down, where `combo` is then: the list as wide as its widest
    // entry (its border and scroll bar added), never narrower than the combo, nor running past
    // the right edge of the work area of the combo's monitor.
    void Allarga(HWND combo, const Scala& scala) const noexcept;
    // Draws an entry: its code and, beside it in the system's dimmer text colour, its
    // description; a chosen entry in the highlight colours.
    void DisegnaVoce(const DRAWITEMSTRUCT& voce, const Scala& scala) const;

    // The code of the entry chosen in `combo`; none when no entry is chosen.
    [[nodiscard]] static std::optional<std::u16string> Scelta(HWND combo);

  private:
    // Each entry's description as drawn, in list order.
    std::vector<std::u16string> descrizioni_;
    // In pixels at the window's DPI: an entry's height, where descriptions start (past the
    // codes' column), how wide the widest entry is.
    int altezzaVoce_ = 0;
    int colonnaCodici_ = 0;
    int larghezzaVoci_ = 0;
};

}  // namespace velmar
