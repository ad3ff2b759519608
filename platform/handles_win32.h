// Owners of Windows resources: one alias of unique_any per kind of handle, and the owners of
// COM's references, strings and variants. Nothing else in the program closes, frees or releases
// a handle by hand.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

#include "platform/unique_any.h"

namespace velmar {

namespace detail {
inline bool ChiudiChiave(HKEY k) noexcept {
    return ::RegCloseKey(k) == ERROR_SUCCESS;
}
inline bool ChiudiHandle(HANDLE h) noexcept {
    return ::CloseHandle(h) != 0;
}
inline bool EliminaOggetto(HGDIOBJ o) noexcept {
    return ::DeleteObject(o) != 0;
}
inline bool DistruggiIcona(HICON i) noexcept {
    return ::DestroyIcon(i) != 0;
}
inline bool LiberaBstr(BSTR b) noexcept {
    ::SysFreeString(b);
    return true;
}
inline bool RilasciaDcSchermo(HDC dc) noexcept {
    return ::ReleaseDC(nullptr, dc) != 0;
}
inline bool EliminaDc(HDC dc) noexcept {
    return ::DeleteDC(dc) != 0;
}
inline bool LiberaModulo(HMODULE m) noexcept {
    return ::FreeLibrary(m) != 0;
}
inline bool LiberaLocale(HLOCAL m) noexcept {
    return ::LocalFree(m) == nullptr;
}
inline bool EliminaMetafile(HENHMETAFILE m) noexcept {
    return ::DeleteEnhMetaFile(m) != 0;
}
inline bool ChiudiPresa(SOCKET s) noexcept {
    return ::closesocket(s) == 0;
}
inline bool LiberaIndirizzi(ADDRINFOW* a) noexcept {
    ::FreeAddrInfoW(a);
    return true;
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
// A device context made with CreateCompatibleDC.
using unique_hdc = unique_any<HDC, detail::EliminaDc, nullptr>;
// A DLL loaded with LoadLibrary.
using unique_hmodule = unique_any<HMODULE, detail::LiberaModulo, nullptr>;
// An enhanced metafile: what a device context recorded.
using unique_henhmetafile = unique_any<HENHMETAFILE, detail::EliminaMetafile, nullptr>;
// Memory the system allocated with LocalAlloc for the caller (FormatMessage, security
// descriptors).
using unique_hlocal = unique_any<HLOCAL, detail::LiberaLocale, nullptr>;
// A Winsock socket: INVALID_SOCKET means none.
using unique_socket = unique_any<SOCKET, detail::ChiudiPresa, INVALID_SOCKET>;
// The addresses GetAddrInfoW gave.
using unique_addrinfo = unique_any<ADDRINFOW*, detail::LiberaIndirizzi, nullptr>;

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
