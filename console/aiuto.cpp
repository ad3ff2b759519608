// The text of --help: the usage, the commands, the options and the exit statuses come from their
// tables; the rest is written here.
#include "console/aiuto.h"

#include <algorithm>

#include "console/stati.h"
#include "pacchetto/messaggi.h"
#include "store/record.h"
#include "store/salvataggio.h"

namespace velmar {

namespace {

// `testo` with every line after the first indented by `rientro` spaces.
std::string Rientra(std::string_view testo, std::size_t rientro) {
    std::string r;
    for (const char c : testo) {
        r += c;
        if (c == '\n')
            r.append(rientro, ' ');
    }
    return r;
}

// `testo` padded with spaces to `larghezza`, or followed by two spaces when it is as long.
std::string Colonna(std::string testo, std::size_t larghezza) {
    testo.resize(std::max(testo.size() + 2, larghezza), ' ');
    return testo;
}

constexpr std::size_t kColonnaComandi = 16;
constexpr std::size_t kColonnaOpzioni = 25;
constexpr std::size_t kColonnaStati = 5;

}  // namespace

std::string TestoAiuto(SistemaConsole sistema) {
    const bool windows = sistema == SistemaConsole::Windows;
    const std::string programma = "  " + std::string(kNomeProgrammaConsole) + " ";
    std::string t =
        std::string(kNomeProgrammaConsole) +
        ": le ditte del file BRIO_PARAMS.txt dalla riga di comando, con gli stessi\n"
        "controlli, messaggi e salvataggio della finestra di SetupVelmar, e la cura del\n"
        "pacchetto: verifica delle copie, nuova distribuzione, eliminazione di una ditta,\n"
        "riparazione del file, prova del server DB2 delle ditte.\n"
        "\n"
        "Uso:\n";
    for (const VoceComando& c : kComandi) {
        t += programma;
        t += Rientra(c.uso, programma.size() + c.nome.size() + 1);
        t += '\n';
    }
    t += programma + "--help | --versione\n\nComandi:\n";
    for (const VoceComando& c : kComandi) {
        t += Colonna("  " + std::string(c.nome), kColonnaComandi);
        t += Rientra(c.aiuto, kColonnaComandi);
        t += '\n';
    }
    t += "  Un salvataggio, elimina e ripara non scrivono nulla se la riga della ditta\n"
         "  contiene un LF da solo (fine riga Unix: le ditte dopo il LF andrebbero perse; si\n"
         "  ripara con ripara), o se il file manca o non ha ditte mentre le copie nelle aree\n"
         "  ne hanno.\n"
         "\n"
         "Opzioni:\n";
    for (const VoceOpzione& o : Opzioni()) {
        std::string nome = "  " + std::string(o.nome);
        if (!o.alias.empty())
            nome.append(", ").append(o.alias);
        if (!o.segnaposto.empty())
            nome.append(" ").append(o.segnaposto);
        t += Colonna(std::move(nome), kColonnaOpzioni);
        t += Rientra(!windows && !o.aiutoLinux.empty() ? o.aiutoLinux : o.aiuto, kColonnaOpzioni);
        t += '\n';
    }
    t += "  Le opzioni vanno prima o dopo il comando, anche nella forma --opzione=valore.\n"
         "  Dopo un'opzione che vuole un valore, l'argomento seguente \xE8 il suo valore,\n"
         "  qualunque cosa dica (anche -h o --json); dopo \"--\" ogni argomento \xE8 un valore.\n"
         "  I testi devono stare in Windows-1252.\n"
         "\n"
         "Uscita:\n"
         "  I risultati vanno sullo standard output, i messaggi di errore sullo standard error;\n"
         "  nel testo semplice i caratteri di controllo sono mostrati come \\xNN.\n";
    t += windows ? "  Sulla console il testo \xE8 scritto in Unicode; rediretto su file o pipe, in "
                   "UTF-8.\n"
                 : "  Il testo \xE8 in UTF-8.\n";
    t +=
        "  Con --json ogni chiamata scrive un solo oggetto sullo standard output: elenco\n"
        "  {\"codici\":[...]}, con --dettagli {\"ditte\":[{\"codice\",\"descrizione\",\"server\",\n"
        "  \"macchina\",\"catalogo\"}]} (\"macchina\" \xE8 null se la riga ha solo sei campi: nel\n"
        "  testo la sua riga manca); mostra {\"codice\",\"descrizione\",\"server\",\"macchina\"};\n"
        "  salva, distribuisci, elimina, ripara {\"esito\",\"stato\",\"messaggio\",\n"
        "  \"aggiornati\",\"errori\",\"avvisi\"} (ripara anche \"riparazione\":{\"fini_riga\",\n"
        "  \"bom_tolto\",\"convertito\"}); verifica "
        "{\"esito\",\"stato\",\"problemi\":[{\"tipo\",\"file\",\n"
        "  \"riga\" o \"codice\",\"descrizione\"}]}; prova "
        "{\"esito\",\"stato\",\"macchina\",\"porta\",\n"
        "  \"server\",\"indirizzo\",\"connessione_ms\",\"risposta_ms\",\"srvclsnm\",\"srvrlslv\",\n"
        "  \"srvnam\",\"server_letto\",\"messaggio\"} (con il codice anche \"codice\" e\n"
        "  \"descrizione\"; null quello che manca), prova --tutte {\"esito\",\"stato\",\"porta\",\n"
        "  \"corrispondono\",\"non_corrispondono\",\"ditte\":[...]}; ogni errore\n"
        "  {\"esito\",\"stato\",\"messaggio\"}.\n"
        "\n"
        "Stato di uscita:\n";
    for (const VoceStato& s : kStati) {
        const std::string numero = std::to_string(static_cast<int>(s.stato));
        t += "  " + numero + (numero.size() < 2 ? "  " : " ");
        t += Rientra(s.aiuto, kColonnaStati);
        t += '\n';
    }
    // A save and what it prints.
    const std::string server(ServerDi(TipoServer::NT)->nome);
    t += "\nEsempio:\n" + programma + "salva ";
    t += windows ? "--codice 001 --descrizione \"Rossi S.p.A.\" --server " + server
                 : "--base /srv/velmar --codice 001 --descrizione \"Rossi S.p.A.\" \\\n"
                   "      --server " +
                       server;
    t += " --macchina 10.0.0.5\n  " + std::string(kMsgSetupTerminato) + "\n";
    return t;
}

}  // namespace velmar
