// The console program's exit statuses: each with its name in the JSON output and its line in
// --help, and the status of each kind of failure the store gives.
#pragma once

#include <string_view>

#include "console/testo_composto.h"
#include "store/ditte.h"
#include "store/risultato.h"
#include "store/salvataggio.h"

namespace velmar {

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
    ProvaNonRiuscita = 10,       // "prova": a server not reached, silent, not DB2 or of the other
                                 // type
};

// The line in --help of NessunaArea, which names the area folders.
inline constexpr TestoComposto kAiutoNessunaArea = {"non esiste nessuna delle cartelle ",
                                                    Elenca(kCartelleAree, ", ", ", ")};

// The line in --help of ParametriIlleggibili.
inline constexpr TestoComposto kAiutoIlleggibile = {"il file dei parametri esiste ma ",
                                                    kNonSiPuoLeggere};

struct VoceStato {
    StatoUscita stato;
    std::string_view nome;   // "esito" in JSON
    std::string_view aiuto;  // in --help; further lines indented under the first
};

inline constexpr VoceStato kStati[] = {
    {StatoUscita::Riuscito, "riuscito", "riuscito"},
    {StatoUscita::ErroreImprevisto, "errore_imprevisto", "errore imprevisto"},
    {StatoUscita::UsoErrato, "uso_errato",
     "uso errato: comando o opzione sconosciuti, valore mancante, ripetuto o non ammesso"},
    {StatoUscita::VoceNonValida, "voce_non_valida",
     "dato mancante o non valido: i messaggi della finestra, nello stesso ordine"},
    {StatoUscita::DittaNonTrovata, "ditta_non_trovata",
     "codice ditta non trovato (mostra, elimina, prova)"},
    {StatoUscita::SalvataggioNonRiuscito, "non_salvato",
     "salvataggio non riuscito: i file non aggiornati, ciascuno con il motivo; anche\n"
     "quando un altro salvataggio tiene il pacchetto per pi\xF9 di 30 secondi, o\n"
     "quando non si \xE8 scritto nulla per non perdere ditte (salva, elimina,\n"
     "distribuisci, ripara)"},
    {StatoUscita::NessunaArea, "nessuna_area", kAiutoNessunaArea},
    {StatoUscita::CartellaNonDisponibile, "cartella_non_disponibile", kCartellaNonDisponibile},
    {StatoUscita::ProblemiTrovati, "problemi", "verifica: trovati problemi"},
    {StatoUscita::ParametriIlleggibili, "parametri_illeggibili", kAiutoIlleggibile},
    {StatoUscita::ProvaNonRiuscita, "prova_non_riuscita",
     "prova: il server non risponde, non \xE8 DB2 o non \xE8 del tipo del record (con\n"
     "--tutte, anche per una sola ditta)"},
};

// The status's name in JSON ("non_salvato").
[[nodiscard]] constexpr std::string_view NomeStato(StatoUscita stato) noexcept {
    for (const VoceStato& v : kStati) {
        if (v.stato == stato)
            return v.nome;
    }
    return {};
}

struct VoceErrore {
    TipoErrore tipo;
    StatoUscita stato;
};

inline constexpr VoceErrore kStatiErrori[] = {
    {TipoErrore::Assente, StatoUscita::CartellaNonDisponibile},
    {TipoErrore::Occupato, StatoUscita::SalvataggioNonRiuscito},
    {TipoErrore::Illeggibile, StatoUscita::ParametriIlleggibili},
    {TipoErrore::DittaNonTrovata, StatoUscita::DittaNonTrovata},
    {TipoErrore::CartellaNonDisponibile, StatoUscita::CartellaNonDisponibile},
    {TipoErrore::VoceNonValida, StatoUscita::VoceNonValida},
    {TipoErrore::NessunaArea, StatoUscita::NessunaArea},
    {TipoErrore::NonSalvato, StatoUscita::SalvataggioNonRiuscito},
    {TipoErrore::Sistema, StatoUscita::ErroreImprevisto},
    {TipoErrore::Rete, StatoUscita::ProvaNonRiuscita},
    {TipoErrore::UsoErrato, StatoUscita::UsoErrato},
};

// The exit status of a failure of that kind.
[[nodiscard]] constexpr StatoUscita StatoDi(TipoErrore tipo) noexcept {
    for (const VoceErrore& v : kStatiErrori) {
        if (v.tipo == tipo)
            return v.stato;
    }
    return StatoUscita::ErroreImprevisto;
}

}  // namespace velmar
