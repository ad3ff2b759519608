// EXCSAT built, EXCSATRD read: one pass over the bytes, every length checked before it is used.
#include "drda/excsat.h"

#include <algorithm>
#include <string_view>

#include "drda/ebcdic.h"

namespace velmar::drda {

namespace {

// This program as the request names it: its external name, server class and server name.
constexpr std::string_view kNomeProgramma = "SetupVelmar";

// How many bytes of a DSS header are needed to see its X'D0'.
constexpr std::size_t kFinoAdId = 3;
// The bit of a DSS length that asks for a continuation, and the DSS types of a reply.
constexpr std::uint16_t kContinuazione = 0x8000;
constexpr unsigned kTipoRichiesta = 1;
constexpr unsigned kTipoRisposta = 2;
constexpr unsigned kTipoOggetto = 3;
// The first bytes of a reply shown when it is not DRDA.
constexpr std::size_t kByteMostrati = 8;

struct NomeNoto {
    std::uint16_t codice;
    std::string_view nome;
};
constexpr NomeNoto kNomi[] = {
    {kExcsat, "EXCSAT"}, {kExcsatrd, "EXCSATRD"}, {kExtnam, "EXTNAM"},     {kSrvclsnm, "SRVCLSNM"},
    {kSrvnam, "SRVNAM"}, {kSrvrlslv, "SRVRLSLV"}, {kMgrlvlls, "MGRLVLLS"},
};

constexpr char kCifre[] = "0123456789ABCDEF";

std::uint16_t Leggi16(std::span<const unsigned char> b, std::size_t i) noexcept {
    return static_cast<std::uint16_t>(b[i] << 8 | b[i + 1]);
}

void Scrivi16(std::vector<unsigned char>& b, std::size_t valore) {
    b.push_back(static_cast<unsigned char>(valore >> 8 & 0xFF));
    b.push_back(static_cast<unsigned char>(valore & 0xFF));
}

// Fills in the 2-byte length at `inizio` with the bytes from there to the end.
void ChiudiLunghezza(std::vector<unsigned char>& b, std::size_t inizio) {
    const std::size_t n = b.size() - inizio;
    b[inizio] = static_cast<unsigned char>(n >> 8 & 0xFF);
    b[inizio + 1] = static_cast<unsigned char>(n & 0xFF);
}

// 0x48 0x54 -> "48 54"
std::string Esadecimale(std::span<const unsigned char> b) {
    std::string t;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i)
            t += ' ';
        t.append(1, kCifre[b[i] >> 4]).append(1, kCifre[b[i] & 0xF]);
    }
    return t;
}

// 7 -> "7 byte"
std::string Byte(std::size_t n) {
    return std::to_string(n) + " byte";
}

// 0x1443 -> "X'1443'"
std::string X(std::uint16_t valore) {
    std::string t = "X'";
    for (int s = 12; s >= 0; s -= 4)
        t += kCifre[valore >> s & 0xF];
    return t + '\'';
}

Errore Invalida(std::string testo) {
    return Errore(TipoErrore::Rete, std::move(testo));
}

// The character parameters: where each goes.
std::optional<std::string> AttributiServer::*Campo(std::uint16_t codice) noexcept {
    switch (codice) {
        case kSrvclsnm:
            return &AttributiServer::classe;
        case kSrvrlslv:
            return &AttributiServer::rilascio;
        case kSrvnam:
            return &AttributiServer::nome;
        case kExtnam:
            return &AttributiServer::nomeEsterno;
        default:
            return nullptr;
    }
}

// The parameters of EXCSATRD: `parametri` is its data, after its 4-byte head.
Risultato<AttributiServer> LeggiParametri(std::span<const unsigned char> parametri) {
    AttributiServer a;
    std::vector<std::uint16_t> visti;
    for (std::size_t i = 0; i < parametri.size();) {
        const std::size_t resto = parametri.size() - i;
        if (resto < kTestaOggetto) {
            return Invalida("l'oggetto EXCSATRD finisce con " + Byte(resto) +
                            ", meno dei 4 dell'intestazione di un parametro");
        }
        const std::size_t lunghezza = Leggi16(parametri, i);
        const std::uint16_t codice = Leggi16(parametri, i + 2);
        const std::string nome = "il parametro " + NomeCodice(codice);
        if (lunghezza == 0)
            return Invalida(nome + " ha lunghezza zero");
        if (lunghezza < kTestaOggetto) {
            return Invalida(nome + " dichiara " + Byte(lunghezza) +
                            ", meno dei 4 della sua intestazione");
        }
        if (lunghezza > resto) {
            return Invalida(nome + " dichiara " + Byte(lunghezza) +
                            ", l'oggetto EXCSATRD ne contiene ancora " + std::to_string(resto));
        }
        if (std::find(visti.begin(), visti.end(), codice) != visti.end())
            return Invalida(nome + " \xE8 ripetuto");
        visti.push_back(codice);
        const std::span<const unsigned char> dati =
            parametri.subspan(i + kTestaOggetto, lunghezza - kTestaOggetto);
        if (const auto campo = Campo(codice)) {
            if (dati.size() > kMassimoTesto) {
                return Invalida(nome + " \xE8 lungo " + Byte(dati.size()) + ", pi\xF9 dei " +
                                std::to_string(kMassimoTesto) + " ammessi");
            }
            a.*campo = TestoDaEbcdic(dati);
        } else if (codice == kMgrlvlls) {
            if (dati.size() % 4 != 0) {
                return Invalida(nome + " ha " + Byte(dati.size()) +
                                " di dati, non coppie di codice e livello di 4 byte");
            }
            for (std::size_t j = 0; j < dati.size(); j += 4)
                a.livelli.emplace_back(Leggi16(dati, j), Leggi16(dati, j + 2));
        }
        i += lunghezza;
    }
    return a;
}

}  // namespace

