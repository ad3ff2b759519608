// Fuzz target: the save's copy with replacement. The input is a byte that chooses the read
// buffer's size, a code, a NUL byte, then the parameters file. Properties: a change never drops
// the bytes that follow a lone LF, nor leaves a record of the code hidden after one, nor writes a
// record beyond ASCII into text that looks like UTF-8, nor any record into UTF-16 text: in each
// of these cases nothing comes out; otherwise every line of the output ends with CR LF; the lines
// not carrying the code come out byte for byte, in order; each line carrying it becomes the record;
// a new code is appended once at the end; all of this whether the lines fit the buffer or are
// copied back from the file in pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/record.h"
#include "fuzz/regole_semplici.h"
#include "store/salvataggio.h"

namespace {

void Verifica(bool condizione) {
    if (!condizione)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t n) {
    if (n == 0)
        return 0;
    const std::size_t capacita = dati[0] % 64 + 1;
    const std::string_view tutto(reinterpret_cast<const char*>(dati) + 1, n - 1);
    const auto nul = tutto.find('\0');
    if (nul == std::string_view::npos)
        return 0;
    const std::string_view codice = tutto.substr(0, nul);
    const std::string_view testo = tutto.substr(nul + 1);
    // The confirmation refuses a code with a line break: its record could not be one line.
    if (codice.find_first_of("\r\n") != std::string_view::npos)
        return 0;

    // The description beyond ASCII every other input.
    const bool ascii = dati[0] % 2 == 0;
    const velmar::DatiDitta ditta{std::string(codice), ascii ? "Descrizione" : "Descrizione \xE8",
                                  "10.0.0.1",          "db2admin",
                                  "db2admin",          "db2admin"};
    const std::string record = velmar::ComponiRecord(ditta, "C:\\Cat");
    const velmar::Risultato<std::string> sostituito =
        velmar::SostituisciInTesto(testo, codice, record, capacita);

    const std::vector<std::string> ingresso = velmar::fuzz::Righe(testo);
    bool perdita = velmar::fuzz::Utf16(testo);
    bool utf8 = false;
    for (const std::string& riga : ingresso) {
        const auto campi = velmar::fuzz::Campi(riga);
        const bool sua = campi.size() >= 6 && campi[5] == codice;
        perdita = perdita || (sua && riga.find('\n') != std::string::npos) ||
                  (!sua && velmar::fuzz::CodiceDopoLf(riga, codice));
        utf8 = utf8 || velmar::fuzz::Utf8(riga);
    }
    bool recordAscii = true;
    for (const char c : record)
        recordAscii = recordAscii && static_cast<unsigned char>(c) < 0x80;
    perdita = perdita || (utf8 && !recordAscii);
    Verifica(static_cast<bool>(sostituito) == !perdita);
    if (!sostituito)
        return 0;
    const std::string& uscita = *sostituito;

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
        const auto campi = velmar::fuzz::Campi(ingresso[i]);
        if (campi.size() >= 6 && campi[5] == codice) {
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
