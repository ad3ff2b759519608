// The window's look: the colours of its face (the package's own, or the system's under high
// contrast, which then also colour the text of labels and option buttons) and their brushes, its
// font, its two images and its icon, each made at the window's DPI; and what the window paints
// itself: its background and its frames', the colours of labels and option buttons, the images.
#pragma once

#include <windows.h>

#include "platform/handles_win32.h"
#include "window/disposizione_win32.h"
#include "window/immagini.h"

namespace velmar {

// Whether the window follows the system's high-contrast setting (always, in the program) or, set
// only by tests where the system cannot turn the setting on, acts as if it were on or off. Read
// when the window is created and whenever the system's colours or settings change.
enum class ContrastoElevato { DelSistema, Attivo, Spento };
void ImponiContrastoElevato(ContrastoElevato contrasto) noexcept;

class Aspetto {
  public:
    // Takes the colours anew, the package's or under high contrast the system's, and makes their
    // brushes. True when the colours differ from those taken before.
    bool CreaColori();
    // The window's font: the dialogs' typeface at the package's size (8 points) at the scale's
    // DPI. Returns the font it replaces, which the controls use until they are given the new one.
    [[nodiscard]] unique_hfont CreaCarattere(const Scala& scala);
    [[nodiscard]] HFONT Carattere() const noexcept { return carattere_.get(); }
    // The two images at the scale's DPI; under high contrast their ring takes the text colour.
    void CreaImmagini(const Scala& scala);
    // The program's icon, large and small, at the scale's DPI, given to `finestra`.
    void CreaIcone(HINSTANCE istanza, HWND finestra, const Scala& scala);

    // Paints the client area of `finestra` (the window or a frame) in the background colour.
    void DipingiSfondo(HWND finestra, HDC dc) const noexcept;
    // Sets `dc` up for a label (`etichetta`) or an option button and returns the brush of its
    // background.
    [[nodiscard]] HBRUSH ColoraStatico(HDC dc, bool etichetta) const noexcept;
    // An image button: `immagine` centred across the control's width, as far from the top as from
    // the sides, over the window's background; pressed, it moves by one pixel; focused, it is
    // framed.
    void DisegnaPulsante(const DRAWITEMSTRUCT& voce, Immagine immagine) const noexcept;

  private:
    struct Colori {
        bool contrastoElevato = false;
        COLORREF sfondo = 0;
        COLORREF etichette = 0;
        COLORREF testo = 0;
        bool operator==(const Colori&) const = default;
    };

    Colori colori_;
    unique_hbrush pennelloSfondo_;
    unique_hbrush pennelloEtichette_;
    unique_hfont carattere_;
    unique_hbitmap immagineOk_;
    unique_hbitmap immagineAnnulla_;
    unique_hicon iconaGrande_;
    unique_hicon iconaPiccola_;
};

}  // namespace velmar
