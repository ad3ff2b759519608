// The company record: one line of the parameters file, fields cut at every ';'.
// Everything here works on Windows-1252 bytes and knows nothing of files or windows.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// Account words stored in fields 2, 3 and 4 for each server type.
inline constexpr std::string_view kParolaNT = "db2admin";
inline constexpr std::string_view kParolaLinux = "db2inst1";

inline constexpr std::string_view kCartellaCatalogoPredefinita =
    "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions";

enum class TipoServer { Nessuno, NT, Linux };

// The six values the window keeps between confirmations and the save reads.
struct StatoFinestra {
    std::string CodiceDitta;
    std::string DescrizioneDitta;
    std::string Macchina;
    std::string ParametroServer1;
    std::string ParametroServer2;
    std::string ParametroServer3;
};

// A line cut into fields. The first kMax fields are kept; `numero` counts them all.
// "a;b;;c" -> numero 4: "a", "b", "", "c".   "" -> numero 0.   ";;;;" -> numero 5, all empty.
struct CampiRiga {
    static constexpr std::size_t kMax = 8;
    std::array<std::string_view, kMax> campi{};
    std::size_t numero = 0;

    // Field i, or nothing when the line has no such field (or i >= kMax).
    [[nodiscard]] std::optional<std::string_view> Campo(std::size_t i) const noexcept {
        if (i >= numero || i >= kMax)
            return std::nullopt;
        return campi[i];
    }
};

// Cuts a line at every ';'. The views point into `riga`.
[[nodiscard]] CampiRiga TagliaCampi(std::string_view riga) noexcept;

// Field 5 (the company code) of a line that has at least six fields, or nothing.
// "a;b;c;d;e;f" -> "f".   "a;b;c;d;e" -> nothing.
[[nodiscard]] std::optional<std::string_view> CodiceRiga(std::string_view riga) noexcept;

// Server type named by field 4: exactly "db2admin" is NT, anything else Linux.
[[nodiscard]] TipoServer TipoDaParola(std::string_view campo4) noexcept;

// Account word for a server type ("" for none).
[[nodiscard]] std::string_view ParolaDaTipo(TipoServer tipo) noexcept;

// Catalog folder to write in field 1: the registry text, or the default when it is empty,
// followed by "\" in every case (a value already ending in "\" gives a doubled separator).
[[nodiscard]] std::string CartellaCatalogo(std::string_view valoreRegistro);

// The record for a company, without line terminator:
// description;<catalog>Dwh<code>.oce;word1;word2;word3;code;machine;
// `catalogo` is the folder already ending in "\" (see CartellaCatalogo).
[[nodiscard]] std::string ComponiRecord(const StatoFinestra& stato, std::string_view catalogo);

}  // namespace velmar
