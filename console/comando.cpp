// The console program's command line, its commands and their output.
#include "console/comando.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <vector>

#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/record.h"
#include "velmar/versione.h"

namespace velmar {

namespace {

enum class Comando { Elenco, Mostra, Salva, Verifica, Distribuisci, Elimina, Ripara };

struct VoceComando {
    std::string_view nome;
    Comando comando;
    bool codice;  // takes the company code as its argument
};

constexpr VoceComando kComandi[] = {
    {"elenco", Comando::Elenco, false},
    {"mostra", Comando::Mostra, true},
    {"salva", Comando::Salva, false},
    {"verifica", Comando::Verifica, false},
    {"distribuisci", Comando::Distribuisci, false},
    {"elimina", Comando::Elimina, true},
    {"ripara", Comando::Ripara, false},
};

enum class Opzione { Base, Catalogo, Codice, Descrizione, Server, Macchina, Json, Aiuto, Versione };

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
    {"-h", Opzione::Aiuto, false, false},      {"--versione", Opzione::Versione, false, false},
};

// A wrong command line: the message for standard error.
struct ErroreUso {
    std::string messaggio;
};

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
    std::optional<std::string_view> opzioneSalva;  // the first "salva" option given
    bool json = false;
    // --help or --versione, the first of them given: it wins over everything else on the line.
    std::optional<Opzione> richiesta;
    // The first thing wrong with the line.
    std::optional<ErroreUso> errore;
};

// abc -> 'abc'
std::string TraApici(std::string_view testo) {
    std::string r;
    r.reserve(testo.size() + 2);
    r.append(1, '\'').append(TestoVisibile(testo)).append(1, '\'');
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
        case Opzione::Versione:
            break;
    }
    return nullptr;
}

