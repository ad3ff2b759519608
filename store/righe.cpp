// The line reader of the parameters file.
#include "store/righe.h"

#include <cstring>

namespace velmar {

Risultato<std::string> RigaLetta::CampoRiletto(const CampiRiga& campi, std::size_t i) const {
    std::string testo;
    Esito e = Rileggi(campi.Inizio(i), campi.Lunghezza(i),
                      [&](std::string_view pezzo) { testo.append(pezzo); });
    if (!e)
        return std::move(e).Errore();
    return testo;
}

Risultato<bool> RigaLetta::CampoUgualeRiletto(const CampiRiga& campi, std::size_t i,
                                              std::string_view atteso) const {
    bool finora = true;
    Esito e = Rileggi(campi.Inizio(i), atteso.size(), [&](std::string_view pezzo) {
        finora = finora && pezzo == atteso.substr(0, pezzo.size());
        atteso.remove_prefix(pezzo.size());
    });
    if (!e)
        return std::move(e).Errore();
    return finora;
}

LettoreRighe::LettoreRighe(FileLettura& file, std::size_t capacita)
    : file_(file), capacita_(capacita), buffer_(std::make_unique_for_overwrite<char[]>(capacita)) {}

Risultato<FineRiga> LettoreRighe::DopoCr(std::size_t cr) {
    if (cr + 1 < usati_) {
        const FineRiga fine = buffer_[cr + 1] == '\n' ? FineRiga::CrLf : FineRiga::Cr;
        cursore_ = cr + (fine == FineRiga::CrLf ? 2 : 1);
        return fine;
    }
    // The CR is the last byte held: one more tells.
    char dopo = 0;
    Risultato<std::size_t> letti = file_.Leggi(inizioBuffer_ + cr + 1, &dopo, 1);
    if (!letti)
        return std::move(letti).Errore();
    const FineRiga fine = *letti == 1 && dopo == '\n' ? FineRiga::CrLf : FineRiga::Cr;
    cursore_ = cr + 1;
    saltaLF_ = fine == FineRiga::CrLf;
    return fine;
}

Risultato<bool> LettoreRighe::ProssimaLeggendo(RigaLetta& riga) {
    riga.file_ = &file_;
    for (;;) {
        char* const b = buffer_.get();
        if (saltaLF_ && cursore_ < usati_) {
            saltaLF_ = false;
            ++cursore_;
        }
        if (cursore_ < usati_) {
            const void* cr = std::memchr(b + cursore_, '\r', usati_ - cursore_);
            // A CR that is the last byte held is looked past here only when the buffer cannot
            // take more: else reading on tells how the line ends.
            const bool finita = cr != nullptr && (static_cast<const char*>(cr) + 1 < b + usati_ ||
                                                  fineFile_ || cursore_ == 0);
            if (finita || (cr == nullptr && fineFile_)) {
                const std::size_t fine =
                    cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - b)
                                  : usati_;
                riga.intera_ = true;
                riga.inizio_ = inizioBuffer_ + cursore_;
                riga.lunghezza_ = fine - cursore_;
                riga.testo_ = std::string_view(b + cursore_, fine - cursore_);
                if (cr == nullptr) {
                    riga.fine_ = FineRiga::FineFile;
                    cursore_ = usati_;
                    return true;
                }
                Risultato<FineRiga> comeFinisce = DopoCr(fine);
                if (!comeFinisce)
                    return std::move(comeFinisce).Errore();
                riga.fine_ = *comeFinisce;
                return true;
            }
        } else if (fineFile_) {
            return false;
        }
        // Keep the start of the unfinished line, and read on after it.
        if (cursore_ > 0) {
            std::memmove(b, b + cursore_, usati_ - cursore_);
            inizioBuffer_ += cursore_;
            usati_ -= cursore_;
            cursore_ = 0;
        }
        if (usati_ == capacita_)
            return RigaLunga(riga);
        Risultato<std::size_t> letti =
            file_.Leggi(inizioBuffer_ + usati_, b + usati_, capacita_ - usati_);
        if (!letti)
            return std::move(letti).Errore();
        fineFile_ = *letti == 0;
        usati_ += *letti;
    }
}

// The buffer holds the start of a line and no end of it: read on to its end, placing its first
// fields on the way and keeping none of its bytes.
Risultato<bool> LettoreRighe::RigaLunga(RigaLetta& riga) {
    char* const b = buffer_.get();
    TaglioCampi taglio;
    taglio.Aggiungi(std::string_view(b, usati_));
    if (!rilettura_)
        rilettura_ = std::make_unique_for_overwrite<char[]>(capacita_);
    riga.rilettura_ = rilettura_.get();
    riga.capacitaRilettura_ = capacita_;
    riga.intera_ = false;
    riga.testo_ = {};
    riga.inizio_ = inizioBuffer_;
    riga.lunghezza_ = usati_;
    for (;;) {
        const std::uint64_t posizione = riga.inizio_ + riga.lunghezza_;
        Risultato<std::size_t> letti = file_.Leggi(posizione, b, capacita_);
        if (!letti)
            return std::move(letti).Errore();
        inizioBuffer_ = posizione;
        usati_ = *letti;
        cursore_ = 0;
        if (usati_ == 0) {
            fineFile_ = true;
            riga.fine_ = FineRiga::FineFile;
            break;
        }
        const void* cr = std::memchr(b, '\r', usati_);
        const std::size_t fine =
            cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - b) : usati_;
        taglio.Aggiungi(std::string_view(b, fine));
        riga.lunghezza_ += fine;
        if (cr != nullptr) {
            Risultato<FineRiga> comeFinisce = DopoCr(fine);
            if (!comeFinisce)
                return std::move(comeFinisce).Errore();
            riga.fine_ = *comeFinisce;
            break;
        }
    }
    riga.campi_ = taglio.Campi();
    return true;
}

Risultato<std::size_t> LetturaDaTesto::Leggi(std::uint64_t posizione, char* buffer,
                                             std::size_t capacita) {
    if (posizione >= testo_.size())
        return std::size_t{0};
    const std::size_t letti =
        std::min<std::size_t>(capacita, testo_.size() - static_cast<std::size_t>(posizione));
    std::memcpy(buffer, testo_.data() + posizione, letti);
    return letti;
}

}  // namespace velmar
