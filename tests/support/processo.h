// Child processes for the tests: a program started with UTF-8 arguments (the POSIX child gets
// them as they are, the Windows child as UTF-16 on its command line), its outputs sent to
// files, waited for or killed.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace velmar::test {

struct EsitoProgramma {
    int stato = -1;
    std::string uscita;  // standard output, as written (UTF-8 when redirected)
    std::string errori;  // standard error
};

class Processo {
  public:
    // Starts `programma` with `argomenti` and, beside the inherited environment, the variables
    // of `ambiente`; standard input is empty, the outputs go to new files in `cartella`.
    Processo(const std::string& programma, const std::vector<std::string>& argomenti,
             const std::filesystem::path& cartella,
             const std::vector<std::pair<std::string, std::string>>& ambiente = {});
    Processo(const Processo&) = delete;
    Processo& operator=(const Processo&) = delete;
    // Kills the process if it still runs.
    ~Processo();

    // Waits for the end; the status is 128 + the signal for a process killed by one.
    EsitoProgramma Attendi();
    // Ends the process at once, as a crash or a task manager would.
    void Uccidi();

  private:
    std::filesystem::path fileUscita_;
    std::filesystem::path fileErrori_;
    std::intptr_t processo_ = 0;  // a process handle on Windows, the pid on POSIX
    bool finito_ = false;
    int stato_ = -1;
};

// Runs `programma` to its end.
EsitoProgramma EseguiProgramma(const std::string& programma,
                               const std::vector<std::string>& argomenti,
                               const std::filesystem::path& cartella);

// The path of the running executable, to start it again as a helper process.
std::string ProgrammaCorrente();

}  // namespace velmar::test
