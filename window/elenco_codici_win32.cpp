// The code list's entries: loaded, measured, drawn, and its dropped list widened.
#include "window/elenco_codici_win32.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "platform/dpi_win32.h"
#include "platform/handles_win32.h"
#include "store/cp1252.h"
#include "window/disegno_win32.h"
#include "window/testo_win32.h"

namespace velmar {

namespace {

constexpr int kRigheElenco = 8;  // entries the combo's drop-down shows without scrolling
// In an entry: the margin before the code, the space between the code and the description, the
// widest column of codes (a longer code pushes its own description on).
constexpr int kTwipsMargineVoce = 30;
constexpr int kTwipsSpazioDescrizione = 180;
constexpr int kTwipsColonnaCodici = 1440;

// The text of the entry of `combo` at `indice`; none when the combo gives none.
std::optional<std::u16string> TestoVoce(HWND combo, int indice) {
    const LRESULT lunghezza = ::SendMessageW(combo, CB_GETLBTEXTLEN, indice, 0);
    if (lunghezza == CB_ERR)
        return std::nullopt;
    std::u16string testo(static_cast<std::size_t>(lunghezza) + 1, u'\0');
    const LRESULT letti =
        ::SendMessageW(combo, CB_GETLBTEXT, indice, reinterpret_cast<LPARAM>(testo.data()));
    if (letti == CB_ERR)
        return std::nullopt;
    testo.resize(static_cast<std::size_t>(letti));
    return testo;
}

// The code of an entry as it is measured and drawn: nothing for one the combo gives none of.
std::u16string CodiceVoce(HWND combo, int indice) {
    return TestoVoce(combo, indice).value_or(std::u16string());
}

// A description as an entry shows it: control bytes as visible escapes, a tab as a space (an
// entry is one line).
std::u16string DescrizioneMostrata(std::string_view descrizione) {
    std::u16string testo = Utf16Da1252(TestoVisibile(descrizione));
    std::replace(testo.begin(), testo.end(), u'\t', u' ');
    return testo;
}

}  // namespace

void ElencoCodici::MisuraVoci(HFONT carattere, const Scala& scala) {
    const unique_hdc_schermo dc(::GetDC(nullptr));
    const Selezione selezione(dc.get(), carattere);
    TEXTMETRICW metriche{};
    altezzaVoce_ =
        ::GetTextMetricsW(dc.get(), &metriche) ? metriche.tmHeight : scala.Pixel(kTwipsRiga);
}

void ElencoCodici::Disponi(HWND combo, const RECT& r) const noexcept {
    // A drop-down combo's window height is that of its open list; its edit field is as high as
    // its item height plus borders, which differ with the visual style.
    const int altezza = r.bottom - r.top;
    ::SendMessageW(combo, CB_SETITEMHEIGHT, 0, altezzaVoce_);
    ::SetWindowPos(combo, nullptr, r.left, r.top, r.right - r.left,
                   altezza + kRigheElenco * altezzaVoce_, SWP_NOZORDER | SWP_NOACTIVATE);
    constexpr int kBordiCombo = 6;  // classic style; corrected below when they differ
    int campo = altezza - kBordiCombo;
    for (int tentativo = 0; tentativo < 2; ++tentativo) {
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), campo);
        RECT finestra{};
        ::GetWindowRect(combo, &finestra);
        const int scarto = altezza - (finestra.bottom - finestra.top);
        if (scarto == 0)
            break;
        campo += scarto;
    }
}

void ElencoCodici::Carica(HWND combo, const std::vector<VoceDitta>& voci, HFONT carattere,
                          const Scala& scala) {
    descrizioni_.clear();
    descrizioni_.reserve(voci.size());
    for (const VoceDitta& voce : voci) {
        const std::u16string codice = Utf16Da1252(voce.codice);
        const LRESULT aggiunta =
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(codice)));
        if (aggiunta != CB_ERR && aggiunta != CB_ERRSPACE)
            descrizioni_.push_back(DescrizioneMostrata(voce.descrizione));
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    Misura(combo, carattere, scala);
}

