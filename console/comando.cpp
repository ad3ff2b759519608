// The console program's command line, its three commands and their output.
#include "console/comando.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <vector>

#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/record.h"

namespace velmar {

namespace {

enum class Comando { Elenco, Mostra, Salva };

enum class Opzione { Base, Catalogo, Codice, Descrizione, Server, Macchina, Json, Aiuto };

struct VoceOpzione {
    std::string_view nome;
    Opzione opzione;
    bool valore;   // takes a value
    bool salvare;  // only for "salva"
};

constexpr VoceOpzione kOpzioni[] = {
    {"--base", Opzione::Base, true, false},    {"--catalogo", Opzione::Catalogo, true, false},
    {"--codice", Opzione::Codice, true, true}, {"--descrizione", Opzione::Descrizione, true, true},
    {"--server", Opzione::Server, true, true}, {"--macchina", Opzione::Macchina, true, true},
    {"--json", Opzione::Json, false, false},   {"--help", Opzione::Aiuto, false, false},
    {"-h", Opzione::Aiuto, false, false},
};

struct VoceComando {
    std::string_view nome;
    Comando comando;
};

constexpr VoceComando kComandi[] = {
    {"elenco", Comando::Elenco},
    {"mostra", Comando::Mostra},
    {"salva", Comando::Salva},
};

// The command line, read but not yet checked against its command.
struct RigaComando {
    bool json = false;
    std::optional<Comando> comando;
    std::vector<VoceUtente> posizionali;
    std::optional<VoceUtente> base;
    std::optional<VoceUtente> catalogo;
    std::optional<VoceUtente> codice;
    std::optional<VoceUtente> descrizione;
    std::optional<VoceUtente> server;
    std::optional<VoceUtente> macchina;
    std::optional<std::string_view> opzioneSalva;  // the first "salva" option given
};

// A wrong command line: the message for standard error.
struct ErroreUso {
    std::string messaggio;
};

// abc -> 'abc'
std::string TraApici(std::string_view testo) {
    std::string r;
    r.reserve(testo.size() + 2);
    r.append(1, '\'').append(testo).append(1, '\'');
    return r;
}

std::string Citato(const VoceUtente& v) {
    if (!v.testo)
        return "(caratteri non ammessi)";
    return TraApici(*v.testo);
}

std::optional<std::string_view> Testo(const VoceUtente& v) {
    if (!v.testo)
        return std::nullopt;
    return std::string_view(*v.testo);
}

std::optional<VoceUtente>* Destinazione(RigaComando& r, Opzione o) {
    switch (o) {
        case Opzione::Base:
            return &r.base;
        case Opzione::Catalogo:
            return &r.catalogo;
        case Opzione::Codice:
            return &r.codice;
        case Opzione::Descrizione:
            return &r.descrizione;
        case Opzione::Server:
            return &r.server;
        case Opzione::Macchina:
            return &r.macchina;
        case Opzione::Json:
        case Opzione::Aiuto:
            break;
    }
    return nullptr;
}

// Reads options (anywhere, "--name value" or "--name=value"), the command and its arguments.
// After "--" every argument is positional.
std::optional<ErroreUso> LeggiRiga(std::span<const VoceUtente> argomenti, RigaComando& r) {
    bool fineOpzioni = false;
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        const VoceUtente& a = argomenti[i];
        const std::optional<std::string_view> t = Testo(a);
        const bool opzione = !fineOpzioni && t && t->size() > 1 && t->front() == '-';
        if (!opzione) {
            if (r.comando) {
                r.posizionali.push_back(a);
                continue;
            }
            for (const VoceComando& c : kComandi) {
                if (t == c.nome)
                    r.comando = c.comando;
            }
            if (!r.comando)
                return ErroreUso{"Comando sconosciuto: " + Citato(a)};
            continue;
        }
        if (*t == "--") {
            fineOpzioni = true;
            continue;
        }
        std::string_view nome = *t;
        std::optional<std::string_view> valore;
        if (const auto uguale = nome.find('='); nome.starts_with("--") && uguale != nome.npos) {
            valore = nome.substr(uguale + 1);
            nome = nome.substr(0, uguale);
        }
        const VoceOpzione* voce = nullptr;
        for (const VoceOpzione& o : kOpzioni) {
            if (o.nome == nome)
                voce = &o;
        }
        const std::string citata = TraApici(nome);
        if (voce == nullptr)
            return ErroreUso{"Opzione sconosciuta: " + citata};
        if (!voce->valore) {
            if (valore)
                return ErroreUso{"L'opzione " + citata + " non vuole un valore"};
            if (voce->opzione == Opzione::Json)
                r.json = true;
            continue;
        }
        VoceUtente v;
        if (valore) {
            v.testo = std::string(*valore);
        } else if (i + 1 < argomenti.size()) {
            v = argomenti[++i];
        } else {
            return ErroreUso{"Manca il valore dell'opzione " + citata};
        }
        std::optional<VoceUtente>* dove = Destinazione(r, voce->opzione);
        if (dove->has_value())
            return ErroreUso{"L'opzione " + citata + " \xE8 ripetuta"};
        *dove = std::move(v);
        if (voce->salvare && !r.opzioneSalva)
            r.opzioneSalva = voce->nome;
    }
    return std::nullopt;
}

// "nt" or "NT" -> NT, "linux" or "Linux" -> Linux (the window's captions), else nothing.
std::optional<TipoServer> ServerDaTesto(const VoceUtente& v) {
    if (v.testo == "nt" || v.testo == "NT")
        return TipoServer::NT;
    if (v.testo == "linux" || v.testo == "Linux")
        return TipoServer::Linux;
    return std::nullopt;
}

std::optional<ErroreUso> ControllaRiga(const RigaComando& r, SistemaConsole sistema) {
    if (!r.comando)
        return ErroreUso{"Manca il comando: elenco, mostra o salva"};
    if (*r.comando != Comando::Salva && r.opzioneSalva) {
        return ErroreUso{"L'opzione '" + std::string(*r.opzioneSalva) +
                         "' vale solo con il comando salva"};
    }
    const std::size_t attesi = *r.comando == Comando::Mostra ? 1 : 0;
    if (r.posizionali.size() > attesi) {
        return ErroreUso{"Argomento in pi\xF9: " + Citato(r.posizionali[attesi])};
    }
    if (r.posizionali.size() < attesi) {
        return ErroreUso{"Il comando mostra vuole il codice della ditta"};
    }
    // An empty --server is the window with no server type chosen: the checks report it.
    if (r.server && !(r.server->Vuota() || ServerDaTesto(*r.server))) {
        return ErroreUso{"Valore non ammesso per '--server': " + Citato(*r.server) +
                         " (usa nt o linux)"};
    }
    // A catalog folder that cannot be stored is the save's to report, as for the registry's.
    if (r.base && !r.base->testo)
        return ErroreUso{"La cartella di '--base' contiene caratteri non ammessi"};
    if (sistema == SistemaConsole::Linux && !r.base) {
        return ErroreUso{
            "Manca l'opzione '--base': su Linux la cartella del pacchetto va indicata"};
    }
    return std::nullopt;
}

// "a\r\nb\x1B" -> "a\nb\\x1B": the window's message texts as console lines, any other control
// character shown as an escape unless `visibile` is false (JSON escapes them its own way).
std::string Righe(std::string_view testo, bool visibile = true) {
    std::string r;
    r.reserve(testo.size());
    for (std::size_t inizio = 0; inizio <= testo.size();) {
        const std::size_t fine = std::min(testo.find("\r\n", inizio), testo.size());
        const std::string_view riga = testo.substr(inizio, fine - inizio);
        if (visibile) {
            r.append(TestoVisibile(riga));
        } else {
            r.append(riga);
        }
        if (fine == testo.size())
            break;
        r += '\n';
        inizio = fine + 2;
    }
    return r;
}

class Esecuzione {
  public:
    Esecuzione(const RigaComando& r, std::ostream& uscita, std::ostream& errori,
               const FabbricaArchivio& fabbrica)
        : r_(r), uscita_(uscita), errori_(errori), fabbrica_(fabbrica) {}

