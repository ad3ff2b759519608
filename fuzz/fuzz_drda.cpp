// Fuzz target: the reading of a server's reply to EXCSAT, on any bytes. Beside the sanitizers'
// checks (no read past the bytes, no overflow), the rules that do not depend on how the reply is
// read: a reply cut anywhere before the end of its first DSS cannot be read; what follows the
// first DSS changes nothing; bytes that still need more are never read as a reply; what the
// reply and the verdict show of the server holds no control character, and no byte that
// Windows-1252 lacks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "drda/excsat.h"
#include "drda/giudizio.h"

namespace {

void Verifica(bool condizione) {
    if (!condizione)
        std::abort();
}

// No byte below 0x20 but the tab, no 0x7F, no byte of 0x80 to 0x9F: text fit to be shown.
bool Mostrabile(std::string_view t, bool tabulazione) {
    for (const char c : t) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && !(tabulazione && u == '\t')) || u == 0x7F || (u >= 0x80 && u <= 0x9F))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::span<const unsigned char> byte(dati, n);
    const velmar::Risultato<velmar::drda::AttributiServer> r = velmar::drda::LeggiRisposta(byte);
    if (!velmar::drda::RispostaDaGiudicare(byte))
        Verifica(!r);
    if (!r) {
        Verifica(!r.Errore().testo.empty() && Mostrabile(r.Errore().testo, false));
        return 0;
    }

    // A reply read: its first DSS, whole, is what was read.
    Verifica(n >= 10 && byte[2] == velmar::drda::kIdDss);
    const std::size_t lunghezza = static_cast<std::size_t>(byte[0] << 8 | byte[1]);
    Verifica(lunghezza >= 10 && lunghezza <= n);
    const velmar::Risultato<velmar::drda::AttributiServer> sola =
        velmar::drda::LeggiRisposta(byte.first(lunghezza));
    Verifica(sola && *sola == *r);
    for (const std::size_t taglio : {lunghezza - 1, lunghezza / 2, std::size_t{6}, std::size_t{3}})
        Verifica(!velmar::drda::LeggiRisposta(byte.first(taglio)));

    // What the server said, and the verdict on it: Windows-1252 text, controls made visible
    // (the server's own tabs aside, which stay tabs until they are shown).
    for (const auto* campo : {&r->classe, &r->rilascio, &r->nome, &r->nomeEsterno}) {
        if (*campo) {
            for (const char c : **campo) {
                const auto u = static_cast<unsigned char>(c);
                Verifica(u < 0x80 || u > 0x9F);
            }
            Verifica((*campo)->size() <= 4 * velmar::drda::kMassimoTesto);
        }
    }
    for (const velmar::TipoServer tipo : {velmar::TipoServer::NT, velmar::TipoServer::Linux}) {
        const velmar::drda::Giudizio g = velmar::drda::GiudicaServer(*r, tipo);
        Verifica(Mostrabile(g.messaggio, true));
    }
    return 0;
}
