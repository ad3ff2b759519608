// Bad inputs through the real window procedure: entries the file cannot hold, very long entries,
// a parameters file of random bytes, a very large one, and targets that are read-only, locked or
// unreadable. Each gets its message or works, and after each every parameters file holds either
// what it held before or that with exactly the company's line replaced or appended.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles_win32.h"
#include "tests/window/finestra_fixture.h"

namespace velmar {
namespace {

using test::FinestraTest;
using test::kParametri;
using test::LeggiTesto;
using test::ScriviTesto;
using test::U;

constexpr char16_t kSetupTerminato[] = u"Setup terminato";
constexpr char16_t kNonRiuscito[] = u"Salvataggio non riuscito.\r\n";
// The three parameters files of a package opened by Apri() with its default areas.
constexpr const char* kFileParametri[] = {"BRIO_PARAMS.txt", "CONTABILITA\\BRIO_PARAMS.txt",
                                          "SCHEDULATORE\\BRIO_PARAMS.txt"};

// The lines of a parameters file, each cut where CR LF or a lone CR ends it.
std::vector<std::string_view> Righe(std::string_view testo) {
    std::vector<std::string_view> righe;
    std::size_t inizio = 0;
    for (std::size_t i = 0; i < testo.size(); ++i) {
        if (testo[i] != '\r')
            continue;
        righe.push_back(testo.substr(inizio, i - inizio));
        if (i + 1 < testo.size() && testo[i + 1] == '\n')
            ++i;
        inizio = i + 1;
    }
    if (inizio < testo.size())
        righe.push_back(testo.substr(inizio));
    return righe;
}

// Field 5 of a line with at least six fields, or nothing.
std::optional<std::string_view> CodiceDi(std::string_view riga) {
    std::size_t da = 0;
    for (int separatori = 0; separatori < 5; ++separatori) {
        da = riga.find(';', da);
        if (da == std::string_view::npos)
            return std::nullopt;
        ++da;
    }
    return riga.substr(da, riga.find(';', da) - da);
}

// What a save writes: every line of `testo` with CR LF, those of `codice` replaced by `record`,
// which is appended when none is.
std::string ConRecord(std::string_view testo, std::string_view codice, std::string_view record) {
    std::string atteso;
    bool trovato = false;
    for (std::string_view riga : Righe(testo)) {
        const bool sua = CodiceDi(riga) == codice;
        trovato = trovato || sua;
        atteso.append(sua ? record : riga).append("\r\n");
    }
    if (!trovato)
        atteso.append(record).append("\r\n");
    return atteso;
}

std::string Esadecimale(char c) {
    char testo[8];
    std::snprintf(testo, sizeof(testo), "\\x%02X", static_cast<unsigned char>(c));
    return testo;
}

// Byte-for-byte comparison that names the first differing line instead of printing megabytes.
::testing::AssertionResult StessoTesto(std::string_view atteso, std::string_view letto) {
    if (atteso == letto)
        return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < atteso.size() && i < letto.size() && atteso[i] == letto[i])
        ++i;
    const std::size_t riga =
        static_cast<std::size_t>(
            std::count(atteso.begin(), atteso.begin() + static_cast<std::ptrdiff_t>(i), '\n')) +
        1;
    auto intorno = [&](std::string_view t) {
        const std::size_t da = i < 40 ? 0 : i - 40;
        std::string s;
        for (char c : t.substr(da, 80))
            s += (c >= ' ' && c < 0x7F) ? std::string(1, c) : Esadecimale(c);
        return s;
    };
    return ::testing::AssertionFailure()
           << "sizes " << atteso.size() << " and " << letto.size() << ", first difference at byte "
           << i << " (line " << riga << ")\n  expected: ..." << intorno(atteso)
           << "\n  read:     ..." << intorno(letto);
}

std::string Narrow(std::u16string_view t) {
    std::string s;
    for (char16_t c : t)
        s += c < 0x20 ? Esadecimale(static_cast<char>(c))
                      : std::string(1, c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

class InputAvversiTest : public FinestraTest {
  protected:
    // Every file in the package folder and below it, by relative path, with its bytes.
    std::map<std::string, std::string> Contenuti() const {
        std::map<std::string, std::string> file;
        for (const auto& voce :
             std::filesystem::recursive_directory_iterator(cartella_.Percorso())) {
            const std::string nome =
                std::filesystem::relative(voce.path(), cartella_.Percorso()).string();
            // The lock file stays, and stays empty.
            if (voce.is_regular_file() && !(nome == "BRIO_PARAMS.lck" && voce.file_size() == 0)) {
                file[nome] = LeggiTesto(voce.path());
            }
        }
        return file;
    }
    // The package's three parameters files all hold `atteso`, and no other file is left.
    void VerificaOvunque(const std::string& atteso) const {
        const auto letti = Contenuti();
        for (const char* f : kFileParametri) {
            const auto it = letti.find(f);
            ASSERT_TRUE(it != letti.end()) << f;
            EXPECT_TRUE(StessoTesto(atteso, it->second)) << f;
        }
        EXPECT_EQ(letti.size(), std::size(kFileParametri)) << "no work or temporary file left";
    }
    std::string Percorso(std::string_view relativo) const {
        return cartella_.Testo() + "\\" + std::string(relativo);
    }
    // Sets the code as a whole and types its last character, so that one lookup runs for it.
    void ScriviCodice(std::u16string_view codice) {
        const std::u16string testa(codice.substr(0, codice.size() - 1));
        ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(testa.c_str()));
        ::SendMessageW(EditCombo(), EM_SETSEL, testa.size(), static_cast<LPARAM>(testa.size()));
        DigitaCodice(codice.substr(codice.size() - 1));
    }
};

// --- Entries the file cannot hold -------------------------------------------------------------

TEST_F(InputAvversiTest, SeparatorLineBreakOrCharacterOutsideWindows1252IsRefusedByName) {
    struct Campo {
        const char* controllo;
        const char16_t* messaggio;
    };
    const Campo campi[] = {
        {"ComboCodiceDitta", u"Il campo Codice Ditta contiene caratteri non ammessi"},
        {"TextDescrizioneDitta", u"Il campo Descrizione Ditta contiene caratteri non ammessi"},
        {"TextMacchina", u"Il campo IP Macchina Unix contiene caratteri non ammessi"},
    };
    const char16_t* cattivi[] = {u";",      u"\r",     u"\n",         u"\r\n",
                                 u"\u0141", u"\u4E2D", u"\U0001F600", u"\u0081x\u0100"};
    Apri();
    const auto prima = Contenuti();
    for (const Campo& campo : campi) {
        for (const char16_t* cattivo : cattivi) {
            std::u16string voce = u"A";
            voce.append(cattivo).append(u"B");
            SCOPED_TRACE(campo.controllo + (" \"" + Narrow(voce) + "\""));
            interfaccia_.messaggi.clear();
            Compila({u"001", u"Beta", "OptionServer(0)", u"10.0.0.1"});
            Imposta(campo.controllo, voce);
            ASSERT_EQ(Testo(campo.controllo), voce) << "the control holds the whole entry";
            Clicca("PictureOk");
            EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{campo.messaggio});
        }
    }
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(archivio_->salvataggi, 0);
    EXPECT_EQ(Contenuti(), prima);
}

TEST_F(InputAvversiTest, TypedCodeOutsideWindows1252FindsNothingAndIsRefused) {
    Apri();
    const auto prima = Contenuti();
    for (const char16_t* codice : {u"0\u01411", u"\u4E2D", u"\U0001F600"}) {
        SCOPED_TRACE(Narrow(codice));
        interfaccia_.messaggi.clear();
        Compila({codice, u"Beta", "OptionServer(0)", u"10.0.0.1"});
        EXPECT_EQ(Testo(EditCombo()), codice);
        Clicca("PictureOk");
        EXPECT_EQ(
            interfaccia_.messaggi,
            std::vector<std::u16string>{u"Il campo Codice Ditta contiene caratteri non ammessi"});
    }
    EXPECT_EQ(interfaccia_.terminazioni, 0);
    EXPECT_EQ(Contenuti(), prima);
}

// A line break typed on the keyboard never reaches a single-line box (one set as text does, and
// is refused above): the entry saves as the box shows it.
TEST_F(InputAvversiTest, TypedLineBreaksNeverReachTheBoxesAndTheEntrySavesAsShown) {
    Apri();
    std::string atteso = kParametri;
    for (std::string_view campo : {"ComboCodiceDitta", "TextDescrizioneDitta", "TextMacchina"}) {
        for (const char16_t* interruzione : {u"\r", u"\n", u"\r\n"}) {
            SCOPED_TRACE(std::string(campo).append(Narrow(interruzione)));
            interfaccia_.messaggi.clear();
            interfaccia_.terminazioni = 0;
            // The code first: each typed character looks it up and fills the other entries.
            const bool nelCodice = campo == "ComboCodiceDitta";
            Compila({nelCodice ? u"" : u"9", u"Nuova", "OptionServer(0)", u"10.0.0.7"});
            const HWND h = nelCodice ? EditCombo() : C(campo);
            ::SendMessageW(h, EM_SETSEL, 0, -1);
            Digita(h, u"A");
            Digita(h, interruzione);
            Digita(h, u"B");
            if (nelCodice) {
                Imposta("TextDescrizioneDitta", u"Nuova");
                Imposta("TextMacchina", u"10.0.0.7");
                Clicca("OptionServer(0)");
            }
            ASSERT_EQ(Testo(h), u"AB") << "a single-line box drops a typed line break";
            Clicca("PictureOk");
            EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
            EXPECT_EQ(interfaccia_.terminazioni, 1);
            const std::string codice = nelCodice ? "AB" : "9";
            atteso =
                ConRecord(atteso, codice,
                          std::string(campo == "TextDescrizioneDitta" ? "AB" : "Nuova") +
                              ";C:\\Cat\\Dwh" + codice + ".oce;db2admin;db2admin;db2admin;" +
                              codice + ";" + (campo == "TextMacchina" ? "AB" : "10.0.0.7") + ";");
            VerificaOvunque(atteso);
        }
    }
}

// --- Very long entries ------------------------------------------------------------------------

std::u16string Lunga(std::u16string_view motivo, std::size_t lunghezza) {
    std::u16string t;
    while (t.size() < lunghezza)
        t.append(motivo);
    t.resize(lunghezza);
    return t;
}

TEST_F(InputAvversiTest, TenThousandCharacterEntriesAreSavedWholeAndFoundAgain) {
    struct Caso {
        std::u16string codice;
        std::u16string descrizione;
        std::u16string macchina;
        bool nuovo;  // no line holds the code: the record is appended
    };
    const Caso casi[] = {
        {Lunga(u"C0d1c3-", 10'000), Lunga(u"Ditta \u00E0\u00E8\u20AC & C. ", 10'000),
         Lunga(u"10.0.0.1 ", 10'000), true},
        {u"001", Lunga(u"Beta lunga ", 10'000), Lunga(u"host.esempio.it ", 10'000), false},
    };
    Apri();
    std::string atteso = kParametri;
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.codice.size());
        interfaccia_.messaggi.clear();
        ScriviCodice(c.codice);
        Imposta("TextDescrizioneDitta", c.descrizione);
        Imposta("TextMacchina", c.macchina);
        Clicca("OptionServer(0)");
        ASSERT_EQ(Testo(EditCombo()), c.codice);
        ASSERT_EQ(Testo("TextDescrizioneDitta"), c.descrizione);
        ASSERT_EQ(Testo("TextMacchina"), c.macchina);
        Clicca("PictureOk");
        EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});

