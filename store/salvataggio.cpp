// The save and its distribution to the area folders, and the upkeep changes built the same way.
#include "store/salvataggio.h"

#include <cstring>
#include <memory>
#include <optional>

#include "store/conferma.h"
#include "store/copie_aree.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/forma.h"
#include "store/righe.h"

namespace velmar {

namespace {

constexpr std::string_view kFineRiga = "\r\n";
constexpr std::size_t kSogliaScrittura = 256 * 1024;

// A change refused for `motivo`, the store's sentence, with what a person can do about it.
Errore Rifiuto(std::string motivo, Rimedio rimedio = Rimedio::Nessuno) {
    Errore e(TipoErrore::NonSalvato, std::move(motivo));
    e.rimedio = rimedio;
    return e;
}

// A line of the code that holds a lone LF: its number, and the company records after the LF.
struct LfNellaRiga {
    std::uint64_t riga = 0;
    std::uint64_t ditte = 0;
};

std::string InizioLf(std::uint64_t riga) {
    return "la riga " + std::to_string(riga) + " ha fini riga Unix (" + std::string(kLfSenzaCr) +
           "): ";
}

// The shape of the file, which a repair mends, would make a change lose or garble companies.
Errore MotivoLf(const LfNellaRiga& lf) {
    std::string m = InizioLf(lf.riga);
    if (lf.ditte == 0) {
        m += "il testo dopo il LF andrebbe perso";
    } else {
        m += RecordDopoLf(lf.ditte) + ", che la modifica cancellerebbe";
    }
    return Rifiuto(std::move(m), Rimedio::Ripara);
}

// A record of the code hidden after a lone LF in line `riga`.
Errore MotivoNascosto(std::uint64_t riga, std::string_view codice) {
    return Rifiuto(InizioLf(riga) + "dopo il LF sta un record della ditta '" +
                       TestoVisibile(codice) +
                       "', che nessun programma elenca e che la modifica lascerebbe com'\xE8",
                   Rimedio::Ripara);
}

// A file that looks like UTF-8 (first seen in line `riga`) and a record beyond ASCII.
Errore MotivoUtf8(std::uint64_t riga) {
    return Rifiuto(FileIn("UTF-8") + " (alla riga " + std::to_string(riga) +
                       "), come lo salvano gli editor, ma il pacchetto legge Windows-1252: il "
                       "nuovo record, che ha caratteri oltre l'ASCII, lo renderebbe misto",
                   Rimedio::Ripara);
}

// Whether a change can be made on text in `codifica`: not on UTF-16.
Esito CodificaModificabile(Codifica codifica) {
    if (codifica == Codifica::Byte)
        return {};
    return Rifiuto(FileIn(NomeCodifica(codifica)) + " (" + std::string(kComeBloccoNote) +
                       "), ma il pacchetto legge Windows-1252: " + std::string(kDitteLetteMale) +
                       " e la modifica lo rovinerebbe",
                   Rimedio::Ripara);
}

// Writes every line of `file` to out(std::string_view), each ending with CR LF, but those whose
// field 5 is `codice`: these become `record`, which is appended when none is, or with no record
// they are left out. A line too long to hold is copied in pieces. Stops (NonSalvato) at a line
// of the code that holds a lone LF (replacing or leaving it out would drop the text after it),
// at a record of the code hidden after a lone LF in another line (it would stay beside the new
// one), and, when `record` holds a character beyond ASCII, at the first line that shows the
// text is UTF-8 (the record would make it mixed). A failure to read is told as one of the step
// "lettura".
template <class Out>
Esito CopiaConSostituzione(FileLettura& file, std::string_view codice,
                           std::optional<std::string_view> record, Out&& out,
                           std::size_t capacita = kBufferLettura) {
    const auto lettura = [](const Errore& e) { return NelPasso("lettura", e); };
    const bool conUtf8 = record && !SoloAscii(*record);
    CercaUtf8 utf8;
    bool trovato = false;
    std::uint64_t numero = 0;
    LettoreRighe lettore(file, capacita);
    RigaLetta riga;
    for (;;) {
        Risultato<bool> letta = lettore.Prossima(riga);
        if (!letta)
            return lettura(letta.Errore());
        if (!*letta)
            break;
        ++numero;
        const CampiRiga campi = riga.Campi(kCampiDitta);
        bool sua = false;
        if (campi.numero == kCampiDitta && campi.Lunghezza(kCampoCodice) == codice.size()) {
            const Risultato<bool> uguale = riga.CampoUguale(campi, kCampoCodice, codice);
            if (!uguale)
                return lettura(uguale.Errore());
            sua = *uguale;
        }
        // What the line holds beyond its fields: a lone LF and what follows it, UTF-8 text.
        DitteDopoLf dopoLf(codice);
        if (riga.Intera()) {
            const std::string_view testo = riga.Testo();
            if (std::memchr(testo.data(), '\n', testo.size()) != nullptr)
                dopoLf.Aggiungi(testo);
            if (conUtf8)
                utf8.Aggiungi(testo);
        } else if (Esito e = riga.Copia([&](std::string_view pezzo) {
                       dopoLf.Aggiungi(pezzo);
                       if (conUtf8)
                           utf8.Aggiungi(pezzo);
                   });
                   !e) {
            return lettura(e.Errore());
        }
        utf8.FineRiga();
        if (sua && dopoLf.Lf())
            return MotivoLf({numero, dopoLf.Ditte()});
        if (!sua && dopoLf.ConCodice())
            return MotivoNascosto(numero, codice);
        if (utf8.Trovato())
            return MotivoUtf8(numero);
        trovato = trovato || sua;
        if (sua && !record)
            continue;
        if (sua) {
            out(*record);
        } else if (Esito e = riga.Copia(out); !e) {
            return lettura(e.Errore());
        }
        out(kFineRiga);
    }
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

// Copies `origine` to a temporary file beside `destinazione`, then replaces the destination.
Esito MettiAlPosto(FileSystem& fs, const std::string& origine, std::string_view cartella,
                   const std::string& destinazione) {
    const std::string temporaneo = PercorsoIn(fs, cartella, kNomeCopiaTemporanea);
    if (Esito e = fs.Copia(origine, temporaneo, destinazione); !e)
        return NelPasso("copia", std::move(e).Errore());
    if (Esito e = fs.Sostituisci(temporaneo, destinazione); !e) {
        (void)fs.Elimina(temporaneo);
        return NelPasso("sostituzione", std::move(e).Errore());
    }
    return {};
}

// Whether a catalog folder can go into a record.
Esito CatalogoAmmesso(const ValoreCatalogo& c) {
    if (!c.rappresentabile) {
        const std::string nome = c.testo.empty() ? "" : " '" + TestoVisibile(c.testo) + "'";
        return Rifiuto("La cartella del catalogo" + nome +
                       " contiene caratteri che Windows-1252 non ha");
    }
    if (!ValoreMemorizzabile(c.testo)) {
        return Rifiuto("La cartella del catalogo '" + TestoVisibile(c.testo) + "' contiene " +
                       std::string(kCaratteriNonAmmessi) + " (';' o un a capo)");
    }
    return {};
}

std::string MotivoOccupato(std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    return "Un altro salvataggio \xE8 in corso nella cartella " + std::string(cartellaBase) +
           ": dopo " + std::to_string((attesa.count() + 999) / 1000) +
           " secondi di attesa non \xE8 stato scritto nulla. Riprova pi\xF9 tardi";
}

// A change that wrote nothing, stopped at `percorso` ("" for none) for `motivo`.
Errore Fermata(TipoErrore tipo, std::string percorso, Errore motivo) {
    return Errore(tipo, "", {{std::move(percorso), std::move(motivo)}});
}

Errore Fermata(std::string percorso, Errore motivo) {
    return Fermata(TipoErrore::NonSalvato, std::move(percorso), std::move(motivo));
}

}  // namespace

std::string MessaggioRiparato(const Riparazione& r) {
    std::string m = "Riparato " + std::string(kNomeFileParametri) + ":";
    std::string_view separatore = " ";
    if (r.fini > 0) {
        m.append(separatore)
            .append(std::to_string(r.fini))
            .append(r.fini == 1 ? " fine riga corretta" : " fini riga corrette")
            .append(" in CR LF");
        separatore = "; ";
    }
    const std::string_view codifica =
        r.codifica == Codifica::Byte ? "UTF-8" : NomeCodifica(r.codifica);
    if (r.bom) {
        m.append(separatore)
            .append("tolto il BOM ")
            .append(r.codifica == Codifica::Byte ? "UTF-8" : "UTF-16");
        separatore = "; ";
    }
    if (r.convertito)
        m.append(separatore)
            .append("testo convertito da ")
            .append(codifica)
            .append(" a Windows-1252");
    return m;
}

std::string MessaggioNessunaArea() {
    std::string m = "Deve esistere almeno una di queste cartelle";
    for (std::size_t i = 0; i < kCartelleAree.size(); ++i)
        m.append(i ? " o '" : " '").append(kCartelleAree[i]).append("'");
    return m + " Setup Interrotto.";
}

std::string MessaggioEliminata(std::string_view codice) {
    return "Ditta '" + TestoVisibile(codice) + "' eliminata";
}

namespace {

// One change of a package, step by step: each step that stops it gives the failure.
class Modifica {
  public:
    Modifica(FileSystem& fs, std::string_view cartellaBase)
        : fs_(fs),
          base_(cartellaBase),
          lavoro_(PercorsoIn(fs, cartellaBase, kNomeFileLavoro)),
          parametri_(PercorsoIn(fs, cartellaBase, kNomeFileParametri)) {}

