// The EXCSAT request and the reading of its EXCSATRD reply: the request's bytes, when the bytes
// received can be judged, and every rule of the reply's lengths, code points and parameters.
#include "drda/excsat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "drda/ebcdic.h"
#include "tests/support/risposta_drda.h"

namespace velmar::drda {
namespace {

using test::Byte;
using test::Ddm;
using test::Dss;
using test::Ebcdic;
using test::RispostaExcsat;
using test::Unisci;

// The reply of a DB2 for Windows server.
const Byte kNt64 = RispostaExcsat("QDB2/NT64", "SQL11055", "DB2PROD");

Byte LeggiFile(const std::string& nome) {
    std::ifstream f(std::string(VELMAR_TEST_DATA) + "/drda/" + nome, std::ios::binary);
    return Byte(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// `b` with its bytes from `i` on replaced by `nuovi`.
Byte Cambia(Byte b, std::size_t i, std::initializer_list<unsigned char> nuovi) {
    for (const unsigned char n : nuovi)
        b.at(i++) = n;
    return b;
}

std::uint16_t Leggi16(const Byte& b, std::size_t i) {
    return static_cast<std::uint16_t>(b.at(i) << 8 | b.at(i + 1));
}

TEST(RichiestaExcsat, IsOneUnchainedRequestDssHoldingOnlyEXCSATWithThisProgramsNames) {
    const Byte r = RichiestaExcsat();
    ASSERT_GE(r.size(), 10u);
    EXPECT_EQ(Leggi16(r, 0), r.size());
    EXPECT_EQ(r[2], 0xD0);
    EXPECT_EQ(r[3], 0x01) << "a request, not chained";
    EXPECT_EQ(Leggi16(r, 4), kCorrelazione);
    EXPECT_EQ(Leggi16(r, 6), r.size() - 6);
    EXPECT_EQ(Leggi16(r, 8), kExcsat);
    // Its parameters fill the object exactly, and none but the three names is sent.
    std::vector<std::uint16_t> codici;
    for (std::size_t i = 10; i < r.size();) {
        const std::size_t lunghezza = Leggi16(r, i);
        ASSERT_GE(lunghezza, 4u);
        ASSERT_LE(i + lunghezza, r.size());
        codici.push_back(Leggi16(r, i + 2));
        EXPECT_EQ(TestoDaEbcdic(std::span(r).subspan(i + 4, lunghezza - 4)), "SetupVelmar");
        i += lunghezza;
    }
    EXPECT_EQ(codici, (std::vector<std::uint16_t>{kExtnam, kSrvclsnm, kSrvnam}));
}

TEST(RispostaDaGiudicare, WaitsForTheWholeFirstDssOrForBytesThatCannotBeDrda) {
    const Byte nt64 = kNt64;
    const Byte http = {'H', 'T', 'T', 'P'};
    const struct {
        Byte ricevuti;
        bool daGiudicare;
    } casi[] = {
        {{}, false},
        {{0x00, 0x6D}, false},
        {{'H', 'T', 'T'}, true},  // no X'D0': not DRDA
        {Byte(nt64.begin(), nt64.begin() + 5), false},
        {{0x00, 0x03, 0xD0, 0x02, 0x00, 0x01}, true},  // shorter than its header
        {{0x80, 0x10, 0xD0, 0x02, 0x00, 0x01}, true},  // continued: judged at once
        {Byte(nt64.begin(), nt64.end() - 1), false},
        {nt64, true},
        {Unisci({nt64, Byte{0x00}}), true},  // what follows the first DSS is not waited for
        {http, true},
        {Byte(kMassimoRisposta, 0x00), true},  // the bound
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(testing::PrintToString(c.ricevuti.size()));
        EXPECT_EQ(RispostaDaGiudicare(c.ricevuti), c.daGiudicare);
    }
}

TEST(LeggiRisposta, ReadsTheServersAttributesFromEXCSATRD) {
    const Risultato<AttributiServer> a = LeggiRisposta(kNt64);
    ASSERT_TRUE(a) << a.Errore().testo;
    EXPECT_EQ(*a, (AttributiServer{"QDB2/NT64", "SQL11055", "DB2PROD", "db2sysc", {}}));
}

TEST(LeggiRisposta, ReadsWhatApacheDerbysNetworkServerSent) {
    const Risultato<AttributiServer> a = LeggiRisposta(LeggiFile("derby_excsatrd.bin"));
    ASSERT_TRUE(a) << a.Errore().testo;
    EXPECT_EQ(a->classe, "Apache Derby");
    EXPECT_EQ(a->rilascio, "CSS10140/10.14.2.0 - (?\?\?)");
    EXPECT_EQ(a->nome, "NetworkServerControl");
}

TEST(LeggiRisposta, TakesTheManagerLevelsSkipsUnknownParametersAndIgnoresWhatFollows) {
    const Byte livelli = {0x14, 0x03, 0x00, 0x07, 0x24, 0x07, 0x00, 0x0A};
    const Byte risposta = Unisci({
        Dss(Ddm(kExcsatrd, Unisci({Ddm(0x1149, {0x00, 0x00}), Ddm(kMgrlvlls, livelli),
                                   Ddm(kSrvclsnm, Ebcdic("QAS"))})),
            0x42),  // chained to a second DSS
        Dss(Ddm(0x2201, {}), 0x02),
        Byte(kMassimoRisposta, 0xFF),
    });
    const Risultato<AttributiServer> a = LeggiRisposta(risposta);
    ASSERT_TRUE(a) << a.Errore().testo;
    const AttributiServer atteso{
        "QAS", std::nullopt, std::nullopt, std::nullopt, {{0x1403, 7}, {0x2407, 10}}};
    EXPECT_EQ(*a, atteso);
}

TEST(LeggiRisposta, AnObjectDssAndEmptyCharacterParametersAreReplies) {
    const Risultato<AttributiServer> a =
        LeggiRisposta(Dss(Ddm(kExcsatrd, Ddm(kSrvrlslv, {})), 0x03));
    ASSERT_TRUE(a) << a.Errore().testo;
    EXPECT_EQ(a->rilascio, "");
    EXPECT_EQ(a->classe, std::nullopt);
}

TEST(LeggiRisposta, ACharacterParameterMayHold255BytesAndNoMore) {
    const Byte nome255 = Dss(Ddm(kExcsatrd, Ddm(kSrvnam, Byte(255, 0xC1))));
    const Risultato<AttributiServer> a = LeggiRisposta(nome255);
    ASSERT_TRUE(a) << a.Errore().testo;
    EXPECT_EQ(a->nome, std::string(255, 'A'));
    const Risultato<AttributiServer> b =
        LeggiRisposta(Dss(Ddm(kExcsatrd, Ddm(kSrvnam, Byte(256, 0xC1)))));
    ASSERT_FALSE(b);
    EXPECT_EQ(b.Errore().testo,
              "il parametro X'116D' (SRVNAM) \xE8 lungo 256 byte, pi\xF9 dei 255 "
              "ammessi");
}

// Every way a reply can be wrong, each with its text: nothing read past what arrived.
TEST(LeggiRisposta, RefusesEachMalformedReplyWithItsReason) {
    const Byte classe = Ddm(kSrvclsnm, Ebcdic("QDB2/NT64"));
    const Byte corpo = Ddm(kExcsatrd, classe);  // 17 bytes
    const Byte buona = Dss(corpo);              // 23 bytes
    const struct {
        const char* caso;
        Byte risposta;
        std::string testo;
    } casi[] = {
        {"nothing", {}, "nessun byte ricevuto"},
        {"two bytes", {0x00, 0x17}, "risposta troncata: 2 byte, meno dei 6 dell'intestazione DSS"},
        {"the header cut short", Byte(buona.begin(), buona.begin() + 5),
         "risposta troncata: 5 byte, meno dei 6 dell'intestazione DSS"},
        {"not DRDA",
         {'H', 'T', 'T', 'P', '/', '1', '.', '0', ' ', '4', '0', '0'},
         "non \xE8 una risposta DRDA: il terzo byte \xE8 X'54', non X'D0' (primi byte: 48 54 54 50 "
         "2F 31 2E 30)"},
        {"a length shorter than the header", Cambia(buona, 0, {0x00, 0x05}),
         "la DSS dichiara 5 byte, meno dei 6 della sua intestazione"},
        {"a length of zero", Cambia(buona, 0, {0x00, 0x00}),
         "la DSS dichiara 0 byte, meno dei 6 della sua intestazione"},
        {"a continued DSS", Cambia(buona, 0, {0x80, 0x17}),
         "la DSS chiede una continuazione (lunghezza X'8017'), che una risposta a EXCSAT non usa"},
        {"a DSS cut short", Byte(buona.begin(), buona.end() - 1),
         "risposta troncata: la DSS dichiara 23 byte, ne sono arrivati 22"},
        {"a DSS longer than what arrived", Cambia(buona, 0, {0x01, 0x00}),
         "risposta troncata: la DSS dichiara 256 byte, ne sono arrivati 23"},
        {"a request", Cambia(buona, 3, {0x01}),
         "la DSS non \xE8 una risposta: il suo tipo \xE8 1 (una richiesta)"},
        {"an encrypted object", Cambia(buona, 3, {0x04}),
         "la DSS non \xE8 una risposta: il suo tipo \xE8 4"},
        {"another request's reply", Cambia(buona, 4, {0x00, 0x07}),
         "la DSS risponde alla richiesta 7, non alla 1 inviata"},
        {"no object", Dss({0x00, 0x04}),
         "la DSS di 8 byte non contiene un oggetto DDM: mancano i 4 byte della sua intestazione"},
        {"an object of length zero", Cambia(buona, 6, {0x00, 0x00}),
         "l'oggetto DDM della risposta ha lunghezza zero"},
        {"an object shorter than its head", Cambia(buona, 6, {0x00, 0x03}),
         "l'oggetto DDM della risposta dichiara 3 byte, meno dei 4 della sua intestazione"},
        {"an object past its DSS", Cambia(buona, 6, {0x00, 0x12}),
         "l'oggetto DDM della risposta dichiara 18 byte, la DSS ne contiene 17"},
        {"bytes after the object", Dss(Unisci({corpo, Byte{0x00, 0x00}})),
         "dopo l'oggetto DDM della risposta restano 2 byte nella DSS"},
        {"not EXCSATRD", Dss(Ddm(0x1254, classe)),
         "la risposta non \xE8 EXCSATRD (X'1443') ma X'1254'"},
        {"a parameter's head cut short",
         Dss(Ddm(kExcsatrd, Unisci({classe, Byte{0x00, 0x08, 0x11}}))),
         "l'oggetto EXCSATRD finisce con 3 byte, meno dei 4 dell'intestazione di un parametro"},
        {"a parameter of length zero", Dss(Ddm(kExcsatrd, Cambia(classe, 0, {0x00, 0x00}))),
         "il parametro X'1147' (SRVCLSNM) ha lunghezza zero"},
        {"a parameter shorter than its head", Dss(Ddm(kExcsatrd, Cambia(classe, 0, {0x00, 0x02}))),
         "il parametro X'1147' (SRVCLSNM) dichiara 2 byte, meno dei 4 della sua intestazione"},
        {"a parameter past its object", Dss(Ddm(kExcsatrd, Cambia(classe, 0, {0x00, 0x0E}))),
         "il parametro X'1147' (SRVCLSNM) dichiara 14 byte, l'oggetto EXCSATRD ne contiene ancora "
         "13"},
        {"a parameter's length with its top bit set",
         Dss(Ddm(kExcsatrd, Cambia(classe, 0, {0xFF, 0xFF}))),
         "il parametro X'1147' (SRVCLSNM) dichiara 65535 byte, l'oggetto EXCSATRD ne contiene "
         "ancora 13"},
        {"a parameter repeated", Dss(Ddm(kExcsatrd, Unisci({classe, Ddm(kSrvrlslv, {}), classe}))),
         "il parametro X'1147' (SRVCLSNM) \xE8 ripetuto"},
        {"an unknown parameter repeated",
         Dss(Ddm(kExcsatrd, Unisci({Ddm(0xABCD, {}), Ddm(0xABCD, {})}))),
         "il parametro X'ABCD' \xE8 ripetuto"},
        {"manager levels that are not pairs",
         Dss(Ddm(kExcsatrd, Ddm(kMgrlvlls, {0x14, 0x03, 0x00, 0x07, 0x24, 0x07}))),
         "il parametro X'1404' (MGRLVLLS) ha 6 byte di dati, non coppie di codice e livello di 4 "
         "byte"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        const Risultato<AttributiServer> a = LeggiRisposta(c.risposta);
        ASSERT_FALSE(a);
        EXPECT_EQ(a.Errore().tipo, TipoErrore::Rete);
        EXPECT_EQ(a.Errore().testo, c.testo);
    }
}

}  // namespace
}  // namespace velmar::drda
