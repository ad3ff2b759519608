// The setup window in-process: the real window procedure driven with messages, the message
// boxes and the end of the program captured through the seam.
#include "window/form_setup_velmar_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/file_system_memoria.h"
#include "tests/window/finestra_fixture.h"
#include "store/conferma.h"

namespace velmar {
namespace {

using test::FinestraTest;
using test::kParametri;
using test::LeggiTesto;
using test::U;
using test::Voci;

// --- Layout -----------------------------------------------------------------------------------

struct Posizione {
    const char* nome;
    const char* contenitore;                 // nullptr: the window's client area
    int sinistra, alto, larghezza, altezza;  // twips
};

constexpr Posizione kPosizioni[] = {
    {"Frame3", nullptr, 90, 135, 5460, 1770},
    {"Frame1", "Frame3", 135, 180, 1860, 420},
    {"LabelCodiceDitta", "Frame1", 0, 0, 1050, 285},
    {"ComboCodiceDitta", "Frame1", 1125, 0, 735, 315},
    {"Frame2", "Frame3", 2070, 180, 3345, 330},
    {"LabelDescrizioneDitta", "Frame2", 0, 0, 1320, 285},
    {"TextDescrizioneDitta", "Frame2", 1395, 0, 1770, 285},
    {"FrameServer", "Frame3", 135, 585, 3075, 1095},
    {"LabelServer", "FrameServer", 0, 45, 1050, 285},
    {"FrameSceltaServer", "FrameServer", 1125, 45, 2310, 285},
    {"OptionServer(0)", "FrameSceltaServer", 45, 45, 645, 195},
    {"OptionServer(1)", "FrameSceltaServer", 810, 45, 735, 195},
    {"FrameMacchina", "Frame3", 135, 1080, 3300, 465},
    {"LabelMacchina", "FrameMacchina", 0, 0, 1050, 420},
    {"TextMacchina", "FrameMacchina", 1170, 135, 1680, 285},
    {"FrameOkAnnulla", "Frame3", 4005, 1035, 1230, 465},
    {"PictureOk", "FrameOkAnnulla", 90, 0, 420, 510},
    {"PictureAnnulla", "FrameOkAnnulla", 765, 0, 420, 465},
};

int Px(int twips, int dpi) {
    return ::MulDiv(twips, dpi, 1440);
}

RECT NelContenitore(HWND controllo) {
    RECT r{};
    ::GetWindowRect(controllo, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(controllo), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class LayoutTest : public FinestraTest {
  protected:
    void VerificaLayout(int dpi) {
        RECT client{};
        ::GetClientRect(form_->Finestra(), &client);
        EXPECT_EQ(client.right, Px(5670, dpi));
        EXPECT_EQ(client.bottom, Px(2040, dpi));
        for (const Posizione& p : kPosizioni) {
            SCOPED_TRACE(p.nome);
            const HWND h = C(p.nome);
            EXPECT_EQ(::GetParent(h), p.contenitore ? C(p.contenitore) : form_->Finestra());
            const RECT r = NelContenitore(h);
            EXPECT_EQ(r.left, Px(p.sinistra, dpi));
            EXPECT_EQ(r.top, Px(p.alto, dpi));
            EXPECT_EQ(r.right - r.left, Px(p.larghezza, dpi));
            EXPECT_EQ(r.bottom - r.top, Px(p.altezza, dpi));
        }
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

TEST_F(LayoutTest, ControlsSitInTheirContainersAtTheirTwipsAt96Dpi) {
    Apri();
    ASSERT_EQ(::GetDpiForWindow(form_->Finestra()), 96u);
    VerificaLayout(96);
}

TEST_F(LayoutTest, ControlsAndWindowFollowADpiChange) {
    Apri();
    RECT suggerito{};
    ::GetWindowRect(form_->Finestra(), &suggerito);
    for (int dpi : {144, 192, 96}) {
        SCOPED_TRACE(dpi);
        ::SendMessageW(form_->Finestra(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggerito));
        VerificaLayout(dpi);
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

TEST_F(LayoutTest, FramesAreUnnamedPanelsAndLabelsAndImagesCarryTheirTexts) {
    Apri();
    for (const char* cornice : {"Frame3", "Frame1", "Frame2", "FrameServer", "FrameSceltaServer",
                                "FrameMacchina", "FrameOkAnnulla"}) {
        EXPECT_EQ(Testo(cornice), u"") << cornice;
        EXPECT_FALSE(::GetWindowLongW(C(cornice), GWL_STYLE) & (WS_BORDER | WS_DLGFRAME));
    }
    const std::pair<const char*, const char16_t*> testi[] = {
        {"LabelCodiceDitta", u"Codice Ditta"},
        {"LabelDescrizioneDitta", u"Descrizione Ditta"},
        {"LabelServer", u"Server DB2"},
        {"LabelMacchina", u"IP Macchina Unix"},
        {"OptionServer(0)", u"NT"},
        {"OptionServer(1)", u"Linux"},
        {"PictureOk", u"Ok"},
        {"PictureAnnulla", u"Annulla"},
        {"ComboCodiceDitta", u""},
        {"TextDescrizioneDitta", u""},
        {"TextMacchina", u""}};
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

COLORREF ColoreSfondo(HWND finestra, HWND controllo) {
    const HDC dc = ::GetDC(controllo);
    const auto pennello = reinterpret_cast<HBRUSH>(
        ::SendMessageW(::GetParent(controllo), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(controllo)));
    ::ReleaseDC(controllo, dc);
    LOGBRUSH lb{};
    EXPECT_TRUE(pennello && ::GetObjectW(pennello, sizeof(lb), &lb)) << finestra;
    return lb.lbColor;
}

TEST_F(LayoutTest, LabelsAndOptionsUseThePackageColours) {
    Apri();
    for (const char* etichetta :
         {"LabelCodiceDitta", "LabelDescrizioneDitta", "LabelServer", "LabelMacchina"}) {
        EXPECT_EQ(ColoreSfondo(form_->Finestra(), C(etichetta)), RGB(202, 209, 224)) << etichetta;
    }
    for (const char* opzione : {"OptionServer(0)", "OptionServer(1)"}) {
        EXPECT_EQ(ColoreSfondo(form_->Finestra(), C(opzione)), RGB(237, 239, 243)) << opzione;
    }
}

// Paints a control into a bitmap of its size and returns its pixels (0x00RRGGBB, top-down).
std::vector<std::uint32_t> Dipingi(HWND controllo, int& larghezza, int& altezza) {
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
    ::SendMessageW(controllo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    std::vector<std::uint32_t> pixel(static_cast<const std::uint32_t*>(bits),
                                     static_cast<const std::uint32_t*>(bits) + larghezza * altezza);
    ::SelectObject(dc, vecchio);
    ::DeleteDC(dc);
    for (auto& p : pixel)
        p &= 0xFFFFFF;
    return pixel;
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
            int w = 0, h = 0;
            const auto pixel = Dipingi(C(nome), w, h);
            ASSERT_GT(w * h, 0);
            int minX = w, maxX = -1, minY = h, maxY = -1, verdi = 0, rossi = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const std::uint32_t p = pixel[static_cast<std::size_t>(y * w + x)];
                    if (p == kSfondo)
                        continue;
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                    const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
                    verdi += g > r + 60 && g > b + 60;
                    rossi += r > g + 60 && r > b + 60;
                }
            }
            // The corners of the control and of the round face show the window's background.
            EXPECT_EQ(pixel[0], kSfondo);
            EXPECT_EQ(pixel[static_cast<std::size_t>(w * h - 1)], kSfondo);
            EXPECT_NEAR(maxX - minX + 1, 26 * dpi / 96, 2);
            EXPECT_NEAR(maxY - minY + 1, 26 * dpi / 96, 2);
            EXPECT_EQ(pixel[static_cast<std::size_t>(minY * w + minX)], kSfondo);
            if (std::string_view(nome) == "PictureOk") {
                EXPECT_GT(verdi, 0);
                EXPECT_EQ(rossi, 0);
            } else {
                EXPECT_GT(rossi, 0);
                EXPECT_EQ(verdi, 0);
            }
        }
    }
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
    EXPECT_EQ(voci, (std::vector<std::u16string>{u"002", u"001", u"002", u"", u"003"}));
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Testo(combo), u"");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    EXPECT_EQ(archivio_->letture, 1);
    EXPECT_TRUE(archivio_->ricerche.empty());
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

TEST_F(FinestraTest, MissingParametersFileOpensWithAnEmptyListAndNoMessage) {
    Apri(nullptr);
    EXPECT_EQ(::SendMessageW(C("ComboCodiceDitta"), CB_GETCOUNT, 0, 0), 0);
    DigitaCodice(u"001");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

TEST_F(FinestraTest, ChoosingAnEntryAndTypingTheCodeFillTheSameFields) {
    struct Caso {
        int voce;
        const char16_t* codice;
        Campi attesi;
    };
    const Caso casi[] = {
        {0, u"002", {u"Gamma", u"10.0.0.22", false, true}},  // the last line with the code
        {1, u"001", {u"Beta", u"10.0.0.1", false, true}},
        {4, u"003", {u"Caff\u00E8", u"", true, false}},  // no field 6: machine left empty
    };
    Apri();
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.voce);
        // Start from another company's fields, so that each way must fill them itself.
        ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        Imposta("TextDescrizioneDitta", u"x");
        Imposta("TextMacchina", u"y");
        Scegli(c.voce);
        EXPECT_EQ(Mostrati(), c.attesi) << "chosen from the list";
        EXPECT_EQ(Testo(C("ComboCodiceDitta")), c.codice);

        ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        Imposta("TextDescrizioneDitta", u"x");
        Imposta("TextMacchina", u"y");
        DigitaCodice(c.codice);
        EXPECT_EQ(Mostrati(), c.attesi) << "typed";
    }
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

TEST_F(FinestraTest, TypingLooksUpEveryTextAndClearsWhatMatchesNothing) {
    Apri();
    DigitaCodice(u"00");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false})) << "a prefix is no code";
    DigitaCodice(u"2");
    EXPECT_EQ(Mostrati(), (Campi{u"Gamma", u"10.0.0.22", false, true}));
    // Each change looks up once: writing the result into the controls runs nothing else.
    EXPECT_EQ(archivio_->ricerche, (std::vector<std::string>{"0", "00", "002"}));

    DigitaCodice(u"9");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false})) << "a code in no line";
    Cancella(EditCombo(), 4);
    EXPECT_EQ(archivio_->ricerche.back(), "");
    EXPECT_EQ(Mostrati(), (Campi{u"Vuota", u"10.0.0.9", false, true})) << "the empty code";