    const std::string& Parametri() const noexcept { return parametri_; }
    const Aggiornamento& Finora() const noexcept { return fatto_; }

    // A complete folder, then the package's lock: from here to the last copy no other change
    // runs on it.
    Esito Inizia(std::chrono::milliseconds attesa) {
        if (Esito e = CartellaUsabile(fs_, base_); !e) {
            Errore motivo = std::move(e).Errore();
            motivo.percorso.clear();
            return Fermata(std::string(base_), std::move(motivo));
        }
        const std::string fileBlocco = PercorsoIn(fs_, base_, kNomeFileBlocco);
        Risultato<std::unique_ptr<Blocco>> blocco = fs_.Blocca(fileBlocco, attesa);
        if (blocco) {
            blocco_ = *std::move(blocco);
            return {};
        }
        if (blocco.Errore().tipo == TipoErrore::Occupato) {
            return Fermata(TipoErrore::Occupato, "",
                           Errore(TipoErrore::Occupato, MotivoOccupato(base_, attesa)));
        }
        return Fermata(fileBlocco, NelPasso("blocco", std::move(blocco).Errore()));
    }

    // The area folders that exist: none stops the change.
    Esito TrovaAree() {
        aree_ = AreeEsistenti(fs_, base_);
        if (aree_.empty())
            return Errore(TipoErrore::NessunaArea, MessaggioNessunaArea());
        return {};
    }

