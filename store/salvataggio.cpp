// The save and its distribution to the area folders.
#include "store/salvataggio.h"

#include <memory>
#include <optional>

#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/forma.h"
#include "store/righe.h"

namespace velmar {

namespace {

constexpr std::string_view kFineRiga = "\r\n";
constexpr std::size_t kSogliaScrittura = 256 * 1024;

// A line of the code that holds a lone LF: its number, and the company records after the LF.
struct LfNellaRiga {
    std::uint64_t riga = 0;
    std::uint64_t ditte = 0;
};

struct EsitoCopia {
    Esito lettura;                  // a failure to read the file
    std::optional<LfNellaRiga> lf;  // the copy stopped there
};

// Writes every line of `file` to out(std::string_view), each ending with CR LF, but those whose
// field 5 is `codice`: these become `record`, which is appended when none is, or with no record
// they are left out. A line too long to hold is copied in pieces. Stops at a line of the code
// that holds a lone LF: replacing or leaving it out would drop the text after the LF.
template <class Out>
EsitoCopia CopiaConSostituzione(FileLettura& file, std::string_view codice,
                                std::optional<std::string_view> record, Out&& out,
                                std::size_t capacita = kBufferLettura) {
    bool trovato = false;
    std::uint64_t numero = 0;
    LettoreRighe lettore(file, capacita);
    for (RigaLetta riga; lettore.Prossima(riga);) {
        ++numero;
        const CampiRiga campi = riga.Campi(6);
        bool sua = false;
        Esito e = campi.numero < 6 || campi.Lunghezza(5) != codice.size()
                      ? Esito::Riuscito()
                      : riga.CampoUguale(campi, 5, codice, sua);
        if (!e)
            return {e, {}};
        if (sua) {
            DitteDopoLf dopoLf;
            if (riga.Intera()) {
                dopoLf.Aggiungi(riga.Testo());
            } else if (!(e = riga.Copia([&](std::string_view p) { dopoLf.Aggiungi(p); }))) {
                return {e, {}};
            }
            if (dopoLf.Lf())
                return {Esito::Riuscito(), LfNellaRiga{numero, dopoLf.Ditte()}};
        }
        trovato = trovato || sua;
        if (sua && !record)
            continue;
        if (sua) {
            out(*record);
        } else if (!(e = riga.Copia(out))) {
            return {e, {}};
        }
        out(kFineRiga);
    }
    if (!lettore.Errore())
        return {lettore.Errore(), {}};
    if (!trovato && record) {
        out(*record);
        out(kFineRiga);
    }
    return {};
}

// Buffers what is written and passes it to the file in large blocks; remembers the first
// failure and ignores everything after it.
class ScritturaBufferizzata {
  public:
    explicit ScritturaBufferizzata(FileScrittura& file) : file_(file) {
        buffer_.reserve(kSogliaScrittura + 4096);
    }
    void operator()(std::string_view dati) {
        if (!esito_)
            return;
        buffer_.append(dati);
        if (buffer_.size() >= kSogliaScrittura)
            Scarica();
    }
    Esito Fine() {
        if (esito_)
            Scarica();
        return esito_;
    }

