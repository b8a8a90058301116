// The encoder: every level on inputs with known shapes and on the corpus
// (Canterbury files and Silesia pieces, each cut to 600,000 bytes), each
// stream checked by zlib's decoder and ours; stored framing; the block type
// choice; the Deflate64 request.

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

// Through the in/out wrapper and back through zlib and us; never larger
// than storing the input.
void ExpectRoundTrip(const Bytes& input, std::int16_t level)
{
    SCOPED_TRACE(::testing::Message() << "level " << level);
    Bytes bytes = input;
    cCompresion::Comprimir(bytes, level, false);
    EXPECT_LE(bytes.size(), StoredSize(input.size()));
    EXPECT_TRUE(ZlibInflates(bytes, input)) << "zlib does not read our stream back";
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::Ok);
    EXPECT_TRUE(bytes == input);
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
    Append(in, Bytes(in.begin(), in.begin() + 200));
    Append(in, Bytes(in.begin() + 201, in.begin() + 401));
    return in;
}

const Input kInputs[] = {
    {"Empty", [] { return Bytes{}; }},
    {"OneByte", [] { return Bytes{'K'}; }},
    {"AllSame", [] { return Bytes(100'000, 0x55); }},
    {"Random100k", [] { return RandomBytes(100'000, 12); }},
    {"JustOverWindow", JustOverWindow},
    {"LiteralRunOver65535", [] { return NoRepeats(70'000); }},
    {"Mixed", Mixed},
};

class EveryLevel : public ::testing::TestWithParam<Input> {};

TEST_P(EveryLevel, RoundTripsThroughZlibAndUs)
{
    const Bytes input = GetParam().make();
    for (std::int16_t level = 0; level <= 9; ++level)
        ExpectRoundTrip(input, level);
}

INSTANTIATE_TEST_SUITE_P(Inputs, EveryLevel, ::testing::ValuesIn(kInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Level 0 stores (the round trips have zlib check LEN, NLEN and BFINAL).
TEST(Deflate, StoredBlocksCostFiveBytesEach)
{
    for (std::size_t n : {0u, 65'535u, 65'536u, 131'071u})
        EXPECT_EQ(Deflate(Bytes(n, 'q'), 0).size(), StoredSize(n)) << n;
}

// One final block of the cheapest type: nothing (even tiny inputs, mostly
// fixed blocks that zlib reads back) costs more than storing it, the empty
// input is the empty fixed block, small text goes fixed (a dynamic header
// would cost more than it saves), larger text dynamic, a run is a tiny
// coded block at every level, and random data is stored, in two blocks
// when over 65,535 bytes.
TEST(Deflate, ChoosesTheCheapestBlockType)
{
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

TEST(Deflate, LevelsAreClampedAndNineSearchesHarderThanOne)
{
    const Bytes input = PseudoText(60'000, 26);
    EXPECT_EQ(Deflate(input, -3), Deflate(input, 0));
    EXPECT_EQ(Deflate(input, 42), Deflate(input, 9));
    EXPECT_LT(Deflate(input, 9).size(), Deflate(input, 1).size());
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

// The program's level on whole pieces, both ways with zlib: ours within 1%
// of zlib's size, and zlib's stream decoded by us.
TEST(Corpus, Level5BothWaysWithZlibAndWithinOnePercentOfIt)
{
    KOLT_REQUIRE_CORPUS();
    std::size_t ours = 0, theirs = 0;
    for (const CorpusFile& f : CorpusFiles()) {
        SCOPED_TRACE(f.name);
        const Bytes stream = Deflate(f.data, 5), zlib = ZlibDeflate(f.data, 5);
        ours += stream.size();
        theirs += zlib.size();
        EXPECT_TRUE(ZlibInflates(stream, f.data));
        for (const Bytes* s : {&stream, &zlib}) {
            Bytes out;
            EXPECT_EQ(Inflate(*s, out, kDefaultOutputLimit), InflateStatus::Ok);
            EXPECT_TRUE(out == f.data);
        }
    }
    EXPECT_LE(static_cast<double>(ours), 1.01 * static_cast<double>(theirs))
        << "ours " << ours << " bytes, zlib " << theirs;
}

// Every level on the first 64 KiB of each piece: whole pieces at every level
// take over ten seconds under the sanitizers; the benchmark checks every
// piece both ways in the optimised build.
TEST(Corpus, EveryLevelOnTheFirst64KiB)
{
    KOLT_REQUIRE_CORPUS();
    for (const CorpusFile& f : CorpusFiles()) {
        SCOPED_TRACE(f.name);
        const Bytes input(f.data.begin(),
                          f.data.begin() + std::min<std::ptrdiff_t>(65'536, std::ssize(f.data)));
        for (std::int16_t level = 0; level <= 9; ++level)
            ExpectRoundTrip(input, level);
    }
}

} // namespace
} // namespace kolt::deflate::test
