// The save and its distribution to the area folders.
#include "store/salvataggio.h"

#include <memory>
#include <optional>

#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/righe.h"

namespace velmar {

namespace {

constexpr std::string_view kFineRiga = "\r\n";
constexpr std::size_t kSogliaScrittura = 64 * 1024;

// Writes every line of `file` to out(std::string_view), each ending with CR LF, the lines whose
// field 5 is `codice` replaced by `record`, appended when none is. A line too long to hold is
// copied in pieces.
template <class Out>
Esito CopiaConSostituzione(FileLettura& file, std::string_view codice, std::string_view record,
                           Out&& out, std::size_t capacita = kBufferLettura) {
    bool trovato = false;
    LettoreRighe lettore(file, capacita);
    for (RigaLetta riga; lettore.Prossima(riga);) {
        const CampiRiga campi = riga.Campi(6);
        bool sua = false;
        Esito e = campi.numero < 6 || campi.Lunghezza(5) != codice.size()
                      ? Esito::Riuscito()
                      : riga.CampoUguale(campi, 5, codice, sua);
        if (sua) {
            out(record);
            trovato = true;
        } else if (e) {
            e = riga.Copia(out);
        }
        if (!e)
            return e;
        out(kFineRiga);
    }
    if (!lettore.Errore())
        return lettore.Errore();
    if (!trovato) {
        out(record);
        out(kFineRiga);
    }
    return Esito::Riuscito();
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

std::string MotivoOccupato(std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    return "Un altro salvataggio \xE8 in corso nella cartella " + std::string(cartellaBase) +
           ": dopo " + std::to_string((attesa.count() + 999) / 1000) +
           " secondi di attesa non \xE8 stato scritto nulla. Riprova pi\xF9 tardi";
}

}  // namespace

std::string SostituisciInTesto(std::string_view testo, std::string_view codice,
                               std::string_view record, std::size_t capacita) {
    std::string out;
    out.reserve(testo.size() + record.size() + 64);
    LetturaDaTesto file(testo);
    (void)CopiaConSostituzione(
        file, codice, record, [&](std::string_view dati) { out.append(dati); }, capacita);
    return out;
}

RisultatoSalvataggio SalvaDitta(FileSystem& fs, const DatiDitta& dati,
                                const ValoreCatalogo& catalogo, std::string_view cartellaBase,
                                std::chrono::milliseconds attesa) {
    RisultatoSalvataggio r;
    r.esito = EsitoSalvataggio::NonSalvato;
    if (auto motivo = CatalogoNonAmmesso(catalogo)) {
        r.errori.push_back({"", std::move(*motivo)});
        return r;
    }
    const std::string record = ComponiRecord(dati, catalogo.testo);

    if (cartellaBase.empty()) {
        r.errori.push_back({"", "cartella del pacchetto non disponibile"});
        return r;
    }
    if (!fs.PercorsoAssoluto(cartellaBase)) {
        r.errori.push_back(
            {std::string(cartellaBase), "la cartella del pacchetto non \xE8 un percorso completo"});
        return r;
    }

    // From here to the last copy, no other save runs on this package.
    std::unique_ptr<Blocco> blocco;
    {
        const std::string fileBlocco = PercorsoIn(fs, cartellaBase, kNomeFileBlocco);
        bool occupato = false;
        const Esito e = fs.Blocca(fileBlocco, attesa, blocco, occupato);
        if (!e) {
            r.errori.push_back(
                occupato ? PercorsoNonAggiornato{"", MotivoOccupato(cartellaBase, attesa)}
                         : PercorsoNonAggiornato{fileBlocco, FallitoCon("blocco", e).errore});
            return r;
        }
    }

    const std::string lavoro = PercorsoIn(fs, cartellaBase, kNomeFileLavoro);
    const std::string parametri = PercorsoIn(fs, cartellaBase, kNomeFileParametri);

    std::vector<std::string> aree;
    for (std::string_view area : kCartelleAree) {
        std::string cartella = PercorsoIn(fs, cartellaBase, area);
        if (fs.Tipo(cartella) == TipoVoce::Cartella)
            aree.push_back(std::move(cartella));
    }
    if (aree.empty()) {
        // The work file is left as it was, created empty when absent.
        std::unique_ptr<FileScrittura> file;
        if (fs.Tipo(lavoro) == TipoVoce::Assente && fs.CreaNuovo(lavoro, file))
            (void)file->Chiudi();
        r.esito = EsitoSalvataggio::NessunaArea;
        return r;
    }

    std::unique_ptr<FileLettura> letto;
    bool assente = false;
    if (Esito e = fs.ApriLettura(parametri, letto, assente); !e && !assente) {
        r.errori.push_back({parametri, FallitoCon("lettura", e).errore});
        return r;
    }
    if (assente) {
        // Copies in the areas but none in the base folder: a save stopped half way, or a file
        // deleted by hand. Rebuilding from nothing would drop every company they hold.
        std::string copie;
        for (const std::string& area : aree) {
            const std::string copia = PercorsoIn(fs, area, kNomeFileParametri);
            if (fs.Tipo(copia) != TipoVoce::Assente)
                copie.append(copie.empty() ? "" : ", ").append(copia);
        }
        if (!copie.empty()) {
            r.errori.push_back(
                {parametri, "il file manca, ma ne esistono copie nelle aree: " + copie +
                                ". Non \xE8 stato scritto nulla: rimetti una delle copie al suo "
                                "posto e riprova"});
            return r;
        }
    }

    // Rebuild the parameters file into the work file, made afresh.
    bool letturaFallita = false;
    bool creato = false;
    Esito e = ScriviFileCompleto(fs, lavoro, creato, [&](ScritturaBufferizzata& out) {
        LetturaDaTesto vuoto("");
        Esito l = CopiaConSostituzione(letto ? *letto : vuoto, dati.CodiceDitta, record, out);
        if (!l) {
            letturaFallita = true;
            return FallitoCon("lettura", l);
        }
        return Esito::Riuscito();
    });
    letto.reset();
    if (!e) {
        r.errori.push_back({letturaFallita ? parametri : lavoro, e.errore});
        if (creato)
            (void)fs.Elimina(lavoro);
        return r;
    }

    // The base folder first: the areas never get ahead of it.
    e = MettiAlPosto(fs, lavoro, cartellaBase, parametri);
    if (!e) {
        r.errori.push_back({parametri, e.errore});
        (void)fs.Elimina(lavoro);
        return r;
    }
    r.aggiornati.push_back(parametri);

    for (const std::string& area : aree) {
        const std::string copia = PercorsoIn(fs, area, kNomeFileParametri);
        e = MettiAlPosto(fs, lavoro, area, copia);
        if (e) {
            r.aggiornati.push_back(copia);
        } else {
            r.errori.push_back({copia, e.errore});
        }
    }
    r.esito = r.errori.empty() ? EsitoSalvataggio::Salvato : EsitoSalvataggio::SalvatoInParte;

    e = fs.Elimina(lavoro);
    if (!e)
        r.avvisi.push_back({lavoro, FallitoCon("eliminazione", e).errore});
    return r;
}

}  // namespace velmar