    StatoUscita Esegui() {
        switch (*r_.comando) {
            case Comando::Elenco:
                return Elenco();
            case Comando::Mostra:
                return Mostra();
            case Comando::Salva:
                return Salva();
        }
        return StatoUscita::ErroreImprevisto;
    }

  private:
    bool CreaArchivio() {
        OpzioniArchivio o;
        if (r_.base)
            o.base = r_.base->testo;
        if (r_.catalogo) {
            o.catalogo = r_.catalogo->testo ? ValoreCatalogo{*r_.catalogo->testo, true}
                                            : ValoreCatalogo{"", false};
        }
        std::string errore;
        archivio_ = fabbrica_(o, errore);
        if (archivio_)
            return true;
        errori_ << Righe(errore.empty() ? "Cartella del pacchetto non disponibile" : errore)
                << '\n';
        return false;
    }

    // A parameters file that exists but cannot be read is no empty package.
    StatoUscita Illeggibile(const Esito& e) {
        errori_ << "Il file dei parametri non si pu\xF2 leggere: " << Righe(e.errore) << '\n';
        return StatoUscita::ParametriIlleggibili;
    }

    StatoUscita Elenco() {
        if (!CreaArchivio())
            return StatoUscita::CartellaNonDisponibile;
        std::vector<std::string> codici;
        if (const Esito e = archivio_->LeggiDitte(codici); !e)
            return Illeggibile(e);
        if (r_.json) {
            uscita_ << "{\"codici\":[";
            const char* virgola = "";
            for (const std::string_view c : codici) {
                uscita_ << virgola << StringaJson(c);
                virgola = ",";
            }
            uscita_ << "]}\n";
        } else {
            for (const std::string_view c : codici)
                uscita_ << TestoVisibile(c) << '\n';
        }
        return StatoUscita::Riuscito;
    }

