// The connection check in the window: the item "Prova la connessione…" of the window's system
// menu (its title bar's icon, Alt+Space), which checks the machine and the server type as they
// stand in the window's controls, on a thread of its own while the window stays alive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "store/conferma.h"
#include "store/record.h"

namespace velmar {

// The item's command in WM_SYSCOMMAND: below the system's own (0xF000 and on), its low four bits
// clear, which the system keeps for itself.
inline constexpr UINT kComandoProvaConnessione = 0x0110;
// "Prova la connessione…" (Windows-1252).
inline constexpr std::string_view kVoceProvaConnessione = "Prova la connessione\x85";

// Appends a separator and the item to the window's system menu.
void AggiungiProvaConnessione(HWND finestra) noexcept;

// The port the window checks: DB2's usual one (50000), or the one set here, only by tests.
void ImponiPortaProva(std::uint16_t porta) noexcept;

// The text of the box for the entries: the first entry missing (server type, then machine) in
// the confirmation's words, or the check of the machine's server on the port above, run on a
// thread of its own while this thread keeps its windows painted and answering but takes no input
// (see EseguiSenzaBloccare). Windows-1252, lines ending in CR LF.
[[nodiscard]] std::string TestoProvaConnessione(const VoceUtente& macchina, TipoServer server);

}  // namespace velmar