    // A save stopped for lack of areas leaves its work file as it was, created empty when absent.
    void CreaLavoroSeManca() {
        if (fs_.Tipo(lavoro_) != TipoVoce::Assente)
            return;
        if (Risultato<std::unique_ptr<FileScrittura>> file = fs_.CreaNuovo(lavoro_))
            (void)(*file)->Chiudi();
    }

    // Opens the parameters file; fails as Assente, as the system told it, when the file is
    // missing. One that cannot be read stops the change, and so does one that is missing while
    // area copies of it exist, or holds no company while area copies hold some (a save stopped
    // half way, a file deleted or emptied by hand or by an older tool: rebuilding from it would
    // drop every company the copies hold), or, unless the change converts it, one in UTF-16.
    Risultato<std::unique_ptr<FileLettura>> ApriParametri(bool converte = false) {
        Risultato<std::unique_ptr<FileLettura>> letto = fs_.ApriLettura(parametri_);
        if (!letto && letto.Errore().tipo != TipoErrore::Assente)
            return Fermata(parametri_, NelPasso("lettura", letto.Errore()));
        if (letto) {
            Risultato<std::string> inizio = LeggiInizio(**letto);
            if (!inizio)
                return Fermata(parametri_, NelPasso("lettura", std::move(inizio).Errore()));
            codifica_ = CodificaDaInizio(*inizio);
            if (Esito modificabile = CodificaModificabile(codifica_); !modificabile) {
                if (!converte)
                    return Fermata(parametri_, std::move(modificabile).Errore());
                return letto;  // its companies are counted once it is converted
            }
        }
        std::string copie;
        const auto elenca = [&copie](std::string_view copia, std::string_view nota = {}) {
            copie.append(copie.empty() ? "" : ", ").append(copia).append(nota);
        };
        if (!letto) {
            for (std::string_view area : kCartelleAree) {
                const std::string copia = CopiaDellArea(area);
                if (fs_.Tipo(copia) != TipoVoce::Assente)
                    elenca(copia);
            }
            if (copie.empty())
                return letto;
            return Fermata(parametri_,
                           Rifiuto("il file manca, ma ne esistono copie nelle aree: " + copie,
                                   Rimedio::RimettiCopia));
        }
        Risultato<bool> ditte = HaDitte(**letto);
        if (!ditte)
            return Fermata(parametri_, NelPasso("lettura", std::move(ditte).Errore()));
        if (*ditte)
            return letto;
        for (std::string_view area : kCartelleAree) {
            const std::string copia = CopiaDellArea(area);
            Risultato<std::unique_ptr<FileLettura>> file = fs_.ApriLettura(copia);
            const Risultato<bool> conDitte = file ? HaDitte(**file) : std::move(file).Errore();
            if (!conDitte && conDitte.Errore().tipo != TipoErrore::Assente) {
                elenca(copia, " (" + std::string(kNonSiPuoLeggere) + ")");
            } else if (conDitte && *conDitte) {
                elenca(copia);
            }
        }
        if (copie.empty())
            return letto;
        return Fermata(
            parametri_,
            Rifiuto("il file non ha nessuna ditta, ma le copie nelle aree ne hanno: " + copie,
                    Rimedio::RimettiCopia));
    }

