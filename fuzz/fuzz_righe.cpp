// Fuzz target: the line reader, the field cutting, the list and the lookup, against plain
// per-byte rules written here. The first byte of the input chooses the read buffer's size (so
// that lines longer than the buffer, read back from the file, are exercised) and the size of
// each read; the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ditte.h"
#include "store/record.h"
#include "store/righe.h"
#include "fuzz/regole_semplici.h"
#include "tests/support/lettura_a_pezzi.h"

namespace {

using velmar::fuzz::Campi;
using velmar::fuzz::Righe;

void Verifica(bool condizione) {
    if (!condizione)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    if (n == 0)
        return 0;
    const std::size_t capacita = dati[0] % 64 + 4;
    const std::size_t pezzo = dati[0] / 64 + 1;
    const std::string_view testo(reinterpret_cast<const char*>(dati) + 1, n - 1);
    const std::vector<std::string> righe = Righe(testo);
    std::vector<std::vector<std::string>> campiRighe;
    for (const auto& r : righe)
        campiRighe.push_back(Campi(r));

    velmar::test::LetturaAPezzi file(testo, pezzo);
    std::size_t i = 0;
    const velmar::Esito letto = velmar::OgniRiga(
        file,
        [&](const velmar::RigaLetta& riga) {
            Verifica(i < righe.size());
            std::string letta;
            Verifica(static_cast<bool>(riga.Copia([&](std::string_view p) { letta.append(p); })));
            Verifica(letta == righe[i]);
            // The fields of a line, whole or read back, are those of the plain rule.
            const std::vector<std::string>& attesi = campiRighe[i];
            const velmar::CampiRiga campi = riga.Campi(velmar::CampiRiga::kMax);
            Verifica(campi.numero == std::min(attesi.size(), velmar::CampiRiga::kMax));
            for (std::size_t k = 0; k < campi.numero; ++k) {
                const velmar::Risultato<std::string> campo = riga.Campo(campi, k);
                Verifica(campo && *campo == attesi[k]);
            }
            ++i;
            return velmar::Esito();
        },
        capacita);
    Verifica(letto && i == righe.size());

    std::vector<std::string> codici;
    for (const auto& c : campiRighe) {
        if (c.size() >= 6)
            codici.push_back(c[5]);
    }
    Verifica(velmar::CodiciDaTesto(testo, capacita) == codici);

    // Codes to look up: the first and the last listed codes, the first without its first byte,
    // and a few odd ones.
    std::vector<std::string> daCercare;
    for (std::size_t k = 0; k < codici.size(); ++k) {
        if (k < 4 || k + 4 >= codici.size())
            daCercare.push_back(codici[k]);
    }
    if (!codici.empty() && !codici.front().empty())
        daCercare.push_back(codici.front().substr(1));
    for (const char* c : {"", ";", "\r", "\n", "a;b", "0"})
        daCercare.emplace_back(c);
    for (const auto& codice : daCercare) {
        std::optional<velmar::RisultatoRicerca> atteso;
        for (const auto& c : campiRighe) {
            if (c.size() < 6 || c[5] != codice)
                continue;
            if (!atteso)
                atteso.emplace();
            atteso->descrizione = c[0];
            if (c.size() >= 7)
                atteso->macchina = c[6];
            atteso->server =
                c[4] == "db2admin" ? velmar::TipoServer::NT : velmar::TipoServer::Linux;
        }
        const velmar::Risultato<velmar::RisultatoRicerca> trovata =
            velmar::CercaInTesto(testo, codice, capacita);
        Verifica(trovata ? atteso && *trovata == *atteso : !atteso);
    }
    return 0;
}
