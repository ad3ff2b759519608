// The value of a result the test expects to be a success: else the test fails, showing the
// error's text, and goes on with an empty value.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "store/risultato.h"

namespace velmar::test {

// The value of `r`, or nothing for a failure: for comparing with a table's expected value.
template <class T>
std::optional<T> Opzionale(const Risultato<T>& r) {
    if (!r)
        return std::nullopt;
    return *r;
}

// A change refused for `testo`, the store's sentence, with what a person can do about it.
inline Errore Rifiuto(std::string testo, Rimedio rimedio = Rimedio::Nessuno) {
    Errore e(TipoErrore::NonSalvato, std::move(testo));
    e.rimedio = rimedio;
    return e;
}

// Whether `e`, or what caused it, says `testo`.
inline bool Contiene(const Errore& e, std::string_view testo) {
    if (e.testo.find(testo) != std::string::npos)
        return true;
    for (const Errore& c : e.causa) {
        if (Contiene(c, testo))
            return true;
    }
    return false;
}

// Whether `r` failed as `tipo`, saying `testo` in its own words, its causes or the reasons of
// the paths it did not update.
template <class T>
::testing::AssertionResult FallitoCome(const Risultato<T>& r, TipoErrore tipo,
                                       std::string_view testo) {
    if (r)
        return ::testing::AssertionFailure() << "a success, not a failure";
    const Errore& e = r.Errore();
    bool detto = Contiene(e, testo);
    for (const PercorsoNonAggiornato& p : e.percorsi)
        detto = detto || Contiene(p.motivo, testo);
    if (e.tipo != tipo || !detto) {
        return ::testing::AssertionFailure()
               << "the failure " << static_cast<int>(e.tipo) << " does not say "
               << ::testing::PrintToString(std::string(testo));
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
