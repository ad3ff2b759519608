// The application-folder component: the external COM object that tells where the package lives.
// It is reached by late binding (IDispatch, method "Percorso" with the key "Brio"); its one
// instance is created at the first request and kept until the program ends. COM must already be
// initialised on the calling thread (single-threaded apartment).
// An in-process component loads only into a program of its own width: on 64-bit Windows a
// component registered for 32-bit programs alone (the other registry view) is told apart from
// one not registered, so that the technician is told which build to use.
#pragma once

#include <oaidl.h>

#include <string>
#include <string_view>

#include "platform/handles_win32.h"
#include "store/risultato.h"

namespace velmar {

inline constexpr wchar_t kProgIdPercorsi[] = L"PercorsiApplicazioni.Percorsi";

// Why the component gave no usable folder.
enum class StatoCartella {
    ComponenteAssente,   // the component could not be created (not registered, failed to load)
    AltraArchitettura,   // registered only for programs of the other width (32 or 64 bit)
    ErrorePercorso,      // "Percorso" missing, or it reported an error, or gave no text
    Vuota,               // an empty text
    Relativa,            // not a complete path ("Brio", "cartella\x", "C:x")
    NonRappresentabile,  // holds characters that Windows-1252 cannot hold
};

// The words of each reason: "il componente ha dato una cartella vuota".
[[nodiscard]] std::string MotivoCartella(StatoCartella stato);

class ComponentePercorsi {
  public:
    explicit ComponentePercorsi(std::wstring progId = kProgIdPercorsi) noexcept;
    ComponentePercorsi(const ComponentePercorsi&) = delete;
    ComponentePercorsi& operator=(const ComponentePercorsi&) = delete;

    // Asks Percorso("Brio") anew: the base folder as an absolute Windows-1252 path. Fails as
    // CartellaNonDisponibile, its text the reason (MotivoCartella), the step that failed and what
    // the component or the system said as its cause, or the folder given as its path. A component
    // that could not be created is tried again at the next request, so one registered while the
    // program runs is found.
    [[nodiscard]] Risultato<std::string> ChiediCartella();

  private:
    [[nodiscard]] Esito Crea();

    std::wstring progId_;
    com_ptr<IDispatch> istanza_;
    DISPID percorso_ = DISPID_UNKNOWN;
};

}  // namespace velmar
