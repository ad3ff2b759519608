// The store's file operations on Windows. Paths arrive as Windows-1252 and are passed to the
// wide-character functions; errors are described with the system's own message text.
// New files are created with CREATE_NEW, which never opens what a link points to; a name that
// is taken is cleared by renaming a new file over it, since deleting a link may delete its
// target (Wine does). A replacement is one MoveFileExW with write-through, retried for a short
// while when another process holds the target open (indexers and antivirus software do); the
// new file first takes the attributes and, when it was set for it, the access list of the file
// it replaces, as ReplaceFileW would, without ReplaceFileW's moment with no file at the name.
#include <windows.h>
#include <aclapi.h>

#include <atomic>
#include <vector>

#include "platform/file_system_win32.h"
#include "platform/handles_win32.h"
#include "store/cp1252.h"
#include "store/file_system.h"

namespace velmar {

std::string DescrizioneErrore(DWORD codice) {
    unique_hlocal testo;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, codice, 0, reinterpret_cast<wchar_t*>(testo.put()), 0, nullptr);
    std::u16string_view w;
    if (n > 0 && testo)
        w = std::u16string_view(static_cast<const char16_t*>(testo.get()), n);
    while (!w.empty() &&
           (w.back() == u'\r' || w.back() == u'\n' || w.back() == u' ' || w.back() == u'.')) {
        w.remove_suffix(1);
    }
    return Cp1252DaMostrare(w) + " (" + std::to_string(codice) + ")";
}

std::wstring PercorsoWide(std::string_view percorso) {
    const std::u16string w = Utf16Da1252(percorso);
    return std::wstring(w.begin(), w.end());
}

bool DaclPropria(SECURITY_DESCRIPTOR_CONTROL controllo, const ACL* dacl) noexcept {
    if (dacl == nullptr)
        return false;
    if ((controllo & SE_DACL_PROTECTED) != 0)
        return true;
    if ((controllo & SE_DACL_AUTO_INHERITED) == 0)
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* voce = nullptr;
        if (::GetAce(const_cast<ACL*>(dacl), i, &voce) &&
            (static_cast<const ACE_HEADER*>(voce)->AceFlags & INHERITED_ACE) == 0) {
            return true;
        }
    }
    return false;
}

namespace {

constexpr DWORD kCondivisione = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kBloccoCopia = 1 << 20;
constexpr DWORD kPausaBloccoMs = 50;
// Attributes a replacement keeps (read-only files are not replaced at all).
constexpr DWORD kAttributiTenuti = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The system's message for an error; a missing file or folder is Assente.
Errore ErroreSistema(DWORD codice) {
    const bool assente = codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND;
    return Errore(assente ? TipoErrore::Assente : TipoErrore::Sistema, DescrizioneErrore(codice));
}

Errore UltimoErrore() {
    return ErroreSistema(::GetLastError());
}

Esito ScriviTutto(HANDLE h, std::string_view dati) {
    while (!dati.empty()) {
        const DWORD blocco =
            dati.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(dati.size());
        DWORD scritti = 0;
        if (!::WriteFile(h, dati.data(), blocco, &scritti, nullptr))
            return UltimoErrore();
        dati.remove_prefix(scritti);
    }
    return {};
}

class LetturaWin32 final : public FileLettura {
  public:
    LetturaWin32(unique_hfile h, std::uint64_t dimensione)
        : h_(std::move(h)), dimensione_(dimensione) {}
    std::uint64_t Dimensione() const noexcept override { return dimensione_; }
    Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                 std::size_t capacita) override {
        DWORD n = 0;
        const DWORD chiesti = capacita > 0x40000000 ? 0x40000000 : static_cast<DWORD>(capacita);
        OVERLAPPED dove{};
        dove.Offset = static_cast<DWORD>(posizione);
        dove.OffsetHigh = static_cast<DWORD>(posizione >> 32);
        if (!::ReadFile(h_.get(), buffer, chiesti, &n, &dove)) {
            const DWORD e = ::GetLastError();
            if (e != ERROR_HANDLE_EOF)
                return ErroreSistema(e);
            n = 0;
        }
        return static_cast<std::size_t>(n);
    }

  private:
    unique_hfile h_;
    std::uint64_t dimensione_;
};

class ScritturaWin32 final : public FileScrittura {
  public:
    explicit ScritturaWin32(unique_hfile h) : h_(std::move(h)) {}
    Esito Scrivi(std::string_view dati) override { return ScriviTutto(h_.get(), dati); }
    Esito Chiudi() override {
        if (!h_.close())
            return UltimoErrore();
        return {};
    }

  private:
    unique_hfile h_;
};