    StatoUscita Mostra() {
        const VoceUtente& codice = r_.posizionali.front();
        if (!codice.testo) {
            errori_ << MessaggioCaratteriNonAmmessi(kEtichettaCodice) << '\n';
            return StatoUscita::VoceNonValida;
        }
        if (!CreaArchivio())
            return StatoUscita::CartellaNonDisponibile;
        RisultatoRicerca d;
        if (const Esito e = archivio_->CercaDitta(*codice.testo, d); !e)
            return Illeggibile(e);
        // A matching line always names a server type; no match leaves none.
        if (d.server == TipoServer::Nessuno) {
            errori_ << kEtichettaCodice << " non trovato: '" << TestoVisibile(*codice.testo)
                    << "'\n";
            return StatoUscita::DittaNonTrovata;
        }
        const bool nt = d.server == TipoServer::NT;
        if (r_.json) {
            uscita_ << "{\"codice\":" << StringaJson(*codice.testo)
                    << ",\"descrizione\":" << StringaJson(d.descrizione)
                    << ",\"server\":" << (nt ? "\"nt\"" : "\"linux\"")
                    << ",\"macchina\":" << StringaJson(d.macchina) << "}\n";
        } else {
            uscita_ << kEtichettaCodice << ": " << TestoVisibile(*codice.testo) << '\n'
                    << kEtichettaDescrizione << ": " << TestoVisibile(d.descrizione) << '\n'
                    << "Server DB2: " << (nt ? "NT" : "Linux") << '\n'
                    << kEtichettaMacchina << ": " << TestoVisibile(d.macchina) << '\n';
        }
        return StatoUscita::Riuscito;
    }

    StatoUscita Salva() {
        const VoceUtente vuota{std::string()};
        const VociUtente voci{r_.codice.value_or(vuota), r_.descrizione.value_or(vuota),
                              r_.macchina.value_or(vuota),
                              r_.server ? ServerDaTesto(*r_.server).value_or(TipoServer::Nessuno)
                                        : TipoServer::Nessuno};
        const EsitoValidazione v = ValidaVoci(voci);
        if (!v.Valido()) {
            errori_ << v.messaggio << '\n';
            return StatoUscita::VoceNonValida;
        }
        if (!CreaArchivio())
            return StatoUscita::CartellaNonDisponibile;
        const RisultatoSalvataggio s = archivio_->ScriviFile(v.stato);
        const std::string messaggio = s.esito == EsitoSalvataggio::NessunaArea
                                          ? std::string(kMsgNessunaArea)
                                          : MessaggioSalvataggio(s);
        if (r_.json)
            ScriviJson(s, Righe(messaggio, false));
        if (s.esito != EsitoSalvataggio::Salvato) {
            errori_ << Righe(messaggio) << '\n';
        } else if (!r_.json) {
            uscita_ << Righe(messaggio) << '\n';
        }
        return Stato(s.esito);
    }

    static StatoUscita Stato(EsitoSalvataggio esito) {
        switch (esito) {
            case EsitoSalvataggio::Salvato:
                return StatoUscita::Riuscito;
            case EsitoSalvataggio::NessunaArea:
                return StatoUscita::NessunaArea;
            case EsitoSalvataggio::SalvatoInParte:
            case EsitoSalvataggio::NonSalvato:
                break;
        }
        return StatoUscita::SalvataggioNonRiuscito;
    }

