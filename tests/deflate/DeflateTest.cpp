// The encoder: round trips through zlib and us, the block type, levels, size,
// Deflate64; and what a round trip cannot show: cheapest codes, match reach.

#include "DeflateTestSupport.h"
#include "transfer/deflate/HuffmanCode.h"
#include "transfer/deflate/MatchFinder.h"

#include <random>

namespace kolt::deflate::test {
namespace {

// Storing: 5 bytes for each block of up to 65,535.
std::size_t StoredSize(std::size_t n)
{
    return n + 5 * std::max<std::size_t>(1, (n + 65'534) / 65'535);
}

// 25 byte values in Fibonacci numbers, shuffled: Huffman codes of 24 bits
// cut to 15 (the decoder's subtables), distance codes of 12 bits.
Bytes Skewed()
{
    Bytes input;
    std::uint32_t a = 1, b = 1;
    for (unsigned s = 0; s < 25; ++s, std::tie(a, b) = std::pair(b, a + b))
        input.insert(input.end(), a, static_cast<std::uint8_t>(s * 8));
    std::shuffle(input.begin(), input.end(), std::mt19937(32));
    return input;
}

struct Input {
    const char* name;
    Bytes (*make)();
};

const Input kInputs[] = {{"Empty", [] { return Bytes{}; }},
                         {"OneByte", [] { return Bytes{'K'}; }},
                         {"AllSame", [] { return Bytes(100'000, 0x55); }},
                         {"Random100k", [] { return RandomBytes(100'000, 12); }},
                         {"Mixed", Mixed},
                         {"Skewed", Skewed}};

class EveryLevel : public ::testing::TestWithParam<Input> {};

// Through the in/out wrapper, back through zlib and us; never above storing.
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

// Level 0 stores, 5 bytes a block; otherwise the cheapest type: the empty
// fixed block, a little text fixed, more dynamic, a run tiny at every level,
// 100,000 random bytes stored in two blocks. Levels are clamped, nine
// searches harder than one, and level 5 is within 1% of zlib's size.
TEST(Deflate, BlockTypeLevelsAndSize)
{
    for (std::size_t n : {0u, 65'535u, 65'536u, 131'071u})
        EXPECT_EQ(Deflate(Bytes(n, 'q'), 0).size(), StoredSize(n)) << n;
    EXPECT_EQ(Deflate(Bytes{}, 5), (Bytes{0x03, 0x00}));
    const Bytes text = Mixed();
    EXPECT_EQ((Deflate(Bytes(text.begin(), text.begin() + 60), 5)[0] >> 1) & 3, kFixedBlock);
    EXPECT_EQ((Deflate(text, 5)[0] >> 1) & 3, kDynamicBlock);
    for (int level = 1; level <= 9; ++level)
        EXPECT_LT(Deflate(Bytes(1000, 'A'), level).size(), 20u) << level;
    const Bytes random = Deflate(RandomBytes(100'000, 22), 5);
    ASSERT_EQ(random.size(), 100'010u);
    EXPECT_EQ(random[0], 0x00);      // not final, stored
    EXPECT_EQ(random[65'540], 0x01); // final, stored
    EXPECT_EQ(Deflate(text, -3), Deflate(text, 0));
    EXPECT_EQ(Deflate(text, 42), Deflate(text, 9));
    EXPECT_LT(Deflate(text, 9).size(), Deflate(text, 1).size());
    const std::size_t ours = Deflate(text, 5).size(), zlib = ZlibDeflate(text, 5).size();
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

// Every match keeps the rules, as numbers rather than the codec's constants:
// 3 to 258 bytes (257 for Deflate64), at most 32,767 back, and those of 3
// bytes at most 4,096 back.
TEST(MatchFinder, KeepsTheRules)
{
    const auto has = [](const Bytes& input, int level, unsigned longest, unsigned length,
                        unsigned distance) {
        Parse parse;
        FindMatches(input, kLevelParams[static_cast<std::size_t>(level)], longest, parse);
        bool found = false;
        for (const Token& t : parse.tokens) {
            const unsigned len = t.lengthOrLiteral;
            if (t.distance == 0) continue;
            EXPECT_TRUE(len >= 3 && len <= longest && t.distance <= 32'767 &&
                        (len > 3 || t.distance <= 4'096))
                << "match of " << len << " from " << t.distance << " back";
            found = found || (len == length && t.distance == distance);
        }
        return found;
    };
    const Bytes mixed = Mixed(); // ends in a run of zeros
    for (int level = 1; level <= 9; ++level)
        EXPECT_TRUE(has(mixed, level, 258, 258, 1)) << "level " << level;
    EXPECT_TRUE(has(mixed, 5, 257, 257, 1)) << "Deflate64";
    // Bytes 1, 2, 3... again `distance` bytes later, zeros between, maybe a
    // byte after: taken only within reach.
    for (auto [length, distance, byteAfter] :
         {std::tuple(64u, 32'767u, false), std::tuple(64u, 32'768u, false),
          std::tuple(3u, 4'096u, false), std::tuple(3u, 4'096u, true),
          std::tuple(3u, 4'097u, true)}) {
        Bytes input(distance + length, 0);
        for (unsigned i = 0; i < length; ++i)
            input[i] = input[distance + i] = static_cast<std::uint8_t>(i + 1);
        if (byteAfter) input.push_back('!');
        EXPECT_EQ(has(input, 5, 258, length, distance),
                  distance <= (length == 3 ? 4'096u : 32'767u))
            << length << " bytes from " << distance << (byteAfter ? ", a byte after" : "");
    }
}

// The cheapest cost under the limit (a length above it costs less), by trying
// every assignment of non-increasing lengths to the frequencies sorted falling.
std::uint64_t CosteMinimo(std::vector<std::uint32_t> freq, unsigned lim)
{
    std::sort(freq.rbegin(), freq.rend());
    std::uint64_t mejor = UINT64_MAX;
    auto buscar = [&](auto&& self, std::size_t i, unsigned min, unsigned kraft, std::uint64_t c) {
        if (c >= mejor) return;
        if (i == freq.size()) mejor = c;
        for (unsigned l = min; i < freq.size() && l <= lim && kraft + (32768u >> l) <= 32768u; ++l)
            self(self, i + 1, l, kraft + (32768u >> l), c + std::uint64_t{freq[i]} * l);
    };
    buscar(buscar, 0, 1, 0, 0);
    return mejor;
}

TEST(CodeLengths, AreTheCheapestUnderTheLimit)
{
    std::mt19937 rng(31);
    for (int ronda = 0; ronda < 200; ++ronda) {
        const unsigned limite = 3 + rng() % 3; // often tighter than plain Huffman
        std::vector<std::uint32_t> freq(2 + rng() % 7);
        for (auto& f : freq)
            f = 1 + (ronda % 2 ? rng() % 1000 : 1u << (rng() % 16));
        std::vector<std::uint8_t> lengths(freq.size());
        BuildCodeLengths(freq, limite, lengths);
        std::uint64_t coste = 0;
        for (std::size_t i = 0; i < freq.size(); ++i)
            coste += std::uint64_t{freq[i]} * lengths[i];
        EXPECT_EQ(coste, CosteMinimo(freq, limite)) << ronda;
    }
}

} // namespace
} // namespace kolt::deflate::test
