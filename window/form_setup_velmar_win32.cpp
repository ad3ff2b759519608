// The setup window: control table, layout at the window's DPI, painting of the code list and of
// the two images in the package's or the system's colours, event wiring to the store and the
// confirmation.
#include "window/form_setup_velmar_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/dpi_win32.h"
#include "store/conferma.h"
#include "store/cp1252.h"
#include "store/salvataggio.h"
#include "window/attesa_win32.h"
#include "window/immagini.h"
#include "window/risorse.h"
#include "window/tabella_controlli.h"
#include "window/testo_win32.h"

namespace velmar {

namespace {

// --- Look -------------------------------------------------------------------------------------

constexpr wchar_t kClasseFinestra[] = L"FormSetupVelmar";
constexpr wchar_t kClasseCornice[] = L"VelmarCornice";
constexpr COLORREF kColoreSfondo = RGB(237, 239, 243);
constexpr COLORREF kColoreEtichette = RGB(202, 209, 224);
constexpr int kTwipsPerPollice = 1440;
constexpr int kLarghezzaClient = 5670;
constexpr int kAltezzaClient = 2040;
constexpr int kLatoImmagine = 26;  // pixels at 96 DPI
constexpr int kPuntiCarattere = 8;
constexpr int kTwipsRiga = 195;  // one line of 8-point text (13 pixels at 96 DPI)
constexpr int kRigheElenco = 8;  // entries the combo's drop-down shows without scrolling
// In an entry of the code list: the margin before the code, the space between the code and the
// description, the widest column of codes (a longer code pushes its own description on).
constexpr int kTwipsMargineVoce = 30;
constexpr int kTwipsSpazioDescrizione = 180;
constexpr int kTwipsColonnaCodici = 1440;
constexpr DWORD kStileFinestra = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kStileEstesoFinestra = WS_EX_CONTROLPARENT;

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

// The entry of the combo's list at `indice`.
std::u16string VoceElenco(HWND combo, int indice) {
    const LRESULT lunghezza = ::SendMessageW(combo, CB_GETLBTEXTLEN, indice, 0);
    if (lunghezza == CB_ERR)
        return {};
    std::u16string testo(static_cast<std::size_t>(lunghezza) + 1, u'\0');
    const LRESULT letti =
        ::SendMessageW(combo, CB_GETLBTEXT, indice, reinterpret_cast<LPARAM>(testo.data()));
    testo.resize(letti == CB_ERR ? 0 : static_cast<std::size_t>(letti));
    return testo;
}

// A description as an entry of the list shows it: control bytes as visible escapes, a tab as a
// space (an entry is one line).
std::u16string DescrizioneMostrata(std::string_view descrizione) {
    std::u16string testo = Utf16Da1252(TestoVisibile(descrizione));
    std::replace(testo.begin(), testo.end(), u'\t', u' ');
    return testo;
}

int LarghezzaTesto(HDC dc, std::u16string_view testo) noexcept {
    SIZE dimensione{};
    ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(testo.data()),
                            static_cast<int>(testo.size()), &dimensione);
    return dimensione.cx;
}

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

VoceUtente Voce(HWND controllo) {
    return VoceUtente{Cp1252DaUtf16(TestoDi(controllo))};
}

bool Attivo(HWND opzione) noexcept {
    return ::SendMessageW(opzione, BM_GETCHECK, 0, 0) == BST_CHECKED;
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

// --- Creation ---------------------------------------------------------------------------------

FormSetupVelmar::~FormSetupVelmar() {
    if (finestra_)
        ::DestroyWindow(finestra_);
}

bool FormSetupVelmar::Crea(HINSTANCE istanza) noexcept {
    istanza_ = istanza;
    INITCOMMONCONTROLSEX controlliComuni{sizeof(controlliComuni),
                                         ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controlliComuni);

    WNDCLASSEXW classe{};
    classe.cbSize = sizeof(classe);
    classe.hInstance = istanza;
    classe.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    if (!::GetClassInfoExW(istanza, kClasseFinestra, &classe)) {
        classe.lpfnWndProc = Procedura<&FormSetupVelmar::Gestisci>;
        classe.lpszClassName = kClasseFinestra;
        classe.hIcon = ::LoadIconW(istanza, MAKEINTRESOURCEW(IDI_PROGRAMMA));
        if (!::RegisterClassExW(&classe))
            return false;
    }
    if (!::GetClassInfoExW(istanza, kClasseCornice, &classe)) {
        classe.lpfnWndProc = Procedura<&FormSetupVelmar::GestisciCornice>;
        classe.lpszClassName = kClasseCornice;
        classe.hIcon = nullptr;
        if (!::RegisterClassExW(&classe))
            return false;
    }
    const std::u16string titolo = u"Setup Velmar";
    ::CreateWindowExW(kStileEstesoFinestra, kClasseFinestra, W(titolo), kStileFinestra,
                      CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, istanza, this);
    return finestra_ != nullptr;
}

void FormSetupVelmar::Mostra(int comando) noexcept {
    ::ShowWindow(finestra_, comando);
    ::UpdateWindow(finestra_);
}

HWND FormSetupVelmar::Controllo(std::string_view nome) const noexcept {
    const std::optional<std::size_t> i = Indice(nome);
    return i ? controlli_[*i] : nullptr;
}

std::array<FormSetupVelmar::NomeControllo, kNumeroControlli> FormSetupVelmar::Controlli() noexcept {
    std::array<NomeControllo, kNumeroControlli> nomi{};
    for (std::size_t i = 0; i < std::size(kControlli); ++i)
        nomi[i] = {kControlli[i].nome, kControlli[i].contenitore};
    return nomi;
}

bool FormSetupVelmar::OnCreate() {
    dpi_ = DpiFinestra(finestra_);
    CreaColori();
    // The font first: the code list measures its entries with it as it is created.
    CreaRisorseGrafiche();
    if (!CreaControlli())
        return false;
    Disponi();

    // Centred on the screen's work area.
    Dimensiona({0, 0});
    RECT finestra{};
    ::GetWindowRect(finestra_, &finestra);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(finestra_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    ::SetWindowPos(finestra_, nullptr,
                   area.left + (area.right - area.left - (finestra.right - finestra.left)) / 2,
                   area.top + (area.bottom - area.top - (finestra.bottom - finestra.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    CaricaDitte();
    return true;
}

bool FormSetupVelmar::CreaControlli() {
    for (std::size_t i : OrdineCreazione()) {
        const DefinizioneControllo& c = kControlli[i];
        const std::optional<std::size_t> riga = Contenitore(i);
        const HWND contenitore = riga ? controlli_[*riga] : finestra_;
        const wchar_t* classe = L"";
        DWORD stile = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD esteso = 0;
        std::u16string testo = Utf16Da1252(c.didascalia);
        switch (c.tipo) {
            case TipoControllo::Cornice:
                classe = kClasseCornice;
                stile |= WS_CLIPCHILDREN;
                esteso = WS_EX_CONTROLPARENT;
                testo.clear();  // a frame's caption is never shown, nor named to screen readers
                break;
            case TipoControllo::Etichetta:
                // A label two lines high wraps; a one-line label keeps its text on one line.
                classe = WC_STATICW;
                stile |= (c.altezza >= 2 * kTwipsRiga ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX;
                break;
            case TipoControllo::Combo:
                // Drawn by the window, each entry's text kept: the code, which is what the edit
                // field takes, what typing matches and what screen readers read.
                classe = WC_COMBOBOXW;
                stile |= CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS |
                         WS_VSCROLL | WS_TABSTOP | WS_GROUP;
                break;
            case TipoControllo::Testo:
                classe = WC_EDITW;
                stile |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
                esteso = WS_EX_CLIENTEDGE;
                break;
            case TipoControllo::Opzione:
                // The first option button of its frame opens the group of the two.
                classe = WC_BUTTONW;
                stile |= BS_AUTORADIOBUTTON | WS_TABSTOP;
                if (!::GetWindow(contenitore, GW_CHILD))
                    stile |= WS_GROUP;
                break;
            case TipoControllo::Immagine:
                classe = WC_BUTTONW;
                stile |= BS_OWNERDRAW | WS_TABSTOP | WS_GROUP;
                break;
        }
        const HWND controllo =
            ::CreateWindowExW(esteso, classe, W(testo), stile, 0, 0, 0, 0, contenitore,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdControllo(i))),
                              istanza_, c.tipo == TipoControllo::Cornice ? this : nullptr);
        if (!controllo)
            return false;
        // Siblings stack in creation order, the first on top.
        ::SetWindowPos(controllo, HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        controlli_[i] = controllo;
    }

    suggerimenti_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, finestra_, nullptr, istanza_, nullptr);
    if (!suggerimenti_)
        return false;
    for (std::size_t i : {kOk, kAnnulla}) {
        std::u16string testo = Utf16Da1252(kControlli[i].didascalia);
        TTTOOLINFOW strumento{};
        strumento.cbSize = TTTOOLINFOW_V2_SIZE;
        strumento.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        strumento.hwnd = ::GetParent(controlli_[i]);
        strumento.uId = reinterpret_cast<UINT_PTR>(controlli_[i]);
        strumento.lpszText = reinterpret_cast<wchar_t*>(testo.data());
        if (!::SendMessageW(suggerimenti_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&strumento))) {
            return false;
        }
    }
    return true;
}

// --- Layout at the window's DPI ---------------------------------------------------------------

int FormSetupVelmar::Pixel(int twips) const noexcept {
    return ::MulDiv(twips, static_cast<int>(dpi_), kTwipsPerPollice);
}

void FormSetupVelmar::CreaRisorseGrafiche() {
    // The dialogs' typeface, at the package's size; where the system tells none, the typeface
    // it chooses for a font of that size.
    const Risultato<LOGFONTW> messaggi = CarattereMessaggiPerDpi(dpi_);
    LOGFONTW carattere = messaggi ? *messaggi : LOGFONTW{};
    carattere.lfHeight = -::MulDiv(kPuntiCarattere, static_cast<int>(dpi_), 72);
    carattere.lfWidth = 0;
    carattere_.reset(::CreateFontIndirectW(&carattere));
    {
        // An entry of the code list is one line of the font high.
        const unique_hdc_schermo dc(::GetDC(nullptr));
        const Selezione selezione(dc.get(), carattere_.get());
        TEXTMETRICW metriche{};
        altezzaVoce_ =
            ::GetTextMetricsW(dc.get(), &metriche) ? metriche.tmHeight : Pixel(kTwipsRiga);
    }

    CreaImmagini();

    auto icona = [&](int metricaX, int metricaY) {
        return unique_hicon(static_cast<HICON>(::LoadImageW(
            istanza_, MAKEINTRESOURCEW(IDI_PROGRAMMA), IMAGE_ICON,
            MetricaSistemaPerDpi(metricaX, dpi_), MetricaSistemaPerDpi(metricaY, dpi_), 0)));
    };
    // The window lets go of the old icons before they are destroyed.
    unique_hicon grande = icona(SM_CXICON, SM_CYICON);
    unique_hicon piccola = icona(SM_CXSMICON, SM_CYSMICON);
    ::SendMessageW(finestra_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(grande.get()));
    ::SendMessageW(finestra_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(piccola.get()));
    iconaGrande_ = std::move(grande);
    iconaPiccola_ = std::move(piccola);
}

// The two images at the window's DPI; under high contrast their ring takes the text colour.
void FormSetupVelmar::CreaImmagini() {
    const int lato = ::MulDiv(kLatoImmagine, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
    const std::optional<std::uint32_t> bordo =
        colori_.contrastoElevato ? std::optional(Rgb(colori_.testo)) : std::nullopt;
    immagineOk_ = Bitmap(Immagine::Ok, lato, bordo);
    immagineAnnulla_ = Bitmap(Immagine::Annulla, lato, bordo);
}

// The package's colours, or the system's under high contrast, and their brushes.
void FormSetupVelmar::CreaColori() {
    colori_ = {false, kColoreSfondo, kColoreEtichette, 0};
    if (ContrastoElevatoAttivo()) {
        const COLORREF faccia = ::GetSysColor(COLOR_BTNFACE);
        colori_ = {true, faccia, faccia, ::GetSysColor(COLOR_BTNTEXT)};
    }
    pennelloSfondo_.reset(::CreateSolidBrush(colori_.sfondo));
    pennelloEtichette_.reset(::CreateSolidBrush(colori_.etichette));
}

// Control `indice` in pixels in its container's client area. Each edge lies at the pixel nearest
// its place in the window's client area (a frame's client area is the whole frame), so controls
// that meet or end together in twips do so in pixels at every DPI.
RECT FormSetupVelmar::Rettangolo(std::size_t indice) const noexcept {
    const DefinizioneControllo& c = kControlli[indice];
    int x = 0;  // the container's place in the window's client area, in twips
    int y = 0;
    for (std::optional<std::size_t> j = Contenitore(indice); j; j = Contenitore(*j)) {
        x += kControlli[*j].sinistra;
        y += kControlli[*j].alto;
    }
    return {Pixel(x + c.sinistra) - Pixel(x), Pixel(y + c.alto) - Pixel(y),
            Pixel(x + c.sinistra + c.larghezza) - Pixel(x),
            Pixel(y + c.alto + c.altezza) - Pixel(y)};
}

void FormSetupVelmar::Disponi() {
    const auto font = reinterpret_cast<WPARAM>(carattere_.get());
    for (std::size_t i = 0; i < std::size(kControlli); ++i) {
        const HWND h = controlli_[i];
        const RECT r = Rettangolo(i);
        ::SendMessageW(h, WM_SETFONT, font, FALSE);
        if (kControlli[i].tipo != TipoControllo::Combo) {
            ::SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            continue;
        }
        // A drop-down combo's window height is that of its open list; its edit field is as
        // high as its item height plus borders, which differ with the visual style.
        const int altezza = r.bottom - r.top;
        ::SendMessageW(h, CB_SETITEMHEIGHT, 0, altezzaVoce_);
        ::SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left,
                       altezza + kRigheElenco * altezzaVoce_, SWP_NOZORDER | SWP_NOACTIVATE);
        constexpr int kBordiCombo = 6;  // classic style; corrected below when they differ
        int campo = altezza - kBordiCombo;
        for (int tentativo = 0; tentativo < 2; ++tentativo) {
            ::SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), campo);
            RECT r{};
            ::GetWindowRect(h, &r);
            const int scarto = altezza - (r.bottom - r.top);
            if (scarto == 0)
                break;
            campo += scarto;
        }
    }
    ::SendMessageW(suggerimenti_, WM_SETFONT, font, FALSE);
    MisuraElenco();
    ::RedrawWindow(finestra_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The codes' column: as wide as the widest code, up to its limit, and the space after it; and
// the width the widest entry needs, margins included.
void FormSetupVelmar::MisuraElenco() {
    const HWND combo = controlli_[kCombo];
    const unique_hdc_schermo dc(::GetDC(nullptr));
    const Selezione selezione(dc.get(), carattere_.get());
    const auto voci =
        static_cast<std::size_t>(std::max<LRESULT>(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 0));
    std::vector<int> codici(voci);
    int colonna = 0;
    for (std::size_t i = 0; i < voci; ++i) {
        codici[i] = LarghezzaTesto(dc.get(), VoceElenco(combo, static_cast<int>(i)));
        colonna = std::max(colonna, codici[i]);
    }
    const int spazio = Pixel(kTwipsSpazioDescrizione);
    colonnaCodici_ = std::min(colonna, Pixel(kTwipsColonnaCodici)) + spazio;
    int larghezza = 0;
    for (std::size_t i = 0; i < voci; ++i) {
        int voce = codici[i];
        if (i < descrizioni_.size() && !descrizioni_[i].empty()) {
            voce = std::max(colonnaCodici_, codici[i] + spazio) +
                   LarghezzaTesto(dc.get(), descrizioni_[i]);
        }
        larghezza = std::max(larghezza, voce);
    }
    larghezzaVoci_ = 2 * Pixel(kTwipsMargineVoce) + larghezza;
}

// Just before the list drops down, where the combo is then: as wide as its widest entry (its
// border and scroll bar added), never narrower than the combo, nor running past the right edge
// of the work area of the combo's monitor.
void FormSetupVelmar::AllargaElenco() const noexcept {
    const HWND combo = controlli_[kCombo];
    RECT r{};
    ::GetWindowRect(combo, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST), &monitor);
    const int scorrimento = ::SendMessageW(combo, CB_GETCOUNT, 0, 0) > kRigheElenco
                                ? MetricaSistemaPerDpi(SM_CXVSCROLL, dpi_)
                                : 0;
    const int voluta = larghezzaVoci_ + 2 * MetricaSistemaPerDpi(SM_CXBORDER, dpi_) + scorrimento;
    const int minima = r.right - r.left;
    const int massima = std::max(
        minima, static_cast<int>(monitor.rcWork.right - std::max(r.left, monitor.rcWork.left)));
    ::SendMessageW(combo, CB_SETDROPPEDWIDTH, std::clamp(voluta, minima, massima), 0);
}

// Sizes the window so that its client area is 5670 x 2040 twips at its DPI, with its top left
// corner at `angolo`; the result is measured and corrected, whatever the frame's metrics.
void FormSetupVelmar::Dimensiona(POINT angolo) {
    const int larghezza = Pixel(kLarghezzaClient);
    const int altezza = Pixel(kAltezzaClient);
    const RECT voluto{0, 0, larghezza, altezza};
    // Where the system tells no frame, the client area's size, corrected below.
    const Risultato<RECT> finestra =
        RettangoloFinestraPerDpi(voluto, kStileFinestra, kStileEstesoFinestra, dpi_);
    const RECT r = finestra ? *finestra : voluto;
    SIZE dimensione{r.right - r.left, r.bottom - r.top};
    ::SetWindowPos(finestra_, nullptr, angolo.x, angolo.y, dimensione.cx, dimensione.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(finestra_, &client);
    if (client.right != larghezza || client.bottom != altezza) {
        dimensione.cx += larghezza - client.right;
        dimensione.cy += altezza - client.bottom;
        ::SetWindowPos(finestra_, nullptr, 0, 0, dimensione.cx, dimensione.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FormSetupVelmar::OnDpiChanged(UINT dpi, const RECT& suggerito) {
    dpi_ = dpi;
    const unique_hfont vecchio = std::move(carattere_);  // in use until Disponi replaces it
    CreaRisorseGrafiche();
    Disponi();
    Dimensiona({suggerito.left, suggerito.top});
}

// The system's colours changed: the controls are told, as Windows expects of a top-level window,
// and the window's own colours follow.
void FormSetupVelmar::OnSysColorChange() {
    for (const HWND h : controlli_)
        ::SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
    AggiornaColori();
}

// A setting changed, high contrast among them.
void FormSetupVelmar::OnSettingChange() {
    AggiornaColori();
}

// High contrast turned on or off, or its colours changed: the face's colours and the images are
// made again and everything is painted anew.
void FormSetupVelmar::AggiornaColori() {
    const Colori prima = colori_;
    CreaColori();
    if (colori_ == prima)
        return;
    CreaImmagini();
    ::RedrawWindow(finestra_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// --- Painting ---------------------------------------------------------------------------------

void FormSetupVelmar::OnEraseBkgnd(HWND finestra, HDC dc) const noexcept {
    RECT r;
    ::GetClientRect(finestra, &r);
    ::FillRect(dc, &r, pennelloSfondo_.get());
}

LRESULT FormSetupVelmar::OnCtlColorStatic(HDC dc, HWND controllo) noexcept {
    const bool etichetta =
        std::any_of(std::begin(kControlli), std::end(kControlli), [&](const auto& c) {
            return c.tipo == TipoControllo::Etichetta && controlli_[&c - kControlli] == controllo;
        });
    ::SetBkColor(dc, etichetta ? colori_.etichette : colori_.sfondo);
    if (colori_.contrastoElevato)
        ::SetTextColor(dc, colori_.testo);
    return reinterpret_cast<LRESULT>(etichetta ? pennelloEtichette_.get() : pennelloSfondo_.get());
}

// Every entry of the code list is one line of the window's font high.
void FormSetupVelmar::OnMeasureItem(MEASUREITEMSTRUCT& voce) const noexcept {
    if (voce.CtlType == ODT_COMBOBOX)
        voce.itemHeight = static_cast<UINT>(altezzaVoce_);
}

void FormSetupVelmar::OnDrawItem(const DRAWITEMSTRUCT& voce) {
    if (voce.CtlType == ODT_COMBOBOX) {
        DisegnaVoce(voce);
    } else {
        DisegnaPulsante(voce);
    }
}

// An entry of the code list: its code and, beside it in the system's dimmer text colour, the
// description of its line; a selected entry in the highlight colours.
void FormSetupVelmar::DisegnaVoce(const DRAWITEMSTRUCT& voce) const {
    const bool scelta = voce.itemState & ODS_SELECTED;
    ::FillRect(voce.hDC, &voce.rcItem, ::GetSysColorBrush(scelta ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (voce.itemID != static_cast<UINT>(-1)) {
        const auto indice = static_cast<std::size_t>(voce.itemID);
        const std::u16string codice = VoceElenco(voce.hwndItem, static_cast<int>(indice));
        RECT r = voce.rcItem;
        r.left += Pixel(kTwipsMargineVoce);
        constexpr UINT kFormato = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        {
            const ColoreTesto colore(
                voce.hDC, ::GetSysColor(scelta ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            ::DrawTextW(voce.hDC, W(codice), static_cast<int>(codice.size()), &r, kFormato);
        }
        if (indice < descrizioni_.size() && !descrizioni_[indice].empty()) {
            r.left += std::max(colonnaCodici_,
                               LarghezzaTesto(voce.hDC, codice) + Pixel(kTwipsSpazioDescrizione));
            const ColoreTesto colore(voce.hDC,
                                     ::GetSysColor(scelta ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
            ::DrawTextW(voce.hDC, W(descrizioni_[indice]),
                        static_cast<int>(descrizioni_[indice].size()), &r, kFormato);
        }
    }
    if ((voce.itemState & ODS_FOCUS) && !(voce.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(voce.hDC, &voce.rcItem);
}

// An image centred across the control's width, as far from the top as from the sides, over the
// window's background; pressed, it moves by one pixel; focused, it is framed.
void FormSetupVelmar::DisegnaPulsante(const DRAWITEMSTRUCT& voce) const noexcept {
    const HBITMAP bitmap =
        voce.hwndItem == controlli_[kOk] ? immagineOk_.get() : immagineAnnulla_.get();
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

// --- Events -----------------------------------------------------------------------------------

void FormSetupVelmar::OnActivate(bool attiva) noexcept {
    if (!attiva) {
        const HWND fuoco = ::GetFocus();
        if (fuoco && ::IsChild(finestra_, fuoco))
            ultimoFuoco_ = fuoco;
        return;
    }
    if (!ultimoFuoco_ || !::IsWindow(ultimoFuoco_)) {
        ultimoFuoco_ = ::GetNextDlgTabItem(finestra_, nullptr, FALSE);
    }
    ::SetFocus(ultimoFuoco_);
}

// While the wait cursor is shown, it is the cursor everywhere over the window.
bool FormSetupVelmar::OnSetCursor() const noexcept {
    if (!inAttesa_)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void FormSetupVelmar::OnClose() noexcept {
    // Not while a save runs, however the close was asked for.
    if (!inAttesa_)
        Termina();
}

void FormSetupVelmar::OnNcCreate(HWND finestra) noexcept {
    finestra_ = finestra;
}

void FormSetupVelmar::OnDestroy() noexcept {
    ::PostQuitMessage(0);
}

void FormSetupVelmar::OnNcDestroy() noexcept {
    finestra_ = nullptr;
    controlli_.fill(nullptr);
    suggerimenti_ = nullptr;
    ultimoFuoco_ = nullptr;
}

void FormSetupVelmar::OnCommand(int id, int codice, HWND controllo) {
    if (inAttesa_)
        return;
    if (id == IdControllo(kCombo)) {
        if (codice == CBN_DROPDOWN) {
            AllargaElenco();
        } else if (codice == CBN_EDITCHANGE) {
            CercaDitta(TestoDi(controllo));
        } else if (codice == CBN_SELCHANGE) {
            // The edit field still shows the old text: the chosen entry is the new code.
            const auto scelta = static_cast<int>(::SendMessageW(controllo, CB_GETCURSEL, 0, 0));
            CercaDitta(scelta == CB_ERR ? TestoDi(controllo) : VoceElenco(controllo, scelta));
        }
    } else if (id == IdControllo(kOk) && codice == BN_CLICKED) {
        Conferma();
    } else if (id == IdControllo(kAnnulla) && codice == BN_CLICKED) {
        Termina();
    } else if (id == IDCANCEL) {
        // Escape, through the dialog manager.
        Termina();
    } else if (id == IDOK) {
        // Enter, through the dialog manager: a focused image acts as if clicked.
        const HWND fuoco = ::GetFocus();
        if (fuoco == controlli_[kOk]) {
            Conferma();
        } else if (fuoco == controlli_[kAnnulla]) {
            Termina();
        }
    }
}

// The codes and their descriptions in one pass over the file.
void FormSetupVelmar::CaricaDitte() {
    const HWND combo = controlli_[kCombo];
    // A file that cannot be read lists no codes, as a missing one; a save refuses it.
    const Risultato<std::vector<VoceDitta>> voci = archivio_.LeggiElenco();
    descrizioni_.clear();
    if (voci) {
        descrizioni_.reserve(voci->size());
        for (const VoceDitta& voce : *voci) {
            const std::u16string codice = Utf16Da1252(voce.codice);
            const LRESULT aggiunta =
                ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(codice)));
            if (aggiunta != CB_ERR && aggiunta != CB_ERRSPACE)
                descrizioni_.push_back(DescrizioneMostrata(voce.descrizione));
        }
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    MisuraElenco();
}

// A code with a character Windows-1252 lacks is in no line of the file, and a file that cannot
// be read finds nothing: the fields are cleared.
void FormSetupVelmar::CercaDitta(std::u16string_view codice) {
    const std::optional<std::string> codice1252 = Cp1252DaUtf16(codice);
    RisultatoRicerca r;
    if (codice1252) {
        if (Risultato<RisultatoRicerca> trovata = archivio_.CercaDitta(*codice1252))
            r = *std::move(trovata);
    }
    const std::u16string descrizione = Utf16Da1252(r.descrizione);
    const std::u16string macchina = Utf16Da1252(r.macchina);
    ::SetWindowTextW(controlli_[kDescrizione], W(descrizione));
    ::SetWindowTextW(controlli_[kMacchina], W(macchina));
    ::SendMessageW(controlli_[kOpzioneNT], BM_SETCHECK,
                   r.server == TipoServer::NT ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(controlli_[kOpzioneLinux], BM_SETCHECK,
                   r.server == TipoServer::Linux ? BST_CHECKED : BST_UNCHECKED, 0);
}

void FormSetupVelmar::Avvisa(std::string_view testo1252) {
    interfaccia_.Messaggio(finestra_, Utf16Da1252(testo1252));
}

void FormSetupVelmar::Conferma() {
    VociUtente voci;
    voci.codice = Voce(controlli_[kCombo]);
    voci.descrizione = Voce(controlli_[kDescrizione]);
    voci.macchina = Voce(controlli_[kMacchina]);
    voci.server = Attivo(controlli_[kOpzioneNT])      ? TipoServer::NT
                  : Attivo(controlli_[kOpzioneLinux]) ? TipoServer::Linux
                                                      : TipoServer::Nessuno;
    stato_ = CopiaVoci(voci);
    if (const Esito valide = ValidaVoci(voci); !valide) {
        Avvisa(valide.Errore().testo);
        return;
    }

    // The save may wait for another one on the same package: the component and the registry
    // are asked here, the files are written on another thread.
    const Salvataggio salva = archivio_.PreparaScrittura(stato_);
    std::optional<RisultatoModifica> esito;
    {
        const Attesa attesa(inAttesa_);
        EseguiSenzaBloccare([&] { esito.emplace(salva()); });
    }
    const RisultatoModifica& salvataggio = *esito;
    if (!salvataggio) {
        Avvisa(salvataggio.Errore().testo);
        // Without an area folder the program ends; any other refusal leaves the window open.
        if (salvataggio.Errore().tipo == TipoErrore::NessunaArea)
            Termina();
        return;
    }
    Avvisa(salvataggio->messaggio);
    // A save that did not update every file leaves the window open to retry or cancel.
    if (salvataggio->Completo())
        Termina();
}

// --- Message switches -------------------------------------------------------------------------

LRESULT FormSetupVelmar::Gestisci(HWND finestra, UINT messaggio, WPARAM w, LPARAM l) {
    switch (messaggio) {
        case WM_NCCREATE:
            OnNcCreate(finestra);
            break;
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_COMMAND:
            OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_MEASUREITEM:
            OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(l));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(w), *reinterpret_cast<const RECT*>(l));
            return 0;
        case WM_SYSCOLORCHANGE:
            OnSysColorChange();
            return 0;
        case WM_SETTINGCHANGE:
            OnSettingChange();
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor())
                return TRUE;
            break;
        case WM_ACTIVATE:
            OnActivate(LOWORD(w) != WA_INACTIVE);
            return 0;
        case WM_ERASEBKGND:
            OnEraseBkgnd(finestra, reinterpret_cast<HDC>(w));
            return 1;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(finestra, messaggio, w, l);
}

// Frames only group: they paint the window's background and pass their children's
// notifications on to the window.
LRESULT FormSetupVelmar::GestisciCornice(HWND cornice, UINT messaggio, WPARAM w, LPARAM l) {
    if (finestra_) {
        switch (messaggio) {
            case WM_COMMAND:
            case WM_NOTIFY:
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_MEASUREITEM:
            case WM_DRAWITEM:
                return ::SendMessageW(finestra_, messaggio, w, l);
            case WM_ERASEBKGND:
                OnEraseBkgnd(cornice, reinterpret_cast<HDC>(w));
                return 1;
            default:
                break;
        }
    }
    return ::DefWindowProcW(cornice, messaggio, w, l);
}

}  // namespace velmar