    // Rebuilds the parameters file into the work file, made afresh, with the lines of `codice`
    // replaced by `record` or left out without one (see CopiaConSostituzione), and distributes
    // it. `letto` is the parameters file, closed before any copy.
    Esito Riscrivi(std::unique_ptr<FileLettura> letto, std::string_view codice,
                   std::optional<std::string_view> record) {
        return ScriviLavoro(std::move(letto), [&](FileLettura& file, ScritturaBufferizzata& out) {
            return CopiaConSostituzione(file, codice, record, out);
        });
    }

    // Reads the parameters file `letto` twice: once to tell its shape, once to write its mended
    // bytes into the work file, which is then distributed. A file that needs no repair is
    // copied into the areas whose copy differs from it or is missing; one in UTF-16, or that
    // looks like UTF-8, that cannot be converted stops the change.
    Esito Ripara(std::unique_ptr<FileLettura> letto) {
        LetturaForma lettura(codifica_);
        std::string nulla;
        if (Esito e = LeggiABlocchi(
                *letto, [&](std::string_view pezzo) { lettura.Aggiungi(pezzo, nulla); });
            !e) {
            return Fermata(parametri_, NelPasso("lettura", std::move(e).Errore()));
        }
        const FormaFile forma = lettura.Fine(nulla);
        if (forma.NonConvertibile()) {
            const std::string come = forma.Utf16()
                                         ? "\xE8 in " + std::string(NomeCodifica(forma.codifica))
                                         : "sembra UTF-8";
            return Fermata(
                parametri_,
                Rifiuto("il testo " + come + ", ma non si pu\xF2 convertire in Windows-1252: " +
                            MotivoNonConvertibile(forma),
                        Rimedio::CorreggiAMano));
        }
        if (forma.InOrdine()) {
            letto.reset();
            return Distribuisci(parametri_, true);
        }
        fatto_.riparazione = {forma.finiDaRiparare, forma.bom, forma.DaConvertire(),
                              forma.codifica};
        return ScriviLavoro(std::move(letto), [&](FileLettura& file, ScritturaBufferizzata& out) {
            LetturaForma riparazione(forma);
            std::string pezzi;
            Esito e = LeggiABlocchi(file, [&](std::string_view pezzo) {
                riparazione.Aggiungi(pezzo, pezzi);
                out(pezzi);
                pezzi.clear();
            });
            (void)riparazione.Fine(pezzi);
            out(pezzi);
            if (!e)
                return Esito(NelPasso("lettura", std::move(e).Errore()));
            return e;
        });
    }

