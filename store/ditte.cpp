// Company list and lookup over the parameters file.
#include "store/ditte.h"

#include <algorithm>
#include <memory>

namespace velmar {

std::string PercorsoIn(const FileSystem& fs, std::string_view cartella, std::string_view nome) {
    std::string p;
    p.reserve(cartella.size() + 1 + nome.size());
    p.append(cartella);
    p += fs.Separatore();
    p.append(nome);
    return p;
}

std::optional<std::string_view> CartellaNonUsabile(const FileSystem& fs,
                                                   std::string_view cartella) {
    if (cartella.empty())
        return "cartella del pacchetto non disponibile";
    if (!fs.PercorsoAssoluto(cartella))
        return "la cartella del pacchetto non \xE8 un percorso completo";
    return std::nullopt;
}

Esito CartellaUsabile(const FileSystem& fs, std::string_view cartella) {
    const std::optional<std::string_view> motivo = CartellaNonUsabile(fs, cartella);
    if (!motivo)
        return Esito::Riuscito();
    std::string errore(cartella);
    errore.append(cartella.empty() ? "" : ": ").append(*motivo);
    return Esito::Fallito(std::move(errore));
}

namespace {

// Codes for which room is made at once, at most, judged from the first lines: a longer list
// grows as it is read.
constexpr std::uint64_t kCodiciStimati = 1 << 20;
constexpr std::size_t kCodiciCampione = 64;

}  // namespace

Esito LeggiCodici(FileLettura& file, std::vector<std::string>& codici, std::size_t capacita) {
    LettoreRighe lettore(file, capacita);
    for (RigaLetta riga; lettore.Prossima(riga);) {
        const CampiRiga campi = riga.Campi(6);
        if (campi.numero < 6)
            continue;
        if (codici.size() == kCodiciCampione) {
            // Room for as many codes as the file's first lines promise.
            const std::uint64_t letti = riga.Inizio() + riga.Lunghezza() + 1;
            codici.reserve(static_cast<std::size_t>(
                std::min(file.Dimensione() / letti * kCodiciCampione + 1, kCodiciStimati)));
        }
        codici.emplace_back();
        if (Esito e = riga.Campo(campi, 5, codici.back()); !e)
            return e;
    }
    return lettore.Errore();
}

Esito CercaCodice(FileLettura& file, std::string_view codice, RisultatoRicerca& ditta,
                  std::size_t capacita) {
    ditta = RisultatoRicerca();
    LettoreRighe lettore(file, capacita);
    for (RigaLetta riga; lettore.Prossima(riga);) {
        CampiRiga campi = riga.Campi(6);
        if (campi.numero < 6 || campi.Lunghezza(5) != codice.size())
            continue;
        bool sua = false;
        Esito e = riga.CampoUguale(campi, 5, codice, sua);
        if (!e)
            return e;
        if (!sua)
            continue;
        campi = riga.Campi(7);
        bool nt = false;
        if (!(e = riga.Campo(campi, 0, ditta.descrizione)) ||
            !(e = riga.CampoUguale(campi, 4, kParolaNT, nt)) ||
            (campi.numero == 7 && !(e = riga.Campo(campi, 6, ditta.macchina)))) {
            return e;
        }
        ditta.server = nt ? TipoServer::NT : TipoServer::Linux;
    }
    return lettore.Errore();
}

Esito CercaPrimaDitta(FileLettura& file, bool& trovata) {
    trovata = false;
    LettoreRighe lettore(file);
    for (RigaLetta riga; lettore.Prossima(riga);) {
        if (riga.Campi(6).numero == 6) {
            trovata = true;
            return Esito::Riuscito();
        }
    }
    return lettore.Errore();
}

namespace {

// Opens the parameters file of `cartellaBase` and reads it with leggi(FileLettura&). A missing
// file is read as an empty one.
template <class Leggi>
Esito LeggiParametri(FileSystem& fs, std::string_view cartellaBase, Leggi&& leggi) {
    if (Esito e = CartellaUsabile(fs, cartellaBase); !e)
        return e;
    const std::string percorso = PercorsoIn(fs, cartellaBase, kNomeFileParametri);
    std::unique_ptr<FileLettura> file;
    bool assente = false;
    Esito e = fs.ApriLettura(percorso, file, assente);
    if (e)
        e = leggi(*file);
    if (!e && !assente)
        return Esito::Fallito(percorso + ": " + e.errore);
    return Esito::Riuscito();
}

}  // namespace

Esito LeggiDitte(FileSystem& fs, std::string_view cartellaBase, std::vector<std::string>& codici) {
    codici.clear();
    const Esito e = LeggiParametri(fs, cartellaBase,
                                   [&](FileLettura& file) { return LeggiCodici(file, codici); });
    if (!e)
        codici.clear();
    return e;
}

Esito CercaDitta(FileSystem& fs, std::string_view cartellaBase, std::string_view codice,
                 RisultatoRicerca& ditta) {
    ditta = RisultatoRicerca();
    const Esito e = LeggiParametri(
        fs, cartellaBase, [&](FileLettura& file) { return CercaCodice(file, codice, ditta); });
    if (!e)
        ditta = RisultatoRicerca();
    return e;
}

std::vector<std::string> CodiciDaTesto(std::string_view testo, std::size_t capacita) {
    LetturaDaTesto file(testo);
    std::vector<std::string> codici;
    (void)LeggiCodici(file, codici, capacita);  // a text in memory is always read whole
    return codici;
}

RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice,
                              std::size_t capacita) {
    LetturaDaTesto file(testo);
    RisultatoRicerca ditta;
    (void)CercaCodice(file, codice, ditta, capacita);
    return ditta;
}

}  // namespace velmar
