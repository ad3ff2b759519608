// The loop that waits for a work thread without taking input, and the wait's flag and cursor.
#include "window/attesa_win32.h"

#include <exception>
#include <thread>
#include <utility>

#include "platform/handles_win32.h"

namespace velmar {

namespace {

// The input messages, first and last of each range.
constexpr std::pair<UINT, UINT> kIngresso[] = {
    {WM_KEYFIRST, WM_KEYLAST},                  // keys and characters, WM_SYSKEYDOWN too
    {WM_IME_STARTCOMPOSITION, WM_IME_KEYLAST},  // the input method's composition
    {WM_IME_CHAR, WM_IME_CHAR},                 //   and its characters
    {WM_IME_KEYDOWN, WM_IME_KEYUP},             //   and keys
    {WM_MOUSEFIRST, WM_MOUSELAST},              // the mouse over a client area
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},       //   and over a frame
    {WM_NCMOUSEHOVER, WM_MOUSELEAVE},           //   hovering and leaving
};

}  // namespace

bool Ingresso(UINT messaggio) noexcept {
    for (const auto& [primo, ultimo] : kIngresso) {
        if (messaggio >= primo && messaggio <= ultimo)
            return true;
    }
    return false;
}

void EseguiSenzaBloccare(const std::function<void()>& lavoro) {
    unique_handle fine(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!fine) {
        lavoro();
        return;
    }
    std::exception_ptr errore;
    std::thread esecutore([&]() noexcept {
        try {
            lavoro();
        } catch (...) {
            errore = std::current_exception();
        }
        ::SetEvent(fine.get());
    });

    // One message at a time, so that the end of the work is seen between any two.
    bool uscita = false;
    WPARAM codiceUscita = 0;
    const HANDLE attese[] = {fine.get()};
    for (;;) {
        const DWORD r =
            ::MsgWaitForMultipleObjectsEx(1, attese, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0)
            break;
        if (r != WAIT_OBJECT_0 + 1) {
            ::WaitForSingleObject(fine.get(), INFINITE);
            break;
        }
        MSG m;
        if (!::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            continue;  // what was sent to this thread has been handled
        if (m.message == WM_QUIT) {
            uscita = true;
            codiceUscita = m.wParam;
        } else if (!Ingresso(m.message)) {
            ::DispatchMessageW(&m);
        }
    }
    esecutore.join();

    MSG m;
    for (const auto& [primo, ultimo] : kIngresso) {
        while (::PeekMessageW(&m, nullptr, primo, ultimo, PM_REMOVE)) {
        }
    }
    if (uscita)
        ::PostQuitMessage(static_cast<int>(codiceUscita));
    if (errore)
        std::rethrow_exception(errore);
}

Attesa::Attesa(bool& inAttesa) noexcept
    : inAttesa_(inAttesa), cursore_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {
    inAttesa_ = true;
}

Attesa::~Attesa() {
    inAttesa_ = false;
    ::SetCursor(cursore_);
}

}  // namespace velmar
