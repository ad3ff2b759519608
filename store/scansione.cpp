// Vector versions of the reader's searches: AVX-512 or AVX2 where the processor has it (chosen
// at run time), SSE2 on every other x86-64, plain loops elsewhere; all give the same results.
#include "store/scansione.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VELMAR_AVX2 1
#endif

namespace velmar {

namespace {

LivelloScansione gMassimo = LivelloScansione::Avx512;

#if defined(VELMAR_AVX2)
bool HaAvx2() noexcept {
    static const bool si = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
                           __builtin_cpu_supports("bmi");
    return si && gMassimo >= LivelloScansione::Avx2;
}
bool HaAvx512() noexcept {
    static const bool si = __builtin_cpu_supports("avx512f") &&
                           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("popcnt") &&
                           __builtin_cpu_supports("bmi");
    return si && gMassimo >= LivelloScansione::Avx512;
}
#endif

// The first of the candidates at `base` + k (bit k of `candidati` set, first and last bytes of
// `ago` already matching there) where the whole of `ago` stands, or npos.
inline std::size_t PrimoCombaciante(const char* t, std::string_view ago, std::size_t base,
                                    std::uint64_t candidati) noexcept {
    for (; candidati != 0; candidati &= candidati - 1) {
        const std::size_t j = base + static_cast<std::size_t>(std::countr_zero(candidati));
        if (std::memcmp(t + j + 1, ago.data() + 1, ago.size() - 2) == 0)
            return j;
    }
    return std::string_view::npos;
}

// Candidates of `ago` in [i, ...): 64 positions at a time whose first, second and last bytes
// match. The second byte keeps other fields that merely start and end alike from being compared.
#if defined(VELMAR_AVX2)
__attribute__((target("avx2"))) inline __m256i Carica32(const char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Bit k set when byte k of the 32 at `p` equals the byte in `v`.
__attribute__((target("avx2"))) inline std::uint32_t Uguali32(const char* p, __m256i v) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(Carica32(p), v)));
}

__attribute__((target("avx2"))) inline std::uint32_t Candidati32(const char* p, std::size_t n,
                                                                 __m256i primo, __m256i secondo,
                                                                 __m256i ultimo) {
    const __m256i m =
        _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(Carica32(p), primo),
                                          _mm256_cmpeq_epi8(Carica32(p + 1), secondo)),
                         _mm256_cmpeq_epi8(Carica32(p + n - 1), ultimo));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(m));
}

__attribute__((target("avx2"))) std::size_t TrovaAvx2(const char* t, std::size_t dimensione,
                                                      std::string_view ago, std::size_t& i) {
    const std::size_t n = ago.size();
    const __m256i vPrimo = _mm256_set1_epi8(ago[0]);
    const __m256i vSecondo = _mm256_set1_epi8(ago[1]);
    const __m256i vUltimo = _mm256_set1_epi8(ago[n - 1]);
    // The inner loop makes no calls, so the compared bytes stay in registers.
    for (;;) {
        std::uint64_t m = 0;
        for (; m == 0; i += 64) {
            if (i + n - 1 + 64 > dimensione)
                return std::string_view::npos;
            m = Candidati32(t + i, n, vPrimo, vSecondo, vUltimo) |
                std::uint64_t{Candidati32(t + i + 32, n, vPrimo, vSecondo, vUltimo)} << 32;
        }
        if (const std::size_t j = PrimoCombaciante(t, ago, i - 64, m); j != std::string_view::npos)
            return j;
    }
}

