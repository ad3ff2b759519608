// The save and its distribution to the area folders, and the upkeep changes built the same way.
#include "store/salvataggio.h"

#include <cstring>
#include <memory>
#include <optional>

#include "store/copie_aree.h"
#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/forma.h"
#include "store/righe.h"

namespace velmar {

namespace {

constexpr std::string_view kFineRiga = "\r\n";
constexpr std::size_t kSogliaScrittura = 256 * 1024;

// "passo: testo" for a failure of one step.
std::string Passo(std::string_view passo, const Errore& e) {
    std::string m(passo);
    return m.append(": ").append(e.testo);
}

// A line of the code that holds a lone LF: its number, and the company records after the LF.
struct LfNellaRiga {
    std::uint64_t riga = 0;
    std::uint64_t ditte = 0;
};

// The end of the reasons of a change refused for the shape of the file, which a repair mends.
constexpr std::string_view kRiparaERiprova =
    ". Non \xE8 stato scritto nulla: ripara il pacchetto con SetupVelmarCmd ripara e riprova";

std::string InizioLf(std::uint64_t riga) {
    return "la riga " + std::to_string(riga) + " ha fini riga Unix (LF senza CR): ";
}

std::string MotivoLf(const LfNellaRiga& lf) {
    std::string m = InizioLf(lf.riga);
    if (lf.ditte == 0) {
        m += "il testo dopo il LF andrebbe perso";
    } else {
        m += "dopo il LF stanno " + std::to_string(lf.ditte) +
             (lf.ditte == 1 ? " record di ditta" : " record di ditte") +
             ", che la modifica cancellerebbe";
    }
    return m.append(kRiparaERiprova);
}

// A record of the code hidden after a lone LF in line `riga`.
std::string MotivoNascosto(std::uint64_t riga, std::string_view codice) {
    return InizioLf(riga) + "dopo il LF sta un record della ditta '" + TestoVisibile(codice) +
           "', che nessun programma elenca e che la modifica lascerebbe com'\xE8" +
           std::string(kRiparaERiprova);
}

// A file that looks like UTF-8 (first seen in line `riga`) and a record beyond ASCII.
std::string MotivoUtf8(std::uint64_t riga) {
    return "il file \xE8 in UTF-8 (alla riga " + std::to_string(riga) +
           "), come lo salvano gli editor, ma il pacchetto legge Windows-1252: il nuovo record, "
           "che ha caratteri oltre l'ASCII, lo renderebbe misto" +
           std::string(kRiparaERiprova);
}

// Why a change cannot be made on text in `codifica`, or nothing when it can.
std::optional<std::string> MotivoCodifica(Codifica codifica) {
    if (codifica == Codifica::Byte)
        return std::nullopt;
    return "il file \xE8 in " + std::string(NomeCodifica(codifica)) +
           " (come lo salva Blocco note con la codifica Unicode), ma il pacchetto legge "
           "Windows-1252: i programmi ne leggono male ogni ditta e la modifica lo rovinerebbe" +
           std::string(kRiparaERiprova);
}

// Writes every line of `file` to out(std::string_view), each ending with CR LF, but those whose
// field 5 is `codice`: these become `record`, which is appended when none is, or with no record
// they are left out. A line too long to hold is copied in pieces. Stops (NonSalvato) at a line
// of the code that holds a lone LF (replacing or leaving it out would drop the text after it),
// at a record of the code hidden after a lone LF in another line (it would stay beside the new
// one), and, when `record` holds a character beyond ASCII, at the first line that shows the
// text is UTF-8 (the record would make it mixed). A failure to read is told as "lettura: ...".
template <class Out>
Esito CopiaConSostituzione(FileLettura& file, std::string_view codice,
                           std::optional<std::string_view> record, Out&& out,
                           std::size_t capacita = kBufferLettura) {
    const auto lettura = [](const Errore& e) { return Errore(e.tipo, Passo("lettura", e)); };
    const bool conUtf8 = record && !SoloAscii(*record);
    CercaUtf8 utf8;
    bool trovato = false;
    std::uint64_t numero = 0;
    LettoreRighe lettore(file, capacita);
    for (RigaLetta riga; lettore.Prossima(riga);) {
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
            return Errore(TipoErrore::NonSalvato, MotivoLf({numero, dopoLf.Ditte()}));
        if (!sua && dopoLf.ConCodice())
            return Errore(TipoErrore::NonSalvato, MotivoNascosto(numero, codice));
        if (utf8.Trovato())
            return Errore(TipoErrore::NonSalvato, MotivoUtf8(numero));
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
    if (!lettore.EsitoLettura())
        return lettura(lettore.EsitoLettura().Errore());
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
        return Errore(TipoErrore::Sistema, Passo("copia", e.Errore()));
    if (Esito e = fs.Sostituisci(temporaneo, destinazione); !e) {
        (void)fs.Elimina(temporaneo);
        return Errore(TipoErrore::Sistema, Passo("sostituzione", e.Errore()));
    }
    return {};
}

// Why a catalog folder cannot go into a record, or nothing when it can.
std::optional<std::string> CatalogoNonAmmesso(const ValoreCatalogo& c) {
    if (!c.rappresentabile) {
        const std::string nome = c.testo.empty() ? "" : " '" + TestoVisibile(c.testo) + "'";
        return "La cartella del catalogo" + nome + " contiene caratteri che Windows-1252 non ha";
    }
    if (!ValoreMemorizzabile(c.testo)) {
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

// "Salvataggio non riuscito." and a line for each path with its reason.
std::string MessaggioNonRiuscito(const std::vector<PercorsoNonAggiornato>& percorsi) {
    std::string m(kMsgSalvataggioNonRiuscito);
    for (const PercorsoNonAggiornato& p : percorsi) {
        m.append("\r\n");
        if (!p.percorso.empty())
            m.append(p.percorso).append(": ");
        m.append(p.motivo);
    }
    return m;
}

// A change that wrote nothing, stopped at `percorso` ("" for none) for `motivo`.
Errore Fermata(TipoErrore tipo, std::string percorso, std::string motivo) {
    std::vector<PercorsoNonAggiornato> percorsi = {{std::move(percorso), std::move(motivo)}};
    std::string testo = MessaggioNonRiuscito(percorsi);
    return Errore(tipo, std::move(testo), std::move(percorsi));
}

Errore Fermata(std::string percorso, std::string motivo) {
    return Fermata(TipoErrore::NonSalvato, std::move(percorso), std::move(motivo));
}

// `titolo` followed by each of `percorsi` on a line of its own.
std::string ConPercorsi(std::string titolo, const std::vector<std::string>& percorsi) {
    for (const std::string& p : percorsi)
        titolo.append("\r\n").append(p);
    return titolo;
}

std::string Riparato(const Aggiornamento& a) {
    const Riparazione& r = a.riparazione;
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
    return ConPercorsi(std::move(m.append("\r\nFile aggiornati:")), a.aggiornati);
}

// The lines that tell the copies kept.
std::string Conservate(const std::vector<CopiaConservata>& conservate) {
    std::string m;
    for (const CopiaConservata& c : conservate)
        m.append("\r\n\r\n").append(c.copia).append(": ").append(DescrizioneConservata(c));
    return m;
}

constexpr std::string_view kRimetti =
    "Non \xE8 stato scritto nulla: rimetti una delle copie al suo posto e riprova";

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
        if (const auto motivo = CartellaNonUsabile(fs_, base_))
            return Fermata(std::string(base_), std::string(*motivo));
        const std::string fileBlocco = PercorsoIn(fs_, base_, kNomeFileBlocco);
        Risultato<std::unique_ptr<Blocco>> blocco = fs_.Blocca(fileBlocco, attesa);
        if (blocco) {
            blocco_ = *std::move(blocco);
            return {};
        }
        if (blocco.Errore().tipo == TipoErrore::Occupato)
            return Fermata(TipoErrore::Occupato, "", MotivoOccupato(base_, attesa));
        return Fermata(fileBlocco, Passo("blocco", blocco.Errore()));
    }

    // The area folders that exist: none stops the change.
    Esito TrovaAree() {
        aree_ = AreeEsistenti(fs_, base_);
        if (aree_.empty())
            return Errore(TipoErrore::NessunaArea, std::string(kMsgNessunaArea));
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
            return Fermata(parametri_, Passo("lettura", letto.Errore()));
        if (letto) {
            const Risultato<std::string> inizio = LeggiInizio(**letto);
            if (!inizio)
                return Fermata(parametri_, Passo("lettura", inizio.Errore()));
            codifica_ = CodificaDaInizio(*inizio);
            if (std::optional<std::string> motivo = MotivoCodifica(codifica_); motivo) {
                if (!converte)
                    return Fermata(parametri_, std::move(*motivo));
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
            return Fermata(parametri_, "il file manca, ma ne esistono copie nelle aree: " + copie +
                                           ". " + std::string(kRimetti));
        }
        const Risultato<bool> ditte = HaDitte(**letto);
        if (!ditte)
            return Fermata(parametri_, Passo("lettura", ditte.Errore()));
        if (*ditte)
            return letto;
        for (std::string_view area : kCartelleAree) {
            const std::string copia = CopiaDellArea(area);
            Risultato<std::unique_ptr<FileLettura>> file = fs_.ApriLettura(copia);
            const Risultato<bool> conDitte = file ? HaDitte(**file) : std::move(file).Errore();
            if (!conDitte && conDitte.Errore().tipo != TipoErrore::Assente) {
                elenca(copia, " (non si pu\xF2 leggere)");
            } else if (conDitte && *conDitte) {
                elenca(copia);
            }
        }
        if (copie.empty())
            return letto;
        return Fermata(parametri_,
                       "il file non ha nessuna ditta, ma le copie nelle aree ne hanno: " + copie +
                           ". " + std::string(kRimetti));
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
            return Fermata(parametri_, Passo("lettura", e.Errore()));
        }
        const FormaFile forma = lettura.Fine(nulla);
        if (forma.NonConvertibile()) {
            const std::string come = forma.Utf16()
                                         ? "\xE8 in " + std::string(NomeCodifica(forma.codifica))
                                         : "sembra UTF-8";
            return Fermata(parametri_,
                           "il testo " + come + ", ma non si pu\xF2 convertire in Windows-1252: " +
                               MotivoNonConvertibile(forma) +
                               ". Non \xE8 stato scritto nulla: correggi il file a mano");
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
                return Esito(Errore(e.Errore().tipo, Passo("lettura", e.Errore())));
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
            const PercorsoNonAggiornato& p = esami.Errore().percorsi.front();
            return Fermata(p.percorso, "lettura: " + p.motivo);
        }
        if (origine != parametri_) {
            if (Esito e = MettiAlPosto(fs_, origine, base_, parametri_); !e) {
                (void)fs_.Elimina(origine);
                return Fermata(parametri_, e.Errore().testo);
            }
            fatto_.aggiornati.push_back(parametri_);
        }
        for (std::size_t i = 0; i < aree_.size(); ++i) {
            EsameCopia& esame = (*esami)[i];
            if (soloDiverse && esame.stato == StatoCopia::Uguale)
                continue;
            if (Esito e = AggiornaCopia(origine, aree_[i], esame); !e)
                fatto_.nonAggiornati.push_back({std::move(esame.copia), e.Errore().testo});
        }
        if (origine == lavoro_) {
            if (Esito e = fs_.Elimina(lavoro_); !e)
                fatto_.avvisi.push_back({lavoro_, Passo("eliminazione", e.Errore())});
        }
        if (fatto_.aggiornati.empty() && !fatto_.nonAggiornati.empty()) {
            std::string testo = MessaggioNonRiuscito(fatto_.nonAggiornati);
            return Errore(TipoErrore::NonSalvato, std::move(testo),
                          std::move(fatto_.nonAggiornati));
        }
        return {};
    }

    // What the change did, with `riuscito` as what it says when every target was updated.
    Aggiornamento Fatto(std::string riuscito) {
        Aggiornamento a = std::move(fatto_);
        a.messaggio = a.Completo() ? std::move(riuscito) : MessaggioNonRiuscito(a.nonAggiornati);
        a.messaggio.append(Conservate(a.conservate));
        for (const PercorsoNonAggiornato& p : a.avvisi) {
            a.messaggio.append("\r\n\r\nFile non eliminato: ")
                .append(p.percorso)
                .append(": ")
                .append(p.motivo);
        }
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
            return Errore(TipoErrore::Sistema,
                          "la copia non si pu\xF2 leggere (" + esame.motivo +
                              "): non si sa se ha ditte che il file della cartella del pacchetto "
                              "non ha, e resta com'\xE8");
        }
        if (!esame.proprie.empty()) {
            Risultato<std::string> conservata = ConservaCopia(fs_, area, esame.copia);
            if (!conservata) {
                return Errore(TipoErrore::Sistema,
                              "ha ditte che il file della cartella del pacchetto non ha, e non si "
                              "\xE8 potuta conservare (" +
                                  conservata.Errore().testo + "): resta com'\xE8");
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
            return Fermata(lavoro_, Passo("creazione", file.Errore()));
        ScritturaBufferizzata out(**file);
        const Esito letturaFatta = scrivi(*letto, out);
        const Esito scrittura = letturaFatta ? out.Fine() : Esito();
        const Esito chiusura = (*file)->Chiudi();
        letto.reset();
        if (letturaFatta && scrittura && chiusura)
            return Distribuisci(lavoro_);
        (void)fs_.Elimina(lavoro_);
        if (!letturaFatta)
            return Fermata(parametri_, letturaFatta.Errore().testo);
        return Fermata(lavoro_, !scrittura ? Passo("scrittura", scrittura.Errore())
                                           : Passo("chiusura", chiusura.Errore()));
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
        return Fermata(m.Parametri(), "il file manca: " + std::string(manca));
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
    if (std::optional<std::string> motivo = MotivoCodifica(CodificaDaInizio(testo)))
        return Errore(TipoErrore::NonSalvato, std::move(*motivo));
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
    if (std::optional<std::string> motivo = CatalogoNonAmmesso(catalogo))
        return Fermata("", std::move(*motivo));
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
    return m.Fatto(std::string(kMsgSetupTerminato));
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
        return Fermata(m.Parametri(), Passo("lettura", ditta.Errore()));
    }
    if (Esito e = m.TrovaAree(); !e) {
        m.CreaLavoroSeManca();
        return std::move(e).Errore();
    }
    if (Esito e = m.Riscrivi(*std::move(letto), codice, std::nullopt); !e)
        return std::move(e).Errore();
    return m.Fatto("Ditta '" + TestoVisibile(codice) + "' eliminata");
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
    return m.Fatto(ConPercorsi("Copie aggiornate:", m.Finora().aggiornati));
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
    const Aggiornamento& fatto = m.Finora();
    if (fatto.riparazione != Riparazione{})
        return m.Fatto(Riparato(fatto));
    if (fatto.aggiornati.empty() && fatto.nonAggiornati.empty()) {
        Aggiornamento a = m.Fatto("Nessuna riparazione necessaria");
        a.nienteDaRiparare = true;
        return a;
    }
    return m.Fatto(ConPercorsi(
        std::string(kNomeFileParametri) + " non aveva nulla da riparare; copie aggiornate:",
        fatto.aggiornati));
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

Errore CartellaNonDisponibile(std::string_view dettaglio) {
    std::string motivo(kCartellaNonDisponibile);
    if (!dettaglio.empty())
        motivo.append(": ").append(dettaglio);
    return Fermata("", std::move(motivo));
}

}  // namespace velmar
