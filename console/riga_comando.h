// The console program's command line: the table of its options, the line read in one pass against
// it and the commands' table, and the checks of a line against its command.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/comandi.h"
#include "store/conferma.h"
#include "store/risultato.h"

namespace velmar {

// The system the program is built for: it decides whether --base may be left out and what
// --help says about defaults and the output encoding.
enum class SistemaConsole { Linux, Windows };

#ifdef _WIN32
inline constexpr SistemaConsole kSistemaConsole = SistemaConsole::Windows;
#else
inline constexpr SistemaConsole kSistemaConsole = SistemaConsole::Linux;
#endif

// What an option without a value asks for.
enum class Segnale { Json, Aiuto, Versione, Dettagli, Tutte };

// The command line, read but not yet checked against its command.
struct RigaComando {
    const VoceComando* comando = nullptr;
    std::vector<VoceUtente> posizionali;
    std::optional<VoceUtente> base;
    std::optional<VoceUtente> catalogo;
    std::optional<VoceUtente> codice;
    std::optional<VoceUtente> descrizione;
    std::optional<VoceUtente> server;
    std::optional<VoceUtente> macchina;
    std::optional<VoceUtente> porta;
    std::optional<VoceUtente> attesa;
    // The options given that belong to one command, each with that command's name.
    std::vector<std::pair<std::string_view, std::string_view>> opzioniDiComando;
    bool json = false;
    bool dettagli = false;
    bool tutte = false;
    // --help or --versione, the first of them given: it wins over everything else on the line.
    std::optional<Segnale> richiesta;
    // The first thing wrong with the line (UsoErrato).
    std::optional<Errore> errore;
};

// An option: its names, the field its value fills (or, taking no value, what it asks for),
// the commands that take it (their names separated by spaces, or "" for all), and its lines in
// --help.
struct VoceOpzione {
    std::string_view nome;
    std::string_view alias;  // another name, or ""
    std::optional<VoceUtente> RigaComando::*campo;
    std::optional<Segnale> segnale;
    std::string_view soloComando;
    std::string_view segnaposto;  // what its value is, in --help
    std::string_view aiuto;       // further lines indented under the first
    std::string_view aiutoLinux;  // in place of `aiuto` on Linux, when it differs
};

// The options, in the order --help lists them.
[[nodiscard]] std::span<const VoceOpzione> Opzioni() noexcept;

// Reads the line once: options (anywhere, "--name value" or "--name=value"), the command and
// its arguments. After an option that takes a value, the next argument is that value, whatever it
// spells; after "--" every argument is positional. The first mistake is kept and reading goes
// on, so that --help, --versione and --json count wherever an option may stand.
[[nodiscard]] RigaComando LeggiRiga(std::span<const VoceUtente> argomenti);

// Checks a line read without mistakes against its command: fails (UsoErrato) with the first thing
// wrong with it.
[[nodiscard]] Esito ControllaRiga(const RigaComando& r, SistemaConsole sistema);

// A server type by its name or its caption in the store's table (kServer): "nt" or "NT" -> NT,
// "linux" or "Linux" -> Linux; anything else, nothing.
[[nodiscard]] std::optional<TipoServer> ServerDaTesto(const VoceUtente& v);

// A port, 1 to 65535: "50000" -> 50000; "0", "65536", "5e4", "" -> nothing.
[[nodiscard]] std::optional<std::uint16_t> PortaDaTesto(const VoceUtente& v);
// Seconds, whole or with up to three decimals after ',' or '.', from 0,001 to 3600:
// "3" -> 3000 ms, "0,5" -> 500 ms, "1.25" -> 1250 ms; "0", "-1", "1,2345", "3601" -> nothing.
[[nodiscard]] std::optional<std::chrono::milliseconds> AttesaDaTesto(const VoceUtente& v);

// abc -> 'abc', control characters shown as escapes; an entry that failed conversion is the
// store's kCaratteriNonAmmessi in brackets.
[[nodiscard]] std::string TraApici(std::string_view testo);
[[nodiscard]] std::string Citato(const VoceUtente& v);

}  // namespace velmar
