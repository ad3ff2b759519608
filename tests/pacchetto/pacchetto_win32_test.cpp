// The installed package's store end to end under Wine: base folder from the stand-in component,
// catalog folder from BrioQuery's registry value, files on the real file system.
#include "pacchetto/messaggi.h"
#include "pacchetto/pacchetto_win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/registro_win32.h"
#include "store/record.h"
#include "tests/support/ditta_di_prova.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/registro_prova_win32.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using namespace std::string_literals;

using test::kDitta001;

class Pacchetto : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        const std::string t = base.Testo();
        ASSERT_EQ(brio.ScriviWide(std::wstring(t.begin(), t.end())), ERROR_SUCCESS);
        catalogo.Elimina();
    }
    void TearDown() override { ::CoUninitialize(); }

    // Field 1 of the saved record of code 001 in the parameters file of `cartella`.
    std::string CatalogoSalvato(const std::filesystem::path& cartella) const {
        const std::string testo = test::LeggiTesto(cartella / "BRIO_PARAMS.txt");
        const std::string riga = testo.substr(0, testo.find("\r\n"));
        const CampiRiga campi = TagliaCampi(riga);
        EXPECT_EQ(campi.Campo(riga, 5), "001") << testo;
        return std::string(campi.Campo(riga, 1).value_or("<assente>"));
    }

    test::CartellaTemporanea base;
    test::ValoreRipristinato brio{HKEY_CURRENT_USER, "Software\\PercorsiApplicazioni", "Brio"};
    test::ValoreRipristinato catalogo{HKEY_CURRENT_USER, std::string(kChiaveBrioQuery),
                                      std::string(kValoreCartellaCatalogo)};
};

TEST_F(Pacchetto, SavesWithTheCatalogFolderReadFromTheRegistry) {
    const std::string predefinita = std::string(kCartellaCatalogoPredefinita) + "\\Dwh001.oce";
    struct Caso {
        const char* nome;
        DWORD tipo;  // REG_NONE: no value at all
        std::string dati;
        std::string campo1;
    } casi[] = {
        {"assente", REG_NONE, "", predefinita},
        {"cartella", REG_SZ, "D:\\OCE\0"s, "D:\\OCE\\Dwh001.oce"},
        {"barra finale", REG_SZ, "D:\\OCE\\\0"s, "D:\\OCE\\\\Dwh001.oce"},
        {"vuota", REG_SZ, "\0"s, predefinita},
        {"troppo lunga", REG_SZ, std::string(1100, 'x') + '\0', predefinita},
        {"espandibile", REG_EXPAND_SZ, "%TEMP%\\OCE\0"s, predefinita},
        {"numero", REG_DWORD, "\x00\x10\x00\x00"s, "4096\\Dwh001.oce"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        if (c.tipo == REG_NONE) {
            catalogo.Elimina();
        } else {
            ASSERT_EQ(catalogo.Scrivi(c.tipo, c.dati), ERROR_SUCCESS);
        }
        test::CartellaTemporanea pacchetto;
        pacchetto.Crea("COMMERCIALE");
        const std::string t = pacchetto.Testo();
        ASSERT_EQ(brio.ScriviWide(std::wstring(t.begin(), t.end())), ERROR_SUCCESS);

        ArchivioPacchetto archivio;
        const RisultatoModifica r = archivio.ScriviFile(kDitta001);
        ASSERT_TRUE(r && r->Completo()) << (r ? TestoAggiornamento(*r) : TestoErrore(r.Errore()));
        EXPECT_EQ(CatalogoSalvato(pacchetto.Percorso()), c.campo1);
    }
}

TEST_F(Pacchetto, CatalogFolderReaderGivesTheValueOrEmpty) {
    EXPECT_EQ(LeggiCartellaCatalogo(), ValoreCatalogo{});
    ASSERT_EQ(catalogo.Scrivi(REG_SZ, "E:\\Cataloghi\0"s), ERROR_SUCCESS);
    EXPECT_EQ(LeggiCartellaCatalogo(), ValoreCatalogo{"E:\\Cataloghi"});
    ASSERT_EQ(catalogo.Scrivi(REG_BINARY, "\x01"s), ERROR_SUCCESS);
    EXPECT_EQ(LeggiCartellaCatalogo(), ValoreCatalogo{});
}

TEST_F(Pacchetto, ACatalogFolderThatCannotGoIntoARecordStopsTheSave) {
    base.Crea("CONTABILITA");
    for (const std::wstring valore : {L"D:\\O;CE", L"D:\\OCE\r\n", L"D:\\\u0141\u00F3d\u017A"}) {
        ASSERT_EQ(catalogo.ScriviWide(valore), ERROR_SUCCESS);
        const RisultatoModifica r = ArchivioPacchetto().ScriviFile(kDitta001);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.Errore().tipo, TipoErrore::NonSalvato);
        ASSERT_EQ(r.Errore().percorsi.size(), 1u);
        EXPECT_TRUE(
            r.Errore().percorsi[0].motivo.testo.starts_with("La cartella del catalogo 'D:\\"))
            << r.Errore().percorsi[0].motivo.testo;
        EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.txt"));
    }
}

