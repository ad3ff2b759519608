// Fuzz target: the line reader, the record splitting and the lookup's fast scan.
// Properties: a file read in pieces of any size gives the same lines as the whole text; no
// line holds a CR; the lines hold every byte but the terminators; field 5 found by the fast
// scan is the split's field 5; the lookup that visits only candidate lines gives the same
// result as one that looks at every line.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "store/ditte.h"
#include "store/record.h"
#include "store/righe.h"

namespace {

// A file that hands out its bytes `pezzo` at a time.
class LetturaAPezzi final : public velmar::FileLettura {
  public:
    LetturaAPezzi(std::string_view dati, std::size_t pezzo) : dati_(dati), pezzo_(pezzo) {}
    velmar::Esito Leggi(char* buffer, std::size_t capacita, std::size_t& letti) override {
        letti = std::min({capacita, pezzo_, dati_.size()});
        std::memcpy(buffer, dati_.data(), letti);
        dati_.remove_prefix(letti);
        return velmar::Esito::Riuscito();
    }

  private:
    std::string_view dati_;
    std::size_t pezzo_;
};

void Verifica(bool condizione) {
    if (!condizione)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    if (n == 0)
        return 0;
    const std::size_t pezzo = dati[0] % 17 + 1;
    const std::string_view testo(reinterpret_cast<const char*>(dati) + 1, n - 1);

    std::vector<std::string> intere;
    velmar::PerOgniRiga(testo, [&](std::string_view r) { intere.emplace_back(r); });

    std::vector<std::string> aPezzi;
    LetturaAPezzi file(testo, pezzo);
    const velmar::Esito e = velmar::LeggiBlocchi(file, [&](std::string_view blocco) {
        velmar::PerOgniRiga(blocco, [&](std::string_view r) { aPezzi.emplace_back(r); });
    });
    Verifica(e.ok && intere == aPezzi);

    // Lines hold every byte of the input except CRs and the LF of each CR LF.
    std::size_t byteRighe = 0;
    for (const auto& r : intere) {
        Verifica(r.find('\r') == std::string::npos);
        byteRighe += r.size();
    }
    std::size_t terminatori = 0;
    for (std::size_t i = 0; i < testo.size(); ++i) {
        if (testo[i] != '\r')
            continue;
        terminatori += (i + 1 < testo.size() && testo[i + 1] == '\n') ? 2 : 1;
    }
    Verifica(byteRighe + terminatori == testo.size());

    for (const auto& r : intere) {
        const velmar::CampiRiga c = velmar::TagliaCampi(r);
        std::size_t separatori = 0;
        for (char ch : r)
            separatori += ch == ';';
        Verifica(c.numero == (r.empty() ? 0 : separatori + 1));
        Verifica(velmar::CodiceRiga(r) == c.Campo(5));
    }

    // The list holds field 5 of every line with six fields or more, in order, and a lookup of
    // the last listed code finds a description.
    const auto codici = velmar::CodiciDaTesto(testo);
    std::vector<std::string> attesi;
    for (const auto& r : intere) {
        if (auto c = velmar::CodiceRiga(r))
            attesi.emplace_back(*c);
    }
    Verifica(codici == attesi);
    if (!attesi.empty()) {
        const auto r = velmar::CercaInTesto(testo, attesi.back());
        Verifica(r.server != velmar::TipoServer::Nessuno);
    }
    // Codes to look up: every listed code, the first without its first byte, and a few odd ones.
    std::vector<std::string> daCercare = attesi;
    if (!attesi.empty() && !attesi.front().empty())
        daCercare.emplace_back(attesi.front().substr(1));
    for (const char* c : {"", ";", "\r", "\n", "a;b", "0"})
        daCercare.emplace_back(c);
    for (const auto& codice : daCercare) {
        velmar::RicercaDitta riferimento(codice);
        for (const auto& r : intere)
            riferimento.Riga(r);
        Verifica(velmar::CercaInTesto(testo, codice) == riferimento.Risultato());
    }
    return 0;
}
