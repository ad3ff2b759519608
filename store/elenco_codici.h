// The company codes of a parameters file, in file order: all the codes' bytes in one block and
// where each ends. One allocation pair for the whole list, however many codes it holds.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

class ElencoCodici {
  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() noexcept = default;
        const_iterator(const ElencoCodici* elenco, std::size_t i) noexcept
            : elenco_(elenco), i_(i) {}
        std::string_view operator*() const noexcept { return (*elenco_)[i_]; }
        const_iterator& operator++() noexcept {
            ++i_;
            return *this;
        }
        const_iterator operator++(int) noexcept { return {elenco_, i_++}; }
        bool operator==(const const_iterator& altro) const noexcept { return i_ == altro.i_; }

      private:
        const ElencoCodici* elenco_ = nullptr;
        std::size_t i_ = 0;
    };

    [[nodiscard]] std::size_t size() const noexcept { return fini_.size(); }
    [[nodiscard]] bool empty() const noexcept { return fini_.empty(); }
    [[nodiscard]] std::string_view operator[](std::size_t i) const noexcept {
        const std::size_t inizio = i == 0 ? 0 : fini_[i - 1];
        return std::string_view(testo_).substr(inizio, fini_[i] - inizio);
    }
    [[nodiscard]] const_iterator begin() const noexcept { return {this, 0}; }
    [[nodiscard]] const_iterator end() const noexcept { return {this, size()}; }

    void Aggiungi(std::string_view codice) {
        testo_.append(codice);
        fini_.push_back(testo_.size());
    }

    // Equal to a list of codes given one by one (for tests and callers that hold copies).
    friend bool operator==(const ElencoCodici& a, const std::vector<std::string>& b) noexcept {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }

  private:
    std::string testo_;
    std::vector<std::size_t> fini_;
};

}  // namespace velmar
