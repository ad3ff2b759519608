// Runs the built SetupVelmarCmd as a child process with its output sent to files, and gives its
// exit status and both outputs. Arguments are UTF-8 here: the POSIX child gets them as they
// are, the Windows child as UTF-16 on its command line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmar::test {

struct EsitoProgramma {
    int stato = -1;
    std::string uscita;  // standard output, as written (UTF-8 when redirected)
    std::string errori;  // standard error
};

// Runs the program with `argomenti`, its outputs going to files in `cartella`.
EsitoProgramma EseguiProgramma(const std::vector<std::string>& argomenti,
                               const std::filesystem::path& cartella);

}  // namespace velmar::test
