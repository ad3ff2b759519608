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
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles_win32.h"
#include "store/archivio.h"
#include "store/record.h"
#include "window/finestra_base_win32.h"
#include "window/interfaccia_win32.h"
#include "window/tabella_controlli.h"

namespace velmar {

// Whether the window follows the system's high-contrast setting (always, in the program) or, set
// only by tests where the system cannot turn the setting on, acts as if it were on or off. Read
// when the window is created and whenever the system's colours or settings change.
enum class ContrastoElevato { DelSistema, Attivo, Spento };
void ImponiContrastoElevato(ContrastoElevato contrasto) noexcept;

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
    // The control named as in the table ("ComboCodiceDitta", "OptionServer(0)", ...), or null.
    [[nodiscard]] HWND Controllo(std::string_view nome) const noexcept;
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
    // The colours of the window's face: the package's own, or under high contrast the system's,
    // which then also colours the text of labels and option buttons.
    struct Colori {
        bool contrastoElevato = false;
        COLORREF sfondo = 0;
        COLORREF etichette = 0;
        COLORREF testo = 0;
        bool operator==(const Colori&) const = default;
    };

    // The window's messages, and its frames'.
    LRESULT Gestisci(HWND finestra, UINT messaggio, WPARAM w, LPARAM l);
    LRESULT GestisciCornice(HWND cornice, UINT messaggio, WPARAM w, LPARAM l);

    void OnNcCreate(HWND finestra) noexcept;
    bool OnCreate();
    void OnCommand(int id, int codice, HWND controllo);
    LRESULT OnCtlColorStatic(HDC dc, HWND controllo) noexcept;
    void OnMeasureItem(MEASUREITEMSTRUCT& voce) const noexcept;
    void OnDrawItem(const DRAWITEMSTRUCT& voce);
    void OnDpiChanged(UINT dpi, const RECT& suggerito);
    void OnSysColorChange();
    void OnSettingChange();
    void OnActivate(bool attiva) noexcept;
    void OnEraseBkgnd(HWND finestra, HDC dc) const noexcept;
    bool OnSetCursor() const noexcept;
    void OnClose() noexcept;
    void OnDestroy() noexcept;
    void OnNcDestroy() noexcept;

    int Pixel(int twips) const noexcept;
    RECT Rettangolo(std::size_t indice) const noexcept;
    bool CreaControlli();
    void CreaRisorseGrafiche();
    void CreaColori();
    void CreaImmagini();
    void AggiornaColori();
    void Disponi();
    void Dimensiona(POINT angolo);
    void MisuraElenco();
    void AllargaElenco() const noexcept;
    void DisegnaVoce(const DRAWITEMSTRUCT& voce) const;
    void DisegnaPulsante(const DRAWITEMSTRUCT& voce) const noexcept;

    void CaricaDitte();
    void CercaDitta(std::u16string_view codice);
    void Avvisa(std::string_view testo1252);
    void Termina() noexcept { interfaccia_.Termina(); }

    ArchivioDitte& archivio_;
    DatiDitta stato_;

    HINSTANCE istanza_ = nullptr;
    HWND finestra_ = nullptr;
    std::array<HWND, kNumeroControlli> controlli_{};
    HWND suggerimenti_ = nullptr;
    HWND ultimoFuoco_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    // A save runs: nothing the person does acts.
    bool inAttesa_ = false;

    // The code list: each entry's description as drawn, in list order; where descriptions start
    // (past the codes' column) and how wide the widest entry is, in pixels at the window's DPI.
    std::vector<std::u16string> descrizioni_;
    int altezzaVoce_ = 0;
    int colonnaCodici_ = 0;
    int larghezzaVoci_ = 0;

    Colori colori_;
    unique_hbrush pennelloSfondo_;
    unique_hbrush pennelloEtichette_;
    unique_hfont carattere_;
    unique_hbitmap immagineOk_;
    unique_hbitmap immagineAnnulla_;
    unique_hicon iconaGrande_;
    unique_hicon iconaPiccola_;
};

}  // namespace velmar