        const std::string codice = *Cp1252DaUtf16(c.codice);
        const std::string record = *Cp1252DaUtf16(c.descrizione) + ";C:\\Cat\\Dwh" + codice +
                                   ".oce;db2admin;db2admin;db2admin;" + codice + ";" +
                                   *Cp1252DaUtf16(c.macchina) + ";";
        if (c.nuovo) {
            atteso = ConRecord(atteso, codice, record);
        } else {
            const std::string vecchia =
                "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;";
            ASSERT_NE(atteso.find(vecchia), std::string::npos);
            atteso.replace(atteso.find(vecchia), vecchia.size(), record);
        }
        VerificaOvunque(atteso);

        // The lookup finds the company again, from any other company's fields.
        ScriviCodice(u"002");
        ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ScriviCodice(c.codice);
        EXPECT_EQ(Mostrati(), (Campi{c.descrizione, c.macchina, true, false}));
    }
    EXPECT_EQ(interfaccia_.terminazioni, 2);
}

// --- A parameters file of random bytes --------------------------------------------------------

// Bytes of every value, with NUL, CR, LF and ';' frequent enough to make lines and records.
std::string Spazzatura(std::size_t dimensione, std::uint32_t seme) {
    std::mt19937 caso(seme);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> scelta(0, 99);
    const char frequenti[] = {'\0', '\r', '\n', ';'};
    std::string t;
    t.reserve(dimensione);
    while (t.size() < dimensione) {
        const int s = scelta(caso);
        if (s < 4) {
            t += '\r';
        } else if (s < 16) {
            t += frequenti[s % 4];
            if (s % 4 == 3)
                t += ';';
        } else {
            t += static_cast<char>(byte(caso));
        }
    }
    return t;
}