    void ScriviJson(const RisultatoSalvataggio& s, const std::string& messaggio) {
        std::string_view esito;
        switch (s.esito) {
            case EsitoSalvataggio::Salvato:
                esito = "salvato";
                break;
            case EsitoSalvataggio::SalvatoInParte:
                esito = "salvato_in_parte";
                break;
            case EsitoSalvataggio::NonSalvato:
                esito = "non_salvato";
                break;
            case EsitoSalvataggio::NessunaArea:
                esito = "nessuna_area";
                break;
        }
        const auto percorsi = [this](const std::vector<PercorsoNonAggiornato>& v) {
            uscita_ << '[';
            for (std::size_t i = 0; i < v.size(); ++i) {
                uscita_ << (i ? "," : "") << "{\"percorso\":" << StringaJson(v[i].percorso)
                        << ",\"motivo\":" << StringaJson(v[i].motivo) << '}';
            }
            uscita_ << ']';
        };
        uscita_ << "{\"esito\":\"" << esito << "\",\"messaggio\":" << StringaJson(messaggio)
                << ",\"aggiornati\":[";
        for (std::size_t i = 0; i < s.aggiornati.size(); ++i) {
            uscita_ << (i ? "," : "") << StringaJson(s.aggiornati[i]);
        }
        uscita_ << "],\"errori\":";
        percorsi(s.errori);
        uscita_ << ",\"avvisi\":";
        percorsi(s.avvisi);
        uscita_ << "}\n";
    }

    const RigaComando& r_;
    std::ostream& uscita_;
    std::ostream& errori_;
    const FabbricaArchivio& fabbrica_;
    std::unique_ptr<ArchivioDitte> archivio_;
};

}  // namespace

std::string StringaJson(std::string_view testo) {
    std::string r = "\"";
    for (const char c : testo) {
        switch (c) {
            case '"':
                r += "\\\"";
                break;
            case '\\':
                r += "\\\\";
                break;
            case '\n':
                r += "\\n";
                break;
            case '\r':
                r += "\\r";
                break;
            case '\t':
                r += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char u[8];
                    std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(c));
                    r += u;
                } else {
                    r += c;
                }
        }
    }
    r += '"';
    return r;
}

