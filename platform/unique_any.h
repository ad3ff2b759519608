// The owner of one system resource: a move-only template that frees its value when it goes, for
// the handles of Windows and the descriptors of POSIX alike. One alias line per kind of resource
// (handles_win32.h, handles_posix.h); nothing else in the program frees a resource by hand.
#pragma once

#include <utility>

namespace velmar {

// Owns one value of type T; `Chiudi` frees it and tells whether the system did (a file whose
// close fails may not hold its data); `Invalido` is the value that owns nothing.
template <class T, auto Chiudi, auto Invalido>
class unique_any {
  public:
    unique_any() noexcept = default;
    explicit unique_any(T valore) noexcept : valore_(valore) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& altro) noexcept : valore_(altro.release()) {}
    unique_any& operator=(unique_any&& altro) noexcept {
        if (this != &altro)
            reset(altro.release());
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return valore_; }
    explicit operator bool() const noexcept { return valore_ != T(Invalido); }
    T release() noexcept { return std::exchange(valore_, T(Invalido)); }
    void reset(T valore = T(Invalido)) noexcept {
        T vecchio = std::exchange(valore_, valore);
        if (vecchio != T(Invalido))
            (void)Chiudi(vecchio);
    }
    // Frees the value now; false when the system reported a failure in freeing it.
    [[nodiscard]] bool close() noexcept {
        const T vecchio = release();
        return vecchio == T(Invalido) || Chiudi(vecchio);
    }
    // Address to receive a new value; frees the current one first.
    T* put() noexcept {
        reset();
        return &valore_;
    }

  private:
    T valore_ = T(Invalido);
};

}  // namespace velmar
