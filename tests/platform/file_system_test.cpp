// The store on the machine's own file system, Linux and Windows alike: reading the package's
// file, a save from end to end, the lock between processes and, on POSIX, links and permissions.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <thread>

#include "store/ditte.h"
#include "store/salvataggio.h"
#include "tests/support/ditta_di_prova.h"
#include "tests/support/cartella_temporanea.h"
#include "tests/support/detentore_blocco.h"
#include "tests/support/processo.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

namespace fs = std::filesystem;

using test::kDitta001;
using test::kRecord001;

class Salvataggio : public testing::Test {
  protected:
    test::CartellaTemporanea base;

    fs::path Parametri(const std::string& area = "") const {
        return (area.empty() ? base.Percorso() : base.Percorso() / area) / "BRIO_PARAMS.txt";
    }
    RisultatoModifica Salva() {
        return SalvaDitta(FileSystemDiSistema(), kDitta001, {"C:\\Cat"}, base.Testo());
    }
};

TEST_F(Salvataggio, ReadsAndReplacesTheFilesOfAFolderNamedInWindows1252) {
    // "Società" in Windows-1252 for the store; the same name for the system.
    const fs::path cartella = base.Percorso() / fs::u8path("Societ\xC3\xA0");
    fs::create_directories(cartella / "SCHEDULATORE");
    fs::create_directories(cartella / "COMMERCIALE");
    const std::string lunga(3 * kBufferLettura + 17, 'x');
    const std::string vecchio = lunga + ";p;x;x;x;002;m;\r\nVecchia;p;x;x;x;001;m;\r\n";
    test::ScriviTesto(cartella / "BRIO_PARAMS.txt", vecchio);
    const std::string testo = base.Testo() + "/Societ\xE0";

    EXPECT_EQ(test::Valore(LeggiDitte(FileSystemDiSistema(), testo)),
              (std::vector<std::string>{"002", "001"}));
    EXPECT_EQ(test::Valore(CercaDitta(FileSystemDiSistema(), testo, "002")).descrizione, lunga);

    const RisultatoModifica r = SalvaDitta(FileSystemDiSistema(), kDitta001, {"C:\\Cat"}, testo);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->Completo());
    const std::string atteso = lunga + ";p;x;x;x;002;m;\r\n" + kRecord001 + "\r\n";
    for (const fs::path& p : {cartella, cartella / "SCHEDULATORE", cartella / "COMMERCIALE"})
        EXPECT_EQ(test::LeggiTesto(p / "BRIO_PARAMS.txt"), atteso) << p;
    EXPECT_FALSE(fs::exists(cartella / "BRIO_PARAMS.dep"));
    EXPECT_FALSE(fs::exists(cartella / "SCHEDULATORE" / "BRIO_PARAMS.new"));
    EXPECT_EQ(fs::file_size(cartella / "BRIO_PARAMS.lck"), 0u) << "the lock file stays, empty";
}

TEST_F(Salvataggio, AParametersFileThatIsNoRegularFileFailsAtOnceNamingIt) {
    base.Crea("CONTABILITA");
    fs::create_directory(Parametri());
    Risultato<std::vector<std::string>> codici = LeggiDitte(FileSystemDiSistema(), base.Testo());
    ASSERT_FALSE(codici);
    EXPECT_EQ(codici.Errore().tipo, TipoErrore::Illeggibile);
    EXPECT_EQ(codici.Errore().percorso, Parametri().string());
    EXPECT_FALSE(Salva());
#ifndef _WIN32
    // A FIFO would wait for a writer for ever.
    fs::remove(Parametri());
    ASSERT_EQ(::mkfifo(Parametri().c_str(), 0600), 0);
    codici = LeggiDitte(FileSystemDiSistema(), base.Testo());
    ASSERT_FALSE(codici);
    EXPECT_EQ(codici.Errore().percorso, Parametri().string());
    EXPECT_TRUE(test::Contiene(codici.Errore(), "non \xE8 un file regolare"));
    const RisultatoModifica r = Salva();
    ASSERT_FALSE(r);
    ASSERT_EQ(r.Errore().percorsi.size(), 1u);
    EXPECT_EQ(r.Errore().percorsi[0].percorso, Parametri().string());
#endif
}

#ifndef _WIN32
TEST_F(Salvataggio, NamesTakenByLinksOrFoldersAreClearedNeverFollowed) {
    for (const char* a : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"})
        base.Crea(a);
    const std::string vecchio = "A;p;x;x;x;002;m;\r\n";
    test::ScriviTesto(Parametri(), vecchio);
    const auto altrove = base.Crea("altrove");
    const auto nascosto = altrove / "nascosto.txt";
    const auto lontano = altrove / "lontano.txt";
    test::ScriviTesto(nascosto, "nascosto\r\n");
    test::ScriviTesto(lontano, "lontano\r\n");
    // A work file that is another name of the parameters file, links to a file elsewhere at a
    // temporary name and at an area's copy, a folder at another temporary name.
    fs::create_hard_link(Parametri(), base.Percorso() / "BRIO_PARAMS.dep");
    fs::create_symlink(nascosto, base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new");
    fs::create_symlink(lontano, Parametri("COMMERCIALE"));
    fs::create_directory(base.Percorso() / "SCHEDULATORE" / "BRIO_PARAMS.new");

    const RisultatoModifica r = Salva();
    ASSERT_TRUE(r);
    ASSERT_EQ(r->nonAggiornati.size(), 1u);
    EXPECT_EQ(r->nonAggiornati[0].percorso, Parametri("SCHEDULATORE").string());
    EXPECT_TRUE(test::Contiene(r->nonAggiornati[0].motivo, "cartella"));
    const std::string atteso = vecchio + kRecord001 + "\r\n";
    for (const char* a : {"", "CONTABILITA", "COMMERCIALE"}) {
        EXPECT_EQ(test::LeggiTesto(Parametri(a)), atteso) << a;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Parametri(a)))) << a;
    }
    EXPECT_EQ(test::LeggiTesto(nascosto), "nascosto\r\n");
    EXPECT_EQ(test::LeggiTesto(lontano), "lontano\r\n");
    EXPECT_FALSE(
        fs::exists(fs::symlink_status(base.Percorso() / "CONTABILITA" / "BRIO_PARAMS.new")));
    EXPECT_FALSE(fs::exists(base.Percorso() / "BRIO_PARAMS.dep"));
}

