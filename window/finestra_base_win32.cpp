// An exception that reached a window procedure, told to the person.
#include "window/finestra_base_win32.h"

#include "store/cp1252.h"

namespace velmar {

std::string MessaggioErroreImprevisto(std::string_view causa) {
    constexpr std::string_view kErrore = "Errore imprevisto";
    if (causa.empty())
        return std::string(kErrore) + ".";
    return std::string(kErrore) + ": " + std::string(causa);
}

void MostraErroreImprevisto(Interfaccia& interfaccia, HWND finestra,
                            std::exception_ptr eccezione) noexcept {
    try {
        std::string causa;
        try {
            std::rethrow_exception(eccezione);
        } catch (const std::exception& e) {
            causa = e.what();
        } catch (...) {
        }
        interfaccia.Messaggio(::GetAncestor(finestra, GA_ROOT),
                              Utf16Da1252(MessaggioErroreImprevisto(causa)));
    } catch (...) {
        // Not even the message could be composed: nothing more can be told.
    }
}

}  // namespace velmar