    DigitaCodice(u"\u0141");  // no Windows-1252 byte: in no line of the file
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_TRUE(interfaccia_.messaggi.empty());
}

TEST_F(FinestraTest, CodesDifferingInCapitalsDoNotMatch) {
    Apri("Delta;c;db2admin;db2admin;db2admin;AB;m;\r\n");
    DigitaCodice(u"ab");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    Cancella(EditCombo(), 2);
    DigitaCodice(u"AB");
    EXPECT_EQ(Mostrati(), (Campi{u"Delta", u"m", true, false}));
}

// --- Confirmation -----------------------------------------------------------------------------

class ConfermaTest : public FinestraTest {};

TEST_F(ConfermaTest, ReportsOnlyTheFirstMissingEntryInOrderAndKeepsTheWindow) {
    struct Caso {
        Voci voci;
        std::string_view messaggio;
    };
    const Caso casi[] = {
        {{u"", u"", nullptr, u""}, kMsgCodiceMancante},
        {{u"", u"d", "OptionServer(0)", u"m"}, kMsgCodiceMancante},
        {{u"7", u"", "OptionServer(1)", u"m"}, kMsgDescrizioneMancante},
        {{u"7", u"d", nullptr, u""}, kMsgServerMancante},  // server before machine
        {{u"7", u"d", "OptionServer(0)", u""}, kMsgMacchinaMancante},
    };
    Apri();
    const std::string prima = Parametri();
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.messaggio);
        interfaccia_.messaggi.clear();
        Compila(c.voci);
        Clicca("PictureOk");
        EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{U(c.messaggio)});
        EXPECT_EQ(Testo("TextDescrizioneDitta"), c.voci.descrizione) << "entries unchanged";
    }
    EXPECT_EQ(interfaccia_.proprietari.front(), form_->Finestra());
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_EQ(Parametri(), prima);
}

