#include "store/forma.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

// Reads `testo` in pieces of `pezzo` bytes, once to tell its shape and once to mend it.
struct Letta {
    FormaFile forma;
    std::string riparato;
};

Letta Leggi(std::string_view testo, std::size_t pezzo) {
    Letta l;
    std::string nulla;
    LetturaForma analisi;
    for (std::size_t i = 0; i < testo.size(); i += pezzo)
        analisi.Aggiungi(testo.substr(i, pezzo), nulla);
    l.forma = analisi.Fine(nulla);
    EXPECT_EQ(nulla, "") << "a reading that does not mend writes nothing";
    LetturaForma riparazione(l.forma);
    for (std::size_t i = 0; i < testo.size(); i += pezzo)
        riparazione.Aggiungi(testo.substr(i, pezzo), l.riparato);
    const FormaFile ancora = riparazione.Fine(l.riparato);
    EXPECT_EQ(ancora.finiDaRiparare, l.forma.finiDaRiparare);
    return l;
}

TEST(LetturaForma, MendsLineEndsAndUtf8AndKeepsEveryOtherByte) {
    struct Caso {
        std::string testo;
        std::uint64_t fini;
        bool bom;
        bool converti;
        std::string riparato;
    };
    const Caso casi[] = {
        {"", 0, false, false, ""},
        {"a;b\r\n\r\nc\r\n", 0, false, false, "a;b\r\n\r\nc\r\n"},
        // A lone LF, a lone CR, an unterminated last line.
        {"a\nb\rc\r\nd", 3, false, false, "a\r\nb\r\nc\r\nd\r\n"},
        {"x\r", 1, false, false, "x\r\n"},
        {"\n\n", 2, false, false, "\r\n\r\n"},
        // Windows-1252 text is not UTF-8: its bytes stay.
        {std::string("Caff\xE8\n\x80\x81\0y", 10), 2, false, false,
         std::string("Caff\xE8\r\n\x80\x81\0y\r\n", 13)},
        // UTF-8, with or without a byte order mark, becomes Windows-1252.
        {"\xEF\xBB\xBF"
         "Caff\xC3\xA8 \xE2\x82\xAC\r\n",
         0, true, true, "Caff\xE8 \x80\r\n"},
        {"Caff\xC3\xA8\n", 1, false, true, "Caff\xE8\r\n"},
        {"\xEF\xBB\xBF", 0, true, false, ""},
        {"\xEF\xBB\xBF"
         "a\r\n",
         0, true, false, "a\r\n"},
        // The start of a byte order mark only is text.
        {"\xEF\xBB", 1, false, false, "\xEF\xBB\r\n"},
    };
    for (const Caso& c : casi) {
        for (std::size_t pezzo :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, c.testo.size() + 1}) {
            SCOPED_TRACE(testing::PrintToString(c.testo) + " in pieces of " +
                         std::to_string(pezzo));
            const Letta l = Leggi(c.testo, pezzo);
            EXPECT_EQ(l.forma.finiDaRiparare, c.fini);
            EXPECT_EQ(l.forma.bom, c.bom);
            EXPECT_EQ(l.forma.DaConvertire(), c.converti);
            EXPECT_FALSE(l.forma.NonConvertibile());
            EXPECT_EQ(l.forma.InOrdine(), c.riparato == c.testo);
            EXPECT_EQ(l.riparato, c.riparato);
        }
    }
}

TEST(LetturaForma, TextThatLooksLikeUtf8ButIsNotAllOfItNamesTheFirstSnag) {
    struct Caso {
        std::string testo;
        std::string motivo;
    };
    const Caso casi[] = {
        {"ok\r\n\xC5\x81\r\n", "alla riga 2 il carattere U+0141 non esiste in Windows-1252"},
        {"\xF0\x9F\x98\x80", "alla riga 1 il carattere U+1F600 non esiste in Windows-1252"},
        // Lines counted as an editor counts them, whatever their ends.
        {"\xEF\xBB\xBF"
         "a\nb\rCaff\xE8\r\n",
         "alla riga 3 il byte 0xE8 non \xE8 UTF-8: il file mescola UTF-8 e Windows-1252"},
        {"Caff\xC3\xA8\r\nPi\xF9\r\n",
         "alla riga 2 il byte 0xF9 non \xE8 UTF-8: il file mescola UTF-8 e Windows-1252"},
        {"\xEF\xBB\xBF"
         "a\xC3",
         "alla riga 1 un carattere UTF-8 \xE8 interrotto dalla fine del file"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(testing::PrintToString(c.testo));
        const Letta l = Leggi(c.testo, 1);
        EXPECT_TRUE(l.forma.SembraUtf8());
        EXPECT_TRUE(l.forma.NonConvertibile());
        EXPECT_FALSE(l.forma.DaConvertire());
        EXPECT_EQ(MotivoNonConvertibile(l.forma), c.motivo);
    }
}

}  // namespace
}  // namespace velmar
