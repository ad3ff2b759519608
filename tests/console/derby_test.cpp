// The built SetupVelmarCmd (natively, or the Windows program under Wine) checking Apache Derby's
// network server, a real DRDA server that is not DB2, started on 127.0.0.1 for this test
// (tests/support/derby.sh, through CTest's fixture "derby"): it reports a DRDA server that is not
// DB2, with the class name and the release level Derby sent.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>

#include "tests/console/programma.h"
#include "tests/support/cartella_temporanea.h"

namespace velmar {
namespace {

// The text of the line of `testo` that starts with `inizio`, after it; "" when there is none.
std::string Riga(const std::string& testo, const std::string& inizio) {
    const std::size_t i = testo.find("\n" + inizio);
    if (i == std::string::npos)
        return "";
    const std::size_t da = i + 1 + inizio.size();
    return testo.substr(da, testo.find('\n', da) - da);
}

TEST(ProvaDerby, ApacheDerbyIsADrdaServerThatIsNotDb2) {
    std::ifstream f(VELMAR_DERBY_PORTA);
    std::string porta;
    ASSERT_TRUE(std::getline(f, porta)) << "Derby's port is not in " << VELMAR_DERBY_PORTA;
    test::CartellaTemporanea uscite;

    const test::EsitoProgramma e = test::EseguiProgramma(
        {"prova", "--macchina", "127.0.0.1", "--server", "nt", "--porta", porta},
        uscite.Percorso());
    EXPECT_EQ(e.stato, 10) << e.errori;
    EXPECT_EQ(e.uscita.rfind("Macchina: 127.0.0.1, porta " + porta +
                                 "\nIndirizzo raggiunto: 127.0.0.1\nConnessione: ",
                             0),
              0u)
        << e.uscita;
    EXPECT_EQ(Riga(e.uscita, "SRVCLSNM: "), "Apache Derby") << e.uscita;
    const std::string rilascio = Riga(e.uscita, "SRVRLSLV: ");
    EXPECT_FALSE(rilascio.empty()) << e.uscita;
    EXPECT_EQ(Riga(e.uscita, "Server letto: "), "DRDA, non DB2");
    // The program writes UTF-8 when its output is a file.
    EXPECT_EQ(Riga(e.uscita, "Esito: "),
              "il server parla DRDA ma non \xC3\xA8 DB2: \xC3\xA8 Apache "
              "Derby (" +
                  rilascio + "); il record dice NT (db2admin)")
        << e.uscita;
    std::cout << "Derby's reply as the program showed it:\n" << e.uscita;

    const test::EsitoProgramma j = test::EseguiProgramma(
        {"prova", "--macchina", "127.0.0.1", "--server", "linux", "--porta", porta, "--json"},
        uscite.Percorso());
    EXPECT_EQ(j.stato, 10);
    EXPECT_EQ(j.uscita.rfind("{\"esito\":\"non_db2\",\"stato\":10,\"macchina\":\"127.0.0.1\"", 0),
              0u)
        << j.uscita;
    EXPECT_NE(j.uscita.find("\"srvclsnm\":\"Apache Derby\",\"srvrlslv\":\"" + rilascio +
                            "\",\"srvnam\":"),
              std::string::npos)
        << j.uscita;
}

}  // namespace
}  // namespace velmar
