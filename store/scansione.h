// Fast byte searches for the reader's hot loops: 64 bytes at a time with AVX-512 or AVX2 where
// the processor has it, 16 with SSE2 on other x86, plain loops elsewhere; same results on all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/elenco_codici.h"

namespace velmar {

// Position of the first occurrence of `ago` in `testo` at or after `da`, or npos.
// ("x;001;y", ";001", 0) -> 1.
[[nodiscard]] std::size_t TrovaSequenza(std::string_view testo, std::string_view ago,
                                        std::size_t da) noexcept;

// The byte just after the n-th ';' of [p, fine), or nullptr when there are fewer (n >= 1).
// ("a;b;c", 2) -> points at "c".
[[nodiscard]] const char* DopoSeparatori(const char* p, const char* fine, int n) noexcept;

// Appends field 5 of every line of `blocco` that has at least six fields (a block of whole
// lines, as PerOgniRiga reads it). One pass over the bytes: separators and line ends together.
void AggiungiCodici(std::string_view blocco, ElencoCodici& codici);

// The widest vectors the searches may use; the processor may allow fewer. Tests lower it to
// compare every loop with the plain rules. Not for use while a search runs.
enum class LivelloScansione { Sse2, Avx2, Avx512 };
void LimitaScansione(LivelloScansione massimo) noexcept;

}  // namespace velmar