  private:
    void Scarica() {
        if (!buffer_.empty())
            esito_ = file_.Scrivi(buffer_);
        buffer_.clear();
    }
    FileScrittura& file_;
    std::string buffer_;
    Esito esito_;
};

Esito FallitoCon(const char* passo, const Esito& e) {
    return Esito::Fallito(std::string(passo) + ": " + e.errore);
}

// Writes `scrivi` into a new file at `percorso` and closes it; `creato` tells whether the file
// was made, so that only a file of this save is ever removed. Not forced onto the disk: the
// work file is only copied by this save, and each copy is.
template <class Scrivi>
Esito ScriviFileCompleto(FileSystem& fs, const std::string& percorso, bool& creato,
                         Scrivi&& scrivi) {
    std::unique_ptr<FileScrittura> file;
    Esito e = fs.CreaNuovo(percorso, file);
    creato = static_cast<bool>(e);
    if (!e)
        return FallitoCon("creazione", e);
    ScritturaBufferizzata out(*file);
    e = scrivi(out);
    if (e) {
        e = out.Fine();
        if (!e)
            e = FallitoCon("scrittura", e);
    }
    const Esito chiusura = file->Chiudi();
    if (e && !chiusura)
        e = FallitoCon("chiusura", chiusura);
    return e;
}

// Copies `origine` to a temporary file beside `destinazione`, then replaces the destination.
Esito MettiAlPosto(FileSystem& fs, const std::string& origine, std::string_view cartella,
                   const std::string& destinazione) {
    const std::string temporaneo = PercorsoIn(fs, cartella, kNomeCopiaTemporanea);
    Esito e = fs.Copia(origine, temporaneo, destinazione);
    if (!e)
        return FallitoCon("copia", e);
    e = fs.Sostituisci(temporaneo, destinazione);
    if (!e) {
        (void)fs.Elimina(temporaneo);
        return FallitoCon("sostituzione", e);
    }
    return e;
}

// Why a catalog folder cannot go into a record, or nothing when it can.
std::optional<std::string> CatalogoNonAmmesso(const ValoreCatalogo& c) {
    if (!c.rappresentabile) {
        const std::string nome = c.testo.empty() ? "" : " '" + TestoVisibile(c.testo) + "'";
        return "La cartella del catalogo" + nome + " contiene caratteri che Windows-1252 non ha";
    }
    if (c.testo.find_first_of(";\r\n") != std::string::npos) {
        return "La cartella del catalogo '" + TestoVisibile(c.testo) +
               "' contiene caratteri non ammessi (';' o un a capo)";
    }
    return std::nullopt;
}

std::string MotivoLf(const LfNellaRiga& lf) {
    std::string m = "la riga " + std::to_string(lf.riga) + " ha fini riga Unix (LF senza CR): ";
    if (lf.ditte == 0) {
        m += "il testo dopo il LF andrebbe perso";
    } else {
        m += "dopo il LF stanno " + std::to_string(lf.ditte) +
             (lf.ditte == 1 ? " record di ditta" : " record di ditte") +
             ", che la modifica cancellerebbe";
    }
    return m +
           ". Non \xE8 stato scritto nulla: ripara il pacchetto con SetupVelmarCmd ripara "
           "e riprova";
}

std::string MotivoOccupato(std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    return "Un altro salvataggio \xE8 in corso nella cartella " + std::string(cartellaBase) +
           ": dopo " + std::to_string((attesa.count() + 999) / 1000) +
           " secondi di attesa non \xE8 stato scritto nulla. Riprova pi\xF9 tardi";
}

}  // namespace

std::vector<std::string> AreeEsistenti(FileSystem& fs, std::string_view cartellaBase) {
    std::vector<std::string> aree;
    for (std::string_view area : kCartelleAree) {
        std::string cartella = PercorsoIn(fs, cartellaBase, area);
        if (fs.Tipo(cartella) == TipoVoce::Cartella)
            aree.push_back(std::move(cartella));
    }
    return aree;
}

std::optional<std::string> SostituisciInTesto(std::string_view testo, std::string_view codice,
                                              std::string_view record, std::size_t capacita) {
    std::string out;
    out.reserve(testo.size() + record.size() + 64);
    LetturaDaTesto file(testo);
    const EsitoCopia e = CopiaConSostituzione(
        file, codice, record, [&](std::string_view dati) { out.append(dati); }, capacita);
    if (e.lf)
        return std::nullopt;
    return out;
}

namespace {

// One change of a package, step by step; a step that stops it says why in the result.
class Modifica {
  public:
    Modifica(FileSystem& fs, std::string_view cartellaBase, RisultatoSalvataggio& r)
        : fs_(fs),
          base_(cartellaBase),
          r_(r),
          lavoro_(PercorsoIn(fs, cartellaBase, kNomeFileLavoro)),
          parametri_(PercorsoIn(fs, cartellaBase, kNomeFileParametri)) {}

    const std::string& Parametri() const noexcept { return parametri_; }

