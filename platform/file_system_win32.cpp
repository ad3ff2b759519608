// The store's file operations on Windows. Paths arrive as Windows-1252 and are passed to the
// wide-character functions; errors are described with the system's own message text.
// Replacing a file is one MoveFileExW with write-through, retried for a short while when
// another process holds the target open (indexers and antivirus software do).
#include <windows.h>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

std::string DescrizioneErrore(DWORD codice) {
    wchar_t* testo = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, codice, 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
    std::u16string w;
    if (n > 0 && testo != nullptr)
        w.assign(reinterpret_cast<char16_t*>(testo), n);
    if (testo != nullptr)
        ::LocalFree(testo);
    while (!w.empty() &&
           (w.back() == u'\r' || w.back() == u'\n' || w.back() == u' ' || w.back() == u'.')) {
        w.pop_back();
    }
    std::string s;
    for (char16_t c : w) {
        auto b = Cp1252DaUtf16(std::u16string_view(&c, 1));
        s += b ? *b : std::string("?");
    }
    s += " (" + std::to_string(codice) + ")";
    return s;
}

std::wstring PercorsoWide(std::string_view percorso) {
    const std::u16string w = Utf16Da1252(percorso);
    return std::wstring(w.begin(), w.end());
}

namespace {

Esito UltimoErrore() {
    return Esito::Fallito(DescrizioneErrore(::GetLastError()));
}

class LetturaWin32 final : public FileLettura {
  public:
    explicit LetturaWin32(HANDLE h) : h_(h) {}
    Esito Leggi(char* buffer, std::size_t capacita, std::size_t& letti) override {
        DWORD n = 0;
        const DWORD chiesti = capacita > 0x40000000 ? 0x40000000 : static_cast<DWORD>(capacita);
        if (!::ReadFile(h_.get(), buffer, chiesti, &n, nullptr))
            return UltimoErrore();
        letti = n;
        return Esito::Riuscito();
    }

  private:
    unique_hfile h_;
};

class ScritturaWin32 final : public FileScrittura {
  public:
    explicit ScritturaWin32(HANDLE h) : h_(h) {}
    Esito Scrivi(std::string_view dati) override {
        while (!dati.empty()) {
            const DWORD blocco =
                dati.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(dati.size());
            DWORD scritti = 0;
            if (!::WriteFile(h_.get(), dati.data(), blocco, &scritti, nullptr)) {
                return UltimoErrore();
            }
            dati.remove_prefix(scritti);
        }
        return Esito::Riuscito();
    }
    Esito Chiudi() override {
        HANDLE h = h_.release();
        if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h))
            return UltimoErrore();
        return Esito::Riuscito();
    }

  private:
    unique_hfile h_;
};

bool ErroreTemporaneo(DWORD e) noexcept {
    return e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED || e == ERROR_LOCK_VIOLATION;
}

class FileSystemWin32 final : public FileSystem {
  public:
    char Separatore() const noexcept override { return '\\'; }
    bool PercorsoAssoluto(std::string_view p) const noexcept override {
        const auto sep = [](char c) { return c == '\\' || c == '/'; };
        if (p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
            p[1] == ':' && sep(p[2])) {
            return true;
        }
        return p.size() >= 3 && sep(p[0]) && sep(p[1]) && !sep(p[2]);
    }

    Esito ApriLettura(const std::string& percorso, std::unique_ptr<FileLettura>& file,
                      bool& assente) override {
        HANDLE h = ::CreateFileW(PercorsoWide(percorso).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD e = ::GetLastError();
            assente = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
            return Esito::Fallito(DescrizioneErrore(e));
        }
        file = std::make_unique<LetturaWin32>(h);
        return Esito::Riuscito();
    }

    Esito ApriScrittura(const std::string& percorso, ModoScrittura modo,
                        std::unique_ptr<FileScrittura>& file) override {
        const bool tronca = modo == ModoScrittura::Tronca;
        HANDLE h =
            ::CreateFileW(PercorsoWide(percorso).c_str(), tronca ? GENERIC_WRITE : FILE_APPEND_DATA,
                          FILE_SHARE_READ, nullptr, tronca ? CREATE_ALWAYS : OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return UltimoErrore();
        file = std::make_unique<ScritturaWin32>(h);
        return Esito::Riuscito();
    }

    bool CartellaEsiste(const std::string& percorso) override {
        const DWORD a = ::GetFileAttributesW(PercorsoWide(percorso).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    Esito Sostituisci(const std::string& origine, const std::string& destinazione) override {
        return SostituisciFile(PercorsoWide(origine), PercorsoWide(destinazione));
    }

    Esito Copia(const std::string& origine, const std::string& destinazione) override {
        const std::wstring a = PercorsoWide(destinazione);
        if (!::CopyFileW(PercorsoWide(origine).c_str(), a.c_str(), FALSE))
            return UltimoErrore();
        unique_hfile h(::CreateFileW(a.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h || !::FlushFileBuffers(h.get()))
            return UltimoErrore();
        if (!::CloseHandle(h.release()))
            return UltimoErrore();
        return Esito::Riuscito();
    }

    Esito Elimina(const std::string& percorso) override {
        if (!::DeleteFileW(PercorsoWide(percorso).c_str()))
            return UltimoErrore();
        return Esito::Riuscito();
    }
};

}  // namespace

Esito SostituisciFile(const std::wstring& origine, const std::wstring& destinazione, int tentativi,
                      DWORD attesaMs) {
    for (int i = 0;; ++i) {
        if (::MoveFileExW(origine.c_str(), destinazione.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return Esito::Riuscito();
        }
        const DWORD e = ::GetLastError();
        if (!ErroreTemporaneo(e) || i + 1 >= tentativi)
            return Esito::Fallito(DescrizioneErrore(e));
        ::Sleep(attesaMs);
    }
}

FileSystem& FileSystemDiSistema() {
    static FileSystemWin32 fs;
    return fs;
}

}  // namespace velmar
