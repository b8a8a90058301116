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

// Re-encoding of random frames is the KISS fuzzer's work (fuzz/fuzz_kiss.cpp).
TEST(CodificarKISS, FrameMadeOnlyOfEscapedBytesSurvivesTheRoundTrip)
{
    const Bytes trama{0xC0, 0xDB, 0xDB, 0xC0, 0xC0, 0xDB};
    const Bytes kiss = CodificarKISS(trama, 0x01);
    EXPECT_EQ(kiss, H("C001DBDCDBDDDBDDDBDCDBDCDBDDC0"));
    EXPECT_EQ(ReensambladorKISS().feed(kiss), (Tramas{{0x01, trama}}));
    // A command byte that needs escaping itself.
    EXPECT_EQ(CodificarKISS(H("41"), 0xDB), H("C0DBDD41C0"));
}

struct Flujo {
    const char* nombre;
    Bytes bytes;
    Tramas tramas;
    std::size_t descartadas = 0;
};

void PrintTo(const Flujo& f, std::ostream* os)
{
    *os << f.nombre;
}

// A small limit keeps splitting at every offset cheap; the default limit
// has a test of its own.
constexpr std::size_t kMax = 16;

std::vector<Flujo> flujos()
{
    const std::string llena(2 * (kMax - 1), 'A'); // the largest frame, of 0xAA
    std::string escapes;
    for (std::size_t i = 0; i + 1 < kMax; ++i)
        escapes += "DBDC";
    return {
        {"single", H("C000010203C0"), {{0x00, H("010203")}}},
        {"shared_fend", H("C000AAC001BBC0"), {{0x00, H("AA")}, {0x01, H("BB")}}},
        {"double_fend", H("C000AAC0C001BBC0"), {{0x00, H("AA")}, {0x01, H("BB")}}},
        {"garbage_before_first_fend", H("1122DBC000AAC0"), {{0x00, H("AA")}}},
        {"escapes", H("C000DBDCDBDDC0"), {{0x00, H("C0DB")}}},
        {"escaped_command_byte", H("C0DBDC41C0"), {{0xC0, H("41")}}},
        {"dangling_escape_dropped", H("C00041DBC00042C0"), {{0x00, H("42")}}, 1},
        {"stray_escape_kept", H("C000DB41DBDBDCC0"), {{0x00, H("DB41DBC0")}}},
        {"command_byte_only", H("C005C0"), {{0x05, {}}}},
        {"unfinished_frame_waits", H("C0004142"), {}},
        {"largest_frame_kept", H("C000" + llena + "C0"), {{0x00, H(llena)}}},
        {"largest_frame_of_escapes_kept",
         H("C000" + escapes + "C0"),
         {{0x00, Bytes(kMax - 1, 0xC0)}}},
        {"oversized_frame_dropped_next_one_kept",
         H("C000" + llena + "AAC00042C0"),
         {{0x00, H("42")}},
         1},
        // The byte after a stray escape must not start a frame of its own once
        // the escape itself overflowed the buffer.
        {"overflow_on_stray_escape", H("C000" + llena + "DB0708C00042C0"), {{0x00, H("42")}}, 1},
    };
}

class Reensamblado : public ::testing::TestWithParam<Flujo> {};

// Feeds the stream cut at each of `cortes` (ascending offsets).
void ComprobarCortes(const Flujo& f, const std::vector<std::size_t>& cortes)
{
    ReensambladorKISS r(kMax);
    Tramas tramas;
    std::size_t desde = 0;
    for (std::size_t hasta : cortes) {
        for (auto& t : r.feed(std::span(f.bytes).subspan(desde, hasta - desde)))
            tramas.push_back(std::move(t));
        desde = hasta;
    }
    ASSERT_EQ(tramas, f.tramas) << "cuts at " << ::testing::PrintToString(cortes);
    ASSERT_EQ(r.descartadas(), f.descartadas) << "cuts at " << ::testing::PrintToString(cortes);
}

TEST_P(Reensamblado, SameFramesWholeByteByByteAndSplitAnywhere)
{
    const Flujo& f = GetParam();
    const std::size_t n = f.bytes.size();
    ComprobarCortes(f, {n});
    std::vector<std::size_t> byteAByte;
    for (std::size_t i = 1; i <= n; ++i)
        byteAByte.push_back(i);
    ComprobarCortes(f, byteAByte);
    for (std::size_t corte = 1; corte < n; ++corte)
        ComprobarCortes(f, {corte, n});
}

INSTANTIATE_TEST_SUITE_P(Streams, Reensamblado, ::testing::ValuesIn(flujos()),
                         [](const auto& info) { return std::string(info.param.nombre); });

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
