// Registry values for the length of one test: a fresh key of the test's own, or a value of a
// shared key put back as it was when the test ends.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles_win32.h"

namespace velmar::test {

// Writes raw bytes as a value of type `tipo`; an empty `nome` is the key's default value.
// The registry functions add a terminating zero the count left out when one follows the data
// in memory (Windows does the same), so the data is written from a copy followed by a non-zero
// byte: what is stored is exactly `dati`.
inline LSTATUS ScriviValoreGrezzo(HKEY radice, const std::string& chiave, const std::string& nome,
                                  DWORD tipo, std::string_view dati) {
    unique_hkey k;
    const LSTATUS s = ::RegCreateKeyExA(radice, chiave.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, k.put(), nullptr);
    if (s != ERROR_SUCCESS)
        return s;
    const std::string copia = std::string(dati) + "X";
    return ::RegSetValueExA(k.get(), nome.c_str(), 0, tipo,
                            reinterpret_cast<const BYTE*>(copia.data()),
                            static_cast<DWORD>(dati.size()));
}

// A text value written through the wide functions (with its terminating zero), for texts that
// must not depend on the ANSI code page; `vista` may name a registry view (KEY_WOW64_32KEY...).
inline LSTATUS ScriviTestoWide(HKEY radice, const std::wstring& chiave, const std::wstring& nome,
                               std::wstring_view testo, REGSAM vista = 0) {
    unique_hkey k;
    const LSTATUS s = ::RegCreateKeyExW(radice, chiave.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE | vista, nullptr, k.put(), nullptr);
    if (s != ERROR_SUCCESS)
        return s;
    const std::wstring t(testo);
    return ::RegSetValueExW(k.get(), nome.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(t.c_str()),
                            static_cast<DWORD>((t.size() + 1) * sizeof(wchar_t)));
}

inline void EliminaValore(HKEY radice, const std::string& chiave, const std::string& nome) {
    unique_hkey k;
    if (::RegOpenKeyExA(radice, chiave.c_str(), 0, KEY_SET_VALUE, k.put()) == ERROR_SUCCESS) {
        ::RegDeleteValueA(k.get(), nome.c_str());
    }
}

// A key of its own under HKEY_CURRENT_USER\Software\VelmarProva, removed with its values.
// Unique per process and per instance, so tests running side by side never share one.
class ChiaveProvvisoria {
  public:
    ChiaveProvvisoria() {
        static std::atomic<unsigned> contatore{0};
        percorso_ = "Software\\VelmarProva\\" + std::to_string(::GetCurrentProcessId()) + "-" +
                    std::to_string(::GetTickCount64()) + "-" + std::to_string(++contatore);
        unique_hkey k;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, percorso_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, k.put(), nullptr);
    }
    ChiaveProvvisoria(const ChiaveProvvisoria&) = delete;
    ChiaveProvvisoria& operator=(const ChiaveProvvisoria&) = delete;
    ~ChiaveProvvisoria() { ::RegDeleteTreeA(HKEY_CURRENT_USER, percorso_.c_str()); }

    const std::string& Percorso() const noexcept { return percorso_; }
    // Stores exactly the bytes of `dati`. Text types go through the wide functions, as Windows
    // programs store them: each byte (ASCII in tests) becomes one UTF-16 unit.
    LSTATUS Scrivi(const std::string& nome, DWORD tipo, std::string_view dati) const {
        if (tipo != REG_SZ && tipo != REG_EXPAND_SZ && tipo != REG_MULTI_SZ) {
            return ScriviValoreGrezzo(HKEY_CURRENT_USER, percorso_, nome, tipo, dati);
        }
        const std::wstring w = std::wstring(dati.begin(), dati.end()) + L"X";
        unique_hkey k;
        const std::wstring chiave(percorso_.begin(), percorso_.end());
        const LSTATUS s =
            ::RegOpenKeyExW(HKEY_CURRENT_USER, chiave.c_str(), 0, KEY_SET_VALUE, k.put());
        if (s != ERROR_SUCCESS)
            return s;
        return ::RegSetValueExW(k.get(), std::wstring(nome.begin(), nome.end()).c_str(), 0, tipo,
                                reinterpret_cast<const BYTE*>(w.data()),
                                static_cast<DWORD>(dati.size() * sizeof(wchar_t)));
    }

