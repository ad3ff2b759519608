// The console program's commands as a table: each row its value, its name, its arguments and its
// lines in --help. The command line is read against it and --help lists it; what runs each command
// is the program's (comando.cpp), found by the command's value.
#pragma once

#include <string_view>

#include "console/testo_composto.h"
#include "store/record.h"
#include "store/salvataggio.h"

namespace velmar {

// Each command: the value by which the program finds what runs it.
enum class Comando { Elenco, Mostra, Salva, Verifica, Distribuisci, Elimina, Ripara, Prova };

// What a command takes after its name: nothing, a company code, or a company code or nothing.
enum class Argomenti { Nessuno, Codice, CodiceFacoltativo };

// A command: its value, its name, its arguments and its lines in --help.
struct VoceComando {
    Comando comando;
    std::string_view nome;
    Argomenti argomenti;
    // After the program's name in the usage; further lines indented under the first.
    std::string_view uso;
    // Its description under "Comandi:"; further lines indented under the first.
    std::string_view aiuto;
};

// What --server takes: the names of the server types, "nt|linux".
inline constexpr TestoComposto kValoriServer = Elenca(kServer, "|", "|", &VoceServer::nome);

// The lines in --help that name the store's server types and area folders.
inline constexpr TestoComposto kAiutoMostra = {
    "La ditta del codice (esatto, maiuscole comprese): Descrizione Ditta,\n"
    "Server DB2 (",
    Elenca(kServer, ", ", " o ", &VoceServer::didascalia),
    ") e IP Macchina Unix. Se pi\xF9 righe hanno il\n"
    "codice, vale l'ultima."};
inline constexpr TestoComposto kUsoSalva = {
    "salva --codice <codice> --descrizione <testo> --server ", kValoriServer,
    "\n--macchina <indirizzo> [opzioni]"};
inline constexpr TestoComposto kAiutoSalva = {
    "Controlla i dati come l'Ok della finestra, scrive il record della\n"
    "ditta in BRIO_PARAMS.txt (al posto delle sue righe, o in fondo se il\n"
    "codice \xE8 nuovo) e copia il file nelle cartelle ",
    Elenca(kCartelleAree, ",\n", " e "),
    " che esistono. Se non ne esiste nessuna non\n"
    "salva nulla."};
inline constexpr TestoComposto kUsoProva = {"prova <codice> | --macchina <indirizzo> --server ",
                                            kValoriServer,
                                            " | --tutte\n"
                                            "[--porta <numero>] [--attesa <secondi>] [opzioni]"};
inline constexpr TestoComposto kAiutoProva = {
    "Prova il server DB2 della ditta del codice (come la trova mostra), o\n"
    "della macchina e del tipo dati, o di ogni ditta del file: si connette\n"
    "alla macchina (porta 50000), chiede al server i suoi attributi con il\n"
    "comando EXCSAT del protocollo DRDA, senza accedere a nessun database e\n"
    "senza credenziali, e dice se risponde, se \xE8 DB2 e se \xE8 del tipo\n"
    "del record (",
    ServerDi(TipoServer::NT)->didascalia, ": DB2 per Windows; ",
    ServerDi(TipoServer::Linux)->didascalia,
    ": DB2 per Linux o Unix). Non\n"
    "scrive nulla."};

// The commands, in the order --help lists them.
inline constexpr VoceComando kComandi[] = {
    {Comando::Elenco, "elenco", Argomenti::Nessuno, "elenco [--dettagli] [opzioni]",
     "I codici ditta del file, uno per riga, nell'ordine del file (anche i\n"
     "ripetuti e quelli vuoti). Con --dettagli, di ogni riga di ditta anche\n"
     "descrizione, server, macchina e catalogo."},
    {Comando::Mostra, "mostra", Argomenti::Codice, "mostra <codice> [opzioni]", kAiutoMostra},
    {Comando::Salva, "salva", Argomenti::Nessuno, kUsoSalva, kAiutoSalva},
    {Comando::Verifica, "verifica", Argomenti::Nessuno, "verifica [opzioni]",
     "Legge il file e le sue copie nelle aree senza cambiare nulla ed elenca\n"
     "i problemi: copie diverse (con i codici mancanti, in pi\xF9 o diversi),\n"
     "aree senza copia, righe con meno di sei campi, codici su pi\xF9 righe,\n"
     "righe che non finiscono con CR LF o che contengono un LF da solo (con\n"
     "le ditte nascoste dopo il LF), file in UTF-8 o in UTF-16, byte NUL,\n"
     "aree che non sono cartelle, file rimasti da un salvataggio\n"
     "interrotto, cataloghi che non finiscono con Dwh<codice>.oce."},
    {Comando::Distribuisci, "distribuisci", Argomenti::Nessuno, "distribuisci [opzioni]",
     "Copia BRIO_PARAMS.txt, cos\xEC com'\xE8, nelle cartelle delle aree che\n"
     "esistono, con le garanzie di un salvataggio. Non cambia nessuna ditta."},
    {Comando::Elimina, "elimina", Argomenti::Codice, "elimina <codice> [opzioni]",
     "Toglie dal file ogni riga della ditta del codice e lo distribuisce\n"
     "nelle aree, come un salvataggio. Se nessuna riga ha il codice non\n"
     "scrive nulla."},
    {Comando::Ripara, "ripara", Argomenti::Nessuno, "ripara [opzioni]",
     "Ripara BRIO_PARAMS.txt e lo distribuisce nelle aree, come un\n"
     "salvataggio: ogni LF o CR da solo, e l'ultima riga senza fine, diventa\n"
     "CR LF; toglie il BOM; un testo tutto in UTF-8 o in UTF-16 (salvato da\n"
     "un editor) diventa Windows-1252, se ogni carattere vi esiste,\n"
     "altrimenti non scrive nulla. Gli altri byte restano come sono. Se il\n"
     "file non ha nulla da riparare lo copia solo nelle aree dove la copia\n"
     "manca o \xE8 diversa; se anche le copie sono a posto non scrive nulla."},
    {Comando::Prova, "prova", Argomenti::CodiceFacoltativo, kUsoProva, kAiutoProva},
};

}  // namespace velmar
