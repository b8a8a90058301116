// The encoder: every level on inputs with known shapes, each stream checked
// by zlib's decoder and ours; stored framing; the block type choice; the
// size against zlib's; the Deflate64 request.

#include "DeflateTestSupport.h"

namespace kolt::deflate::test {
namespace {

unsigned FirstBlockType(const Bytes& stream)
{
    return (stream.at(0) >> 1) & 3;
}

// Storing: 5 bytes for each block of up to 65,535.
std::size_t StoredSize(std::size_t n)
{
    return n + 5 * std::max<std::size_t>(1, (n + 65'534) / 65'535);
}

struct Input {
    const char* name;
    Bytes (*make)();
};

// Random bytes, except the tail copies the head from exactly 32,768 back
// (one beyond the reach of a match) and, a little later, from 32,767 back.
Bytes JustOverWindow()
{
    Bytes in = RandomBytes(32'768, 11);
    const Bytes head(in.begin(), in.begin() + 401);
    in.insert(in.end(), head.begin(), head.begin() + 200);
    in.insert(in.end(), head.begin() + 201, head.end());
    return in;
}

const Input kInputs[] = {
    {"Empty", [] { return Bytes{}; }},
    {"OneByte", [] { return Bytes{'K'}; }},
    {"AllSame", [] { return Bytes(100'000, 0x55); }},
    {"Random100k", [] { return RandomBytes(100'000, 12); }},
    {"JustOverWindow", JustOverWindow},
    {"LiteralRunOver65535", [] { return NoRepeats(70'000); }},
    {"Mixed", [] { return Mixed(); }},
};

class EveryLevel : public ::testing::TestWithParam<Input> {};

// Through the in/out wrapper and back through zlib and us; never larger
// than storing the input.
TEST_P(EveryLevel, RoundTripsThroughZlibAndUs)
{
    const Bytes input = GetParam().make();
    for (std::int16_t level = 0; level <= 9; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        Bytes bytes = input;
        cCompresion::Comprimir(bytes, level, false);
        EXPECT_LE(bytes.size(), StoredSize(input.size()));
        EXPECT_TRUE(ZlibInflates(bytes, input)) << "zlib does not read our stream back";
        EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::Ok);
        EXPECT_TRUE(bytes == input);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryLevel, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Level 0 stores, 5 bytes a block. Otherwise one final block of the
// cheapest type: nothing (even tiny inputs, mostly fixed blocks that zlib
// reads back) costs more than storing it, the empty input is the empty
// fixed block, small text goes fixed (a dynamic header would cost more than
// it saves), larger text dynamic, a run is a tiny coded block at every
// level, and random data is stored, in two blocks when over 65,535 bytes.
TEST(Deflate, ChoosesTheCheapestBlockType)
{
    for (std::size_t n : {0u, 65'535u, 65'536u, 131'071u})
        EXPECT_EQ(Deflate(Bytes(n, 'q'), 0).size(), StoredSize(n)) << n;
    for (unsigned alphabet : {2u, 16u, 256u})
        for (std::size_t n = 0; n < 300; n += 7) {
            const Bytes input = RandomBytes(n, static_cast<unsigned>(n), alphabet);
            const Bytes out = Deflate(input, 5);
            SCOPED_TRACE(::testing::Message() << n << " bytes over " << alphabet << " values");
            EXPECT_LE(out.size(), n + 5);
            EXPECT_TRUE(ZlibInflates(out, input));
        }
    EXPECT_EQ(Deflate(Bytes{}, 5), (Bytes{0x03, 0x00}));
    EXPECT_EQ(FirstBlockType(Deflate(PseudoText(60, 23), 5)), kFixedBlock);
    EXPECT_EQ(FirstBlockType(Deflate(PseudoText(20'000, 24), 5)), kDynamicBlock);
    for (int level = 1; level <= 9; ++level)
        EXPECT_LT(Deflate(Bytes(1000, 'A'), level).size(), 20u) << level;
    const Bytes random = Deflate(RandomBytes(100'000, 22), 5);
    ASSERT_EQ(random.size(), 100'010u);
    EXPECT_EQ(random[0], 0x00);      // not final, stored
    EXPECT_EQ(random[65'540], 0x01); // final, stored
}

// Levels are clamped, nine searches harder than one, and the program's
// level is within 1% of zlib's size.
TEST(Deflate, LevelsAndSizeAgainstZlib)
{
    const Bytes input = Mixed();
    EXPECT_EQ(Deflate(input, -3), Deflate(input, 0));
    EXPECT_EQ(Deflate(input, 42), Deflate(input, 9));
    EXPECT_LT(Deflate(input, 9).size(), Deflate(input, 1).size());
    const std::size_t ours = Deflate(input, 5).size();
    const std::size_t zlib = ZlibDeflate(input, 5, Z_DEFAULT_STRATEGY).size();
    EXPECT_LE(static_cast<double>(ours), 1.01 * static_cast<double>(zlib))
        << "ours " << ours << " bytes, zlib " << zlib;
}

// Not implemented: asked to write it, a stream any standard decoder reads;
// asked to read it, a refusal that leaves the input as it was.
TEST(Deflate, Deflate64)
{
    Bytes bytes(5000, 'z');
    cCompresion::Comprimir(bytes, 5, true);
    EXPECT_TRUE(ZlibInflates(bytes, Bytes(5000, 'z')));
    const Bytes kept = bytes;
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, true), InflateStatus::Unsupported);
    EXPECT_EQ(bytes, kept);
}

} // namespace
} // namespace kolt::deflate::test
