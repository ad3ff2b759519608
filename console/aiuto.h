// The console program's --help: its usage, commands, options and exit statuses, from their tables.
#pragma once

#include <string>

#include "console/riga_comando.h"

namespace velmar {

// The text of --help, for the system the program runs on.
[[nodiscard]] std::string TestoAiuto(SistemaConsole sistema);

}  // namespace velmar
