// Owners of Windows resources: one move-only template and one alias per kind of handle.
// Nothing else in the program closes, frees or releases a handle by hand.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

namespace velmar {

// Owns one value of type T; `Chiudi` frees it; `Invalido` is the value that owns nothing.
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
            Chiudi(vecchio);
    }
    // Address to receive a new value; frees the current one first.
    T* put() noexcept {
        reset();
        return &valore_;
    }

  private:
    T valore_ = T(Invalido);
};

namespace detail {
inline void ChiudiChiave(HKEY k) noexcept {
    ::RegCloseKey(k);
}
inline void ChiudiHandle(HANDLE h) noexcept {
    ::CloseHandle(h);
}
inline void EliminaOggetto(HGDIOBJ o) noexcept {
    ::DeleteObject(o);
}
inline void DistruggiIcona(HICON i) noexcept {
    ::DestroyIcon(i);
}
inline void LiberaBstr(BSTR b) noexcept {
    ::SysFreeString(b);
}
inline void RilasciaDcSchermo(HDC dc) noexcept {
    ::ReleaseDC(nullptr, dc);
}
inline void LiberaModulo(HMODULE m) noexcept {
    ::FreeLibrary(m);
}
}  // namespace detail

using unique_hkey = unique_any<HKEY, detail::ChiudiChiave, nullptr>;
// A handle for which null means none (events, processes, threads).
using unique_handle = unique_any<HANDLE, detail::ChiudiHandle, nullptr>;
// A file handle: INVALID_HANDLE_VALUE means none.
using unique_hfile = unique_any<HANDLE, detail::ChiudiHandle, -1>;
using unique_hfont = unique_any<HFONT, detail::EliminaOggetto, nullptr>;
using unique_hbrush = unique_any<HBRUSH, detail::EliminaOggetto, nullptr>;
using unique_hbitmap = unique_any<HBITMAP, detail::EliminaOggetto, nullptr>;
using unique_hicon = unique_any<HICON, detail::DistruggiIcona, nullptr>;
using unique_bstr = unique_any<BSTR, detail::LiberaBstr, nullptr>;
// The screen's device context, from GetDC(nullptr).
using unique_hdc_schermo = unique_any<HDC, detail::RilasciaDcSchermo, nullptr>;
// A DLL loaded with LoadLibrary.
using unique_hmodule = unique_any<HMODULE, detail::LiberaModulo, nullptr>;

// Owns one reference to a COM interface.
template <class I>
class com_ptr {
  public:
    com_ptr() noexcept = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& altro) noexcept : p_(std::exchange(altro.p_, nullptr)) {}
    com_ptr& operator=(com_ptr&& altro) noexcept {
        if (this != &altro)
            reset(std::exchange(altro.p_, nullptr));
        return *this;
    }
    ~com_ptr() { reset(); }

    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset(I* p = nullptr) noexcept {
        if (I* vecchio = std::exchange(p_, p))
            vecchio->Release();
    }
    I** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  private:
    I* p_ = nullptr;
};

// Owns a VARIANT: cleared on destruction.
class unique_variant {
  public:
    unique_variant() noexcept { ::VariantInit(&v_); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    ~unique_variant() { ::VariantClear(&v_); }
    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* put() noexcept {
        ::VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

}  // namespace velmar
