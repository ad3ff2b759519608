// The rules of the parameters file, one byte at a time and nothing clever, for the fuzz targets
// to hold the program's reader against: a line ends at a CR, with the LF that follows it; a
// line's fields are cut at every ';'.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar::fuzz {

inline std::vector<std::string> Righe(std::string_view t) {
    std::vector<std::string> righe;
    std::string riga;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r') {
            riga += t[i];
            continue;
        }
        righe.push_back(riga);
        riga.clear();
        if (i + 1 < t.size() && t[i + 1] == '\n')
            ++i;
    }
    if (!riga.empty())
        righe.push_back(riga);
    return righe;
}

inline std::vector<std::string> Campi(std::string_view riga) {
    std::vector<std::string> campi;
    if (riga.empty())
        return campi;
    campi.emplace_back();
    for (char c : riga) {
        if (c == ';') {
            campi.emplace_back();
        } else {
            campi.back() += c;
        }
    }
    return campi;
}

}  // namespace velmar::fuzz
