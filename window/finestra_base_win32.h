// The base of a window handled by a C++ object: one static window procedure that finds the
// object, forwards each message to one of its members, and keeps exceptions from crossing into
// Windows, showing them to the person instead.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "window/interfaccia_win32.h"

namespace velmar {

// What the person reads when an exception reaches a window procedure: "Errore imprevisto: "
// and `causa` (the exception's what()), or "Errore imprevisto." when nothing says the cause.
// Windows-1252.
[[nodiscard]] std::string MessaggioErroreImprevisto(std::string_view causa);

// Shows the person `eccezione` through `interfaccia`, in a box owned by the top-level window of
// `finestra`.
void MostraErroreImprevisto(Interfaccia& interfaccia, HWND finestra,
                            std::exception_ptr eccezione) noexcept;

// The base of a class T whose windows are created with a T* as their creation parameter
// (CreateWindowExW's last argument). One object may handle several windows, each class of them
// with its own member.
template <class T>
class FinestraBase {
  protected:
    explicit FinestraBase(Interfaccia& interfaccia) noexcept : interfaccia_(interfaccia) {}
    FinestraBase(const FinestraBase&) = delete;
    FinestraBase& operator=(const FinestraBase&) = delete;
    ~FinestraBase() = default;

    // The procedure of such a window: it stores the T* on WM_NCCREATE (GWLP_USERDATA) and from
    // then on, WM_NCDESTROY included, passes every message to `Gestore` of that object; before,
    // to the default procedure. An exception that reaches it is shown to the person and the
    // message answered as failed: -1 for WM_CREATE, 0 otherwise (WM_NCCREATE included, which
    // stops the window's creation).
    template <LRESULT (T::*Gestore)(HWND, UINT, WPARAM, LPARAM)>
    static LRESULT CALLBACK Procedura(HWND finestra, UINT messaggio, WPARAM w, LPARAM l) noexcept {
        if (messaggio == WM_NCCREATE) {
            const auto* creazione = reinterpret_cast<const CREATESTRUCTW*>(l);
            ::SetWindowLongPtrW(finestra, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(creazione->lpCreateParams));
        }
        T* const oggetto = reinterpret_cast<T*>(::GetWindowLongPtrW(finestra, GWLP_USERDATA));
        if (!oggetto)
            return ::DefWindowProcW(finestra, messaggio, w, l);
        if (messaggio == WM_NCDESTROY)
            ::SetWindowLongPtrW(finestra, GWLP_USERDATA, 0);
        try {
            return (oggetto->*Gestore)(finestra, messaggio, w, l);
        } catch (...) {
            MostraErroreImprevisto(static_cast<FinestraBase&>(*oggetto).interfaccia_, finestra,
                                   std::current_exception());
            return messaggio == WM_CREATE ? -1 : 0;
        }
    }

    // Registers window class `nome` in `istanza`, its windows handled by `Gestore` through
    // Procedura, with the arrow cursor and the icon of resource `icona` (none when null), unless
    // it is registered already. False when it cannot be registered.
    template <LRESULT (T::*Gestore)(HWND, UINT, WPARAM, LPARAM)>
    [[nodiscard]] static bool Registra(HINSTANCE istanza, const wchar_t* nome,
                                       const wchar_t* icona = nullptr) noexcept {
        WNDCLASSEXW classe{};
        classe.cbSize = sizeof(classe);
        if (::GetClassInfoExW(istanza, nome, &classe))
            return true;
        classe.hInstance = istanza;
        classe.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        classe.hIcon = icona ? ::LoadIconW(istanza, icona) : nullptr;
        classe.lpfnWndProc = Procedura<Gestore>;
        classe.lpszClassName = nome;
        return ::RegisterClassExW(&classe) != 0;
    }

    Interfaccia& interfaccia_;
};

}  // namespace velmar
