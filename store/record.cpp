// Field cutting and record composition for the parameters file.
#include "store/record.h"

#include <cstring>

#include "store/scansione.h"

namespace velmar {

CampiRiga TagliaCampi(std::string_view riga) noexcept {
    CampiRiga r;
    if (riga.empty())
        return r;
    std::size_t inizio = 0;
    for (;;) {
        const std::size_t fine = riga.find(';', inizio);
        const std::size_t lunghezza =
            (fine == std::string_view::npos ? riga.size() : fine) - inizio;
        if (r.numero < CampiRiga::kMax)
            r.campi[r.numero] = riga.substr(inizio, lunghezza);
        ++r.numero;
        if (fine == std::string_view::npos)
            break;
        inizio = fine + 1;
    }
    return r;
}

std::optional<std::string_view> CodiceRiga(std::string_view riga) noexcept {
    const char* const fine = riga.data() + riga.size();
    const char* p = DopoSeparatori(riga.data(), fine, 5);
    if (p == nullptr)
        return std::nullopt;
    const void* s = std::memchr(p, ';', static_cast<std::size_t>(fine - p));
    const char* fineCampo = s == nullptr ? fine : static_cast<const char*>(s);
    return std::string_view(p, static_cast<std::size_t>(fineCampo - p));
}

TipoServer TipoDaParola(std::string_view campo4) noexcept {
    return campo4 == kParolaNT ? TipoServer::NT : TipoServer::Linux;
}

std::string_view ParolaDaTipo(TipoServer tipo) noexcept {
    switch (tipo) {
        case TipoServer::NT:
            return kParolaNT;
        case TipoServer::Linux:
            return kParolaLinux;
        case TipoServer::Nessuno:
            break;
    }
    return {};
}

std::string CartellaCatalogo(std::string_view valoreRegistro) {
    std::string cartella(valoreRegistro.empty() ? kCartellaCatalogoPredefinita : valoreRegistro);
    cartella += '\\';
    return cartella;
}

std::string ComponiRecord(const StatoFinestra& s, std::string_view catalogo) {
    std::string r;
    r.reserve(s.DescrizioneDitta.size() + catalogo.size() + 2 * s.CodiceDitta.size() +
              s.ParametroServer1.size() * 3 + s.Macchina.size() + 16);
    r.append(s.DescrizioneDitta).append(";");
    r.append(catalogo).append("Dwh").append(s.CodiceDitta).append(".oce;");
    r.append(s.ParametroServer1).append(";");
    r.append(s.ParametroServer2).append(";");
    r.append(s.ParametroServer3).append(";");
    r.append(s.CodiceDitta).append(";");
    r.append(s.Macchina).append(";");
    return r;
}

}  // namespace velmar
