// Company list and lookup over the parameters file.
#include "store/ditte.h"

#include <algorithm>
#include <memory>

#include "store/conferma.h"
#include "store/cp1252.h"

namespace velmar {

std::string PercorsoIn(const FileSystem& fs, std::string_view cartella, std::string_view nome) {
    std::string p;
    p.reserve(cartella.size() + 1 + nome.size());
    p.append(cartella);
    p += fs.Separatore();
    p.append(nome);
    return p;
}

Esito CartellaUsabile(const FileSystem& fs, std::string_view cartella) {
    if (cartella.empty())
        return Errore(TipoErrore::CartellaNonDisponibile, std::string(kCartellaNonDisponibile));
    if (fs.PercorsoAssoluto(cartella))
        return {};
    Errore e(TipoErrore::CartellaNonDisponibile, std::string(kNonPercorsoCompleto));
    e.percorso = cartella;
    return e;
}

Errore ParametriIlleggibili(std::string_view percorso, Errore causa) {
    return DelFile(TipoErrore::Illeggibile,
                   "il file dei parametri " + std::string(kNonSiPuoLeggere), std::string(percorso),
                   std::move(causa));
}

Errore DittaNonTrovata(std::string_view codice) {
    return Errore(TipoErrore::DittaNonTrovata,
                  std::string(kEtichettaCodice) + " non trovato: '" + TestoVisibile(codice) + "'");
}

namespace {

// Codes for which room is made at once, at most, judged from the first lines: a longer list
// grows as it is read.
constexpr std::uint64_t kCodiciStimati = 1 << 20;
constexpr std::size_t kCodiciCampione = 64;

// What a company line tells of its company beside its code: field 0, field 4 read as the server
// type (NT only for the NT word, any other value Linux) and field 6, which a line of six fields
// lacks.
struct CampiDitta {
    std::string descrizione;
    TipoServer server = TipoServer::Linux;
    std::optional<std::string> macchina;
};

// `campi` are the line's first seven fields, six at least.
Risultato<CampiDitta> LeggiCampiDitta(const RigaLetta& riga, const CampiRiga& campi) {
    CampiDitta d;
    Risultato<std::string> descrizione = riga.Campo(campi, kCampoDescrizione);
    if (!descrizione)
        return std::move(descrizione).Errore();
    d.descrizione = *std::move(descrizione);
    const Risultato<bool> nt = riga.CampoUguale(campi, kCampoServer, kParolaNT);
    if (!nt)
        return nt.Errore();
    if (*nt)
        d.server = TipoServer::NT;
    if (campi.numero == kCampiLetti) {
        Risultato<std::string> macchina = riga.Campo(campi, kCampoMacchina);
        if (!macchina)
            return std::move(macchina).Errore();
        d.macchina = *std::move(macchina);
    }
    return d;
}

}  // namespace

Risultato<std::vector<std::string>> LeggiCodici(FileLettura& file, std::size_t capacita) {
    std::vector<std::string> codici;
    Esito letto = OgniRiga(
        file,
        [&](const RigaLetta& riga) -> Esito {
            const CampiRiga campi = riga.Campi(kCampiDitta);
            if (campi.numero < kCampiDitta)
                return {};
            if (codici.size() == kCodiciCampione) {
                // Room for as many codes as the file's first lines promise.
                const std::uint64_t letti = riga.Inizio() + riga.Lunghezza() + 1;
                codici.reserve(static_cast<std::size_t>(
                    std::min(file.Dimensione() / letti * kCodiciCampione + 1, kCodiciStimati)));
            }
            // A line held whole, the common case, gives its code at once.
            if (riga.Intera()) {
                codici.emplace_back(
                    riga.Testo().substr(campi.Inizio(kCampoCodice), campi.Lunghezza(kCampoCodice)));
                return {};
            }
            Risultato<std::string> codice = riga.Campo(campi, kCampoCodice);
            if (!codice)
                return std::move(codice).Errore();
            codici.push_back(*std::move(codice));
            return {};
        },
        capacita);
    if (!letto)
        return std::move(letto).Errore();
    return codici;
}

Risultato<std::vector<VoceDitta>> LeggiVoci(FileLettura& file, std::size_t capacita) {
    std::vector<VoceDitta> voci;
    Esito letto = OgniRiga(
        file,
        [&](const RigaLetta& riga) -> Esito {
            const CampiRiga campi = riga.Campi(kCampiLetti);
            if (campi.numero < kCampiDitta)
                return {};
            VoceDitta v;
            for (const auto& [indice, campo] :
                 {std::pair{kCampoCodice, &v.codice}, std::pair{kCampoCatalogo, &v.catalogo}}) {
                Risultato<std::string> testo = riga.Campo(campi, indice);
                if (!testo)
                    return std::move(testo).Errore();
                *campo = *std::move(testo);
            }
            Risultato<CampiDitta> ditta = LeggiCampiDitta(riga, campi);
            if (!ditta)
                return std::move(ditta).Errore();
            v.descrizione = std::move(ditta->descrizione);
            v.server = ditta->server;
            v.macchina = std::move(ditta->macchina);
            voci.push_back(std::move(v));
            return {};
        },
        capacita);
    if (!letto)
        return std::move(letto).Errore();
    return voci;
}

Risultato<RisultatoRicerca> CercaCodice(FileLettura& file, std::string_view codice,
                                        std::size_t capacita) {
    std::optional<RisultatoRicerca> ditta;
    Esito letto = OgniRiga(
        file,
        [&](const RigaLetta& riga) -> Esito {
            const CampiRiga campi = riga.Campi(kCampiDitta);
            if (campi.numero < kCampiDitta || campi.Lunghezza(kCampoCodice) != codice.size())
                return {};
            const Risultato<bool> sua = riga.CampoUguale(campi, kCampoCodice, codice);
            if (!sua)
                return sua.Errore();
            if (!*sua)
                return {};
            Risultato<CampiDitta> letta = LeggiCampiDitta(riga, riga.Campi(kCampiLetti));
            if (!letta)
                return std::move(letta).Errore();
            if (!ditta)
                ditta.emplace();
            ditta->descrizione = std::move(letta->descrizione);
            ditta->server = letta->server;
            if (letta->macchina)
                ditta->macchina = *std::move(letta->macchina);
            return {};
        },
        capacita);
    if (!letto)
        return std::move(letto).Errore();
    if (!ditta)
        return DittaNonTrovata(codice);
    return *std::move(ditta);
}

Risultato<bool> HaDitte(FileLettura& file) {
    LettoreRighe lettore(file);
    RigaLetta riga;
    for (;;) {
        Risultato<bool> letta = lettore.Prossima(riga);
        if (!letta || !*letta)
            return letta;
        if (riga.Campi(kCampiDitta).numero == kCampiDitta)
            return true;
    }
}

namespace {

// Opens the parameters file of `cartellaBase` and reads it with leggi(FileLettura&), which
// gives a Risultato<T>; a missing file gives `mancante`.
template <class T, class Leggi>
Risultato<T> LeggiParametri(FileSystem& fs, std::string_view cartellaBase, Risultato<T> mancante,
                            Leggi&& leggi) {
    if (Esito e = CartellaUsabile(fs, cartellaBase); !e)
        return std::move(e).Errore();
    const std::string percorso = PercorsoIn(fs, cartellaBase, kNomeFileParametri);
    Risultato<std::unique_ptr<FileLettura>> file = fs.ApriLettura(percorso);
    if (!file && file.Errore().tipo == TipoErrore::Assente)
        return mancante;
    Risultato<T> letto = file ? leggi(**file) : Risultato<T>(std::move(file).Errore());
    if (letto || letto.Errore().tipo == TipoErrore::DittaNonTrovata)
        return letto;
    return ParametriIlleggibili(percorso, letto.Errore());
}

}  // namespace

Risultato<std::vector<std::string>> LeggiDitte(FileSystem& fs, std::string_view cartellaBase) {
    return LeggiParametri<std::vector<std::string>>(
        fs, cartellaBase, std::vector<std::string>(),
        [&](FileLettura& file) { return LeggiCodici(file); });
}

Risultato<RisultatoRicerca> CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                                       std::string_view codice) {
    return LeggiParametri<RisultatoRicerca>(
        fs, cartellaBase, DittaNonTrovata(codice),
        [&](FileLettura& file) { return CercaCodice(file, codice); });
}

Risultato<std::vector<VoceDitta>> LeggiElenco(FileSystem& fs, std::string_view cartellaBase) {
    return LeggiParametri<std::vector<VoceDitta>>(
        fs, cartellaBase, std::vector<VoceDitta>(),
        [&](FileLettura& file) { return LeggiVoci(file); });
}

std::vector<VoceDitta> VociDaTesto(std::string_view testo, std::size_t capacita) {
    LetturaDaTesto file(testo);
    return *LeggiVoci(file, capacita);
}

std::vector<std::string> CodiciDaTesto(std::string_view testo, std::size_t capacita) {
    LetturaDaTesto file(testo);
    // A text in memory is always read whole.
    return *LeggiCodici(file, capacita);
}

Risultato<RisultatoRicerca> CercaInTesto(std::string_view testo, std::string_view codice,
                                         std::size_t capacita) {
    LetturaDaTesto file(testo);
    return CercaCodice(file, codice, capacita);
}

}  // namespace velmar
