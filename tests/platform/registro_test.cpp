// The registry reader against Wine's real registry: every value is written by the test under a
// key of its own.
#include "platform/registro_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/registro_prova_win32.h"
#include "tests/support/valore.h"

namespace velmar {
namespace {

using namespace std::string_literals;

// What a read gives: a text, no text (a type it does not read), or a failure.
enum class Atteso { Testo, NessunTesto, Fallito };

struct Caso {
    const char* nome;
    DWORD tipo;
    std::string dati;  // the bytes stored
    Atteso atteso;
    std::string valore = {};  // the text that comes out
};

void Verifica(const test::ChiaveProvvisoria& chiave, const Caso& c) {
    SCOPED_TRACE(c.nome);
    ASSERT_EQ(chiave.Scrivi(c.nome, c.tipo, c.dati), ERROR_SUCCESS);
    const Risultato<std::optional<std::string>> r =
        LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), c.nome);
    ASSERT_EQ(static_cast<bool>(r), c.atteso != Atteso::Fallito);
    if (r) {
        EXPECT_EQ(*r, c.atteso == Atteso::Testo ? std::optional(c.valore) : std::nullopt);
    }
}

TEST(LeggiValoreRegistro, DropsTheFinalZeroOnlyWhenItIsTheLastByte) {
    test::ChiaveProvvisoria chiave;
    const Caso casi[] = {
        {"vuoto", REG_SZ, "\0"s, Atteso::Testo, ""},
        {"un carattere", REG_SZ, "D\0"s, Atteso::Testo, "D"},
        {"con zero", REG_SZ, "C:\\Cat\0"s, Atteso::Testo, "C:\\Cat"},
        {"senza zero", REG_SZ, "C:\\Cat", Atteso::Testo, "C:\\Cat"},
        {"zero interno", REG_SZ, "C:\\A\0B\0"s, Atteso::Testo, "C:\\A\0B"s},
        {"due zeri", REG_SZ, "C:\\Cat\0\0"s, Atteso::Testo, "C:\\Cat\0"s},
        {"barra finale", REG_SZ, "D:\\OCE\\\0"s, Atteso::Testo, "D:\\OCE\\"},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, ReadsUpTo1024BytesAndRejectsLongerValues) {
    test::ChiaveProvvisoria chiave;
    const std::string x1023(1023, 'x');
    const std::string x1024(1024, 'x');
    const Caso casi[] = {
        {"1024 con zero", REG_SZ, x1023 + '\0', Atteso::Testo, x1023},
        {"1024 senza zero", REG_SZ, x1024, Atteso::Testo, x1024},
        {"1025 con zero", REG_SZ, x1024 + '\0', Atteso::Fallito},
        {"1025 senza zero", REG_SZ, x1024 + 'x', Atteso::Fallito},
        {"molto lungo", REG_SZ, std::string(5000, 'y') + '\0', Atteso::Fallito},
        {"1025 di altro tipo", REG_BINARY, x1024 + 'x', Atteso::Fallito},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, GivesDwordsInDecimalAndNoTextForOtherTypes) {
    test::ChiaveProvvisoria chiave;
    const Caso casi[] = {
        {"dword zero", REG_DWORD, "\0\0\0\0"s, Atteso::Testo, "0"},
        {"dword 4096", REG_DWORD, "\x00\x10\x00\x00"s, Atteso::Testo, "4096"},
        {"dword ultimo byte", REG_DWORD, "\x01\x00\x00\x80"s, Atteso::Testo, "2147483649"},
        {"dword massimo", REG_DWORD, "\xFF\xFF\xFF\xFF"s, Atteso::Testo, "4294967295"},
        {"expand", REG_EXPAND_SZ, "%TEMP%\\Cat\0"s, Atteso::NessunTesto},
        {"binario", REG_BINARY, "\x01\x02"s, Atteso::NessunTesto},
        {"multi", REG_MULTI_SZ, "a\0b\0\0"s, Atteso::NessunTesto},
        {"qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"s, Atteso::NessunTesto},
        // A value of no data at all has no last byte to look at.
        {"sz senza dati", REG_SZ, "", Atteso::Fallito},
        {"binario senza dati", REG_BINARY, "", Atteso::Fallito},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, FailsAsMissingWhenTheKeyOrTheValueIsMissing) {
    test::ChiaveProvvisoria chiave;
    ASSERT_EQ(chiave.Scrivi("presente", REG_SZ, "C:\\Cat\0"s), ERROR_SUCCESS);
    const auto assente = [](const Risultato<std::optional<std::string>>& r) {
        return !r && r.Errore().tipo == TipoErrore::Assente;
    };
    EXPECT_TRUE(assente(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "assente")));
    EXPECT_TRUE(assente(
        LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso() + "\\Inesistente", "presente")));
    // The same name under another root is another value.
    EXPECT_TRUE(assente(LeggiValoreRegistro(HKEY_LOCAL_MACHINE, chiave.Percorso(), "presente")));
}

TEST(LeggiValoreRegistro, ReadsTheDefaultValueOfAKeyByTheEmptyName) {
    test::ChiaveProvvisoria chiave;
    ASSERT_EQ(chiave.Scrivi("", REG_SZ, "C:\\Predefinito\0"s), ERROR_SUCCESS);
    EXPECT_EQ(test::Valore(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "")),
              "C:\\Predefinito");
}

TEST(LeggiValoreRegistro, KeepsBytesAbove127AsWindows1252Text) {
    if (::GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
    test::ChiaveProvvisoria chiave;
    // Written through the wide functions: the reader must give the ANSI bytes back.
    ASSERT_EQ(
        test::ScriviTestoWide(HKEY_CURRENT_USER,
                              std::wstring(chiave.Percorso().begin(), chiave.Percorso().end()),
                              L"accenti", L"C:\\Societ\u00E0 \u20AC"),
        ERROR_SUCCESS);
    EXPECT_EQ(test::Valore(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "accenti")),
              "C:\\Societ\xE0 \x80");
}

}  // namespace
}  // namespace velmar
