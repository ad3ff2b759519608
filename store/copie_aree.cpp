// The area copies before a change replaces them: compared, their own companies found, kept.
#include "store/copie_aree.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "store/ditte.h"
#include "store/righe.h"
#include "store/salvataggio.h"

namespace velmar {

namespace {

// At most so many copies kept in one area folder.
constexpr int kMassimoConservate = 1000;

// The codes of a text given in pieces, its lines cut at every CR and every LF: field 5 of each
// line with six fields or more, passed to fn(std::string).
// "a;b;c;d;e;001;m\nx;;;;;002" -> "001", "002".
class CodiciDelTesto {
  public:
    template <class Fn>
    void Aggiungi(std::string_view pezzo, Fn&& fn) {
        for (const char c : pezzo) {
            if (c == '\r' || c == '\n') {
                Chiudi(fn);
                separatori_ = 0;
            } else if (c == ';') {
                Chiudi(fn);
                separatori_ += separatori_ <= kCampoCodice ? 1 : 0;
            } else if (separatori_ == kCampoCodice) {
                codice_ += c;
            }
        }
    }
    // After the last piece.
    template <class Fn>
    void Fine(Fn&& fn) {
        Chiudi(fn);
    }

  private:
    // The end of a field: of field 5, its code.
    template <class Fn>
    void Chiudi(Fn& fn) {
        if (separatori_ == kCampoCodice)
            fn(std::move(codice_));
        codice_.clear();
    }
    std::size_t separatori_ = 0;
    std::string codice_;
};

// The codes of a copy, each once: held sorted, so that a code found elsewhere is struck out by a
// search; given back in the copy's order.
class CodiciCopia {
  public:
    void Aggiungi(std::string codice) { codici_.push_back({std::move(codice), codici_.size()}); }
    // After the last Aggiungi: sorted, each code once, at its first place.
    void Ordina() {
        std::sort(codici_.begin(), codici_.end(), [](const Codice& a, const Codice& b) {
            return a.testo != b.testo ? a.testo < b.testo : a.ordine < b.ordine;
        });
        codici_.erase(
            std::unique(codici_.begin(), codici_.end(),
                        [](const Codice& a, const Codice& b) { return a.testo == b.testo; }),
            codici_.end());
    }
    void Togli(const std::string& codice) {
        const auto it = std::lower_bound(
            codici_.begin(), codici_.end(), codice,
            [](const Codice& c, const std::string& cercato) { return c.testo < cercato; });
        if (it != codici_.end() && it->testo == codice)
            it->altrove = true;
    }
    // The codes not struck out, in the copy's order.
    std::vector<std::string> Rimasti() && {
        std::erase_if(codici_, [](const Codice& c) { return c.altrove; });
        std::sort(codici_.begin(), codici_.end(),
                  [](const Codice& a, const Codice& b) { return a.ordine < b.ordine; });
        std::vector<std::string> r;
        r.reserve(codici_.size());
        for (Codice& c : codici_)
            r.push_back(std::move(c.testo));
        return r;
    }

