// The console program on Windows beside the window: a save from SetupVelmarCmd and a save through
// the window's own confirmation of the same entries leave byte-identical files; without --base
// the program takes the package's folder from the application-folder component (the stand-in,
// registered here) and the catalog folder from BrioQuery's registry value.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pacchetto/pacchetto.h"
#include "store/archivio.h"
#include "tests/console/programma.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/interfaccia_registrata_win32.h"
#include "tests/support/registro_prova_win32.h"
#include "tests/support/testo_win32.h"
#include "window/form_setup_velmar_win32.h"
#include "store/conferma.h"
#include "store/cp1252.h"
#include "store/salvataggio.h"

namespace velmar {
namespace {

namespace fs = std::filesystem;

const std::string kRighe =
    "Alfa;C:\\Cat\\Dwh002.oce;db2admin;db2admin;db2admin;002;10.0.0.2;\r\n"
    "corta;x\r\n"
    "\r\n"
    "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;\r\n"
    "Beta2;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001\r\n"
    "senza fine riga;x;x;x;x;009;m;";

const char* const kAree[] = {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"};

// A package folder with the parameters file and the given area folders.
fs::path Pacchetto(const test::CartellaTemporanea& tmp, const std::string& nome,
                   std::vector<std::string> aree) {
    const fs::path p = tmp.Crea(nome);
    test::ScriviTesto(p / "BRIO_PARAMS.txt", kRighe);
    for (const auto& a : aree)
        fs::create_directories(p / a);
    return p;
}

// Everything a save leaves in a package folder: each file's path below it and its bytes.
std::vector<std::pair<std::string, std::string>> Contenuto(const fs::path& cartella) {
    std::vector<std::pair<std::string, std::string>> r;
    for (const auto& voce : fs::recursive_directory_iterator(cartella)) {
        if (voce.is_regular_file()) {
            r.emplace_back(fs::relative(voce.path(), cartella).string(),
                           test::LeggiTesto(voce.path()));
        }
    }
    std::sort(r.begin(), r.end());
    return r;
}

// The window on a package: its entries filled as a person does, then its OK image clicked.
// Returns the messages it showed.
std::vector<std::u16string> ConfermaNellaFinestra(const fs::path& cartella,
                                                  std::u16string_view codice,
                                                  std::u16string_view descrizione,
                                                  const char* server,
                                                  std::u16string_view macchina) {
    ArchivioCartella archivio(FileSystemDiSistema(), cartella.string(), {"D:\\OCE"});
    test::InterfacciaRegistrata interfaccia;
    {
        FormSetupVelmar form(archivio, interfaccia);
        EXPECT_TRUE(form.Crea(::GetModuleHandleW(nullptr)));
        form.Mostra(SW_SHOW);
        const auto controllo = [&](const char* nome) { return form.Controllo(nome).value(); };
        const HWND combo = controllo("ComboCodiceDitta");
        const HWND edit = ::FindWindowExW(combo, nullptr, L"Edit", nullptr);
        for (const char16_t c : codice)
            ::SendMessageW(edit, WM_CHAR, c, 1);
        const auto imposta = [&](const char* nome, std::u16string_view testo) {
            const std::u16string t(testo);
            ::SendMessageW(controllo(nome), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
        };
        imposta("TextDescrizioneDitta", descrizione);
        imposta("TextMacchina", macchina);
        ::SendMessageW(controllo(server), BM_CLICK, 0, 0);
        ::SendMessageW(controllo("PictureOk"), BM_CLICK, 0, 0);
    }
    // The window posts WM_QUIT when destroyed; no later case must see it.
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(interfaccia.terminazioni, 1);
    return interfaccia.messaggi;
}

TEST(ConsoleEFinestra, TheSameEntriesSavedBothWaysGiveByteIdenticalFiles) {
    struct Caso {
        std::u16string codice;
        std::u16string descrizione;
        const char* opzione;  // the window's option button
        const char* server;   // the console's --server
        std::u16string macchina;
        std::vector<std::string> aree;
    };
    const Caso casi[] = {
        // Replaced on both of its lines, in every area.
        {u"001",
         u"Beta nuova",
         "OptionServer(0)",
         "nt",
         u"10.9.9.9",
         {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"}},
        // A new code appended after a last line with no terminator; one area only.
        {u"010",
         u"Societ\u00E0 \u20AC \"S.p.A.\"",
         "OptionServer(1)",
         "linux",
         u" 10.0.0.10 ",
         {"COMMERCIALE"}},
        // A code of one blank is a present code.
        {u" ", u"Spazio", "OptionServer(1)", "linux", u"host", {"CONTABILITA", "SCHEDULATORE"}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(test::Utf8(c.descrizione));
        test::CartellaTemporanea tmp;
        const fs::path finestra = Pacchetto(tmp, "finestra", c.aree);
        const fs::path console = Pacchetto(tmp, "console", c.aree);
        const fs::path uscite = tmp.Crea("uscite");

        EXPECT_EQ(ConfermaNellaFinestra(finestra, c.codice, c.descrizione, c.opzione, c.macchina),
                  std::vector<std::u16string>{Utf16Da1252(kMsgSetupTerminato)});
        const test::EsitoProgramma e = test::EseguiProgramma(
            {"salva", "--base", console.string(), "--catalogo", "D:\\OCE", "--codice",
             test::Utf8(c.codice), "--descrizione", test::Utf8(c.descrizione), "--server", c.server,
             "--macchina", test::Utf8(c.macchina)},
            uscite);
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_EQ(e.uscita, Utf8Da1252(kMsgSetupTerminato) + "\n");

        const auto attesi = Contenuto(finestra);
        EXPECT_EQ(Contenuto(console), attesi);
        // The base folder's file, one per area, and the empty lock file.
        EXPECT_EQ(attesi.size(), 2 + c.aree.size());
        EXPECT_NE(attesi.front().second, kRighe);
    }
}

// ---------------------------------------------------------------------------------------------
// The default folders of the installed package.

constexpr char kChiaveStandIn[] = "Software\\PercorsiApplicazioni";

class ConsolePacchetto : public testing::Test {
  protected:
    void SetUp() override {
        pacchetto = Pacchetto(tmp, "pacchetto", {"CONTABILITA"});
        uscite = tmp.Crea("uscite");
        ASSERT_EQ(brio.ScriviWide(pacchetto.wstring()), ERROR_SUCCESS);
    }

    test::EsitoProgramma Esegui(const std::vector<std::string>& argomenti) {
        return test::EseguiProgramma(argomenti, uscite);
    }
    // The line after the blank one: where code 001 stood first.
    std::string RigaDi001() const {
        const std::string t = test::LeggiTesto(pacchetto / "CONTABILITA" / "BRIO_PARAMS.txt");
        const std::size_t inizio = t.find("\r\n\r\n") + 4;
        return t.substr(inizio, t.find("\r\n", inizio) - inizio);
    }

    test::ValoreRipristinato brio{HKEY_CURRENT_USER, kChiaveStandIn, "Brio"};
    test::ValoreRipristinato catalogo{HKEY_CURRENT_USER, std::string(kChiaveBrioQuery),
                                      std::string(kValoreCartellaCatalogo)};
    test::CartellaTemporanea tmp;
    fs::path pacchetto;
    fs::path uscite;
};

TEST_F(ConsolePacchetto, WithoutBaseTheComponentGivesTheFolderAndTheRegistryTheCatalog) {
    const test::EsitoProgramma elenco = Esegui({"elenco"});
    EXPECT_EQ(elenco.stato, 0) << elenco.errori;
    EXPECT_EQ(elenco.uscita, "002\n001\n001\n009\n");

    const std::vector<std::string> salva = {
        "salva", "--codice", "001", "--descrizione", "B", "--server", "linux", "--macchina", "m"};
    // The record of those entries with the catalog folder the console must use.
    const DatiDitta dati{"001", "B", "m", "db2inst1", "db2inst1", "db2inst1"};
    struct Caso {
        const char* registro;  // nullptr: no value
        std::vector<std::string> altri;
        std::string catalogo;
    };
    const Caso casi[] = {
        {"E:\\Cataloghi", {}, "E:\\Cataloghi"},
        {nullptr, {}, std::string(kCartellaCatalogoPredefinita)},
        {"E:\\Cataloghi", {"--catalogo", "F:\\Oce"}, "F:\\Oce"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.catalogo);
        if (c.registro) {
            ASSERT_EQ(catalogo.Scrivi(REG_SZ, c.registro), ERROR_SUCCESS);
        } else {
            catalogo.Elimina();
        }
        std::vector<std::string> argomenti = salva;
        argomenti.insert(argomenti.end(), c.altri.begin(), c.altri.end());
        const test::EsitoProgramma e = Esegui(argomenti);
        EXPECT_EQ(e.stato, 0) << e.errori;
        EXPECT_EQ(e.uscita, Utf8Da1252(kMsgSetupTerminato) + "\n");
        EXPECT_EQ(RigaDi001(), ComponiRecord(dati, c.catalogo));
    }
}

TEST_F(ConsolePacchetto, AFolderTheComponentCannotGiveIsReportedWithItsReason) {
    brio.Elimina();
    const test::EsitoProgramma e = Esegui({"elenco"});
    EXPECT_EQ(e.stato, 7);
    EXPECT_EQ(e.uscita, "");
    EXPECT_EQ(e.errori.rfind("Cartella del pacchetto non disponibile: il componente non ha dato "
                             "la cartella: ",
                             0),
              0u)
        << e.errori;
    EXPECT_NE(e.errori.find("Chiave applicazione sconosciuta: Brio"), std::string::npos);

    ASSERT_EQ(brio.ScriviWide((pacchetto / "manca").wstring()), ERROR_SUCCESS);
    const test::EsitoProgramma m = Esegui({"mostra", "001"});
    EXPECT_EQ(m.stato, 7);
    EXPECT_EQ(m.errori,
              "La cartella del pacchetto non esiste: '" + (pacchetto / "manca").string() + "'\n");

    // --base needs no component at all.
    const test::EsitoProgramma b =
        Esegui({"mostra", "002", "--json", "--base", pacchetto.string()});
    EXPECT_EQ(b.stato, 0) << b.errori;
    EXPECT_EQ(b.uscita,
              "{\"codice\":\"002\",\"descrizione\":\"Alfa\",\"server\":\"nt\","
              "\"macchina\":\"10.0.0.2\"}\n");
}

#ifdef VELMAR_CONSOLE_ALTRA_EXE
// The other width's program beside the stand-in component, registered for this width only.
TEST_F(ConsolePacchetto, TheOtherWidthsProgramNamesTheBuildToUse) {
    const std::string bit = sizeof(void*) == 8 ? "64" : "32";
    const test::EsitoProgramma e =
        test::EseguiProgramma(VELMAR_CONSOLE_ALTRA_EXE, {"elenco"}, uscite);
    EXPECT_EQ(e.stato, 7);
    EXPECT_EQ(e.uscita, "");
    EXPECT_EQ(e.errori,
              "Cartella del pacchetto non disponibile: il componente PercorsiApplicazioni "
              "non si pu\xC3\xB2 usare da questo programma: \xC3\xA8 registrato solo per i "
              "programmi a " +
                  bit + " bit; usa i programmi della cartella win" + bit + "\n");
}
#endif

}  // namespace
}  // namespace velmar
