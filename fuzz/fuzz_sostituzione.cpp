// Fuzz target: the save's copy with replacement. The input is a code, a NUL byte, then the
// parameters file. Properties: every line of the output ends with CR LF; the lines not carrying
// the code come out byte for byte, in order; each line carrying it becomes the record; a new
// code is appended once at the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "store/record.h"
#include "store/righe.h"
#include "store/salvataggio.h"

namespace {

void Verifica(bool condizione) {
    if (!condizione)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    const std::string_view tutto(reinterpret_cast<const char*>(dati), n);
    const auto nul = tutto.find('\0');
    if (nul == std::string_view::npos)
        return 0;
    const std::string_view codice = tutto.substr(0, nul);
    const std::string_view testo = tutto.substr(nul + 1);
    // The confirmation refuses a code with a line break: its record could not be one line.
    if (codice.find_first_of("\r\n") != std::string_view::npos)
        return 0;

    velmar::StatoFinestra stato{std::string(codice), "Descrizione", "10.0.0.1",
                                "db2admin",          "db2admin",    "db2admin"};
    const std::string record = velmar::ComponiRecord(stato, velmar::CartellaCatalogo(""));
    const std::string uscita = velmar::SostituisciInTesto(testo, codice, record);

    std::vector<std::string> ingresso;
    velmar::PerOgniRiga(testo, [&](std::string_view r) { ingresso.emplace_back(r); });

    // The output is whole lines ending in CR LF; no line can hold a CR, so cutting at CR LF
    // recovers them.
    Verifica(uscita.size() >= 2 && uscita.compare(uscita.size() - 2, 2, "\r\n") == 0);
    std::vector<std::string_view> righe;
    for (std::size_t inizio = 0; inizio < uscita.size();) {
        const auto fine = uscita.find("\r\n", inizio);
        Verifica(fine != std::string::npos);
        righe.push_back(std::string_view(uscita).substr(inizio, fine - inizio));
        inizio = fine + 2;
    }

    bool trovato = false;
    std::size_t i = 0;
    for (; i < ingresso.size(); ++i) {
        Verifica(i < righe.size());
        const auto c = velmar::TagliaCampi(ingresso[i]);
        if (c.numero >= 6 && c.campi[5] == codice) {
            Verifica(righe[i] == record);
            trovato = true;
        } else {
            Verifica(righe[i] == ingresso[i]);
        }
    }
    Verifica(righe.size() == ingresso.size() + (trovato ? 0 : 1));
    if (!trovato)
        Verifica(righe.back() == record);
    return 0;
}
