// Field cutting and record composition for the parameters file.
#include "store/record.h"

namespace velmar {

std::string RecordDopoLf(std::uint64_t ditte) {
    return "dopo il LF stanno " + std::to_string(ditte) +
           (ditte == 1 ? " record di ditta" : " record di ditte");
}

std::string NomeCatalogo(std::string_view codice) {
    return "Dwh" + std::string(codice) + ".oce";
}

std::string ComponiRecord(const DatiDitta& d, std::string_view catalogo) {
    std::string r;
    r.reserve(d.DescrizioneDitta.size() + catalogo.size() + 2 * d.CodiceDitta.size() +
              d.ParametroServer1.size() * 3 + d.Macchina.size() + 16);
    r.append(d.DescrizioneDitta).append(";");
    r.append(catalogo).append("\\").append(NomeCatalogo(d.CodiceDitta)).append(";");
    r.append(d.ParametroServer1).append(";");
    r.append(d.ParametroServer2).append(";");
    r.append(d.ParametroServer3).append(";");
    r.append(d.CodiceDitta).append(";");
    r.append(d.Macchina).append(";");
    return r;
}

}  // namespace velmar
