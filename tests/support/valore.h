// The value of a result the test expects to be a success: else the test fails, showing the
// error's text, and goes on with an empty value.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "store/risultato.h"

namespace velmar::test {

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
