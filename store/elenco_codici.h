// The company codes of a parameters file, in file order: all the codes' bytes in one block, each
// followed by a CR (no code holds one: a CR always ends a line). One block for the whole list,
// grown in place where the allocator can, however many codes it holds.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <utility>
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
        explicit const_iterator(const char* p) noexcept : p_(p) {}
        std::string_view operator*() const noexcept { return std::string_view(p_, Lunghezza(p_)); }
        const_iterator& operator++() noexcept {
            p_ += Lunghezza(p_) + 1;
            return *this;
        }
        const_iterator operator++(int) noexcept {
            const_iterator prima = *this;
            ++*this;
            return prima;
        }
        bool operator==(const const_iterator& altro) const noexcept { return p_ == altro.p_; }

      private:
        static std::size_t Lunghezza(const char* p) noexcept {
            std::size_t n = 0;
            while (p[n] != '\r')
                ++n;
            return n;
        }
        const char* p_ = nullptr;
    };

    ElencoCodici() noexcept = default;
    ElencoCodici(const ElencoCodici& altro) : quanti_(altro.quanti_) {
        if (altro.usati_ > 0) {
            Cresci(altro.usati_);
            std::memcpy(dati_, altro.dati_, altro.usati_);
            usati_ = altro.usati_;
        }
    }
    ElencoCodici(ElencoCodici&& altro) noexcept
        : dati_(std::exchange(altro.dati_, nullptr)),
          usati_(std::exchange(altro.usati_, 0)),
          capacita_(std::exchange(altro.capacita_, 0)),
          quanti_(std::exchange(altro.quanti_, 0)) {}
    ElencoCodici& operator=(ElencoCodici altro) noexcept {
        std::swap(dati_, altro.dati_);
        std::swap(usati_, altro.usati_);
        std::swap(capacita_, altro.capacita_);
        std::swap(quanti_, altro.quanti_);
        return *this;
    }
    ~ElencoCodici() { std::free(dati_); }

    [[nodiscard]] std::size_t size() const noexcept { return quanti_; }
    [[nodiscard]] bool empty() const noexcept { return quanti_ == 0; }
    [[nodiscard]] const_iterator begin() const noexcept { return const_iterator(dati_); }
    [[nodiscard]] const_iterator end() const noexcept { return const_iterator(dati_ + usati_); }

    // `codice` holds no CR.
    void Aggiungi(std::string_view codice) {
        Riserva(codice.size() + 1);
        AggiungiRiservato(codice);
    }

    // Room for `byte` more bytes of codes, each code counting one more for its CR.
    void Riserva(std::size_t byte) {
        if (capacita_ - usati_ < byte)
            Cresci(usati_ + byte);
    }

    // Aggiungi within room already made by Riserva: no calls, so that a caller's loop keeps its
    // registers. Codes are short: fixed-size copies that may overlap instead of a copy call.
    void AggiungiRiservato(std::string_view codice) noexcept {
        const std::size_t n = codice.size();
        char* const d = dati_ + usati_;
        const char* const s = codice.data();
        if (n > 16) {
            for (std::size_t k = 0; k + 16 < n; k += 16)
                std::memcpy(d + k, s + k, 16);
            std::memcpy(d + n - 16, s + n - 16, 16);
        } else if (n >= 8) {
            std::memcpy(d, s, 8);
            std::memcpy(d + n - 8, s + n - 8, 8);
        } else if (n >= 4) {
            std::memcpy(d, s, 4);
            std::memcpy(d + n - 4, s + n - 4, 4);
        } else if (n > 0) {
            d[0] = s[0];
            d[n / 2] = s[n / 2];
            d[n - 1] = s[n - 1];
        }
        d[n] = '\r';
        usati_ += n + 1;
        ++quanti_;
    }

    // Equal to a list of codes given one by one (for tests and callers that hold copies).
    friend bool operator==(const ElencoCodici& a, const std::vector<std::string>& b) noexcept {
        if (a.size() != b.size())
            return false;
        auto i = a.begin();
        for (const std::string& codice : b) {
            if (*i != codice)
                return false;
            ++i;
        }
        return true;
    }

  private:
    // At least `serve` bytes of room; doubles, so that appends cost constant time on average.
    void Cresci(std::size_t serve) {
        std::size_t nuova = capacita_ < 4096 ? 4096 : capacita_ * 2;
        if (nuova < serve)
            nuova = serve;
        void* p = std::realloc(dati_, nuova);
        if (p == nullptr)
            throw std::bad_alloc();
        dati_ = static_cast<char*>(p);
        capacita_ = nuova;
    }

    char* dati_ = nullptr;
    std::size_t usati_ = 0;
    std::size_t capacita_ = 0;
    std::size_t quanti_ = 0;
};

}  // namespace velmar
