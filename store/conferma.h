// The checks of the confirmation and the texts it shows, shared by the window and the console
// program. Portable: entries arrive already converted to Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/record.h"
#include "store/risultato.h"

namespace velmar {

inline constexpr std::string_view kTitoloMessaggi = "SetupVelmar";
inline constexpr std::string_view kMsgCodiceMancante = "Inserisci il Codice Ditta";
inline constexpr std::string_view kMsgDescrizioneMancante = "Inserisci la Descrizione della Ditta";
inline constexpr std::string_view kMsgServerMancante = "Seleziona un Server DB2";
inline constexpr std::string_view kMsgMacchinaMancante = "Inserisci la Macchina Unix";

// The captions of the window's labels, which the messages name too.
inline constexpr std::string_view kEtichettaCodice = "Codice Ditta";
inline constexpr std::string_view kEtichettaDescrizione = "Descrizione Ditta";
inline constexpr std::string_view kEtichettaServer = "Server DB2";
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

// The entries as the window state keeps them: the texts as typed (an unrepresentable one
// empty), the server type's account word three times.
[[nodiscard]] DatiDitta CopiaVoci(const VociUtente& voci);

// Checks, in order: code, description, server type and machine present; then that no entry
// holds ';', a line break or a character Windows-1252 lacks. Fails as VoceNonValida with the
// message of the first failing check.
[[nodiscard]] Esito ValidaVoci(const VociUtente& voci);

// What an entry holds that cannot be stored: a ';', a line break, or a character Windows-1252
// lacks.
inline constexpr std::string_view kCaratteriNonAmmessi = "caratteri non ammessi";

// "Il campo <etichetta> contiene caratteri non ammessi"
[[nodiscard]] std::string MessaggioCaratteriNonAmmessi(std::string_view etichetta);

}  // namespace velmar
