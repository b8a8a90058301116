#include "broadcast/Kiss.h"

#include <gtest/gtest.h>

#include <random>

using namespace kolt::broadcast;

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CodificarKISS, EscapesFendAndFescInsideTheFrame)
{
    const Bytes trama{0x41, 0xC0, 0x42, 0xDB, 0x43};
    EXPECT_EQ(CodificarKISS(trama, 0x00),
              (Bytes{0xC0, 0x00, 0x41, 0xDB, 0xDC, 0x42, 0xDB, 0xDD, 0x43, 0xC0}));
}

TEST(CodificarKISS, FrameMadeOnlyOfEscapedBytesSurvivesTheRoundTrip)
{
    const Bytes trama{0xC0, 0xDB, 0xDB, 0xC0, 0xC0, 0xDB};
    const Bytes kiss = CodificarKISS(trama, 0x01);
    EXPECT_EQ(kiss, (Bytes{0xC0, 0x01, 0xDB, 0xDC, 0xDB, 0xDD, 0xDB, 0xDD, 0xDB, 0xDC, 0xDB, 0xDC,
                           0xDB, 0xDD, 0xC0}));
    ReensambladorKISS r;
    EXPECT_EQ(r.feed(kiss), (std::vector<TramaKISS>{{0x01, trama}}));
}

// Any frame, any command byte: the framed length is exact and the
// reassembler gives the frame back unchanged.
TEST(CodificarKISS, RandomFramesRoundTripWithExactLength)
{
    std::mt19937 azar(7);
    ReensambladorKISS r;
    for (int n = 0; n < 300; ++n) {
        Bytes trama(azar() % 600 + 1);
        for (auto& b : trama)
            b = static_cast<std::uint8_t>(azar() % 8 == 0 ? 0xC0 : azar());
        // Now and then a command byte that needs escaping itself.
        const auto comando = static_cast<std::uint8_t>(n % 5 == 0   ? 0xC0
                                                       : n % 5 == 1 ? 0xDB
                                                                    : azar());
        auto escapados = std::count_if(trama.begin(), trama.end(),
                                       [](std::uint8_t b) { return b == 0xC0 || b == 0xDB; });
        if (comando == 0xC0 || comando == 0xDB) ++escapados;
        const Bytes kiss = CodificarKISS(trama, comando);
        ASSERT_EQ(kiss.size(), trama.size() + 3 + static_cast<std::size_t>(escapados));
        ASSERT_EQ(r.feed(kiss), (std::vector<TramaKISS>{{comando, trama}}));
    }
    EXPECT_EQ(r.descartadas(), 0u);
}

struct Flujo {
    const char* nombre;
    Bytes bytes;
    std::vector<TramaKISS> tramas;
    std::size_t descartadas;
};

void PrintTo(const Flujo& f, std::ostream* os)
{
    *os << f.nombre;
}

Bytes repetido(std::size_t n, std::uint8_t b)
{
    return Bytes(n, b);
}

Bytes fendsEscapados(std::size_t n)
{
    Bytes b;
    for (std::size_t i = 0; i < n; ++i)
        b.insert(b.end(), {0xDB, 0xDC});
    return b;
}

Bytes unir(std::initializer_list<Bytes> partes)
{
    Bytes todo;
    for (const auto& p : partes)
        todo.insert(todo.end(), p.begin(), p.end());
    return todo;
}

// The table runs with a small limit so that splitting at every offset stays
// cheap; the default limit has a test of its own.
constexpr std::size_t kMax = 16;

