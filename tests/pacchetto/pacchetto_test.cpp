// The package over a folder named by the user, and its catalog folder.
#include "pacchetto/pacchetto.h"
#include "pacchetto/messaggi.h"

#include <gtest/gtest.h>

#include "tests/support/file_system_memoria.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

TEST(CreaArchivioCartella, NeedsAnExistingCompleteFolderAndDropsFinalSeparators) {
    test::FileSystemMemoria fs;
    fs.cartelle = {"C:\\P"};
    fs.file["C:\\P\\BRIO_PARAMS.txt"] = "A;c;x;x;x;007;m;\r\n";
    struct Caso {
        std::string base;
        std::string errore;
    } casi[] = {
        {"C:\\P", ""},
        {"C:\\P\\", ""},
        {"C:\\P\\\\", ""},
        {"C:\\P/", ""},
        {"P", "La cartella del pacchetto deve essere un percorso completo: 'P'"},
        {"", "La cartella del pacchetto deve essere un percorso completo: ''"},
        {"C:\\Q\\", "La cartella del pacchetto non esiste: 'C:\\Q'"},
        {"C:\\", "La cartella del pacchetto non esiste: 'C:\\'"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.base);
        const Risultato<std::unique_ptr<ArchivioDitte>> a =
            CreaArchivioCartella(fs, c.base, std::nullopt);
        if (!c.errore.empty()) {
            ASSERT_FALSE(a);
            EXPECT_EQ(a.Errore().tipo, TipoErrore::CartellaNonDisponibile);
            EXPECT_EQ(TestoErrore(a.Errore()), c.errore);
            continue;
        }
        ASSERT_TRUE(a);
        EXPECT_EQ(test::Valore((*a)->LeggiDitte()), std::vector<std::string>{"007"});
    }
}

TEST(CartellaCatalogo, AnEmptyValueGivesTheDefaultFolder) {
    const std::string predefinita =
        "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions";
    EXPECT_EQ(CartellaCatalogo({}).testo, predefinita);
    EXPECT_EQ(CartellaCatalogo({"D:\\OCE\\", true}).testo, "D:\\OCE\\");
    // One that cannot be stored is kept, for the save to refuse it.
    EXPECT_EQ(CartellaCatalogo({"", false}), (ValoreCatalogo{"", false}));

    // A save without a catalog folder of its own writes the default one.
    test::FileSystemMemoria fs;
    fs.cartelle = {"C:\\P", "C:\\P\\CONTABILITA"};
    Risultato<std::unique_ptr<ArchivioDitte>> archivio =
        CreaArchivioCartella(fs, "C:\\P", ValoreCatalogo{});
    ASSERT_TRUE(archivio);
    const DatiDitta d{"001", "D", "M", "db2admin", "db2admin", "db2admin"};
    ASSERT_TRUE((*archivio)->ScriviFile(d));
    EXPECT_EQ(fs.file["C:\\P\\BRIO_PARAMS.txt"].substr(0, predefinita.size() + 3),
              "D;" + predefinita + "\\");
}

}  // namespace
}  // namespace velmar
