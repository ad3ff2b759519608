// The console program's commands: each run on the store, its outcome printed as text or JSON.
#include "console/comando.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <set>

#include "console/aiuto.h"
#include "console/comandi.h"
#include "console/json.h"
#include "pacchetto/messaggi.h"
#include "pacchetto/prova.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/salvataggio.h"
#include "store/verifica.h"
#include "velmar/versione.h"

namespace velmar {

// One call of a command: its line, where its outcome goes and the store it works on.
class Esecuzione {
  public:
    Esecuzione(const RigaComando& r, std::ostream& uscita, std::ostream& errori,
               const FabbricaArchivio& fabbrica)
        : r_(r), uscita_(uscita), errori_(errori), fabbrica_(fabbrica) {}

    StatoUscita Elenco();
    StatoUscita Mostra();
    // "elenco --dettagli".
    StatoUscita Dettagli();
    StatoUscita Salva();
    StatoUscita Verifica();
    StatoUscita Distribuisci();
    StatoUscita Elimina();
    StatoUscita Ripara();
    StatoUscita Prova();

    // A failure: its message on standard error and, with --json, an object with the name of
    // its status, the status, the message and `campi`.
    StatoUscita Fallimento(StatoUscita stato, std::string_view messaggio,
                           const OggettoJson& campi = {});

  private:
    // Makes the store of the package; fails as the factory does when it is unavailable.
    Esito CreaArchivio();
    // Tells on standard error what garbles the reads of the file, if anything does.
    void AvvisaLettura();
    // The company code of "mostra" and "elimina"; fails (VoceNonValida) for one with a character
    // Windows-1252 lacks.
    Risultato<std::string> Codice() const;
    StatoUscita Fallimento(const Errore& e) { return Fallimento(StatoDi(e.tipo), TestoErrore(e)); }
    // The outcome of a change of the package's files; a repair also tells what it changed.
    StatoUscita Modifica(const RisultatoModifica& r, bool riparazione = false);
    // "prova --tutte": a row for each company line and a summary.
    StatoUscita ProvaTutte(std::uint16_t porta, AttesaProva attesa);
    // The check of one server, of the company `ditta` when it was looked up by its code.
    StatoUscita ScriviProva(const RisultatoProva& r, const ProvaDitta* ditta);
    void Scrivi(const OggettoJson& oggetto) { uscita_ << oggetto.Json() << '\n'; }

