// Starting child processes: posix_spawn on POSIX, CreateProcessW on Windows (Wine).
#include "tests/support/processo.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "platform/handles_win32.h"
#include "tests/support/testo_win32.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace velmar::test {

namespace {

std::string Leggi(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

#ifdef _WIN32

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

HANDLE Handle(std::intptr_t p) {
    return reinterpret_cast<HANDLE>(p);
}

#endif

}  // namespace

Processo::Processo(const std::string& programma, const std::vector<std::string>& argomenti,
                   const std::filesystem::path& cartella,
                   const std::vector<std::pair<std::string, std::string>>& ambiente) {
    // New files at every run: a child that has ended may still hold its handles for a moment.
    static int esecuzioni = 0;
    const std::string n = std::to_string(++esecuzioni);
    fileUscita_ = cartella / ("uscita" + n + ".txt");
    fileErrori_ = cartella / ("errori" + n + ".txt");
#ifdef _WIN32
    std::wstring nome = Utf16(programma);
    for (wchar_t& c : nome) {
        if (c == L'/')
            c = L'\\';
    }
    std::wstring riga = Quotato(nome);
    for (const std::string& a : argomenti)
        riga += L" " + Quotato(Utf16(a));
    unique_hfile out = CreaUscita(fileUscita_);
    unique_hfile err = CreaUscita(fileErrori_);
    if (!out || !err)
        throw std::runtime_error("file di uscita non creati");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    // The child inherits the environment as it is at its start.
    for (const auto& [nomeVar, valore] : ambiente)
        ::SetEnvironmentVariableW(Utf16(nomeVar).c_str(), Utf16(valore).c_str());
    const BOOL avviato = ::CreateProcessW(nome.c_str(), riga.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    const DWORD errore = ::GetLastError();
    for (const auto& [nomeVar, valore] : ambiente)
        ::SetEnvironmentVariableW(Utf16(nomeVar).c_str(), nullptr);
    if (!avviato)
        throw std::runtime_error("CreateProcessW: " + std::to_string(errore));
    ::CloseHandle(pi.hThread);
    processo_ = reinterpret_cast<std::intptr_t>(pi.hProcess);
#else
    std::vector<char*> argv;
    std::string nome = programma;
    std::vector<std::string> copie = argomenti;
    argv.push_back(nome.data());
    for (std::string& a : copie)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variabili;
    for (char** e = environ; *e != nullptr; ++e)
        variabili.emplace_back(*e);
    for (const auto& [nomeVar, valore] : ambiente)
        variabili.push_back(nomeVar + "=" + valore);
    std::vector<char*> envp;
    for (std::string& v : variabili)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&azioni, 1, fileUscita_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&azioni, 2, fileErrori_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int s = posix_spawn(&pid, nome.c_str(), &azioni, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&azioni);
    if (s != 0)
        throw std::runtime_error("posix_spawn: " + std::to_string(s));
    processo_ = pid;
#endif
}

Processo::~Processo() {
    if (!finito_) {
        Uccidi();
        (void)Attendi();
    }
#ifdef _WIN32
    ::CloseHandle(Handle(processo_));
#endif
}

EsitoProgramma Processo::Attendi() {
    if (!finito_) {
#ifdef _WIN32
        ::WaitForSingleObject(Handle(processo_), INFINITE);
        DWORD codice = 0;
        ::GetExitCodeProcess(Handle(processo_), &codice);
        stato_ = static_cast<int>(codice);
#else
        int stato = 0;
        if (::waitpid(static_cast<pid_t>(processo_), &stato, 0) != processo_)
            throw std::runtime_error("waitpid");
        stato_ = WIFEXITED(stato) ? WEXITSTATUS(stato) : 128 + WTERMSIG(stato);
#endif
        finito_ = true;
    }
    return {stato_, Leggi(fileUscita_), Leggi(fileErrori_)};
}

void Processo::Uccidi() {
    if (finito_)
        return;
#ifdef _WIN32
    ::TerminateProcess(Handle(processo_), 137);
#else
    ::kill(static_cast<pid_t>(processo_), SIGKILL);
#endif
}

EsitoProgramma EseguiProgramma(const std::string& programma,
                               const std::vector<std::string>& argomenti,
                               const std::filesystem::path& cartella) {
    return Processo(programma, argomenti, cartella).Attendi();
}

std::string ProgrammaCorrente() {
#ifdef _WIN32
    std::wstring nome(32768, L'\0');
    nome.resize(::GetModuleFileNameW(nullptr, nome.data(), static_cast<DWORD>(nome.size())));
    return Utf8(nome);
#else
    return std::filesystem::read_symlink("/proc/self/exe").string();
#endif
}

}  // namespace velmar::test
