// The window's entries as the store's values: what they hold, read for the confirmation, and the
// company a lookup found, shown in them.
#pragma once

#include <windows.h>

#include <array>

#include "store/conferma.h"
#include "store/ditte.h"
#include "window/tabella_controlli.h"

namespace velmar {

// What the entries among `controlli` (the control table's windows, by row) hold: the code, the
// description and the machine as typed, and the server of the option button that is on.
[[nodiscard]] VociUtente LeggiVoci(const std::array<HWND, kNumeroControlli>& controlli);

// Shows the description, machine and server of `ditta` in the entries among `controlli`; an
// empty result clears them, both option buttons off.
void MostraDitta(const std::array<HWND, kNumeroControlli>& controlli,
                 const RisultatoRicerca& ditta);

}  // namespace velmar
