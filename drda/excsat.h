// The first exchange of the DRDA protocol, which every DRDA server answers before any login:
// EXCSAT (exchange server attributes) and its reply EXCSATRD, over byte spans. Nothing here
// reads or writes a socket: the request is built as bytes, and the reply is judged from the
// bytes received, every length checked against what arrived and against its container.
//
// A message is a DSS (data stream structure): a 6-byte header (2-byte big-endian length that
// counts the header, the byte X'D0', a format byte whose low four bits give the DSS's type, a
// 2-byte request correlation id), then one DDM object: a 2-byte length that counts its 4-byte
// head, a 2-byte code point, then its parameters, each again length, code point and data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "store/risultato.h"

namespace velmar::drda {

// Code points.
inline constexpr std::uint16_t kExcsat = 0x1041;
inline constexpr std::uint16_t kExcsatrd = 0x1443;
inline constexpr std::uint16_t kExtnam = 0x115E;    // external name
inline constexpr std::uint16_t kSrvclsnm = 0x1147;  // server class name
inline constexpr std::uint16_t kSrvnam = 0x116D;    // server name
inline constexpr std::uint16_t kSrvrlslv = 0x115A;  // server product release level
inline constexpr std::uint16_t kMgrlvlls = 0x1404;  // manager-level list

inline constexpr unsigned char kIdDss = 0xD0;
inline constexpr std::size_t kTestaDss = 6;
inline constexpr std::size_t kTestaOggetto = 4;
// The request's correlation id, which the reply repeats.
inline constexpr std::uint16_t kCorrelazione = 1;
// The most of a reply that is read: a DSS that is not continued is at most 32 767 bytes.
inline constexpr std::size_t kMassimoRisposta = 32 * 1024;
// The longest character parameter of EXCSATRD the protocol allows.
inline constexpr std::size_t kMassimoTesto = 255;

// The EXCSAT request: one DSS, not chained (format X'01'), correlation id 1, holding EXCSAT
// with EXTNAM, SRVCLSNM and SRVNAM naming this program, in CCSID 500. It names no database and
// carries no user and no password.
[[nodiscard]] std::vector<unsigned char> RichiestaExcsat();

// Whether the bytes received so far can be judged: they hold the whole first DSS (its header
// and as many bytes as its length says, or the most of a reply), or what they hold already
// cannot start a DRDA reply (a third byte other than X'D0', a length shorter than the header).
// False: more bytes are needed.
[[nodiscard]] bool RispostaDaGiudicare(std::span<const unsigned char> ricevuti) noexcept;

// What a server says of itself in EXCSATRD. The character parameters as Windows-1252 text
// (see TestoDaEbcdic), each absent when the reply left it out.
struct AttributiServer {
    std::optional<std::string> classe;       // SRVCLSNM, e.g. "QDB2/NT64"
    std::optional<std::string> rilascio;     // SRVRLSLV, e.g. "SQL11055"
    std::optional<std::string> nome;         // SRVNAM
    std::optional<std::string> nomeEsterno;  // EXTNAM
    // MGRLVLLS: each manager's code point and level.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> livelli;

    bool operator==(const AttributiServer&) const = default;
};

// Reads the reply to RichiestaExcsat from the bytes received (at most kMassimoRisposta of them
// are looked at; the first DSS alone is read). Fails (TipoErrore::Rete) with an Italian text
// when they are not a DRDA reply (the third byte is not X'D0'), when the first DSS is cut short,
// is not a reply to the request or its lengths do not fit what arrived and their container,
// when its object is not EXCSATRD, or when a parameter has a length of zero or past its object,
// is repeated, or is longer than the protocol allows. Parameters it does not know are skipped.
[[nodiscard]] Risultato<AttributiServer> LeggiRisposta(std::span<const unsigned char> ricevuti);

// "X'1147' (SRVCLSNM)", or "X'ABCD'" for a code point not named here.
[[nodiscard]] std::string NomeCodice(std::uint16_t codice);

}  // namespace velmar::drda
