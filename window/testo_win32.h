// The window's texts (UTF-16, as std::u16string) handed to Windows and read back from it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace velmar {

// `testo` as the wide-character string Windows takes.
[[nodiscard]] inline const wchar_t* W(const std::u16string& testo) noexcept {
    return reinterpret_cast<const wchar_t*>(testo.c_str());
}

// The text of a window: a control's caption or what an entry holds.
[[nodiscard]] inline std::u16string TestoDi(HWND finestra) {
    std::u16string testo(static_cast<std::size_t>(::GetWindowTextLengthW(finestra)) + 1, u'\0');
    const int letti = ::GetWindowTextW(finestra, reinterpret_cast<wchar_t*>(testo.data()),
                                       static_cast<int>(testo.size()));
    testo.resize(static_cast<std::size_t>(std::max(letti, 0)));
    return testo;
}

}  // namespace velmar
