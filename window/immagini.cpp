// The artwork as geometry in a unit square, sampled 8 x 8 times per pixel.
#include "window/immagini.h"

#include <algorithm>
#include <cmath>

namespace velmar {

namespace {

struct Punto {
    double x;
    double y;
};

struct Colore {
    double r;
    double g;
    double b;
};

// Distance from p to the segment a-b.
double DistanzaSegmento(Punto p, Punto a, Punto b) noexcept {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

constexpr Punto kCentro{0.5, 0.5};
constexpr double kRaggio = 0.47;
constexpr double kBordo = 0.045;
constexpr double kTratto = 0.055;  // half the width of the check and of the cross

bool NelSegno(Immagine immagine, Punto p) noexcept {
    switch (immagine) {
        case Immagine::Ok:
        case Immagine::Programma:
            return DistanzaSegmento(p, {0.28, 0.52}, {0.43, 0.67}) < kTratto ||
                   DistanzaSegmento(p, {0.43, 0.67}, {0.72, 0.34}) < kTratto;
        case Immagine::Annulla:
            return DistanzaSegmento(p, {0.33, 0.33}, {0.67, 0.67}) < kTratto ||
                   DistanzaSegmento(p, {0.67, 0.33}, {0.33, 0.67}) < kTratto;
    }
    return false;
}

// Colour of one sample, or nothing outside the round face.
bool Campione(Immagine immagine, Punto p, const std::optional<Colore>& bordo, Colore& c) noexcept {
    const double d = std::hypot(p.x - kCentro.x, p.y - kCentro.y);
    if (d > kRaggio)
        return false;
    if (NelSegno(immagine, p)) {
        switch (immagine) {
            case Immagine::Ok:
                c = {40, 150, 60};
                break;
            case Immagine::Annulla:
                c = {205, 45, 40};
                break;
            case Immagine::Programma:
                c = {255, 255, 255};
                break;
        }
    } else if (d > kRaggio - kBordo) {
        c = bordo                             ? *bordo
            : immagine == Immagine::Programma ? Colore{25, 70, 130}
                                              : Colore{140, 148, 160};
    } else if (immagine == Immagine::Programma) {
        c = {50, 110, 185};
    } else {
        // A light face, brighter at the top.
        const double luce = 252 - 28 * p.y;
        c = {luce, luce, luce + 2};
    }
    return true;
}

}  // namespace

std::vector<std::uint32_t> DisegnaImmagine(Immagine immagine, int lato,
                                           std::optional<std::uint32_t> bordo) {
    constexpr int kCampioni = 8;
    std::optional<Colore> anello;
    if (bordo) {
        anello =
            Colore{static_cast<double>(*bordo >> 16 & 0xFF),
                   static_cast<double>(*bordo >> 8 & 0xFF), static_cast<double>(*bordo & 0xFF)};
    }
    std::vector<std::uint32_t> pixel(static_cast<std::size_t>(lato) * lato, 0);
    for (int y = 0; y < lato; ++y) {
        for (int x = 0; x < lato; ++x) {
            double r = 0;
            double g = 0;
            double b = 0;
            int coperti = 0;
            for (int sy = 0; sy < kCampioni; ++sy) {
                for (int sx = 0; sx < kCampioni; ++sx) {
                    const Punto p{(x + (sx + 0.5) / kCampioni) / lato,
                                  (y + (sy + 0.5) / kCampioni) / lato};
                    Colore c{};
                    if (!Campione(immagine, p, anello, c))
                        continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++coperti;
                }
            }
            constexpr double kTotale = kCampioni * kCampioni;
            auto canale = [](double somma) {
                return static_cast<std::uint32_t>(
                    std::lround(std::clamp(somma / kTotale, 0.0, 255.0)));
            };
            // Summing only the covered samples gives premultiplied channels directly.
            pixel[static_cast<std::size_t>(y) * lato + x] =
                canale(coperti * 255.0) << 24 | canale(r) << 16 | canale(g) << 8 | canale(b);
        }
    }
    return pixel;
}

}  // namespace velmar
