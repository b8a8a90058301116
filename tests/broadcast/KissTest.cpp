#include "broadcast/Kiss.h"

#include <gtest/gtest.h>

using namespace kolt::broadcast;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Tramas = std::vector<TramaKISS>;

Bytes H(std::string_view hex)
{
    Bytes b;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return b;
}

// Escaped data and an escaped command byte; random frames are the KISS
// fuzzer's (fuzz/fuzz_kiss.cpp), the station test's frames the rest.
TEST(CodificarKISS, EscapesDataAndCommandByte)
{
    EXPECT_EQ(CodificarKISS(H("C0DB41"), 0xDB), H("C0DBDDDBDCDBDD41C0"));
}

// Each stream gives the same frames whole and byte by byte, with a limit
// of 16 bytes (the default has a test of its own).
TEST(ReensambladorKISS, SameFramesWholeAndByteByByte)
{
    const std::string llena(30, 'A'); // the largest frame, of 0xAA
    const std::tuple<const char*, Bytes, Tramas, std::size_t> flujos[] = {
        {"double fend", H("C000AAC0C001BBC0"), {{0x00, H("AA")}, {0x01, H("BB")}}, 0},
        {"garbage before first fend", H("1122DBC000AAC0"), {{0x00, H("AA")}}, 0},
        {"escapes", H("C0DBDCDBDCDBDDC0"), {{0xC0, H("C0DB")}}, 0},
        {"dangling escape dropped", H("C00041DBC00042C0"), {{0x00, H("42")}}, 1},
        {"stray escape kept", H("C000DB41DBDBDCC0"), {{0x00, H("DB41DBC0")}}, 0},
        {"command byte only", H("C005C0"), {{0x05, {}}}, 0},
        {"unfinished frame waits", H("C0004142"), {}, 0},
        {"largest frame kept", H("C000" + llena + "C0"), {{0x00, H(llena)}}, 0},
        {"oversized dropped, next kept", H("C000" + llena + "AAC00042C0"), {{0x00, H("42")}}, 1},
        // The byte after a stray escape must not start a frame of its own once
        // the escape itself overflowed the buffer.
        {"overflow on stray escape", H("C000" + llena + "DB0708C00042C0"), {{0x00, H("42")}}, 1},
    };
    for (const auto& [nombre, bytes, tramas, descartadas] : flujos) {
        ReensambladorKISS entero(16), troceado(16);
        EXPECT_EQ(entero.feed(bytes), tramas) << nombre;
        Tramas recibidas;
        for (std::uint8_t b : bytes)
            for (auto& t : troceado.feed(Bytes{b}))
                recibidas.push_back(std::move(t));
        EXPECT_EQ(recibidas, tramas) << nombre << ", byte by byte";
        EXPECT_EQ(entero.descartadas() + troceado.descartadas(), 2 * descartadas) << nombre;
    }
}

TEST(ReensambladorKISS, DefaultLimitKeepsTheLargestBroadcastAndDropsAnEndlessStream)
{
    ReensambladorKISS r;
    const Bytes grande(ReensambladorKISS::kTramaMaxima - 1, 0xC0);
    EXPECT_EQ(r.feed(CodificarKISS(grande, 0x01)), (Tramas{{0x01, grande}}));

    // A peer that never sends FEND: the buffer stops growing, the next FEND
    // starts afresh.
    const Bytes sinFin(ReensambladorKISS::kTramaMaxima, 0x41);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(r.feed(sinFin).empty());
    EXPECT_EQ(r.descartadas(), 1u);
    EXPECT_EQ(r.feed(H("C00042C0")), (Tramas{{0x00, H("42")}}));

    // After a reconnect the first FEND opens a frame; the old bytes are gone.
    EXPECT_TRUE(r.feed(H("C00041")).empty());
    r.reset();
    EXPECT_EQ(r.feed(H("43C00044C0")), (Tramas{{0x00, H("44")}}));
}

} // namespace
