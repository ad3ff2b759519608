// The real SetupVelmar.exe, started in this prefix with the stand-in application-folder
// component pointing at a temporary package, driven from this process as a person would: typing
// into the combo, clicking an option button and the OK image, reading and dismissing the real
// message box. The files are checked once the program has ended.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles_win32.h"
#include "store/conferma.h"
#include "store/record.h"
#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/registro_prova_win32.h"
#include "tests/support/testo_win32.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using namespace std::chrono_literals;
using test::CartellaTemporanea;
using test::LeggiTesto;
using test::ScriviTesto;
using test::ValoreRipristinato;

constexpr char kProgramma[] = VELMAR_SETUP_EXE;
constexpr auto kAttesa = 30s;

// Polls `condizione` until it holds or the wait is over.
template <class F>
bool Attendi(F&& condizione) {
    const auto fine = std::chrono::steady_clock::now() + kAttesa;
    while (std::chrono::steady_clock::now() < fine) {
        if (condizione())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return condizione();
}

std::wstring Classe(HWND h) {
    wchar_t nome[64] = {};
    ::GetClassNameW(h, nome, static_cast<int>(std::size(nome)));
    return nome;
}

// The text of a window of the other process (its controls keep theirs to themselves).
std::wstring Testo(HWND h) {
    wchar_t testo[512] = {};
    DWORD_PTR letti = 0;
    ::SendMessageTimeoutW(h, WM_GETTEXT, std::size(testo), reinterpret_cast<LPARAM>(testo),
                          SMTO_ABORTIFHUNG, 5000, &letti);
    return testo;
}

BOOL CALLBACK AggiungiFinestra(HWND h, LPARAM l) {
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
    return TRUE;
}

std::vector<HWND> Discendenti(HWND finestra) {
    std::vector<HWND> tutti;
    ::EnumChildWindows(finestra, AggiungiFinestra, reinterpret_cast<LPARAM>(&tutti));
    return tutti;
}

HWND Trova(HWND finestra, const wchar_t* classe, const wchar_t* testo) {
    for (HWND h : Discendenti(finestra)) {
        if (::lstrcmpiW(Classe(h).c_str(), classe) == 0 && (!testo || Testo(h) == testo))
            return h;
    }
    return nullptr;
}

// The text box that a label names, as a person finds it.
HWND CampoDi(HWND finestra, const wchar_t* etichetta) {
    const HWND label = Trova(finestra, L"Static", etichetta);
    return label ? ::FindWindowExW(::GetParent(label), nullptr, L"Edit", nullptr) : nullptr;
}

void Digita(HWND edit, std::wstring_view testo) {
    for (wchar_t c : testo)
        ::SendMessageW(edit, WM_CHAR, c, 1);
}

class Programma {
  public:
    Programma() {
        STARTUPINFOW avvio{};
        avvio.cb = sizeof(avvio);
        PROCESS_INFORMATION pi{};
        std::wstring riga = L"\"" + test::Utf16(kProgramma) + L"\"";
        if (::CreateProcessW(nullptr, riga.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &avvio, &pi)) {
            processo_.reset(pi.hProcess);
            unique_handle thread(pi.hThread);
            id_ = pi.dwProcessId;
        }
    }
    Programma(const Programma&) = delete;
    Programma& operator=(const Programma&) = delete;
    ~Programma() {
        if (processo_ && ::WaitForSingleObject(processo_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(processo_.get(), 99);
            ::WaitForSingleObject(processo_.get(), 10'000);
        }
    }

    bool Avviato() const { return static_cast<bool>(processo_); }

    // A visible top-level window of the program with class `classe`, or null.
    HWND FinestraDiClasse(const wchar_t* classe) const {
        std::vector<HWND> finestre;
        ::EnumWindows(AggiungiFinestra, reinterpret_cast<LPARAM>(&finestre));
        for (HWND h : finestre) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(h, &id);
            if (id == id_ && ::IsWindowVisible(h) && Classe(h) == classe)
                return h;
        }
        return nullptr;
    }

    // The setup window once it is shown with all its controls.
    HWND AttendiFinestra() const {
        HWND f = nullptr;
        Attendi([&] {
            f = FinestraDiClasse(L"FormSetupVelmar");
            return f && Trova(f, L"Button", L"Annulla") && Trova(f, L"ComboBox", nullptr);
        });
        return f;
    }

    HWND AttendiMessaggio() const {
        HWND m = nullptr;
        Attendi([&] { return (m = FinestraDiClasse(L"#32770")) != nullptr; });
        return m;
    }

    // The exit code once the program has ended, or -1 while it still runs.
    long AttendiFine() const {
        if (::WaitForSingleObject(processo_.get(), 30'000) != WAIT_OBJECT_0)
            return -1;
        DWORD codice = 0;
        ::GetExitCodeProcess(processo_.get(), &codice);
        return static_cast<long>(codice);
    }

  private:
    unique_handle processo_;
    DWORD id_ = 0;
};

// The message box's text, title and buttons; then OK pressed as a person presses it.
struct Messaggio {
    std::wstring titolo;
    std::wstring testo;
    bool soloOk;
};

Messaggio LeggiEChiudi(HWND box) {
    Messaggio m{Testo(box), Testo(::GetDlgItem(box, 0xFFFF)),
                ::GetDlgItem(box, IDOK) && !::GetDlgItem(box, IDCANCEL) &&
                    !::GetDlgItem(box, IDYES) && !::GetDlgItem(box, IDNO)};
    ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return m;
}

// Waits for the program's message box, checks that it is the program's own (title
// "SetupVelmar", OK only) and says `testo`, and presses OK. Null when no box appeared.
HWND ChiudiMessaggio(Programma& programma, std::wstring_view testo) {
    const HWND box = programma.AttendiMessaggio();
    if (box == nullptr)
        return nullptr;
    const Messaggio m = LeggiEChiudi(box);
    EXPECT_EQ(m.titolo, L"SetupVelmar");
    EXPECT_EQ(m.testo, testo);
    EXPECT_TRUE(m.soloOk);
    return box;
}

void Clicca(HWND immagine) {
    ::PostMessageW(immagine, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(immagine, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

constexpr char kParametri[] =
    "Alfa Srl;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;\r\n"
    "Beta Spa;C:\\Cat\\Dwh002.oce;db2inst1;db2inst1;db2inst1;002;10.0.0.2;\r\n";

class SetupVelmarExe : public ::testing::Test {
  protected:
    void SetUp() override {
        ScriviTesto(pacchetto_.Percorso() / "BRIO_PARAMS.txt", kParametri);
        pacchetto_.Crea("CONTABILITA");
        pacchetto_.Crea("SCHEDULATORE");
        ASSERT_EQ(cartellaBase_.ScriviWide(pacchetto_.Percorso().wstring()), ERROR_SUCCESS);
        ASSERT_EQ(catalogo_.Scrivi(REG_SZ, "C:\\Cataloghi"), ERROR_SUCCESS);
    }

    std::string Parametri() const { return LeggiTesto(pacchetto_.Percorso() / "BRIO_PARAMS.txt"); }

    CartellaTemporanea pacchetto_;
    ValoreRipristinato cartellaBase_{HKEY_CURRENT_USER, "Software\\PercorsiApplicazioni", "Brio"};
    ValoreRipristinato catalogo_{HKEY_CURRENT_USER, "Software\\Brio\\BrioQuery\\BrioQuery",
                                 "OpenCatalogDir"};
};

TEST_F(SetupVelmarExe, TypingACodeChoosingNtAndClickingOkSavesAndEnds) {
    Programma programma;
    ASSERT_TRUE(programma.Avviato());
    const HWND f = programma.AttendiFinestra();
    ASSERT_NE(f, nullptr) << "the setup window did not appear";
    EXPECT_EQ(Testo(f), L"Setup Velmar");

    const HWND combo = Trova(f, L"ComboBox", nullptr);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 2) << "the package's two codes";
    Digita(::FindWindowExW(combo, nullptr, L"Edit", nullptr), L"002");
    const HWND descrizione = CampoDi(f, L"Descrizione Ditta");
    const HWND macchina = CampoDi(f, L"IP Macchina Unix");
    ASSERT_TRUE(descrizione && macchina);
    EXPECT_EQ(Testo(descrizione), L"Beta Spa");
    EXPECT_EQ(Testo(macchina), L"10.0.0.2");
    EXPECT_EQ(::SendMessageW(Trova(f, L"Button", L"Linux"), BM_GETCHECK, 0, 0), BST_CHECKED);

    ::SendMessageW(Trova(f, L"Button", L"NT"), BM_CLICK, 0, 0);
    ::SendMessageW(macchina, EM_SETSEL, 0, -1);
    Digita(macchina, L"10.0.0.99");
    Clicca(Trova(f, L"Button", L"Ok"));

    ASSERT_NE(ChiudiMessaggio(programma, L"Setup terminato"), nullptr) << "no message box";
    EXPECT_EQ(programma.AttendiFine(), 0);

    // Company 002 as entered, with the registry's catalog folder; its record is the store's.
    const DatiDitta salvata = CopiaVoci(
        {VoceUtente{"002"}, VoceUtente{"Beta Spa"}, VoceUtente{"10.0.0.99"}, TipoServer::NT});
    EXPECT_EQ(Parametri(), test::Valore(SostituisciInTesto(
                               kParametri, "002", ComponiRecord(salvata, "C:\\Cataloghi"))));
}

TEST_F(SetupVelmarExe, OkWithNothingEnteredAsksForTheCodeAndTheCloseBoxEndsWithoutSaving) {
    Programma programma;
    ASSERT_TRUE(programma.Avviato());
    const HWND f = programma.AttendiFinestra();
    ASSERT_NE(f, nullptr) << "the setup window did not appear";

    Clicca(Trova(f, L"Button", L"Ok"));
    const HWND box = ChiudiMessaggio(programma, L"Inserisci il Codice Ditta");
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_TRUE(Attendi([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(::IsWindowVisible(f)) << "the window stays open";

    ::PostMessageW(f, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(programma.AttendiFine(), 0);
    EXPECT_EQ(Parametri(), kParametri);
    EXPECT_FALSE(std::filesystem::exists(pacchetto_.Percorso() / "BRIO_PARAMS.dep"));
}

}  // namespace
}  // namespace velmar
