// The rows of the control table as Windows controls: each kind's window class and styles, the
// frames that group them, and the tooltips of the two images.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>

#include "window/aspetto_win32.h"
#include "window/finestra_base_win32.h"
#include "window/interfaccia_win32.h"
#include "window/tabella_controlli.h"

namespace velmar {

// The frames: panels that only group. They paint the window's background and pass their
// children's notifications on to the top-level window.
class Cornici : public FinestraBase<Cornici> {
  public:
    Cornici(Interfaccia& interfaccia, const Aspetto& aspetto) noexcept
        : FinestraBase(interfaccia), aspetto_(aspetto) {}

    // Registers the frames' window class in `istanza`, unless it is registered already. False
    // when it cannot be registered.
    [[nodiscard]] static bool Registra(HINSTANCE istanza) noexcept;

    // Creates the control of row `indice` in `contenitore`, below its siblings created before it
    // (siblings stack in creation order, the first on top); a frame is handled by this object.
    // None when Windows creates no window.
    [[nodiscard]] std::optional<HWND> CreaControllo(std::size_t indice, HWND contenitore,
                                                    HINSTANCE istanza);

  private:
    LRESULT Gestisci(HWND cornice, UINT messaggio, WPARAM w, LPARAM l);

    const Aspetto& aspetto_;
};

// Creates the tooltip window of `finestra` that names the OK and cancel images among `controlli`
// (the control table's windows, by row) with their captions. None when it cannot be created or
// given both images.
[[nodiscard]] std::optional<HWND> CreaSuggerimenti(
    HWND finestra, HINSTANCE istanza, const std::array<HWND, kNumeroControlli>& controlli);

}  // namespace velmar