    // Puts a copy of `origine` in place of the base folder's file (unless it is that file) and
    // then of every area's, or with `soloDiverse` of those whose copy is missing or differs from
    // the base folder's file: the base first, so that the areas never get ahead of it. The
    // copies are examined first (EsaminaCopie): one that cannot be read is left as it is, one
    // with companies of its own is kept whole (ConservaCopia) just before it is replaced, or left
    // as it is when it cannot be kept. Fails when the base folder's file kept its old content,
    // when it or `origine` cannot be read for the examination, or for a new distribution when
    // every copy to update kept its old content.
    Esito Distribuisci(const std::string& origine, bool soloDiverse = false) {
        Risultato<std::vector<EsameCopia>> esami = EsaminaCopie(fs_, aree_, parametri_, origine);
        if (!esami) {
            if (origine == lavoro_)
                (void)fs_.Elimina(lavoro_);
            Errore e = std::move(esami).Errore();
            std::string percorso = std::move(e.percorso);
            e.percorso.clear();
            return Fermata(std::move(percorso), NelPasso("lettura", std::move(e)));
        }
        if (origine != parametri_) {
            if (Esito e = MettiAlPosto(fs_, origine, base_, parametri_); !e) {
                (void)fs_.Elimina(origine);
                return Fermata(parametri_, std::move(e).Errore());
            }
            fatto_.aggiornati.push_back(parametri_);
        }
        for (std::size_t i = 0; i < aree_.size(); ++i) {
            EsameCopia& esame = (*esami)[i];
            if (soloDiverse && esame.stato == StatoCopia::Uguale)
                continue;
            if (Esito e = AggiornaCopia(origine, aree_[i], esame); !e)
                fatto_.nonAggiornati.push_back({std::move(esame.copia), std::move(e).Errore()});
        }
        if (origine == lavoro_) {
            if (Esito e = fs_.Elimina(lavoro_); !e)
                fatto_.avvisi.push_back({lavoro_, NelPasso("eliminazione", std::move(e).Errore())});
        }
        if (fatto_.aggiornati.empty() && !fatto_.nonAggiornati.empty())
            return Errore(TipoErrore::NonSalvato, "", std::move(fatto_.nonAggiornati));
        return {};
    }

    // What the change did.
    Aggiornamento Fatto(TipoModifica modifica) {
        Aggiornamento a = std::move(fatto_);
        a.modifica = modifica;
        return a;
    }

  private:
    std::string CopiaDellArea(std::string_view area) const {
        return PercorsoIn(fs_, PercorsoIn(fs_, base_, area), kNomeFileParametri);
    }

    // Replaces the copy `esame` tells of, in the folder `area`, with a copy of `origine`,
    // keeping it first when it holds companies of its own.
    Esito AggiornaCopia(const std::string& origine, const std::string& area, EsameCopia& esame) {
        if (esame.stato == StatoCopia::Illeggibile) {
            Errore e(TipoErrore::Sistema,
                     "la copia resta com'\xE8: non si sa se ha ditte che il file della cartella "
                     "del pacchetto non ha, perch\xE9 " +
                         std::string(kNonSiPuoLeggere));
            if (esame.errore)
                e.causa.push_back(std::move(*esame.errore));
            return e;
        }
        if (!esame.proprie.empty()) {
            Risultato<std::string> conservata = ConservaCopia(fs_, area, esame.copia);
            if (!conservata) {
                Errore e(TipoErrore::Sistema,
                         "la copia resta com'\xE8: ha ditte che il file della cartella del "
                         "pacchetto non ha, e non si \xE8 potuta conservare");
                e.causa.push_back(std::move(conservata).Errore());
                return e;
            }
            fatto_.conservate.push_back(
                {esame.copia, *std::move(conservata), std::move(esame.proprie)});
        }
        if (Esito e = MettiAlPosto(fs_, origine, area, esame.copia); !e)
            return e;
        fatto_.aggiornati.push_back(esame.copia);
        return {};
    }