    const RigaComando& r_;
    std::ostream& uscita_;
    std::ostream& errori_;
    const FabbricaArchivio& fabbrica_;
    std::unique_ptr<ArchivioDitte> archivio_;
};

namespace {

// What runs each command of the table (console/comandi.h), at the place of its value.
struct Gestore {
    Comando comando;
    StatoUscita (Esecuzione::*esegui)();
};

constexpr Gestore kGestori[] = {
    {Comando::Elenco, &Esecuzione::Elenco},
    {Comando::Mostra, &Esecuzione::Mostra},
    {Comando::Salva, &Esecuzione::Salva},
    {Comando::Verifica, &Esecuzione::Verifica},
    {Comando::Distribuisci, &Esecuzione::Distribuisci},
    {Comando::Elimina, &Esecuzione::Elimina},
    {Comando::Ripara, &Esecuzione::Ripara},
    {Comando::Prova, &Esecuzione::Prova},
};

// Whether every command of the table finds its row here.
constexpr bool OgniComandoHaIlGestore() noexcept {
    for (const VoceComando& c : kComandi) {
        const auto i = static_cast<std::size_t>(c.comando);
        if (i >= std::size(kGestori) || kGestori[i].comando != c.comando)
            return false;
    }
    return true;
}
static_assert(OgniComandoHaIlGestore(), "a command of kComandi has no row in kGestori");

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

std::vector<OggettoJson> Voci(const std::vector<PercorsoNonAggiornato>& percorsi) {
    std::vector<OggettoJson> voci;
    for (const PercorsoNonAggiornato& p : percorsi)
        voci.push_back(
            OggettoJson().Testo("percorso", p.percorso).Testo("motivo", TestoMotivo(p.motivo)));
    return voci;
}

// The warnings of a change: each copy kept, with its own companies, then the work file left.
std::vector<OggettoJson> Avvisi(const Aggiornamento& a) {
    std::vector<OggettoJson> voci;
    for (const CopiaConservata& c : a.conservate) {
        voci.push_back(OggettoJson()
                           .Testo("percorso", c.copia)
                           .Testo("motivo", DescrizioneConservata(c))
                           .Testo("conservata", c.conservata)
                           .Testi("codici", c.codici));
    }
    for (OggettoJson& v : Voci(a.avvisi))
        voci.push_back(std::move(v));
    return voci;
}

// The row of a company's server type in the store's table: one that is not NT is Linux, as the
// store reads the line.
const VoceServer& ServerDellaDitta(TipoServer tipo) noexcept {
    return *ServerDi(tipo == TipoServer::NT ? TipoServer::NT : TipoServer::Linux);
}

// A company's code, description and server type: as the start of a JSON object, or as the
// window's labelled lines.
OggettoJson DittaJson(std::string_view codice, std::string_view descrizione, TipoServer server) {
    return OggettoJson()
        .Testo("codice", codice)
        .Testo("descrizione", descrizione)
        .Testo("server", ServerDellaDitta(server).nome);
}

void ScriviDitta(std::ostream& uscita, std::string_view codice, std::string_view descrizione,
                 TipoServer server) {
    uscita << kEtichettaCodice << ": " << TestoVisibile(codice) << '\n'
           << kEtichettaDescrizione << ": " << TestoVisibile(descrizione) << '\n'
           << kEtichettaServer << ": " << ServerDellaDitta(server).didascalia << '\n';
}

// The start of an outcome's object: {"esito":...,"stato":...
OggettoJson InizioJson(StatoUscita stato, std::string_view esito) {
    return OggettoJson().Testo("esito", esito).Numero("stato", static_cast<int>(stato));
}

// The exit status of one server's check.
StatoUscita StatoProva(const RisultatoProva& r) noexcept {
    return r.Corrisponde() ? StatoUscita::Riuscito : StatoUscita::ProvaNonRiuscita;
}

// What a check found, as the fields of a JSON object (each absent fact null).
OggettoJson ProvaJson(const RisultatoProva& r) {
    OggettoJson j;
    j.Testo("macchina", r.server.macchina)
        .Numero("porta", r.server.porta)
        .Testo("server", ServerDellaDitta(r.server.server).nome);
    const auto testo = [&j](std::string_view chiave, const std::optional<std::string>& v) {
        if (v) {
            j.Testo(chiave, *v);
        } else {
            j.Nullo(chiave);
        }
    };
    const auto ms = [&j](std::string_view chiave,
                         const std::optional<std::chrono::milliseconds>& v) {
        if (v) {
            j.Numero(chiave, static_cast<std::uint64_t>(std::max<std::int64_t>(v->count(), 0)));
        } else {
            j.Nullo(chiave);
        }
    };
    testo("indirizzo", r.indirizzo);
    ms("connessione_ms", r.connessione);
    ms("risposta_ms", r.attributi ? r.risposta : std::nullopt);
    const drda::AttributiServer nessuno;
    const drda::AttributiServer& a = r.attributi ? *r.attributi : nessuno;
    testo("srvclsnm", a.classe);
    testo("srvrlslv", a.rilascio);
    testo("srvnam", a.nome);
    testo("server_letto", r.piattaforma ? std::optional<std::string>(
                                              std::string(drda::NomePiattaforma(*r.piattaforma)))
                                        : std::nullopt);
    return j.Testo("messaggio", r.messaggio);
}

}  // namespace

StatoUscita Esecuzione::Fallimento(StatoUscita stato, std::string_view messaggio,
                                   const OggettoJson& campi) {
    errori_ << Righe(messaggio) << '\n';
    if (r_.json) {
        Scrivi(InizioJson(stato, NomeStato(stato))
                   .Testo("messaggio", Righe(messaggio, false))
                   .Aggiungi(campi));
    }
    return stato;
}

StatoUscita Esecuzione::Prova() {
    const std::uint16_t porta = r_.porta ? PortaDaTesto(*r_.porta).value_or(kPortaDb2) : kPortaDb2;
    AttesaProva attesa;
    if (r_.attesa) {
        attesa.connessione = AttesaDaTesto(*r_.attesa).value_or(kAttesaProva);
        attesa.risposta = attesa.connessione;
    }
    if (r_.tutte)
        return ProvaTutte(porta, attesa);
    if (r_.macchina || r_.server) {
        const VoceUtente vuota{std::string()};
        const VoceUtente macchina = r_.macchina.value_or(vuota);
        const TipoServer server = r_.server
                                      ? ServerDaTesto(*r_.server).value_or(TipoServer::Nessuno)
                                      : TipoServer::Nessuno;
        if (!macchina.testo) {
            return Fallimento(StatoUscita::VoceNonValida,
                              MessaggioCaratteriNonAmmessi(kEtichettaMacchina));
        }
        return ScriviProva(ProvaServer(ReteDiSistema(), {*macchina.testo, porta, server}, attesa),
                           nullptr);
    }
    const Risultato<std::string> codice = Codice();
    if (!codice)
        return Fallimento(codice.Errore());
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    const Risultato<ProvaDitta> d =
        ProvaCodice(*archivio_, ReteDiSistema(), *codice, porta, attesa);
    if (!d) {
        return Fallimento(StatoDi(d.Errore().tipo), TestoErrore(d.Errore()),
                          d.Errore().tipo == TipoErrore::DittaNonTrovata
                              ? OggettoJson().Testo("codice", *codice)
                              : OggettoJson());
    }
    return ScriviProva(d->risultato, &*d);
}

StatoUscita Esecuzione::ScriviProva(const RisultatoProva& r, const ProvaDitta* ditta) {
    // Nothing to check: the entry missing, as the window says it.
    if (r.esito == EsitoProva::DatiMancanti)
        return Fallimento(StatoUscita::VoceNonValida, r.messaggio);
    const StatoUscita stato = StatoProva(r);
    if (r_.json) {
        OggettoJson j = InizioJson(stato, NomeEsito(r.esito));
        if (ditta)
            j.Testo("codice", ditta->codice).Testo("descrizione", ditta->descrizione);
        Scrivi(j.Aggiungi(ProvaJson(r)));
        return stato;
    }
    if (ditta) {
        uscita_ << kEtichettaCodice << ": " << TestoVisibile(ditta->codice) << '\n'
                << kEtichettaDescrizione << ": " << TestoVisibile(ditta->descrizione) << '\n';
    }
    uscita_ << Righe(TestoProva(r)) << '\n';
    return stato;
}

StatoUscita Esecuzione::ProvaTutte(std::uint16_t porta, AttesaProva attesa) {
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    const auto inizio = std::chrono::steady_clock::now();
    const Risultato<std::vector<ProvaDitta>> ditte =
        velmar::ProvaTutte(*archivio_, ReteDiSistema(), porta, attesa);
    if (!ditte)
        return Fallimento(ditte.Errore());
    const auto durata = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - inizio);
    std::size_t corrispondono = 0;
    std::set<std::string> macchine;
    for (const ProvaDitta& d : *ditte) {
        corrispondono += d.risultato.Corrisponde();
        if (d.risultato.esito != EsitoProva::DatiMancanti)
            macchine.insert(d.risultato.server.macchina);
    }
    const std::size_t altre = ditte->size() - corrispondono;
    const StatoUscita stato = altre ? StatoUscita::ProvaNonRiuscita : StatoUscita::Riuscito;
    if (r_.json) {
        std::vector<OggettoJson> righe;
        for (const ProvaDitta& d : *ditte) {
            righe.push_back(std::move(OggettoJson()
                                          .Testo("codice", d.codice)
                                          .Testo("descrizione", d.descrizione)
                                          .Testo("esito", NomeEsito(d.risultato.esito))
                                          .Aggiungi(ProvaJson(d.risultato))));
        }
        Scrivi(InizioJson(stato, NomeStato(stato))
                   .Numero("porta", porta)
                   .Numero("corrispondono", corrispondono)
                   .Numero("non_corrispondono", altre)
                   .Oggetti("ditte", righe));
        return stato;
    }
    for (const ProvaDitta& d : *ditte) {
        const std::string& macchina = d.risultato.server.macchina;
        uscita_ << TestoVisibile(d.codice) << ' '
                << (macchina.empty() ? std::string("(senza macchina)") : TestoVisibile(macchina))
                << ": " << Righe(d.risultato.messaggio) << '\n';
    }
    uscita_ << "Ditte provate: " << ditte->size() << " su " << macchine.size()
            << (macchine.size() == 1 ? " macchina" : " macchine") << ", porta " << porta
            << "; corrispondono: " << corrispondono
            << ", non corrispondono o non rispondono: " << altre << " (" << Secondi(durata)
            << ")\n";
    return stato;
}

