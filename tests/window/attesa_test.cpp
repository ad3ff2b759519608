// The loop that waits for a work thread: what it dispatches, what it throws away, what it hands on.
#include "window/attesa_win32.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace velmar {
namespace {

// A hidden window that counts the messages it gets.
class Contatore {
  public:
    Contatore() {
        WNDCLASSEXW classe{};
        classe.cbSize = sizeof(classe);
        classe.lpfnWndProc = Procedura;
        classe.hInstance = ::GetModuleHandleW(nullptr);
        classe.lpszClassName = L"VelmarContatore";
        ::RegisterClassExW(&classe);
        finestra_ = ::CreateWindowExW(0, classe.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                      nullptr, nullptr, classe.hInstance, this);
    }
    Contatore(const Contatore&) = delete;
    Contatore& operator=(const Contatore&) = delete;
    ~Contatore() { ::DestroyWindow(finestra_); }

    HWND Finestra() const { return finestra_; }
    std::map<UINT, int> ricevuti;

  private:
    static LRESULT CALLBACK Procedura(HWND h, UINT m, WPARAM w, LPARAM l) noexcept {
        if (m == WM_NCCREATE) {
            ::SetWindowLongPtrW(
                h, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
        } else if (auto* c = reinterpret_cast<Contatore*>(::GetWindowLongPtrW(h, GWLP_USERDATA))) {
            ++c->ricevuti[m];
        }
        return ::DefWindowProcW(h, m, w, l);
    }
    HWND finestra_ = nullptr;
};

// Input posted while the work runs and just before it ends, and what else reaches the thread
// meanwhile: a posted message, a message sent from the work thread and the program's end.
TEST(EseguiSenzaBloccare, DispatchesAllButInputWhichItDiscardsThenAndAfterwards) {
    Contatore contatore;
    const HWND f = contatore.Finestra();
    ASSERT_NE(f, nullptr);
    const DWORD thread = ::GetCurrentThreadId();
    constexpr UINT kIngresso[] = {WM_LBUTTONDOWN, WM_LBUTTONUP,  WM_KEYDOWN,
                                  WM_CHAR,        WM_SYSKEYDOWN, WM_NCLBUTTONDOWN};
    LRESULT risposta = 0;
    DWORD esecutore = thread;
    EseguiSenzaBloccare([&] {
        esecutore = ::GetCurrentThreadId();
        for (const UINT m : kIngresso)
            ::PostMessageW(f, m, 0, 0);
        ::PostMessageW(f, WM_APP, 0, 0);
        DWORD_PTR esito = 0;
        risposta = ::SendMessageTimeoutW(f, WM_APP + 1, 0, 0, SMTO_NORMAL, 5000, &esito);
        ::PostThreadMessageW(thread, WM_QUIT, 7, 0);
        for (const UINT m : kIngresso)
            ::PostMessageW(f, m, 0, 0);
    });
    EXPECT_NE(esecutore, thread);
    EXPECT_NE(risposta, 0) << "the message sent from the work thread was answered";

    // What is left in the queue, handled as the program's loop does: the end of the program
    // comes once, and no input is left.
    MSG messaggio{};
    int uscite = 0;
    while (::PeekMessageW(&messaggio, nullptr, 0, 0, PM_REMOVE)) {
        if (messaggio.message == WM_QUIT) {
            ++uscite;
            EXPECT_EQ(messaggio.wParam, 7u);
        } else {
            ::DispatchMessageW(&messaggio);
        }
    }
    EXPECT_EQ(uscite, 1);
    EXPECT_EQ(contatore.ricevuti[WM_APP], 1);
    EXPECT_EQ(contatore.ricevuti[WM_APP + 1], 1);
    for (const UINT m : kIngresso)
        EXPECT_EQ(contatore.ricevuti[m], 0) << std::hex << m;
}

TEST(EseguiSenzaBloccare, ThrowsAgainWhatTheWorkThrew) {
    EXPECT_THROW(EseguiSenzaBloccare([] { throw std::runtime_error("x"); }), std::runtime_error);
}

}  // namespace
}  // namespace velmar
