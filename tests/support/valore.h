// The value of a result the test expects to be a success: else the test fails, showing the
// error's text, and goes on with an empty value.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "store/risultato.h"

namespace velmar::test {

// Whether `r` failed as `tipo` with a text that starts with `inizio`.
template <class T>
::testing::AssertionResult FallitoCome(const Risultato<T>& r, TipoErrore tipo,
                                       std::string_view inizio) {
    if (r)
        return ::testing::AssertionFailure() << "a success, not a failure";
    if (r.Errore().tipo != tipo || !r.Errore().testo.starts_with(inizio)) {
        return ::testing::AssertionFailure() << "the failure " << static_cast<int>(r.Errore().tipo)
                                             << ": " << ::testing::PrintToString(r.Errore().testo);
    }
    return ::testing::AssertionSuccess();
}

template <class T>
T Valore(Risultato<T> r) {
    if (!r) {
        ADD_FAILURE() << "expected a value, not the failure: "
                      << ::testing::PrintToString(r.Errore().testo);
        return T{};
    }
    return *std::move(r);
}

}  // namespace velmar::test