  private:
    struct Codice {
        std::string testo;
        std::size_t ordine;
        bool altrove = false;
    };
    std::vector<Codice> codici_;
};

// Passes every code of `file` to fn(std::string).
template <class Fn>
Esito OgniCodice(FileLettura& file, Fn&& fn) {
    CodiciDelTesto codici;
    Esito e = LeggiABlocchi(file, [&](std::string_view pezzo) { codici.Aggiungi(pezzo, fn); });
    if (e)
        codici.Fine(fn);
    return e;
}

// A failure to read the file at `percorso`.
Errore Lettura(const std::string& percorso, Errore causa) {
    Errore e(causa.tipo, "");
    e.percorso = percorso;
    e.causa.push_back(std::move(causa));
    return e;
}

// A copy being compared: its file, and whether it is still equal so far.
struct Confronto {
    std::size_t indice;
    std::unique_ptr<FileLettura> file;
};

// Compares the files of `confronti` with `vecchio` (null: empty), block by block, reading
// `vecchio` once; marks each copy in `esami` Uguale, Diversa or Illeggibile.
Esito Confronta(FileLettura* vecchio, std::vector<Confronto>& confronti,
                std::vector<EsameCopia>& esami) {
    const std::uint64_t dimensione = vecchio ? vecchio->Dimensione() : 0;
    std::vector<Confronto*> aperti;
    for (Confronto& c : confronti) {
        if (c.file->Dimensione() == dimensione) {
            aperti.push_back(&c);
        } else {
            esami[c.indice].stato = StatoCopia::Diversa;
        }
    }
    const auto illeggibile = [&](Confronto* c, const Errore& e) {
        esami[c->indice].stato = StatoCopia::Illeggibile;
        esami[c->indice].errore = e;
    };
    const std::unique_ptr<char[]> base = std::make_unique_for_overwrite<char[]>(kBufferLettura);
    const std::unique_ptr<char[]> copia = std::make_unique_for_overwrite<char[]>(kBufferLettura);
    for (std::uint64_t posizione = 0; !aperti.empty();) {
        std::size_t letti = 0;
        if (vecchio) {
            Risultato<std::size_t> n = vecchio->Leggi(posizione, base.get(), kBufferLettura);
            if (!n)
                return std::move(n).Errore();
            letti = *n;
        }
        std::vector<Confronto*> ancora;
        for (Confronto* c : aperti) {
            // At the end of `vecchio`, one byte more tells a copy that goes on.
            const std::size_t chiesti = letti == 0 ? 1 : letti;
            const Risultato<std::size_t> n = LeggiIntero(*c->file, posizione, copia.get(), chiesti);
            if (!n) {
                illeggibile(c, n.Errore());
                continue;
            }
            const std::size_t presi = *n;
            if (letti == 0) {
                esami[c->indice].stato = presi == 0 ? StatoCopia::Uguale : StatoCopia::Diversa;
            } else if (presi != letti || std::memcmp(base.get(), copia.get(), letti) != 0) {
                esami[c->indice].stato = StatoCopia::Diversa;
            } else {
                ancora.push_back(c);
            }
        }
        aperti = std::move(ancora);
        posizione += letti;
    }
    return {};
}

}  // namespace

Risultato<std::vector<EsameCopia>> EsaminaCopie(FileSystem& fs,
                                                const std::vector<std::string>& aree,
                                                const std::string& vecchio,
                                                const std::string& nuovo) {
    std::vector<EsameCopia> esami;
    std::vector<Confronto> confronti;
    for (const std::string& area : aree) {
        EsameCopia esame;
        esame.copia = PercorsoIn(fs, area, kNomeFileParametri);
        Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(esame.copia);
        if (file) {
            confronti.push_back({esami.size(), *std::move(file)});
        } else if (file.Errore().tipo != TipoErrore::Assente) {
            esame.stato = StatoCopia::Illeggibile;
            esame.errore = file.Errore();
        }
        esami.push_back(std::move(esame));
    }
    if (confronti.empty())
        return esami;

    const auto apri =
        [&fs](const std::string& percorso) -> Risultato<std::unique_ptr<FileLettura>> {
        Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(percorso);
        if (!file && file.Errore().tipo == TipoErrore::Assente)
            return std::unique_ptr<FileLettura>();
        if (!file)
            return Lettura(percorso, file.Errore());
        return file;
    };
    Risultato<std::unique_ptr<FileLettura>> base = apri(vecchio);
    if (!base)
        return std::move(base).Errore();
    if (Esito e = Confronta(base->get(), confronti, esami); !e)
        return Lettura(vecchio, e.Errore());

    // The codes of each copy that differs, once each, then those that either base file has
    // struck out.
    std::vector<CodiciCopia> codici(esami.size());
    bool diverse = false;
    for (Confronto& c : confronti) {
        EsameCopia& esame = esami[c.indice];
        if (esame.stato != StatoCopia::Diversa)
            continue;
        diverse = true;
        if (Esito e = OgniCodice(
                *c.file, [&](std::string codice) { codici[c.indice].Aggiungi(std::move(codice)); });
            !e) {
            esame.stato = StatoCopia::Illeggibile;
            esame.errore = e.Errore();
            codici[c.indice] = CodiciCopia();
        }
        codici[c.indice].Ordina();
        c.file.reset();
    }
    if (!diverse)
        return esami;
    const auto togli = [&](const std::string& codice) {
        for (CodiciCopia& c : codici)
            c.Togli(codice);
    };
    if (*base) {
        if (Esito e = OgniCodice(**base, togli); !e)
            return Lettura(vecchio, e.Errore());
    }
    if (nuovo != vecchio) {
        Risultato<std::unique_ptr<FileLettura>> file = apri(nuovo);
        if (!file)
            return std::move(file).Errore();
        if (*file) {
            if (Esito e = OgniCodice(**file, togli); !e)
                return Lettura(nuovo, e.Errore());
        }
    }
    for (std::size_t i = 0; i < esami.size(); ++i)
        esami[i].proprie = std::move(codici[i]).Rimasti();
    return esami;
}

Risultato<std::string> ConservaCopia(FileSystem& fs, std::string_view area,
                                     const std::string& copia) {
    for (int n = 0; n < kMassimoConservate; ++n) {
        std::string nome(kNomeCopiaConservata);
        if (n > 0)
            nome.append(".").append(std::to_string(n));
        const std::string percorso = PercorsoIn(fs, area, nome.append(kEstensioneCopiaConservata));
        if (fs.Tipo(percorso) != TipoVoce::Assente)
            continue;
        // Made beside it and put in place in one step: a copy kept is always whole.
        const std::string temporaneo = PercorsoIn(fs, area, kNomeCopiaTemporanea);
        if (Esito e = fs.Copia(copia, temporaneo, copia); !e)
            return std::move(e).Errore();
        if (Esito e = fs.Sostituisci(temporaneo, percorso); !e) {
            (void)fs.Elimina(temporaneo);
            return std::move(e).Errore();
        }
        return percorso;
    }
    return Errore(TipoErrore::Sistema, "ci sono gi\xE0 " + std::to_string(kMassimoConservate) +
                                           " copie conservate nella cartella");
}

}  // namespace velmar
