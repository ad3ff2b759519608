// The control table's rows made into windows, and the frames' procedure.
#include "window/controlli_win32.h"

#include <commctrl.h>

#include <string>

#include "store/cp1252.h"
#include "window/disposizione_win32.h"
#include "window/testo_win32.h"

namespace velmar {

namespace {

constexpr wchar_t kClasseCornice[] = L"VelmarCornice";

}  // namespace

bool Cornici::Registra(HINSTANCE istanza) noexcept {
    return FinestraBase::Registra<&Cornici::Gestisci>(istanza, kClasseCornice);
}

std::optional<HWND> Cornici::CreaControllo(std::size_t indice, HWND contenitore,
                                           HINSTANCE istanza) {
    const DefinizioneControllo& c = kControlli[indice];
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
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdControllo(indice))),
                          istanza, c.tipo == TipoControllo::Cornice ? this : nullptr);
    if (!controllo)
        return std::nullopt;
    ::SetWindowPos(controllo, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return controllo;
}

LRESULT Cornici::Gestisci(HWND cornice, UINT messaggio, WPARAM w, LPARAM l) {
    switch (messaggio) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            return ::SendMessageW(::GetAncestor(cornice, GA_ROOT), messaggio, w, l);
        case WM_ERASEBKGND:
            aspetto_.DipingiSfondo(cornice, reinterpret_cast<HDC>(w));
            return 1;
        default:
            return ::DefWindowProcW(cornice, messaggio, w, l);
    }
}

std::optional<HWND> CreaSuggerimenti(HWND finestra, HINSTANCE istanza,
                                     const std::array<HWND, kNumeroControlli>& controlli) {
    const HWND suggerimenti =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, finestra, nullptr, istanza, nullptr);
    if (!suggerimenti)
        return std::nullopt;
    for (const std::size_t riga : {kOk, kAnnulla}) {
        const HWND immagine = controlli[riga];
        std::u16string testo = Utf16Da1252(kControlli[riga].didascalia);
        TTTOOLINFOW strumento{};
        strumento.cbSize = TTTOOLINFOW_V2_SIZE;
        strumento.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        strumento.hwnd = ::GetParent(immagine);
        strumento.uId = reinterpret_cast<UINT_PTR>(immagine);
        strumento.lpszText = reinterpret_cast<wchar_t*>(testo.data());
        if (!::SendMessageW(suggerimenti, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&strumento)))
            return std::nullopt;
    }
    return suggerimenti;
}

}  // namespace velmar