    // A complete folder, then the package's lock: from here to the last copy no other change
    // runs on it.
    bool Inizia(std::chrono::milliseconds attesa) {
        if (const auto motivo = CartellaNonUsabile(fs_, base_))
            return Ferma(std::string(base_), std::string(*motivo));
        const std::string fileBlocco = PercorsoIn(fs_, base_, kNomeFileBlocco);
        bool occupato = false;
        const Esito e = fs_.Blocca(fileBlocco, attesa, blocco_, occupato);
        if (e)
            return true;
        return occupato ? Ferma("", MotivoOccupato(base_, attesa))
                        : Ferma(fileBlocco, FallitoCon("blocco", e).errore);
    }

    // The area folders that exist. None stops the change; a save then leaves its work file as
    // it was, created empty when absent.
    bool TrovaAree(bool lasciaLavoro) {
        aree_ = AreeEsistenti(fs_, base_);
        if (!aree_.empty())
            return true;
        std::unique_ptr<FileScrittura> file;
        if (lasciaLavoro && fs_.Tipo(lavoro_) == TipoVoce::Assente && fs_.CreaNuovo(lavoro_, file))
            (void)file->Chiudi();
        r_.esito = EsitoSalvataggio::NessunaArea;
        return false;
    }

    // Opens the parameters file into `letto`, left empty when the file is missing. One that
    // cannot be read stops the change, and so does one that is missing while area copies of it
    // exist, or holds no company while area copies hold some (a save stopped half way, a file
    // deleted or emptied by hand or by an older tool: rebuilding from it would drop every
    // company the copies hold).
    bool ApriParametri(std::unique_ptr<FileLettura>& letto) {
        bool assente = false;
        if (Esito e = fs_.ApriLettura(parametri_, letto, assente); !e && !assente)
            return Ferma(parametri_, FallitoCon("lettura", e).errore);
        std::string copie;
        const auto elenca = [&copie](std::string_view copia, std::string_view nota = {}) {
            copie.append(copie.empty() ? "" : ", ").append(copia).append(nota);
        };
        if (assente) {
            for (std::string_view area : kCartelleAree) {
                const std::string copia = CopiaDellArea(area);
                if (fs_.Tipo(copia) != TipoVoce::Assente)
                    elenca(copia);
            }
            if (copie.empty())
                return true;
            return Ferma(parametri_, "il file manca, ma ne esistono copie nelle aree: " + copie +
                                         ". " + std::string(kRimetti));
        }
        bool ditte = false;
        if (Esito e = CercaPrimaDitta(*letto, ditte); !e)
            return Ferma(parametri_, FallitoCon("lettura", e).errore);
        if (ditte)
            return true;
        for (std::string_view area : kCartelleAree) {
            const std::string copia = CopiaDellArea(area);
            std::unique_ptr<FileLettura> file;
            bool mancante = false;
            bool conDitte = false;
            Esito e = fs_.ApriLettura(copia, file, mancante);
            if (e)
                e = CercaPrimaDitta(*file, conDitte);
            if (!e && !mancante) {
                elenca(copia, " (non si pu\xF2 leggere)");
            } else if (conDitte) {
                elenca(copia);
            }
        }
        if (copie.empty())
            return true;
        return Ferma(parametri_, "il file non ha nessuna ditta, ma le copie nelle aree ne hanno: " +
                                     copie + ". " + std::string(kRimetti));
    }

    // Rebuilds the parameters file into the work file, made afresh, with the lines of `codice`
    // replaced by `record` or left out without one (see CopiaConSostituzione), and distributes
    // it. `letto` is the parameters file (null when it is missing), closed before any copy.
    void Riscrivi(std::unique_ptr<FileLettura> letto, std::string_view codice,
                  std::optional<std::string_view> record) {
        std::optional<std::string> motivoLettura;
        ScriviLavoro(std::move(letto), motivoLettura, [&](FileLettura& file, auto& out) {
            const EsitoCopia c = CopiaConSostituzione(file, codice, record, out);
            if (c.lf) {
                motivoLettura = MotivoLf(*c.lf);
            } else if (!c.lettura) {
                motivoLettura = FallitoCon("lettura", c.lettura).errore;
            }
            return !motivoLettura;
        });
    }

