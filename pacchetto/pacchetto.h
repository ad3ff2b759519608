// The package as the programs use it: where its catalog folder comes from, and the store over a
// package folder named by the user. Portable; the Windows parts (the application-folder
// component, BrioQuery's registry value) are in pacchetto_win32.h.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/archivio.h"
#include "store/file_system.h"
#include "store/salvataggio.h"

namespace velmar {

// BrioQuery's Open Catalog Extensions folder: its registry value (of the current user), and the
// folder used when the value is missing or empty.
inline constexpr std::string_view kChiaveBrioQuery = "Software\\Brio\\BrioQuery\\BrioQuery";
inline constexpr std::string_view kValoreCartellaCatalogo = "OpenCatalogDir";
inline constexpr std::string_view kCartellaCatalogoPredefinita =
    "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions";

// The catalog folder to write: the value read (registry or option), or the default folder when
// it is empty.
[[nodiscard]] ValoreCatalogo CartellaCatalogo(ValoreCatalogo letto);

// The folders named on the command line (Windows-1252), when they were named.
struct OpzioniArchivio {
    std::optional<std::string> base;
    std::optional<ValoreCatalogo> catalogo;
};

// The store over the package in `base`. Fails as CartellaNonDisponibile when `base` is not a
// complete path or not an existing folder. Final separators are dropped. `catalogo` missing or
// empty means the default catalog folder.
[[nodiscard]] Risultato<std::unique_ptr<ArchivioDitte>> CreaArchivioCartella(
    FileSystem& fs, std::string_view base, const std::optional<ValoreCatalogo>& catalogo);

}  // namespace velmar