TEST_F(Pacchetto, ListsAndLooksUpInTheComponentsFolder) {
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.txt",
                      "Prima;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;\r\n"
                      "Seconda;C:\\Cat\\Dwh002.oce;db2inst1;db2inst1;db2inst1;002;10.0.0.2;\r\n");
    ArchivioPacchetto archivio;
    EXPECT_EQ(test::Valore(archivio.LeggiDitte()), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(test::Valore(archivio.CercaDitta("002")),
              (RisultatoRicerca{"Seconda", "10.0.0.2", TipoServer::Linux}));

    // The folder is asked for at every operation.
    test::CartellaTemporanea altra;
    const std::string t = altra.Testo();
    ASSERT_EQ(brio.ScriviWide(std::wstring(t.begin(), t.end())), ERROR_SUCCESS);
    EXPECT_TRUE(test::Valore(archivio.LeggiDitte()).empty());
}

TEST_F(Pacchetto, SavesNothingWhenTheComponentGivesNoFolder) {
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.txt",
                      "Prima;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.1;\r\n");
    base.Crea("CONTABILITA");

    // A component only for programs of the other width.
    test::ClasseProvvisoria altraLarghezza;
    ASSERT_TRUE(altraLarghezza.Registra(sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY));

    struct Caso {
        const char* nome;
        const wchar_t* progId;
        bool conChiave;
        const char* motivo;
    } casi[] = {
        {"non registrato", L"PercorsiApplicazioni.NonRegistrato", true,
         "non si pu\xF2 creare: CLSIDFromProgID"},
        {"per l'altra larghezza", altraLarghezza.ProgId().c_str(), true,
         sizeof(void*) == 8 ? "non si pu\xF2 usare da questo programma: \xE8 registrato solo per "
                              "i programmi a 32 bit; usa i programmi della cartella win32"
                            : "non si pu\xF2 usare da questo programma: \xE8 registrato solo per "
                              "i programmi a 64 bit; usa i programmi della cartella win64"},
        {"registrato senza chiave", kProgIdPercorsi, false, "Chiave applicazione sconosciuta"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        if (!c.conChiave)
            brio.Elimina();
        ArchivioPacchetto archivio(c.progId);
        const Risultato<std::vector<std::string>> codici = archivio.LeggiDitte();
        ASSERT_FALSE(codici);
        EXPECT_EQ(codici.Errore().tipo, TipoErrore::CartellaNonDisponibile);
        const Risultato<RisultatoRicerca> ditta = archivio.CercaDitta("001");
        ASSERT_FALSE(ditta);
        EXPECT_EQ(ditta.Errore().tipo, TipoErrore::CartellaNonDisponibile);
        const RisultatoModifica r = archivio.ScriviFile(kDitta001);
        ASSERT_FALSE(r);
        EXPECT_TRUE(TestoErrore(r.Errore())
                        .starts_with(std::string(kMsgSalvataggioNonRiuscito) + "\r\n" +
                                     std::string(kCartellaNonDisponibile) + ": il componente"))
            << TestoErrore(r.Errore());
        EXPECT_NE(TestoErrore(r.Errore()).find(c.motivo), std::string::npos);
    }
    EXPECT_EQ(CatalogoSalvato(base.Percorso()), "C:\\Cat\\Dwh001.oce");
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt"));
}

}  // namespace
}  // namespace velmar
