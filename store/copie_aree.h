// The area copies of the parameters file as a change finds them before it replaces them: each
// compared with the base folder's file as it was, and, of a copy that differs, the companies
// that neither that file nor the new one has. Such a copy is kept whole beside itself before it
// is replaced, so that no company is lost without a trace.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"

namespace velmar {

// The copies kept: "BRIO_PARAMS.bak", then "BRIO_PARAMS.1.bak", "BRIO_PARAMS.2.bak", ...
inline constexpr std::string_view kNomeCopiaConservata = "BRIO_PARAMS";
inline constexpr std::string_view kEstensioneCopiaConservata = ".bak";

enum class StatoCopia {
    Mancante,     // the area folder has no copy
    Uguale,       // byte for byte the base folder's file as it was
    Diversa,      // anything else
    Illeggibile,  // it exists but cannot be read
};

struct EsameCopia {
    std::string copia;  // the copy's path in its area folder
    StatoCopia stato = StatoCopia::Mancante;
    // Of a copy that differs: the codes that neither the old nor the new base file has, in the
    // copy's order.
    std::vector<std::string> proprie;
    // Of a copy that cannot be read: why.
    std::optional<Errore> errore;
};

// Examines the copy of the parameters file in each folder of `aree` against `vecchio` (the base
// folder's file before the change; missing counts as empty) and, for the copies that differ,
// against `nuovo` (the file that will replace them; it may be `vecchio` itself). Codes are read
// as an editor shows lines, a lone LF ending one too, so that a company hidden after one counts.
// A copy equal to `vecchio` is read only as far as the comparison needs; only the codes of the
// copies that differ are held. Fails, the file in the failure's `percorso` and the system's
// reason its cause, when `vecchio` or `nuovo` cannot be read.
[[nodiscard]] Risultato<std::vector<EsameCopia>> EsaminaCopie(FileSystem& fs,
                                                              const std::vector<std::string>& aree,
                                                              const std::string& vecchio,
                                                              const std::string& nuovo);

// Keeps the copy `copia`, of the folder `area`, whole under the first free name among
// BRIO_PARAMS.bak, BRIO_PARAMS.1.bak, ...: made afresh beside it, never through a link, forced
// onto the disk, with the copy's permissions, and put in place in one step. Gives the path it
// took.
[[nodiscard]] Risultato<std::string> ConservaCopia(FileSystem& fs, std::string_view area,
                                                   const std::string& copia);

}  // namespace velmar
