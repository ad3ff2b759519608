// The check of a package's parameters files.
#include "store/verifica.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "store/cp1252.h"
#include "store/ditte.h"
#include "store/forma.h"
#include "store/righe.h"
#include "store/salvataggio.h"

namespace velmar {

namespace {

// A fingerprint of bytes (FNV-1a): lines and files are compared by it, without holding them.
constexpr std::uint64_t kImprontaVuota = 14695981039346656037ULL;
std::uint64_t Impronta(std::uint64_t h, std::string_view dati) noexcept {
    for (const char c : dati) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

struct Ditta {
    std::vector<std::uint64_t> impronte;  // of its lines, in file order
    std::vector<std::uint64_t> righe;     // their numbers
};

// What a file holds: its companies and a fingerprint of all its bytes; and, when they were
// looked for, its problems.
struct Contenuto {
    std::map<std::string, Ditta> ditte;
    std::uint64_t impronta = kImprontaVuota;
    std::vector<Problema> problemi;
};

// What is read of a file: its companies only (an area's copy), or its problems too.
enum class Esame { Ditte, Problemi };

std::string Elenco(const std::vector<std::string>& codici) {
    std::string r;
    for (const std::string& c : codici)
        r.append(r.empty() ? "" : ", ").append(TestoVisibile(c));
    return r;
}

std::string DescrizioneLf(std::uint64_t nascoste) {
    const std::string lf = "la riga contiene un " + std::string(kLfSenzaCr);
    if (nascoste == 0)
        return lf;
    return lf + " (fine riga Unix): " + RecordDopoLf(nascoste) + " che nessun programma elenca";
}

// What is wrong with the encoding of a text that looks like UTF-8 or is UTF-16, and whether the
// repair converts it.
struct Codifica8o16 {
    std::string descrizione;
    RimedioProblema rimedio = RimedioProblema::Nessuno;
};

Codifica8o16 DescrizioneUtf8(const FormaFile& f) {
    if (f.caratteriUtf8 == 0 && !f.NonConvertibile()) {
        return {"il file inizia con il BOM UTF-8, che si legge come parte della prima riga",
                RimedioProblema::TogliBom};
    }
    std::string d = FileIn("UTF-8") + (f.bom ? " con il BOM" : "") +
                    ", come lo salva un editor, e non in Windows-1252: i caratteri oltre l'ASCII "
                    "si leggono male";
    if (f.NonConvertibile())
        return {d + "; " + MotivoNonConvertibile(f) + ": va corretto a mano"};
    return {d, RimedioProblema::Converti};
}

Codifica8o16 DescrizioneUtf16(const FormaFile& f) {
    std::string d = FileIn(NomeCodifica(f.codifica)) + (f.bom ? " con il BOM" : "") + ", " +
                    std::string(kComeBloccoNote) +
                    ", e non in Windows-1252: " + std::string(kDitteLetteMale);
    if (f.NonConvertibile())
        return {d + "; " + MotivoNonConvertibile(f) + ": va corretto a mano"};
    return {d, RimedioProblema::Converti};
}

// The codes on more than one line, in the order of their first line, each with its lines.
std::vector<std::pair<const std::string*, std::string>> Ripetuti(const Contenuto& contenuto) {
    std::vector<std::pair<std::uint64_t, const std::string*>> primi;
    for (const auto& [codice, d] : contenuto.ditte) {
        if (d.righe.size() > 1)
            primi.emplace_back(d.righe.front(), &codice);
    }
    std::sort(primi.begin(), primi.end());
    std::vector<std::pair<const std::string*, std::string>> ripetuti;
    for (const auto& [prima, codice] : primi) {
        std::string righe;
        for (std::uint64_t n : contenuto.ditte.at(*codice).righe)
            righe.append(righe.empty() ? "" : ", ").append(std::to_string(n));
        ripetuti.emplace_back(codice, std::move(righe));
    }
    return ripetuti;
}

// The problems of a company line read from a file of Windows-1252 text, each given to
// problema(kind, line, code, description), which gives the problem back.
template <class AggiungiProblema>
Esito ProblemiRiga(const RigaLetta& riga, const CampiRiga& campi, std::uint64_t numero,
                   const std::string& codice, const DitteDopoLf& dopoLf,
                   AggiungiProblema&& problema) {
    if (campi.numero < kCampiDitta) {
        problema(TipoProblema::RigaCorta, numero, "",
                 campi.numero == 0 ? "riga vuota, senza campi"
                                   : "meno di sei campi: non \xE8 la riga di una ditta");
    }
    if (riga.Fine() != FineRiga::CrLf) {
        problema(TipoProblema::FineRiga, numero, codice,
                 riga.Fine() == FineRiga::Cr ? "la riga finisce con un CR senza LF"
                                             : "l'ultima riga non finisce con CR LF");
    }
    if (dopoLf.Lf()) {
        problema(TipoProblema::LfSolitario, numero, codice, DescrizioneLf(dopoLf.Ditte()))
            .ditteNascoste = dopoLf.Ditte();
    }
    std::string catalogo;
    if (campi.numero == kCampiDitta) {
        Risultato<std::string> c = riga.Campo(campi, kCampoCatalogo);
        if (!c)
            return std::move(c).Errore();
        catalogo = *std::move(c);
    }
    const std::string atteso = NomeCatalogo(codice);
    if (campi.numero == kCampiDitta && !catalogo.ends_with(atteso)) {
        problema(TipoProblema::Catalogo, numero, codice,
                 "il campo del catalogo non finisce con " + TestoVisibile(atteso));
    }
    return {};
}

// Reads `file`, the one called `nome`, whose first bytes told `codifica`. The lines of UTF-16
// text are no lines of the package: of such a file only its encoding is a problem.
Risultato<Contenuto> Analizza(FileLettura& file, const std::string& nome, Esame esame,
                              Codifica codifica) {
    Contenuto contenuto;
    const bool problemi = esame == Esame::Problemi;
    const bool righe = problemi && codifica == Codifica::Byte;
    const auto problema = [&](TipoProblema tipo, std::optional<std::uint64_t> riga,
                              std::string codice, std::string descrizione,
                              RimedioProblema rimedio = RimedioProblema::Nessuno) -> Problema& {
        Problema p;
        p.tipo = tipo;
        p.file = nome;
        p.riga = riga;
        p.codice = std::move(codice);
        p.descrizione = std::move(descrizione);
        p.rimedio = rimedio;
        contenuto.problemi.push_back(std::move(p));
        return contenuto.problemi.back();
    };
    LetturaForma forma(codifica);
    std::string nulla;
    std::uint64_t numero = 0;
    std::uint64_t primoNul = 0;
    const Esito letto = OgniRiga(file, [&](const RigaLetta& riga) -> Esito {
        ++numero;
        std::uint64_t impronta = kImprontaVuota;
        DitteDopoLf dopoLf;
        if (Esito e = riga.Copia([&](std::string_view pezzo) {
                impronta = Impronta(impronta, pezzo);
                dopoLf.Aggiungi(pezzo);
                if (problemi)
                    forma.Aggiungi(pezzo, nulla);
                if (primoNul == 0 && std::memchr(pezzo.data(), '\0', pezzo.size()) != nullptr)
                    primoNul = numero;
            });
            !e) {
            return std::move(e).Errore();
        }
        const FineRiga fine = riga.Fine();
        const std::string_view terminatore = fine == FineRiga::CrLf ? "\r\n"
                                             : fine == FineRiga::Cr ? "\r"
                                                                    : "";
        contenuto.impronta = (contenuto.impronta ^ impronta) * 1099511628211ULL;
        contenuto.impronta = Impronta(contenuto.impronta, terminatore);
        if (problemi)
            forma.Aggiungi(terminatore, nulla);
        const CampiRiga campi = riga.Campi(kCampiDitta);
        std::string codice;
        if (campi.numero == kCampiDitta) {
            Risultato<std::string> c = riga.Campo(campi, kCampoCodice);
            if (!c)
                return std::move(c).Errore();
            codice = *std::move(c);
        }
        if (righe) {
            if (Esito e = ProblemiRiga(riga, campi, numero, codice, dopoLf, problema); !e)
                return e;
        }
        if (campi.numero == kCampiDitta) {
            Ditta& d = contenuto.ditte[codice];
            d.impronte.push_back(impronta);
            d.righe.push_back(numero);
        }
        return {};
    });
    if (!letto)
        return letto.Errore();
    if (problemi) {
        const FormaFile f = forma.Fine(nulla);
        if (f.Utf16()) {
            Codifica8o16 d = DescrizioneUtf16(f);
            problema(TipoProblema::Utf16, std::nullopt, "", std::move(d.descrizione), d.rimedio);
            return contenuto;
        }
        if (f.SembraUtf8()) {
            Codifica8o16 d = DescrizioneUtf8(f);
            problema(TipoProblema::Utf8, std::nullopt, "", std::move(d.descrizione), d.rimedio);
        }
        if (primoNul > 0) {
            problema(TipoProblema::ByteNul, primoNul, "",
                     "la riga contiene byte NUL (0x00), che un testo Windows-1252 non ha: il file "
                     "\xE8 danneggiato o non \xE8 un file di testo (questa \xE8 la prima riga che "
                     "ne ha)");
        }
        for (const auto& [codice, righe] : Ripetuti(contenuto)) {
            problema(TipoProblema::CodiceRipetuto, std::nullopt, *codice,
                     "il codice '" + TestoVisibile(*codice) + "' \xE8 su pi\xF9 righe: " + righe);
        }
    }
    return contenuto;
}

// The codes missing from `copia`, those only there, and those whose lines differ.
Problema Differenze(const Contenuto& base, const Contenuto& copia, const std::string& nome) {
    Problema p;
    p.tipo = TipoProblema::CopiaDiversa;
    p.file = nome;
    for (const auto& [codice, d] : base.ditte) {
        const auto it = copia.ditte.find(codice);
        if (it == copia.ditte.end()) {
            p.mancanti.push_back(codice);
        } else if (it->second.impronte != d.impronte) {
            p.diversi.push_back(codice);
        }
    }
    for (const auto& [codice, d] : copia.ditte) {
        if (base.ditte.count(codice) == 0)
            p.inPiu.push_back(codice);
    }
    p.descrizione = "la copia \xE8 diversa dal file della cartella del pacchetto";
    if (p.mancanti.empty() && p.inPiu.empty() && p.diversi.empty())
        p.descrizione += ": stesse ditte, ma altre righe, altro ordine o altre fini riga";
    if (!p.mancanti.empty())
        p.descrizione += "; mancano: " + Elenco(p.mancanti);
    if (!p.inPiu.empty())
        p.descrizione += "; in pi\xF9: " + Elenco(p.inPiu);
    if (!p.diversi.empty())
        p.descrizione += "; diverse: " + Elenco(p.diversi);
    return p;
}

struct VoceProblema {
    TipoProblema tipo;
    std::string_view nome;
};

constexpr VoceProblema kNomiProblemi[] = {
    {TipoProblema::CopiaDiversa, "copia_diversa"},
    {TipoProblema::CopiaMancante, "copia_mancante"},
    {TipoProblema::CopiaIlleggibile, "copia_illeggibile"},
    {TipoProblema::FileMancante, "file_mancante"},
    {TipoProblema::RigaCorta, "riga_corta"},
    {TipoProblema::CodiceRipetuto, "codice_ripetuto"},
    {TipoProblema::FineRiga, "fine_riga"},
    {TipoProblema::LfSolitario, "lf_solitario"},
    {TipoProblema::Catalogo, "catalogo"},
    {TipoProblema::FileAvanzato, "file_avanzato"},
    {TipoProblema::Utf8, "utf8"},
    {TipoProblema::AreaNonCartella, "area_non_cartella"},
    {TipoProblema::Utf16, "utf16"},
    {TipoProblema::ByteNul, "byte_nul"},
};

// The encoding the first bytes of `file` tell.
Risultato<Codifica> CodificaDi(FileLettura& file) {
    Risultato<std::string> inizio = LeggiInizio(file);
    if (!inizio)
        return std::move(inizio).Errore();
    return CodificaDaInizio(*inizio);
}

}  // namespace

std::string_view NomeProblema(TipoProblema tipo) noexcept {
    for (const VoceProblema& v : kNomiProblemi) {
        if (v.tipo == tipo)
            return v.nome;
    }
    return {};
}

std::optional<Problema> AvvisoLettura(FileSystem& fs, std::string_view cartellaBase) {
    if (!CartellaUsabile(fs, cartellaBase))
        return std::nullopt;
    const std::string percorso = PercorsoIn(fs, cartellaBase, kNomeFileParametri);
    Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(percorso);
    const Risultato<Codifica> codifica =
        file ? CodificaDi(**file) : Risultato<Codifica>(file.Errore());
    if (!codifica || *codifica == Codifica::Byte)
        return std::nullopt;
    Problema p;
    p.tipo = TipoProblema::Utf16;
    p.file = percorso;
    p.descrizione = "\xE8 in " + std::string(NomeCodifica(*codifica)) +
                    " e non in Windows-1252: i codici e i testi si leggono male";
    p.rimedio = RimedioProblema::Converti;
    return p;
}

Risultato<std::vector<Problema>> VerificaPacchetto(FileSystem& fs, std::string_view cartellaBase) {
    if (Esito e = CartellaUsabile(fs, cartellaBase); !e)
        return std::move(e).Errore();
    std::vector<Problema> problemi;
    const auto semplice = [&](TipoProblema tipo, std::string file, std::string descrizione,
                              RimedioProblema rimedio = RimedioProblema::Nessuno) -> Problema& {
        Problema p;
        p.tipo = tipo;
        p.file = std::move(file);
        p.descrizione = std::move(descrizione);
        p.rimedio = rimedio;
        return problemi.emplace_back(std::move(p));
    };

    const std::vector<std::string> aree = AreeEsistenti(fs, cartellaBase);
    std::vector<std::string> nonCartelle;
    for (std::string_view area : kCartelleAree) {
        std::string p = PercorsoIn(fs, cartellaBase, area);
        const TipoVoce tipo = fs.Tipo(p);
        if (tipo == TipoVoce::File || tipo == TipoVoce::Altro)
            nonCartelle.push_back(std::move(p));
    }
    std::vector<std::string> avanzati = {PercorsoIn(fs, cartellaBase, kNomeFileLavoro),
                                         PercorsoIn(fs, cartellaBase, kNomeCopiaTemporanea)};
    for (const std::string& area : aree)
        avanzati.push_back(PercorsoIn(fs, area, kNomeCopiaTemporanea));
    for (const std::string& f : avanzati) {
        if (fs.Tipo(f) != TipoVoce::Assente)
            semplice(TipoProblema::FileAvanzato, f, "file rimasto da un salvataggio interrotto");
    }

    const std::string parametri = PercorsoIn(fs, cartellaBase, kNomeFileParametri);
    std::optional<Contenuto> base;
    if (Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(parametri);
        !file && file.Errore().tipo == TipoErrore::Assente) {
        semplice(TipoProblema::FileMancante, parametri, "manca il file dei parametri");
    } else {
        const Risultato<Codifica> codifica =
            file ? CodificaDi(**file) : Risultato<Codifica>(file.Errore());
        Risultato<Contenuto> letto = !codifica
                                         ? Risultato<Contenuto>(codifica.Errore())
                                         : Analizza(**file, parametri, Esame::Problemi, *codifica);
        if (!letto)
            return ParametriIlleggibili(parametri, letto.Errore());
        base = *std::move(letto);
        problemi.insert(problemi.end(), std::make_move_iterator(base->problemi.begin()),
                        std::make_move_iterator(base->problemi.end()));
    }
    for (std::string& p : nonCartelle) {
        semplice(TipoProblema::AreaNonCartella, std::move(p),
                 "al posto della cartella dell'area c'\xE8 un file: i salvataggi non vi copiano "
                 "nulla");
    }

    for (const std::string& area : aree) {
        const std::string copia = PercorsoIn(fs, area, kNomeFileParametri);
        Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(copia);
        if (!file && file.Errore().tipo == TipoErrore::Assente) {
            semplice(TipoProblema::CopiaMancante, area,
                     "la cartella dell'area non ha la copia " + std::string(kNomeFileParametri));
            continue;
        }
        const Risultato<Codifica> codifica =
            file ? CodificaDi(**file) : Risultato<Codifica>(file.Errore());
        const Risultato<Contenuto> contenuto =
            !codifica ? Risultato<Contenuto>(codifica.Errore())
                      : Analizza(**file, copia, Esame::Ditte, *codifica);
        // A copy equal to the base folder's file has the base file's problems, told once.
        const bool uguale = contenuto && base && contenuto->impronta == base->impronta;
        if (codifica && *codifica != Codifica::Byte && !uguale) {
            semplice(TipoProblema::Utf16, copia,
                     "la copia \xE8 in " + std::string(NomeCodifica(*codifica)) +
                         " e non in Windows-1252: i programmi dell'area ne leggono male ogni "
                         "ditta",
                     RimedioProblema::SostituisciCopia);
        }
        if (!contenuto) {
            semplice(TipoProblema::CopiaIlleggibile, copia,
                     "la copia " + std::string(kNonSiPuoLeggere))
                .causa.push_back(contenuto.Errore());
        } else if (base && contenuto->impronta != base->impronta) {
            problemi.push_back(Differenze(*base, *contenuto, copia));
        }
    }
    return problemi;
}

}  // namespace velmar
