// Work run on a thread of its own and waited for up to a deadline, for a system call that has no
// deadline of its own (the resolution of a name). Past the deadline the caller goes on without
// the work's result; the thread ends by itself when the call returns and its result is dropped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace velmar {

// What `lavoro` gives, or nothing when it has not given it by `limite`. `lavoro` must not throw;
// it runs on this thread when no other can be started.
template <class T>
[[nodiscard]] std::optional<T> EseguiEntro(std::chrono::steady_clock::time_point limite,
                                           std::function<T()> lavoro) {
    struct Stato {
        std::mutex m;
        std::condition_variable fatto;
        std::optional<T> valore;
    };
    const auto stato = std::make_shared<Stato>();
    try {
        std::thread([stato, lavoro]() noexcept {
            T valore = lavoro();
            const std::lock_guard<std::mutex> blocco(stato->m);
            stato->valore = std::move(valore);
            stato->fatto.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return lavoro();
    }
    std::unique_lock<std::mutex> blocco(stato->m);
    stato->fatto.wait_until(blocco, limite, [&] { return stato->valore.has_value(); });
    return std::move(stato->valore);
}

}  // namespace velmar