class BloccoWin32 final : public Blocco {
  public:
    explicit BloccoWin32(unique_hfile h) : h_(std::move(h)) {}

  private:
    unique_hfile h_;  // closing it releases the lock
};

bool ErroreTemporaneo(DWORD e) noexcept {
    return e == ERROR_SHARING_VIOLATION || e == ERROR_ACCESS_DENIED || e == ERROR_LOCK_VIOLATION;
}

bool NomeOccupato(DWORD e) noexcept {
    return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
}

// A new file at `percorso`, opened with `accesso`. When the name is taken, the new file is made
// under a name of its own and renamed over whatever stands there (never deleting through it).
Risultato<unique_hfile> CreaFileNuovo(const std::wstring& percorso, DWORD accesso) {
    unique_hfile h(::CreateFileW(percorso.c_str(), accesso, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h)
        return h;
    if (!NomeOccupato(::GetLastError()))
        return UltimoErrore();
    static std::atomic<unsigned> contatore{0};
    const std::wstring provvisorio = percorso + L"." + std::to_wstring(::GetCurrentProcessId()) +
                                     L"-" + std::to_wstring(++contatore);
    h.reset(::CreateFileW(provvisorio.c_str(), accesso, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h)
        return UltimoErrore();
    if (::MoveFileExW(provvisorio.c_str(), percorso.c_str(), MOVEFILE_REPLACE_EXISTING))
        return h;
    const DWORD e = ::GetLastError();
    h.reset();
    ::DeleteFileW(provvisorio.c_str());
    const DWORD attributi = ::GetFileAttributesW(percorso.c_str());
    if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Errore(TipoErrore::Sistema, std::string(kAlPostoCartella));
    return ErroreSistema(e);
}

Esito CopiaDati(HANDLE in, HANDLE out) {
    std::vector<char> buffer(kBloccoCopia);
    for (;;) {
        DWORD letti = 0;
        if (!::ReadFile(in, buffer.data(), kBloccoCopia, &letti, nullptr))
            return UltimoErrore();
        if (letti == 0)
            return {};
        if (Esito e = ScriviTutto(out, std::string_view(buffer.data(), letti)); !e)
            return e;
    }
}

// Gives the new file `h` the kept attributes and, when it was set for that file, the access
// list of `modello`.
Esito CopiaPermessi(HANDLE h, const std::wstring& modello, DWORD attributi) {
    FILE_BASIC_INFO base{};
    base.FileAttributes = (attributi & kAttributiTenuti) != 0 ? (attributi & kAttributiTenuti)
                                                              : FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(h, FileBasicInfo, &base, sizeof(base)))
        return UltimoErrore();

    PACL dacl = nullptr;
    unique_hlocal descrittore;
    const DWORD r =
        ::GetNamedSecurityInfoW(modello.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, descrittore.put());
    // A volume without access lists (FAT) has none to keep; any other failure is a failure.
    if (r == ERROR_NOT_SUPPORTED || r == ERROR_INVALID_FUNCTION)
        return {};
    if (r != ERROR_SUCCESS)
        return ErroreSistema(r);
    SECURITY_DESCRIPTOR_CONTROL controllo = 0;
    DWORD revisione = 0;
    if (!::GetSecurityDescriptorControl(descrittore.get(), &controllo, &revisione))
        return UltimoErrore();
    if (!DaclPropria(controllo, dacl))
        return {};  // inherited from the folder, as the new file's is
    const SECURITY_INFORMATION quale =
        DACL_SECURITY_INFORMATION |
        ((controllo & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                              : UNPROTECTED_DACL_SECURITY_INFORMATION);
    const DWORD s = ::SetSecurityInfo(h, SE_FILE_OBJECT, quale, nullptr, nullptr, dacl, nullptr);
    if (s != ERROR_SUCCESS)
        return ErroreSistema(s);
    return {};
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

    Risultato<std::unique_ptr<FileLettura>> ApriLettura(const std::string& percorso) override {
        unique_hfile h(::CreateFileW(PercorsoWide(percorso).c_str(), GENERIC_READ, kCondivisione,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!h)
            return UltimoErrore();
        if (::GetFileType(h.get()) != FILE_TYPE_DISK)
            return Errore(TipoErrore::Sistema, std::string(kNonFileRegolare));
        LARGE_INTEGER dimensione{};
        if (!::GetFileSizeEx(h.get(), &dimensione))
            return UltimoErrore();
        return std::unique_ptr<FileLettura>(std::make_unique<LetturaWin32>(
            std::move(h), static_cast<std::uint64_t>(dimensione.QuadPart)));
    }

    TipoVoce Tipo(const std::string& percorso) override {
        const DWORD a = ::GetFileAttributesW(PercorsoWide(percorso).c_str());
        if (a == INVALID_FILE_ATTRIBUTES)
            return TipoVoce::Assente;
        return (a & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TipoVoce::Cartella : TipoVoce::File;
    }

    Risultato<std::unique_ptr<Blocco>> Blocca(const std::string& percorso,
                                              std::chrono::milliseconds attesa) override {
        const std::wstring p = PercorsoWide(percorso);
        constexpr DWORD kAccesso = GENERIC_READ | GENERIC_WRITE;
        unique_hfile h(::CreateFileW(p.c_str(), kAccesso, kCondivisione, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        // Created only where nothing stands: never through a link to a file elsewhere.
        for (int tentativo = 0; !h && ::GetLastError() == ERROR_FILE_NOT_FOUND && tentativo < 2;
             ++tentativo) {
            h.reset(::CreateFileW(p.c_str(), kAccesso, kCondivisione, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!h && NomeOccupato(::GetLastError())) {
                h.reset(::CreateFileW(p.c_str(), kAccesso, kCondivisione, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            }
        }
        if (!h)
            return UltimoErrore();
        const auto scadenza = std::chrono::steady_clock::now() + attesa;
        for (;;) {
            OVERLAPPED dove{};
            if (::LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                             &dove)) {
                break;
            }
            const DWORD e = ::GetLastError();
            if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING)
                return ErroreSistema(e);
            if (std::chrono::steady_clock::now() >= scadenza)
                return Errore(TipoErrore::Occupato, DescrizioneErrore(e));
            ::Sleep(kPausaBloccoMs);
        }
        return std::unique_ptr<Blocco>(std::make_unique<BloccoWin32>(std::move(h)));
    }

    Risultato<std::unique_ptr<FileScrittura>> CreaNuovo(const std::string& percorso) override {
        Risultato<unique_hfile> h = CreaFileNuovo(PercorsoWide(percorso), GENERIC_WRITE);
        if (!h)
            return std::move(h).Errore();
        return std::unique_ptr<FileScrittura>(std::make_unique<ScritturaWin32>(*std::move(h)));
    }

    Esito Copia(const std::string& origine, const std::string& destinazione,
                const std::string& sostituendo) override {
        const std::wstring modello = PercorsoWide(sostituendo);
        const DWORD attributi = ::GetFileAttributesW(modello.c_str());
        const bool conModello = attributi != INVALID_FILE_ATTRIBUTES;
        if (conModello && (attributi & FILE_ATTRIBUTE_READONLY) != 0)
            return Errore(TipoErrore::Sistema, std::string(kSolaLettura));
        unique_hfile in(::CreateFileW(PercorsoWide(origine).c_str(), GENERIC_READ, kCondivisione,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!in)
            return UltimoErrore();
        const std::wstring nuovo = PercorsoWide(destinazione);
        Risultato<unique_hfile> creato =
            CreaFileNuovo(nuovo, GENERIC_WRITE | WRITE_DAC | FILE_WRITE_ATTRIBUTES);
        if (!creato)
            return std::move(creato).Errore();
        unique_hfile out = *std::move(creato);
        Esito e;
        if (conModello)
            e = CopiaPermessi(out.get(), modello, attributi);
        if (e)
            e = CopiaDati(in.get(), out.get());
        if (e && !::FlushFileBuffers(out.get()))
            e = UltimoErrore();
        if (e && !out.close())
            e = UltimoErrore();
        if (!e) {
            out.reset();
            ::DeleteFileW(nuovo.c_str());  // the file this copy made, not a file left by another
        }
        return e;
    }

    Esito Sostituisci(const std::string& origine, const std::string& destinazione) override {
        return SostituisciFile(PercorsoWide(origine), PercorsoWide(destinazione));
    }

    Esito Elimina(const std::string& percorso) override {
        if (!::DeleteFileW(PercorsoWide(percorso).c_str()))
            return UltimoErrore();
        return {};
    }
};

}  // namespace

Esito SostituisciFile(const std::wstring& origine, const std::wstring& destinazione, int tentativi,
                      DWORD attesaMs) {
    for (int i = 0;; ++i) {
        if (::MoveFileExW(origine.c_str(), destinazione.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return {};
        }
        const DWORD e = ::GetLastError();
        if (!ErroreTemporaneo(e) || i + 1 >= tentativi)
            return ErroreSistema(e);
        ::Sleep(attesaMs);
    }
}

FileSystem& FileSystemDiSistema() {
    static FileSystemWin32 fs;
    return fs;
}

}  // namespace velmar
