// Company list and lookup over the parameters file.
#include "store/ditte.h"

namespace velmar {

void RaccoltaCodici::Riga(std::string_view riga) {
    if (auto codice = CodiceRiga(riga)) codici_.emplace_back(*codice);
}

void RicercaDitta::Riga(std::string_view riga) {
    const auto codice = CodiceRiga(riga);
    if (!codice || *codice != codice_) return;
    const CampiRiga c = TagliaCampi(riga);
    risultato_.descrizione.assign(c.campi[0]);
    if (auto macchina = c.Campo(6)) risultato_.macchina.assign(*macchina);
    risultato_.server = TipoDaParola(c.campi[4]);
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

bool CartellaUsabile(const FileSystem& fs, std::string_view cartella) {
    return !cartella.empty() && fs.PercorsoAssoluto(cartella);
}

}  // namespace

std::vector<std::string> LeggiDitte(FileSystem& fs, std::string_view cartellaBase) {
    RaccoltaCodici raccolta;
    if (!CartellaUsabile(fs, cartellaBase)) return {};
    bool assente = false;
    const Esito e = LeggiRigheFile(fs, PercorsoIn(fs, cartellaBase, kNomeFileParametri), assente,
                                   [&](std::string_view riga) { raccolta.Riga(riga); });
    if (!e) return {};
    return std::move(raccolta.Codici());
}

RisultatoRicerca CercaDitta(FileSystem& fs, std::string_view cartellaBase,
                            std::string_view codice) {
    RicercaDitta ricerca(codice);
    if (!CartellaUsabile(fs, cartellaBase)) return {};
    bool assente = false;
    const Esito e = LeggiRigheFile(fs, PercorsoIn(fs, cartellaBase, kNomeFileParametri), assente,
                                   [&](std::string_view riga) { ricerca.Riga(riga); });
    if (!e) return {};
    return std::move(ricerca.Risultato());
}

std::vector<std::string> CodiciDaTesto(std::string_view testo) {
    RaccoltaCodici raccolta;
    PerOgniRiga(testo, [&](std::string_view riga) { raccolta.Riga(riga); });
    return std::move(raccolta.Codici());
}

RisultatoRicerca CercaInTesto(std::string_view testo, std::string_view codice) {
    RicercaDitta ricerca(codice);
    PerOgniRiga(testo, [&](std::string_view riga) { ricerca.Riga(riga); });
    return std::move(ricerca.Risultato());
}

}  // namespace velmar
