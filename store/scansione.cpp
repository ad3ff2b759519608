// SSE2 versions of the reader's searches, with portable fallbacks.
#include "store/scansione.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmar {

std::size_t TrovaSequenza(std::string_view testo, std::string_view ago, std::size_t da) noexcept {
    const std::size_t n = ago.size();
    const std::size_t dimensione = testo.size();
    if (n == 0)
        return da <= dimensione ? da : std::string_view::npos;
    if (da >= dimensione || dimensione - da < n)
        return std::string_view::npos;
    const char* const t = testo.data();
    if (n == 1) {
        const void* p = std::memchr(t + da, ago[0], dimensione - da);
        return p == nullptr ? std::string_view::npos
                            : static_cast<std::size_t>(static_cast<const char*>(p) - t);
    }
    const char primo = ago[0];
    const char ultimo = ago[n - 1];
    std::size_t i = da;
#if defined(__SSE2__)
    // Candidates are the positions whose first and last bytes both match.
    const __m128i vPrimo = _mm_set1_epi8(primo);
    const __m128i vUltimo = _mm_set1_epi8(ultimo);
    while (i + n - 1 + 16 <= dimensione) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + n - 1));
        auto m = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, vPrimo), _mm_cmpeq_epi8(b, vUltimo))));
        while (m != 0) {
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(m));
            if (std::memcmp(t + j + 1, ago.data() + 1, n - 2) == 0)
                return j;
            m &= m - 1;
        }
        i += 16;
    }
#endif
    for (; i + n <= dimensione; ++i) {
        if (t[i] == primo && t[i + n - 1] == ultimo &&
            std::memcmp(t + i + 1, ago.data() + 1, n - 2) == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

const char* DopoSeparatori(const char* p, const char* fine, int n) noexcept {
#if defined(__SSE2__)
    const __m128i separatore = _mm_set1_epi8(';');
    while (fine - p >= 16) {
        auto m = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), separatore)));
        const int quanti = std::popcount(m);
        if (quanti >= n) {
            while (--n > 0)
                m &= m - 1;
            return p + std::countr_zero(m) + 1;
        }
        n -= quanti;
        p += 16;
    }
#endif
    for (; p < fine; ++p) {
        if (*p == ';' && --n == 0)
            return p + 1;
    }
    return nullptr;
}

void AggiungiCodici(std::string_view blocco, ElencoCodici& codici) {
    const char* const b = blocco.data();
    const std::size_t n = blocco.size();
    int separatori = 0;  // seen on the current line, counted up to six
    std::size_t inizioCodice = 0;
    std::size_t fineCodice = 0;
    std::size_t inizioRiga = 0;
    // A line ends at `cr`; the next one starts after it and after the LF of a CR LF.
    const auto fineRiga = [&](std::size_t cr) {
        if (separatori >= 5) {
            codici.Aggiungi(std::string_view(b + inizioCodice,
                                             (separatori >= 6 ? fineCodice : cr) - inizioCodice));
        }
        separatori = 0;
        inizioRiga = cr + 1;
        if (inizioRiga < n && b[inizioRiga] == '\n')
            ++inizioRiga;
    };
    const auto separatore = [&](std::size_t pos) {
        ++separatori;
        if (separatori == 5) {
            inizioCodice = pos + 1;
        } else if (separatori == 6) {
            fineCodice = pos;
        }
    };
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i vCr = _mm_set1_epi8('\r');
    const __m128i vSeparatore = _mm_set1_epi8(';');
    while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        auto cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vCr)));
        auto sep = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vSeparatore)));
        for (;;) {
            // Past the sixth separator only the line end matters.
            const unsigned eventi = cr | (separatori < 6 ? sep : 0u);
            if (eventi == 0)
                break;
            const int bit = std::countr_zero(eventi);
            const unsigned oltre = ~((2u << bit) - 1u);
            if ((cr >> bit) & 1u) {
                fineRiga(i + static_cast<std::size_t>(bit));
            } else {
                separatore(i + static_cast<std::size_t>(bit));
            }
            cr &= oltre;
            sep &= oltre;
        }
        i += 16;
    }
#endif
    for (; i < n; ++i) {
        if (b[i] == '\r') {
            fineRiga(i);
            i = inizioRiga - 1;
        } else if (b[i] == ';' && separatori < 6) {
            separatore(i);
        }
    }
    if (inizioRiga < n)
        fineRiga(n);
}

}  // namespace velmar
