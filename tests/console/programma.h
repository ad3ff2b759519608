// Runs the built SetupVelmarCmd as a child process with its output sent to files, and gives its
// exit status and both outputs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/processo.h"

namespace velmar::test {

// Runs the program with `argomenti` (UTF-8), its outputs going to files in `cartella`.
inline EsitoProgramma EseguiProgramma(const std::vector<std::string>& argomenti,
                                      const std::filesystem::path& cartella) {
    return EseguiProgramma(VELMAR_CONSOLE_EXE, argomenti, cartella);
}

}  // namespace velmar::test
