// The encoder: every level on inputs with known shapes, each stream checked
// by zlib's decoder and ours; stored-block framing; the block type choice.

#include "DeflateTestSupport.h"

namespace kolt::deflate::test {
namespace {

struct Input {
    const char* name;
    Bytes (*make)();
};

void PrintTo(const Input& in, std::ostream* os)
{
    *os << in.name;
}

// Random bytes, except the tail copies the head from exactly 32,768 back
// (one beyond the reach of a match) and, a little later, from 32,767 back.
Bytes JustOverWindow()
{
    Bytes in = RandomBytes(kWindowSize, 11);
    in.insert(in.end(), in.begin(), in.begin() + 200);
    in.insert(in.end(), in.begin() + 201, in.begin() + 401);
    return in;
}

const Input kInputs[] = {
    {"Empty", [] { return Bytes{}; }},
    {"OneByte", [] { return Bytes{'K'}; }},
    {"AllSame", [] { return Bytes(100'000, 0x55); }},
    {"Random100k", [] { return RandomBytes(100'000, 12); }},
    {"JustOverWindow", JustOverWindow},
    {"LiteralRunOver65535", [] { return NoRepeats(70'000); }},
    {"SmallAlphabet", [] { return RandomBytes(50'000, 14, 3); }},
    {"Text", [] { return PseudoText(40'000, 13); }},
};

class EveryLevel : public ::testing::TestWithParam<Input> {};

TEST_P(EveryLevel, RoundTripsThroughZlibAndUs)
{
    const Bytes input = GetParam().make();
    for (std::int16_t level = 0; level <= 9; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        Bytes bytes = input;
        cCompresion::Comprimir(bytes, level, false);
        Bytes viaZlib;
        EXPECT_TRUE(ZlibInflate(bytes, viaZlib, input.size()) && viaZlib == input);
        EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::Ok);
        EXPECT_TRUE(bytes == input);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryLevel, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Level 0 stores: 5 bytes per block of up to 65,535, BFINAL on the last.
TEST(Deflate, StoredBlocksCostFiveBytesEach)
{
    for (std::size_t n : {0u, 1u, 65'535u, 65'536u, 131'070u, 131'071u}) {
        SCOPED_TRACE(n);
        const Bytes input = RandomBytes(n, 21);
        const Bytes out = Deflate(input, 0);
        const std::size_t blocks = std::max<std::size_t>(1, (n + 65'534) / 65'535);
        ASSERT_EQ(out.size(), n + 5 * blocks);
        std::size_t at = 0;
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t len = std::min<std::size_t>(65'535, n - b * 65'535);
            EXPECT_EQ(out[at], b + 1 == blocks ? 1 : 0) << "BFINAL on the last block only";
            EXPECT_EQ(out[at + 1] | out[at + 2] << 8, len);
            EXPECT_EQ(out[at + 3] | out[at + 4] << 8, ~len & 0xFFFF);
            EXPECT_TRUE(std::equal(input.begin() + static_cast<std::ptrdiff_t>(b * 65'535),
                                   input.begin() + static_cast<std::ptrdiff_t>(b * 65'535 + len),
                                   out.begin() + static_cast<std::ptrdiff_t>(at + 5)));
            at += 5 + len;
        }
    }
}

TEST(Deflate, RandomDataIsStoredInTwoBlocksAtLevel5)
{
    const Bytes out = Deflate(RandomBytes(100'000, 22), 5);
    ASSERT_EQ(out.size(), 100'010u);
    EXPECT_EQ(out[0], 0x00);      // not final, stored
    EXPECT_EQ(out[65'540], 0x01); // final, stored
}

// The output is one final block; for a short repetitive input it is a
// Huffman-coded one far smaller than the input.
TEST(Deflate, RepetitiveInputIsOneSmallCodedBlock)
{
    for (int level = 1; level <= 9; ++level) {
        const Bytes out = Deflate(Bytes(1000, 'A'), level);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out[0] & 1, 1) << "BFINAL on the first block, level " << level;
        EXPECT_NE((out[0] >> 1) & 3, kStoredBlock) << level;
        EXPECT_LT(out.size(), 20u) << level;
    }
}

// The cheapest type is chosen: nothing (even tiny) is ever stored at more
// than the stored size, small text goes fixed (a dynamic header would cost
// more than it saves) and larger text goes dynamic.
TEST(Deflate, ChoosesTheCheapestBlockType)
{
    for (unsigned alphabet : {2u, 16u, 256u})
        for (std::size_t n = 0; n < 300; n += 7) {
            const Bytes out = Deflate(RandomBytes(n, static_cast<unsigned>(n), alphabet), 5);
            EXPECT_LE(out.size(), n + 5) << n << " bytes over " << alphabet << " values";
        }
    EXPECT_EQ(Deflate(Bytes{}, 5), (Bytes{0x03, 0x00})) << "the empty fixed block";
    const Bytes small = Deflate(PseudoText(60, 23), 5);
    EXPECT_EQ((small[0] >> 1) & 3, kFixedBlock);
    const Bytes large = Deflate(PseudoText(20'000, 24), 5);
    EXPECT_EQ((large[0] >> 1) & 3, kDynamicBlock);
}

TEST(Deflate, LevelsOutOfRangeAreClamped)
{
    const Bytes input = PseudoText(5000, 25);
    EXPECT_EQ(Deflate(input, -3), Deflate(input, 0));
    EXPECT_EQ(Deflate(input, 42), Deflate(input, 9));
}

TEST(Deflate, HigherLevelsSearchHarder)
{
    const Bytes input = PseudoText(60'000, 26);
    EXPECT_LT(Deflate(input, 9).size(), Deflate(input, 1).size());
}

// Asked for Deflate64, the stream stays readable by a standard decoder.
TEST(Deflate, Deflate64RequestGivesAStandardStream)
{
    Bytes bytes(5000, 'z');
    cCompresion::Comprimir(bytes, 5, true);
    Bytes out;
    EXPECT_TRUE(ZlibInflate(bytes, out, 5000) && out == Bytes(5000, 'z'));
}

} // namespace
} // namespace kolt::deflate::test