  private:
    std::string percorso_;
};

// A ProgID of the test's own leading to a class of its own, whose in-process server (a file that
// does not exist) is registered in the registry views given: a component for programs of one
// width, or of both. Everything is removed at the end.
class ClasseProvvisoria {
  public:
    ClasseProvvisoria() {
        static std::atomic<unsigned> contatore{0};
        progId_ = L"PercorsiApplicazioni.Prova" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++contatore);
        GUID guid{};
        wchar_t testo[64] = {};
        if (SUCCEEDED(::CoCreateGuid(&guid)) && ::StringFromGUID2(guid, testo, 64) > 0)
            clsid_ = testo;
    }
    ClasseProvvisoria(const ClasseProvvisoria&) = delete;
    ClasseProvvisoria& operator=(const ClasseProvvisoria&) = delete;
    ~ClasseProvvisoria() {
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, progId_.c_str());
        for (const REGSAM vista : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            unique_hkey classi;
            if (!clsid_.empty() &&
                ::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | vista,
                                classi.put()) == ERROR_SUCCESS) {
                ::RegDeleteTreeW(classi.get(), clsid_.c_str());
            }
        }
    }

    const std::wstring& ProgId() const noexcept { return progId_; }
    // Registers the ProgID and the class's server in view `vista` (0: the program's own).
    [[nodiscard]] bool Registra(REGSAM vista) const {
        return !clsid_.empty() &&
               ScriviTestoWide(HKEY_CLASSES_ROOT, progId_ + L"\\CLSID", L"", clsid_) ==
                   ERROR_SUCCESS &&
               ScriviTestoWide(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid_ + L"\\InprocServer32", L"",
                               L"C:\\Manca\\PercorsiApplicazioni.dll", vista) == ERROR_SUCCESS;
    }

  private:
    std::wstring progId_;
    std::wstring clsid_;
};

// Remembers one value of a shared key and puts it back (or removes it) at the end of the test.
// Tests that use it must not run beside others that touch the same value.
class ValoreRipristinato {
  public:
    ValoreRipristinato(HKEY radice, std::string chiave, std::string nome)
        : radice_(radice), chiave_(std::move(chiave)), nome_(std::move(nome)) {
        unique_hkey k;
        if (::RegOpenKeyExA(radice_, chiave_.c_str(), 0, KEY_QUERY_VALUE, k.put()) !=
            ERROR_SUCCESS) {
            return;
        }
        DWORD tipo = 0;
        DWORD n = 0;
        if (::RegQueryValueExA(k.get(), nome_.c_str(), nullptr, &tipo, nullptr, &n) ==
            ERROR_SUCCESS) {
            std::string dati(n, '\0');
            if (::RegQueryValueExA(k.get(), nome_.c_str(), nullptr, &tipo,
                                   reinterpret_cast<BYTE*>(dati.data()), &n) == ERROR_SUCCESS) {
                dati.resize(n);
                tipo_ = tipo;
                dati_ = std::move(dati);
            }
        }
    }
    ValoreRipristinato(const ValoreRipristinato&) = delete;
    ValoreRipristinato& operator=(const ValoreRipristinato&) = delete;
    ~ValoreRipristinato() {
        if (dati_) {
            ScriviValoreGrezzo(radice_, chiave_, nome_, tipo_, *dati_);
        } else {
            EliminaValore(radice_, chiave_, nome_);
        }
    }

    LSTATUS Scrivi(DWORD tipo, std::string_view dati) const {
        return ScriviValoreGrezzo(radice_, chiave_, nome_, tipo, dati);
    }
    LSTATUS ScriviWide(std::wstring_view testo) const {
        return ScriviTestoWide(radice_, std::wstring(chiave_.begin(), chiave_.end()),
                               std::wstring(nome_.begin(), nome_.end()), testo);
    }
    void Elimina() const { EliminaValore(radice_, chiave_, nome_); }

  private:
    HKEY radice_;
    std::string chiave_;
    std::string nome_;
    DWORD tipo_ = REG_NONE;
    std::optional<std::string> dati_;
};

}  // namespace velmar::test
