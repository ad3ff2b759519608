// Starting the real console program: posix_spawn on POSIX, CreateProcessW under Windows (Wine).
#include "tests/console/programma.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "platform/handles_win32.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velmar::test {

namespace {

std::string Leggi(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

#ifdef _WIN32

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          w.data(), n);
    return w;
}

// One argument quoted as CommandLineToArgvW reads it back.
std::wstring Quotato(const std::wstring& a) {
    std::wstring r = L"\"";
    std::size_t barre = 0;
    for (const wchar_t c : a) {
        if (c == L'\\') {
            ++barre;
            continue;
        }
        r.append(c == L'"' ? barre * 2 + 1 : barre, L'\\');
        barre = 0;
        r += c;
    }
    r.append(barre * 2, L'\\');
    r += L'"';
    return r;
}

unique_hfile CreaUscita(const std::filesystem::path& p) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return unique_hfile(::CreateFileW(p.wstring().c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

#endif

}  // namespace

EsitoProgramma EseguiProgramma(const std::vector<std::string>& argomenti,
                               const std::filesystem::path& cartella) {
    // New files at every run: a child that has ended may still hold its handles for a moment.
    static int esecuzioni = 0;
    const std::string n = std::to_string(++esecuzioni);
    const std::filesystem::path fileUscita = cartella / ("uscita" + n + ".txt");
    const std::filesystem::path fileErrori = cartella / ("errori" + n + ".txt");
    EsitoProgramma e;
#ifdef _WIN32
    std::wstring programma = Wide(VELMAR_CONSOLE_EXE);
    for (wchar_t& c : programma) {
        if (c == L'/')
            c = L'\\';
    }
    std::wstring riga = Quotato(programma);
    for (const std::string& a : argomenti)
        riga += L" " + Quotato(Wide(a));
    {
        unique_hfile out = CreaUscita(fileUscita);
        unique_hfile err = CreaUscita(fileErrori);
        if (!out || !err)
            throw std::runtime_error("file di uscita non creati");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = out.get();
        si.hStdError = err.get();
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(programma.c_str(), riga.data(), nullptr, nullptr, TRUE,
                              CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
            throw std::runtime_error("CreateProcessW: " + std::to_string(::GetLastError()));
        }
        unique_handle processo(pi.hProcess);
        unique_handle thread(pi.hThread);
        ::WaitForSingleObject(processo.get(), INFINITE);
        DWORD codice = 0;
        ::GetExitCodeProcess(processo.get(), &codice);
        e.stato = static_cast<int>(codice);
    }
#else
    std::vector<char*> argv;
    std::string programma = VELMAR_CONSOLE_EXE;
    std::vector<std::string> copie = argomenti;
    argv.push_back(programma.data());
    for (std::string& a : copie)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&azioni, 1, fileUscita.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&azioni, 2, fileErrori.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int s = posix_spawn(&pid, programma.c_str(), &azioni, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&azioni);
    if (s != 0)
        throw std::runtime_error("posix_spawn: " + std::to_string(s));
    int stato = 0;
    if (::waitpid(pid, &stato, 0) != pid)
        throw std::runtime_error("waitpid");
    e.stato = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
#endif
    e.uscita = Leggi(fileUscita);
    e.errori = Leggi(fileErrori);
    return e;
}

}  // namespace velmar::test
