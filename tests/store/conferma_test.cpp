#include "store/conferma.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

VoceUtente V(const char* s) {
    return VoceUtente{std::string(s)};
}
const VoceUtente kNonRappresentabile{std::nullopt};

TEST(ValidaVoci, ReportsOnlyTheFirstMissingEntryInOrder) {
    struct Caso {
        VociUtente voci;
        std::string_view messaggio;
    };
    const Caso casi[] = {
        {{V(""), V(""), V(""), TipoServer::Nessuno}, kMsgCodiceMancante},
        {{V("1"), V(""), V(""), TipoServer::Nessuno}, kMsgDescrizioneMancante},
        {{V("1"), V("d"), V(""), TipoServer::Nessuno}, kMsgServerMancante},
        {{V("1"), V("d"), V(""), TipoServer::NT}, kMsgMacchinaMancante},
        {{V("1"), V("d"), V("m"), TipoServer::Linux}, ""},
        {{V(" "), V(" "), V(" "), TipoServer::NT}, ""},
        {{V(""), V("d;"), V("m"), TipoServer::NT}, kMsgCodiceMancante},
    };
    for (const auto& c : casi)
        EXPECT_EQ(ValidaVoci(c.voci).messaggio, c.messaggio);
}

TEST(ValidaVoci, CopiesEntriesUntrimmedAndTheServerWordThreeTimes) {
    const EsitoValidazione e = ValidaVoci({V(" 001 "), V("Ditta "), V("10.0.0.5"), TipoServer::NT});
    ASSERT_TRUE(e.Valido());
    EXPECT_EQ(e.stato.CodiceDitta, " 001 ");
    EXPECT_EQ(e.stato.DescrizioneDitta, "Ditta ");
    EXPECT_EQ(e.stato.Macchina, "10.0.0.5");
    EXPECT_EQ(e.stato.ParametroServer1, "db2admin");
    EXPECT_EQ(e.stato.ParametroServer2, "db2admin");
    EXPECT_EQ(e.stato.ParametroServer3, "db2admin");
    EXPECT_EQ(ValidaVoci({V("1"), V("d"), V("m"), TipoServer::Linux}).stato.ParametroServer3,
              "db2inst1");
}

TEST(ValidaVoci, RejectsEntriesThatCannotBeStoredAfterTheMissingOnes) {
    struct Caso {
        VociUtente voci;
        std::string messaggio;
    };
    const Caso casi[] = {
        {{V("0;1"), V("d"), V("m"), TipoServer::NT},
         "Il campo Codice Ditta contiene caratteri non ammessi"},
        {{V("1"), V("a\r\nb"), V("m"), TipoServer::NT},
         "Il campo Descrizione Ditta contiene caratteri non ammessi"},
        {{V("1"), V("d"), V("m\n"), TipoServer::NT},
         "Il campo IP Macchina Unix contiene caratteri non ammessi"},
        {{V("1"), V("a\rb"), V("m;"), TipoServer::NT},
         "Il campo Descrizione Ditta contiene caratteri non ammessi"},
        {{V("1"), kNonRappresentabile, V("m"), TipoServer::NT},
         "Il campo Descrizione Ditta contiene caratteri non ammessi"},
        // A missing entry is reported before any character check.
        {{kNonRappresentabile, V("d"), V(""), TipoServer::NT}, std::string(kMsgMacchinaMancante)},
        {{V("1"), V("Caff\xE8 \x80"), V("m"), TipoServer::NT}, ""},
    };
    for (const auto& c : casi)
        EXPECT_EQ(ValidaVoci(c.voci).messaggio, c.messaggio);
}

TEST(MessaggioSalvataggio, NamesEveryPathNotUpdatedAndWhy) {
    RisultatoSalvataggio ok;
    ok.esito = EsitoSalvataggio::Salvato;
    EXPECT_EQ(MessaggioSalvataggio(ok), "Setup terminato");

    RisultatoSalvataggio parte;
    parte.esito = EsitoSalvataggio::SalvatoInParte;
    parte.errori = {{"C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt", "sostituzione: Accesso negato"},
                    {"C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt", "scrittura: Disco pieno"}};
    EXPECT_EQ(MessaggioSalvataggio(parte),
              "Salvataggio non riuscito.\r\n"
              "C:\\P\\COMMERCIALE\\BRIO_PARAMS.txt: sostituzione: Accesso negato\r\n"
              "C:\\P\\SCHEDULATORE\\BRIO_PARAMS.txt: scrittura: Disco pieno");

    ok.avvisi = {{"C:\\P\\BRIO_PARAMS.dep", "eliminazione: Accesso negato"}};
    EXPECT_EQ(MessaggioSalvataggio(ok).rfind("Setup terminato\r\n\r\n", 0), 0u);
    EXPECT_NE(MessaggioSalvataggio(ok).find("C:\\P\\BRIO_PARAMS.dep"), std::string::npos);
}

}  // namespace
}  // namespace velmar
