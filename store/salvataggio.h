// Saving one company: the parameters file is rebuilt through the work file with the company's
// lines replaced (or the record appended), then put in place in the base folder and in every
// area folder that exists. No target is ever deleted: each is replaced in one step by a
// complete, flushed copy, so it always holds either its old or its new content. One save at a
// time runs on a package: each holds the package's lock from its first read to its last copy.
// The upkeep of a package (a removal, a new distribution, a repair) is a change of the same
// kind, with the same guarantees.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_system.h"
#include "store/forma.h"
#include "store/record.h"
#include "store/righe.h"

namespace velmar {

inline constexpr std::string_view kNomeFileLavoro = "BRIO_PARAMS.dep";
inline constexpr std::string_view kNomeCopiaTemporanea = "BRIO_PARAMS.new";
// Empty; locked by the save that runs, never written.
inline constexpr std::string_view kNomeFileBlocco = "BRIO_PARAMS.lck";
// How long a save waits for another one to end before it gives up.
inline constexpr std::chrono::milliseconds kAttesaBlocco = std::chrono::seconds(30);
inline constexpr std::array<std::string_view, 3> kCartelleAree = {"CONTABILITA", "COMMERCIALE",
                                                                  "SCHEDULATORE"};

// What the changes say: the sentences a person reads of them, each written here once; the
// programs compose them with the paths and reasons of an outcome.
inline constexpr std::string_view kMsgSetupTerminato = "Setup terminato";
inline constexpr std::string_view kMsgSalvataggioNonRiuscito = "Salvataggio non riuscito.";
inline constexpr std::string_view kMsgCopieAggiornate = "Copie aggiornate:";
inline constexpr std::string_view kMsgFileAggiornati = "File aggiornati:";
inline constexpr std::string_view kMsgNessunaRiparazione = "Nessuna riparazione necessaria";
inline constexpr std::string_view kMsgSoloCopieAggiornate =
    "BRIO_PARAMS.txt non aveva nulla da riparare; copie aggiornate:";
inline constexpr std::string_view kMsgFileNonEliminato = "File non eliminato";
// Of a change refused: before what a person can do about it.
inline constexpr std::string_view kMsgNonScrittoNulla = "Non \xE8 stato scritto nulla";

// "Deve esistere almeno una di queste cartelle 'CONTABILITA' o 'COMMERCIALE' o
// 'SCHEDULATORE' Setup Interrotto.", with the folders of kCartelleAree.
[[nodiscard]] std::string MessaggioNessunaArea();
// "Ditta '001' eliminata".
[[nodiscard]] std::string MessaggioEliminata(std::string_view codice);

// The catalog folder written in field 1 of the record, in Windows-1252, as read from the
// registry or given as an option. `rappresentabile` is false when it held characters that
// Windows-1252 lacks: `testo` then shows them as '?', for the message only.
struct ValoreCatalogo {
    std::string testo;
    bool rappresentabile = true;

    bool operator==(const ValoreCatalogo&) const = default;
};

// What a repair changed in the base folder's file.
struct Riparazione {
    std::uint64_t fini = 0;  // line ends mended: lone LFs and CRs, an unterminated last line
    bool bom = false;        // the byte order mark removed
    // The text converted to Windows-1252: from UTF-8 (Codifica::Byte) or from UTF-16.
    bool convertito = false;
    Codifica codifica = Codifica::Byte;

    bool operator==(const Riparazione&) const = default;
};

// An area copy kept whole beside itself before a change replaced it, because it held companies
// that neither the old nor the new base file has.
struct CopiaConservata {
    std::string copia;
    std::string conservata;
    std::vector<std::string> codici;  // those companies, in the copy's order

    bool operator==(const CopiaConservata&) const = default;
};

// "Riparato BRIO_PARAMS.txt: 2 fini riga corrette in CR LF; tolto il BOM UTF-8; testo
// convertito da UTF-8 a Windows-1252": what a repair changed.
[[nodiscard]] std::string MessaggioRiparato(const Riparazione& r);

enum class TipoModifica { Salvataggio, Eliminazione, Distribuzione, Riparazione };

// What a change of the package's files did, when it updated the base folder's file (or, for a
// new distribution, at least one copy), or when a repair found nothing to mend.
struct Aggiornamento {
    TipoModifica modifica = TipoModifica::Salvataggio;
    // Of a removal: the code removed.
    std::string codice;
    // Paths replaced with the new content, in order.
    std::vector<std::string> aggiornati;
    // The area copies that kept their old content, and why: the change went through in part.
    std::vector<PercorsoNonAggiornato> nonAggiornati;
    // The work file could not be removed at the end (the change itself went through).
    std::vector<PercorsoNonAggiornato> avvisi;
    // The area copies kept before they were replaced.
    std::vector<CopiaConservata> conservate;
    // Of a repair.
    Riparazione riparazione;
    bool nienteDaRiparare = false;

