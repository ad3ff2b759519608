// The save and its distribution to the area folders.
#include "store/salvataggio.h"

#include <memory>

#include "store/ditte.h"
#include "store/righe.h"

namespace velmar {

namespace {

constexpr std::string_view kFineRiga = "\r\n";
constexpr std::size_t kSogliaScrittura = 64 * 1024;

// Writes the lines of the parameters file with the company's lines replaced.
class CopiaConSostituzione {
  public:
    CopiaConSostituzione(std::string_view codice, std::string_view record)
        : codice_(codice), record_(record) {}

    template <class Out>
    void Riga(std::string_view riga, Out& out) {
        const auto codice = CodiceRiga(riga);
        if (codice && *codice == codice_) {
            out.append(record_);
            trovato_ = true;
        } else {
            out.append(riga);
        }
        out.append(kFineRiga);
    }

    template <class Out>
    void Chiudi(Out& out) {
        if (trovato_)
            return;
        out.append(record_);
        out.append(kFineRiga);
    }

  private:
    std::string_view codice_;
    std::string_view record_;
    bool trovato_ = false;
};

// Buffers what is written and passes it to the file in large blocks; remembers the first
// failure and ignores everything after it.
class ScritturaBufferizzata {
  public:
    explicit ScritturaBufferizzata(FileScrittura& file) : file_(file) {
        buffer_.reserve(kSogliaScrittura + 4096);
    }
    void append(std::string_view dati) {
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
    bool Valido() const noexcept { return esito_.ok; }

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

// Writes `scrivi` into a new file at `percorso` and closes it. Not forced onto the disk: the
// work file is only copied by this save, and each copy is.
template <class Scrivi>
Esito ScriviFileCompleto(FileSystem& fs, const std::string& percorso, Scrivi&& scrivi) {
    std::unique_ptr<FileScrittura> file;
    Esito e = fs.ApriScrittura(percorso, ModoScrittura::Tronca, file);
    if (!e)
        return FallitoCon("apertura in scrittura", e);
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
    Esito e = fs.Copia(origine, temporaneo);
    if (!e) {
        e = FallitoCon("copia", e);
    } else {
        e = fs.Sostituisci(temporaneo, destinazione);
        if (!e)
            e = FallitoCon("sostituzione", e);
    }
    if (!e)
        (void)fs.Elimina(temporaneo);
    return e;
}

}  // namespace

std::string SostituisciInTesto(std::string_view testo, std::string_view codice,
                               std::string_view record) {
    std::string out;
    out.reserve(testo.size() + record.size() + 64);
    CopiaConSostituzione copia(codice, record);
    PerOgniRiga(testo, [&](std::string_view riga) { copia.Riga(riga, out); });
    copia.Chiudi(out);
    return out;
}

RisultatoSalvataggio SalvaDitta(FileSystem& fs, const StatoFinestra& stato,
                                std::string_view valoreCatalogo, std::string_view cartellaBase) {
    RisultatoSalvataggio r;
    r.esito = EsitoSalvataggio::NonSalvato;
    const std::string record = ComponiRecord(stato, CartellaCatalogo(valoreCatalogo));

    if (cartellaBase.empty()) {
        r.errori.push_back({"", "cartella del pacchetto non disponibile"});
        return r;
    }
    if (!fs.PercorsoAssoluto(cartellaBase)) {
        r.errori.push_back(
            {std::string(cartellaBase), "la cartella del pacchetto non \xE8 un percorso completo"});
        return r;
    }

    const std::string lavoro = PercorsoIn(fs, cartellaBase, kNomeFileLavoro);
    const std::string parametri = PercorsoIn(fs, cartellaBase, kNomeFileParametri);

    // The work file exists from here on, even if the save stops for lack of area folders.
    {
        std::unique_ptr<FileScrittura> file;
        Esito e = fs.ApriScrittura(lavoro, ModoScrittura::Aggiungi, file);
        if (e)
            e = file->Chiudi();
        if (!e) {
            r.errori.push_back({lavoro, FallitoCon("apertura in scrittura", e).errore});
            return r;
        }
    }

    std::vector<std::string> aree;
    for (std::string_view area : kCartelleAree) {
        std::string cartella = PercorsoIn(fs, cartellaBase, area);
        if (fs.CartellaEsiste(cartella))
            aree.push_back(std::move(cartella));
    }
    if (aree.empty()) {
        r.esito = EsitoSalvataggio::NessunaArea;
        return r;
    }

    // Rebuild the parameters file into the work file, emptied first.
    bool letturaFallita = false;
    Esito e = ScriviFileCompleto(fs, lavoro, [&](ScritturaBufferizzata& out) {
        CopiaConSostituzione copia(stato.CodiceDitta, record);
        bool assente = false;
        Esito l = LeggiBlocchiFile(fs, parametri, assente, [&](std::string_view blocco) {
            PerOgniRiga(blocco, [&](std::string_view riga) { copia.Riga(riga, out); });
        });
        if (!l && !assente) {
            letturaFallita = true;
            return FallitoCon("lettura", l);
        }
        copia.Chiudi(out);
        return Esito::Riuscito();
    });
    if (!e) {
        r.errori.push_back({letturaFallita ? parametri : lavoro, e.errore});
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
