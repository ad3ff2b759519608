// SetupVelmarCmd: the console companion of the setup window. It lists the company codes, shows
// one company and saves one company with the window's own checks, messages and save, reading
// its entries from the command line; and it keeps the package in order: it checks the copies,
// copies the file into the area folders again and removes a company. Everything here is
// portable: the thin mains convert the arguments to Windows-1252, give the store of the package
// and print what is written to the two streams (Windows-1252 text) in the console's own encoding.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pacchetto/pacchetto.h"
#include "store/archivio.h"
#include "store/conferma.h"

namespace velmar {

inline constexpr std::string_view kNomeProgrammaConsole = "SetupVelmarCmd";

// The exit statuses, also listed by --help.
enum class StatoUscita : int {
    Riuscito = 0,
    ErroreImprevisto = 1,        // an exception inside the program
    UsoErrato = 2,               // unknown command or option, missing or repeated argument
    VoceNonValida = 3,           // a missing entry or one that cannot be stored
    DittaNonTrovata = 4,         // "mostra" or "elimina" of a code that no line carries
    SalvataggioNonRiuscito = 5,  // at least one parameters file not updated
    NessunaArea = 6,             // none of the three area folders exists: nothing saved
    CartellaNonDisponibile = 7,  // the package's base folder cannot be obtained or is missing
    ProblemiTrovati = 8,         // "verifica" found something to mend
    ParametriIlleggibili = 9,    // the parameters file exists but cannot be read
};

// The system the program is built for: it decides whether --base may be left out and what
// --help says about defaults and the output encoding.
enum class SistemaConsole { Linux, Windows };

#ifdef _WIN32
inline constexpr SistemaConsole kSistemaConsole = SistemaConsole::Windows;
#else
inline constexpr SistemaConsole kSistemaConsole = SistemaConsole::Linux;
#endif

// Gives the store for the options, or nothing with the reason in `errore` (Windows-1252).
using FabbricaArchivio =
    std::function<std::unique_ptr<ArchivioDitte>(const OpzioniArchivio&, std::string& errore)>;

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

// The text of --help.
[[nodiscard]] std::string TestoAiuto(SistemaConsole sistema);

// `testo` (Windows-1252) as a JSON string with its quotes, in ASCII only: '"', '\' and
// characters below 0x20 escaped, and every character above 0x7F as the \u escape of its
// Unicode code point.   "a\"b" -> "\"a\\\"b\"".   "\x01" -> "\"\\u0001\"".
// "Caff\xE8 \x80" -> "\"Caff\\u00e8 \\u20ac\"".
[[nodiscard]] std::string StringaJson(std::string_view testo);

}  // namespace velmar
