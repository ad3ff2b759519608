// Texts for the Windows tests: UTF-8 (paths, arguments, traces) to and from the UTF-16 of the
// Windows API. Windows-1252 is the store's own conversion (store/cp1252.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace velmar::test {

// UTF-8 as UTF-16; a byte that is not UTF-8 becomes U+FFFD.
inline std::wstring Utf16(std::string_view utf8) {
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring testo(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), testo.data(), n);
    return testo;
}

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
inline std::string Utf8(std::wstring_view testo) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, testo.data(), static_cast<int>(testo.size()), utf8.data(), n,
                          nullptr, nullptr);
    return utf8;
}
inline std::string Utf8(std::u16string_view testo) {
    return Utf8(std::wstring_view(reinterpret_cast<const wchar_t*>(testo.data()), testo.size()));
}

}  // namespace velmar::test
