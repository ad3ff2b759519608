// DRDA bytes made by hand for the tests: DDM parameters and objects, DSS headers, and whole
// EXCSATRD replies such as a DB2 server sends, in CCSID 500.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "drda/ebcdic.h"
#include "drda/excsat.h"

namespace velmar::test {

using Byte = std::vector<unsigned char>;

inline void Aggiungi16(Byte& b, std::size_t valore) {
    b.push_back(static_cast<unsigned char>(valore >> 8 & 0xFF));
    b.push_back(static_cast<unsigned char>(valore & 0xFF));
}

// `altri` after the bytes of `b`. A loop, not insert: GCC 12 at -O3 warns of a read past an
// empty vector inserted (-Wstringop-overread) where there is none.
inline void Accoda(Byte& b, const Byte& altri) {
    for (const unsigned char c : altri)
        b.push_back(c);
}

// `testo` (ASCII) in CCSID 500.
inline Byte Ebcdic(std::string_view testo) {
    return drda::EbcdicDaTesto(testo).value_or(Byte{});
}

// A DDM parameter or object: its length (counting its 4-byte head), its code point, its data.
inline Byte Ddm(std::uint16_t codice, const Byte& dati) {
    Byte b;
    Aggiungi16(b, dati.size() + 4);
    Aggiungi16(b, codice);
    Accoda(b, dati);
    return b;
}

inline Byte Unisci(std::initializer_list<Byte> parti) {
    Byte b;
    for (const Byte& p : parti)
        Accoda(b, p);
    return b;
}

// A DSS holding `contenuto`: a reply (format X'02') to request 1 unless told otherwise.
inline Byte Dss(const Byte& contenuto, unsigned char formato = 0x02,
                std::uint16_t correlazione = drda::kCorrelazione) {
    Byte b;
    Aggiungi16(b, contenuto.size() + 6);
    b.push_back(drda::kIdDss);
    b.push_back(formato);
    Aggiungi16(b, correlazione);
    Accoda(b, contenuto);
    return b;
}

// A whole reply to EXCSAT: EXCSATRD with EXTNAM, SRVCLSNM, SRVNAM and SRVRLSLV.
inline Byte RispostaExcsat(std::string_view classe, std::string_view rilascio,
                           std::string_view nome = "DB2") {
    return Dss(
        Ddm(drda::kExcsatrd,
            Unisci({Ddm(drda::kExtnam, Ebcdic("db2sysc")), Ddm(drda::kSrvclsnm, Ebcdic(classe)),
                    Ddm(drda::kSrvnam, Ebcdic(nome)), Ddm(drda::kSrvrlslv, Ebcdic(rilascio))})));
}

}  // namespace velmar::test
