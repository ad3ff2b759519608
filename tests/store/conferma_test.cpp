#include "store/conferma.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

VoceUtente V(const char* s) {
    return VoceUtente{std::string(s)};
}
const VoceUtente kNonRappresentabile{std::nullopt};

// The message of the first failing check, or "" when the entries can be saved.
std::string Messaggio(const VociUtente& voci) {
    const Esito e = ValidaVoci(voci);
    if (e)
        return "";
    EXPECT_EQ(e.Errore().tipo, TipoErrore::VoceNonValida);
    return e.Errore().testo;
}

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
        EXPECT_EQ(Messaggio(c.voci), c.messaggio);
}

TEST(CopiaVoci, CopiesEntriesUntrimmedAndTheServerWordThreeTimes) {
    const DatiDitta d = CopiaVoci({V(" 001 "), V("Ditta "), V("10.0.0.5"), TipoServer::NT});
    EXPECT_EQ(d.CodiceDitta, " 001 ");
    EXPECT_EQ(d.DescrizioneDitta, "Ditta ");
    EXPECT_EQ(d.Macchina, "10.0.0.5");
    EXPECT_EQ(d.ParametroServer1, "db2admin");
    EXPECT_EQ(d.ParametroServer2, "db2admin");
    EXPECT_EQ(d.ParametroServer3, "db2admin");
    EXPECT_EQ(CopiaVoci({V("1"), V("d"), V("m"), TipoServer::Linux}).ParametroServer3, "db2inst1");
    EXPECT_EQ(CopiaVoci({kNonRappresentabile, V("d"), V("m"), TipoServer::Nessuno}).CodiceDitta,
              "");
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
        EXPECT_EQ(Messaggio(c.voci), c.messaggio);
}

}  // namespace
}  // namespace velmar