Esito Esecuzione::CreaArchivio() {
    OpzioniArchivio o;
    if (r_.base)
        o.base = r_.base->testo;
    if (r_.catalogo) {
        o.catalogo = r_.catalogo->testo ? ValoreCatalogo{*r_.catalogo->testo, true}
                                        : ValoreCatalogo{"", false};
    }
    Risultato<std::unique_ptr<ArchivioDitte>> archivio = fabbrica_(o);
    if (!archivio)
        return std::move(archivio).Errore();
    archivio_ = *std::move(archivio);
    return {};
}

void Esecuzione::AvvisaLettura() {
    if (const std::optional<Problema> avviso = archivio_->AvvisoLettura())
        errori_ << "Attenzione: " << Righe(avviso->file + " " + TestoProblema(*avviso)) << '\n';
}

Risultato<std::string> Esecuzione::Codice() const {
    const VoceUtente& codice = r_.posizionali.front();
    if (!codice.testo)
        return Errore(TipoErrore::VoceNonValida, MessaggioCaratteriNonAmmessi(kEtichettaCodice));
    return *codice.testo;
}

StatoUscita Esecuzione::Elenco() {
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    AvvisaLettura();
    if (r_.dettagli)
        return Dettagli();
    const Risultato<std::vector<std::string>> codici = archivio_->LeggiDitte();
    if (!codici)
        return Fallimento(codici.Errore());
    if (r_.json) {
        Scrivi(OggettoJson().Testi("codici", *codici));
    } else {
        for (const std::string_view c : *codici)
            uscita_ << TestoVisibile(c) << '\n';
    }
    return StatoUscita::Riuscito;
}

