// Company list and lookup over the parameters file.
#include "store/ditte.h"

#include <cstring>

#include "store/scansione.h"

namespace velmar {

void RaccoltaCodici::Riga(std::string_view riga) {
    if (auto codice = CodiceRiga(riga))
        codici_.Aggiungi(*codice);
}

void RaccoltaCodici::Blocco(std::string_view blocco) {
    AggiungiCodici(blocco, codici_);
}

RicercaDitta::RicercaDitta(std::string_view codice) : codice_(codice) {
    ago_.reserve(codice.size() + 1);
    ago_ += ';';
    ago_.append(codice);
}

void RicercaDitta::Riga(std::string_view riga) {
    const auto codice = CodiceRiga(riga);
    if (!codice || *codice != codice_)
        return;
    const CampiRiga c = TagliaCampi(riga);
    risultato_.descrizione.assign(c.campi[0]);
    if (auto macchina = c.Campo(6))
        risultato_.macchina.assign(*macchina);
    risultato_.server = TipoDaParola(c.campi[4]);
}

void RicercaDitta::Blocco(std::string_view blocco) {
    // Field 5 of a matching line is ";" + code followed by ';', CR or the end of the block, and
    // is preceded by exactly four separators on its line. Only such places are looked at.
    // No line holds a CR, so a code with one matches nothing.
    if (codice_.find('\r') != std::string_view::npos)
        return;
    const char* const b = blocco.data();
    const std::size_t n = blocco.size();
    std::size_t da = 0;
    for (;;) {
        const std::size_t c = TrovaSequenza(blocco, ago_, da);
        if (c == std::string_view::npos)
            return;
        const std::size_t dopo = c + ago_.size();
        if (dopo < n && b[dopo] != ';' && b[dopo] != '\r') {
            da = c + 1;
            continue;
        }
        std::size_t inizio = c;
        while (inizio > 0 && b[inizio - 1] != '\r')
            --inizio;
        if (inizio > 0 && b[inizio] == '\n')
            ++inizio;  // the LF of a CR LF
        const void* cr = std::memchr(b + dopo, '\r', n - dopo);
        const std::size_t fine =
            cr == nullptr ? n : static_cast<std::size_t>(static_cast<const char*>(cr) - b);
        Riga(blocco.substr(inizio, fine - inizio));
        da = fine;
    }
}

std::string PercorsoIn(const FileSystem& fs, std::string_view cartella, std::string_view nome) {
    std::string p;
    p.reserve(cartella.size() + 1 + nome.size());
    p.append(cartella);
    p += fs.Separatore();
    p.append(nome);
    return p;
}

namespace {

// Reads the parameters file of `cartellaBase` in blocks of whole lines into fn. A missing file
// is read as an empty one.
template <class Fn>
Esito LeggiParametri(FileSystem& fs, std::string_view cartellaBase, Fn&& fn) {
    if (cartellaBase.empty())
        return Esito::Fallito("cartella del pacchetto non disponibile");
    if (!fs.PercorsoAssoluto(cartellaBase)) {
        return Esito::Fallito(std::string(cartellaBase) +
                              ": la cartella del pacchetto non \xE8 un percorso completo");
    }
    const std::string percorso = PercorsoIn(fs, cartellaBase, kNomeFileParametri);
    bool assente = false;
    const Esito e = LeggiBlocchiFile(fs, percorso, assente, fn);
    if (!e && !assente)
        return Esito::Fallito(percorso + ": " + e.errore);
    return Esito::Riuscito();
}

}  // namespace

Esito LeggiDitte(FileSystem& fs, std::string_view cartellaBase, ElencoCodici& codici) {
    RaccoltaCodici raccolta;
    const Esito e =
        LeggiParametri(fs, cartellaBase, [&](std::string_view blocco) { raccolta.Blocco(blocco); });
    codici = e ? std::move(raccolta.Codici()) : ElencoCodici();
    return e;
}

Esito CercaDitta(FileSystem& fs, std::string_view cartellaBase, std::string_view codice,
                 RisultatoRicerca& ditta) {
    RicercaDitta ricerca(codice);
    const Esito e =
        LeggiParametri(fs, cartellaBase, [&](std::string_view blocco) { ricerca.Blocco(blocco); });
    ditta = e ? std::move(ricerca.Risultato()) : RisultatoRicerca();
    return e;
}

ElencoCodici CodiciDaTesto(std::string_view testo) {
    RaccoltaCodici raccolta;
    raccolta.Blocco(testo);
    return std::move(raccolta.Codici());
}

RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice) {
    RicercaDitta ricerca(codice);
    ricerca.Blocco(testo);
    return std::move(ricerca.Risultato());
}

}  // namespace velmar
