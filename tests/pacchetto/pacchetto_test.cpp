// The package over a folder named by the user, and its catalog folder.
#include "pacchetto/pacchetto.h"

#include <gtest/gtest.h>

#include "tests/support/file_system_memoria.h"

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
        std::string errore;
        const auto a = CreaArchivioCartella(fs, c.base, std::nullopt, errore);
        EXPECT_EQ(errore, c.errore);
        EXPECT_EQ(a == nullptr, !c.errore.empty());
        if (a) {
            std::vector<std::string> codici;
            EXPECT_TRUE(a->LeggiDitte(codici));
            EXPECT_EQ(codici, std::vector<std::string>{"007"});
        }
    }
}

TEST(CartellaCatalogo, AnEmptyValueGivesTheDefaultFolder) {
    const std::string predefinita =
        "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions";
    EXPECT_EQ(CartellaCatalogo({}).testo, predefinita);
    EXPECT_EQ(CartellaCatalogo({"D:\\OCE\\", true}).testo, "D:\\OCE\\");
    // One that cannot be stored is kept, for the save to refuse it.
    EXPECT_EQ(CartellaCatalogo({"", false}), (ValoreCatalogo{"", false}));

    // A save without a catalog folder of its own writes the default one in field 1.
    test::FileSystemMemoria fs;
    fs.cartelle = {"C:\\P", "C:\\P\\CONTABILITA"};
    std::string errore;
    const auto archivio = CreaArchivioCartella(fs, "C:\\P", ValoreCatalogo{}, errore);
    ASSERT_TRUE(archivio) << errore;
    const DatiDitta d{"001", "D", "M", "db2admin", "db2admin", "db2admin"};
    ASSERT_EQ(archivio->ScriviFile(d).esito, EsitoSalvataggio::Salvato);
    EXPECT_EQ(fs.file["C:\\P\\BRIO_PARAMS.txt"],
              "D;" + predefinita + "\\Dwh001.oce;db2admin;db2admin;db2admin;001;M;\r\n");
}

}  // namespace
}  // namespace velmar
