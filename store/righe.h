// Reading the parameters file line by line through a buffer of fixed size, whatever the lines'
// lengths. A line ends at CR LF or at a lone CR; a lone LF is an ordinary byte of the line; the
// terminator is not part of the line; a final line without terminator is still a line; an
// empty file has no lines. Bytes are passed on unchanged.
// A line no longer than the buffer is handed over whole; of a longer one only its place and the
// places of its first fields are kept, and its bytes are read back from the file when asked for,
// so that memory stays the same for a line of any length.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/file_system.h"
#include "store/record.h"

namespace velmar {

inline constexpr std::size_t kBufferLettura = 256 * 1024;

// How a line ends: CR LF, a lone CR, or the end of the file.
enum class FineRiga { CrLf, Cr, FineFile };

// One line of a file, as LettoreRighe gives it.
class RigaLetta {
  public:
    [[nodiscard]] FineRiga Fine() const noexcept { return fine_; }
    // True when the whole line is held (Testo); false for a line longer than the read buffer.
    [[nodiscard]] bool Intera() const noexcept { return intera_; }
    [[nodiscard]] std::string_view Testo() const noexcept { return testo_; }
    // Its place in the file and its length, terminator excluded.
    [[nodiscard]] std::uint64_t Inizio() const noexcept { return inizio_; }
    [[nodiscard]] std::uint64_t Lunghezza() const noexcept { return lunghezza_; }

    // Its first `quanti` fields, as TagliaCampi gives them.
    [[nodiscard]] CampiRiga Campi(std::size_t quanti) const noexcept {
        if (intera_)
            return TagliaCampi(testo_, quanti);
        CampiRiga c = campi_;
        c.numero = std::min(c.numero, quanti);
        return c;
    }
    // The bytes of field i (one of `campi`, which Campi gave).
    [[nodiscard]] Risultato<std::string> Campo(const CampiRiga& campi, std::size_t i) const {
        if (!intera_)
            return CampoRiletto(campi, i);
        return std::string(testo_.substr(campi.Inizio(i), campi.Lunghezza(i)));
    }
    // Whether field i is exactly `atteso`; of a long line no more than its length is read.
    [[nodiscard]] Risultato<bool> CampoUguale(const CampiRiga& campi, std::size_t i,
                                              std::string_view atteso) const {
        if (campi.Lunghezza(i) != atteso.size())
            return false;
        if (!intera_)
            return CampoUgualeRiletto(campi, i, atteso);
        return testo_.substr(campi.Inizio(i), atteso.size()) == atteso;
    }
    // Passes the line's bytes to out(std::string_view): at once when held, else in pieces.
    template <class Out>
    [[nodiscard]] Esito Copia(Out&& out) const;

  private:
    friend class LettoreRighe;
    Risultato<std::string> CampoRiletto(const CampiRiga& campi, std::size_t i) const;
    Risultato<bool> CampoUgualeRiletto(const CampiRiga& campi, std::size_t i,
                                       std::string_view atteso) const;
    // Reads `lunghezza` bytes from byte `da` of the line, in pieces, into fn(std::string_view).
    template <class Fn>
    Esito Rileggi(std::uint64_t da, std::uint64_t lunghezza, Fn&& fn) const;

    FileLettura* file_ = nullptr;
    char* rilettura_ = nullptr;  // the reader's buffer for reading back a long line
    std::size_t capacitaRilettura_ = 0;
    std::uint64_t inizio_ = 0;  // in the file
    std::uint64_t lunghezza_ = 0;
    std::string_view testo_;
    bool intera_ = true;
    FineRiga fine_ = FineRiga::CrLf;
    CampiRiga campi_;  // of a long line, placed while it was read
};

// Reads a file from its first line to its last:
//   LettoreRighe lettore(file);
//   RigaLetta riga;
//   for (Risultato<bool> letta; (letta = lettore.Prossima(riga)) && *letta;) ...
// or, where a failure to read must be told, OgniRiga below.
class LettoreRighe {
  public:
    // `capacita` is the size of the read buffer (smaller only in tests).
    explicit LettoreRighe(FileLettura& file, std::size_t capacita = kBufferLettura);