StatoUscita Esecuzione::Dettagli() {
    const Risultato<std::vector<VoceDitta>> voci = archivio_->LeggiElenco();
    if (!voci)
        return Fallimento(voci.Errore());
    if (r_.json) {
        std::vector<OggettoJson> ditte;
        for (const VoceDitta& v : *voci) {
            OggettoJson d = DittaJson(v.codice, v.descrizione, v.server);
            if (v.macchina) {
                d.Testo("macchina", *v.macchina);
            } else {
                d.Nullo("macchina");
            }
            ditte.push_back(std::move(d.Testo("catalogo", v.catalogo)));
        }
        Scrivi(OggettoJson().Oggetti("ditte", ditte));
        return StatoUscita::Riuscito;
    }
    // A block for each line, a blank line between them; a line of six fields has no machine.
    for (std::size_t i = 0; i < voci->size(); ++i) {
        const VoceDitta& v = (*voci)[i];
        ScriviDitta(uscita_ << (i ? "\n" : ""), v.codice, v.descrizione, v.server);
        if (v.macchina)
            uscita_ << kEtichettaMacchina << ": " << TestoVisibile(*v.macchina) << '\n';
        uscita_ << "Catalogo: " << TestoVisibile(v.catalogo) << '\n';
    }
    return StatoUscita::Riuscito;
}

