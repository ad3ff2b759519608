// The setup window's controls as data: one row per control, with its name, kind, container,
// caption, place and size in twips in its container's client area and tab index; and the order
// the window creates them in, which decides how they stack, the tab order and which label
// screen readers name a control after. Portable, so that the order's rules are tested on any
// host.
#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "store/conferma.h"
#include "store/record.h"

namespace velmar {

enum class TipoControllo { Cornice, Etichetta, Combo, Testo, Opzione, Immagine };

struct DefinizioneControllo {
    std::string_view nome;
    TipoControllo tipo;
    std::string_view contenitore;  // "" for the window's client area
    std::string_view didascalia;   // caption; for an image, its tooltip and window text
    int sinistra;                  // twips, in the container's client area
    int alto;
    int larghezza;
    int altezza;
    int tabIndex;
};

// A label names the control that follows it among the rows of its container.
inline constexpr DefinizioneControllo kControlli[] = {
    {"Frame3", TipoControllo::Cornice, "", "Frame3", 90, 135, 5460, 1770, 7},
    {"Frame1", TipoControllo::Cornice, "Frame3", "Frame1", 135, 180, 1860, 420, 8},
    {"LabelCodiceDitta", TipoControllo::Etichetta, "Frame1", kEtichettaCodice, 0, 0, 1050, 285, 9},
    {"ComboCodiceDitta", TipoControllo::Combo, "Frame1", "", 1125, 0, 735, 315, 1},
    {"Frame2", TipoControllo::Cornice, "Frame3", "Frame2", 2070, 180, 3345, 330, 10},
    {"LabelDescrizioneDitta", TipoControllo::Etichetta, "Frame2", kEtichettaDescrizione, 0, 0, 1320,
     285, 11},
    {"TextDescrizioneDitta", TipoControllo::Testo, "Frame2", "", 1395, 0, 1770, 285, 2},
    {"FrameServer", TipoControllo::Cornice, "Frame3", "Frame2", 135, 585, 3075, 1095, 12},
    {"LabelServer", TipoControllo::Etichetta, "FrameServer", kEtichettaServer, 0, 45, 1050, 285,
     13},
    {"FrameSceltaServer", TipoControllo::Cornice, "FrameServer", "", 1125, 45, 2310, 285, 17},
    {"OptionServer(0)", TipoControllo::Opzione, "FrameSceltaServer", kServer[0].didascalia, 45, 45,
     645, 195, 6},
    {"OptionServer(1)", TipoControllo::Opzione, "FrameSceltaServer", kServer[1].didascalia, 810, 45,
     735, 195, 5},
    {"FrameMacchina", TipoControllo::Cornice, "Frame3", "Frame2", 135, 1080, 3300, 465, 14},
    {"LabelMacchina", TipoControllo::Etichetta, "FrameMacchina", kEtichettaMacchina, 0, 0, 1050,
     420, 15},
    {"TextMacchina", TipoControllo::Testo, "FrameMacchina", "", 1170, 135, 1680, 285, 3},
    {"FrameOkAnnulla", TipoControllo::Cornice, "Frame3", "Frame4", 4005, 1035, 1230, 465, 16},
    {"PictureOk", TipoControllo::Immagine, "FrameOkAnnulla", "Ok", 90, 0, 420, 510, 4},
    {"PictureAnnulla", TipoControllo::Immagine, "FrameOkAnnulla", "Annulla", 765, 0, 420, 465, 0},
};

// Number of rows of the table.
inline constexpr std::size_t kNumeroControlli = std::size(kControlli);

// The row of the control named `nome`; none when no row has that name ("" included).
[[nodiscard]] constexpr std::optional<std::size_t> Indice(std::string_view nome) noexcept {
    for (std::size_t i = 0; i < std::size(kControlli); ++i) {
        if (kControlli[i].nome == nome)
            return i;
    }
    return std::nullopt;
}

// The row of a control the program names in its code: a name the table lacks does not compile.
consteval std::size_t Riga(std::string_view nome) {
    if (const std::optional<std::size_t> i = Indice(nome))
        return *i;
    throw "the control table has no row of this name";
}

inline constexpr std::size_t kCombo = Riga("ComboCodiceDitta");
inline constexpr std::size_t kDescrizione = Riga("TextDescrizioneDitta");
inline constexpr std::size_t kMacchina = Riga("TextMacchina");
inline constexpr std::size_t kOpzioneNT = Riga("OptionServer(0)");
inline constexpr std::size_t kOpzioneLinux = Riga("OptionServer(1)");
inline constexpr std::size_t kOk = Riga("PictureOk");
inline constexpr std::size_t kAnnulla = Riga("PictureAnnulla");

// The row of the container of row `indice`; none for the window's client area.
[[nodiscard]] constexpr std::optional<std::size_t> Contenitore(std::size_t indice) noexcept {
    return Indice(kControlli[indice].contenitore);
}

// Whether a control of this kind takes the focus (frames and labels do not).
[[nodiscard]] constexpr bool PrendeFuoco(TipoControllo tipo) noexcept {
    return tipo != TipoControllo::Cornice && tipo != TipoControllo::Etichetta;
}

// The identifier of the control of row `indice`, which its notifications carry.
[[nodiscard]] constexpr int IdControllo(std::size_t indice) noexcept {
    constexpr int kPrimoId = 1000;
    return kPrimoId + static_cast<int>(indice);
}

// The rows in creation order: every container before its children, each container's children
// one after the other (each followed by its own children), ordered so that the tab order is
// combo, description, machine, Linux, NT, cancel image, OK image; the two images come after
// every other control; FrameMacchina comes before FrameServer, so lies above it where they
// overlap (siblings stack in creation order, the first on top); and each label comes just
// before the control it names, which screen readers name after it.
[[nodiscard]] std::vector<std::size_t> OrdineCreazione();

}  // namespace velmar
