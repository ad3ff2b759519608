// The setup window in-process: the real window procedure driven with messages, the message
// boxes and the end of the program captured through the seam. One test per behaviour of the
// window; the rules behind it (the list, the lookup, the checks, the save) are the store's.
#include "window/form_setup_velmar_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/dpi_win32.h"
#include "store/conferma.h"
#include "store/record.h"
#include "store/salvataggio.h"
#include "tests/support/funzioni_dpi_win32.h"
#include "tests/support/dati.h"
#include "tests/support/detentore_blocco.h"
#include "tests/support/processo.h"
#include "tests/support/valore.h"
#include "tests/window/finestra_fixture.h"

namespace velmar {
namespace {

using test::FinestraTest;
using test::kParametri;

// --- Layout -----------------------------------------------------------------------------------

bool Immagine(std::string_view nome) {
    return nome == "PictureOk" || nome == "PictureAnnulla";
}

RECT NelContenitore(HWND controllo) {
    RECT r{};
    ::GetWindowRect(controllo, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(controllo), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class LayoutTest : public FinestraTest {
  protected:
    // What a control shows, in its container's client area: a frame shows only its children;
    // an image draws its face at its top, as far from the top as from the sides.
    RECT Mostrato(std::string_view nome) const {
        const HWND h = C(nome);
        RECT r = NelContenitore(h);
        if (Immagine(nome))
            r.bottom = std::min(r.bottom, r.top + r.right - r.left);
        bool cornice = false;
        RECT figli{};
        for (const auto& c : FormSetupVelmar::Controlli()) {
            if (c.contenitore != nome)
                continue;
            cornice = true;
            RECT f = Mostrato(c.nome);
            ::MapWindowPoints(h, ::GetParent(h), reinterpret_cast<POINT*>(&f), 2);
            ::UnionRect(&figli, &figli, &f);
        }
        return cornice ? figli : r;
    }

    // Checks the size of the client area, and that every control is a child of its container
    // and shows something, all of it inside the container's client area. Returns the controls'
    // sizes.
    std::map<std::string_view, SIZE> VerificaLayout(SIZE client) const {
        RECT r{};
        ::GetClientRect(form_->Finestra(), &r);
        EXPECT_EQ(r.right, client.cx);
        EXPECT_EQ(r.bottom, client.cy);
        std::map<std::string_view, SIZE> dimensioni;
        for (const auto& c : FormSetupVelmar::Controlli()) {
            SCOPED_TRACE(c.nome);
            const HWND contenitore = c.contenitore.empty() ? form_->Finestra() : C(c.contenitore);
            EXPECT_EQ(::GetParent(C(c.nome)), contenitore);
            RECT area{};
            ::GetClientRect(contenitore, &area);
            const RECT m = Mostrato(c.nome);
            EXPECT_TRUE(m.left >= 0 && m.top >= 0 && m.left < m.right && m.top < m.bottom &&
                        m.right <= area.right && m.bottom <= area.bottom)
                << "shows " << m.left << "," << m.top << " to " << m.right << "," << m.bottom
                << " in " << area.right << " x " << area.bottom;
            const RECT w = NelContenitore(C(c.nome));
            dimensioni[c.nome] = {w.right - w.left, w.bottom - w.top};
        }
        return dimensioni;
    }
};

TEST_F(LayoutTest, WindowIsAFixedCaptionedBoxCentredOnTheScreen) {
    Apri();
    const HWND f = form_->Finestra();
    EXPECT_EQ(Testo(f), u"Setup Velmar");
    const LONG stile = ::GetWindowLongW(f, GWL_STYLE);
    EXPECT_TRUE(stile & WS_CAPTION);
    EXPECT_TRUE(stile & WS_SYSMENU);
    EXPECT_FALSE(stile & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(::IsWindowVisible(f));

    RECT finestra{};
    ::GetWindowRect(f, &finestra);
    MONITORINFO m{};
    m.cbSize = sizeof(m);
    ::GetMonitorInfoW(::MonitorFromWindow(f, MONITOR_DEFAULTTOPRIMARY), &m);
    EXPECT_NEAR(finestra.left + finestra.right, m.rcWork.left + m.rcWork.right, 1);
    EXPECT_NEAR(finestra.top + finestra.bottom, m.rcWork.top + m.rcWork.bottom, 1);
}

// With the DPI functions of Windows 10, and with only those of 8.1 or of 7 (their fallbacks).
TEST_F(LayoutTest, ControlsLieInsideTheirContainersAndScaleWithTheDpi) {
    for (const FunzioniDpi funzioni :
         {FunzioniDpi::DelSistema, FunzioniDpi::Windows81, FunzioniDpi::Windows7}) {
        SCOPED_TRACE(static_cast<int>(funzioni));
        const test::FunzioniDpiLimitate limitate(funzioni);
        Apri();
        ASSERT_EQ(DpiFinestra(form_->Finestra()), 96u);
        const auto a96 = VerificaLayout({378, 136});
        RECT suggerito{};
        ::GetWindowRect(form_->Finestra(), &suggerito);
        const std::pair<int, SIZE> passi[] = {
            {144, {567, 204}}, {192, {756, 272}}, {96, {378, 136}}};
        for (const auto& [dpi, client] : passi) {
            SCOPED_TRACE(dpi);
            ::SendMessageW(form_->Finestra(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                           reinterpret_cast<LPARAM>(&suggerito));
            for (const auto& [nome, d] : VerificaLayout(client)) {
                EXPECT_NEAR(d.cx, a96.at(nome).cx * dpi / 96.0, 1) << nome;
                EXPECT_NEAR(d.cy, a96.at(nome).cy * dpi / 96.0, 1) << nome;
            }
        }
        form_.reset();
    }
}

TEST_F(LayoutTest, TabGoesThroughTheEntriesThenTheServerThenTheImages) {
    Apri();
    const char* ordine[] = {"ComboCodiceDitta", "TextDescrizioneDitta", "TextMacchina",
                            "OptionServer(1)",  "OptionServer(0)",      "PictureAnnulla",
                            "PictureOk",        "ComboCodiceDitta"};
    HWND h = ::GetNextDlgTabItem(form_->Finestra(), nullptr, FALSE);
    for (const char* nome : ordine) {
        EXPECT_EQ(h, C(nome)) << nome;
        h = ::GetNextDlgTabItem(form_->Finestra(), h, FALSE);
    }
    // The window opens with the focus on the code.
    EXPECT_TRUE(::GetFocus() == C("ComboCodiceDitta") ||
                ::IsChild(C("ComboCodiceDitta"), ::GetFocus()));
}

TEST_F(LayoutTest, MachineFrameLiesAboveTheServerFrameItOverlaps) {
    Apri();
    const HWND frame3 = C("Frame3");
    RECT r = NelContenitore(C("TextMacchina"));
    POINT centro{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::MapWindowPoints(C("FrameMacchina"), frame3, &centro, 1);
    RECT server = NelContenitore(C("FrameServer"));
    ASSERT_TRUE(::PtInRect(&server, centro)) << "the point lies where the frames overlap";
    EXPECT_EQ(::ChildWindowFromPointEx(frame3, centro, CWP_SKIPINVISIBLE), C("FrameMacchina"));
}

// Screen readers name an entry after the static text just before it among its siblings.
TEST_F(LayoutTest, EachEntryComesJustAfterTheLabelThatNamesIt) {
    Apri();
    for (const auto& [voce, nome] : {std::pair{"ComboCodiceDitta", u"Codice Ditta"},
                                     {"TextDescrizioneDitta", u"Descrizione Ditta"},
                                     {"TextMacchina", u"IP Macchina Unix"}}) {
        const HWND etichetta = ::GetWindow(C(voce), GW_HWNDPREV);
        wchar_t classe[16] = {};
        ::GetClassNameW(etichetta, classe, static_cast<int>(std::size(classe)));
        EXPECT_EQ(::lstrcmpiW(classe, WC_STATICW), 0) << voce;
        EXPECT_EQ(Testo(etichetta), nome) << voce;
    }
}

TEST_F(LayoutTest, FramesAreUnnamedPanelsAndTheOtherControlsCarryTheirTexts) {
    Apri();
    for (const auto& c : FormSetupVelmar::Controlli()) {
        if (c.contenitore.empty())
            continue;
        EXPECT_EQ(Testo(c.contenitore), u"") << c.contenitore;
        EXPECT_FALSE(::GetWindowLongW(C(c.contenitore), GWL_STYLE) & (WS_BORDER | WS_DLGFRAME));
    }
    const std::pair<const char*, const char16_t*> testi[] = {{"LabelServer", u"Server DB2"},
                                                             {"OptionServer(0)", u"NT"},
                                                             {"OptionServer(1)", u"Linux"},
                                                             {"PictureOk", u"Ok"},
                                                             {"PictureAnnulla", u"Annulla"}};
    for (const auto& [nome, testo] : testi)
        EXPECT_EQ(Testo(nome), testo) << nome;
}

TEST_F(LayoutTest, ImagesHaveTooltipsOkAndAnnulla) {
    Apri();
    for (const auto& [nome, testo] :
         {std::pair{"PictureOk", u"Ok"}, {"PictureAnnulla", u"Annulla"}}) {
        wchar_t buffer[80] = {};
        TTTOOLINFOW strumento{};
        strumento.cbSize = TTTOOLINFOW_V2_SIZE;
        strumento.hwnd = ::GetParent(C(nome));
        strumento.uId = reinterpret_cast<UINT_PTR>(C(nome));
        strumento.lpszText = buffer;
        ::SendMessageW(form_->Suggerimenti(), TTM_GETTEXTW, std::size(buffer),
                       reinterpret_cast<LPARAM>(&strumento));
        EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(buffer)), testo) << nome;
    }
}

// The background and text colours the window gives a label or an option button; the text colour
// is RGB 1, 2, 3 when it leaves it as it was.
constexpr COLORREF kTestoLasciato = RGB(1, 2, 3);
std::pair<COLORREF, COLORREF> ColoriDi(HWND controllo) {
    const HDC dc = ::GetDC(controllo);
    ::SetTextColor(dc, kTestoLasciato);
    const auto pennello = reinterpret_cast<HBRUSH>(
        ::SendMessageW(::GetParent(controllo), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(controllo)));
    const COLORREF testo = ::GetTextColor(dc);
    ::ReleaseDC(controllo, dc);
    LOGBRUSH lb{};
    EXPECT_TRUE(pennello && ::GetObjectW(pennello, sizeof(lb), &lb));
    return {lb.lbColor, testo};
}

// Paints a control (or, with WM_ERASEBKGND, its background) into a bitmap of its size and returns
// its pixels (0x00RRGGBB, top-down).
std::vector<std::uint32_t> Dipingi(HWND controllo, int& larghezza, int& altezza,
                                   UINT messaggio = WM_PRINTCLIENT) {
    RECT r{};
    ::GetClientRect(controllo, &r);
    larghezza = r.right;
    altezza = r.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), larghezza, -altezza, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ vecchio = ::SelectObject(dc, bitmap.get());
    ::SendMessageW(controllo, messaggio, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    std::vector<std::uint32_t> pixel(static_cast<const std::uint32_t*>(bits),
                                     static_cast<const std::uint32_t*>(bits) + larghezza * altezza);
    ::SelectObject(dc, vecchio);
    ::DeleteDC(dc);
    for (auto& p : pixel)
        p &= 0xFFFFFF;
    return pixel;
}

std::uint32_t Rgb(COLORREF c) {
    return std::uint32_t{GetRValue(c)} << 16 | std::uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

// What an image control shows over the background `sfondo`: whether its corners and those of
// the box of what is not background are background, that box's size, and its green and red
// pixels and those near the colour `anello` (each channel within 64).
struct Faccia {
    bool angoli = false;
    int larghezza = 0;
    int altezza = 0;
    int verdi = 0;
    int rossi = 0;
    int anello = 0;
};
Faccia Analizza(HWND immagine, std::uint32_t sfondo, std::uint32_t anello) {
    int w = 0, h = 0;
    const auto pixel = Dipingi(immagine, w, h);
    EXPECT_GT(w * h, 0);
    if (w * h == 0)
        return {};
    Faccia f;
    int minX = w, maxX = -1, minY = h, maxY = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixel[static_cast<std::size_t>(y * w + x)];
            if (p == sfondo)
                continue;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            f.verdi += g > r + 60 && g > b + 60;
            f.rossi += r > g + 60 && r > b + 60;
            const int ar = anello >> 16 & 0xFF, ag = anello >> 8 & 0xFF, ab = anello & 0xFF;
            f.anello += std::abs(r - ar) <= 64 && std::abs(g - ag) <= 64 && std::abs(b - ab) <= 64;
        }
    }
    f.larghezza = maxX - minX + 1;
    f.altezza = maxY - minY + 1;
    f.angoli = maxX >= 0 && pixel[0] == sfondo &&
               pixel[static_cast<std::size_t>(w * h - 1)] == sfondo &&
               pixel[static_cast<std::size_t>(minY * w + minX)] == sfondo;
    return f;
}

TEST_F(LayoutTest, ImagesDrawCheckAndCrossOnTheBackgroundScaledWithTheDpi) {
    Apri();
    constexpr std::uint32_t kSfondo = 0xEDEFF3;  // RGB 237, 239, 243 as 0xRRGGBB
    RECT suggerito{};
    ::GetWindowRect(form_->Finestra(), &suggerito);
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        ::SendMessageW(form_->Finestra(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggerito));
        for (const char* nome : {"PictureOk", "PictureAnnulla"}) {
            SCOPED_TRACE(nome);
            const Faccia f = Analizza(C(nome), kSfondo, kSfondo);
            // The corners of the control and of the round face show the window's background.
            EXPECT_TRUE(f.angoli);
            EXPECT_NEAR(f.larghezza, 26 * dpi / 96, 2);
            EXPECT_NEAR(f.altezza, 26 * dpi / 96, 2);
            const bool ok = std::string_view(nome) == "PictureOk";
            EXPECT_EQ(f.verdi > 0, ok);
            EXPECT_EQ(f.rossi > 0, !ok);
        }
    }
}

// Sets how the window takes high contrast, for one scope.
class ContrastoImposto {
  public:
    explicit ContrastoImposto(ContrastoElevato contrasto) noexcept {
        ImponiContrastoElevato(contrasto);
    }
    ContrastoImposto(const ContrastoImposto&) = delete;
    ContrastoImposto& operator=(const ContrastoImposto&) = delete;
    ~ContrastoImposto() { ImponiContrastoElevato(ContrastoElevato::DelSistema); }
};

// With high contrast off, the package's colours; on, at start or once turned on, the system's:
// for labels, option buttons (their text too), frames and the images' background, the images
// keeping their check and cross, with a ring in the text colour.
TEST_F(LayoutTest, TheFaceHasThePackagesColoursOrUnderHighContrastTheSystems) {
    const ContrastoImposto imposto(ContrastoElevato::DelSistema);
    const COLORREF faccia = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF testo = ::GetSysColor(COLOR_BTNTEXT);
    struct Passo {
        const char* nome;
        ContrastoElevato contrasto;
        UINT messaggio;  // 0: the window opened anew
        COLORREF etichette;
        COLORREF sfondo;
        COLORREF testo;
    };
    const Passo passi[] = {
        {"off at start", ContrastoElevato::Spento, 0, RGB(202, 209, 224), RGB(237, 239, 243),
         kTestoLasciato},
        {"turned on", ContrastoElevato::Attivo, WM_SETTINGCHANGE, faccia, faccia, testo},
        {"turned off", ContrastoElevato::Spento, WM_SYSCOLORCHANGE, RGB(202, 209, 224),
         RGB(237, 239, 243), kTestoLasciato},
        {"on at start", ContrastoElevato::Attivo, 0, faccia, faccia, testo},
    };
    for (const Passo& p : passi) {
        SCOPED_TRACE(p.nome);
        ImponiContrastoElevato(p.contrasto);
        if (p.messaggio == 0) {
            form_.reset();
            Apri();
        } else {
            ::SendMessageW(form_->Finestra(), p.messaggio,
                           p.messaggio == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        }
        for (const char* etichetta :
             {"LabelCodiceDitta", "LabelDescrizioneDitta", "LabelServer", "LabelMacchina"}) {
            EXPECT_EQ(ColoriDi(C(etichetta)), std::pair(p.etichette, p.testo)) << etichetta;
        }
        for (const char* opzione : {"OptionServer(0)", "OptionServer(1)"})
            EXPECT_EQ(ColoriDi(C(opzione)), std::pair(p.sfondo, p.testo)) << opzione;
        int w = 0, h = 0;
        EXPECT_EQ(Dipingi(C("Frame3"), w, h, WM_ERASEBKGND).at(0), Rgb(p.sfondo));
        const bool contrasto = p.contrasto == ContrastoElevato::Attivo;
        for (const char* nome : {"PictureOk", "PictureAnnulla"}) {
            const Faccia f = Analizza(C(nome), Rgb(p.sfondo), Rgb(testo));
            EXPECT_TRUE(f.angoli) << nome;
            const bool ok = std::string_view(nome) == "PictureOk";
            EXPECT_EQ(f.verdi > 0, ok) << nome;
            EXPECT_EQ(f.rossi > 0, !ok) << nome;
            EXPECT_EQ(f.anello > 26, contrasto) << nome << ": " << f.anello;
        }
    }
}

// Under high contrast the focused image is framed as in the package's colours.
TEST_F(LayoutTest, UnderHighContrastTheFocusedImageIsFramed) {
    const ContrastoImposto imposto(ContrastoElevato::Attivo);
    Apri();
    ::SendMessageW(form_->Finestra(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    int w = 0, h = 0;
    ::SetFocus(C("PictureAnnulla"));
    const auto senza = Dipingi(C("PictureOk"), w, h);
    ::SetFocus(C("PictureOk"));
    const auto con = Dipingi(C("PictureOk"), w, h);
    ASSERT_EQ(con.size(), senza.size());
    int cornice = 0;
    for (std::size_t i = 0; i < con.size(); ++i)
        cornice += con[i] != senza[i];
    EXPECT_GT(cornice, 26) << "the focus mark around the image";
}

// --- Load and lookup --------------------------------------------------------------------------

TEST_F(FinestraTest, LoadListsTheCodesInFileOrderWithNothingSelected) {
    Apri();
    const HWND combo = C("ComboCodiceDitta");
    std::vector<std::u16string> voci;
    const auto n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        wchar_t t[64] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(t));
        voci.emplace_back(reinterpret_cast<char16_t*>(t));
    }
    EXPECT_EQ(voci, (std::vector<std::u16string>{u"002", u"001", u"003"}));
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Testo(combo), u"");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    EXPECT_EQ(archivio_->letture, 1);
    EXPECT_TRUE(archivio_->ricerche.empty());
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

// Choosing an entry and typing a code look the company up, once per change, and show what the
// store finds, or nothing.
TEST_F(FinestraTest, ChoosingOrTypingACodeShowsTheCompanyTheStoreFinds) {
    Apri();
    Imposta("TextDescrizioneDitta", u"x");
    Imposta("TextMacchina", u"y");
    Scegli(1);
    EXPECT_EQ(Testo("ComboCodiceDitta"), u"001");
    EXPECT_EQ(Mostrati(), (Campi{u"Beta", u"10.0.0.1", false, true})) << "chosen from the list";

    ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    archivio_->ricerche.clear();
    DigitaCodice(u"003");
    EXPECT_EQ(archivio_->ricerche, (std::vector<std::string>{"0", "00", "003"}));
    EXPECT_EQ(Mostrati(), (Campi{u"Caff\u00E8", u"", true, false})) << "typed";
    DigitaCodice(u"9");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false})) << "a code in no line";
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

// --- The code list's entries -----------------------------------------------------------------

// A text an entry drew, in its colour, from its reference point to the end of its last character.
struct Scritta {
    std::u16string testo;
    COLORREF colore;
    LONG sinistra;
    LONG destra;
    LONG alto;
};

int CALLBACK LeggiRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM dati) {
    auto& [colore, scritte] = *reinterpret_cast<std::pair<COLORREF, std::vector<Scritta>>*>(dati);
    const auto* byte = reinterpret_cast<const unsigned char*>(record);
    if (record->iType == EMR_SETTEXTCOLOR) {
        colore = reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor;
    } else if (record->iType == EMR_EXTTEXTOUTW) {
        const EMRTEXT& t = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
        const auto* dx = reinterpret_cast<const INT*>(byte + t.offDx);
        LONG larghezza = 0;
        for (DWORD i = 0; i < t.nChars; ++i)
            larghezza += dx[i];
        scritte.push_back(
            {std::u16string(reinterpret_cast<const char16_t*>(byte + t.offString), t.nChars),
             colore, t.ptlReference.x, t.ptlReference.x + larghezza, t.ptlReference.y});
    }
    return 1;
}

class ElencoTest : public FinestraTest {
  protected:
    // Drops the code list down and returns its window.
    HWND Elenco() const {
        const HWND combo = C("ComboCodiceDitta");
        ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        EXPECT_TRUE(::GetComboBoxInfo(combo, &info));
        return info.hwndList;
    }
    // The texts the open list draws, recorded as it paints itself into a metafile.
    static std::vector<Scritta> Scritte(HWND lista) {
        const HDC dc = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
        ::SendMessageW(lista, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        const unique_henhmetafile metafile(::CloseEnhMetaFile(dc));
        std::pair<COLORREF, std::vector<Scritta>> letti{CLR_INVALID, {}};
        ::EnumEnhMetaFile(nullptr, metafile.get(), LeggiRecord, &letti, nullptr);
        return letti.second;
    }
};

// The entries' texts stay the codes (see the load); what they draw is the code and beside it, in
// the dimmer colour, the description, its control bytes shown, the selected entry in the
// highlight colours; all of it inside the dropped list, which is no wider than that needs.
TEST_F(ElencoTest, EachEntryDrawsItsCodeAndBesideItTheDescriptionInsideTheDroppedList) {
    const std::string controlli = "Beta\x1B[2J\x07";
    Apri(("Alfa;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;10.0.0.2;\r\n" + controlli +
          ";C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001\r\n"
          ";C:\\Cat\\Dwh003.oce;db2admin;db2admin;db2admin;003\r\n")
             .c_str());
    const HWND combo = C("ComboCodiceDitta");
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    const COLORREF testo = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF grigio = ::GetSysColor(COLOR_GRAYTEXT);
    const COLORREF scelto = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    const std::vector<std::pair<std::u16string, COLORREF>> attese = {
        {u"002", testo},
        {u"Alfa", grigio},
        {u"001", scelto},
        {Utf16Da1252(TestoVisibile(controlli)), scelto},
        {u"003", testo}};

    RECT suggerito{};
    ::GetWindowRect(form_->Finestra(), &suggerito);
    std::map<int, int> altezze;
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        ::SendMessageW(form_->Finestra(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggerito));
        altezze[dpi] = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
        const HWND lista = Elenco();
        const std::vector<Scritta> scritte = Scritte(lista);
        std::vector<std::pair<std::u16string, COLORREF>> lette;
        for (const Scritta& s : scritte)
            lette.emplace_back(s.testo, s.colore);
        ASSERT_EQ(lette, attese);
        EXPECT_GT(scritte[1].sinistra, scritte[0].destra) << "the description beside its code";
        EXPECT_EQ(scritte[1].alto, scritte[0].alto);

        RECT area{}, finestraLista{}, finestraCombo{};
        ::GetClientRect(lista, &area);
        ::GetWindowRect(lista, &finestraLista);
        ::GetWindowRect(combo, &finestraCombo);
        LONG destra = 0;
        for (const Scritta& s : scritte)
            destra = std::max(destra, s.destra);
        EXPECT_LE(destra, area.right) << "every text inside the list";
        EXPECT_LE(area.right, destra + 4 * dpi / 96) << "the list no wider than its texts need";
        EXPECT_GT(finestraLista.right - finestraLista.left,
                  finestraCombo.right - finestraCombo.left);
        ::SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    }
    EXPECT_NEAR(altezze[144], altezze[96] * 1.5, 1) << "entries as high as the font at each DPI";
}

// A description longer than the screen: the list reaches the right edge of the work area, and
// no further.
TEST_F(ElencoTest, ADroppedListTooWideForTheScreenEndsAtItsEdge) {
    Apri(("Lunga" + std::string(3000, 'W') +
          ";C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001\r\n")
             .c_str());
    RECT lista{};
    ::GetWindowRect(Elenco(), &lista);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(form_->Finestra(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_GE(lista.left, monitor.rcWork.left);
    EXPECT_EQ(lista.right, monitor.rcWork.right);
}

// --- Confirmation -----------------------------------------------------------------------------

class ConfermaTest : public FinestraTest {};

// Each click of the OK image checks what the entries hold then, shows the first message and
// keeps the window, its entries and the files as they were.
TEST_F(ConfermaTest, OkShowsTheMessageOfTheFirstFailedCheckAndKeepsTheWindow) {
    Apri();
    const std::string prima = Parametri();
    Compila({u"001", u"Beta", "OptionServer(0)", u""});
    Clicca("PictureOk");
    DigitaCodice(u"9");  // "0019", in no line: both option buttons go off
    Imposta("TextDescrizioneDitta", u"Nuova");
    Imposta("TextMacchina", u"10.1.1.1");
    Clicca("PictureOk");
    Clicca("OptionServer(1)");
    Imposta("TextDescrizioneDitta", u"\u0141\u00F3d\u017A");  // Ł and ź have no Windows-1252 byte
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi,
              (std::vector<std::u16string>{
                  Utf16Da1252(kMsgMacchinaMancante), Utf16Da1252(kMsgServerMancante),
                  Utf16Da1252(MessaggioCaratteriNonAmmessi(kEtichettaDescrizione))}));
    EXPECT_EQ(interfaccia_.proprietari.front(), form_->Finestra());
    EXPECT_EQ(Testo("TextDescrizioneDitta"), u"\u0141\u00F3d\u017A") << "entries unchanged";
    EXPECT_EQ(form_->Stato().CodiceDitta, "0019");
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_EQ(Parametri(), prima);
}

TEST_F(ConfermaTest, SaveGivesTheEntriesToTheStoreThenSaysSetupTerminatoAndEnds) {
    Apri();
    Scegli(1);  // 001
    Imposta("TextMacchina", u" 10.9.9.9 ");
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{Utf16Da1252(kMsgSetupTerminato)});
    EXPECT_EQ(interfaccia_.terminazioni, 1);
    EXPECT_EQ(archivio_->salvataggi, 1);
    // The entries as they stand, the machine untrimmed; the record they make is the store's.
    const DatiDitta& stato = form_->Stato();
    EXPECT_EQ(stato.CodiceDitta, "001");
    EXPECT_EQ(stato.DescrizioneDitta, "Beta");
    EXPECT_EQ(stato.Macchina, " 10.9.9.9 ");
    EXPECT_EQ(stato.ParametroServer1, kParolaLinux);
    EXPECT_EQ(Parametri(),
              test::Valore(SostituisciInTesto(kParametri, "001", ComponiRecord(stato, "C:\\Cat"))));
}

// A file with Unix line ends is one line keyed by its first code: saving that code is refused,
// the line named, and the window stays open.
TEST_F(ConfermaTest, ASaveThatWouldDropTheCompaniesAfterALoneLfIsRefused) {
    Apri(
        "Alfa;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;10.0.0.2;\n"
        "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;\n");
    const std::string prima = Parametri();
    EXPECT_EQ(::SendMessageW(C("ComboCodiceDitta"), CB_GETCOUNT, 0, 0), 1);
    Scegli(0);  // 002
    Clicca("PictureOk");
    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    EXPECT_EQ(interfaccia_.messaggi[0].rfind(
                  Utf16Da1252(std::string(kMsgSalvataggioNonRiuscito) + "\r\n" + cartella_.Testo() +
                              "\\BRIO_PARAMS.txt: la riga 1 ha fini riga Unix"),
                  0),
              0u)
        << ::testing::PrintToString(interfaccia_.messaggi[0]);
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(Parametri(), prima);
}

// A save that would garble the file is refused and the window stays open; a save that keeps an
// area copy holding a company of its own names it under "Setup terminato".
TEST_F(ConfermaTest, ARefusedSaveKeepsTheWindowAndAKeptCopyIsNamedUnderSetupTerminato) {
    Apri(nullptr);
    const auto parametri = cartella_.Percorso() / "BRIO_PARAMS.txt";
    const std::string utf16 = test::LeggiDato("utf16le_bom.txt");
    test::ScriviTesto(parametri, utf16);
    Compila({u"004", u"Nuova", "OptionServer(0)", u"10.0.0.4"});
    Clicca("PictureOk");
    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    EXPECT_TRUE(interfaccia_.messaggi[0].starts_with(
        Utf16Da1252(std::string(kMsgSalvataggioNonRiuscito) + "\r\n" + cartella_.Testo() +
                    "\\BRIO_PARAMS.txt: il file \xE8 in UTF-16 little endian")))
        << ::testing::PrintToString(interfaccia_.messaggi[0]);
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(Parametri(), utf16);

    test::ScriviTesto(parametri, kParametri);
    const auto copia = cartella_.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt";
    test::ScriviTesto(copia, "Sua;C:\\Cat\\Dwh006.oce;x;x;x;006;m;\r\n");
    Clicca("PictureOk");
    ASSERT_EQ(interfaccia_.messaggi.size(), 2u);
    const std::string testoCopia = cartella_.Testo() + "\\CONTABILITA\\BRIO_PARAMS.txt";
    EXPECT_EQ(
        interfaccia_.messaggi[1],
        Utf16Da1252(
            std::string(kMsgSetupTerminato) + "\r\n\r\n" + testoCopia + ": " +
            DescrizioneConservata(
                {testoCopia, cartella_.Testo() + "\\CONTABILITA\\BRIO_PARAMS.bak", {"006"}})));
    EXPECT_EQ(interfaccia_.terminazioni, 1);
}

// Not a test: the other program of the test below, saving into the package.
TEST(AltroSalvataggio, DISABLED_TieneIlBloccoFinchENonVieneUcciso) {
    test::TieniBlocco();
}

// While a save waits for another program's lock, the window repaints and answers, and a click on
// the cancel image and Alt+F4 made meanwhile do nothing, then or once the wait is over. The save
// gives up as ever, the window stays open, and it saves once the lock is free.
TEST_F(ConfermaTest, WhileASaveWaitsTheWindowPaintsAndTakesNoInput) {
    using namespace std::chrono_literals;
    attesa_ = 2000ms;
    Apri();
    test::DetentoreBlocco altro(cartella_.Testo() + "\\BRIO_PARAMS.lck",
                                "AltroSalvataggio.DISABLED_*");
    ASSERT_TRUE(altro.Tiene()) << altro.Uscita();
    Compila({u"001", u"Beta", "OptionServer(1)", u"10.9.9.9"});
    const std::string prima = Parametri();

    // From another thread, while the click on OK below waits.
    const HWND finestra = form_->Finestra();
    const HWND ok = C("PictureOk");
    const HWND annulla = C("PictureAnnulla");
    std::atomic<bool> finito{false};
    bool ridipinta = false, risponde = false, durante = false;
    std::thread osservatore([&] {
        std::this_thread::sleep_for(300ms);
        ::RedrawWindow(finestra, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        const auto limite = std::chrono::steady_clock::now() + 800ms;
        while (!(ridipinta = !::GetUpdateRect(ok, nullptr, FALSE)) &&
               std::chrono::steady_clock::now() < limite) {
            std::this_thread::sleep_for(10ms);
        }
        DWORD_PTR risultato = 0;
        risponde =
            ::SendMessageTimeoutW(finestra, WM_NULL, 0, 0, SMTO_NORMAL, 500, &risultato) != 0;
        ::PostMessageW(annulla, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(annulla, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageW(finestra, WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29);  // Alt+F4
        durante = !finito;
    });
    Clicca("PictureOk");
    finito = true;
    osservatore.join();
    // What is queued now is handled as the program's loop does.
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (!::IsDialogMessageW(finestra, &m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }

    EXPECT_TRUE(durante) << "the input was made once the wait was over";
    EXPECT_TRUE(ridipinta) << "the OK image was not painted again during the wait";
    EXPECT_TRUE(risponde) << "the window did not answer during the wait";
    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    EXPECT_EQ(interfaccia_.messaggi[0].rfind(Utf16Da1252(kMsgSalvataggioNonRiuscito), 0), 0u)
        << ::testing::PrintToString(interfaccia_.messaggi[0]);
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_TRUE(::IsWindowVisible(finestra));
    EXPECT_EQ(Parametri(), prima);

    altro.Uccidi();
    interfaccia_.messaggi.clear();
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{Utf16Da1252(kMsgSetupTerminato)});
    EXPECT_EQ(interfaccia_.terminazioni, 1);
}

TEST_F(ConfermaTest, NoAreaFolderShowsTheAbortMessageAndEnds) {
    Apri(kParametri, {});
    const std::string prima = Parametri();
    Compila({u"001", u"Beta", "OptionServer(0)", u"m"});
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{Utf16Da1252(MessaggioNessunaArea())});
    EXPECT_EQ(interfaccia_.terminazioni, 1);
    EXPECT_EQ(Parametri(), prima);
}

// --- Keyboard and ending ----------------------------------------------------------------------

// A key pressed while `fuoco` has the focus, through the dialog manager as the program's loop.
void Premi(HWND finestra, HWND fuoco, WPARAM tasto) {
    ::SetFocus(fuoco);
    for (UINT messaggio : {WM_KEYDOWN, WM_KEYUP}) {
        const auto dati = static_cast<LPARAM>(messaggio == WM_KEYUP ? 0xC0000001u : 1u);
        MSG m{::GetFocus(), messaggio, tasto, dati, 0, {}};
        if (!::IsDialogMessageW(finestra, &m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
}

TEST_F(ConfermaTest, CancelEscapeAndCloseEndTheProgramWithoutSaving) {
    struct Caso {
        const char* nome;
        std::function<void()> azione;
    };
    const HWND* finestra = nullptr;
    const Caso casi[] = {
        {"cancel image", [&] { Clicca("PictureAnnulla"); }},
        {"Escape in the code", [&] { Premi(*finestra, EditCombo(), VK_ESCAPE); }},
        {"Escape on the OK image", [&] { Premi(*finestra, C("PictureOk"), VK_ESCAPE); }},
        {"close box", [&] { ::SendMessageW(*finestra, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Enter on the cancel image", [&] { Premi(*finestra, C("PictureAnnulla"), VK_RETURN); }},
    };
    Apri();
    const HWND principale = form_->Finestra();
    finestra = &principale;
    const std::string prima = Parametri();
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        interfaccia_.terminazioni = 0;
        Compila({u"001", u"Beta", "OptionServer(0)", u"10.0.0.1"});
        c.azione();
        EXPECT_EQ(interfaccia_.terminazioni, 1);
    }
    EXPECT_TRUE(interfaccia_.messaggi.empty());
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_EQ(Parametri(), prima);
}

TEST_F(ConfermaTest, TheOkImageActsOnSpaceAndEnterButEnterElsewhereDoesNothing) {
    Apri();
    Premi(form_->Finestra(), EditCombo(), VK_RETURN);
    Premi(form_->Finestra(), C("TextMacchina"), VK_RETURN);
    EXPECT_TRUE(interfaccia_.messaggi.empty());
    Premi(form_->Finestra(), C("PictureOk"), VK_SPACE);
    Premi(form_->Finestra(), C("PictureOk"), VK_RETURN);
    EXPECT_EQ(interfaccia_.messaggi,
              (std::vector<std::u16string>{Utf16Da1252(kMsgCodiceMancante),
                                           Utf16Da1252(kMsgCodiceMancante)}));
    EXPECT_EQ(interfaccia_.terminazioni, 0);
}

}  // namespace
}  // namespace velmar
