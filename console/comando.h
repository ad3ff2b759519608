// SetupVelmarCmd: the console companion of the setup window. It lists the company codes, shows
// one company and saves one company with the window's own checks, messages and save, reading
// its entries from the command line; it keeps the package in order: it checks the copies,
// copies the file into the area folders again, removes a company and mends the file's shape;
// and it checks that a company's DB2 server answers and is of the record's type.
// Everything here is portable: the thin mains convert the arguments to Windows-1252, give the
// store of the package and print what is written to the two streams (Windows-1252 text) in the
// console's own encoding.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "console/riga_comando.h"
#include "console/stati.h"
#include "pacchetto/pacchetto.h"
#include "store/archivio.h"
#include "store/conferma.h"

namespace velmar {

// Gives the store for the options, or fails with the reason (CartellaNonDisponibile).
using FabbricaArchivio =
    std::function<Risultato<std::unique_ptr<ArchivioDitte>>(const OpzioniArchivio&)>;

// Runs one command. `argomenti` are the arguments after the program's name, each converted to
// Windows-1252 (nothing when a character has no Windows-1252 byte). Writes Windows-1252 text with
// "\n" line ends: results to `uscita`, failures (in Italian) to `errori`; with --json, exactly one
// JSON object to `uscita` whatever the outcome (a failure's message goes to `errori` as well).
// Returns the exit status. Exceptions do not escape: they give ErroreImprevisto.
[[nodiscard]] StatoUscita EseguiComando(std::span<const VoceUtente> argomenti, std::ostream& uscita,
                                        std::ostream& errori, const FabbricaArchivio& fabbrica,
                                        SistemaConsole sistema = kSistemaConsole);

// The arguments after the program's name, converted from UTF-8 (POSIX) or UTF-16 (Windows):
// an argument with a character Windows-1252 lacks, or malformed, gives an empty VoceUtente.
[[nodiscard]] std::vector<VoceUtente> ArgomentiDaUtf8(std::span<const char* const> argomenti);
[[nodiscard]] std::vector<VoceUtente> ArgomentiDaUtf16(std::span<const char16_t* const> argomenti);

}  // namespace velmar
