#include "window/immagini.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace velmar {
namespace {

struct Pixel {
    unsigned a, r, g, b;
};

Pixel In(const std::vector<std::uint32_t>& p, int lato, int x, int y) {
    const std::uint32_t v = p[static_cast<std::size_t>(y) * lato + x];
    return {v >> 24, v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF};
}

bool Verde(Pixel p) {
    return p.a == 255 && p.g > p.r + 60 && p.g > p.b + 60;
}
bool Rosso(Pixel p) {
    return p.a == 255 && p.r > p.g + 60 && p.r > p.b + 60;
}
bool Chiaro(Pixel p) {
    return p.a == 255 && p.r > 200 && p.g > 200 && p.b > 200;
}

TEST(DisegnaImmagine, ButtonsAreRoundLightFacesWithTransparentCornersAtEveryScale) {
    for (Immagine immagine : {Immagine::Ok, Immagine::Annulla}) {
        for (int lato : {16, 26, 33, 39, 52}) {
            SCOPED_TRACE(lato);
            const auto p = DisegnaImmagine(immagine, lato);
            ASSERT_EQ(p.size(), static_cast<std::size_t>(lato * lato));
            const int u = lato - 1;
            for (auto [x, y] : {std::pair{0, 0}, {u, 0}, {0, u}, {u, u}, {1, 1}, {u - 1, u - 1}}) {
                EXPECT_EQ(In(p, lato, x, y).a, 0u) << x << "," << y;
            }
            // The face near its top edge, away from the sign, and a premultiplied image.
            EXPECT_TRUE(Chiaro(In(p, lato, lato / 2, lato / 6)));
            for (std::uint32_t v : p) {
                const unsigned a = v >> 24;
                EXPECT_LE(v >> 16 & 0xFF, a);
                EXPECT_LE(v >> 8 & 0xFF, a);
                EXPECT_LE(v & 0xFF, a);
            }
        }
    }
}

TEST(DisegnaImmagine, OkShowsAGreenCheckAndCancelARedCross) {
    for (int lato : {16, 26, 39}) {
        SCOPED_TRACE(lato);
        const auto ok = DisegnaImmagine(Immagine::Ok, lato);
        const auto annulla = DisegnaImmagine(Immagine::Annulla, lato);
        int verdi = 0, rossiOk = 0, rossi = 0, verdiAnnulla = 0;
        for (int y = 0; y < lato; ++y) {
            for (int x = 0; x < lato; ++x) {
                verdi += Verde(In(ok, lato, x, y));
                rossiOk += Rosso(In(ok, lato, x, y));
                rossi += Rosso(In(annulla, lato, x, y));
                verdiAnnulla += Verde(In(annulla, lato, x, y));
            }
        }
        EXPECT_GE(verdi, lato / 2) << "check mark";
        EXPECT_GE(rossi, lato / 2) << "cross";
        EXPECT_EQ(rossiOk, 0);
        EXPECT_EQ(verdiAnnulla, 0);
        // The cross crosses in the centre; the check's corner lies below the centre.
        EXPECT_TRUE(Rosso(In(annulla, lato, lato / 2, lato / 2)));
        EXPECT_FALSE(Verde(In(ok, lato, lato / 2, lato / 5)));
    }
}

}  // namespace
}  // namespace velmar
