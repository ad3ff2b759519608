// The base of the window's procedures: the object reached from WM_NCCREATE to WM_NCDESTROY, and
// an exception that reaches a procedure shown to the person instead of crossing into Windows.
#include "window/finestra_base_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/cp1252.h"
#include "tests/support/interfaccia_registrata_win32.h"

namespace velmar {
namespace {

constexpr wchar_t kClasse[] = L"VelmarFinestraBaseProva";
constexpr UINT kMessaggio = WM_APP + 1;

// Windows whose handler records the messages it is given and throws on one of them.
class FinestraProva : public FinestraBase<FinestraProva> {
  public:
    struct Guasto {
        UINT messaggio = 0;  // 0: none
        bool standard = true;
    };

    FinestraProva(Interfaccia& interfaccia, Guasto guasto)
        : FinestraBase(interfaccia), guasto_(guasto) {
        WNDCLASSEXW classe{};
        classe.cbSize = sizeof(classe);
        classe.hInstance = ::GetModuleHandleW(nullptr);
        if (!::GetClassInfoExW(classe.hInstance, kClasse, &classe)) {
            classe.lpfnWndProc = Procedura<&FinestraProva::Gestisci>;
            classe.lpszClassName = kClasse;
            ::RegisterClassExW(&classe);
        }
    }
    FinestraProva(const FinestraProva&) = delete;
    FinestraProva& operator=(const FinestraProva&) = delete;

    HWND Crea(HWND genitore = nullptr) {
        return ::CreateWindowExW(0, kClasse, L"", genitore ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10,
                                 genitore, nullptr, ::GetModuleHandleW(nullptr), this);
    }

    std::vector<UINT> ricevuti;

  private:
    LRESULT Gestisci(HWND finestra, UINT messaggio, WPARAM w, LPARAM l) {
        ricevuti.push_back(messaggio);
        if (messaggio == guasto_.messaggio) {
            if (guasto_.standard)
                throw std::runtime_error("guasto");
            throw 1;
        }
        return ::DefWindowProcW(finestra, messaggio, w, l);
    }

    Guasto guasto_;
};

TEST(FinestraBase, TheObjectGetsEveryMessageFromWmNcCreateToWmNcDestroy) {
    test::InterfacciaRegistrata interfaccia;
    FinestraProva prova(interfaccia, {});
    const HWND finestra = prova.Crea();
    ASSERT_NE(finestra, nullptr);
    ::SendMessageW(finestra, kMessaggio, 0, 0);
    ::DestroyWindow(finestra);
    ASSERT_FALSE(prova.ricevuti.empty());
    EXPECT_EQ(prova.ricevuti.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_NE(std::find(prova.ricevuti.begin(), prova.ricevuti.end(), kMessaggio),
              prova.ricevuti.end());
    EXPECT_EQ(prova.ricevuti.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(interfaccia.messaggi.empty());
}

// The person is told, in a box owned by the top-level window; the message is answered as failed,
// and a window whose creation failed is not created.
TEST(FinestraBase, AnExceptionReachingTheProcedureIsShownToThePerson) {
    struct Caso {
        const char* nome;
        FinestraProva::Guasto guasto;
        bool figlia;  // the throwing window is a child of another
        std::string causa;
    };
    const Caso casi[] = {
        {"a message", {kMessaggio, true}, false, "guasto"},
        {"a message of a child window", {kMessaggio, true}, true, "guasto"},
        {"not a standard exception", {kMessaggio, false}, false, ""},
        {"WM_CREATE", {WM_CREATE, true}, false, "guasto"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        test::InterfacciaRegistrata interfaccia;
        FinestraProva genitore(interfaccia, {});
        FinestraProva prova(interfaccia, c.guasto);
        const HWND principale = c.figlia ? genitore.Crea() : nullptr;
        const HWND finestra = prova.Crea(principale);
        if (c.guasto.messaggio == WM_CREATE) {
            EXPECT_EQ(finestra, nullptr);
        } else {
            ASSERT_NE(finestra, nullptr);
            EXPECT_EQ(::SendMessageW(finestra, kMessaggio, 0, 0), 0);
            EXPECT_TRUE(::IsWindow(finestra));
        }
        EXPECT_EQ(interfaccia.messaggi,
                  std::vector<std::u16string>{Utf16Da1252(MessaggioErroreImprevisto(c.causa))});
        if (c.guasto.messaggio != WM_CREATE) {
            EXPECT_EQ(interfaccia.proprietari,
                      std::vector<HWND>{principale ? principale : finestra});
        }
        ::DestroyWindow(principale ? principale : finestra);
    }
}

}  // namespace
}  // namespace velmar
