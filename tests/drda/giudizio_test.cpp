// The server's class name read as a platform, and the verdict against the record's server type.
#include "drda/giudizio.h"

#include <gtest/gtest.h>

#include <string>

namespace velmar::drda {
namespace {

TEST(PiattaformaDi, DB2sClassNamesForEachPlatformAndAnythingElse) {
    const struct {
        const char* classe;
        Piattaforma piattaforma;
    } casi[] = {
        {"", Piattaforma::AltroDrda},
        {"QDB2/NT", Piattaforma::Windows},
        {"QDB2/NT64", Piattaforma::Windows},
        {"qdb2/nt64  ", Piattaforma::Windows},
        {"QDB2/LINUX", Piattaforma::Linux},
        {"QDB2/LINUXX8664", Piattaforma::Linux},
        {"QDB2/LINUXPPC64", Piattaforma::Linux},
        {"QDB2/LINUXZ64", Piattaforma::Linux},
        {"QDB2/6000", Piattaforma::Unix},
        {"QDB2/AIX64", Piattaforma::Unix},
        {"QDB2/SUN64", Piattaforma::Unix},
        {"QDB2/HPUX", Piattaforma::Unix},
        {"QDB2", Piattaforma::ZOs},
        {"QDB2 ", Piattaforma::ZOs},
        {"QDB2/", Piattaforma::AltroDrda},
        {"QDB2X", Piattaforma::AltroDrda},
        {"QAS", Piattaforma::I},
        {"QASX", Piattaforma::AltroDrda},
        {"Apache Derby", Piattaforma::AltroDrda},
        {"NTQDB2/NT", Piattaforma::AltroDrda},
    };
    for (const auto& c : casi)
        EXPECT_EQ(PiattaformaDi(c.classe), c.piattaforma) << c.classe;
}

AttributiServer Server(const char* classe, const char* rilascio) {
    AttributiServer a;
    a.classe = classe;
    a.rilascio = rilascio;
    return a;
}

TEST(GiudicaServer, EachServerAgainstEachTypeOfTheRecord) {
    const struct {
        AttributiServer server;
        TipoServer record;
        Verdetto verdetto;
        std::string messaggio;
    } casi[] = {
        {Server("QDB2/NT64", "SQL11055"), TipoServer::NT, Verdetto::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice NT "
         "(db2admin)"},
        {Server("QDB2/NT64", "SQL11055"), TipoServer::Linux, Verdetto::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Windows (QDB2/NT64, SQL11055), il record dice "
         "Linux (db2inst1)"},
        {Server("QDB2/LINUXX8664", "SQL11055"), TipoServer::NT, Verdetto::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Linux (QDB2/LINUXX8664, SQL11055), il record "
         "dice NT (db2admin)"},
        {Server("QDB2/LINUXX8664", "SQL11055"), TipoServer::Linux, Verdetto::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Linux (QDB2/LINUXX8664, SQL11055), il record dice "
         "Linux (db2inst1)"},
        {Server("QDB2/AIX64", "SQL10059"), TipoServer::Linux, Verdetto::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Unix (QDB2/AIX64, SQL10059), il record dice Linux "
         "(db2inst1)"},
        {Server("QDB2/AIX64", "SQL10059"), TipoServer::NT, Verdetto::TipoDiverso,
         "non corrisponde: il server \xE8 DB2 per Unix (QDB2/AIX64, SQL10059), il record dice NT "
         "(db2admin)"},
        {Server("QDB2", "DSN12015"), TipoServer::Linux, Verdetto::Db2ZOs,
         "non corrisponde: il server \xE8 DB2 per z/OS (QDB2, DSN12015), non per Windows n\xE9 per "
         "Linux; il record dice Linux (db2inst1)"},
        {Server("QAS", "QSQ07040"), TipoServer::NT, Verdetto::Db2I,
         "non corrisponde: il server \xE8 DB2 per i (QAS, QSQ07040), non per Windows n\xE9 per "
         "Linux; il record dice NT (db2admin)"},
        {Server("Apache Derby", "CSS10140/10.14.2.0 - (?\?\?)"), TipoServer::NT, Verdetto::NonDb2,
         "il server parla DRDA ma non \xE8 DB2: \xE8 Apache Derby (CSS10140/10.14.2.0 - (?\?\?)); "
         "il "
         "record dice NT (db2admin)"},
        {AttributiServer{}, TipoServer::Linux, Verdetto::NonDb2,
         "il server parla DRDA ma non dice la sua classe (SRVCLSNM): non \xE8 DB2; il record dice "
         "Linux (db2inst1)"},
        // What the server sent is shown with its control characters made visible.
        {Server("QDB2/NT\x1B[2J", "SQL\n11"), TipoServer::NT, Verdetto::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Windows (QDB2/NT\\x1B[2J, SQL\\x0A11), il record "
         "dice NT (db2admin)"},
        {Server("QDB2/NT", ""), TipoServer::NT, Verdetto::Corrisponde,
         "corrisponde: il server \xE8 DB2 per Windows (QDB2/NT), il record dice NT (db2admin)"},
    };
    for (const auto& c : casi) {
        const Giudizio g = GiudicaServer(c.server, c.record);
        EXPECT_EQ(g.verdetto, c.verdetto) << c.messaggio;
        EXPECT_EQ(g.messaggio, c.messaggio);
        EXPECT_EQ(g.piattaforma, PiattaformaDi(c.server.classe.value_or("")));
    }
}

TEST(Piattaforme, EachHasItsOwnDescriptionAndJsonName) {
    const Piattaforma tutte[] = {Piattaforma::Windows, Piattaforma::Linux, Piattaforma::Unix,
                                 Piattaforma::ZOs,     Piattaforma::I,     Piattaforma::AltroDrda};
    for (const Piattaforma a : tutte) {
        for (const Piattaforma b : tutte) {
            if (a != b) {
                EXPECT_NE(DescrizionePiattaforma(a), DescrizionePiattaforma(b));
                EXPECT_NE(NomePiattaforma(a), NomePiattaforma(b));
            }
        }
    }
    EXPECT_EQ(DescrizionePiattaforma(Piattaforma::Linux), "DB2 per Linux");
    EXPECT_EQ(NomePiattaforma(Piattaforma::AltroDrda), "drda");
}

}  // namespace
}  // namespace velmar::drda
