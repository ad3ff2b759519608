// What a DRDA server is, read from the class name it sends (SRVCLSNM), and whether it is the
// server type a company's record says: DB2 for Windows where the record says NT, DB2 for Linux
// or another Unix where it says Linux. The texts are Italian, in Windows-1252, with the server's
// own words shown with their control characters made visible.
#pragma once

#include <string>
#include <string_view>

#include "drda/excsat.h"
#include "store/record.h"

namespace velmar::drda {

enum class Piattaforma {
    Windows,    // DB2 for Linux, UNIX and Windows on Windows: QDB2/NT, QDB2/NT64
    Linux,      // the same on Linux: QDB2/LINUX, QDB2/LINUXX8664, QDB2/LINUXPPC64, ...
    Unix,       // the same on another Unix: QDB2/6000, QDB2/AIX64, QDB2/SUN64, QDB2/HPUX, ...
    ZOs,        // DB2 for z/OS: QDB2
    I,          // DB2 for i: QAS
    AltroDrda,  // a DRDA server that is not DB2 (Apache Derby), or one that names no class
};

// The platform of a server class name; trailing blanks and the case of letters do not count.
// "QDB2/NT64" -> Windows.   "QDB2/LINUXX8664" -> Linux.   "QDB2/AIX64" -> Unix.
// "QDB2" -> ZOs.   "QAS" -> I.   "Apache Derby" -> AltroDrda.   "" -> AltroDrda.
[[nodiscard]] Piattaforma PiattaformaDi(std::string_view classe) noexcept;

// "DB2 per Windows", "DB2 per Linux", "DB2 per Unix", "DB2 per z/OS", "DB2 per i",
// "DRDA, non DB2".
[[nodiscard]] std::string_view DescrizionePiattaforma(Piattaforma p) noexcept;
// Its name in JSON: "db2_windows", "db2_linux", "db2_unix", "db2_zos", "db2_i", "drda".
[[nodiscard]] std::string_view NomePiattaforma(Piattaforma p) noexcept;

enum class Verdetto {
    Corrisponde,  // the DB2 the record's type stands for
    TipoDiverso,  // DB2 for Linux, UNIX and Windows, of the other type
    Db2ZOs,       // DB2, but for z/OS
    Db2I,         // DB2, but for i
    NonDb2,       // a DRDA server that is not DB2
};

struct Giudizio {
    Verdetto verdetto;
    Piattaforma piattaforma;
    // "corrisponde: il server è DB2 per Windows (QDB2/NT64, SQL11055), il record dice NT
    // (db2admin)"; "non corrisponde: il server è DB2 per Linux (QDB2/LINUXX8664, SQL11055), il
    // record dice NT (db2admin)"; ...
    std::string messaggio;
};

// The server that sent `attributi` against the record's server type.
[[nodiscard]] Giudizio GiudicaServer(const AttributiServer& attributi, TipoServer record);

}  // namespace velmar::drda
