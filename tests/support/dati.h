// The byte-exact samples checked in under tests/data.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace velmar::test {

// The bytes of the sample `nome`.
inline std::string LeggiDato(const std::string& nome) {
    std::ifstream f(std::string(VELMAR_TEST_DATA) + "/" + nome, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace velmar::test
