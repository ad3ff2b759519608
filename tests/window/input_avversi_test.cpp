// Bad inputs through the real window procedure: a code Windows-1252 cannot hold, typed line
// breaks, very long entries, a parameters file of random bytes, a very large one, and targets
// that are read-only, locked or unreadable. Each gets its message or works, and after each every
// parameters file holds what it held before or what the save gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles_win32.h"
#include "store/conferma.h"
#include "store/ditte.h"
#include "tests/window/finestra_fixture.h"

namespace velmar {
namespace {

using test::FinestraTest;
using test::kParametri;
using test::LeggiTesto;
using test::ScriviTesto;

const std::u16string kSetupTerminato = Utf16Da1252(kMsgSetupTerminato);
const std::u16string kNonRiuscito = Utf16Da1252(kMsgSalvataggioNonRiuscito) + u"\r\n";
// The three parameters files of a package opened by Apri() with its default areas.
constexpr const char* kFileParametri[] = {"BRIO_PARAMS.txt", "CONTABILITA\\BRIO_PARAMS.txt",
                                          "SCHEDULATORE\\BRIO_PARAMS.txt"};

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

// --- Typed entries ----------------------------------------------------------------------------

// A code with a character Windows-1252 lacks is in no line of the file: it finds nothing, and
// the store is not even asked.
TEST_F(InputAvversiTest, TypedCodeOutsideWindows1252FindsNothing) {
    Apri();
    DigitaCodice(u"001");
    ASSERT_EQ(Testo("TextDescrizioneDitta"), u"Beta");
    const std::vector<std::string> ricerche = archivio_->ricerche;
    DigitaCodice(u"\u0141");
    EXPECT_EQ(Testo(EditCombo()), u"001\u0141");
    EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
    EXPECT_EQ(archivio_->ricerche, ricerche);
}

// A line break typed on the keyboard never reaches a single-line box.
TEST_F(InputAvversiTest, TypedLineBreaksNeverReachTheBoxes) {
    Apri();
    for (const HWND h : {EditCombo(), C("TextDescrizioneDitta"), C("TextMacchina")}) {
        Digita(h, u"A\rB\nC\r\nD");
        EXPECT_EQ(Testo(h), u"ABCD");
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
    const std::u16string codice = Lunga(u"C0d1c3-", 10'000);
    const std::u16string descrizione = Lunga(u"Ditta \u00E0\u00E8\u20AC & C. ", 10'000);
    const std::u16string macchina = Lunga(u"10.0.0.1 ", 10'000);
    Apri();
    ScriviCodice(codice);
    Imposta("TextDescrizioneDitta", descrizione);
    Imposta("TextMacchina", macchina);
    Clicca("OptionServer(0)");
    ASSERT_EQ(Testo(EditCombo()), codice);
    ASSERT_EQ(Testo("TextDescrizioneDitta"), descrizione);
    ASSERT_EQ(Testo("TextMacchina"), macchina);
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
    const std::string codice1252 = *Cp1252DaUtf16(codice);
    EXPECT_TRUE(StessoTesto(kParametri + *Cp1252DaUtf16(descrizione) + ";C:\\Cat\\Dwh" +
                                codice1252 + ".oce;db2admin;db2admin;db2admin;" + codice1252 + ";" +
                                *Cp1252DaUtf16(macchina) + ";\r\n",
                            Parametri()));

    // The lookup finds the company again, from another company's fields.
    ScriviCodice(u"002");
    ::SendMessageW(C("ComboCodiceDitta"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ScriviCodice(codice);
    EXPECT_EQ(Mostrati(), (Campi{descrizione, macchina, true, false}));
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

TEST_F(InputAvversiTest, GarbageFileListsEachCodeUpToItsFirstNul) {
    const std::string spazzatura = Spazzatura(200'000, 5);
    ScriviTesto(cartella_.Percorso() / "BRIO_PARAMS.txt", spazzatura);
    Apri(nullptr);

    // A text of the list ends at its first NUL.
    const std::vector<std::string> codici = CodiciDaTesto(spazzatura);
    ASSERT_GT(codici.size(), 100u);
    const HWND combo = C("ComboCodiceDitta");
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(codici.size()));
    for (std::size_t i = 0; i < codici.size(); ++i) {
        const std::u16string atteso = Utf16Da1252(codici[i].substr(0, codici[i].find('\0')));
        const LRESULT lunghezza = ::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        ASSERT_NE(lunghezza, CB_ERR) << i;
        std::u16string voce(static_cast<std::size_t>(lunghezza) + 1, u'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(voce.data()));
        voce.resize(static_cast<std::size_t>(lunghezza));
        ASSERT_EQ(voce, atteso) << i;
    }
    Scegli(static_cast<int>(codici.size()) - 1);  // a lookup over the garbage
    EXPECT_TRUE(interfaccia_.messaggi.empty());
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

TEST_F(InputAvversiTest, FiftyMegabyteFileListsEveryCodeFindsTheLastAndReplacesIt) {
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
    EXPECT_TRUE(StessoTesto(atteso, Parametri()));
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
            messaggio.find(u"\r\n" + Utf16Da1252(Percorso(f)) + u": ") != std::u16string::npos;
        EXPECT_EQ(nominato, baseAggiornata ? !aggiornato : f == kFileParametri[0])
            << ::testing::PrintToString(messaggio);
        if (c.rifiutato && f == std::string_view(c.file)) {
            EXPECT_EQ(contenuto, vecchio) << "the obstructed file is as it was";
        }
    }
    if (tuttiNuovi) {
        EXPECT_EQ(messaggio, kSetupTerminato);
        EXPECT_EQ(interfaccia_.terminazioni, 1);
        return;
    }
    EXPECT_EQ(messaggio.rfind(kNonRiuscito, 0), 0u) << ::testing::PrintToString(messaggio);
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

// A parameters file that cannot be read lists no code and finds no company, and a save refuses
// it, naming it, and writes nothing.
TEST_F(InputAvversiTest, UnreadableParametersFileListsNothingAndRefusesTheSave) {
    for (const char* area : {"CONTABILITA", "SCHEDULATORE"})
        cartella_.Crea(area);
    for (const char* f : kFileParametri)
        ScriviTesto(cartella_.Percorso() / f, kParametri);
    const auto prima = Contenuti();
    {
        Ostruzione ostruzione(Percorso("BRIO_PARAMS.txt"), Ostacolo::ApertoEsclusivo);
        Apri(nullptr);
        EXPECT_EQ(::SendMessageW(C("ComboCodiceDitta"), CB_GETCOUNT, 0, 0), 0);
        Imposta("TextDescrizioneDitta", u"x");
        ScriviCodice(u"001");
        EXPECT_EQ(Mostrati(), (Campi{u"", u"", false, false}));
        Imposta("TextDescrizioneDitta", u"Beta");
        Imposta("TextMacchina", u"10.9.9.9");
        Clicca("OptionServer(0)");
        Clicca("PictureOk");
        ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
        const std::u16string& m = interfaccia_.messaggi[0];
        EXPECT_EQ(m.rfind(kNonRiuscito + Utf16Da1252(Percorso("BRIO_PARAMS.txt")) + u": ", 0), 0u)
            << ::testing::PrintToString(m);
        EXPECT_EQ(interfaccia_.terminazioni, 0);
    }
    EXPECT_EQ(Contenuti(), prima);
}

}  // namespace
}  // namespace velmar
