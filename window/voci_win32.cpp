// The entries read into the store's values, and a company shown in them.
#include "window/voci_win32.h"

#include <string>

#include "store/cp1252.h"
#include "window/testo_win32.h"

namespace velmar {

namespace {

VoceUtente Voce(HWND controllo) {
    return VoceUtente{Cp1252DaUtf16(TestoDi(controllo))};
}

bool Attivo(HWND opzione) noexcept {
    return ::SendMessageW(opzione, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

VociUtente LeggiVoci(const std::array<HWND, kNumeroControlli>& controlli) {
    VociUtente voci;
    voci.codice = Voce(controlli[kCombo]);
    voci.descrizione = Voce(controlli[kDescrizione]);
    voci.macchina = Voce(controlli[kMacchina]);
    voci.server = Attivo(controlli[kOpzioneNT])      ? TipoServer::NT
                  : Attivo(controlli[kOpzioneLinux]) ? TipoServer::Linux
                                                     : TipoServer::Nessuno;
    return voci;
}

void MostraDitta(const std::array<HWND, kNumeroControlli>& controlli,
                 const RisultatoRicerca& ditta) {
    const std::u16string descrizione = Utf16Da1252(ditta.descrizione);
    const std::u16string macchina = Utf16Da1252(ditta.macchina);
    ::SetWindowTextW(controlli[kDescrizione], W(descrizione));
    ::SetWindowTextW(controlli[kMacchina], W(macchina));
    ::SendMessageW(controlli[kOpzioneNT], BM_SETCHECK,
                   ditta.server == TipoServer::NT ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(controlli[kOpzioneLinux], BM_SETCHECK,
                   ditta.server == TipoServer::Linux ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace velmar
