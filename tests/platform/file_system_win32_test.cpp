// The Windows file operations under the store: the atomic replace with its retries, a save whose
// target is held open or read-only, the attributes and access lists a replacement keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/ditta_di_prova.h"
#include "tests/support/valore.h"

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

enum class Ostacolo { SolaLettura, ApertoInLettura, ApertoEsclusivo };

// Keeps a file read-only or open for as long as it lives, or until Togli().
class Ostruzione {
  public:
    Ostruzione(const std::filesystem::path& percorso, Ostacolo ostacolo)
        : percorso_(percorso.wstring()) {
        if (ostacolo == Ostacolo::SolaLettura) {
            EXPECT_TRUE(::SetFileAttributesW(percorso_.c_str(), FILE_ATTRIBUTE_READONLY));
            return;
        }
        aperto_.reset(::CreateFileW(percorso_.c_str(), GENERIC_READ,
                                    ostacolo == Ostacolo::ApertoInLettura ? FILE_SHARE_READ : 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(aperto_) << ::GetLastError();
    }
    Ostruzione(const Ostruzione&) = delete;
    Ostruzione& operator=(const Ostruzione&) = delete;
    ~Ostruzione() { Togli(); }
    void Togli() {
        aperto_.reset();
        const DWORD a = ::GetFileAttributesW(percorso_.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesW(percorso_.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    }

  private:
    std::wstring percorso_;
    unique_hfile aperto_;
};

struct CasoOstacolo {
    const char* nome;
    const char* cartella;  // of the obstructed parameters file: "" for the base folder
    Ostacolo ostacolo;
    const char* motivo;  // part of the reason the save gives, or nullptr
};

void PrintTo(const CasoOstacolo& c, std::ostream* os) {
    *os << c.nome;
}

// A save into a package with two areas, one of whose copies is hidden, and with the work file
// and a temporary copy left by a save that was stopped, while one of its targets is read-only or
// held open by another program. The obstructed file keeps its old content and is named with its
// reason. An obstructed area leaves the base and the other area updated (the leftovers taken
// over, the hidden copy still hidden); an obstructed base leaves every file as it was. Every file
// holds all its old content or all its new one.
class BersaglioOstruito : public testing::TestWithParam<CasoOstacolo> {};

TEST_P(BersaglioOstruito, KeepsItsOldContentIsNamedAndNoOtherFileIsHalfWritten) {
    const CasoOstacolo& c = GetParam();
    test::CartellaTemporanea base;
    for (const char* a : {"CONTABILITA", "COMMERCIALE"})
        base.Crea(a);
    const auto file = [&](const std::string& cartella) {
        return (cartella.empty() ? base.Percorso() : base.Percorso() / cartella) /
               "BRIO_PARAMS.txt";
    };
    const std::string vecchio = "Uno;c;db2admin;db2admin;db2admin;002;m;\r\n";
    const std::string nuovo = vecchio + test::kRecord001 + "\r\n";
    for (const char* cartella : {"", "CONTABILITA", "COMMERCIALE"})
        test::ScriviTesto(file(cartella), vecchio);
    const auto nascosto = file("CONTABILITA");
    ASSERT_TRUE(::SetFileAttributesW(nascosto.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    test::ScriviTesto(base.Percorso() / "BRIO_PARAMS.dep", "avanzo\r\n");
    test::ScriviTesto(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new", "avanzo\r\n");

    Ostruzione ostruzione(file(c.cartella), c.ostacolo);
    const RisultatoModifica r =
        SalvaDitta(FileSystemDiSistema(), test::kDitta001, {"C:\\Cat"}, base.Testo());
    ostruzione.Togli();

    const bool area = *c.cartella != '\0';
    std::vector<PercorsoNonAggiornato> nominati;
    if (area) {
        ASSERT_TRUE(r) << r.Errore().testo;
        nominati = r->nonAggiornati;
    } else {
        ASSERT_FALSE(r);
        EXPECT_EQ(r.Errore().tipo, TipoErrore::NonSalvato);
        nominati = r.Errore().percorsi;
    }
    ASSERT_EQ(nominati.size(), 1u);
    EXPECT_EQ(nominati[0].percorso, file(c.cartella).string());
    if (c.motivo) {
        EXPECT_TRUE(test::Contiene(nominati[0].motivo, c.motivo));
    }
    for (const char* cartella : {"", "CONTABILITA", "COMMERCIALE"}) {
        const bool aggiornato = area && std::string_view(cartella) != c.cartella;
        EXPECT_EQ(test::LeggiTesto(file(cartella)), aggiornato ? nuovo : vecchio) << cartella;
    }
    EXPECT_NE(::GetFileAttributesW(nascosto.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    // The work file is gone, and so is every temporary copy, but the leftover of an area that
    // the save never reached.
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.dep"));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "BRIO_PARAMS.new"));
    EXPECT_FALSE(std::filesystem::exists(base.Percorso() / "COMMERCIALE" / "BRIO_PARAMS.new"));
    EXPECT_EQ(std::filesystem::exists(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new"), !area);
    ::SetFileAttributesW(nascosto.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Ostacoli, BersaglioOstruito,
    testing::Values(
        CasoOstacolo{"AreaReadOnly", "COMMERCIALE", Ostacolo::SolaLettura, "sola lettura"},
        CasoOstacolo{"AreaOpenSharingRead", "COMMERCIALE", Ostacolo::ApertoInLettura, nullptr},
        CasoOstacolo{"AreaOpenExclusive", "COMMERCIALE", Ostacolo::ApertoEsclusivo, nullptr},
        CasoOstacolo{"BaseReadOnly", "", Ostacolo::SolaLettura, "sola lettura"},
        CasoOstacolo{"BaseOpenSharingRead", "", Ostacolo::ApertoInLettura, nullptr}),
    [](const testing::TestParamInfo<CasoOstacolo>& info) { return std::string(info.param.nome); });

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
