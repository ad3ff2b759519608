// The checks of the confirmation and the texts it shows, shared by the window and the console
// program. Portable: entries arrive already converted to Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/record.h"
#include "store/salvataggio.h"

namespace velmar {

inline constexpr std::string_view kTitoloMessaggi = "SetupVelmar";
inline constexpr std::string_view kMsgCodiceMancante = "Inserisci il Codice Ditta";
inline constexpr std::string_view kMsgDescrizioneMancante = "Inserisci la Descrizione della Ditta";
inline constexpr std::string_view kMsgServerMancante = "Seleziona un Server DB2";
inline constexpr std::string_view kMsgMacchinaMancante = "Inserisci la Macchina Unix";
inline constexpr std::string_view kMsgSetupTerminato = "Setup terminato";
inline constexpr std::string_view kMsgNessunaArea =
    "Deve esistere almeno una di queste cartelle 'CONTABILITA' o 'COMMERCIALE' o "
    "'SCHEDULATORE' Setup Interrotto.";
inline constexpr std::string_view kMsgSalvataggioNonRiuscito = "Salvataggio non riuscito.";

inline constexpr std::string_view kEtichettaCodice = "Codice Ditta";
inline constexpr std::string_view kEtichettaDescrizione = "Descrizione Ditta";
inline constexpr std::string_view kEtichettaMacchina = "IP Macchina Unix";

// One entry as typed: its Windows-1252 text, or nothing when it holds a character that
// Windows-1252 cannot represent (such an entry is never empty).
struct VoceUtente {
    std::optional<std::string> testo;

    bool Vuota() const noexcept { return testo && testo->empty(); }
};

struct VociUtente {
    VoceUtente codice;
    VoceUtente descrizione;
    VoceUtente macchina;
    TipoServer server = TipoServer::Nessuno;
};

struct EsitoValidazione {
    // Empty when the entries can be saved; otherwise the one message to show.
    std::string messaggio;
    DatiDitta stato;

    bool Valido() const noexcept { return messaggio.empty(); }
};

// Copies the entries into the window state and checks, in order: code, description, server
// type and machine present; then that no entry holds ';', a line break or a character
// Windows-1252 lacks. The first failing check gives the message.
[[nodiscard]] EsitoValidazione ValidaVoci(const VociUtente& voci);

// "Il campo <etichetta> contiene caratteri non ammessi"
[[nodiscard]] std::string MessaggioCaratteriNonAmmessi(std::string_view etichetta);

// What the user is told after a save that returned (not for NessunaArea): "Setup terminato"
// when every file was updated, else "Salvataggio non riuscito." and one line per path with the
// reason. A work file left behind is mentioned after either.
[[nodiscard]] std::string MessaggioSalvataggio(const RisultatoSalvataggio& r);

}  // namespace velmar
