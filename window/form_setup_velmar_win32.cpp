// The setup window: its creation from the control table, its message switch and its handlers,
// the company lookup wired to the store, and the confirmation.
#include "window/form_setup_velmar_win32.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "pacchetto/messaggi.h"
#include "platform/dpi_win32.h"
#include "store/conferma.h"
#include "store/cp1252.h"
#include "store/salvataggio.h"
#include "window/attesa_win32.h"
#include "window/prova_win32.h"
#include "window/risorse.h"
#include "window/testo_win32.h"
#include "window/voci_win32.h"

namespace velmar {

namespace {

constexpr wchar_t kClasseFinestra[] = L"FormSetupVelmar";

}  // namespace

// --- Creation ---------------------------------------------------------------------------------

FormSetupVelmar::~FormSetupVelmar() {
    if (finestra_)
        ::DestroyWindow(finestra_);
}

bool FormSetupVelmar::Crea(HINSTANCE istanza) noexcept {
    istanza_ = istanza;
    INITCOMMONCONTROLSEX controlliComuni{sizeof(controlliComuni),
                                         ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controlliComuni);

    if (!Registra<&FormSetupVelmar::Gestisci>(istanza, kClasseFinestra,
                                              MAKEINTRESOURCEW(IDI_PROGRAMMA)) ||
        !Cornici::Registra(istanza)) {
        return false;
    }
    const std::u16string titolo = u"Setup Velmar";
    ::CreateWindowExW(kStileEstesoFinestra, kClasseFinestra, W(titolo), kStileFinestra,
                      CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, istanza, this);
    return finestra_ != nullptr;
}

void FormSetupVelmar::Mostra(int comando) noexcept {
    ::ShowWindow(finestra_, comando);
    ::UpdateWindow(finestra_);
}

std::optional<HWND> FormSetupVelmar::Controllo(std::string_view nome) const noexcept {
    const std::optional<std::size_t> i = Indice(nome);
    return i ? std::optional(controlli_[*i]) : std::nullopt;
}

std::array<FormSetupVelmar::NomeControllo, kNumeroControlli> FormSetupVelmar::Controlli() noexcept {
    std::array<NomeControllo, kNumeroControlli> nomi{};
    for (std::size_t i = 0; i < std::size(kControlli); ++i)
        nomi[i] = {kControlli[i].nome, kControlli[i].contenitore};
    return nomi;
}

bool FormSetupVelmar::OnCreate() {
    scala_ = Scala(DpiFinestra(finestra_));
    aspetto_.CreaColori();
    // The font first: the code list measures its entries with it as it is created.
    CreaRisorseGrafiche();
    if (!CreaControlli())
        return false;
    Disponi();
    Dimensiona(finestra_, scala_, {0, 0});
    Centra(finestra_);
    CaricaDitte();
    AggiungiProvaConnessione(finestra_);
    return true;
}

bool FormSetupVelmar::CreaControlli() {
    for (std::size_t i : OrdineCreazione()) {
        const std::optional<std::size_t> riga = Contenitore(i);
        const std::optional<HWND> controllo =
            cornici_.CreaControllo(i, riga ? controlli_[*riga] : finestra_, istanza_);
        if (!controllo)
            return false;
        controlli_[i] = *controllo;
    }
    const std::optional<HWND> suggerimenti = CreaSuggerimenti(finestra_, istanza_, controlli_);
    if (!suggerimenti)
        return false;
    suggerimenti_ = *suggerimenti;
    return true;
}

unique_hfont FormSetupVelmar::CreaRisorseGrafiche() {
    unique_hfont vecchio = aspetto_.CreaCarattere(scala_);
    elenco_.MisuraVoci(aspetto_.Carattere(), scala_);
    aspetto_.CreaImmagini(scala_);
    aspetto_.CreaIcone(istanza_, finestra_, scala_);
    return vecchio;
}

void FormSetupVelmar::Disponi() {
    const auto font = reinterpret_cast<WPARAM>(aspetto_.Carattere());
    for (std::size_t i = 0; i < std::size(kControlli); ++i) {
        const HWND h = controlli_[i];
        const RECT r = Rettangolo(i, scala_);
        ::SendMessageW(h, WM_SETFONT, font, FALSE);
        if (i == kCombo) {
            elenco_.Disponi(h, r);
        } else {
            ::SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ::SendMessageW(suggerimenti_, WM_SETFONT, font, FALSE);
    elenco_.Misura(controlli_[kCombo], aspetto_.Carattere(), scala_);
    ::RedrawWindow(finestra_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::optional<std::size_t> FormSetupVelmar::RigaDi(HWND controllo) const noexcept {
    for (std::size_t i = 0; i < controlli_.size(); ++i) {
        if (controlli_[i] == controllo)
            return i;
    }
    return std::nullopt;
}

// --- Handlers ---------------------------------------------------------------------------------

void FormSetupVelmar::OnNcCreate(HWND finestra) noexcept {
    finestra_ = finestra;
}

void FormSetupVelmar::OnDpiChanged(UINT dpi, const RECT& suggerito) {
    scala_ = Scala(dpi);
    const unique_hfont vecchio = CreaRisorseGrafiche();  // in use until Disponi replaces it
    Disponi();
    Dimensiona(finestra_, scala_, {suggerito.left, suggerito.top});
}

// The system's colours changed: the controls are told, as Windows expects of a top-level window,
// and the window's own colours follow.
void FormSetupVelmar::OnSysColorChange() {
    for (const HWND h : controlli_)
        ::SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
    AggiornaColori();
}

// A setting changed, high contrast among them.
void FormSetupVelmar::OnSettingChange() {
    AggiornaColori();
}

// High contrast turned on or off, or its colours changed: the face's colours and the images are
// made again and everything is painted anew.
void FormSetupVelmar::AggiornaColori() {
    if (!aspetto_.CreaColori())
        return;
    aspetto_.CreaImmagini(scala_);
    ::RedrawWindow(finestra_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormSetupVelmar::OnEraseBkgnd(HWND finestra, HDC dc) const noexcept {
    aspetto_.DipingiSfondo(finestra, dc);
}

LRESULT FormSetupVelmar::OnCtlColorStatic(HDC dc, HWND controllo) const noexcept {
    const std::optional<std::size_t> riga = RigaDi(controllo);
    const bool etichetta = riga && kControlli[*riga].tipo == TipoControllo::Etichetta;
    return reinterpret_cast<LRESULT>(aspetto_.ColoraStatico(dc, etichetta));
}

void FormSetupVelmar::OnMeasureItem(MEASUREITEMSTRUCT& voce) const noexcept {
    if (voce.CtlType == ODT_COMBOBOX)
        voce.itemHeight = static_cast<UINT>(elenco_.AltezzaVoce());
}

void FormSetupVelmar::OnDrawItem(const DRAWITEMSTRUCT& voce) const {
    if (voce.CtlType == ODT_COMBOBOX) {
        elenco_.DisegnaVoce(voce, scala_);
    } else {
        aspetto_.DisegnaPulsante(
            voce, voce.hwndItem == controlli_[kOk] ? Immagine::Ok : Immagine::Annulla);
    }
}

void FormSetupVelmar::OnActivate(bool attiva) noexcept {
    if (!attiva) {
        const HWND fuoco = ::GetFocus();
        if (fuoco && ::IsChild(finestra_, fuoco))
            ultimoFuoco_ = fuoco;
        return;
    }
    if (!ultimoFuoco_ || !::IsWindow(ultimoFuoco_)) {
        ultimoFuoco_ = ::GetNextDlgTabItem(finestra_, nullptr, FALSE);
    }
    ::SetFocus(ultimoFuoco_);
}

// While the wait cursor is shown, it is the cursor everywhere over the window.
bool FormSetupVelmar::OnSetCursor() const noexcept {
    if (!inAttesa_)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

// The system menu's own item; the system's commands are the system's.
bool FormSetupVelmar::OnSysCommand(UINT comando) {
    if ((comando & 0xFFF0) != kComandoProvaConnessione)
        return false;
    if (!inAttesa_)
        ProvaConnessione();
    return true;
}

void FormSetupVelmar::OnClose() noexcept {
    // Not while a save runs, however the close was asked for.
    if (!inAttesa_)
        Termina();
}

void FormSetupVelmar::OnDestroy() noexcept {
    ::PostQuitMessage(0);
}

void FormSetupVelmar::OnNcDestroy() noexcept {
    finestra_ = nullptr;
    controlli_.fill(nullptr);
    suggerimenti_ = nullptr;
    ultimoFuoco_ = nullptr;
}

void FormSetupVelmar::OnCommand(int id, int codice, HWND controllo) {
    if (inAttesa_)
        return;
    if (id == IdControllo(kCombo)) {
        if (codice == CBN_DROPDOWN) {
            elenco_.Allarga(controllo, scala_);
        } else if (codice == CBN_EDITCHANGE) {
            CercaDitta(TestoDi(controllo));
        } else if (codice == CBN_SELCHANGE) {
            // The edit field still shows the old text: the chosen entry is the new code.
            const std::optional<std::u16string> scelta = ElencoCodici::Scelta(controllo);
            CercaDitta(scelta ? *scelta : TestoDi(controllo));
        }
    } else if (id == IdControllo(kOk) && codice == BN_CLICKED) {
        Conferma();
    } else if (id == IdControllo(kAnnulla) && codice == BN_CLICKED) {
        Termina();
    } else if (id == IDCANCEL) {
        // Escape, through the dialog manager.
        Termina();
    } else if (id == IDOK) {
        // Enter, through the dialog manager: a focused image acts as if clicked.
        const HWND fuoco = ::GetFocus();
        if (fuoco == controlli_[kOk]) {
            Conferma();
        } else if (fuoco == controlli_[kAnnulla]) {
            Termina();
        }
    }
}

// --- The lookup -------------------------------------------------------------------------------

// The codes and their descriptions in one pass over the file. A read that fails, whatever its
// kind (no package folder, a file that cannot be read), lists no codes, as a missing file does,
// and shows no message: a save refuses the package, saying why.
void FormSetupVelmar::CaricaDitte() {
    Risultato<std::vector<VoceDitta>> voci = archivio_.LeggiElenco();
    const std::vector<VoceDitta> elenco = voci ? *std::move(voci) : std::vector<VoceDitta>{};
    elenco_.Carica(controlli_[kCombo], elenco, aspetto_.Carattere(), scala_);
}

// The fields show the company of `codice`, or are cleared without a message, whatever the kind
// of the failure: a code in no line (DittaNonTrovata, the person may still be typing it; a code
// with a character Windows-1252 lacks is in none), no package folder, a file that cannot be read
// (a save refuses such a package, saying why).
void FormSetupVelmar::CercaDitta(std::u16string_view codice) {
    const std::optional<std::string> codice1252 = Cp1252DaUtf16(codice);
    Risultato<RisultatoRicerca> trovata = codice1252
                                              ? archivio_.CercaDitta(*codice1252)
                                              : Risultato<RisultatoRicerca>(DittaNonTrovata(""));
    MostraDitta(controlli_, trovata ? *trovata : RisultatoRicerca{});
}

// --- The confirmation -------------------------------------------------------------------------

void FormSetupVelmar::Avvisa(std::string_view testo1252) {
    interfaccia_.Messaggio(finestra_, Utf16Da1252(testo1252));
}

void FormSetupVelmar::ProvaConnessione() {
    const VociUtente voci = LeggiVoci(controlli_);
    std::string testo;
    {
        const Attesa attesa(inAttesa_);
        testo = TestoProvaConnessione(voci.macchina, voci.server);
    }
    Avvisa(testo);
}

void FormSetupVelmar::Conferma() {
    const VociUtente voci = LeggiVoci(controlli_);
    stato_ = CopiaVoci(voci);
    if (const Esito valide = ValidaVoci(voci); !valide) {
        Avvisa(TestoErrore(valide.Errore()));
        return;
    }

    // The save may wait for another one on the same package: the component and the registry
    // are asked here, the files are written on another thread.
    const Salvataggio salva = archivio_.PreparaScrittura(stato_);
    std::optional<RisultatoModifica> esito;
    {
        const Attesa attesa(inAttesa_);
        EseguiSenzaBloccare([&] { esito.emplace(salva()); });
    }
    const RisultatoModifica& salvataggio = *esito;
    if (!salvataggio) {
        Avvisa(TestoErrore(salvataggio.Errore()));
        // Without an area folder the program ends; any other refusal leaves the window open.
        if (salvataggio.Errore().tipo == TipoErrore::NessunaArea)
            Termina();
        return;
    }
    Avvisa(TestoAggiornamento(*salvataggio));
    // A save that did not update every file leaves the window open to retry or cancel.
    if (salvataggio->Completo())
        Termina();
}

// --- Message switch ---------------------------------------------------------------------------

LRESULT FormSetupVelmar::Gestisci(HWND finestra, UINT messaggio, WPARAM w, LPARAM l) {
    switch (messaggio) {
        case WM_NCCREATE:
            OnNcCreate(finestra);
            break;
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_COMMAND:
            OnCommand(LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l));
            return 0;
        case WM_CTLCOLORSTATIC:
            return OnCtlColorStatic(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_MEASUREITEM:
            OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(l));
            return TRUE;
        case WM_DRAWITEM:
            OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(w), *reinterpret_cast<const RECT*>(l));
            return 0;
        case WM_SYSCOLORCHANGE:
            OnSysColorChange();
            return 0;
        case WM_SETTINGCHANGE:
            OnSettingChange();
            return 0;
        case WM_SYSCOMMAND:
            if (OnSysCommand(static_cast<UINT>(w)))
                return 0;
            break;
        case WM_SETCURSOR:
            if (OnSetCursor())
                return TRUE;
            break;
        case WM_ACTIVATE:
            OnActivate(LOWORD(w) != WA_INACTIVE);
            return 0;
        case WM_ERASEBKGND:
            OnEraseBkgnd(finestra, reinterpret_cast<HDC>(w));
            return 1;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(finestra, messaggio, w, l);
}

}  // namespace velmar