std::string TestoAiuto(SistemaConsole sistema) {
    const bool windows = sistema == SistemaConsole::Windows;
    std::string t;
    t += "SetupVelmarCmd: le ditte del file BRIO_PARAMS.txt dalla riga di comando, con gli stessi\n"
         "controlli, messaggi e salvataggio della finestra di SetupVelmar.\n"
         "\n"
         "Uso:\n"
         "  SetupVelmarCmd elenco [opzioni]\n"
         "  SetupVelmarCmd mostra <codice> [opzioni]\n"
         "  SetupVelmarCmd salva --codice <codice> --descrizione <testo> --server nt|linux\n"
         "                       --macchina <indirizzo> [opzioni]\n"
         "  SetupVelmarCmd --help\n"
         "\n"
         "Comandi:\n"
         "  elenco   I codici ditta del file, uno per riga, nell'ordine del file (anche i\n"
         "           ripetuti e quelli vuoti).\n"
         "  mostra   La ditta del codice (esatto, maiuscole comprese): Descrizione Ditta, Server\n"
         "           DB2 (NT o Linux) e IP Macchina Unix. Se pi\xF9 righe hanno il codice, vale\n"
         "           l'ultima.\n"
         "  salva    Controlla i dati come l'Ok della finestra, scrive il record della ditta in\n"
         "           BRIO_PARAMS.txt (al posto delle sue righe, o in fondo se il codice \xE8 "
         "nuovo)\n"
         "           e copia il file nelle cartelle CONTABILITA, COMMERCIALE e SCHEDULATORE che\n"
         "           esistono. Se non ne esiste nessuna non salva nulla.\n"
         "\n"
         "Opzioni:\n"
         "  --codice <testo>       Codice Ditta (salva)\n"
         "  --descrizione <testo>  Descrizione Ditta (salva)\n"
         "  --server nt|linux      Server DB2: nt scrive db2admin, linux db2inst1 (salva)\n"
         "  --macchina <testo>     IP Macchina Unix (salva)\n"
         "  --base <cartella>      La cartella del pacchetto, percorso completo.\n";
    t += windows
             ? "                         Se manca: quella che il componente PercorsiApplicazioni\n"
               "                         d\xE0 per \"Brio\", come nella finestra.\n"
             : "                         Obbligatoria su Linux.\n";
    t += "  --catalogo <cartella>  La cartella delle Open Catalog Extensions scritta nel record.\n";
    t += windows ? "                         Se manca: il valore OpenCatalogDir di BrioQuery nel\n"
                   "                         registro, o se vuoto la cartella predefinita\n"
                 : "                         Se manca: la cartella predefinita\n";
    t += "                         C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog "
         "Extensions\n"
         "  --json                 Il risultato come un oggetto JSON su una riga.\n"
         "  --help, -h             Questo aiuto.\n"
         "  Le opzioni vanno prima o dopo il comando, anche nella forma --opzione=valore;\n"
         "  dopo \"--\" ogni argomento \xE8 un valore. I testi devono stare in Windows-1252.\n"
         "\n"
         "Uscita:\n"
         "  I risultati vanno sullo standard output, i messaggi di errore sullo standard error.\n";
    t += windows ? "  Sulla console il testo \xE8 scritto in Unicode; rediretto su file o pipe, in "
                   "UTF-8.\n"
                 : "  Il testo \xE8 in UTF-8.\n";
    t += "  Con --json: elenco {\"codici\":[...]}; mostra {\"codice\",\"descrizione\",\"server\",\n"
         "  \"macchina\"}; salva {\"esito\",\"messaggio\",\"aggiornati\",\"errori\",\"avvisi\"}, "
         "anche\n"
         "  quando il salvataggio non riesce.\n"
         "\n"
         "Stato di uscita:\n"
         "  0  riuscito\n"
         "  1  errore imprevisto\n"
         "  2  uso errato: comando o opzione sconosciuti, valore mancante, ripetuto o non ammesso\n"
         "  3  dato mancante o non valido: i messaggi della finestra, nello stesso ordine\n"
         "  4  codice ditta non trovato (mostra)\n"
         "  5  salvataggio non riuscito: i file non aggiornati, ciascuno con il motivo; anche\n"
         "     quando un altro salvataggio tiene il pacchetto per pi\xF9 di 30 secondi\n"
         "  6  non esiste nessuna delle cartelle CONTABILITA, COMMERCIALE, SCHEDULATORE\n"
         "  7  cartella del pacchetto non disponibile\n"
         "  9  il file dei parametri esiste ma non si pu\xF2 leggere\n"
         "\n"
         "Esempio:\n";
    t += windows ? "  SetupVelmarCmd salva --codice 001 --descrizione \"Rossi S.p.A.\" --server nt "
                   "--macchina 10.0.0.5\n"
                   "  Setup terminato\n"
                 : "  SetupVelmarCmd salva --base /srv/velmar --codice 001 --descrizione \"Rossi "
                   "S.p.A.\" \\\n"
                   "      --server nt --macchina 10.0.0.5\n"
                   "  Setup terminato\n";
    return t;
}

std::vector<VoceUtente> ArgomentiDaUtf8(std::span<const char* const> argomenti) {
    std::vector<VoceUtente> r;
    for (const char* a : argomenti)
        r.push_back({Cp1252DaUtf8(a)});
    return r;
}

std::vector<VoceUtente> ArgomentiDaUtf16(std::span<const char16_t* const> argomenti) {
    std::vector<VoceUtente> r;
    for (const char16_t* a : argomenti)
        r.push_back({Cp1252DaUtf16(a)});
    return r;
}

StatoUscita EseguiComando(std::span<const VoceUtente> argomenti, std::ostream& uscita,
                          std::ostream& errori, const FabbricaArchivio& fabbrica,
                          SistemaConsole sistema) {
    try {
        // --help or -h anywhere before "--" wins over everything else on the line.
        for (const VoceUtente& a : argomenti) {
            if (a.testo == "--")
                break;
            if (a.testo == "--help" || a.testo == "-h") {
                uscita << TestoAiuto(sistema);
                return StatoUscita::Riuscito;
            }
        }
        RigaComando r;
        std::optional<ErroreUso> e = LeggiRiga(argomenti, r);
        if (!e)
            e = ControllaRiga(r, sistema);
        if (e) {
            errori << e->messaggio << '\n'
                   << "Per l'aiuto: " << kNomeProgrammaConsole << " --help\n";
            return StatoUscita::UsoErrato;
        }
        return Esecuzione(r, uscita, errori, fabbrica).Esegui();
    } catch (const std::exception& ex) {
        errori << "Errore imprevisto: " << ex.what() << '\n';
    } catch (...) {
        errori << "Errore imprevisto\n";
    }
    return StatoUscita::ErroreImprevisto;
}

}  // namespace velmar