// Field 5 of every line with at least six fields, in order.
std::vector<std::string> Codici(std::string_view testo) {
    std::vector<std::string> codici;
    for (std::string_view riga : Righe(testo)) {
        if (const auto codice = CodiceDi(riga))
            codici.emplace_back(*codice);
    }
    return codici;
}

TEST_F(InputAvversiTest, GarbageFileOpensWithItsCodesAndASaveKeepsEveryLine) {
    const std::string spazzatura = Spazzatura(200'000, 5);
    ASSERT_EQ(spazzatura.find("NUOVA"), std::string::npos);
    ScriviTesto(cartella_.Percorso() / "BRIO_PARAMS.txt", spazzatura);
    Apri(nullptr);

    // The list holds each code as far as a text of the list can: up to its first NUL.
    const std::vector<std::string> codici = Codici(spazzatura);
    ASSERT_GT(codici.size(), 100u);
    const HWND combo = C("ComboCodiceDitta");
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(codici.size()));
    for (std::size_t i = 0; i < codici.size(); ++i) {
        const std::u16string atteso = U(codici[i].substr(0, codici[i].find('\0')));
        const LRESULT lunghezza = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        ASSERT_NE(lunghezza, CB_ERR) << i;
        std::u16string voce(static_cast<std::size_t>(lunghezza) + 1, u'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(voce.data()));
        voce.resize(static_cast<std::size_t>(lunghezza));
        ASSERT_EQ(voce, atteso) << i;
    }
    Scegli(static_cast<int>(codici.size()) - 1);  // a lookup over the garbage: no crash

    Compila({u"NUOVA", u"Nuova ditta", "OptionServer(1)", u"10.0.0.99"});
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
    VerificaOvunque(
        ConRecord(spazzatura, "NUOVA",
                  "Nuova ditta;C:\\Cat\\DwhNUOVA.oce;db2inst1;db2inst1;db2inst1;NUOVA;10.0.0.99;"));
}

// --- A 50 MB parameters file ------------------------------------------------------------------

constexpr int kRigheGrandi = 400'000;

std::string Record(int n) {
    char riga[200];
    const char* parola = n % 3 == 0 ? "db2admin" : "db2inst1";
    std::snprintf(riga, sizeof(riga),
                  "Ditta %06d S.r.l. Via Roma %d;C:\\Program Files\\Brio\\Catalogo\\Dwh%06d.oce;"
                  "%s;%s;%s;%06d;192.168.%d.%d;",
                  n, n % 200, n, parola, parola, parola, n, n / 250 % 250, n % 250);
    return riga;
}

TEST_F(InputAvversiTest, FiftyMegabyteFileListsEveryCodeFindsTheLastAndReplacesOneLine) {
    std::string grande;
    grande.reserve(55u << 20);
    for (int n = 1; n <= kRigheGrandi; ++n)
        grande.append(Record(n)).append("\r\n");
    ASSERT_GE(grande.size(), 50'000'000u);
    ScriviTesto(cartella_.Percorso() / "BRIO_PARAMS.txt", grande);
    Apri(nullptr);

    const HWND combo = C("ComboCodiceDitta");
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), kRigheGrandi);
    for (const auto& [indice, codice] : {std::pair{0, u"000001"}, {kRigheGrandi - 1, u"400000"}}) {
        wchar_t voce[16] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, indice, reinterpret_cast<LPARAM>(voce));
        EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(voce)), codice);
    }

    ScriviCodice(u"400000");
    EXPECT_EQ(Mostrati(),
              (Campi{u"Ditta 400000 S.r.l. Via Roma 0", u"192.168.100.0", false, true}));

    Imposta("TextMacchina", u"10.20.30.40");
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
    std::string atteso = std::move(grande);
    const std::string ultima = Record(kRigheGrandi) + "\r\n";
    ASSERT_EQ(atteso.compare(atteso.size() - ultima.size(), ultima.size(), ultima), 0);
    atteso.replace(atteso.size() - ultima.size(), ultima.size(),
                   "Ditta 400000 S.r.l. Via Roma 0;C:\\Cat\\Dwh400000.oce;db2inst1;db2inst1;"
                   "db2inst1;400000;10.20.30.40;\r\n");
    VerificaOvunque(atteso);
}

