// The window's colours, font, images and icon, and its own painting.
#include "window/aspetto_win32.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/dpi_win32.h"
#include "store/risultato.h"
#include "window/disegno_win32.h"
#include "window/risorse.h"

namespace velmar {

namespace {

constexpr COLORREF kColoreSfondo = RGB(237, 239, 243);
constexpr COLORREF kColoreEtichette = RGB(202, 209, 224);
constexpr int kPuntiCarattere = 8;
constexpr int kLatoImmagine = 26;  // pixels at 96 DPI

ContrastoElevato contrastoImposto = ContrastoElevato::DelSistema;

bool ContrastoElevatoAttivo() noexcept {
    if (contrastoImposto != ContrastoElevato::DelSistema)
        return contrastoImposto == ContrastoElevato::Attivo;
    HIGHCONTRASTW contrasto{};
    contrasto.cbSize = sizeof(contrasto);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrasto), &contrasto, 0) &&
           (contrasto.dwFlags & HCF_HIGHCONTRASTON);
}

// 0x00BBGGRR as 0xRRGGBB.
std::uint32_t Rgb(COLORREF c) noexcept {
    return std::uint32_t{GetRValue(c)} << 16 | std::uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

// A 32-bit top-down DIB section holding premultiplied pixels, for AlphaBlend.
unique_hbitmap Bitmap(Immagine immagine, int lato, std::optional<std::uint32_t> bordo) {
    const std::vector<std::uint32_t> pixel = DisegnaImmagine(immagine, lato, bordo);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = lato;
    info.bmiHeader.biHeight = -lato;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits)
        std::copy(pixel.begin(), pixel.end(), static_cast<std::uint32_t*>(bits));
    return bitmap;
}

}  // namespace

void ImponiContrastoElevato(ContrastoElevato contrasto) noexcept {
    contrastoImposto = contrasto;
}

bool Aspetto::CreaColori() {
    const Colori prima = colori_;
    colori_ = {false, kColoreSfondo, kColoreEtichette, 0};
    if (ContrastoElevatoAttivo()) {
        const COLORREF faccia = ::GetSysColor(COLOR_BTNFACE);
        colori_ = {true, faccia, faccia, ::GetSysColor(COLOR_BTNTEXT)};
    }
    pennelloSfondo_.reset(::CreateSolidBrush(colori_.sfondo));
    pennelloEtichette_.reset(::CreateSolidBrush(colori_.etichette));
    return !(colori_ == prima);
}

unique_hfont Aspetto::CreaCarattere(const Scala& scala) {
    // Where the system tells no typeface, the one it chooses for a font of that size.
    const Risultato<LOGFONTW> messaggi = CarattereMessaggiPerDpi(scala.Dpi());
    LOGFONTW carattere = messaggi ? *messaggi : LOGFONTW{};
    carattere.lfHeight = -scala.Pixel(kPuntiCarattere, Unita::Punto);
    carattere.lfWidth = 0;
    unique_hfont vecchio = std::move(carattere_);
    carattere_.reset(::CreateFontIndirectW(&carattere));
    return vecchio;
}

void Aspetto::CreaImmagini(const Scala& scala) {
    const int lato = scala.Pixel(kLatoImmagine, Unita::Pixel96);
    const std::optional<std::uint32_t> bordo =
        colori_.contrastoElevato ? std::optional(Rgb(colori_.testo)) : std::nullopt;
    immagineOk_ = Bitmap(Immagine::Ok, lato, bordo);
    immagineAnnulla_ = Bitmap(Immagine::Annulla, lato, bordo);
}

void Aspetto::CreaIcone(HINSTANCE istanza, HWND finestra, const Scala& scala) {
    auto icona = [&](int metricaX, int metricaY) {
        return unique_hicon(
            static_cast<HICON>(::LoadImageW(istanza, MAKEINTRESOURCEW(IDI_PROGRAMMA), IMAGE_ICON,
                                            MetricaSistemaPerDpi(metricaX, scala.Dpi()),
                                            MetricaSistemaPerDpi(metricaY, scala.Dpi()), 0)));
    };
    // The window lets go of the old icons before they are destroyed.
    unique_hicon grande = icona(SM_CXICON, SM_CYICON);
    unique_hicon piccola = icona(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(finestra, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(grande.get()));
    ::SendMessageW(finestra, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(piccola.get()));
    iconaGrande_ = std::move(grande);
    iconaPiccola_ = std::move(piccola);
}

void Aspetto::DipingiSfondo(HWND finestra, HDC dc) const noexcept {
    RECT r;
    ::GetClientRect(finestra, &r);
    ::FillRect(dc, &r, pennelloSfondo_.get());
}

HBRUSH Aspetto::ColoraStatico(HDC dc, bool etichetta) const noexcept {
    ::SetBkColor(dc, etichetta ? colori_.etichette : colori_.sfondo);
    if (colori_.contrastoElevato)
        ::SetTextColor(dc, colori_.testo);
    return etichetta ? pennelloEtichette_.get() : pennelloSfondo_.get();
}

void Aspetto::DisegnaPulsante(const DRAWITEMSTRUCT& voce, Immagine immagine) const noexcept {
    const HBITMAP bitmap = immagine == Immagine::Ok ? immagineOk_.get() : immagineAnnulla_.get();
    ::FillRect(voce.hDC, &voce.rcItem, pennelloSfondo_.get());
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info))
        return;
    const int lato = info.bmWidth;
    const int margine =
        std::max(0, static_cast<int>(voce.rcItem.right - voce.rcItem.left - lato) / 2);
    const int spinto = (voce.itemState & ODS_SELECTED) ? 1 : 0;
    const int x = voce.rcItem.left + margine + spinto;
    const int y = voce.rcItem.top + margine + spinto;

    unique_hdc memoria(::CreateCompatibleDC(voce.hDC));
    if (!memoria)
        return;
    {
        Selezione selezione(memoria.get(), bitmap);
        const BLENDFUNCTION fusione{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(voce.hDC, x, y, lato, lato, memoria.get(), 0, 0, lato, lato, fusione);
    }
    if ((voce.itemState & ODS_FOCUS) && !(voce.itemState & ODS_NOFOCUSRECT)) {
        RECT cornice{x - 1, y - 1, x + lato + 1, y + lato + 1};
        ::DrawFocusRect(voce.hDC, &cornice);
    }
}

}  // namespace velmar
