// The Windows file operations under the store: the atomic replace with its retries, targets
// that cannot be replaced, and folders whose names need Windows-1252.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/ditte.h"
#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"

namespace velmar {
namespace {

unique_hfile TieniAperto(const std::filesystem::path& p) {
    // Shared for reading only: nobody may rename over it or delete it meanwhile.
    return unique_hfile(::CreateFileW(p.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class SostituzioneWin32 : public testing::Test {
  protected:
    test::CartellaTemporanea cartella;
    std::filesystem::path nuovo = cartella.Percorso() / "nuovo";
    std::filesystem::path bersaglio = cartella.Percorso() / "bersaglio";

    void SetUp() override {
        test::ScriviTesto(nuovo, "nuovo\r\n");
        test::ScriviTesto(bersaglio, "vecchio\r\n");
    }
};

TEST_F(SostituzioneWin32, WaitsForATargetHeldOpenForAMoment) {
    unique_hfile aperto = TieniAperto(bersaglio);
    ASSERT_TRUE(aperto);
    ASSERT_FALSE(::MoveFileExW(nuovo.wstring().c_str(), bersaglio.wstring().c_str(),
                               MOVEFILE_REPLACE_EXISTING))
        << "the open handle should block the replace";
    std::thread chiudi([&] {
        ::Sleep(150);
        aperto.reset();
    });
    const Esito e = SostituisciFile(nuovo.wstring(), bersaglio.wstring(), 40, 25);
    chiudi.join();
    EXPECT_TRUE(e) << e.errore;
    EXPECT_EQ(test::LeggiTesto(bersaglio), "nuovo\r\n");
    EXPECT_FALSE(std::filesystem::exists(nuovo));
}

TEST_F(SostituzioneWin32, GivesUpOnATargetHeldOpenAndLeavesItWhole) {
    unique_hfile aperto = TieniAperto(bersaglio);
    ASSERT_TRUE(aperto);
    const Esito e = SostituisciFile(nuovo.wstring(), bersaglio.wstring(), 3, 10);
    EXPECT_FALSE(e);
    EXPECT_NE(e.errore.find('('), std::string::npos) << e.errore;
    aperto.reset();
    EXPECT_EQ(test::LeggiTesto(bersaglio), "vecchio\r\n");
    EXPECT_EQ(test::LeggiTesto(nuovo), "nuovo\r\n");
}

TEST(SalvataggioWin32, ALockedAreaCopyIsReportedAndTheOthersAreUpdated) {
    test::CartellaTemporanea base;
    for (const char* a : {"CONTABILITA", "COMMERCIALE"})
        base.Crea(a);
    const auto bloccato = base.Percorso() / "COMMERCIALE" / "BRIO_PARAMS.txt";
    test::ScriviTesto(bloccato, "vecchio\r\n");
    unique_hfile aperto = TieniAperto(bloccato);
    ASSERT_TRUE(aperto);

    const StatoFinestra s{"001", "D", "M", "db2admin", "db2admin", "db2admin"};
    const RisultatoSalvataggio r = SalvaDitta(FileSystemDiSistema(), s, "C:\\Cat", base.Testo());
    aperto.reset();

    EXPECT_EQ(r.esito, EsitoSalvataggio::SalvatoInParte);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].percorso, bloccato.string());
    EXPECT_EQ(test::LeggiTesto(bloccato), "vecchio\r\n");
    const std::string nuovo = "D;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;M;\r\n";
    EXPECT_EQ(test::LeggiTesto(base.Percorso() / "BRIO_PARAMS.txt"), nuovo);
    EXPECT_EQ(test::LeggiTesto(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt"), nuovo);
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "COMMERCIALE" / "BRIO_PARAMS.new"));
}

TEST(SalvataggioWin32, FolderNamesInWindows1252AreTheSystemsNames) {
    test::CartellaTemporanea radice;
    // "Società" in Windows-1252 for the store; the same name in UTF-16 for the system.
    const std::string base = radice.Testo() + "\\Societ\xE0";
    const auto cartella = radice.Percorso() / L"Societ\u00E0";
    std::filesystem::create_directories(cartella / L"SCHEDULATORE");

    const StatoFinestra s{"7", "Caff\xE8", "M", "db2inst1", "db2inst1", "db2inst1"};
    ASSERT_EQ(SalvaDitta(FileSystemDiSistema(), s, "", base).esito, EsitoSalvataggio::Salvato);
    EXPECT_TRUE(std::filesystem::exists(cartella / L"SCHEDULATORE" / L"BRIO_PARAMS.txt"));
    EXPECT_EQ(LeggiDitte(FileSystemDiSistema(), base), std::vector<std::string>{"7"});
    EXPECT_EQ(CercaDitta(FileSystemDiSistema(), base, "7").descrizione, "Caff\xE8");
}

TEST(DescrizioneErrore, GivesTheSystemsTextAndTheCode) {
    const std::string d = DescrizioneErrore(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(d.find("(2)"), std::string::npos) << d;
    EXPECT_GT(d.size(), 4u);
}

}  // namespace
}  // namespace velmar