// --- Targets that cannot be replaced or read --------------------------------------------------

enum class Ostacolo { SolaLettura, ApertoInLettura, ApertoEsclusivo };

// Keeps a file read-only or open for as long as it lives, or until Togli().
class Ostruzione {
  public:
    Ostruzione(const std::string& percorso, Ostacolo ostacolo)
        : percorso_(percorso.begin(), percorso.end()) {
        if (ostacolo == Ostacolo::SolaLettura) {
            EXPECT_TRUE(::SetFileAttributesW(percorso_.c_str(), FILE_ATTRIBUTE_READONLY));
            return;
        }
        aperto_.reset(::CreateFileW(percorso_.c_str(), GENERIC_READ,
                                    ostacolo == Ostacolo::ApertoInLettura ? FILE_SHARE_READ : 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(aperto_) << ::GetLastError();
    }
    Ostruzione(const Ostruzione&) = delete;
    Ostruzione& operator=(const Ostruzione&) = delete;
    ~Ostruzione() { Togli(); }
    void Togli() {
        aperto_.reset();
        const DWORD a = ::GetFileAttributesW(percorso_.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesW(percorso_.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
    }

  private:
    std::wstring percorso_;
    unique_hfile aperto_;
};

struct CasoOstacolo {
    const char* nome;
    const char* file;
    Ostacolo ostacolo;
    // The file must be left as it was; else it may be replaced, as long as the message says
    // which files were not updated.
    bool rifiutato;
};

void PrintTo(const CasoOstacolo& c, std::ostream* os) {
    *os << c.nome;
}

class BersaglioOstruitoTest : public InputAvversiTest,
                              public ::testing::WithParamInterface<CasoOstacolo> {};

TEST_P(BersaglioOstruitoTest, IsNamedEveryFileIsOldOrNewAndTheWindowStaysForARetry) {
    const CasoOstacolo& c = GetParam();
    const std::string vecchio = kParametri;
    std::string nuovo = vecchio;
    const std::string riga = "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.0.0.1;";
    nuovo.replace(nuovo.find(riga), riga.size(),
                  "Beta;C:\\Cat\\Dwh001.oce;db2inst1;db2inst1;db2inst1;001;10.9.9.9;");
    Apri();
    for (const char* f : kFileParametri)
        ScriviTesto(cartella_.Percorso() / f, vecchio);

    Ostruzione ostruzione(Percorso(c.file), c.ostacolo);
    Compila({u"001", u"Beta", "OptionServer(1)", u"10.9.9.9"});
    Clicca("PictureOk");
    ostruzione.Togli();

    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    const std::u16string messaggio = interfaccia_.messaggi[0];
    const auto letti = Contenuti();
    EXPECT_EQ(letti.size(), std::size(kFileParametri)) << "no work or temporary file left";
    const bool baseAggiornata = letti.at(kFileParametri[0]) == nuovo;
    bool tuttiNuovi = true;
    for (const char* f : kFileParametri) {
        SCOPED_TRACE(f);
        const std::string& contenuto = letti.at(f);
        const bool aggiornato = contenuto == nuovo;
        EXPECT_TRUE(aggiornato || contenuto == vecchio) << "complete old or complete new";
        EXPECT_TRUE(baseAggiornata || !aggiornato) << "the areas never get ahead of the base";
        tuttiNuovi = tuttiNuovi && aggiornato;
        // The message names, each with its reason, the base when nothing was updated, else
        // exactly the areas left as they were.
        const bool nominato =
            messaggio.find(u"\r\n" + U(Percorso(f)) + u": ") != std::u16string::npos;
        EXPECT_EQ(nominato, baseAggiornata ? !aggiornato : f == kFileParametri[0])
            << Narrow(messaggio);
        if (c.rifiutato && f == std::string_view(c.file)) {
            EXPECT_EQ(contenuto, vecchio) << "the obstructed file is as it was";
        }
    }
    if (tuttiNuovi) {
        EXPECT_EQ(messaggio, kSetupTerminato);
        EXPECT_EQ(interfaccia_.terminazioni, 1);
        return;
    }
    EXPECT_EQ(messaggio.rfind(kNonRiuscito, 0), 0u) << Narrow(messaggio);
    EXPECT_EQ(interfaccia_.terminazioni, 0) << "the window stays open";

    // Once the file is free again, the same entries save everywhere.
    interfaccia_.messaggi.clear();
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
    EXPECT_EQ(interfaccia_.terminazioni, 1);
    VerificaOvunque(nuovo);
}

INSTANTIATE_TEST_SUITE_P(
    Ostacoli, BersaglioOstruitoTest,
    ::testing::Values(
        CasoOstacolo{"AreaReadOnly", kFileParametri[1], Ostacolo::SolaLettura, true},
        CasoOstacolo{"AreaOpenSharingRead", kFileParametri[1], Ostacolo::ApertoInLettura, true},
        CasoOstacolo{"AreaOpenExclusive", kFileParametri[1], Ostacolo::ApertoEsclusivo, true},
        CasoOstacolo{"BaseReadOnly", kFileParametri[0], Ostacolo::SolaLettura, true},
        CasoOstacolo{"BaseOpenSharingRead", kFileParametri[0], Ostacolo::ApertoInLettura, true}),
    [](const ::testing::TestParamInfo<CasoOstacolo>& info) {
        return std::string(info.param.nome);
    });

TEST_F(InputAvversiTest, UnreadableParametersFileRefusesTheSaveAndWritesNothing) {
    Apri();
    for (const char* f : kFileParametri)
        ScriviTesto(cartella_.Percorso() / f, kParametri);
    const auto prima = Contenuti();
    {
        Ostruzione ostruzione(Percorso("BRIO_PARAMS.txt"), Ostacolo::ApertoEsclusivo);
        Imposta("TextDescrizioneDitta", u"x");
        ScriviCodice(u"001");
        EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}))
            << "a file it cannot read: no company";
        Imposta("TextDescrizioneDitta", u"Beta");
        Imposta("TextMacchina", u"10.9.9.9");
        Clicca("OptionServer(0)");
        Clicca("PictureOk");
        ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
        const std::u16string& m = interfaccia_.messaggi[0];
        EXPECT_EQ(m.rfind(kNonRiuscito + U(Percorso("BRIO_PARAMS.txt")) + u": ", 0), 0u)
            << Narrow(m);
        EXPECT_EQ(interfaccia_.terminazioni, 0);
    }
    EXPECT_EQ(Contenuti(), prima);
}

}  // namespace
}  // namespace velmar
