// A save killed at any moment leaves every parameters file (base and areas) with its complete
// old content or the complete new one: never partial, empty or missing; and a company that only
// an area copy holds is in that copy or in a copy kept beside it.
// Saves run in a child process that is killed with SIGKILL after a random delay.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "store/salvataggio.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

std::string Parametri(int righe, int versione) {
    std::string s;
    for (int i = 0; i < righe; ++i) {
        const std::string c = std::to_string(i);
        s += "Ditta " + c + " v" + std::to_string(versione) + ";C:\\Cat\\Dwh" + c +
             ".oce;db2inst1;db2inst1;db2inst1;" + c + ";10.0.0." + std::to_string(i % 250) +
             ";\r\n";
    }
    return s;
}

TEST(Interruzione, KilledSavesLeaveEveryFileOldOrNew) {
    test::CartellaTemporanea base;
    const std::vector<std::filesystem::path> bersagli = {
        base.Percorso() / "BRIO_PARAMS.txt", base.Crea("CONTABILITA") / "BRIO_PARAMS.txt",
        base.Crea("COMMERCIALE") / "BRIO_PARAMS.txt",
        base.Crea("SCHEDULATORE") / "BRIO_PARAMS.txt"};
    std::mt19937 caso(20261208);
    int interrotti = 0;
    constexpr int kProve = 500;

    for (int prova = 0; prova < kProve; ++prova) {
        // A new file size every 100 saves: from a few hundred bytes to a few megabytes.
        if (prova % 100 == 0) {
            const int righe = std::array{3, 1000, 20000, 200, 8000}[prova / 100];
            const std::string iniziale = Parametri(righe, prova);
            for (const auto& b : bersagli)
                test::ScriviTesto(b, iniziale);
        }
        // CONTABILITA's copy drifted: it holds a company of its own.
        const std::string propria =
            "Propria;C:\\Cat\\DwhP.oce;x;x;x;P" + std::to_string(prova) + ";m;\r\n";
        test::ScriviTesto(bersagli[1], test::LeggiTesto(bersagli[0]) + propria);
        std::vector<std::string> prima;
        for (const auto& b : bersagli)
            prima.push_back(test::LeggiTesto(b));
        const DatiDitta stato{std::to_string(caso() % 300),
                              "Salvata " + std::to_string(prova),
                              "10.9.9.9",
                              "db2admin",
                              "db2admin",
                              "db2admin"};
        const std::string nuovo = test::Valore(
            SostituisciInTesto(prima[0], stato.CodiceDitta, ComponiRecord(stato, "C:\\Cat")));

        const auto inizio = std::chrono::steady_clock::now();
        const pid_t figlio = fork();
        ASSERT_GE(figlio, 0);
        if (figlio == 0) {
            const auto r = SalvaDitta(FileSystemDiSistema(), stato, {"C:\\Cat"}, base.Testo());
            _exit(r && r->Completo() ? 0 : 1);
        }
        // Most saves take a few milliseconds; the delay covers their whole span and beyond.
        const auto dimensione = prima[0].size();
        const auto massimo = std::chrono::microseconds(200 + dimensione / 25);
        std::this_thread::sleep_until(inizio + std::chrono::microseconds(caso() % massimo.count()));
        kill(figlio, SIGKILL);
        int stato_figlio = 0;
        ASSERT_EQ(waitpid(figlio, &stato_figlio, 0), figlio);
        if (WIFSIGNALED(stato_figlio)) {
            ++interrotti;
        } else {
            ASSERT_EQ(WEXITSTATUS(stato_figlio), 0) << "a save that ran to its end failed";
        }

        for (std::size_t i = 0; i < bersagli.size(); ++i) {
            ASSERT_TRUE(std::filesystem::exists(bersagli[i])) << bersagli[i] << " prova " << prova;
            const std::string dopo = test::LeggiTesto(bersagli[i]);
            ASSERT_TRUE(dopo == prima[i] || dopo == nuovo)
                << bersagli[i] << " prova " << prova << ": " << dopo.size() << " byte, prima "
                << prima[i].size() << ", nuovo " << nuovo.size();
        }
        // The company of its own: in the copy as it was, or in the copy kept whole.
        const auto conservata = bersagli[1].parent_path() / "BRIO_PARAMS.bak";
        if (std::filesystem::exists(conservata)) {
            ASSERT_EQ(test::LeggiTesto(conservata), prima[1]) << "prova " << prova;
        } else {
            ASSERT_EQ(test::LeggiTesto(bersagli[1]), prima[1]) << "prova " << prova;
        }
        std::filesystem::remove(conservata);
    }
    // The kills must land inside saves for the test to mean anything.
    EXPECT_GT(interrotti, kProve / 4) << interrotti << " of " << kProve << " saves were killed";
    std::printf("%d of %d saves killed before their end\n", interrotti, kProve);
}

}  // namespace
}  // namespace velmar
