// The company record: one line of the parameters file, fields cut at every ';'.
// Everything here works on Windows-1252 bytes and knows nothing of files or windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// The company line: fields cut at every ';'. A line of fewer than kCampiDitta fields is no
// company's; the fields the programs read, by their number from 0.
inline constexpr std::size_t kCampiDitta = 6;
inline constexpr std::size_t kCampoDescrizione = 0;
inline constexpr std::size_t kCampoCatalogo = 1;
inline constexpr std::size_t kCampoServer = 4;  // the account word read for the server type
inline constexpr std::size_t kCampoCodice = 5;  // the record's key
inline constexpr std::size_t kCampoMacchina = 6;
// The fields read of a company line: up to its machine.
inline constexpr std::size_t kCampiLetti = kCampoMacchina + 1;

// Account words stored in fields 2, 3 and 4 for each server type.
inline constexpr std::string_view kParolaNT = "db2admin";
inline constexpr std::string_view kParolaLinux = "db2inst1";

enum class TipoServer { Nessuno, NT, Linux };

// Each server type: its account word, its caption (the window's option button, the console's
// output) and its name in the console's options and JSON.
struct VoceServer {
    TipoServer tipo;
    std::string_view parola;
    std::string_view didascalia;
    std::string_view nome;
};
inline constexpr VoceServer kServer[] = {
    {TipoServer::NT, kParolaNT, "NT", "nt"},
    {TipoServer::Linux, kParolaLinux, "Linux", "linux"},
};

// The row of a server type, or nothing for none.
[[nodiscard]] constexpr const VoceServer* ServerDi(TipoServer tipo) noexcept {
    for (const VoceServer& v : kServer) {
        if (v.tipo == tipo)
            return &v;
    }
    return nullptr;
}

// The values of one company as a save writes them: the three server words are the account
// word of its server type.
struct DatiDitta {
    std::string CodiceDitta;
    std::string DescrizioneDitta;
    std::string Macchina;
    std::string ParametroServer1;
    std::string ParametroServer2;
    std::string ParametroServer3;
};

// Where the first fields of a line lie: the separators that end them, in bytes from the line's
// start. Field i runs from just after separator i-1 (or the start) to separator i (or the end).
struct CampiRiga {
    static constexpr std::size_t kMax = 8;
    std::array<std::uint64_t, kMax> separatori{};
    std::size_t separatoriTrovati = 0;
    std::uint64_t lunghezza = 0;  // of the line
    // The fields found, up to as many as were asked for.
    std::size_t numero = 0;

    [[nodiscard]] std::uint64_t Inizio(std::size_t i) const noexcept {
        return i == 0 ? 0 : separatori[i - 1] + 1;
    }
    [[nodiscard]] std::uint64_t Fine(std::size_t i) const noexcept {
        return i < separatoriTrovati ? separatori[i] : lunghezza;
    }
    [[nodiscard]] std::uint64_t Lunghezza(std::size_t i) const noexcept {
        return Fine(i) - Inizio(i);
    }
    // Field i of `riga` (the line these places were taken from), or nothing when there is no
    // such field among those asked for.
    [[nodiscard]] std::optional<std::string_view> Campo(std::string_view riga,
                                                        std::size_t i) const noexcept {
        if (i >= numero)
            return std::nullopt;
        return riga.substr(Inizio(i), Lunghezza(i));
    }
};

// Places the separators of `pezzo`, bytes of a line from byte `inizio` on, after the `trovati`
// already placed, until `quanti` are: the one loop that cuts lines into fields.
inline void TrovaSeparatori(std::string_view pezzo, std::uint64_t inizio, CampiRiga& campi,
                            std::size_t quanti) noexcept {
    std::size_t trovati = campi.separatoriTrovati;
    for (std::size_t da = 0; trovati < quanti;) {
        const std::size_t s = pezzo.find(';', da);
        if (s == std::string_view::npos)
            break;
        campi.separatori[trovati++] = inizio + s;
        da = s + 1;
    }
    campi.separatoriTrovati = trovati;
}

// The count of fields of a line of `lunghezza` bytes whose first separators are placed.
inline void ContaCampi(CampiRiga& campi, std::size_t quanti) noexcept {
    campi.numero = campi.lunghezza == 0               ? 0
                   : campi.separatoriTrovati < quanti ? campi.separatoriTrovati + 1
                                                      : quanti;
}

// The first `quanti` fields (at most kMax) of a whole line, cut at every ';'. An empty line has
// no fields; any other has one more than it has separators.
// "a;b;;c" -> 4 fields "a", "b", "", "c".   "" -> none.   ";;;;" -> 5 empty fields.
[[nodiscard]] inline CampiRiga TagliaCampi(std::string_view riga,
                                           std::size_t quanti = CampiRiga::kMax) noexcept {
    quanti = quanti < CampiRiga::kMax ? quanti : CampiRiga::kMax;
    CampiRiga campi;
    campi.lunghezza = riga.size();
    TrovaSeparatori(riga, 0, campi, quanti);
    ContaCampi(campi, quanti);
    return campi;
}