TEST_F(Salvataggio, AReplacementKeepsModeAndOwnerAndAReadOnlyCopyIsNotReplaced) {
    for (const char* a : {"CONTABILITA", "COMMERCIALE"})
        base.Crea(a);
    const std::string vecchio = "A;p;x;x;x;002;m;\r\n";
    for (const char* a : {"", "CONTABILITA", "COMMERCIALE"})
        test::ScriviTesto(Parametri(a), vecchio);
    ASSERT_EQ(::chmod(Parametri().c_str(), 0640), 0);
    ASSERT_EQ(::chmod(Parametri("CONTABILITA").c_str(), 0600), 0);
    ASSERT_EQ(::chmod(Parametri("COMMERCIALE").c_str(), 0444), 0);
    // Only root may give a file to another owner; a replacement then keeps it.
    const bool radice = ::geteuid() == 0;
    if (radice) {
        ASSERT_EQ(::chown(Parametri("CONTABILITA").c_str(), 4321, 4321), 0);
    }

    // Whatever this process's umask, every user of the package can take its lock.
    const mode_t maschera = ::umask(077);
    const RisultatoModifica r = Salva();
    ::umask(maschera);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->nonAggiornati.size(), 1u);
    EXPECT_EQ(r->nonAggiornati[0].percorso, Parametri("COMMERCIALE").string());
    EXPECT_TRUE(test::Contiene(r->nonAggiornati[0].motivo, "sola lettura"));
    EXPECT_EQ(test::LeggiTesto(Parametri("COMMERCIALE")), vecchio);
    const auto stato = [](const std::filesystem::path& p) {
        struct stat st {};
        EXPECT_EQ(::stat(p.c_str(), &st), 0);
        return st;
    };
    EXPECT_EQ(stato(Parametri()).st_mode & 07777, 0640u);
    EXPECT_EQ(stato(Parametri("CONTABILITA")).st_mode & 07777, 0600u);
    if (radice) {
        EXPECT_EQ(stato(Parametri("CONTABILITA")).st_uid, 4321u);
    }
    EXPECT_NE(test::LeggiTesto(Parametri("CONTABILITA")), vecchio);
    EXPECT_EQ(stato(base.Percorso() / "BRIO_PARAMS.lck").st_mode & 07777, 0666u);
}
#endif

// Not a test: the other process of the test below.
TEST(BloccoPacchetto, DISABLED_TieneIlBloccoFinchENonVieneUcciso) {
    test::TieniBlocco();
}

// The lock between processes: a save waits for the process that holds the package, gives up
// after its wait having written nothing, and a holder that is killed leaves nothing locked.
TEST(BloccoPacchetto, ASaveGivesUpOnAHeldPackageAndAKilledHolderBlocksNothing) {
    test::CartellaTemporanea cartella;
    const fs::path base = cartella.Crea("pacchetto");
    fs::create_directories(base / "CONTABILITA");
    const std::string vecchio = "Uno;c;db2admin;db2admin;db2admin;001;m;\r\n";
    test::ScriviTesto(base / "BRIO_PARAMS.txt", vecchio);

    test::DetentoreBlocco detentore((base / std::string(kNomeFileBlocco)).string(),
                                    "BloccoPacchetto.DISABLED_*");
    ASSERT_TRUE(detentore.Tiene()) << detentore.Uscita();

    const auto inizio = std::chrono::steady_clock::now();
    RisultatoModifica r = SalvaDitta(FileSystemDiSistema(), kDitta001, {"C:\\Cat"}, base.string(),
                                     std::chrono::milliseconds(600));
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(500));
    EXPECT_TRUE(test::FallitoCome(r, TipoErrore::Occupato, "Un altro salvataggio \xE8 in corso"));
    EXPECT_EQ(test::LeggiTesto(base / "BRIO_PARAMS.txt"), vecchio);
    EXPECT_FALSE(fs::exists(base / "CONTABILITA" / "BRIO_PARAMS.txt"));
    EXPECT_FALSE(fs::exists(base / "BRIO_PARAMS.dep"));

    detentore.Uccidi();
    r = SalvaDitta(FileSystemDiSistema(), kDitta001, {"C:\\Cat"}, base.string(),
                   std::chrono::seconds(10));
    EXPECT_TRUE(r);
    EXPECT_EQ(test::LeggiTesto(base / "CONTABILITA" / "BRIO_PARAMS.txt"), kRecord001 + "\r\n");
}

}  // namespace
}  // namespace velmar
