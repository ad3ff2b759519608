// The registry reader against Wine's real registry: every value is written by the test under a
// key of its own.
#include "platform/registro_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/registro_prova_win32.h"

namespace velmar {
namespace {

using namespace std::string_literals;

// What the caller passes in, to tell "left as passed" from "emptied".
const std::string kPassato = "prima";

struct Caso {
    const char* nome;
    DWORD tipo;
    std::string dati;  // the bytes stored
    bool riuscito;
    std::string valore;  // what comes out
};

void Verifica(const test::ChiaveProvvisoria& chiave, const Caso& c) {
    SCOPED_TRACE(c.nome);
    ASSERT_EQ(chiave.Scrivi(c.nome, c.tipo, c.dati), ERROR_SUCCESS);
    std::string valore = kPassato;
    EXPECT_EQ(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), c.nome, valore),
              c.riuscito);
    EXPECT_EQ(valore, c.valore);
}

TEST(LeggiValoreRegistro, DropsTheFinalZeroOnlyWhenItIsTheLastByte) {
    test::ChiaveProvvisoria chiave;
    const Caso casi[] = {
        {"vuoto", REG_SZ, "\0"s, true, ""},
        {"un carattere", REG_SZ, "D\0"s, true, "D"},
        {"con zero", REG_SZ, "C:\\Cat\0"s, true, "C:\\Cat"},
        {"senza zero", REG_SZ, "C:\\Cat", true, "C:\\Cat"},
        {"zero interno", REG_SZ, "C:\\A\0B\0"s, true, "C:\\A\0B"s},
        {"due zeri", REG_SZ, "C:\\Cat\0\0"s, true, "C:\\Cat\0"s},
        {"barra finale", REG_SZ, "D:\\OCE\\\0"s, true, "D:\\OCE\\"},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, ReadsUpTo1024BytesAndRejectsLongerValues) {
    test::ChiaveProvvisoria chiave;
    const std::string x1023(1023, 'x');
    const std::string x1024(1024, 'x');
    const Caso casi[] = {
        {"1024 con zero", REG_SZ, x1023 + '\0', true, x1023},
        {"1024 senza zero", REG_SZ, x1024, true, x1024},
        {"1025 con zero", REG_SZ, x1024 + '\0', false, ""},
        {"1025 senza zero", REG_SZ, x1024 + 'x', false, ""},
        {"molto lungo", REG_SZ, std::string(5000, 'y') + '\0', false, ""},
        {"1025 di altro tipo", REG_BINARY, x1024 + 'x', false, ""},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, GivesDwordsInDecimalAndLeavesOtherTypesAsPassed) {
    test::ChiaveProvvisoria chiave;
    const Caso casi[] = {
        {"dword zero", REG_DWORD, "\0\0\0\0"s, true, "0"},
        {"dword 4096", REG_DWORD, "\x00\x10\x00\x00"s, true, "4096"},
        {"dword ultimo byte", REG_DWORD, "\x01\x00\x00\x80"s, true, "2147483649"},
        {"dword massimo", REG_DWORD, "\xFF\xFF\xFF\xFF"s, true, "4294967295"},
        {"expand", REG_EXPAND_SZ, "%TEMP%\\Cat\0"s, true, kPassato},
        {"binario", REG_BINARY, "\x01\x02"s, true, kPassato},
        {"multi", REG_MULTI_SZ, "a\0b\0\0"s, true, kPassato},
        {"qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"s, true, kPassato},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, FailsLeavingTheValueAsPassedWhenTheDataIsEmpty) {
    test::ChiaveProvvisoria chiave;
    const Caso casi[] = {
        {"sz senza dati", REG_SZ, "", false, kPassato},
        {"binario senza dati", REG_BINARY, "", false, kPassato},
    };
    for (const Caso& c : casi)
        Verifica(chiave, c);
}

TEST(LeggiValoreRegistro, EmptiesTheValueWhenTheKeyOrTheValueIsMissing) {
    test::ChiaveProvvisoria chiave;
    ASSERT_EQ(chiave.Scrivi("presente", REG_SZ, "C:\\Cat\0"s), ERROR_SUCCESS);

    std::string valore = kPassato;
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "assente", valore));
    EXPECT_EQ(valore, "");

    valore = kPassato;
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso() + "\\Inesistente",
                                     "presente", valore));
    EXPECT_EQ(valore, "");

    // The same name under another root is another value.
    valore = kPassato;
    EXPECT_FALSE(LeggiValoreRegistro(HKEY_LOCAL_MACHINE, chiave.Percorso(), "presente", valore));
    EXPECT_EQ(valore, "");
}

TEST(LeggiValoreRegistro, ReadsTheDefaultValueOfAKeyByTheEmptyName) {
    test::ChiaveProvvisoria chiave;
    ASSERT_EQ(chiave.Scrivi("", REG_SZ, "C:\\Predefinito\0"s), ERROR_SUCCESS);
    std::string valore;
    EXPECT_TRUE(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "", valore));
    EXPECT_EQ(valore, "C:\\Predefinito");
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
    std::string valore;
    EXPECT_TRUE(LeggiValoreRegistro(HKEY_CURRENT_USER, chiave.Percorso(), "accenti", valore));
    EXPECT_EQ(valore, "C:\\Societ\xE0 \x80");
}

}  // namespace
}  // namespace velmar