TEST_F(ConfermaTest, ACodeInNoLineTurnsTheServerOffSoTheNextOkAsksForIt) {
    Apri();
    Compila({u"001", u"Beta", "OptionServer(0)", u""});
    Clicca("PictureOk");
    DigitaCodice(u"9");  // "0019": in no line
    Imposta("TextDescrizioneDitta", u"Nuova");
    Imposta("TextMacchina", u"10.1.1.1");
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi,
              (std::vector<std::u16string>{U(kMsgMacchinaMancante), U(kMsgServerMancante)}));
    EXPECT_EQ(form_->Stato().ParametroServer1, "");
    EXPECT_EQ(form_->Stato().CodiceDitta, "0019");
}

TEST_F(ConfermaTest, SaveReplacesTheCompanyInEveryAreaThenSaysSetupTerminatoAndEnds) {
    Apri();
    Scegli(1);  // 001
    Imposta("TextMacchina", u" 10.9.9.9 ");
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{U(kMsgSetupTerminato)});
    EXPECT_EQ(interfaccia_.terminazioni, 1);

    const DatiDitta& s = form_->Stato();
    EXPECT_EQ(s.CodiceDitta, "001");
    EXPECT_EQ(s.DescrizioneDitta, "Beta");
    EXPECT_EQ(s.Macchina, " 10.9.9.9 ") << "untrimmed";
    EXPECT_EQ(s.ParametroServer1, "db2inst1");
    EXPECT_EQ(s.ParametroServer3, "db2inst1");
    std::string atteso = kParametri;
    const std::string vecchia = "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;";
    atteso.replace(atteso.find(vecchia), vecchia.size(),
                   "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001; 10.9.9.9 ;");
    EXPECT_EQ(Parametri(), atteso);
    EXPECT_EQ(LeggiTesto(cartella_.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt"), atteso);
    EXPECT_EQ(LeggiTesto(cartella_.Percorso() / "SCHEDULATORE" / "BRIO_PARAMS.txt"), atteso);
    EXPECT_FALSE(std::filesystem::exists(cartella_.Percorso() / "COMMERCIALE"));
}

TEST_F(ConfermaTest, BlankEntriesArePresentAndANewCodeIsAppended) {
    Apri("");
    Compila({u" ", u" ", "OptionServer(0)", u" "});
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{U(kMsgSetupTerminato)});
    EXPECT_EQ(Parametri(), " ;C:\\Cat\\Dwh .oce;db2admin;db2admin;db2admin; ; ;\r\n");
}

