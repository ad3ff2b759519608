// The console program's options and the reading of its command line.
#include "console/riga_comando.h"

#include <algorithm>

#include "pacchetto/pacchetto.h"
#include "store/cp1252.h"

namespace velmar {

namespace {

constexpr const VoceServer& kServerNT = *ServerDi(TipoServer::NT);
constexpr const VoceServer& kServerLinux = *ServerDi(TipoServer::Linux);

// The lines of --catalogo in --help, which name the registry value and the default folder.
constexpr TestoComposto kAiutoCatalogoWindows = {
    "La cartella delle Open Catalog Extensions scritta nel record.\n"
    "Se manca: il valore ",
    kValoreCartellaCatalogo,
    " di BrioQuery nel\n"
    "registro, o se vuoto la cartella predefinita\n",
    kCartellaCatalogoPredefinita};
constexpr TestoComposto kAiutoCatalogoLinux = {
    "La cartella delle Open Catalog Extensions scritta nel record.\n"
    "Se manca: la cartella predefinita\n",
    kCartellaCatalogoPredefinita};

// The line of --server in --help, which names the store's server types and their account words.
constexpr TestoComposto kAiutoServer = {"Server DB2: ",
                                        kServerNT.nome,
                                        " scrive ",
                                        kServerNT.parola,
                                        ", ",
                                        kServerLinux.nome,
                                        " ",
                                        kServerLinux.parola,
                                        " (salva); il tipo\n"
                                        "che il server deve avere (prova)"};

constexpr VoceOpzione kOpzioni[] = {
    {"--codice", "", &RigaComando::codice, std::nullopt, "salva", "<testo>", "Codice Ditta (salva)",
     ""},
    {"--descrizione", "", &RigaComando::descrizione, std::nullopt, "salva", "<testo>",
     "Descrizione Ditta (salva)", ""},
    {"--server", "", &RigaComando::server, std::nullopt, "salva prova", kValoriServer, kAiutoServer,
     ""},
    {"--macchina", "", &RigaComando::macchina, std::nullopt, "salva prova", "<testo>",
     "IP Macchina Unix (salva); la macchina da provare (prova)", ""},
    {"--tutte", "", nullptr, Segnale::Tutte, "prova", "",
     "Prova i server di tutte le ditte del file, pi\xF9 d'uno alla volta\n"
     "(prova).",
     ""},
    {"--porta", "", &RigaComando::porta, std::nullopt, "prova", "<numero>",
     "La porta del server DB2, se non \xE8 50000 (prova).", ""},
    {"--attesa", "", &RigaComando::attesa, std::nullopt, "prova", "<secondi>",
     "Quanto attendere la connessione, e poi la risposta, se non 3\n"
     "secondi; anche con decimali: 0,5 (prova).",
     ""},
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
     kAiutoCatalogoWindows, kAiutoCatalogoLinux},
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

// Whether `comando` is among `comandi`, names separated by spaces.
bool TraComandi(std::string_view comandi, std::string_view comando) noexcept {
    for (std::size_t inizio = 0; inizio < comandi.size();) {
        const std::size_t fine = std::min(comandi.find(' ', inizio), comandi.size());
        if (comandi.substr(inizio, fine - inizio) == comando)
            return true;
        inizio = fine + 1;
    }
    return false;
}

// "salva prova" -> "i comandi salva e prova"; "prova" -> "il comando prova".
std::string NomiComandi(std::string_view comandi) {
    const std::size_t spazio = comandi.rfind(' ');
    if (spazio == std::string_view::npos)
        return "il comando " + std::string(comandi);
    std::string primi(comandi.substr(0, spazio));
    for (std::size_t i = 0; (i = primi.find(' ', i)) != std::string::npos; i += 2)
        primi.replace(i, 1, ", ");
    return "i comandi " + primi + " e " + std::string(comandi.substr(spazio + 1));
}

// A wrong command line, with the first thing wrong with it.
Errore UsoErrato(std::string messaggio) {
    return Errore(TipoErrore::UsoErrato, std::move(messaggio));
}

// The digits of `testo`, all of it, as a number no greater than `massimo`.
std::optional<std::uint64_t> Numero(std::string_view testo, std::uint64_t massimo) noexcept {
    if (testo.empty())
        return std::nullopt;
    std::uint64_t n = 0;
    for (const char c : testo) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
        if (n > massimo)
            return std::nullopt;
    }
    return n;
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
        return "(" + std::string(kCaratteriNonAmmessi) + ")";
    return TraApici(*v.testo);
}

RigaComando LeggiRiga(std::span<const VoceUtente> argomenti) {
    RigaComando r;
    const auto sbaglia = [&r](std::string messaggio) {
        if (!r.errore)
            r.errore = UsoErrato(std::move(messaggio));
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
            } else if (*voce->segnale == Segnale::Tutte) {
                r.tutte = true;
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

std::optional<std::uint16_t> PortaDaTesto(const VoceUtente& v) {
    const std::optional<std::uint64_t> n = Numero(v.testo.value_or(""), 65535);
    if (!n || *n == 0)
        return std::nullopt;
    return static_cast<std::uint16_t>(*n);
}

std::optional<std::chrono::milliseconds> AttesaDaTesto(const VoceUtente& v) {
    constexpr std::uint64_t kMassimoSecondi = 3600;
    const std::string testo = v.testo.value_or("");
    const std::string_view t = testo;
    const std::size_t virgola = t.find_first_of(",.");
    const std::optional<std::uint64_t> interi = Numero(t.substr(0, virgola), kMassimoSecondi);
    std::uint64_t ms = interi.value_or(0) * 1000;
    if (virgola != std::string_view::npos) {
        const std::string_view decimali = t.substr(virgola + 1);
        const std::optional<std::uint64_t> parte = Numero(decimali, 999);
        if (!parte || decimali.size() > 3)
            return std::nullopt;
        ms += *parte * (decimali.size() == 1 ? 100 : decimali.size() == 2 ? 10 : 1);
    }
    if ((!interi && virgola != 0) || ms == 0 || ms > kMassimoSecondi * 1000)
        return std::nullopt;
    return std::chrono::milliseconds(ms);
}

std::optional<TipoServer> ServerDaTesto(const VoceUtente& v) {
    for (const VoceServer& s : kServer) {
        if (v.testo == s.nome || v.testo == s.didascalia)
            return s.tipo;
    }
    return std::nullopt;
}

Esito ControllaRiga(const RigaComando& r, SistemaConsole sistema) {
    if (!r.comando) {
        std::string m = "Manca il comando: ";
        const std::span<const VoceComando> comandi = kComandi;
        for (std::size_t i = 0; i < comandi.size(); ++i) {
            m.append(i == 0 ? "" : i + 1 == comandi.size() ? " o " : ", ").append(comandi[i].nome);
        }
        return UsoErrato(std::move(m));
    }
    const std::string nome(r.comando->nome);
    for (const auto& [opzione, comandi] : r.opzioniDiComando) {
        if (!TraComandi(comandi, r.comando->nome)) {
            return UsoErrato("L'opzione '" + std::string(opzione) + "' vale solo con " +
                             NomiComandi(comandi));
        }
    }
    const std::size_t attesi = r.comando->argomenti == Argomenti::Nessuno ? 0 : 1;
    if (r.posizionali.size() > attesi)
        return UsoErrato("Argomento in pi\xF9: " + Citato(r.posizionali[attesi]));
    if (r.posizionali.size() < attesi && r.comando->argomenti == Argomenti::Codice)
        return UsoErrato("Il comando " + nome + " vuole il codice della ditta");
    // "prova": a company's code, a machine with its server type, or every company.
    const bool macchina = r.macchina || r.server;
    if (r.comando->argomenti == Argomenti::CodiceFacoltativo) {
        const int modi = !r.posizionali.empty() + macchina + r.tutte;
        if (modi == 0) {
            return UsoErrato("Il comando " + nome +
                             " vuole il codice della ditta, --macchina e --server, o --tutte");
        }
        if (modi > 1) {
            return UsoErrato("Il comando " + nome +
                             " vuole uno solo fra il codice della ditta, --macchina e --tutte");
        }
    }
    if (r.porta && !PortaDaTesto(*r.porta)) {
        return UsoErrato("Valore non ammesso per '--porta': " + Citato(*r.porta) +
                         " (usa un numero da 1 a 65535)");
    }
    if (r.attesa && !AttesaDaTesto(*r.attesa)) {
        return UsoErrato("Valore non ammesso per '--attesa': " + Citato(*r.attesa) +
                         " (usa i secondi, da 0,001 a 3600)");
    }
    // An empty --server is the window with no server type chosen: the checks report it.
    if (r.server && !(r.server->Vuota() || ServerDaTesto(*r.server))) {
        return UsoErrato("Valore non ammesso per '--server': " + Citato(*r.server) + " (usa " +
                         std::string(Elenca(kServer, ", ", " o ", &VoceServer::nome)) + ")");
    }
    // A catalog folder that cannot be stored is the save's to report, as for the registry's.
    if (r.base && !r.base->testo)
        return UsoErrato("La cartella di '--base' contiene " + std::string(kCaratteriNonAmmessi));
    // A machine checked with "prova" needs no package.
    const bool senzaPacchetto = r.comando->argomenti == Argomenti::CodiceFacoltativo && macchina;
    if (sistema == SistemaConsole::Linux && !r.base && !senzaPacchetto) {
        return UsoErrato(
            "Manca l'opzione '--base': su Linux la cartella del pacchetto va indicata");
    }
    return {};
}

}  // namespace velmar
