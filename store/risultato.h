// The outcome of every operation that can fail: its value, or an error with its kind and its
// text. The text is written once, by the layer that owns its words (the system's message for a
// file operation, the store's for a save); callers branch on the kind and show the text as it is.
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

// A path a change could not update ("" when the change stopped before any), and why.
struct PercorsoNonAggiornato {
    std::string percorso;
    std::string motivo;

    bool operator==(const PercorsoNonAggiornato&) const = default;
};

struct Errore {
    Errore(TipoErrore t, std::string descrizione, std::vector<PercorsoNonAggiornato> p = {})
        : tipo(t), testo(std::move(descrizione)), percorsi(std::move(p)) {}

    TipoErrore tipo;
    // What to show, in Italian, in Windows-1252.
    std::string testo;
    // Of a change that wrote nothing: where and why it stopped.
    std::vector<PercorsoNonAggiornato> percorsi;
};

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
