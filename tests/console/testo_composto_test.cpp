#include "console/testo_composto.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {
namespace {

TEST(TestoComposto, JoinsItsPiecesUpToItsSize) {
    EXPECT_EQ(std::string_view(TestoComposto{}), "");
    EXPECT_EQ(std::string_view(TestoComposto({"a", "", "bc"})), "abc");
    TestoComposto pieno({std::string(TestoComposto::kMassimo - 1, 'x')});
    pieno.Aggiungi("y");
    EXPECT_EQ(std::string_view(pieno).size(), TestoComposto::kMassimo);
    EXPECT_THROW(pieno.Aggiungi("z"), std::length_error);
}

TEST(TestoComposto, ListsNamesWithTheLastSeparatorBeforeTheLast) {
    struct Caso {
        std::vector<std::string_view> nomi;
        std::string_view atteso;
    };
    const Caso casi[] = {
        {{}, ""},
        {{"A"}, "A"},
        {{"A", "B"}, "A e B"},
        {{"A", "B", "C"}, "A, B e C"},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(std::string_view(Elenca(c.nomi, ", ", " e ")), c.atteso);

    struct Voce {
        int numero;
        std::string_view nome;
    };
    constexpr Voce voci[] = {{1, "uno"}, {2, "due"}};
    constexpr TestoComposto nomi = Elenca(voci, "|", "|", &Voce::nome);
    EXPECT_EQ(std::string_view(nomi), "uno|due");
}

}  // namespace
}  // namespace velmar