std::vector<Flujo> flujos()
{
    return {
        {"single", {0xC0, 0x00, 0x01, 0x02, 0x03, 0xC0}, {{0x00, {0x01, 0x02, 0x03}}}, 0},
        {"shared_fend",
         {0xC0, 0x00, 0xAA, 0xC0, 0x01, 0xBB, 0xC0},
         {{0x00, {0xAA}}, {0x01, {0xBB}}},
         0},
        {"double_fend",
         {0xC0, 0x00, 0xAA, 0xC0, 0xC0, 0x01, 0xBB, 0xC0},
         {{0x00, {0xAA}}, {0x01, {0xBB}}},
         0},
        {"garbage_before_first_fend",
         {0x11, 0x22, 0xDB, 0xC0, 0x00, 0xAA, 0xC0},
         {{0x00, {0xAA}}},
         0},
        {"empty_frames_only", {0xC0, 0xC0, 0xC0, 0xC0}, {}, 0},
        {"escapes", {0xC0, 0x00, 0xDB, 0xDC, 0xDB, 0xDD, 0xC0}, {{0x00, {0xC0, 0xDB}}}, 0},
        {"escaped_command_byte", {0xC0, 0xDB, 0xDC, 0x41, 0xC0}, {{0xC0, {0x41}}}, 0},
        {"dangling_escape_dropped",
         {0xC0, 0x00, 0x41, 0xDB, 0xC0, 0x00, 0x42, 0xC0},
         {{0x00, {0x42}}},
         1},
        {"stray_escape_kept",
         {0xC0, 0x00, 0xDB, 0x41, 0xDB, 0xDB, 0xDC, 0xC0},
         {{0x00, {0xDB, 0x41, 0xDB, 0xC0}}},
         0},
        {"command_byte_only", {0xC0, 0x05, 0xC0}, {{0x05, {}}}, 0},
        {"unfinished_frame_waits", {0xC0, 0x00, 0x41, 0x42}, {}, 0},
        {"largest_frame_kept",
         unir({{0xC0, 0x00}, repetido(kMax - 1, 0x41), {0xC0}}),
         {{0x00, repetido(kMax - 1, 0x41)}},
         0},
        {"largest_frame_of_escapes_kept",
         unir({{0xC0, 0x00}, fendsEscapados(kMax - 1), {0xC0}}),
         {{0x00, repetido(kMax - 1, 0xC0)}},
         0},
        {"oversized_frame_dropped_next_one_kept",
         unir({{0xC0, 0x00}, repetido(kMax, 0x41), {0xC0, 0x00, 0x42, 0xC0}}),
         {{0x00, {0x42}}},
         1},
        // The byte after a stray escape must not start a frame of its own once
        // the escape itself overflowed the buffer.
        {"overflow_on_stray_escape",
         unir({{0xC0, 0x00}, repetido(kMax - 1, 0x41), {0xDB, 0x07, 0x08, 0xC0, 0x00, 0x42, 0xC0}}),
         {{0x00, {0x42}}},
         1},
    };
}

class Reensamblado : public ::testing::TestWithParam<Flujo> {
protected:
    struct Registro {
        std::vector<TramaKISS> tramas;
        std::size_t descartadas = 0;
    };

    // Feeds the stream cut at each of `cortes` (ascending offsets).
    static Registro alimentar(const Bytes& flujo, std::initializer_list<std::size_t> cortes)
    {
        ReensambladorKISS r(kMax);
        Registro reg;
        std::size_t desde = 0;
        auto tramo = [&](std::size_t hasta) {
            for (auto& t : r.feed(std::span(flujo).subspan(desde, hasta - desde)))
                reg.tramas.push_back(std::move(t));
            desde = hasta;
        };
        for (std::size_t c : cortes)
            tramo(c);
        tramo(flujo.size());
        reg.descartadas = r.descartadas();
        return reg;
    }
};

TEST_P(Reensamblado, SameFramesWholeByteByByteAndSplitAnywhere)
{
    const Flujo& f = GetParam();
    const Registro entero = alimentar(f.bytes, {});
    EXPECT_EQ(entero.tramas, f.tramas);
    EXPECT_EQ(entero.descartadas, f.descartadas);

    ReensambladorKISS r(kMax);
    Registro byteAByte;
    for (std::uint8_t b : f.bytes)
        for (auto& t : r.feed(std::span(&b, 1)))
            byteAByte.tramas.push_back(std::move(t));
    EXPECT_EQ(byteAByte.tramas, f.tramas);
    EXPECT_EQ(r.descartadas(), f.descartadas);

    for (std::size_t corte = 1; corte < f.bytes.size(); ++corte) {
        const Registro partido = alimentar(f.bytes, {corte});
        ASSERT_EQ(partido.tramas, f.tramas) << "split at " << corte;
        ASSERT_EQ(partido.descartadas, f.descartadas) << "split at " << corte;
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, Reensamblado, ::testing::ValuesIn(flujos()),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(ReensambladorKISS, DefaultLimitKeepsTheLargestBroadcastAndDropsAnEndlessStream)
{
    ReensambladorKISS r;
    const Bytes grande = repetido(ReensambladorKISS::kTramaMaxima - 1, 0xC0);
    EXPECT_EQ(r.feed(CodificarKISS(grande, 0x01)), (std::vector<TramaKISS>{{0x01, grande}}));

    // A peer that never sends FEND: the buffer stops growing, the next FEND
    // starts afresh.
    const Bytes sinFin = repetido(ReensambladorKISS::kTramaMaxima, 0x41);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(r.feed(sinFin).empty());
    EXPECT_EQ(r.descartadas(), 1u);
    EXPECT_EQ(r.feed(Bytes{0xC0, 0x00, 0x42, 0xC0}), (std::vector<TramaKISS>{{0x00, {0x42}}}));
}

TEST(ReensambladorKISS, ResetForgetsThePartialFrame)
{
    ReensambladorKISS r;
    EXPECT_TRUE(r.feed(Bytes{0xC0, 0x00, 0x41, 0x42}).empty());
    r.reset();
    // After a reconnect the first FEND opens a frame; the old bytes are gone.
    EXPECT_EQ(r.feed(Bytes{0x43, 0xC0, 0x00, 0x44, 0xC0}),
              (std::vector<TramaKISS>{{0x00, {0x44}}}));
}

} // namespace
