// The order the window creates its controls in, from the control table.
#include "window/tabella_controlli.h"

#include <algorithm>

namespace velmar {

namespace {

// Key that orders the children of one container, which Windows stacks and tabs through in
// creation order: controls that take focus by tab index, the two images after all the other
// controls, a frame where its first focusable child is, a label where the control it names is
// (the next control of its container in the table), other controls without focus last.
int ChiaveOrdine(std::size_t i) noexcept {
    constexpr int kImmagini = 1000;
    constexpr int kSenzaFuoco = 2000;
    const DefinizioneControllo& c = kControlli[i];
    if (c.tipo == TipoControllo::Cornice) {
        int chiave = kSenzaFuoco + c.tabIndex;
        for (std::size_t j = 0; j < std::size(kControlli); ++j) {
            if (kControlli[j].contenitore == c.nome)
                chiave = std::min(chiave, ChiaveOrdine(j));
        }
        return chiave;
    }
    if (c.tipo == TipoControllo::Etichetta) {
        for (std::size_t j = i + 1; j < std::size(kControlli); ++j) {
            if (kControlli[j].contenitore == c.contenitore)
                return ChiaveOrdine(j);
        }
    }
    if (!PrendeFuoco(c.tipo))
        return kSenzaFuoco + c.tabIndex;
    return c.tipo == TipoControllo::Immagine ? kImmagini + c.tabIndex : c.tabIndex;
}

// Appends the children of `contenitore`, siblings by ChiaveOrdine and, for equal keys, in table
// order, each followed by its own children.
void AggiungiFigli(std::string_view contenitore, std::vector<std::size_t>& ordine) {
    std::vector<std::size_t> figli;
    for (std::size_t i = 0; i < std::size(kControlli); ++i) {
        if (kControlli[i].contenitore == contenitore)
            figli.push_back(i);
    }
    std::stable_sort(figli.begin(), figli.end(), [](std::size_t a, std::size_t b) {
        return ChiaveOrdine(a) < ChiaveOrdine(b);
    });
    for (std::size_t i : figli) {
        ordine.push_back(i);
        if (kControlli[i].tipo == TipoControllo::Cornice)
            AggiungiFigli(kControlli[i].nome, ordine);
    }
}

}  // namespace

std::vector<std::size_t> OrdineCreazione() {
    std::vector<std::size_t> ordine;
    AggiungiFigli("", ordine);
    return ordine;
}

}  // namespace velmar