    // Writes the work file, made afresh, with scrivi(FileLettura&, out), which reads `letto`
    // and fails with what is wrong with it; then distributes the work file. Only a work file
    // this change made is ever removed. The work file is not forced onto the disk: only this
    // change copies it, and each copy is.
    template <class Scrivi>
    Esito ScriviLavoro(std::unique_ptr<FileLettura> letto, Scrivi&& scrivi) {
        Risultato<std::unique_ptr<FileScrittura>> file = fs_.CreaNuovo(lavoro_);
        if (!file)
            return Fermata(lavoro_, NelPasso("creazione", std::move(file).Errore()));
        ScritturaBufferizzata out(**file);
        const Esito letturaFatta = scrivi(*letto, out);
        const Esito scrittura = letturaFatta ? out.Fine() : Esito();
        const Esito chiusura = (*file)->Chiudi();
        letto.reset();
        if (letturaFatta && scrittura && chiusura)
            return Distribuisci(lavoro_);
        (void)fs_.Elimina(lavoro_);
        if (!letturaFatta)
            return Fermata(parametri_, letturaFatta.Errore());
        return Fermata(lavoro_, !scrittura ? NelPasso("scrittura", scrittura.Errore())
                                           : NelPasso("chiusura", chiusura.Errore()));
    }

