// The package's catalog folder and the store over a named package folder.
#include "pacchetto/pacchetto.h"

#include "store/ditte.h"

namespace velmar {

ValoreCatalogo CartellaCatalogo(ValoreCatalogo letto) {
    if (letto.testo.empty() && letto.rappresentabile)
        letto.testo = kCartellaCatalogoPredefinita;
    return letto;
}

Risultato<std::unique_ptr<ArchivioDitte>> CreaArchivioCartella(
    FileSystem& fs, std::string_view base, const std::optional<ValoreCatalogo>& catalogo) {
    const auto separatore = [&fs](char c) { return c == fs.Separatore() || c == '/'; };
    // Keep "/" and "C:\" whole.
    while (base.size() > 1 && separatore(base.back()) && !(base.size() == 3 && base[1] == ':')) {
        base.remove_suffix(1);
    }
    const std::string cartella(base);
    // The folder as it was named, between quotes: an empty one shows as ''.
    const auto nominata = [&cartella](std::string_view testo) {
        Errore e(TipoErrore::CartellaNonDisponibile, std::string(testo));
        e.percorso = "'" + cartella + "'";
        return e;
    };
    if (!CartellaUsabile(fs, cartella))
        return nominata(kNonPercorsoCompleto);
    if (fs.Tipo(cartella) != TipoVoce::Cartella)
        return nominata("la cartella del pacchetto non esiste");
    return std::unique_ptr<ArchivioDitte>(std::make_unique<ArchivioCartella>(
        fs, cartella, CartellaCatalogo(catalogo.value_or(ValoreCatalogo{}))));
}

}  // namespace velmar
