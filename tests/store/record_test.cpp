#include "store/record.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(TagliaCampi, CountsOneFieldMoreThanSeparatorsAndNoneForAnEmptyLine) {
    struct Caso {
        std::string_view riga;
        std::size_t numero;
    };
    const Caso casi[] = {
        {"", 0},
        {"a", 1},
        {";", 2},
        {";;;;", 5},
        {"a;b;c;d;e;f", 6},
        {"a;b;c;d;e;f;g;", 8},
        {"1;2;3;4;5;6;7;8;9;10", 10},
    };
    for (const auto& c : casi)
        EXPECT_EQ(TagliaCampi(c.riga).numero, c.numero) << c.riga;
}

TEST(TagliaCampi, KeepsEmptyFieldsAndBytesAsTheyAre) {
    const CampiRiga c = TagliaCampi("a;;\xE8 \x81;;");
    ASSERT_EQ(c.numero, 5u);
    EXPECT_EQ(c.campi[0], "a");
    EXPECT_EQ(c.campi[1], "");
    EXPECT_EQ(c.campi[2], "\xE8 \x81");
    EXPECT_EQ(c.Campo(4), "");
    EXPECT_EQ(c.Campo(5), std::nullopt);
}

TEST(CodiceRiga, IsFieldFiveOfALineWithAtLeastSixFields) {
    EXPECT_EQ(CodiceRiga("a;b;c;d;e;f"), "f");
    EXPECT_EQ(CodiceRiga("a;b;c;d;e;f;g;"), "f");
    EXPECT_EQ(CodiceRiga(";;;;;"), "");
    EXPECT_EQ(CodiceRiga("a;b;c;d;e"), std::nullopt);
    EXPECT_EQ(CodiceRiga(";;;;"), std::nullopt);
    EXPECT_EQ(CodiceRiga(""), std::nullopt);
    EXPECT_EQ(CodiceRiga("a;b;c;d;e; 001 ;x"), " 001 ");
}

TEST(TipoDaParola, OnlyTheExactNtWordMeansNt) {
    EXPECT_EQ(TipoDaParola("db2admin"), TipoServer::NT);
    EXPECT_EQ(TipoDaParola("db2inst1"), TipoServer::Linux);
    EXPECT_EQ(TipoDaParola("DB2ADMIN"), TipoServer::Linux);
    EXPECT_EQ(TipoDaParola(""), TipoServer::Linux);
    EXPECT_EQ(TipoDaParola("db2admin "), TipoServer::Linux);
}

TEST(CartellaCatalogo, DefaultsWhenEmptyAndAlwaysAppendsTheSeparator) {
    EXPECT_EQ(CartellaCatalogo(""),
              "C:\\Program Files\\Brio\\BrioQuery\\Program\\Open Catalog Extensions\\");
    EXPECT_EQ(CartellaCatalogo("C:\\Cat"), "C:\\Cat\\");
    EXPECT_EQ(CartellaCatalogo("D:\\OCE\\"), "D:\\OCE\\\\");
}

TEST(ComponiRecord, BuildsTheEightFieldLine) {
    StatoFinestra s{"001", "Ditta di prova", "10.0.0.5", "db2admin", "db2admin", "db2admin"};
    const std::string r = ComponiRecord(s, CartellaCatalogo("C:\\Cat"));
    EXPECT_EQ(r, "Ditta di prova;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.5;");
    const CampiRiga c = TagliaCampi(r);
    EXPECT_EQ(c.numero, 8u);
    EXPECT_EQ(c.Campo(5), "001");
    EXPECT_EQ(c.Campo(7), "");
}

TEST(ComponiRecord, DoublesTheSeparatorOfACatalogEndingInBackslash) {
    StatoFinestra s{"001", "D", "M", "db2inst1", "db2inst1", "db2inst1"};
    EXPECT_EQ(TagliaCampi(ComponiRecord(s, CartellaCatalogo("D:\\OCE\\"))).campi[1],
              "D:\\OCE\\\\Dwh001.oce");
}

TEST(ComponiRecord, ADescriptionWithASeparatorShiftsTheKey) {
    StatoFinestra s{"001", "a;b", "M", "db2admin", "db2admin", "db2admin"};
    EXPECT_EQ(CodiceRiga(ComponiRecord(s, "C:\\")), "db2admin");
}

}  // namespace
}  // namespace velmar
