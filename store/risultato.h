// The outcome of every operation that can fail: its value, or an error with its kind and what a
// person needs to know of it. Each layer writes only its own words (the system's description of a
// file operation, the store's sentence for a refused save) and gives the context it knows (the
// file, the step, what the layer below reported) as fields; the text a person reads is composed
// from them once, where it is shown. Callers branch on the kind.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace velmar {

// What went wrong, in the package's words.
enum class TipoErrore {
    Assente,                 // the file or folder is not there
    Occupato,                // another save holds the package
    Illeggibile,             // the parameters file exists but cannot be read
    DittaNonTrovata,         // no line carries the code
    CartellaNonDisponibile,  // no usable package folder
    VoceNonValida,           // an entry missing, or one that cannot be stored
    NessunaArea,             // none of the area folders exists: nothing written
    NonSalvato,              // a change that wrote nothing: every file as it was
    Sistema,                 // any other failure the system reports
    Rete,                    // a server's reply that is not what the check asked for
    UsoErrato,               // a command line that names no command, or not as it takes it
};

// What a person can do about a change that wrote nothing, which the programs word with the
// tools they know.
enum class Rimedio {
    Nessuno,
    Ripara,         // mend the package's file with the repair, then try again
    RimettiCopia,   // put one of the area copies back in the base folder, then try again
    CorreggiAMano,  // correct the file by hand
};

struct PercorsoNonAggiornato;

struct Errore {
    Errore(TipoErrore t, std::string descrizione);
    Errore(TipoErrore t, std::string descrizione, std::vector<PercorsoNonAggiornato> p);

    TipoErrore tipo;
    // What went wrong, in the words of the layer that knows it ("" when the layer adds only
    // context to its cause): Windows-1252 text.
    std::string testo;
    // The file or folder it concerns, and the step of the operation that failed ("lettura",
    // "copia"), when the layer knows them.
    std::string percorso;
    std::string passo;
    Rimedio rimedio = Rimedio::Nessuno;
    // What the layer below reported (none or one): the system's own failure, say.
    std::vector<Errore> causa;
    // Of a change: each path it did not update, and why.
    std::vector<PercorsoNonAggiornato> percorsi;

    bool operator==(const Errore&) const = default;
};

// A path a change could not update ("" when the change stopped before any), and why.
struct PercorsoNonAggiornato {
    std::string percorso;
    Errore motivo;

    bool operator==(const PercorsoNonAggiornato&) const = default;
};

inline Errore::Errore(TipoErrore t, std::string descrizione)
    : tipo(t), testo(std::move(descrizione)) {}
inline Errore::Errore(TipoErrore t, std::string descrizione, std::vector<PercorsoNonAggiornato> p)
    : tipo(t), testo(std::move(descrizione)), percorsi(std::move(p)) {}

// `causa` told as a failure of the step `passo`: "copia: <causa>".
[[nodiscard]] inline Errore NelPasso(std::string passo, Errore causa) {
    Errore e(causa.tipo, "");
    e.passo = std::move(passo);
    e.causa.push_back(std::move(causa));
    return e;
}

// `testo` of the file `percorso`, caused by `causa`: "<testo>: <percorso>: <causa>".
[[nodiscard]] inline Errore DelFile(TipoErrore tipo, std::string testo, std::string percorso,
                                    Errore causa) {
    Errore e(tipo, std::move(testo));
    e.percorso = std::move(percorso);
    e.causa.push_back(std::move(causa));
    return e;
}

template <class T>
class [[nodiscard]] Risultato {
  public:
    Risultato(T valore) : stato_(std::in_place_index<0>, std::move(valore)) {}
    Risultato(velmar::Errore errore) : stato_(std::in_place_index<1>, std::move(errore)) {}

    explicit operator bool() const noexcept { return stato_.index() == 0; }
    T& operator*() & { return std::get<0>(stato_); }
    const T& operator*() const& { return std::get<0>(stato_); }
    T&& operator*() && { return std::get<0>(std::move(stato_)); }
    T* operator->() { return &std::get<0>(stato_); }
    const T* operator->() const { return &std::get<0>(stato_); }
    // Only of a failure.
    const velmar::Errore& Errore() const& { return std::get<1>(stato_); }
    velmar::Errore&& Errore() && { return std::get<1>(std::move(stato_)); }

  private:
    std::variant<T, velmar::Errore> stato_;
};

template <>
class [[nodiscard]] Risultato<void> {
  public:
    Risultato() = default;
    Risultato(velmar::Errore errore) : errore_(std::move(errore)) {}

    explicit operator bool() const noexcept { return !errore_.has_value(); }
    // Only of a failure.
    const velmar::Errore& Errore() const& { return *errore_; }
    velmar::Errore&& Errore() && { return std::move(*errore_); }

  private:
    std::optional<velmar::Errore> errore_;
};

// An operation that gives nothing back.
using Esito = Risultato<void>;

}  // namespace velmar