std::string NomeCodice(std::uint16_t codice) {
    std::string t = X(codice);
    for (const NomeNoto& n : kNomi) {
        if (n.codice == codice)
            t.append(" (").append(n.nome).append(")");
    }
    return t;
}

std::vector<unsigned char> RichiestaExcsat() {
    // The name is ASCII: it has an EBCDIC byte for every character.
    const std::vector<unsigned char> nome = *EbcdicDaTesto(kNomeProgramma);
    std::vector<unsigned char> b;
    Scrivi16(b, 0);  // the DSS's length, filled in below
    b.push_back(kIdDss);
    b.push_back(static_cast<unsigned char>(kTipoRichiesta));
    Scrivi16(b, kCorrelazione);
    const std::size_t oggetto = b.size();
    Scrivi16(b, 0);
    Scrivi16(b, kExcsat);
    for (const std::uint16_t codice : {kExtnam, kSrvclsnm, kSrvnam}) {
        Scrivi16(b, kTestaOggetto + nome.size());
        Scrivi16(b, codice);
        b.insert(b.end(), nome.begin(), nome.end());
    }
    ChiudiLunghezza(b, oggetto);
    ChiudiLunghezza(b, 0);
    return b;
}

bool RispostaDaGiudicare(std::span<const unsigned char> ricevuti) noexcept {
    if (ricevuti.size() >= kMassimoRisposta)
        return true;
    if (ricevuti.size() >= kFinoAdId && ricevuti[2] != kIdDss)
        return true;
    if (ricevuti.size() < kTestaDss)
        return false;
    const std::size_t lunghezza = Leggi16(ricevuti, 0);
    return lunghezza < kTestaDss || (lunghezza & kContinuazione) || ricevuti.size() >= lunghezza;
}

Risultato<AttributiServer> LeggiRisposta(std::span<const unsigned char> ricevuti) {
    const std::span<const unsigned char> r =
        ricevuti.first(std::min(ricevuti.size(), kMassimoRisposta));
    if (r.empty())
        return Invalida("nessun byte ricevuto");
    if (r.size() >= kFinoAdId && r[2] != kIdDss) {
        return Invalida("non \xE8 una risposta DRDA: il terzo byte \xE8 X'" +
                        Esadecimale(r.subspan(2, 1)) + "', non X'D0' (primi byte: " +
                        Esadecimale(r.first(std::min(r.size(), kByteMostrati))) + ")");
    }
    if (r.size() < kTestaDss) {
        return Invalida("risposta troncata: " + Byte(r.size()) +
                        ", meno dei 6 dell'intestazione DSS");
    }
    const std::size_t lunghezza = Leggi16(r, 0);
    if (lunghezza & kContinuazione) {
        return Invalida("la DSS chiede una continuazione (lunghezza " +
                        X(static_cast<std::uint16_t>(lunghezza)) +
                        "), che una risposta a EXCSAT non usa");
    }
    if (lunghezza < kTestaDss) {
        return Invalida("la DSS dichiara " + Byte(lunghezza) +
                        ", meno dei 6 della sua intestazione");
    }
    if (lunghezza > r.size()) {
        return Invalida("risposta troncata: la DSS dichiara " + Byte(lunghezza) +
                        ", ne sono arrivati " + std::to_string(r.size()));
    }
    const unsigned tipo = r[3] & 0x0F;
    if (tipo != kTipoRisposta && tipo != kTipoOggetto) {
        return Invalida("la DSS non \xE8 una risposta: il suo tipo \xE8 " + std::to_string(tipo) +
                        (tipo == kTipoRichiesta ? " (una richiesta)" : ""));
    }
    if (const std::uint16_t correlazione = Leggi16(r, 4); correlazione != kCorrelazione) {
        return Invalida("la DSS risponde alla richiesta " + std::to_string(correlazione) +
                        ", non alla " + std::to_string(kCorrelazione) + " inviata");
    }
    const std::span<const unsigned char> contenuto = r.subspan(kTestaDss, lunghezza - kTestaDss);
    if (contenuto.size() < kTestaOggetto) {
        return Invalida("la DSS di " + Byte(lunghezza) +
                        " non contiene un oggetto DDM: mancano i 4 byte della sua intestazione");
    }
    const std::size_t oggetto = Leggi16(contenuto, 0);
    const std::uint16_t codice = Leggi16(contenuto, 2);
    if (oggetto == 0)
        return Invalida("l'oggetto DDM della risposta ha lunghezza zero");
    if (oggetto < kTestaOggetto) {
        return Invalida("l'oggetto DDM della risposta dichiara " + Byte(oggetto) +
                        ", meno dei 4 della sua intestazione");
    }
    if (oggetto > contenuto.size()) {
        return Invalida("l'oggetto DDM della risposta dichiara " + Byte(oggetto) +
                        ", la DSS ne contiene " + std::to_string(contenuto.size()));
    }
    if (oggetto < contenuto.size()) {
        return Invalida("dopo l'oggetto DDM della risposta restano " +
                        Byte(contenuto.size() - oggetto) + " nella DSS");
    }
    if (codice != kExcsatrd) {
        return Invalida("la risposta non \xE8 EXCSATRD (X'1443') ma " + NomeCodice(codice));
    }
    return LeggiParametri(contenuto.subspan(kTestaOggetto, oggetto - kTestaOggetto));
}

}  // namespace velmar::drda
