// Another process holding a package's lock, as another program saving into the package would:
// the running test program started again to run its disabled test that calls TieniBlocco().
//   TEST(X, DISABLED_TieneIlBlocco) { test::TieniBlocco(); }
//   test::DetentoreBlocco altro(fileBlocco, "X.DISABLED_*");
//   ASSERT_TRUE(altro.Tiene()) << altro.Uscita();
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "store/file_system.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/processo.h"

namespace velmar::test {

inline constexpr char kVariabileBlocco[] = "VELMAR_BLOCCO_DA_TENERE";
inline constexpr char kVariabileSegnale[] = "VELMAR_BLOCCO_TENUTO";

// In the other process: takes the lock file named by the first variable, says so with the file
// named by the second, and waits to be killed.
inline void TieniBlocco() {
    const char* blocco = std::getenv(kVariabileBlocco);
    const char* segnale = std::getenv(kVariabileSegnale);
    ASSERT_TRUE(blocco && segnale);
    const Risultato<std::unique_ptr<Blocco>> tenuto =
        FileSystemDiSistema().Blocca(blocco, std::chrono::seconds(0));
    ASSERT_TRUE(tenuto);
    ScriviTesto(segnale, "");
    std::this_thread::sleep_for(std::chrono::minutes(2));
}

class DetentoreBlocco {
  public:
    // Starts the process that holds `fileBlocco`: the test of this program that `filtro` names.
    DetentoreBlocco(const std::string& fileBlocco, const std::string& filtro)
        : segnale_(uscite_.Percorso() / "bloccato"),
          processo_(ProgrammaCorrente(),
                    {"--gtest_also_run_disabled_tests", "--gtest_filter=" + filtro},
                    uscite_.Percorso(),
                    {{kVariabileBlocco, fileBlocco}, {kVariabileSegnale, segnale_.string()}}) {}

    // Whether it holds the lock, waiting up to a minute for it to say so.
    [[nodiscard]] bool Tiene() {
        const auto scadenza = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!std::filesystem::exists(segnale_) && std::chrono::steady_clock::now() < scadenza)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::filesystem::exists(segnale_);
    }
    // Kills it, as a crash would, and waits for its end: the system drops its lock.
    void Uccidi() {
        processo_.Uccidi();
        (void)processo_.Attendi();
    }
    // What it wrote, once it has ended (for a failure's message).
    std::string Uscita() { return processo_.Attendi().uscita; }

  private:
    CartellaTemporanea uscite_;
    std::filesystem::path segnale_;
    Processo processo_;
};

}  // namespace velmar::test