// The same with AVX-512: each compare yields its 64-bit mask directly, the next compare only
// where the previous matched.
__attribute__((target("avx512f,avx512bw,bmi"))) std::size_t TrovaAvx512(const char* t,
                                                                        std::size_t dimensione,
                                                                        std::string_view ago,
                                                                        std::size_t& i) {
    const std::size_t n = ago.size();
    const __m512i vPrimo = _mm512_set1_epi8(ago[0]);
    const __m512i vSecondo = _mm512_set1_epi8(ago[1]);
    const __m512i vUltimo = _mm512_set1_epi8(ago[n - 1]);
    for (;;) {
        std::uint64_t m = 0;
        for (; m == 0; i += 64) {
            if (i + n - 1 + 64 > dimensione)
                return std::string_view::npos;
            __mmask64 k = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(t + i), vPrimo);
            k = _mm512_mask_cmpeq_epi8_mask(k, _mm512_loadu_si512(t + i + 1), vSecondo);
            m = _mm512_mask_cmpeq_epi8_mask(k, _mm512_loadu_si512(t + i + n - 1), vUltimo);
        }
        if (const std::size_t j = PrimoCombaciante(t, ago, i - 64, m); j != std::string_view::npos)
            return j;
    }
}
#endif

// The list's walk over a block: line ends and separators as they come.
class CamminoCodici {
  public:
    CamminoCodici(std::string_view blocco, ElencoCodici& codici)
        : b_(blocco.data()), n_(blocco.size()), codici_(&codici) {}

    // Handles the bytes at `base`: bit k of `cr` / `sep` set when byte base + k is a CR / a ';'.
    // Separators are counted a word at a time; only the fifth and sixth of a line are placed.
    [[gnu::always_inline]] inline void Eventi(std::uint64_t cr, std::uint64_t sep,
                                              std::size_t base) {
        while (cr != 0) {
            const int bit = std::countr_zero(cr);
            const std::uint64_t prima = (std::uint64_t{1} << bit) - 1;
            Separatori(sep & prima, base);
            FineRiga(base + static_cast<std::size_t>(bit));
            const std::uint64_t oltre = ~(prima | (prima + 1));
            cr &= oltre;
            sep &= oltre;
        }
        Separatori(sep, base);
    }

    // The bytes from `i` on, one at a time, and the last line.
    void Resto(std::size_t i) {
        for (; i < n_; ++i) {
            if (b_[i] == '\r') {
                FineRiga(i);
                i = inizioRiga_ - 1;
            } else if (b_[i] == ';' && separatori_ < 6) {
                Separatore(i);
            }
        }
        if (inizioRiga_ < n_)
            FineRiga(n_);
    }

    const char* Dati() const noexcept { return b_; }
    std::size_t Dimensione() const noexcept { return n_; }

  private:
    // A line ends at `cr`; the next one starts after it and after the LF of a CR LF.
    [[gnu::always_inline]] inline void FineRiga(std::size_t cr) {
        if (separatori_ >= 5) {
            const std::size_t fine = separatori_ >= 6 ? fineCodice_ : cr;
            codici_->AggiungiRiservato(std::string_view(b_ + inizioCodice_, fine - inizioCodice_));
        }
        separatori_ = 0;
        inizioRiga_ = cr + 1;
        if (inizioRiga_ < n_ && b_[inizioRiga_] == '\n')
            ++inizioRiga_;
    }
    // Separators of one line, at the set bits of `sep`.
    [[gnu::always_inline]] inline void Separatori(std::uint64_t sep, std::size_t base) {
        if (sep == 0 || separatori_ >= 6)
            return;
        const int quanti = std::popcount(sep);
        if (separatori_ + quanti < 5) {
            separatori_ += quanti;
            return;
        }
        while (sep != 0 && separatori_ < 6) {
            Separatore(base + static_cast<std::size_t>(std::countr_zero(sep)));
            sep &= sep - 1;
        }
    }
    [[gnu::always_inline]] inline void Separatore(std::size_t pos) {
        ++separatori_;
        if (separatori_ == 5) {
            inizioCodice_ = pos + 1;
        } else if (separatori_ == 6) {
            fineCodice_ = pos;
        }
    }

