// Texts of the console's constant tables (the lines of --help) joined at compile time from
// pieces, so that the store's names they hold (the area folders, the server types) are written
// once, where the store keeps them.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace velmar {

// A text of at most kMassimo bytes, made of pieces, read as a std::string_view. As a constant it
// holds its bytes itself, so a table can keep the view.
class TestoComposto {
  public:
    static constexpr std::size_t kMassimo = 1024;

    constexpr TestoComposto() = default;
    // The pieces one after the other: {"a", b, "c"} -> "a" + b + "c".
    constexpr TestoComposto(std::initializer_list<std::string_view> pezzi) {
        for (const std::string_view p : pezzi)
            Aggiungi(p);
    }

    // Fails (std::length_error; at compile time, the constant) beyond kMassimo bytes.
    constexpr void Aggiungi(std::string_view pezzo) {
        if (pezzo.size() > kMassimo - lunghezza_)
            throw std::length_error("TestoComposto: more than kMassimo bytes");
        for (const char c : pezzo)
            testo_[lunghezza_++] = c;
    }

    constexpr operator std::string_view() const noexcept { return {testo_.data(), lunghezza_}; }

  private:
    std::array<char, kMassimo> testo_{};
    std::size_t lunghezza_ = 0;
};

// The names of `voci` (the rows themselves, or each row's `campo`) one after the other,
// `separatore` between them and `ultimo` before the last:
// {"A", "B", "C"}, ", ", " e " -> "A, B e C".   {"A"} -> "A".
template <class Voci, class Campo = std::identity>
[[nodiscard]] constexpr TestoComposto Elenca(const Voci& voci, std::string_view separatore,
                                             std::string_view ultimo, Campo campo = {}) {
    TestoComposto t;
    const std::size_t n = std::size(voci);
    std::size_t i = 0;
    for (const auto& v : voci) {
        if (i > 0)
            t.Aggiungi(i + 1 == n ? ultimo : separatore);
        t.Aggiungi(std::invoke(campo, v));
        ++i;
    }
    return t;
}

}  // namespace velmar
