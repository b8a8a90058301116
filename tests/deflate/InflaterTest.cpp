// The decoder against hand-built streams (valid and malformed), against
// other encoders' streams, and on every prefix of a stream.

#include "DeflateTestSupport.h"
#include "StreamVectors.h"

namespace kolt::deflate::test {

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.name;
}

namespace {

class HandBuiltStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(HandBuiltStream, VerdictAndTheInOutContract)
{
    const StreamCase& c = GetParam();
    Bytes out;
    EXPECT_EQ(Inflate(c.stream, out, c.limit), c.expected);

    Bytes bytes = c.stream;
    const InflateStatus status = cCompresion::Descomprimir(bytes, 1000, false, c.limit);
    EXPECT_EQ(status, c.expected);
    if (c.expected == InflateStatus::Ok) {
        EXPECT_EQ(bytes.size(), c.output.size());
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), c.output.begin(), c.output.end()))
            << "decoded bytes differ";
    } else {
        EXPECT_EQ(bytes, c.stream) << "a refused stream must be left as it was";
        EXPECT_TRUE(out.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, HandBuiltStream, ::testing::ValuesIn(HandBuiltStreams()),
                         [](const auto& info) { return info.param.name; });

// Every proper prefix of a well-formed stream is refused, without reading
// past its end; this walks stored, fixed and dynamic blocks.
TEST(Inflate, EveryPrefixOfAStreamIsRefused)
{
    const Bytes text = PseudoText(2000, 1);
    Bytes random = RandomBytes(300, 2);
    Bytes input = text;
    input.insert(input.end(), random.begin(), random.end());
    for (const Bytes& stream : {ZlibDeflate(input, 6, Z_DEFAULT_STRATEGY, 1000),
                                ZlibDeflate(input, 6, Z_FIXED), Deflate(input, 5)}) {
        Bytes out;
        ASSERT_EQ(Inflate(stream, out, 1 << 20), InflateStatus::Ok);
        ASSERT_EQ(out, input);
        for (std::size_t len = 0; len < stream.size(); ++len) {
            Bytes prefix(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(len));
            const Bytes kept = prefix;
            EXPECT_NE(cCompresion::Descomprimir(prefix, 1000, false), InflateStatus::Ok) << len;
            EXPECT_EQ(prefix, kept) << len;
        }
    }
}

struct ZlibCase {
    const char* name;
    int level;
    int strategy;
    std::size_t flushEvery;
};

void PrintTo(const ZlibCase& c, std::ostream* os)
{
    *os << c.name;
}

class ZlibStream : public ::testing::TestWithParam<ZlibCase> {};

// Streams from zlib: its levels, fixed codes only, and full flushes, which
// end a block every 20,000 bytes and add empty stored blocks, so that stored,
// fixed and dynamic blocks follow one another.
TEST_P(ZlibStream, DecodesToTheInput)
{
    const ZlibCase& c = GetParam();
    Bytes input = PseudoText(120'000, 3);
    const Bytes noise = RandomBytes(30'000, 4);
    input.insert(input.begin() + 50'000, noise.begin(), noise.end());
    const Bytes run(5'000, 'x');
    input.insert(input.begin() + 20'000, run.begin(), run.end());

    Bytes bytes = ZlibDeflate(input, c.level, c.strategy, c.flushEvery);
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::Ok);
    EXPECT_TRUE(bytes == input);
}

INSTANTIATE_TEST_SUITE_P(Zlib, ZlibStream,
                         ::testing::Values(ZlibCase{"Level1", 1, Z_DEFAULT_STRATEGY, 0},
                                           ZlibCase{"Level6", 6, Z_DEFAULT_STRATEGY, 0},
                                           ZlibCase{"Level9", 9, Z_DEFAULT_STRATEGY, 0},
                                           ZlibCase{"FixedCodes", 6, Z_FIXED, 0},
                                           ZlibCase{"HuffmanOnly", 6, Z_HUFFMAN_ONLY, 0},
                                           ZlibCase{"RunLength", 6, Z_RLE, 0},
                                           ZlibCase{"FullFlushes", 6, Z_DEFAULT_STRATEGY, 20'000},
                                           ZlibCase{"FullFlushesFixed", 1, Z_FIXED, 7'000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Inflate, Deflate64IsRefusedAndTheInputKept)
{
    Bytes bytes = Deflate(PseudoText(1000, 5), 5);
    const Bytes kept = bytes;
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, true), InflateStatus::Unsupported);
    EXPECT_EQ(bytes, kept);
}

// A small stream that would expand a hundredfold stops at the limit.
TEST(Inflate, ExpansionStopsAtTheLimit)
{
    TestBitWriter w;
    BlockBuilder b(w);
    b.FixedHeader(true).Literals("a");
    for (int i = 0; i < 100'000; ++i)
        b.Match(258, 1); // 25 MB from 160 KB
    b.End();
    Bytes bytes = w.Finish();
    const Bytes kept = bytes;
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::OutputLimit);
    EXPECT_EQ(bytes, kept);
    Bytes out;
    EXPECT_EQ(Inflate(kept, out, 4096), InflateStatus::OutputLimit);
}

} // namespace
} // namespace kolt::deflate::test