    FileSystem& fs_;
    std::string_view base_;
    std::string lavoro_;
    std::string parametri_;
    std::unique_ptr<Blocco> blocco_;
    std::vector<std::string> aree_;
    Codifica codifica_ = Codifica::Byte;
    Aggiornamento fatto_;
};

// The parameters file for a change that may start from nothing: a missing file has no lines.
Risultato<std::unique_ptr<FileLettura>> ParametriOVuoto(Modifica& m) {
    Risultato<std::unique_ptr<FileLettura>> letto = m.ApriParametri();
    if (!letto && letto.Errore().tipo == TipoErrore::Assente)
        return std::unique_ptr<FileLettura>(std::make_unique<LetturaDaTesto>(""));
    return letto;
}

// The start of an upkeep change that works on the base folder's file as it is: the lock, the
// areas, then the file, whose absence stops it (`manca` says why it needs one).
Risultato<std::unique_ptr<FileLettura>> IniziaSulFile(Modifica& m, std::chrono::milliseconds attesa,
                                                      std::string_view manca,
                                                      bool converte = false) {
    if (Esito e = m.Inizia(attesa); !e)
        return std::move(e).Errore();
    if (Esito e = m.TrovaAree(); !e)
        return std::move(e).Errore();
    Risultato<std::unique_ptr<FileLettura>> letto = m.ApriParametri(converte);
    if (!letto && letto.Errore().tipo == TipoErrore::Assente)
        return Fermata(m.Parametri(), Rifiuto("il file manca: " + std::string(manca)));
    return letto;
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

Risultato<std::string> SostituisciInTesto(std::string_view testo, std::string_view codice,
                                          std::string_view record, std::size_t capacita) {
    if (Esito e = CodificaModificabile(CodificaDaInizio(testo)); !e)
        return std::move(e).Errore();
    std::string out;
    out.reserve(testo.size() + record.size() + 64);
    LetturaDaTesto file(testo);
    if (Esito e = CopiaConSostituzione(
            file, codice, record, [&](std::string_view dati) { out.append(dati); }, capacita);
        !e) {
        return std::move(e).Errore();
    }
    return out;
}

RisultatoModifica SalvaDitta(FileSystem& fs, const DatiDitta& dati, const ValoreCatalogo& catalogo,
                             std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    if (Esito e = CatalogoAmmesso(catalogo); !e)
        return Fermata("", std::move(e).Errore());
    const std::string record = ComponiRecord(dati, catalogo.testo);
    Modifica m(fs, cartellaBase);
    if (Esito e = m.Inizia(attesa); !e)
        return std::move(e).Errore();
    if (Esito e = m.TrovaAree(); !e) {
        m.CreaLavoroSeManca();
        return std::move(e).Errore();
    }
    Risultato<std::unique_ptr<FileLettura>> letto = ParametriOVuoto(m);
    if (!letto)
        return std::move(letto).Errore();
    if (Esito e = m.Riscrivi(*std::move(letto), dati.CodiceDitta, record); !e)
        return std::move(e).Errore();
    return m.Fatto(TipoModifica::Salvataggio);
}

RisultatoModifica EliminaDitta(FileSystem& fs, std::string_view codice,
                               std::string_view cartellaBase, std::chrono::milliseconds attesa) {
    Modifica m(fs, cartellaBase);
    if (Esito e = m.Inizia(attesa); !e)
        return std::move(e).Errore();
    Risultato<std::unique_ptr<FileLettura>> letto = ParametriOVuoto(m);
    if (!letto)
        return std::move(letto).Errore();
    // Nothing is written, not even the work file, for a code that no line carries.
    if (Risultato<RisultatoRicerca> ditta = CercaCodice(**letto, codice); !ditta) {
        if (ditta.Errore().tipo == TipoErrore::DittaNonTrovata)
            return std::move(ditta).Errore();
        return Fermata(m.Parametri(), NelPasso("lettura", std::move(ditta).Errore()));
    }
    if (Esito e = m.TrovaAree(); !e) {
        m.CreaLavoroSeManca();
        return std::move(e).Errore();
    }
    if (Esito e = m.Riscrivi(*std::move(letto), codice, std::nullopt); !e)
        return std::move(e).Errore();
    Aggiornamento a = m.Fatto(TipoModifica::Eliminazione);
    a.codice = codice;
    return a;
}

RisultatoModifica DistribuisciFile(FileSystem& fs, std::string_view cartellaBase,
                                   std::chrono::milliseconds attesa) {
    Modifica m(fs, cartellaBase);
    if (Risultato<std::unique_ptr<FileLettura>> letto =
            IniziaSulFile(m, attesa, "non c'\xE8 nulla da copiare");
        !letto) {
        return std::move(letto).Errore();
    }
    if (Esito e = m.Distribuisci(m.Parametri()); !e)
        return std::move(e).Errore();
    return m.Fatto(TipoModifica::Distribuzione);
}

RisultatoModifica RiparaFile(FileSystem& fs, std::string_view cartellaBase,
                             std::chrono::milliseconds attesa) {
    Modifica m(fs, cartellaBase);
    Risultato<std::unique_ptr<FileLettura>> letto =
        IniziaSulFile(m, attesa, "non c'\xE8 nulla da riparare", true);
    if (!letto)
        return std::move(letto).Errore();
    if (Esito e = m.Ripara(*std::move(letto)); !e)
        return std::move(e).Errore();
    Aggiornamento a = m.Fatto(TipoModifica::Riparazione);
    a.nienteDaRiparare =
        a.riparazione == Riparazione{} && a.aggiornati.empty() && a.nonAggiornati.empty();
    return a;
}

std::string DescrizioneConservata(const CopiaConservata& c) {
    constexpr std::size_t kCodiciNominati = 10;
    std::string codici;
    for (std::size_t i = 0; i < c.codici.size() && i < kCodiciNominati; ++i)
        codici.append(i ? ", " : "").append(TestoVisibile(c.codici[i]));
    if (c.codici.size() > kCodiciNominati)
        codici.append(" e altre ").append(std::to_string(c.codici.size() - kCodiciNominati));
    return std::string(c.codici.size() == 1 ? "aveva la ditta " : "aveva le ditte ") + codici +
           ", che il file della cartella del pacchetto non ha; la copia \xE8 conservata intera "
           "in " +
           c.conservata;
}

Errore CartellaNonDisponibile(Errore causa) {
    Errore motivo(TipoErrore::CartellaNonDisponibile, std::string(kCartellaNonDisponibile));
    motivo.causa.push_back(std::move(causa));
    return Fermata("", std::move(motivo));
}

}  // namespace velmar
