// The check of a package: what drifted or was damaged in its parameters file and in the copies
// of the area folders. Reads every file once and changes nothing.
#pragma once

#include <cstdint>
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

struct Problema {
    TipoProblema tipo = TipoProblema::CopiaDiversa;
    std::string file;
    std::uint64_t riga =
        0;               // from 1; 0 when the problem is not of one line (of NUL bytes: the first)
    std::string codice;  // the company it concerns, when it concerns one
    // For a copy that differs: the codes missing there, those only there, and those whose
    // lines differ.
    std::vector<std::string> mancanti;
    std::vector<std::string> inPiu;
    std::vector<std::string> diversi;
    // For a line holding a lone LF: the company records after the LF, which no program lists.
    std::uint64_t ditteNascoste = 0;
    // In Italian, what is wrong.
    std::string descrizione;
};

// The name of a kind of problem, for a program reading the check ("copia_diversa").
[[nodiscard]] std::string_view NomeProblema(TipoProblema tipo) noexcept;

// The problems of the package in `cartellaBase`, in the order: leftover files, the base folder's
// file line by line and then as a whole, then each area folder. Fails as CartellaNonDisponibile
// when the folder is unavailable, as Illeggibile when the base folder's file exists but cannot
// be read.
[[nodiscard]] Risultato<std::vector<Problema>> VerificaPacchetto(FileSystem& fs,
                                                                 std::string_view cartellaBase);

}  // namespace velmar
