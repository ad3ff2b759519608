// SetupVelmarCmd on Linux: UTF-8 arguments in, UTF-8 text out; the package's folder is named
// with --base.
#include <cstdio>
#include <sstream>
#include <vector>

#include "console/comando.h"
#include "pacchetto/pacchetto.h"
#include "store/cp1252.h"

namespace {

void Scrivi(std::FILE* flusso, const std::string& testo1252) {
    const std::string utf8 = velmar::Utf8Da1252(testo1252);
    std::fwrite(utf8.data(), 1, utf8.size(), flusso);
    std::fflush(flusso);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<velmar::VoceUtente> argomenti = velmar::ArgomentiDaUtf8(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)));

    const velmar::FabbricaArchivio fabbrica = [](const velmar::OpzioniArchivio& o) {
        return velmar::CreaArchivioCartella(velmar::FileSystemDiSistema(), o.base.value_or(""),
                                            o.catalogo);
    };
    std::ostringstream uscita, errori;
    const velmar::StatoUscita stato = velmar::EseguiComando(argomenti, uscita, errori, fabbrica);
    Scrivi(stdout, uscita.str());
    Scrivi(stderr, errori.str());
    return static_cast<int>(stato);
}