    // Reads the parameters file `letto` twice: once to tell its shape, once to write its mended
    // bytes into the work file, which is then distributed. A file that needs no repair is left
    // alone; one whose text looks like UTF-8 but cannot be converted stops the change.
    void Ripara(std::unique_ptr<FileLettura> letto) {
        LetturaForma lettura;
        std::string nulla;
        const Esito e =
            LeggiABlocchi(*letto, [&](std::string_view pezzo) { lettura.Aggiungi(pezzo, nulla); });
        if (!e) {
            Ferma(parametri_, FallitoCon("lettura", e).errore);
            return;
        }
        const FormaFile forma = lettura.Fine(nulla);
        if (forma.NonConvertibile()) {
            Ferma(parametri_,
                  "il testo sembra UTF-8, ma non si pu\xF2 convertire in "
                  "Windows-1252: " +
                      MotivoNonConvertibile(forma) +
                      ". Non \xE8 stato scritto nulla: correggi il file a mano");
            return;
        }
        if (forma.InOrdine()) {
            r_.esito = EsitoSalvataggio::InOrdine;
            return;
        }
        r_.riparazione = {forma.finiDaRiparare, forma.bom, forma.DaConvertire()};
        std::optional<std::string> motivoLettura;
        ScriviLavoro(std::move(letto), motivoLettura, [&](FileLettura& file, auto& out) {
            LetturaForma riparazione(forma);
            std::string pezzi;
            const Esito l = LeggiABlocchi(file, [&](std::string_view pezzo) {
                riparazione.Aggiungi(pezzo, pezzi);
                out(pezzi);
                pezzi.clear();
            });
            (void)riparazione.Fine(pezzi);
            out(pezzi);
            if (!l)
                motivoLettura = FallitoCon("lettura", l).errore;
            return static_cast<bool>(l);
        });
        if (r_.esito != EsitoSalvataggio::Salvato && r_.esito != EsitoSalvataggio::SalvatoInParte)
            r_.riparazione = {};
    }

    // Puts a copy of `origine` in place of the base folder's file (unless it is that file) and
    // then of every area's: the base first, so that the areas never get ahead of it.
    void Distribuisci(const std::string& origine) {
        if (origine != parametri_) {
            const Esito e = MettiAlPosto(fs_, origine, base_, parametri_);
            if (!e) {
                (void)fs_.Elimina(origine);
                Ferma(parametri_, e.errore);
                return;
            }
            r_.aggiornati.push_back(parametri_);
        }
        for (const std::string& area : aree_) {
            const std::string copia = PercorsoIn(fs_, area, kNomeFileParametri);
            const Esito e = MettiAlPosto(fs_, origine, area, copia);
            if (e) {
                r_.aggiornati.push_back(copia);
            } else {
                r_.errori.push_back({copia, e.errore});
            }
        }
        r_.esito = r_.errori.empty()       ? EsitoSalvataggio::Salvato
                   : r_.aggiornati.empty() ? EsitoSalvataggio::NonSalvato
                                           : EsitoSalvataggio::SalvatoInParte;
        if (origine == lavoro_) {
            const Esito e = fs_.Elimina(lavoro_);
            if (!e)
                r_.avvisi.push_back({lavoro_, FallitoCon("eliminazione", e).errore});
        }
    }

  private:
    static constexpr std::string_view kRimetti =
        "Non \xE8 stato scritto nulla: rimetti una delle copie al suo posto e riprova";

    std::string CopiaDellArea(std::string_view area) const {
        return PercorsoIn(fs_, PercorsoIn(fs_, base_, area), kNomeFileParametri);
    }

