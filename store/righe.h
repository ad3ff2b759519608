// Cutting the parameters file into lines. A line ends at CR LF or at a lone CR; a lone LF is an
// ordinary byte of the line; the terminator is not part of the line; a final line without
// terminator is still a line; an empty text has no lines. Bytes are passed on unchanged.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include "store/file_system.h"

namespace velmar {

// Calls fn(std::string_view line) for every line of `testo`.  "a\r\nb\rc\nd" -> "a", "b", "c\nd".
template <class Fn>
void PerOgniRiga(std::string_view testo, Fn&& fn) {
    const char* p = testo.data();
    const char* const fine = p + testo.size();
    while (p < fine) {
        const void* cr = std::memchr(p, '\r', static_cast<std::size_t>(fine - p));
        if (cr == nullptr) {
            fn(std::string_view(p, static_cast<std::size_t>(fine - p)));
            return;
        }
        const char* c = static_cast<const char*>(cr);
        fn(std::string_view(p, static_cast<std::size_t>(c - p)));
        p = c + 1;
        if (p < fine && *p == '\n')
            ++p;
    }
}

inline constexpr std::size_t kBufferLettura = 64 * 1024;

// Reads a file through a buffer of fixed size and passes it on in blocks of whole lines:
// each block is a text for PerOgniRiga that starts at a line's start and ends after a line's
// terminator (or at the end of the file). The buffer grows only for a line longer than it.
template <class Fn>
[[nodiscard]] Esito LeggiBlocchi(FileLettura& file, Fn&& blocco) {
    std::size_t capacita = kBufferLettura;
    auto buffer = std::make_unique_for_overwrite<char[]>(capacita);
    std::size_t usati = 0;  // bytes held, the start of a line first
    bool saltaLF = false;   // the last block ended with a CR: a LF now belongs to it
    for (;;) {
        if (usati == capacita) {
            auto piu = std::make_unique_for_overwrite<char[]>(capacita * 2);
            std::memcpy(piu.get(), buffer.get(), usati);
            buffer = std::move(piu);
            capacita *= 2;
        }
        std::size_t letti = 0;
        Esito e = file.Leggi(buffer.get() + usati, capacita - usati, letti);
        if (!e)
            return e;
        char* const b = buffer.get();
        if (letti == 0) {
            if (usati > 0)
                blocco(std::string_view(b, usati));
            return Esito::Riuscito();
        }
        const std::size_t nuovi = usati;
        usati += letti;
        std::size_t inizio = 0;
        if (saltaLF) {
            saltaLF = false;
            if (b[0] == '\n')
                inizio = 1;
        }
        // The last CR among the new bytes (the bytes held before hold none).
        std::size_t k = usati;
        while (k > nuovi && b[k - 1] != '\r')
            --k;
        if (k == nuovi) {
            if (inizio > 0) {
                std::memmove(b, b + inizio, usati - inizio);
                usati -= inizio;
            }
            continue;
        }
        std::size_t fineBlocco = k;  // just after the CR
        if (fineBlocco < usati && b[fineBlocco] == '\n') {
            ++fineBlocco;
        } else if (fineBlocco == usati) {
            saltaLF = true;
        }
        if (fineBlocco > inizio)
            blocco(std::string_view(b + inizio, fineBlocco - inizio));
        std::memmove(b, b + fineBlocco, usati - fineBlocco);
        usati -= fineBlocco;
    }
}

}  // namespace velmar
