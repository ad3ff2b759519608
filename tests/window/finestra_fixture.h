// The setup window in-process, shared by the window's test files: the real window procedure
// driven with messages on a temporary package folder, the message boxes and the end of the
// program captured through the seam, the store's operations counted.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_win32.h"
#include "store/archivio.h"
#include "store/cp1252.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/interfaccia_registrata_win32.h"
#include "window/form_setup_velmar_win32.h"

namespace velmar::test {

// Counts the store's operations the window asks for.
class ArchivioContato final : public ArchivioDitte {
  public:
    explicit ArchivioContato(ArchivioDitte& archivio) : archivio_(archivio) {}
    int letture = 0;
    std::vector<std::string> ricerche;
    int salvataggi = 0;

    Risultato<std::vector<std::string>> LeggiDitte() override {
        ++letture;
        return archivio_.LeggiDitte();
    }
    Risultato<std::vector<VoceDitta>> LeggiElenco() override {
        ++letture;
        return archivio_.LeggiElenco();
    }
    Risultato<RisultatoRicerca> CercaDitta(std::string_view codice) override {
        ricerche.emplace_back(codice);
        return archivio_.CercaDitta(codice);
    }
    Salvataggio PreparaScrittura(const DatiDitta& stato) override {
        ++salvataggi;
        return archivio_.PreparaScrittura(stato);
    }
    // Not used by the window.
    std::optional<Problema> AvvisoLettura() override { return archivio_.AvvisoLettura(); }
    RisultatoModifica Elimina(std::string_view codice) override {
        return archivio_.Elimina(codice);
    }
    RisultatoModifica Distribuisci() override { return archivio_.Distribuisci(); }
    Risultato<std::vector<Problema>> Verifica() override { return archivio_.Verifica(); }
    RisultatoModifica Ripara() override { return archivio_.Ripara(); }

  private:
    ArchivioDitte& archivio_;
};

struct Voci {
    const char16_t* codice;
    const char16_t* descrizione;
    const char* server;  // option button to click, or nullptr
    const char16_t* macchina;
};

inline constexpr char kParametri[] =
    "Alfa;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;10.0.0.2;\r\n"
    "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;\r\n"
    "Caff\xE8;C:\\Cat\\Dwh003.oce;db2admin;db2admin;db2admin;003\r\n";

class FinestraTest : public ::testing::Test {
  protected:
    void TearDown() override {
        form_.reset();
        // The window posts WM_QUIT when destroyed; no later test must see it.
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Opens the window on a package folder holding `parametri` (none when null) and `aree`.
    void Apri(const char* parametri = kParametri,
              std::vector<std::string> aree = {"CONTABILITA", "SCHEDULATORE"}) {
        if (parametri)
            ScriviTesto(cartella_.Percorso() / "BRIO_PARAMS.txt", parametri);
        for (const auto& a : aree)
            cartella_.Crea(a);
        pacchetto_ = std::make_unique<ArchivioCartella>(FileSystemDiSistema(), cartella_.Testo(),
                                                        ValoreCatalogo{"C:\\Cat"}, attesa_);
        archivio_ = std::make_unique<ArchivioContato>(*pacchetto_);
        form_ = std::make_unique<FormSetupVelmar>(*archivio_, interfaccia_);
        ASSERT_TRUE(form_->Crea(::GetModuleHandleW(nullptr)));
        form_->Mostra(SW_SHOW);
    }

    HWND C(std::string_view nome) const {
        const std::optional<HWND> h = form_->Controllo(nome);
        EXPECT_TRUE(h && *h != nullptr) << nome;
        return h.value_or(nullptr);
    }
    HWND EditCombo() const {
        return ::FindWindowExW(C("ComboCodiceDitta"), nullptr, L"Edit", nullptr);
    }

    static std::u16string Testo(HWND h) {
        std::u16string t(static_cast<std::size_t>(::GetWindowTextLengthW(h)) + 1, u'\0');
        t.resize(static_cast<std::size_t>(
            ::GetWindowTextW(h, reinterpret_cast<wchar_t*>(t.data()), static_cast<int>(t.size()))));
        return t;
    }
    std::u16string Testo(std::string_view nome) const { return Testo(C(nome)); }
    bool Attivo(std::string_view nome) const {
        return ::SendMessageW(C(nome), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    // Types into an edit control one character at a time, as the keyboard does.
    static void Digita(HWND edit, std::u16string_view testo) {
        for (char16_t c : testo)
            ::SendMessageW(edit, WM_CHAR, c, 1);
    }
    void DigitaCodice(std::u16string_view testo) const { Digita(EditCombo(), testo); }
    void Imposta(std::string_view nome, std::u16string_view testo) const {
        const std::u16string t(testo);
        ::SendMessageW(C(nome), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
    }
    void Clicca(std::string_view nome) const { ::SendMessageW(C(nome), BM_CLICK, 0, 0); }

    // Chooses entry `indice` of the open drop-down list with the mouse.
    void Scegli(int indice) const {
        const HWND combo = C("ComboCodiceDitta");
        ::SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(::GetComboBoxInfo(combo, &info));
        RECT r{};
        ASSERT_NE(
            ::SendMessageW(info.hwndList, LB_GETITEMRECT, indice, reinterpret_cast<LPARAM>(&r)),
            LB_ERR);
        const LPARAM punto = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ::SendMessageW(info.hwndList, WM_MOUSEMOVE, 0, punto);
        ::SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, punto);
        ::SendMessageW(info.hwndList, WM_LBUTTONUP, 0, punto);
    }

    struct Campi {
        std::u16string descrizione;
        std::u16string macchina;
        bool nt;
        bool linux;
        bool operator==(const Campi&) const = default;
        friend void PrintTo(const Campi& c, std::ostream* os) {
            *os << "{" << ::testing::PrintToString(c.descrizione) << ", "
                << ::testing::PrintToString(c.macchina) << ", NT " << c.nt << ", Linux " << c.linux
                << "}";
        }
    };
    Campi Mostrati() const {
        return {Testo("TextDescrizioneDitta"), Testo("TextMacchina"), Attivo("OptionServer(0)"),
                Attivo("OptionServer(1)")};
    }
    std::string Parametri() const { return LeggiTesto(cartella_.Percorso() / "BRIO_PARAMS.txt"); }

    // Fills the entries: the code typed (each character looked up), description and machine set,
    // and `server` clicked when given.
    void Compila(const Voci& v) {
        ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        DigitaCodice(v.codice);
        Imposta("TextDescrizioneDitta", v.descrizione);
        Imposta("TextMacchina", v.macchina);
        if (v.server)
            Clicca(v.server);
    }

    CartellaTemporanea cartella_;
    // How long a save waits for another one (set before Apri).
    std::chrono::milliseconds attesa_ = kAttesaBlocco;
    std::unique_ptr<ArchivioCartella> pacchetto_;
    std::unique_ptr<ArchivioContato> archivio_;
    InterfacciaRegistrata interfaccia_;
    std::unique_ptr<FormSetupVelmar> form_;
};

}  // namespace velmar::test