    // Writes the work file, made afresh, with scrivi(FileLettura&, out), which reads `letto`
    // (the parameters file; null when it is missing) and returns false, with the reason in
    // `motivoLettura`, when the file cannot be read as it must; then distributes the work file.
    // `letto` is closed before any copy.
    template <class Scrivi>
    void ScriviLavoro(std::unique_ptr<FileLettura> letto, std::optional<std::string>& motivoLettura,
                      Scrivi&& scrivi) {
        bool creato = false;
        const Esito e = ScriviFileCompleto(fs_, lavoro_, creato, [&](ScritturaBufferizzata& out) {
            LetturaDaTesto vuoto("");
            return scrivi(letto ? *letto : vuoto, out)
                       ? Esito::Riuscito()
                       : Esito::Fallito(motivoLettura.value_or("lettura"));
        });
        letto.reset();
        if (e) {
            Distribuisci(lavoro_);
            return;
        }
        if (creato)
            (void)fs_.Elimina(lavoro_);
        Ferma(motivoLettura ? parametri_ : lavoro_, e.errore);
    }

    bool Ferma(std::string percorso, std::string motivo) {
        r_.errori.push_back({std::move(percorso), std::move(motivo)});
        return false;
    }

    FileSystem& fs_;
    std::string_view base_;
    RisultatoSalvataggio& r_;
    std::string lavoro_;
    std::string parametri_;
    std::unique_ptr<Blocco> blocco_;
    std::vector<std::string> aree_;
};

}  // namespace

RisultatoSalvataggio SalvaDitta(FileSystem& fs, const DatiDitta& dati,
                                const ValoreCatalogo& catalogo, std::string_view cartellaBase,
                                std::chrono::milliseconds attesa) {
    RisultatoSalvataggio r;
    if (auto motivo = CatalogoNonAmmesso(catalogo)) {
        r.errori.push_back({"", std::move(*motivo)});
        return r;
    }
    const std::string record = ComponiRecord(dati, catalogo.testo);
    Modifica m(fs, cartellaBase, r);
    std::unique_ptr<FileLettura> letto;
    if (!m.Inizia(attesa) || !m.TrovaAree(true) || !m.ApriParametri(letto))
        return r;
    m.Riscrivi(std::move(letto), dati.CodiceDitta, record);
    return r;
}

RisultatoSalvataggio EliminaDitta(FileSystem& fs, std::string_view codice,
                                  std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    RisultatoSalvataggio r;
    Modifica m(fs, cartellaBase, r);
    std::unique_ptr<FileLettura> letto;
    if (!m.Inizia(attesa) || !m.ApriParametri(letto))
        return r;
    // Nothing is written, not even the work file, for a code that no line carries.
    RisultatoRicerca ditta;
    if (letto) {
        if (const Esito e = CercaCodice(*letto, codice, ditta); !e) {
            r.errori.push_back({m.Parametri(), FallitoCon("lettura", e).errore});
            return r;
        }
    }
    if (ditta.server == TipoServer::Nessuno) {
        r.esito = EsitoSalvataggio::DittaNonTrovata;
        return r;
    }
    if (!m.TrovaAree(true))
        return r;
    m.Riscrivi(std::move(letto), codice, std::nullopt);
    return r;
}

RisultatoSalvataggio RiparaFile(FileSystem& fs, std::string_view cartellaBase,
                                std::chrono::milliseconds attesa) {
    RisultatoSalvataggio r;
    Modifica m(fs, cartellaBase, r);
    std::unique_ptr<FileLettura> letto;
    if (!m.Inizia(attesa) || !m.TrovaAree(false) || !m.ApriParametri(letto))
        return r;
    if (!letto) {
        r.errori.push_back({m.Parametri(), "il file manca: non c'\xE8 nulla da riparare"});
        return r;
    }
    m.Ripara(std::move(letto));
    return r;
}

RisultatoSalvataggio DistribuisciFile(FileSystem& fs, std::string_view cartellaBase,
                                      std::chrono::milliseconds attesa) {
    RisultatoSalvataggio r;
    Modifica m(fs, cartellaBase, r);
    std::unique_ptr<FileLettura> letto;
    if (!m.Inizia(attesa) || !m.TrovaAree(false) || !m.ApriParametri(letto))
        return r;
    if (!letto) {
        r.errori.push_back({m.Parametri(), "il file manca: non c'\xE8 nulla da copiare"});
        return r;
    }
    letto.reset();
    m.Distribuisci(m.Parametri());
    return r;
}

}  // namespace velmar
