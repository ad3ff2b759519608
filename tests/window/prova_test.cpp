// The window's connection check through its system menu, driven as the system drives it: the
// item in the menu, the missing entries in the confirmation's words, and the check of the tests'
// DB2 server on 127.0.0.1 (its port set through the window's seam), the window answering while
// it waits and the result in its "SetupVelmar" box.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "pacchetto/prova.h"
#include "store/conferma.h"
#include "tests/support/server_drda.h"
#include "tests/window/finestra_fixture.h"
#include "window/prova_win32.h"

namespace velmar::test {
namespace {

using namespace std::chrono_literals;

class ProvaFinestraTest : public FinestraTest {
  protected:
    void TearDown() override {
        ImponiPortaProva(kPortaDb2);
        FinestraTest::TearDown();
    }
};

std::u16string VoceMenu(HMENU menu, UINT comando) {
    wchar_t testo[64] = {};
    const int n = ::GetMenuStringW(menu, comando, testo, 64, MF_BYCOMMAND);
    return std::u16string(reinterpret_cast<const char16_t*>(testo),
                          static_cast<std::size_t>(std::max(n, 0)));
}

TEST_F(ProvaFinestraTest, TheSystemMenusItemChecksTheEntriesServerWhileTheWindowAnswers) {
    ServerDrda server(Copione::Db2LinuxX8664, "127.0.0.1", 0, 800ms);
    ASSERT_TRUE(server.Attivo());
    ImponiPortaProva(server.Porta());
    Apri();
    const HWND finestra = form_->Finestra();
    EXPECT_EQ(VoceMenu(::GetSystemMenu(finestra, FALSE), kComandoProvaConnessione),
              u"Prova la connessione\u2026");
    const std::string prima = Parametri();
    const auto prova = [&] {
        ::SendMessageW(finestra, WM_SYSCOMMAND, kComandoProvaConnessione, 0);
    };

    // No server type, then no machine: nothing is asked of the network.
    prova();
    Clicca("OptionServer(0)");
    prova();
    EXPECT_EQ(interfaccia_.messaggi,
              (std::vector<std::u16string>{Utf16Da1252(kMsgServerMancante),
                                           Utf16Da1252(kMsgMacchinaMancante)}));
    EXPECT_EQ(server.Connessioni(), 0);

    // The check: the window answers while the server takes its time.
    Imposta("TextMacchina", u"127.0.0.1");
    interfaccia_.messaggi.clear();
    std::atomic<bool> finito{false};
    bool risponde = false, durante = false;
    std::thread osservatore([&] {
        std::this_thread::sleep_for(300ms);
        DWORD_PTR risultato = 0;
        risponde =
            ::SendMessageTimeoutW(finestra, WM_NULL, 0, 0, SMTO_NORMAL, 300, &risultato) != 0;
        durante = !finito;
    });
    prova();
    finito = true;
    osservatore.join();

    EXPECT_TRUE(durante) << "the check was over before the window was asked";
    EXPECT_TRUE(risponde) << "the window did not answer during the check";
    EXPECT_EQ(server.Connessioni(), 1);
    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    const std::u16string& testo = interfaccia_.messaggi[0];
    const std::u16string porta = Utf16Da1252(std::to_string(server.Porta()));
    EXPECT_EQ(
        testo.rfind(
            u"Macchina: 127.0.0.1, porta " + porta + u"\r\nIndirizzo raggiunto: 127.0.0.1\r\n", 0),
        0u)
        << ::testing::PrintToString(testo);
    const std::u16string esito =
        u"\r\nEsito: non corrisponde: il server \u00e8 DB2 per Linux (QDB2/LINUXX8664, "
        u"SQL11055), il record dice NT (db2admin)";
    EXPECT_EQ(testo.substr(testo.size() - std::min(testo.size(), esito.size())), esito)
        << ::testing::PrintToString(testo);
    EXPECT_EQ(interfaccia_.proprietari.back(), finestra);
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_TRUE(::IsWindowVisible(finestra));
    EXPECT_EQ(Parametri(), prima);
}

}  // namespace
}  // namespace velmar::test