// The same for a line that comes in pieces, one too long to hold: the places are the same.
class TaglioCampi {
  public:
    explicit TaglioCampi(std::size_t quanti = CampiRiga::kMax) noexcept
        : quanti_(quanti < CampiRiga::kMax ? quanti : CampiRiga::kMax) {}
    // The next bytes of the line.
    void Aggiungi(std::string_view pezzo) noexcept {
        TrovaSeparatori(pezzo, campi_.lunghezza, campi_, quanti_);
        campi_.lunghezza += pezzo.size();
    }
    // The fields of the bytes given so far, as a whole line.
    [[nodiscard]] CampiRiga Campi() const noexcept {
        CampiRiga c = campi_;
        ContaCampi(c, quanti_);
        return c;
    }

  private:
    CampiRiga campi_;
    std::size_t quanti_;
};

// Counts, over a line's bytes given in pieces, the company records hidden after a lone LF in it.
// The line's own record runs to its code (field 5); every LF after that starts another text, and
// one with at least six fields is a record that no program lists. Made with a code, it also tells
// whether one of those records carries it.
// "A;c;w;w;w;001;m;\nB;c;w;w;w;002;m;\n" -> 1 (the empty text after the last LF is none).
// "A\nB;c;w;w;w;001;m;" -> 0: the LF lies within the line's own record.
class DitteDopoLf {
  public:
    DitteDopoLf() = default;
    explicit DitteDopoLf(std::string_view codice) noexcept : codice_(codice), cerca_(true) {}

    void Aggiungi(std::string_view pezzo) noexcept {
        for (const char c : pezzo) {
            if (c == ';') {
                ChiudiCodice();
                ++separatori_;
                ++separatoriTesto_;
                inCodice_ = cerca_ && altroTesto_ && separatoriTesto_ == kCampoCodice;
                letti_ = 0;
                diverso_ = false;
            } else if (c == '\n') {
                ChiudiCodice();
                lf_ = true;
                Chiudi();
                altroTesto_ = separatori_ >= kCampoCodice;
            } else if (inCodice_) {
                diverso_ = diverso_ || letti_ >= codice_.size() || codice_[letti_] != c;
                ++letti_;
            }
        }
    }
    // Whether the bytes given hold an LF.
    [[nodiscard]] bool Lf() const noexcept { return lf_; }
    // The records after the line's own, the text still open included.
    [[nodiscard]] std::uint64_t Ditte() const noexcept {
        return ditte_ + (altroTesto_ && separatoriTesto_ >= kCampoCodice ? 1 : 0);
    }
    // Whether one of them carries the code this was made with.
    [[nodiscard]] bool ConCodice() const noexcept { return conCodice_ || CodiceUguale(); }

  private:
    void Chiudi() noexcept {
        if (altroTesto_ && separatoriTesto_ >= kCampoCodice)
            ++ditte_;
        separatoriTesto_ = 0;
    }
    [[nodiscard]] bool CodiceUguale() const noexcept {
        return inCodice_ && !diverso_ && letti_ == codice_.size();
    }
    void ChiudiCodice() noexcept {
        conCodice_ = conCodice_ || CodiceUguale();
        inCodice_ = false;
    }
    std::string_view codice_;
    bool cerca_ = false;
    bool lf_ = false;
    bool altroTesto_ = false;            // the text since the last LF follows the line's code
    std::uint64_t separatori_ = 0;       // of the whole line
    std::uint64_t separatoriTesto_ = 0;  // since the last LF
    std::uint64_t ditte_ = 0;
    bool inCodice_ = false;  // within field 5 of a text after the line's code
    std::uint64_t letti_ = 0;
    bool diverso_ = false;
    bool conCodice_ = false;
};

// A line feed that ends no line, as a Unix editor leaves it.
inline constexpr std::string_view kLfSenzaCr = "LF senza CR";

// "dopo il LF stanno 2 record di ditte": the company records after a lone LF.
[[nodiscard]] std::string RecordDopoLf(std::uint64_t ditte);

// Whether a value can stand in a record: no ';' and no line break, which would split it.
[[nodiscard]] inline bool ValoreMemorizzabile(std::string_view valore) noexcept {
    return valore.find_first_of(";\r\n") == std::string_view::npos;
}

// Account word for a server type ("" for none).
[[nodiscard]] constexpr std::string_view ParolaDaTipo(TipoServer tipo) noexcept {
    const VoceServer* v = ServerDi(tipo);
    return v ? v->parola : std::string_view();
}

// The name of a company's catalog file in the catalog folder: "Dwh<code>.oce".
[[nodiscard]] std::string NomeCatalogo(std::string_view codice);

// The record for a company, without line terminator:
// description;<catalog>\Dwh<code>.oce;word1;word2;word3;code;machine;
// The "\" after the catalog folder is always written, so a folder already ending in "\" gives
// a doubled separator.
[[nodiscard]] std::string ComponiRecord(const DatiDitta& dati, std::string_view catalogo);

}  // namespace velmar