StatoUscita Esecuzione::Mostra() {
    const Risultato<std::string> codice = Codice();
    if (!codice)
        return Fallimento(codice.Errore());
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    AvvisaLettura();
    const Risultato<RisultatoRicerca> d = archivio_->CercaDitta(*codice);
    if (!d) {
        return Fallimento(StatoDi(d.Errore().tipo), TestoErrore(d.Errore()),
                          d.Errore().tipo == TipoErrore::DittaNonTrovata
                              ? OggettoJson().Testo("codice", *codice)
                              : OggettoJson());
    }
    if (r_.json) {
        Scrivi(DittaJson(*codice, d->descrizione, d->server).Testo("macchina", d->macchina));
    } else {
        ScriviDitta(uscita_, *codice, d->descrizione, d->server);
        uscita_ << kEtichettaMacchina << ": " << TestoVisibile(d->macchina) << '\n';
    }
    return StatoUscita::Riuscito;
}

StatoUscita Esecuzione::Salva() {
    const VoceUtente vuota{std::string()};
    const VociUtente voci{
        r_.codice.value_or(vuota), r_.descrizione.value_or(vuota), r_.macchina.value_or(vuota),
        r_.server ? ServerDaTesto(*r_.server).value_or(TipoServer::Nessuno) : TipoServer::Nessuno};
    if (const Esito valide = ValidaVoci(voci); !valide)
        return Fallimento(valide.Errore());
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    return Modifica(archivio_->ScriviFile(CopiaVoci(voci)));
}

StatoUscita Esecuzione::Elimina() {
    const Risultato<std::string> codice = Codice();
    if (!codice)
        return Fallimento(codice.Errore());
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    const RisultatoModifica r = archivio_->Elimina(*codice);
    if (!r && r.Errore().tipo == TipoErrore::DittaNonTrovata) {
        return Fallimento(StatoUscita::DittaNonTrovata, TestoErrore(r.Errore()),
                          OggettoJson().Testo("codice", *codice));
    }
    return Modifica(r);
}

StatoUscita Esecuzione::Distribuisci() {
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    return Modifica(archivio_->Distribuisci());
}

StatoUscita Esecuzione::Ripara() {
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    return Modifica(archivio_->Ripara(), true);
}

StatoUscita Esecuzione::Verifica() {
    if (const Esito e = CreaArchivio(); !e)
        return Fallimento(e.Errore());
    const Risultato<std::vector<Problema>> problemi = archivio_->Verifica();
    if (!problemi)
        return Fallimento(problemi.Errore());
    const StatoUscita esito =
        problemi->empty() ? StatoUscita::Riuscito : StatoUscita::ProblemiTrovati;
    if (!r_.json) {
        if (problemi->empty())
            uscita_ << "Nessun problema trovato\n";
        for (const Problema& p : *problemi) {
            uscita_ << TestoVisibile(p.file);
            if (p.riga)
                uscita_ << ", riga " << *p.riga;
            uscita_ << ": " << TestoProblema(p) << '\n';
        }
        return esito;
    }
    std::vector<OggettoJson> voci;
    for (const Problema& p : *problemi) {
        OggettoJson v;
        v.Testo("tipo", NomeProblema(p.tipo)).Testo("file", p.file);
        if (p.riga)
            v.Numero("riga", *p.riga);
        if (!p.codice.empty() || p.tipo == TipoProblema::CodiceRipetuto)
            v.Testo("codice", p.codice);
        if (p.tipo == TipoProblema::LfSolitario)
            v.Numero("ditte_nascoste", p.ditteNascoste);
        if (p.tipo == TipoProblema::CopiaDiversa) {
            v.Testi("mancanti", p.mancanti).Testi("in_piu", p.inPiu).Testi("diversi", p.diversi);
        }
        voci.push_back(std::move(v.Testo("descrizione", TestoProblema(p))));
    }
    Scrivi(
        InizioJson(esito, problemi->empty() ? "in_ordine" : "problemi").Oggetti("problemi", voci));
    return esito;
}