    const char* b_;
    std::size_t n_;
    ElencoCodici* codici_;
    int separatori_ = 0;  // seen on the current line, counted up to six
    std::size_t inizioCodice_ = 0;
    std::size_t fineCodice_ = 0;
    std::size_t inizioRiga_ = 0;
};

#if defined(VELMAR_AVX2)
// The walks work on a copy of the walker that nothing else can see, so that its counters stay
// in registers while the codes are written.
__attribute__((target("avx2,popcnt,bmi"))) std::size_t CamminaAvx2(CamminoCodici& cammino) {
    CamminoCodici c = cammino;
    const char* const b = c.Dati();
    const std::size_t n = c.Dimensione();
    const __m256i vCr = _mm256_set1_epi8('\r');
    const __m256i vSeparatore = _mm256_set1_epi8(';');
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const std::uint64_t cr = Uguali32(b + i, vCr) | std::uint64_t{Uguali32(b + i + 32, vCr)}
                                                            << 32;
        const std::uint64_t sep =
            Uguali32(b + i, vSeparatore) | std::uint64_t{Uguali32(b + i + 32, vSeparatore)} << 32;
        c.Eventi(cr, sep, i);
    }
    cammino = c;
    return i;
}

__attribute__((target("avx512f,avx512bw,popcnt,bmi"))) std::size_t CamminaAvx512(
    CamminoCodici& cammino) {
    CamminoCodici c = cammino;
    const char* const b = c.Dati();
    const std::size_t n = c.Dimensione();
    const __m512i vCr = _mm512_set1_epi8('\r');
    const __m512i vSeparatore = _mm512_set1_epi8(';');
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i v = _mm512_loadu_si512(b + i);
        c.Eventi(_mm512_cmpeq_epi8_mask(v, vCr), _mm512_cmpeq_epi8_mask(v, vSeparatore), i);
    }
    cammino = c;
    return i;
}
#endif

}  // namespace

void LimitaScansione(LivelloScansione massimo) noexcept {
    gMassimo = massimo;
}

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
#if defined(VELMAR_AVX2)
    if (HaAvx512()) {
        const std::size_t j = TrovaAvx512(t, dimensione, ago, i);
        if (j != std::string_view::npos)
            return j;
    } else if (HaAvx2()) {
        const std::size_t j = TrovaAvx2(t, dimensione, ago, i);
        if (j != std::string_view::npos)
            return j;
    }
#endif
#if defined(__SSE2__)
    // Candidates are the positions whose first and last bytes both match.
    const __m128i vPrimo = _mm_set1_epi8(primo);
    const __m128i vUltimo = _mm_set1_epi8(ultimo);
    while (i + n - 1 + 16 <= dimensione) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + n - 1));
        const auto m = static_cast<std::uint16_t>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, vPrimo), _mm_cmpeq_epi8(b, vUltimo))));
        if (const std::size_t j = PrimoCombaciante(t, ago, i, m); j != std::string_view::npos)
            return j;
        i += 16;
    }
#endif
    for (; i + n <= dimensione; ++i) {
        if (t[i] == primo && t[i + n - 1] == ultimo && PrimoCombaciante(t, ago, i, 1) == i)
            return i;
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
    // A line with a code holds it and five separators more, so the block's codes with their
    // CRs take fewer bytes than the block.
    codici.Riserva(blocco.size());
    CamminoCodici cammino(blocco, codici);
    std::size_t i = 0;
#if defined(VELMAR_AVX2)
    if (HaAvx512()) {
        i = CamminaAvx512(cammino);
    } else if (HaAvx2()) {
        i = CamminaAvx2(cammino);
    }
#endif
#if defined(__SSE2__)
    const char* const b = blocco.data();
    const std::size_t n = blocco.size();
    const __m128i vCr = _mm_set1_epi8('\r');
    const __m128i vSeparatore = _mm_set1_epi8(';');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        cammino.Eventi(
            static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vCr))),
            static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vSeparatore))), i);
    }
#endif
    cammino.Resto(i);
}

}  // namespace velmar