    // The next line into `riga`, valid until the next call: true; false at the end of the file.
    // Fails when the file cannot be read.
    [[nodiscard]] Risultato<bool> Prossima(RigaLetta& riga) {
        // A whole line held with the byte after its CR: the common case, here; reading on, out
        // of line.
        if (cursore_ < usati_ && !saltaLF_) {
            char* const b = buffer_.get();
            const void* cr = std::memchr(b + cursore_, '\r', usati_ - cursore_);
            if (cr != nullptr && static_cast<const char*>(cr) + 1 < b + usati_) {
                const auto fine = static_cast<std::size_t>(static_cast<const char*>(cr) - b);
                riga.file_ = &file_;
                riga.intera_ = true;
                riga.inizio_ = inizioBuffer_ + cursore_;
                riga.lunghezza_ = fine - cursore_;
                riga.testo_ = std::string_view(b + cursore_, fine - cursore_);
                riga.fine_ = b[fine + 1] == '\n' ? FineRiga::CrLf : FineRiga::Cr;
                cursore_ = fine + (riga.fine_ == FineRiga::CrLf ? 2 : 1);
                return true;
            }
        }
        return ProssimaLeggendo(riga);
    }

  private:
    Risultato<bool> ProssimaLeggendo(RigaLetta& riga);
    Risultato<bool> RigaLunga(RigaLetta& riga);
    // How the line whose CR is at `cr` in the buffer ends, looking past the bytes held when the
    // CR is the last of them; the next line's start is set after the terminator.
    Risultato<FineRiga> DopoCr(std::size_t cr);

    FileLettura& file_;
    std::size_t capacita_;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<char[]> rilettura_;  // made at the first line too long to hold
    std::uint64_t inizioBuffer_ = 0;     // place in the file of buffer_[0]
    std::size_t usati_ = 0;              // bytes held
    std::size_t cursore_ = 0;            // start of the next line in the buffer
    bool fineFile_ = false;
    bool saltaLF_ = false;  // the next byte is the LF that ended the line before
};

// Passes every line of `file`, first to last, to fn(const RigaLetta&), which gives an Esito; stops
// at the first failure, its or of the reading. `capacita` is the read buffer's size.
template <class Fn>
[[nodiscard]] Esito OgniRiga(FileLettura& file, Fn&& fn, std::size_t capacita = kBufferLettura) {
    LettoreRighe lettore(file, capacita);
    RigaLetta riga;
    for (;;) {
        Risultato<bool> letta = lettore.Prossima(riga);
        if (!letta)
            return std::move(letta).Errore();
        if (!*letta)
            return {};
        if (Esito e = fn(static_cast<const RigaLetta&>(riga)); !e)
            return e;
    }
}

// A text in memory read as a file (for tests, fuzzing, and texts at hand).
class LetturaDaTesto final : public FileLettura {
  public:
    explicit LetturaDaTesto(std::string_view testo) noexcept : testo_(testo) {}
    Risultato<std::size_t> Leggi(std::uint64_t posizione, char* buffer,
                                 std::size_t capacita) override;
    std::uint64_t Dimensione() const noexcept override { return testo_.size(); }

  private:
    std::string_view testo_;
};

// Passes the bytes of `file`, first to last, to fn(std::string_view) in blocks of up to
// `capacita` bytes, without looking at its lines.
template <class Fn>
[[nodiscard]] Esito LeggiABlocchi(FileLettura& file, Fn&& fn,
                                  std::size_t capacita = kBufferLettura) {
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(capacita);
    for (std::uint64_t posizione = 0;;) {
        Risultato<std::size_t> letti = file.Leggi(posizione, buffer.get(), capacita);
        if (!letti)
            return std::move(letti).Errore();
        if (*letti == 0)
            return {};
        fn(std::string_view(buffer.get(), *letti));
        posizione += *letti;
    }
}

template <class Fn>
Esito RigaLetta::Rileggi(std::uint64_t da, std::uint64_t lunghezza, Fn&& fn) const {
    while (lunghezza > 0) {
        const auto chiesti =
            static_cast<std::size_t>(std::min<std::uint64_t>(lunghezza, capacitaRilettura_));
        Risultato<std::size_t> letti = file_->Leggi(inizio_ + da, rilettura_, chiesti);
        if (!letti)
            return std::move(letti).Errore();
        if (*letti == 0)
            return Errore(TipoErrore::Sistema, "il file \xE8 stato accorciato durante la lettura");
        fn(std::string_view(rilettura_, *letti));
        da += *letti;
        lunghezza -= *letti;
    }
    return {};
}

template <class Out>
Esito RigaLetta::Copia(Out&& out) const {
    if (intera_) {
        out(testo_);
        return {};
    }
    return Rileggi(0, lunghezza_, out);
}

}  // namespace velmar