StatoUscita Esecuzione::Modifica(const RisultatoModifica& r, bool riparazione) {
    const std::vector<std::string> nessuno;
    StatoUscita stato = StatoUscita::Riuscito;
    std::string_view esito = "salvato";
    if (!r) {
        stato = StatoDi(r.Errore().tipo);
        esito = NomeStato(stato);
    } else if (r->nienteDaRiparare) {
        esito = "in_ordine";
    } else if (!r->Completo()) {
        stato = StatoUscita::SalvataggioNonRiuscito;
        esito = "salvato_in_parte";
    }
    const std::string messaggio = r ? TestoAggiornamento(*r) : TestoErrore(r.Errore());
    if (r_.json) {
        OggettoJson j = InizioJson(stato, esito);
        j.Testo("messaggio", Righe(messaggio, false))
            .Testi("aggiornati", r ? r->aggiornati : nessuno)
            .Oggetti("errori", Voci(r ? r->nonAggiornati : r.Errore().percorsi))
            .Oggetti("avvisi", r ? Avvisi(*r) : std::vector<OggettoJson>());
        if (riparazione) {
            const Riparazione fatta = r ? r->riparazione : Riparazione{};
            j.Oggetto("riparazione",
                      OggettoJson()
                          .Numero("fini_riga", fatta.fini)
                          .Booleano("bom_tolto", fatta.bom)
                          .Booleano("convertito", fatta.convertito)
                          .Testo("da", !fatta.convertito                     ? "windows-1252"
                                       : fatta.codifica == Codifica::Utf16LE ? "utf-16le"
                                       : fatta.codifica == Codifica::Utf16BE ? "utf-16be"
                                                                             : "utf-8"));
        }
        Scrivi(j);
    }
    if (stato != StatoUscita::Riuscito) {
        errori_ << Righe(messaggio) << '\n';
    } else if (!r_.json) {
        uscita_ << Righe(messaggio) << '\n';
    }
    return stato;
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
    const auto imprevisto = [&](std::string messaggio) {
        return Esecuzione(r, uscita, errori, fabbrica)
            .Fallimento(StatoUscita::ErroreImprevisto, messaggio);
    };
    try {
        r = LeggiRiga(argomenti);
        Esecuzione esecuzione(r, uscita, errori, fabbrica);
        if (r.richiesta == Segnale::Aiuto) {
            if (r.json) {
                uscita << InizioJson(StatoUscita::Riuscito, NomeStato(StatoUscita::Riuscito))
                              .Testo("aiuto", TestoAiuto(sistema))
                              .Json()
                       << '\n';
            } else {
                uscita << TestoAiuto(sistema);
            }
            return StatoUscita::Riuscito;
        }
        if (r.richiesta == Segnale::Versione) {
            if (r.json) {
                uscita << InizioJson(StatoUscita::Riuscito, NomeStato(StatoUscita::Riuscito))
                              .Testo("versione", kVersione)
                              .Json()
                       << '\n';
            } else {
                uscita << kNomeProgrammaConsole << ' ' << kVersione << '\n';
            }
            return StatoUscita::Riuscito;
        }
        if (!r.errore) {
            if (Esito e = ControllaRiga(r, sistema); !e)
                r.errore = std::move(e).Errore();
        }
        if (r.errore) {
            return esecuzione.Fallimento(StatoDi(r.errore->tipo),
                                         r.errore->testo + "\nPer l'aiuto: " +
                                             std::string(kNomeProgrammaConsole) + " --help");
        }
        return (esecuzione.*kGestori[static_cast<std::size_t>(r.comando->comando)].esegui)();
    } catch (const std::exception& ex) {
        return imprevisto(std::string("Errore imprevisto: ") + ex.what());
    } catch (...) {
        return imprevisto("Errore imprevisto");
    }
}

}  // namespace velmar