    [[nodiscard]] bool Completo() const noexcept { return nonAggiornati.empty(); }
};

// A change fails, writing nothing, as NonSalvato (a step that stopped it: its path and reason
// in `percorsi`, told after "Salvataggio non riuscito."), as Occupato (another save held the
// package, told the same way), as NessunaArea (none of the area folders exists:
// MessaggioNessunaArea), or, for a removal, as DittaNonTrovata.
using RisultatoModifica = Risultato<Aggiornamento>;

// The area folders of the package in `cartellaBase` that exist, in the order of kCartelleAree.
[[nodiscard]] std::vector<std::string> AreeEsistenti(FileSystem& fs, std::string_view cartellaBase);

// Copies the lines of `testo` with every line whose field 5 equals `codice` replaced by
// `record`, appending `record` when no line matched; every line written ends with CR LF. The
// save does the same from file to file. Fails (NonSalvato), saying why, when the copy would lose
// or garble a company: when a line to replace holds a lone LF (the text after it, which may hold
// other companies, would be lost), when a record of the code stands hidden after a lone LF in
// another line (it would stay there beside the new one), when the text is UTF-16, or when it
// looks like UTF-8 and `record` holds a character beyond ASCII (the text would mix two
// encodings). `capacita` is the read buffer's size (smaller in tests).
[[nodiscard]] Risultato<std::string> SostituisciInTesto(std::string_view testo,
                                                        std::string_view codice,
                                                        std::string_view record,
                                                        std::size_t capacita = kBufferLettura);

// Saves `dati` into the package in `cartellaBase` (an absolute folder; empty means the folder
// is unavailable), waiting up to `attesa` for a save that holds the package. Writes nothing when
// the catalog folder cannot be stored in a record, when the package stays held, when the
// parameters file cannot be read, when it is missing or holds no company while area copies of it
// hold some, when it is UTF-16, or when the copy with replacement refuses it (see
// SostituisciInTesto; RiparaFile mends such a file). Before an area copy is replaced, one that
// holds companies that neither the old nor the new base file has is kept whole beside it
// (ConservaCopia): the outcome names it; one that cannot be read, or kept, is left as it is.
// Every change below does the same.
// Shows nothing and ends nothing: the caller reports the result.
[[nodiscard]] RisultatoModifica SalvaDitta(FileSystem& fs, const DatiDitta& dati,
                                           const ValoreCatalogo& catalogo,
                                           std::string_view cartellaBase,
                                           std::chrono::milliseconds attesa = kAttesaBlocco);

// Removes every line whose field 5 is exactly `codice` and distributes the file as a save does,
// under the same lock, with the same guarantees and refusals. A code that no line carries writes
// nothing (DittaNonTrovata).
[[nodiscard]] RisultatoModifica EliminaDitta(FileSystem& fs, std::string_view codice,
                                             std::string_view cartellaBase,
                                             std::chrono::milliseconds attesa = kAttesaBlocco);

// Copies the base folder's parameters file, byte for byte, into every area folder that exists,
// with the guarantees of a save (the lock, a flushed copy replacing each file in one step, the
// permissions kept); the base folder's file is not touched. A missing base file copies nothing,
// nor does one without companies while area copies hold some, nor a UTF-16 one.
[[nodiscard]] RisultatoModifica DistribuisciFile(FileSystem& fs, std::string_view cartellaBase,
                                                 std::chrono::milliseconds attesa = kAttesaBlocco);

// Gives the base folder's parameters file the program's own shape (see LetturaForma: CR LF after
// every line, no byte order mark, UTF-8 or UTF-16 text converted to Windows-1252) and distributes
// it as a save does, under the same lock, with the same guarantees and refusals. A file that
// needs no repair is copied into the area folders whose copy differs from it or is missing. Writes
// nothing when the file needs no repair and every copy equals it (nienteDaRiparare), or when its
// text is UTF-16 or looks like UTF-8 but cannot be converted as a whole (NonSalvato).
// `riparazione` tells what changed.
[[nodiscard]] RisultatoModifica RiparaFile(FileSystem& fs, std::string_view cartellaBase,
                                           std::chrono::milliseconds attesa = kAttesaBlocco);

// What a copy kept tells: "aveva le ditte 006, 007, che il file della cartella del pacchetto non
// ha; la copia \xE8 conservata intera in <path>" (the first ten codes, then how many more).
[[nodiscard]] std::string DescrizioneConservata(const CopiaConservata& c);

// The failure of a change on a package whose folder could not be obtained, `causa` saying why
// (the application-folder component's answer).
[[nodiscard]] Errore CartellaNonDisponibile(Errore causa);

}  // namespace velmar
