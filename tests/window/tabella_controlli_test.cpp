// The control table and its creation order, on any host: the rules that decide how the window's
// controls stack, the tab order and the label screen readers name a control after. The window's
// tests check that its real windows follow the order.
#include "window/tabella_controlli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace velmar {
namespace {

// The place of each row in the creation order.
std::vector<std::size_t> Posti(const std::vector<std::size_t>& ordine) {
    std::vector<std::size_t> posti(kNumeroControlli);
    for (std::size_t p = 0; p < ordine.size(); ++p)
        posti.at(ordine[p]) = p;
    return posti;
}

TEST(TabellaControlli, EveryRowIsCreatedOnceAfterTheFrameThatHoldsIt) {
    const std::vector<std::size_t> ordine = OrdineCreazione();
    std::vector<std::size_t> righe = ordine;
    std::sort(righe.begin(), righe.end());
    ASSERT_EQ(righe.size(), kNumeroControlli);
    for (std::size_t i = 0; i < righe.size(); ++i)
        ASSERT_EQ(righe[i], i) << "each row once";

    const std::vector<std::size_t> posti = Posti(ordine);
    for (std::size_t i = 0; i < kNumeroControlli; ++i) {
        const DefinizioneControllo& c = kControlli[i];
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(Indice(c.nome), i) << "a name of its own";
        if (c.contenitore.empty())
            continue;
        const std::optional<std::size_t> contenitore = Contenitore(i);
        ASSERT_TRUE(contenitore) << "in " << c.contenitore << ", which the table lacks";
        EXPECT_EQ(kControlli[*contenitore].tipo, TipoControllo::Cornice);
        EXPECT_LT(posti[*contenitore], posti[i]);
    }
}

// Windows tabs through the controls that take the focus in creation order, each container's
// children where the container stands.
TEST(TabellaControlli, TabGoesThroughTheEntriesThenTheServerThenTheImages) {
    std::vector<std::string_view> tab;
    for (const std::size_t i : OrdineCreazione()) {
        if (PrendeFuoco(kControlli[i].tipo))
            tab.push_back(kControlli[i].nome);
    }
    EXPECT_EQ(tab, (std::vector<std::string_view>{
                       "ComboCodiceDitta", "TextDescrizioneDitta", "TextMacchina",
                       "OptionServer(1)", "OptionServer(0)", "PictureAnnulla", "PictureOk"}));
}

// Screen readers name a control after the static text created just before it among its
// siblings: a label names the next row of its container.
TEST(TabellaControlli, EachLabelIsCreatedJustBeforeTheControlItNames) {
    const std::vector<std::size_t> ordine = OrdineCreazione();
    for (std::size_t i = 0; i < kNumeroControlli; ++i) {
        const DefinizioneControllo& etichetta = kControlli[i];
        if (etichetta.tipo != TipoControllo::Etichetta)
            continue;
        SCOPED_TRACE(etichetta.nome);
        std::vector<std::size_t> fratelli;
        for (const std::size_t j : ordine) {
            if (kControlli[j].contenitore == etichetta.contenitore)
                fratelli.push_back(j);
        }
        std::size_t nominato = i + 1;
        while (nominato < kNumeroControlli &&
               kControlli[nominato].contenitore != etichetta.contenitore) {
            ++nominato;
        }
        ASSERT_LT(nominato, kNumeroControlli) << "a label that names no control";
        EXPECT_NE(kControlli[nominato].tipo, TipoControllo::Etichetta);
        const auto dopo = std::find(fratelli.begin(), fratelli.end(), i) + 1;
        ASSERT_NE(dopo, fratelli.end());
        EXPECT_EQ(kControlli[*dopo].nome, kControlli[nominato].nome);
    }
}

// Siblings stack in creation order, the first on top.
TEST(TabellaControlli, FrameMacchinaIsCreatedBeforeAndSoLiesAboveTheFrameServerItOverlaps) {
    const DefinizioneControllo& sopra = kControlli[Riga("FrameMacchina")];
    const DefinizioneControllo& sotto = kControlli[Riga("FrameServer")];
    ASSERT_EQ(sopra.contenitore, sotto.contenitore);
    EXPECT_TRUE(sopra.sinistra < sotto.sinistra + sotto.larghezza &&
                sotto.sinistra < sopra.sinistra + sopra.larghezza &&
                sopra.alto < sotto.alto + sotto.altezza && sotto.alto < sopra.alto + sopra.altezza)
        << "the two frames overlap";
    const std::vector<std::size_t> posti = Posti(OrdineCreazione());
    EXPECT_LT(posti[Riga("FrameMacchina")], posti[Riga("FrameServer")]);
}

TEST(TabellaControlli, TheImagesAreCreatedAfterEveryOtherControl) {
    const std::vector<std::size_t> ordine = OrdineCreazione();
    const auto immagine = [](std::size_t i) {
        return kControlli[i].tipo == TipoControllo::Immagine;
    };
    const auto prima = std::find_if(ordine.begin(), ordine.end(), immagine);
    ASSERT_NE(prima, ordine.end());
    EXPECT_TRUE(std::all_of(prima, ordine.end(), immagine));
}

}  // namespace
}  // namespace velmar
