// Bad inputs through the real window procedure: a code Windows-1252 cannot hold, typed line
// breaks, very long entries, a parameters file of random bytes, a very large one, an area copy
// that cannot be replaced and a parameters file that cannot be read. Each gets its message or
// works.
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
#include "store/record.h"
#include "store/salvataggio.h"
#include "store/ditte.h"
#include "tests/support/valore.h"
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
    // The entries reach the store whole; the record they make is the store's.
    const DatiDitta& stato = form_->Stato();
    EXPECT_EQ(stato.CodiceDitta, *Cp1252DaUtf16(codice));
    EXPECT_EQ(stato.DescrizioneDitta, *Cp1252DaUtf16(descrizione));
    EXPECT_EQ(stato.Macchina, *Cp1252DaUtf16(macchina));
    EXPECT_TRUE(StessoTesto(kParametri + ComponiRecord(stato, "C:\\Cat") + "\r\n", Parametri()));

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
    const DatiDitta& stato = form_->Stato();
    EXPECT_EQ(stato.CodiceDitta, "400000");
    EXPECT_EQ(stato.DescrizioneDitta, "Ditta 400000 S.r.l. Via Roma 0");
    EXPECT_EQ(stato.Macchina, "10.20.30.40");
    EXPECT_EQ(stato.ParametroServer1, kParolaLinux);
    atteso.replace(atteso.size() - ultima.size(), ultima.size(),
                   ComponiRecord(stato, "C:\\Cat") + "\r\n");
    EXPECT_TRUE(StessoTesto(atteso, Parametri()));
}

// --- Targets that cannot be replaced or read --------------------------------------------------

// Keeps a file open, unshared, for as long as it lives.
class Ostruzione {
  public:
    explicit Ostruzione(const std::string& percorso)
        : aperto_(::CreateFileW(std::wstring(percorso.begin(), percorso.end()).c_str(),
                                GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr)) {
        EXPECT_TRUE(aperto_) << ::GetLastError();
    }

  private:
    unique_hfile aperto_;
};

// An area copy that cannot be replaced (which copies a save updates and how is the store's, see
// its tests on the Windows file system): the window names it with its reason, stays open, and the
// same entries save everywhere once the copy is free again.
TEST_F(InputAvversiTest, AnAreaCopyNotUpdatedIsNamedAndTheWindowStaysForARetry) {
    Apri();
    for (const char* f : kFileParametri)
        ScriviTesto(cartella_.Percorso() / f, kParametri);
    const std::string area = Percorso(kFileParametri[1]);
    ASSERT_TRUE(::SetFileAttributesW(std::wstring(area.begin(), area.end()).c_str(),
                                     FILE_ATTRIBUTE_READONLY));
    Compila({u"001", u"Beta", "OptionServer(1)", u"10.9.9.9"});
    Clicca("PictureOk");
    ::SetFileAttributesW(std::wstring(area.begin(), area.end()).c_str(), FILE_ATTRIBUTE_NORMAL);

    ASSERT_EQ(interfaccia_.messaggi.size(), 1u);
    const std::u16string& messaggio = interfaccia_.messaggi[0];
    EXPECT_EQ(messaggio.rfind(kNonRiuscito, 0), 0u) << ::testing::PrintToString(messaggio);
    EXPECT_NE(messaggio.find(u"\r\n" + Utf16Da1252(area) + u": "), std::u16string::npos)
        << ::testing::PrintToString(messaggio);
    EXPECT_EQ(interfaccia_.terminazioni, 0) << "the window stays open";

    interfaccia_.messaggi.clear();
    Clicca("PictureOk");
    EXPECT_EQ(interfaccia_.messaggi, std::vector<std::u16string>{kSetupTerminato});
    EXPECT_EQ(interfaccia_.terminazioni, 1);
    VerificaOvunque(test::Valore(
        SostituisciInTesto(kParametri, "001", ComponiRecord(form_->Stato(), "C:\\Cat"))));
}

// A parameters file that cannot be read lists no code and finds no company, and a save refuses
// it, naming it, and writes nothing.
TEST_F(InputAvversiTest, UnreadableParametersFileListsNothingAndRefusesTheSave) {
    for (const char* area : {"CONTABILITA", "SCHEDULATORE"})
        cartella_.Crea(area);
    for (const char* f : kFileParametri)
        ScriviTesto(cartella_.Percorso() / f, kParametri);
    const auto prima = Contenuti();
    {
        Ostruzione ostruzione(Percorso("BRIO_PARAMS.txt"));
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