TEST_F(ConfermaTest, RejectsTheFirstEntryThatCannotBeStored) {
    struct Caso {
        Voci voci;
        std::string_view etichetta;
    };
    const Caso casi[] = {
        {{u"0;1", u"d", "OptionServer(0)", u"m"}, kEtichettaCodice},
        {{u"1", u"Ditta \u0141\u00F3d\u017A", "OptionServer(0)", u"m;"}, kEtichettaDescrizione},
        {{u"1", u"Caff\u00E8 \u20AC", "OptionServer(1)", u"10.0.0.1;"}, kEtichettaMacchina},
    };
    Apri();
    const std::string prima = Parametri();
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.etichetta);
        interfaccia_.messaggi.clear();
        Compila(c.voci);
        Clicca("PictureOk");
        EXPECT_EQ(interfaccia_.messaggi,
                  std::vector<std::u16string>{U(MessaggioCaratteriNonAmmessi(c.etichetta))});
    }
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_EQ(Parametri(), prima);
}

TEST_F(ConfermaTest, FailedSaveNamesWhatWasNotUpdatedAndKeepsTheWindowForARetry) {
    test::FileSystemMemoria fs;
    fs.cartelle = {"C:\\Pacchetto", "C:\\Pacchetto\\CONTABILITA"};
    fs.file["C:\\Pacchetto\\BRIO_PARAMS.txt"] = "A;c;db2admin;db2admin;db2admin;001;m;\r\n";
    ArchivioCartella archivio(fs, "C:\\Pacchetto", {"C:\\Cat"});
    fs.fallisci = 0;  // the first file operation of the save
    ApriSu(archivio);
    Compila({u"001", u"A", "OptionServer(1)", u"m2"});
    fs.operazioni = 0;
    Clicca("PictureOk");
    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    const std::u16string& m = interfaccia_.messaggi[0];
    EXPECT_EQ(m.rfind(U(kMsgSalvataggioNonRiuscito) + u"\r\n", 0), 0u)
        << std::string(m.begin(), m.end());
    EXPECT_NE(m.find(u"C:\\Pacchetto\\"), std::u16string::npos);
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(Testo("TextMacchina"), u"m2");
    EXPECT_EQ(fs.file["C:\\Pacchetto\\BRIO_PARAMS.txt"],
              "A;c;db2admin;db2admin;db2admin;001;m;\r\n");

    fs.fallisci = -1;
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi.back(), U(kMsgSetupTerminato));
    EXPECT_EQ(interfaccia_.terminazioni, 1);
    EXPECT_EQ(fs.file["C:\\Pacchetto\\CONTABILITA\\BRIO_PARAMS.txt"],
              "A;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;m2;\r\n");
}

TEST_F(ConfermaTest, NoAreaFolderShowsTheAbortMessageAndEnds) {
    Apri(kParametri, {});
    const std::string prima = Parametri();
    Compila({u"001", u"Beta", "OptionServer(0)", u"m"});
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{U(kMsgNessunaArea)});
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
              (std::vector<std::u16string>{U(kMsgCodiceMancante), U(kMsgCodiceMancante)}));
    EXPECT_EQ(interfaccia_.terminazioni, 0);
}

}  // namespace
}  // namespace velmar
