// Work that may take long (a save waiting for another one's lock) done on a thread of its own,
// while the window's thread stays alive: it keeps handling what its windows are sent and posted,
// painting included, so that Windows never takes them for hung, but it throws the mouse and the
// keyboard away, during the work and as queued when the work ends, so that no click or key made
// meanwhile acts afterwards.
#pragma once

#include <windows.h>

#include <functional>

namespace velmar {

// Whether `messaggio` is input: of the keyboard (keys, characters, Alt+F4 among them, the input
// method's characters), or of the mouse over a client area or over a frame (the title bar and
// its close box).
[[nodiscard]] bool Ingresso(UINT messaggio) noexcept;

// Runs `lavoro` on another thread and returns once it has ended. Meanwhile this thread waits for
// it in a message loop that dispatches every message but input, which it discards; the input
// still queued when the work ends is discarded too. A WM_QUIT met meanwhile is posted again
// before returning. An exception thrown by `lavoro` is thrown again here, on this thread.
void EseguiSenzaBloccare(const std::function<void()>& lavoro);

// For one scope, while a save runs: `inAttesa` set, which keeps the window from acting, and the
// wait cursor shown; both as they were when the scope ends.
class Attesa {
  public:
    explicit Attesa(bool& inAttesa) noexcept;
    Attesa(const Attesa&) = delete;
    Attesa& operator=(const Attesa&) = delete;
    ~Attesa();

  private:
    bool& inAttesa_;
    HCURSOR cursore_;
};

}  // namespace velmar
