// The benchmarks' package: a parameters file of realistic lines (about 146 bytes each) and the
// three area folders, made once in a folder of the benchmark's own.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmar::bench {

// The code of line i: "000123".
inline std::string Codice(long i) {
    char b[32];
    std::snprintf(b, sizeof b, "%06ld", i);
    return b;
}

// Writes the package of `righe` lines into `cartella` (created with its areas).
inline void ScriviPacchetto(const std::filesystem::path& cartella, long righe) {
    std::filesystem::create_directories(cartella);
    for (const char* a : {"CONTABILITA", "COMMERCIALE", "SCHEDULATORE"})
        std::filesystem::create_directories(cartella / a);
    std::ofstream f(cartella / "BRIO_PARAMS.txt", std::ios::binary | std::ios::trunc);
    for (long i = 0; i < righe; ++i) {
        const std::string c = Codice(i);
        f << "Ditta " << c << " S.r.l.;C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog "
          << "Extensions\\Dwh" << c << ".oce;"
          << (i % 3 ? "db2inst1;db2inst1;db2inst1;" : "db2admin;db2admin;db2admin;") << c
          << ";10.0." << i / 250 % 256 << "." << i % 250 << ";\r\n";
    }
}

}  // namespace velmar::bench
