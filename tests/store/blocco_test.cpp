// The package lock across processes: a save waits for the save that holds the package, gives up
// after its wait having written nothing, and a holder that is killed leaves nothing locked.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/processo.h"

namespace velmar {
namespace {

constexpr char kVariabile[] = "VELMAR_PACCHETTO_DA_BLOCCARE";
constexpr char kSegnale[] = "bloccato";

// Not a test: the helper process of the test below. It takes the lock of the package named by
// the variable, says so with a file beside it and waits to be killed.
TEST(BloccoPacchetto, DISABLED_TieneIlBloccoFinchENonVieneUcciso) {
    const char* base = std::getenv(kVariabile);
    ASSERT_NE(base, nullptr);
    std::unique_ptr<Blocco> blocco;
    bool occupato = false;
    ASSERT_TRUE(FileSystemDiSistema().Blocca(std::string(base) + "/" + std::string(kNomeFileBlocco),
                                             std::chrono::seconds(0), blocco, occupato));
    test::ScriviTesto(std::filesystem::path(base).parent_path() / kSegnale, "");
    std::this_thread::sleep_for(std::chrono::minutes(2));
}

TEST(BloccoPacchetto, ASaveGivesUpOnAHeldPackageAndAKilledHolderBlocksNothing) {
    test::CartellaTemporanea cartella;
    const std::filesystem::path base = cartella.Crea("pacchetto");
    std::filesystem::create_directories(base / "CONTABILITA");
    const std::string vecchio = "Uno;c;db2admin;db2admin;db2admin;001;m;\r\n";
    test::ScriviTesto(base / "BRIO_PARAMS.txt", vecchio);
    const StatoFinestra ditta{"002", "Due", "10.0.0.2", "db2inst1", "db2inst1", "db2inst1"};

    test::Processo detentore(
        test::ProgrammaCorrente(),
        {"--gtest_also_run_disabled_tests", "--gtest_filter=BloccoPacchetto.DISABLED_*"},
        cartella.Crea("uscite"), {{kVariabile, base.string()}});
    const auto scadenza = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!std::filesystem::exists(cartella.Percorso() / kSegnale) &&
           std::chrono::steady_clock::now() < scadenza) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(std::filesystem::exists(cartella.Percorso() / kSegnale))
        << detentore.Attendi().uscita;

    const auto inizio = std::chrono::steady_clock::now();
    RisultatoSalvataggio r =
        SalvaDitta(FileSystemDiSistema(), ditta, {}, base.string(), std::chrono::milliseconds(600));
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(500));
    EXPECT_EQ(r.esito, EsitoSalvataggio::NonSalvato);
    ASSERT_EQ(r.errori.size(), 1u);
    EXPECT_EQ(r.errori[0].motivo.rfind("Un altro salvataggio \xE8 in corso", 0), 0u)
        << r.errori[0].motivo;
    EXPECT_EQ(test::LeggiTesto(base / "BRIO_PARAMS.txt"), vecchio);
    EXPECT_FALSE(std::filesystem::exists(base / "CONTABILITA" / "BRIO_PARAMS.txt"));
    EXPECT_FALSE(std::filesystem::exists(base / "BRIO_PARAMS.dep"));

    detentore.Uccidi();
    (void)detentore.Attendi();
    r = SalvaDitta(FileSystemDiSistema(), ditta, {}, base.string(), std::chrono::seconds(10));
    EXPECT_EQ(r.esito, EsitoSalvataggio::Salvato);
    EXPECT_NE(test::LeggiTesto(base / "CONTABILITA" / "BRIO_PARAMS.txt").find(";002;"),
              std::string::npos);
    // The lock file stays, empty.
    EXPECT_EQ(std::filesystem::file_size(base / "BRIO_PARAMS.lck"), 0u);
}

}  // namespace
}  // namespace velmar
