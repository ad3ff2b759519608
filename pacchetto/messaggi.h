// What a person reads of the outcomes of the store and of the package, composed once for the
// window and the console program alike: the sentences the layers wrote, joined with the context
// they gave as fields (the file, the step, what the layer below reported) and with what a person
// can do about it, in the words of the programs the package has.
#pragma once

#include <string>
#include <string_view>

#include "store/risultato.h"
#include "store/salvataggio.h"
#include "store/verifica.h"

namespace velmar {

// The console program, which the messages name for the commands that mend a package.
inline constexpr std::string_view kNomeProgrammaConsole = "SetupVelmarCmd";

// The text of a failure, as a message starts (its first letter a capital). A change that stopped
// or wrote nothing: "Salvataggio non riuscito." and a line for each path with its reason; any
// other: as TestoMotivo.
[[nodiscard]] std::string TestoErrore(const Errore& e);

// The text of a failure inside a line: what went wrong, the file, the step and then its cause,
// joined by ": ", and what a person can do about it ("copia: il file è di sola lettura").
[[nodiscard]] std::string TestoMotivo(const Errore& e);

// The text of a change that went through: its own sentence when every target was updated (with
// the paths updated, for a distribution or a repair), else "Salvataggio non riuscito." and each
// path left as it was with its reason; then each copy kept and a work file left behind.
[[nodiscard]] std::string TestoAggiornamento(const Aggiornamento& a);

// A problem the check found: its description, its cause, and what mends it.
[[nodiscard]] std::string TestoProblema(const Problema& p);

}  // namespace velmar
