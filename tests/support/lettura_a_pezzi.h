// A text read as a file that hands out at most `pezzo` bytes at each read, so that lines cross
// the reads' boundaries.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>

#include "store/file_system.h"

namespace velmar::test {

class LetturaAPezzi final : public FileLettura {
  public:
    LetturaAPezzi(std::string_view dati, std::size_t pezzo) : dati_(dati), pezzo_(pezzo) {}
    std::uint64_t Dimensione() const noexcept override { return dati_.size(); }
    Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                 std::size_t capacita) override {
        const std::size_t da = std::min<std::size_t>(posizione, dati_.size());
        const std::size_t letti = std::min({capacita, pezzo_, dati_.size() - da});
        std::memcpy(buffer, dati_.data() + da, letti);
        return letti;
    }

  private:
    std::string_view dati_;
    std::size_t pezzo_;
};

}  // namespace velmar::test
