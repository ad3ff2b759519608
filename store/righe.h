// Cutting a byte stream into lines. A line ends at CR LF or at a lone CR; a lone LF is an
// ordinary byte of the line; the terminator is not part of the line; a final line without
// terminator is still a line; an empty stream has no lines. Bytes are passed on unchanged.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace velmar {

// Feeds chunks of a stream and calls fn(std::string_view line) for each complete line.
// The view is valid only during the call. Memory held is the longest partial line.
class DivisoreRighe {
public:
    template <class Fn>
    void Aggiungi(std::string_view blocco, Fn&& fn) {
        std::size_t pos = 0;
        if (crPendente_) {
            crPendente_ = false;
            if (!blocco.empty() && blocco.front() == '\n') pos = 1;
        }
        const char* const dati = blocco.data();
        const std::size_t n = blocco.size();
        while (pos < n) {
            const void* cr = std::memchr(dati + pos, '\r', n - pos);
            if (cr == nullptr) {
                resto_.append(dati + pos, n - pos);
                return;
            }
            const std::size_t i = static_cast<std::size_t>(static_cast<const char*>(cr) - dati);
            if (resto_.empty()) {
                fn(std::string_view(dati + pos, i - pos));
            } else {
                resto_.append(dati + pos, i - pos);
                fn(std::string_view(resto_));
                resto_.clear();
            }
            if (i + 1 == n) {
                crPendente_ = true;
                pos = n;
            } else {
                pos = dati[i + 1] == '\n' ? i + 2 : i + 1;
            }
        }
    }

    // Ends the stream: a final unterminated line is passed on.
    template <class Fn>
    void Termina(Fn&& fn) {
        if (!resto_.empty()) fn(std::string_view(resto_));
        resto_.clear();
        crPendente_ = false;
    }

private:
    std::string resto_;
    bool crPendente_ = false;
};

// Calls fn for every line of a whole text.  "a\r\nb\rc\nd" -> "a", "b", "c\nd".
template <class Fn>
void PerOgniRiga(std::string_view testo, Fn&& fn) {
    DivisoreRighe d;
    d.Aggiungi(testo, fn);
    d.Termina(fn);
}

}  // namespace velmar
