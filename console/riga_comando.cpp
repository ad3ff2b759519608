// The console program's options and the reading of its command line.
#include "console/riga_comando.h"

#include "store/cp1252.h"

namespace velmar {

namespace {

constexpr VoceOpzione kOpzioni[] = {
    {"--codice", "", &RigaComando::codice, std::nullopt, "salva", "<testo>", "Codice Ditta (salva)",
     ""},
    {"--descrizione", "", &RigaComando::descrizione, std::nullopt, "salva", "<testo>",
     "Descrizione Ditta (salva)", ""},
    {"--server", "", &RigaComando::server, std::nullopt, "salva", "nt|linux",
     "Server DB2: nt scrive db2admin, linux db2inst1 (salva)", ""},
    {"--macchina", "", &RigaComando::macchina, std::nullopt, "salva", "<testo>",
     "IP Macchina Unix (salva)", ""},
    {"--dettagli", "", nullptr, Segnale::Dettagli, "elenco", "",
     "Ogni riga di ditta con tutti i suoi campi: codice, descrizione,\n"
     "server, macchina e catalogo (elenco).",
     ""},
    {"--base", "", &RigaComando::base, std::nullopt, "", "<cartella>",
     "La cartella del pacchetto, percorso completo.\n"
     "Se manca: quella che il componente PercorsiApplicazioni\n"
     "d\xE0 per \"Brio\", come nella finestra.",
     "La cartella del pacchetto, percorso completo.\n"
     "Obbligatoria su Linux."},
    {"--catalogo", "", &RigaComando::catalogo, std::nullopt, "", "<cartella>",
     "La cartella delle Open Catalog Extensions scritta nel record.\n"
     "Se manca: il valore OpenCatalogDir di BrioQuery nel\n"
     "registro, o se vuoto la cartella predefinita\n"
     "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions",
     "La cartella delle Open Catalog Extensions scritta nel record.\n"
     "Se manca: la cartella predefinita\n"
     "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions"},
    {"--json", "", nullptr, Segnale::Json, "", "",
     "Il risultato come un oggetto JSON su una riga, qualunque\n"
     "sia l'esito.",
     ""},
    {"--help", "-h", nullptr, Segnale::Aiuto, "", "", "Questo aiuto.", ""},
    {"--versione", "", nullptr, Segnale::Versione, "", "", "La versione del programma.", ""},
};

std::optional<std::string_view> Testo(const VoceUtente& v) {
    if (!v.testo)
        return std::nullopt;
    return std::string_view(*v.testo);
}

}  // namespace

std::span<const VoceOpzione> Opzioni() noexcept {
    return kOpzioni;
}

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
                for (const VoceComando& c : Comandi()) {
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
            if (o.nome == nome || (!o.alias.empty() && o.alias == nome))
                voce = &o;
        }
        const std::string citata = TraApici(nome);
        if (voce == nullptr) {
            sbaglia("Opzione sconosciuta: " + citata);
            continue;
        }
        if (voce->segnale) {
            if (valore) {
                sbaglia("L'opzione " + citata + " non vuole un valore");
                continue;
            }
            if (*voce->segnale == Segnale::Json) {
                r.json = true;
            } else if (*voce->segnale == Segnale::Dettagli) {
                r.dettagli = true;
            } else if (!r.richiesta) {
                r.richiesta = voce->segnale;
            }
        } else {
            VoceUtente v;
            if (valore) {
                v.testo = std::string(*valore);
            } else if (i + 1 < argomenti.size()) {
                v = argomenti[++i];
            } else {
                sbaglia("Manca il valore dell'opzione " + citata);
                continue;
            }
            std::optional<VoceUtente>& dove = r.*(voce->campo);
            if (dove.has_value()) {
                sbaglia("L'opzione " + citata + " \xE8 ripetuta");
                continue;
            }
            dove = std::move(v);
        }
        if (!voce->soloComando.empty())
            r.opzioniDiComando.emplace_back(voce->nome, voce->soloComando);
    }
    return r;
}

std::optional<TipoServer> ServerDaTesto(const VoceUtente& v) {
    if (v.testo == "nt" || v.testo == "NT")
        return TipoServer::NT;
    if (v.testo == "linux" || v.testo == "Linux")
        return TipoServer::Linux;
    return std::nullopt;
}

std::optional<ErroreUso> ControllaRiga(const RigaComando& r, SistemaConsole sistema) {
    if (!r.comando) {
        std::string m = "Manca il comando: ";
        const std::span<const VoceComando> comandi = Comandi();
        for (std::size_t i = 0; i < comandi.size(); ++i) {
            m.append(i == 0 ? "" : i + 1 == comandi.size() ? " o " : ", ").append(comandi[i].nome);
        }
        return ErroreUso{std::move(m)};
    }
    const std::string nome(r.comando->nome);
    for (const auto& [opzione, comando] : r.opzioniDiComando) {
        if (comando != r.comando->nome) {
            return ErroreUso{"L'opzione '" + std::string(opzione) + "' vale solo con il comando " +
                             std::string(comando)};
        }
    }
    const std::size_t attesi = r.comando->argomenti == Argomenti::Codice ? 1 : 0;
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

}  // namespace velmar