void ElencoCodici::Misura(HWND combo, HFONT carattere, const Scala& scala) {
    const unique_hdc_schermo dc(::GetDC(nullptr));
    const Selezione selezione(dc.get(), carattere);
    const auto voci =
        static_cast<std::size_t>(std::max<LRESULT>(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 0));
    std::vector<int> codici(voci);
    int colonna = 0;
    for (std::size_t i = 0; i < voci; ++i) {
        codici[i] = LarghezzaTesto(dc.get(), CodiceVoce(combo, static_cast<int>(i)));
        colonna = std::max(colonna, codici[i]);
    }
    const int spazio = scala.Pixel(kTwipsSpazioDescrizione);
    colonnaCodici_ = std::min(colonna, scala.Pixel(kTwipsColonnaCodici)) + spazio;
    int larghezza = 0;
    for (std::size_t i = 0; i < voci; ++i) {
        int voce = codici[i];
        if (i < descrizioni_.size() && !descrizioni_[i].empty()) {
            voce = std::max(colonnaCodici_, codici[i] + spazio) +
                   LarghezzaTesto(dc.get(), descrizioni_[i]);
        }
        larghezza = std::max(larghezza, voce);
    }
    larghezzaVoci_ = 2 * scala.Pixel(kTwipsMargineVoce) + larghezza;
}

void ElencoCodici::Allarga(HWND combo, const Scala& scala) const noexcept {
    RECT r{};
    ::GetWindowRect(combo, &r);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST), &monitor);
    const int scorrimento = ::SendMessageW(combo, CB_GETCOUNT, 0, 0) > kRigheElenco
                                ? MetricaSistemaPerDpi(SM_CXVSCROLL, scala.Dpi())
                                : 0;
    const int voluta =
        larghezzaVoci_ + 2 * MetricaSistemaPerDpi(SM_CXBORDER, scala.Dpi()) + scorrimento;
    const int minima = r.right - r.left;
    const int massima = std::max(
        minima, static_cast<int>(monitor.rcWork.right - std::max(r.left, monitor.rcWork.left)));
    ::SendMessageW(combo, CB_SETDROPPEDWIDTH, std::clamp(voluta, minima, massima), 0);
}

void ElencoCodici::DisegnaVoce(const DRAWITEMSTRUCT& voce, const Scala& scala) const {
    const bool scelta = voce.itemState & ODS_SELECTED;
    ::FillRect(voce.hDC, &voce.rcItem, ::GetSysColorBrush(scelta ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (voce.itemID != static_cast<UINT>(-1)) {
        const auto indice = static_cast<std::size_t>(voce.itemID);
        const std::u16string codice = CodiceVoce(voce.hwndItem, static_cast<int>(indice));
        RECT r = voce.rcItem;
        r.left += scala.Pixel(kTwipsMargineVoce);
        constexpr UINT kFormato = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        {
            const ColoreTesto colore(
                voce.hDC, ::GetSysColor(scelta ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            ::DrawTextW(voce.hDC, W(codice), static_cast<int>(codice.size()), &r, kFormato);
        }
        if (indice < descrizioni_.size() && !descrizioni_[indice].empty()) {
            r.left += std::max(colonnaCodici_, LarghezzaTesto(voce.hDC, codice) +
                                                   scala.Pixel(kTwipsSpazioDescrizione));
            const ColoreTesto colore(voce.hDC,
                                     ::GetSysColor(scelta ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
            ::DrawTextW(voce.hDC, W(descrizioni_[indice]),
                        static_cast<int>(descrizioni_[indice].size()), &r, kFormato);
        }
    }
    if ((voce.itemState & ODS_FOCUS) && !(voce.itemState & ODS_NOFOCUSRECT))
        ::DrawFocusRect(voce.hDC, &voce.rcItem);
}

std::optional<std::u16string> ElencoCodici::Scelta(HWND combo) {
    const auto scelta = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (scelta == CB_ERR)
        return std::nullopt;
    return CodiceVoce(combo, scelta);
}

}  // namespace velmar
