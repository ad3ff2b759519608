// The check of a package: what drifted or was damaged in its parameters file and in the copies
// of the area folders. Reads every file once and changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"

namespace velmar {

enum class TipoProblema {
    CopiaDiversa,      // an area copy that differs from the base folder's file
    CopiaMancante,     // an area folder that exists without a copy
    CopiaIlleggibile,  // an area copy that cannot be read
    FileMancante,      // the base folder's file is missing
    RigaCorta,         // a line with fewer than six fields
    CodiceRipetuto,    // a code on more than one line
    FineRiga,          // a line that does not end with CR LF
    LfSolitario,       // a line holding a lone LF
    Catalogo,          // a catalog field that does not end in Dwh<code>.oce
    FileAvanzato,      // a work or temporary file left by a save that stopped
    Utf8,              // the base folder's file looks like UTF-8 (a byte order mark, or UTF-8)
    AreaNonCartella,   // an area's name taken by something that is not a folder
    Utf16,             // a file (the base folder's or an area copy) in UTF-16
    ByteNul,           // the base folder's file holds NUL bytes
};

// What mends a problem, which the programs word with the tools they know.
enum class RimedioProblema {
    Nessuno,
    TogliBom,          // the repair removes the byte order mark
    Converti,          // the repair converts the file to Windows-1252
    SostituisciCopia,  // a distribution or a repair replaces the copy, keeping it if need be
};

struct Problema {
    TipoProblema tipo = TipoProblema::CopiaDiversa;
    std::string file;
    // The line, from 1, when the problem is of one (of NUL bytes: the first that holds one).
    std::optional<std::uint64_t> riga;
    std::string codice;  // the company it concerns, when it concerns one
    // For a copy that differs: the codes missing there, those only there, and those whose
    // lines differ.
    std::vector<std::string> mancanti;
    std::vector<std::string> inPiu;
    std::vector<std::string> diversi;
    // For a line holding a lone LF: the company records after the LF, which no program lists.
    std::uint64_t ditteNascoste = 0;
    // In Italian, what is wrong; then what the layer below reported, when it caused it, and
    // what mends it.
    std::string descrizione;
    std::vector<Errore> causa;
    RimedioProblema rimedio = RimedioProblema::Nessuno;
};

// The name of a kind of problem, for a program reading the check ("copia_diversa").
[[nodiscard]] std::string_view NomeProblema(TipoProblema tipo) noexcept;

// What the list and the lookup should be told with, when the parameters file of the package in
// `cartellaBase` is UTF-16 text, which they read as bytes all the same (the problem Utf16, with
// the file, its encoding and its remedy). Nothing for any other file, a missing one, or one that
// cannot be read.
[[nodiscard]] std::optional<Problema> AvvisoLettura(FileSystem& fs, std::string_view cartellaBase);

// The problems of the package in `cartellaBase`, in the order: leftover files, the base folder's
// file line by line and then as a whole, then each area folder. Fails as CartellaNonDisponibile
// when the folder is unavailable, as Illeggibile when the base folder's file exists but cannot
// be read.
[[nodiscard]] Risultato<std::vector<Problema>> VerificaPacchetto(FileSystem& fs,
                                                                 std::string_view cartellaBase);

}  // namespace velmar
