// The program's artwork, drawn by code: the OK and cancel images of the setup window and the
// program icon. Portable, so that the icon file can be made at build time on any host.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velmar {

enum class Immagine {
    Ok,         // green check mark on a round light button face
    Annulla,    // red cross on a round light button face
    Programma,  // the program icon: white check mark on a round blue face
};

// Draws `immagine` in a square of `lato` pixels (lato > 0), anti-aliased, with transparent
// corners. Pixels are 0xAARRGGBB with premultiplied alpha, row by row from the top. `bordo`
// (0xRRGGBB) colours the ring around the face instead of its own grey: the system's text colour
// under high contrast, so that the button's shape stands out on any background.
[[nodiscard]] std::vector<std::uint32_t> DisegnaImmagine(
    Immagine immagine, int lato, std::optional<std::uint32_t> bordo = std::nullopt);

}  // namespace velmar
