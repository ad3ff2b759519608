// The window's connection check: its system menu item and the check run without blocking.
#include "window/prova_win32.h"

#include <atomic>
#include <optional>

#include "pacchetto/prova.h"
#include "store/cp1252.h"
#include "window/attesa_win32.h"

namespace velmar {

namespace {

std::atomic<std::uint16_t> portaProva{kPortaDb2};

// "a\nb" -> "a\r\nb", as the window's messages break their lines.
std::string RigheFinestra(std::string_view testo) {
    std::string r;
    for (const char c : testo) {
        if (c == '\n')
            r += '\r';
        r += c;
    }
    return r;
}

}  // namespace

void AggiungiProvaConnessione(HWND finestra) noexcept {
    const HMENU menu = ::GetSystemMenu(finestra, FALSE);
    if (!menu)
        return;
    const std::u16string voce = Utf16Da1252(kVoceProvaConnessione);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kComandoProvaConnessione,
                  reinterpret_cast<const wchar_t*>(voce.c_str()));
}

void ImponiPortaProva(std::uint16_t porta) noexcept {
    portaProva = porta;
}

std::string TestoProvaConnessione(const VoceUtente& macchina, TipoServer server) {
    if (server == TipoServer::Nessuno)
        return std::string(kMsgServerMancante);
    if (macchina.Vuota())
        return std::string(kMsgMacchinaMancante);
    if (!macchina.testo)
        return MessaggioCaratteriNonAmmessi(kEtichettaMacchina);
    const ServerDaProvare daProvare{*macchina.testo, portaProva, server};
    std::optional<RisultatoProva> r;
    EseguiSenzaBloccare([&] { r.emplace(ProvaServer(ReteDiSistema(), daProvare, {})); });
    return RigheFinestra(TestoProva(*r));
}

}  // namespace velmar