// Reads the line once: options (anywhere, "--name value" or "--name=value"), the command and
// its arguments. After an option that takes a value, the next argument is that value, whatever it
// spells; after "--" every argument is positional. The first mistake is kept and reading goes
// on, so that --help, --versione and --json count wherever an option may stand.
RigaComando LeggiRiga(std::span<const VoceUtente> argomenti) {
    RigaComando r;
    const auto sbaglia = [&r](std::string messaggio) {
        if (!r.errore)
            r.errore = ErroreUso{std::move(messaggio)};
    };
    bool fineOpzioni = false;
    for (std::size_t i = 0; i < argomenti.size(); ++i) {
        const VoceUtente& a = argomenti[i];
        const std::optional<std::string_view> t = Testo(a);
        const bool opzione = !fineOpzioni && t && t->size() > 1 && t->front() == '-';
        if (!opzione) {
            if (r.comando) {
                r.posizionali.push_back(a);
            } else if (!r.errore) {
                for (const VoceComando& c : kComandi) {
                    if (t == c.nome)
                        r.comando = &c;
                }
                if (!r.comando)
                    sbaglia("Comando sconosciuto: " + Citato(a));
            }
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
        if (voce == nullptr) {
            sbaglia("Opzione sconosciuta: " + citata);
            continue;
        }
        if (!voce->valore) {
            if (valore) {
                sbaglia("L'opzione " + citata + " non vuole un valore");
            } else if (voce->opzione == Opzione::Json) {
                r.json = true;
            } else if (!r.richiesta) {
                r.richiesta = voce->opzione;
            }
            continue;
        }
        VoceUtente v;
        if (valore) {
            v.testo = std::string(*valore);
        } else if (i + 1 < argomenti.size()) {
            v = argomenti[++i];
        } else {
            sbaglia("Manca il valore dell'opzione " + citata);
            continue;
        }
        std::optional<VoceUtente>* dove = Destinazione(r, voce->opzione);
        if (dove->has_value()) {
            sbaglia("L'opzione " + citata + " \xE8 ripetuta");
            continue;
        }
        *dove = std::move(v);
        if (voce->salvare && !r.opzioneSalva)
            r.opzioneSalva = voce->nome;
    }
    return r;
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
    if (!r.comando) {
        return ErroreUso{
            "Manca il comando: elenco, mostra, salva, verifica, distribuisci, elimina o ripara"};
    }
    const std::string nome(r.comando->nome);
    if (r.comando->comando != Comando::Salva && r.opzioneSalva) {
        return ErroreUso{"L'opzione '" + std::string(*r.opzioneSalva) +
                         "' vale solo con il comando salva"};
    }
    const std::size_t attesi = r.comando->codice ? 1 : 0;
    if (r.posizionali.size() > attesi)
        return ErroreUso{"Argomento in pi\xF9: " + Citato(r.posizionali[attesi])};
    if (r.posizionali.size() < attesi)
        return ErroreUso{"Il comando " + nome + " vuole il codice della ditta"};
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

// "a\r\nb\nc\x1B" -> "a\nb\nc\\x1B": message texts (lines ending in CR LF, as the window shows
// them, or LF) as console lines, any other control character shown as an escape unless
// `visibile` is false (JSON escapes them its own way).
std::string Righe(std::string_view testo, bool visibile = true) {
    std::string r;
    r.reserve(testo.size());
    for (std::size_t inizio = 0; inizio <= testo.size();) {
        std::size_t fine = std::min(testo.find('\n', inizio), testo.size());
        const std::size_t dopo = fine + 1;
        if (fine > inizio && fine < testo.size() && testo[fine - 1] == '\r')
            --fine;
        const std::string_view riga = testo.substr(inizio, fine - inizio);
        if (visibile) {
            r.append(TestoVisibile(riga));
        } else {
            r.append(riga);
        }
        if (dopo > testo.size())
            break;
        r += '\n';
        inizio = dopo;
    }
    return r;
}

// The name of a failure in the JSON output.
std::string_view NomeEsito(StatoUscita stato) {
    switch (stato) {
        case StatoUscita::Riuscito:
            return "riuscito";
        case StatoUscita::ErroreImprevisto:
            return "errore_imprevisto";
        case StatoUscita::UsoErrato:
            return "uso_errato";
        case StatoUscita::VoceNonValida:
            return "voce_non_valida";
        case StatoUscita::DittaNonTrovata:
            return "ditta_non_trovata";
        case StatoUscita::SalvataggioNonRiuscito:
            return "non_salvato";
        case StatoUscita::NessunaArea:
            return "nessuna_area";
        case StatoUscita::CartellaNonDisponibile:
            return "cartella_non_disponibile";
        case StatoUscita::ProblemiTrovati:
            return "problemi";
        case StatoUscita::ParametriIlleggibili:
            return "parametri_illeggibili";
    }
    return "";
}

std::string ListaJson(const std::vector<std::string>& voci) {
    std::string r = "[";
    for (std::size_t i = 0; i < voci.size(); ++i)
        r.append(i ? "," : "").append(StringaJson(voci[i]));
    return r + "]";
}

// Where the outcome of a call goes: plain text to the two streams, or one JSON object.
class Uscite {
  public:
    Uscite(std::ostream& uscita, std::ostream& errori, bool json)
        : uscita_(uscita), errori_(errori), json_(json) {}

    bool Json() const noexcept { return json_; }
    std::ostream& Uscita() noexcept { return uscita_; }

    // A failure's message (Windows-1252, lines ending in CR LF or LF) on standard error.
    void Errore(std::string_view messaggio) { errori_ << Righe(messaggio) << '\n'; }

    // A failure: its message on standard error and, with --json, an object with its name and
    // status, the message and `campi` (",\"x\":...").
    StatoUscita Fallimento(StatoUscita stato, std::string_view messaggio,
                           std::string_view campi = {}) {
        Errore(messaggio);
        if (json_) {
            uscita_ << "{\"esito\":\"" << NomeEsito(stato)
                    << "\",\"stato\":" << static_cast<int>(stato)
                    << ",\"messaggio\":" << StringaJson(Righe(messaggio, false)) << campi << "}\n";
        }
        return stato;
    }

  private:
    std::ostream& uscita_;
    std::ostream& errori_;
    bool json_;
};

class Esecuzione {
  public:
    Esecuzione(const RigaComando& r, Uscite& uscite, const FabbricaArchivio& fabbrica)
        : r_(r), uscite_(uscite), uscita_(uscite.Uscita()), fabbrica_(fabbrica) {}

    StatoUscita Esegui() {
        switch (r_.comando->comando) {
            case Comando::Elenco:
                return Elenco();
            case Comando::Mostra:
                return Mostra();
            case Comando::Salva:
                return Salva();
            case Comando::Verifica:
                return Verifica();
            case Comando::Distribuisci:
                return Distribuisci();
            case Comando::Elimina:
                return Elimina();
            case Comando::Ripara:
                return Ripara();
        }
        return StatoUscita::ErroreImprevisto;
    }

  private:
    // The store of the package; false, with the failure given, when it is unavailable.
    bool CreaArchivio(StatoUscita& stato) {
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
        stato =
            uscite_.Fallimento(StatoUscita::CartellaNonDisponibile,
                               errore.empty() ? "Cartella del pacchetto non disponibile" : errore);
        return false;
    }

    // A parameters file that exists but cannot be read is no empty package.
    StatoUscita Illeggibile(const Esito& e) {
        return uscite_.Fallimento(StatoUscita::ParametriIlleggibili,
                                  "Il file dei parametri non si pu\xF2 leggere: " + e.errore);
    }

    // The company code of "mostra" and "elimina", or nothing with the failure given.
    const std::string* Codice(StatoUscita& stato) {
        const VoceUtente& codice = r_.posizionali.front();
        if (!codice.testo) {
            stato = uscite_.Fallimento(StatoUscita::VoceNonValida,
                                       MessaggioCaratteriNonAmmessi(kEtichettaCodice));
            return nullptr;
        }
        return &*codice.testo;
    }

    StatoUscita NonTrovato(const std::string& codice) {
        return uscite_.Fallimento(
            StatoUscita::DittaNonTrovata,
            std::string(kEtichettaCodice) + " non trovato: '" + TestoVisibile(codice) + "'",
            ",\"codice\":" + StringaJson(codice));
    }

    StatoUscita Elenco() {
        StatoUscita stato{};
        if (!CreaArchivio(stato))
            return stato;
        std::vector<std::string> codici;
        if (const Esito e = archivio_->LeggiDitte(codici); !e)
            return Illeggibile(e);
        if (uscite_.Json()) {
            uscita_ << "{\"codici\":" << ListaJson(codici) << "}\n";
        } else {
            for (const std::string_view c : codici)
                uscita_ << TestoVisibile(c) << '\n';
        }
        return StatoUscita::Riuscito;
    }

    StatoUscita Mostra() {
        StatoUscita stato{};
        const std::string* codice = Codice(stato);
        if (codice == nullptr || !CreaArchivio(stato))
            return stato;
        RisultatoRicerca d;
        if (const Esito e = archivio_->CercaDitta(*codice, d); !e)
            return Illeggibile(e);
        // A matching line always names a server type; no match leaves none.
        if (d.server == TipoServer::Nessuno)
            return NonTrovato(*codice);
        const bool nt = d.server == TipoServer::NT;
        if (uscite_.Json()) {
            uscita_ << "{\"codice\":" << StringaJson(*codice)
                    << ",\"descrizione\":" << StringaJson(d.descrizione)
                    << ",\"server\":" << (nt ? "\"nt\"" : "\"linux\"")
                    << ",\"macchina\":" << StringaJson(d.macchina) << "}\n";
        } else {
            uscita_ << kEtichettaCodice << ": " << TestoVisibile(*codice) << '\n'
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
        if (!v.Valido())
            return uscite_.Fallimento(StatoUscita::VoceNonValida, v.messaggio);
        StatoUscita stato{};
        if (!CreaArchivio(stato))
            return stato;
        return Modifica(archivio_->ScriviFile(v.stato), kMsgSetupTerminato);
    }

    StatoUscita Elimina() {
        StatoUscita stato{};
        const std::string* codice = Codice(stato);
        if (codice == nullptr || !CreaArchivio(stato))
            return stato;
        const RisultatoSalvataggio s = archivio_->Elimina(*codice);
        if (s.esito == EsitoSalvataggio::DittaNonTrovata)
            return NonTrovato(*codice);
        return Modifica(s, "Ditta '" + TestoVisibile(*codice) + "' eliminata");
    }

    StatoUscita Verifica() {
        StatoUscita stato{};
        if (!CreaArchivio(stato))
            return stato;
        std::vector<Problema> problemi;
        if (const Esito e = archivio_->Verifica(problemi); !e)
            return Illeggibile(e);
        const StatoUscita esito =
            problemi.empty() ? StatoUscita::Riuscito : StatoUscita::ProblemiTrovati;
        if (!uscite_.Json()) {
            if (problemi.empty())
                uscita_ << "Nessun problema trovato\n";
            for (const Problema& p : problemi) {
                uscita_ << TestoVisibile(p.file);
                if (p.riga > 0)
                    uscita_ << ", riga " << p.riga;
                uscita_ << ": " << p.descrizione << '\n';
            }
            return esito;
        }
        uscita_ << "{\"esito\":\"" << (problemi.empty() ? "in_ordine" : "problemi")
                << "\",\"stato\":" << static_cast<int>(esito) << ",\"problemi\":[";
        for (std::size_t i = 0; i < problemi.size(); ++i) {
            const Problema& p = problemi[i];
            uscita_ << (i ? "," : "") << "{\"tipo\":\"" << NomeProblema(p.tipo)
                    << "\",\"file\":" << StringaJson(p.file);
            if (p.riga > 0)
                uscita_ << ",\"riga\":" << p.riga;
            if (!p.codice.empty() || p.tipo == TipoProblema::CodiceRipetuto)
                uscita_ << ",\"codice\":" << StringaJson(p.codice);
            if (p.tipo == TipoProblema::LfSolitario)
                uscita_ << ",\"ditte_nascoste\":" << p.ditteNascoste;
            if (p.tipo == TipoProblema::CopiaDiversa) {
                uscita_ << ",\"mancanti\":" << ListaJson(p.mancanti)
                        << ",\"in_piu\":" << ListaJson(p.inPiu)
                        << ",\"diversi\":" << ListaJson(p.diversi);
            }
            uscita_ << ",\"descrizione\":" << StringaJson(p.descrizione) << '}';
        }
        uscita_ << "]}\n";
        return esito;
    }

    StatoUscita Distribuisci() {
        StatoUscita stato{};
        if (!CreaArchivio(stato))
            return stato;
        return Modifica(archivio_->Distribuisci());
    }

    StatoUscita Ripara() {
        StatoUscita stato{};
        if (!CreaArchivio(stato))
            return stato;
        const RisultatoSalvataggio s = archivio_->Ripara();
        return Modifica(s, s.esito == EsitoSalvataggio::Salvato ? Riparato(s) : std::string(),
                        true);
    }

    // What a repair changed, and the files it updated.
    static std::string Riparato(const RisultatoSalvataggio& s) {
        const Riparazione& r = s.riparazione;
        std::string m = "Riparato " + std::string(kNomeFileParametri) + ":";
        std::string_view separatore = " ";
        if (r.fini > 0) {
            m.append(separatore)
                .append(std::to_string(r.fini))
                .append(r.fini == 1 ? " fine riga corretta" : " fini riga corrette")
                .append(" in CR LF");
            separatore = "; ";
        }
        if (r.bom) {
            m.append(separatore).append("tolto il BOM UTF-8");
            separatore = "; ";
        }
        if (r.convertito)
            m.append(separatore).append("testo convertito da UTF-8 a Windows-1252");
        m.append("\r\nFile aggiornati:");
        for (const std::string& p : s.aggiornati)
            m.append("\r\n").append(p);
        return m;
    }

    // The outcome of a change of the package's files; `riuscito` is what a success says (by
    // default, the copies updated). A repair also tells, in JSON, what it changed.
    StatoUscita Modifica(const RisultatoSalvataggio& s, std::string_view riuscito = {},
                         bool riparazione = false) {
        std::string messaggio;
        if (s.esito == EsitoSalvataggio::NessunaArea) {
            messaggio = kMsgNessunaArea;
        } else if (s.esito == EsitoSalvataggio::InOrdine) {
            messaggio = "Nessuna riparazione necessaria";
        } else if (s.esito != EsitoSalvataggio::Salvato || !riuscito.empty()) {
            messaggio = MessaggioSalvataggio(s);
            if (s.esito == EsitoSalvataggio::Salvato)
                messaggio.replace(0, kMsgSetupTerminato.size(), riuscito);
        } else {
            messaggio = "Copie aggiornate:";
            for (const std::string& p : s.aggiornati)
                messaggio.append("\r\n").append(p);
            for (const auto& a : s.avvisi) {
                messaggio.append("\r\n\r\nFile non eliminato: ")
                    .append(a.percorso)
                    .append(": ")
                    .append(a.motivo);
            }
        }
        const StatoUscita stato =
            s.esito == EsitoSalvataggio::Salvato || s.esito == EsitoSalvataggio::InOrdine
                ? StatoUscita::Riuscito
            : s.esito == EsitoSalvataggio::NessunaArea ? StatoUscita::NessunaArea
                                                       : StatoUscita::SalvataggioNonRiuscito;
        if (uscite_.Json())
            ScriviJson(s, stato, Righe(messaggio, false), riparazione);
        if (stato != StatoUscita::Riuscito) {
            uscite_.Errore(messaggio);
        } else if (!uscite_.Json()) {
            uscita_ << Righe(messaggio) << '\n';
        }
        return stato;
    }

    void ScriviJson(const RisultatoSalvataggio& s, StatoUscita stato, const std::string& messaggio,
                    bool riparazione) {
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
            case EsitoSalvataggio::DittaNonTrovata:
                esito = "ditta_non_trovata";
                break;
            case EsitoSalvataggio::InOrdine:
                esito = "in_ordine";
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
        uscita_ << "{\"esito\":\"" << esito << "\",\"stato\":" << static_cast<int>(stato)
                << ",\"messaggio\":" << StringaJson(messaggio)
                << ",\"aggiornati\":" << ListaJson(s.aggiornati) << ",\"errori\":";
        percorsi(s.errori);
        uscita_ << ",\"avvisi\":";
        percorsi(s.avvisi);
        if (riparazione) {
            const Riparazione& r = s.riparazione;
            uscita_ << ",\"riparazione\":{\"fini_riga\":" << r.fini
                    << ",\"bom_tolto\":" << (r.bom ? "true" : "false")
                    << ",\"convertito\":" << (r.convertito ? "true" : "false") << '}';
        }
        uscita_ << "}\n";
    }

    const RigaComando& r_;
    Uscite& uscite_;
    std::ostream& uscita_;
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
                // A character beyond ASCII as the escape of its code point, so that the text
                // reads the same in any code page.
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7F) {
                    char u[8];
                    std::snprintf(u, sizeof u, "\\u%04x",
                                  static_cast<unsigned>(Utf16Da1252(std::string_view(&c, 1))[0]));
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
         "controlli, messaggi e salvataggio della finestra di SetupVelmar, e la cura del\n"
         "pacchetto: verifica delle copie, nuova distribuzione, eliminazione di una ditta,\n"
         "riparazione del file.\n"
         "\n"
         "Uso:\n"
         "  SetupVelmarCmd elenco [opzioni]\n"
         "  SetupVelmarCmd mostra <codice> [opzioni]\n"
         "  SetupVelmarCmd salva --codice <codice> --descrizione <testo> --server nt|linux\n"
         "                       --macchina <indirizzo> [opzioni]\n"
         "  SetupVelmarCmd verifica [opzioni]\n"
         "  SetupVelmarCmd distribuisci [opzioni]\n"
         "  SetupVelmarCmd elimina <codice> [opzioni]\n"
         "  SetupVelmarCmd ripara [opzioni]\n"
         "  SetupVelmarCmd --help | --versione\n"
         "\n"
         "Comandi:\n"
         "  elenco        I codici ditta del file, uno per riga, nell'ordine del file (anche i\n"
         "                ripetuti e quelli vuoti).\n"
         "  mostra        La ditta del codice (esatto, maiuscole comprese): Descrizione Ditta,\n"
         "                Server DB2 (NT o Linux) e IP Macchina Unix. Se pi\xF9 righe hanno il\n"
         "                codice, vale l'ultima.\n"
         "  salva         Controlla i dati come l'Ok della finestra, scrive il record della\n"
         "                ditta in BRIO_PARAMS.txt (al posto delle sue righe, o in fondo se il\n"
         "                codice \xE8 nuovo) e copia il file nelle cartelle CONTABILITA,\n"
         "                COMMERCIALE e SCHEDULATORE che esistono. Se non ne esiste nessuna non\n"
         "                salva nulla.\n"
         "  verifica      Legge il file e le sue copie nelle aree senza cambiare nulla ed elenca\n"
         "                i problemi: copie diverse (con i codici mancanti, in pi\xF9 o diversi),\n"
         "                aree senza copia, righe con meno di sei campi, codici su pi\xF9 righe,\n"
         "                righe che non finiscono con CR LF o che contengono un LF da solo (con\n"
         "                le ditte nascoste dopo il LF), file in UTF-8, aree che non sono\n"
         "                cartelle, file rimasti da un salvataggio interrotto, cataloghi che\n"
         "                non finiscono con Dwh<codice>.oce.\n"
         "  distribuisci  Copia BRIO_PARAMS.txt, cos\xEC com'\xE8, nelle cartelle delle aree che\n"
         "                esistono, con le garanzie di un salvataggio. Non cambia nessuna ditta.\n"
         "  elimina       Toglie dal file ogni riga della ditta del codice e lo distribuisce\n"
         "                nelle aree, come un salvataggio. Se nessuna riga ha il codice non\n"
         "                scrive nulla.\n"
         "  ripara        Ripara BRIO_PARAMS.txt e lo distribuisce nelle aree, come un\n"
         "                salvataggio: ogni LF o CR da solo, e l'ultima riga senza fine, diventa\n"
         "                CR LF; toglie il BOM UTF-8; un testo tutto in UTF-8 (salvato da un\n"
         "                editor) diventa Windows-1252, se ogni carattere vi esiste, altrimenti\n"
         "                non scrive nulla. Gli altri byte restano come sono. Se il file non ha\n"
         "                nulla da riparare non scrive nulla.\n"
         "  Un salvataggio, elimina e ripara non scrivono nulla se la riga della ditta\n"
         "  contiene un LF da solo (fine riga Unix: le ditte dopo il LF andrebbero perse; si\n"
         "  ripara con ripara), o se il file manca o non ha ditte mentre le copie nelle aree\n"
         "  ne hanno.\n"
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
         "  --json                 Il risultato come un oggetto JSON su una riga, qualunque\n"
         "                         sia l'esito.\n"
         "  --help, -h             Questo aiuto.\n"
         "  --versione             La versione del programma.\n"
         "  Le opzioni vanno prima o dopo il comando, anche nella forma --opzione=valore.\n"
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
    t += "  Con --json ogni chiamata scrive un solo oggetto sullo standard output: elenco\n"
         "  {\"codici\":[...]}; mostra {\"codice\",\"descrizione\",\"server\",\"macchina\"};\n"
         "  salva, distribuisci, elimina, ripara {\"esito\",\"stato\",\"messaggio\",\n"
         "  \"aggiornati\",\"errori\",\"avvisi\"} (ripara anche \"riparazione\":{\"fini_riga\",\n"
         "  \"bom_tolto\",\"convertito\"}); verifica "
         "{\"esito\",\"stato\",\"problemi\":[{\"tipo\",\"file\",\n"
         "  \"riga\" o \"codice\",\"descrizione\"}]}; ogni errore "
         "{\"esito\",\"stato\",\"messaggio\"}.\n"
         "\n"
         "Stato di uscita:\n"
         "  0  riuscito\n"
         "  1  errore imprevisto\n"
         "  2  uso errato: comando o opzione sconosciuti, valore mancante, ripetuto o non ammesso\n"
         "  3  dato mancante o non valido: i messaggi della finestra, nello stesso ordine\n"
         "  4  codice ditta non trovato (mostra, elimina)\n"
         "  5  salvataggio non riuscito: i file non aggiornati, ciascuno con il motivo; anche\n"
         "     quando un altro salvataggio tiene il pacchetto per pi\xF9 di 30 secondi, o\n"
         "     quando non si \xE8 scritto nulla per non perdere ditte (salva, elimina,\n"
         "     distribuisci, ripara)\n"
         "  6  non esiste nessuna delle cartelle CONTABILITA, COMMERCIALE, SCHEDULATORE\n"
         "  7  cartella del pacchetto non disponibile\n"
         "  8  verifica: trovati problemi\n"
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
    RigaComando r;
    try {
        r = LeggiRiga(argomenti);
        Uscite uscite(uscita, errori, r.json);
        if (r.richiesta == Opzione::Aiuto) {
            if (r.json) {
                uscita << "{\"esito\":\"riuscito\",\"stato\":0,\"aiuto\":"
                       << StringaJson(TestoAiuto(sistema)) << "}\n";
            } else {
                uscita << TestoAiuto(sistema);
            }
            return StatoUscita::Riuscito;
        }
        if (r.richiesta == Opzione::Versione) {
            if (r.json) {
                uscita << "{\"esito\":\"riuscito\",\"stato\":0,\"versione\":"
                       << StringaJson(kVersione) << "}\n";
            } else {
                uscita << kNomeProgrammaConsole << ' ' << kVersione << '\n';
            }
            return StatoUscita::Riuscito;
        }
        if (!r.errore)
            r.errore = ControllaRiga(r, sistema);
        if (r.errore) {
            return uscite.Fallimento(StatoUscita::UsoErrato,
                                     r.errore->messaggio + "\nPer l'aiuto: " +
                                         std::string(kNomeProgrammaConsole) + " --help");
        }
        return Esecuzione(r, uscite, fabbrica).Esegui();
    } catch (const std::exception& ex) {
        return Uscite(uscita, errori, r.json)
            .Fallimento(StatoUscita::ErroreImprevisto,
                        std::string("Errore imprevisto: ") + ex.what());
    } catch (...) {
        return Uscite(uscita, errori, r.json)
            .Fallimento(StatoUscita::ErroreImprevisto, "Errore imprevisto");
    }
}

}  // namespace velmar
