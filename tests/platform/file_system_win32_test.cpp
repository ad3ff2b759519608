// The Windows file operations under the store: the atomic replace with its retries, targets
// held open or read-only, the attributes and access lists a replacement keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/ditta_di_prova.h"

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
    EXPECT_TRUE(e);
    EXPECT_EQ(test::LeggiTesto(bersaglio), "nuovo\r\n");
    EXPECT_FALSE(std::filesystem::exists(nuovo));
}

TEST_F(SostituzioneWin32, GivesUpOnATargetHeldOpenAndLeavesItWhole) {
    unique_hfile aperto = TieniAperto(bersaglio);
    ASSERT_TRUE(aperto);
    const Esito e = SostituisciFile(nuovo.wstring(), bersaglio.wstring(), 3, 10);
    ASSERT_FALSE(e);
    EXPECT_NE(e.Errore().testo.find('('), std::string::npos) << e.Errore().testo;
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
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.txt", "vecchio\r\n");
    unique_hfile aperto = TieniAperto(bloccato);
    ASSERT_TRUE(aperto);

    const RisultatoModifica r =
        SalvaDitta(FileSystemDiSistema(), test::kDitta001, {"C:\\Cat"}, base.Testo());
    aperto.reset();

    ASSERT_TRUE(r);
    ASSERT_EQ(r->nonAggiornati.size(), 1u);
    EXPECT_EQ(r->nonAggiornati[0].percorso, bloccato.string());
    EXPECT_EQ(test::LeggiTesto(bloccato), "vecchio\r\n");
    const std::string nuovo = "vecchio\r\n" + test::kRecord001 + "\r\n";
    EXPECT_EQ(test::LeggiTesto(base.Percorso() / "BRIO_PARAMS.txt"), nuovo);
    EXPECT_EQ(test::LeggiTesto(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt"), nuovo);
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "COMMERCIALE" / "BRIO_PARAMS.new"));
}

TEST(SalvataggioWin32, KeepsAttributesRefusesReadOnlyCopiesAndReplacesLeftovers) {
    test::CartellaTemporanea base;
    for (const char* a : {"CONTABILITA", "COMMERCIALE"})
        base.Crea(a);
    const auto nascosto = base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.txt";
    const auto solaLettura = base.Percorso() / "COMMERCIALE" / "BRIO_PARAMS.txt";
    for (const auto& p : {base.Percorso() / "BRIO_PARAMS.txt", nascosto, solaLettura})
        test::ScriviTesto(p, "vecchio\r\n");
    ASSERT_TRUE(::SetFileAttributesW(nascosto.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW(solaLettura.wstring().c_str(), FILE_ATTRIBUTE_READONLY));
    // Leftovers of a save that was stopped: taken over, not appended to.
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.dep", "avanzo\r\n");
    test::ScriviTesto(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new", "avanzo\r\n");

    const RisultatoModifica r =
        SalvaDitta(FileSystemDiSistema(), test::kDitta001, {"C:\\Cat"}, base.Testo());
    ASSERT_TRUE(r);
    ASSERT_EQ(r->nonAggiornati.size(), 1u);
    EXPECT_EQ(r->nonAggiornati[0].percorso, solaLettura.string());
    EXPECT_NE(r->nonAggiornati[0].motivo.find("sola lettura"), std::string::npos)
        << r->nonAggiornati[0].motivo;
    EXPECT_EQ(test::LeggiTesto(solaLettura), "vecchio\r\n");
    const std::string nuovo = "vecchio\r\n" + test::kRecord001 + "\r\n";
    EXPECT_EQ(test::LeggiTesto(nascosto), nuovo);
    EXPECT_NE(::GetFileAttributesW(nascosto.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.dep"));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new"));
    ::SetFileAttributesW(solaLettura.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An access list with one entry for everyone, carrying `flagVoce`.
std::vector<unsigned char> Acl(BYTE flagVoce) {
    std::vector<unsigned char> sid(SECURITY_MAX_SID_SIZE);
    DWORD dimensione = static_cast<DWORD>(sid.size());
    EXPECT_TRUE(::CreateWellKnownSid(WinWorldSid, nullptr, sid.data(), &dimensione));
    std::vector<unsigned char> acl(256);
    auto* p = reinterpret_cast<ACL*>(acl.data());
    EXPECT_TRUE(::InitializeAcl(p, static_cast<DWORD>(acl.size()), ACL_REVISION));
    EXPECT_TRUE(::AddAccessAllowedAceEx(p, ACL_REVISION, flagVoce, FILE_GENERIC_READ, sid.data()));
    return acl;
}

TEST(DaclPropria, OnlyAListSetForTheFileIsCopiedToItsReplacement) {
    const auto ereditata = Acl(INHERITED_ACE);
    const auto propria = Acl(0);
    const auto* e = reinterpret_cast<const ACL*>(ereditata.data());
    const auto* p = reinterpret_cast<const ACL*>(propria.data());
    EXPECT_FALSE(DaclPropria(SE_DACL_AUTO_INHERITED, nullptr));
    EXPECT_FALSE(DaclPropria(SE_DACL_AUTO_INHERITED, e));
    EXPECT_TRUE(DaclPropria(SE_DACL_AUTO_INHERITED, p));
    EXPECT_TRUE(DaclPropria(SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED, e));
    // No sign of inheritance at all (FAT, Wine): nothing to copy.
    EXPECT_FALSE(DaclPropria(0, p));
}

TEST(DescrizioneErrore, GivesTheSystemsTextAndTheCode) {
    const std::string d = DescrizioneErrore(ERROR_FILE_NOT_FOUND);
    EXPECT_NE(d.find("(2)"), std::string::npos) << d;
    EXPECT_GT(d.size(), 4u);
}

}  // namespace
}  // namespace velmar
