// FormSetupVelmar: the program's only window. It lays out its controls from one table in twips
// at the window's DPI, fills the code list at load (each code with its company's description
// beside it), looks a company up whenever the code is chosen or typed, and on the OK image runs
// the confirmation (checks, save, messages, end). It takes the system's colours under high
// contrast. What it shows to a person and the end of the program go through `Interfaccia`, so
// tests can drive the real window procedure.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "store/archivio.h"
#include "store/record.h"
#include "window/aspetto_win32.h"
#include "window/controlli_win32.h"
#include "window/disposizione_win32.h"
#include "window/elenco_codici_win32.h"
#include "window/finestra_base_win32.h"
#include "window/interfaccia_win32.h"
#include "window/tabella_controlli.h"

namespace velmar {

class FormSetupVelmar : public FinestraBase<FormSetupVelmar> {
  public:
    FormSetupVelmar(ArchivioDitte& archivio, Interfaccia& interfaccia) noexcept
        : FinestraBase(interfaccia), archivio_(archivio) {}
    FormSetupVelmar(const FormSetupVelmar&) = delete;
    FormSetupVelmar& operator=(const FormSetupVelmar&) = delete;
    ~FormSetupVelmar();

    // Creates the window, hidden and centred on the screen, with its controls, and fills the
    // code list (the load of the window). False when a window could not be created.
    [[nodiscard]] bool Crea(HINSTANCE istanza) noexcept;
    // Shows the window and puts the focus on the first control of the tab order.
    void Mostra(int comando) noexcept;

    [[nodiscard]] HWND Finestra() const noexcept { return finestra_; }
    // The control named as in the table ("ComboCodiceDitta", "OptionServer(0)", ...); none when
    // the table names no control so.
    [[nodiscard]] std::optional<HWND> Controllo(std::string_view nome) const noexcept;
    // A control's name and its container's ("" for the window's client area).
    struct NomeControllo {
        std::string_view nome;
        std::string_view contenitore;
    };
    // Every control of the table, in table order.
    [[nodiscard]] static std::array<NomeControllo, kNumeroControlli> Controlli() noexcept;
    // The tooltip window of the two images.
    [[nodiscard]] HWND Suggerimenti() const noexcept { return suggerimenti_; }
    // The six values copied by the last confirmation.
    [[nodiscard]] const DatiDitta& Stato() const noexcept { return stato_; }

    // The confirmation behind the OK image: copies the entries into the window state, shows the
    // message of the first missing or unstorable entry, or saves and ends the program. The save
    // runs on another thread: while it waits for another save's lock the window paints and shows
    // the wait cursor, but no click or key made meanwhile acts, then or later.
    void Conferma();

  private:
    // The window's messages: each one unpacked and passed to one handler.
    LRESULT Gestisci(HWND finestra, UINT messaggio, WPARAM w, LPARAM l);

    void OnNcCreate(HWND finestra) noexcept;
    bool OnCreate();
    void OnCommand(int id, int codice, HWND controllo);
    LRESULT OnCtlColorStatic(HDC dc, HWND controllo) const noexcept;
    void OnMeasureItem(MEASUREITEMSTRUCT& voce) const noexcept;
    void OnDrawItem(const DRAWITEMSTRUCT& voce) const;
    void OnDpiChanged(UINT dpi, const RECT& suggerito);
    void OnSysColorChange();
    void OnSettingChange();
    bool OnSysCommand(UINT comando);
    void OnActivate(bool attiva) noexcept;
    void OnEraseBkgnd(HWND finestra, HDC dc) const noexcept;
    bool OnSetCursor() const noexcept;
    void OnClose() noexcept;
    void OnDestroy() noexcept;
    void OnNcDestroy() noexcept;

    // Creates the controls in the table's creation order, and the images' tooltips.
    bool CreaControlli();
    // The font, the entries' height, the images and the icon at the window's DPI. Returns the
    // font replaced, in use until Disponi gives the controls the new one.
    unique_hfont CreaRisorseGrafiche();
    // Each control at its rectangle with the window's font; the code list measured anew.
    void Disponi();
    void AggiornaColori();
    // The row of the control table of `controllo`; none for a window that is no control of it.
    [[nodiscard]] std::optional<std::size_t> RigaDi(HWND controllo) const noexcept;

    void CaricaDitte();
    void CercaDitta(std::u16string_view codice);
    void Avvisa(std::string_view testo1252);
    // "Prova la connessione…": the machine and the server type checked, the result shown.
    void ProvaConnessione();
    void Termina() noexcept { interfaccia_.Termina(); }

    ArchivioDitte& archivio_;
    DatiDitta stato_;

    HINSTANCE istanza_ = nullptr;
    HWND finestra_ = nullptr;
    std::array<HWND, kNumeroControlli> controlli_{};
    HWND suggerimenti_ = nullptr;
    HWND ultimoFuoco_ = nullptr;
    Scala scala_;
    // A save runs: nothing the person does acts.
    bool inAttesa_ = false;

    ElencoCodici elenco_;
    Aspetto aspetto_;
    Cornici cornici_{interfaccia_, aspetto_};
};

}  // namespace velmar
