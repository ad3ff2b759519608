#include "store/record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmar {
namespace {

std::vector<std::string> Campi(std::string_view riga, const CampiRiga& c) {
    std::vector<std::string> r;
    for (std::size_t i = 0; i < c.numero; ++i)
        r.emplace_back(*c.Campo(riga, i));
    return r;
}

TEST(TagliaCampi, CutsAtEverySeparatorUpToTheFieldsAskedFor) {
    using V = std::vector<std::string>;
    struct Caso {
        std::string_view riga;
        std::size_t quanti;
        V campi;
    };
    const Caso casi[] = {
        {"", 8, {}},
        {"a", 8, {"a"}},
        {";", 8, {"", ""}},
        {";;;;", 8, {"", "", "", "", ""}},
        {"a;b;c;d;e;f", 8, {"a", "b", "c", "d", "e", "f"}},
        {"a;b;c;d;e;f;g;", 8, {"a", "b", "c", "d", "e", "f", "g", ""}},
        {"a;;\xE8 \x81;;", 8, {"a", "", "\xE8 \x81", "", ""}},
        // Only the fields asked for are looked for.
        {"1;2;3;4;5;6;7;8;9;10", 8, {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {"a;b;c;d;e;f;g;", 6, {"a", "b", "c", "d", "e", "f"}},
        {"a;b;c;d;e", 6, {"a", "b", "c", "d", "e"}},
        {"a;b", 1, {"a"}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(std::string(c.riga) + " / " + std::to_string(c.quanti));
        const CampiRiga campi = TagliaCampi(c.riga, c.quanti);
        EXPECT_EQ(Campi(c.riga, campi), c.campi);
        EXPECT_EQ(campi.Campo(c.riga, campi.numero), std::nullopt);
        // In pieces of every size, as a line too long to hold is cut: the same places.
        for (std::size_t pezzo = 1; pezzo <= 4; ++pezzo) {
            TaglioCampi taglio(c.quanti);
            for (std::size_t da = 0; da < c.riga.size(); da += pezzo)
                taglio.Aggiungi(c.riga.substr(da, pezzo));
            EXPECT_EQ(Campi(c.riga, taglio.Campi()), c.campi) << "pezzo " << pezzo;
        }
    }
}

TEST(DitteDopoLf, CountsTheRecordsAfterALoneLfBeyondTheLinesOwnCodeAndFindsTheirCode) {
    struct Caso {
        std::string_view riga;
        bool lf;
        std::uint64_t ditte;
        bool con002;  // a hidden record carries the code 002
    };
    const Caso casi[] = {
        {"", false, 0, false},
        {"a;b;c;d;e;002;m;", false, 0, false},
        {"A;c;w;w;w;001;m;\nB;c;w;w;w;002;m;\n", true, 1, true},
        {"A;c;w;w;w;001;m;\nB;c;w;w;w;003;m;\nC;c;w;w;w;002", true, 2, true},
        {"A;c;w;w;w;001;m;\nB;c;w;w;w;0021;m;\nC;c;w;w;w;00;2;\nD;002;w;w;w;;002", true, 3, false},
        // The LF within the line's own first six fields continues its record.
        {"A\nB;c;w;w;w;002;m;", true, 0, false},
        {"A\nB;c;w;w;w;001;m;\nC;c;w;w;w;002;m;", true, 1, true},
        // Texts with fewer than six fields are no records.
        {"A;c;w;w;w;001;m;\n\ncorta;002\n;;;;", true, 0, false},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.riga)));
        for (std::size_t pezzo : {std::size_t{1}, std::size_t{3}, c.riga.size() + 1}) {
            DitteDopoLf d("002");
            for (std::size_t da = 0; da < c.riga.size(); da += pezzo)
                d.Aggiungi(c.riga.substr(da, pezzo));
            EXPECT_EQ(d.Lf(), c.lf);
            EXPECT_EQ(d.Ditte(), c.ditte);
            EXPECT_EQ(d.ConCodice(), c.con002);
        }
    }
}

TEST(ComponiRecord, BuildsTheEightFieldLineWithTheCatalogSeparatorAlwaysAdded) {
    const DatiDitta d{"001", "Ditta di prova", "10.0.0.5", "db2admin", "db2admin", "db2admin"};
    const std::string r = ComponiRecord(d, "C:\\Cat");
    EXPECT_EQ(r, "Ditta di prova;C:\\Cat\\Dwh001.oce;db2admin;db2admin;db2admin;001;10.0.0.5;");
    EXPECT_EQ(TagliaCampi(r).numero, 8u);
    EXPECT_EQ(TagliaCampi(ComponiRecord(d, "D:\\OCE\\")).Campo(ComponiRecord(d, "D:\\OCE\\"), 1),
              "D:\\OCE\\\\Dwh001.oce");
    // A description holding a separator shifts the key.
    const DatiDitta spostata{"001", "a;b", "M", "db2admin", "db2admin", "db2admin"};
    const std::string r2 = ComponiRecord(spostata, "C:");
    EXPECT_EQ(TagliaCampi(r2).Campo(r2, 5), "db2admin");
}

}  // namespace
}  // namespace velmar
