// The encoder's parts. Code construction: length-limited code lengths
// checked against brute force (the fixed code and the bit order are read
// back by zlib in every round trip). The parse: every
// token stream rebuilds its input, counts its symbols, and keeps the
// format's and the level table's limits on lengths and distances.

#include "DeflateTestSupport.h"
#include "transfer/deflate/BlockWriter.h"
#include "transfer/deflate/HuffmanCode.h"
#include "transfer/deflate/MatchFinder.h"

namespace kolt::deflate::test {
namespace {

// Kraft sum in units of 2^-15: exactly 2^15 for a complete code.
unsigned Kraft(std::span<const std::uint8_t> lengths)
{
    unsigned sum = 0;
    for (std::uint8_t len : lengths)
        if (len != 0) sum += 1u << (15 - len);
    return sum;
}

// The cheapest code under the limit, by trying every assignment of
// non-increasing lengths to the symbols sorted by falling frequency.
std::uint64_t BruteForceCost(std::vector<std::uint32_t> freq, unsigned limit)
{
    std::sort(freq.rbegin(), freq.rend());
    std::uint64_t best = UINT64_MAX;
    auto search = [&](auto&& self, std::size_t i, unsigned minLen, unsigned kraft,
                      std::uint64_t cost) -> void {
        if (cost >= best) return;
        if (i == freq.size())
            best = cost;
        else
            for (unsigned l = minLen; l <= limit && kraft + (1u << (15 - l)) <= 1u << 15; ++l)
                self(self, i + 1, l, kraft + (1u << (15 - l)), cost + std::uint64_t{freq[i]} * l);
    };
    search(search, 0, 1, 0, 0);
    return best;
}

TEST(CodeLengths, AreOptimalUnderTheLimit)
{
    std::mt19937 rng(31);
    for (int round = 0; round < 200; ++round) {
        const unsigned n = 2 + rng() % 7;
        const unsigned limit = 3 + rng() % 3; // 3..5: often tighter than Huffman
        std::vector<std::uint32_t> freq(n);
        for (auto& f : freq)
            f = 1 + (round % 2 ? rng() % 1000 : 1u << (rng() % 16));
        std::vector<std::uint8_t> lengths(n);
        BuildCodeLengths(freq, limit, lengths);
        SCOPED_TRACE(::testing::Message() << "round " << round << ", limit " << limit);
        EXPECT_EQ(Kraft(lengths), 1u << 15) << "complete";
        EXPECT_LE(*std::max_element(lengths.begin(), lengths.end()), limit);
        std::uint64_t cost = 0;
        for (unsigned s = 0; s < n; ++s)
            cost += std::uint64_t{freq[s]} * lengths[s];
        EXPECT_EQ(cost, BruteForceCost(freq, limit));
    }
}

TEST(CodeLengths, FewerThanTwoSymbolsStillMakeACompleteCode)
{
    std::vector<std::uint8_t> lengths(kNumUsedDistSymbols);
    std::vector<std::uint32_t> freq(kNumUsedDistSymbols, 0);
    BuildCodeLengths(freq, kMaxCodewordLen, lengths);
    EXPECT_EQ(Kraft(lengths), 1u << 15);
    freq[7] = 40;
    BuildCodeLengths(freq, kMaxCodewordLen, lengths);
    EXPECT_EQ(lengths[7], 1);
    EXPECT_EQ(Kraft(lengths), 1u << 15);
}

// Fibonacci frequencies of literals would want codewords of 24 bits; the
// block is written with 15-bit codes that zlib reads back.
TEST(BlockWriter, KeepsCodesWithinTheLimit)
{
    Bytes input;
    std::uint32_t a = 1, b = 1;
    for (unsigned s = 0; s < 25; ++s, std::tie(a, b) = std::pair(b, a + b))
        input.insert(input.end(), a, static_cast<std::uint8_t>(s * 8));
    std::shuffle(input.begin(), input.end(), std::mt19937(32));
    Parse parse;
    for (std::uint8_t byte : input) {
        parse.tokens.push_back({byte, 0});
        ++parse.litLenFreq[byte];
    }
    parse.litLenFreq[kEndOfBlock] = 1;
    const Bytes out = WriteFinalBlock(input, parse);
    EXPECT_EQ((out[0] >> 1) & 3, kDynamicBlock);
    EXPECT_TRUE(ZlibInflates(out, input));
}

Parse ParseAt(const Bytes& input, int level, unsigned maxMatch = kMaxMatch)
{
    Parse parse;
    FindMatches(input, kLevelParams[static_cast<std::size_t>(level)], maxMatch, parse);
    return parse;
}

// The rules, as numbers rather than the codec's own constants: matches of 3
// to 258 bytes, at most 32,767 back, and those of 3 bytes at most 4,096 back.
constexpr unsigned kShortest = 3, kLongest = 258, kFarthest = 32'767, kFarthestThree = 4'096;

bool HasMatch(const Parse& parse, unsigned length, unsigned distance)
{
    return std::any_of(parse.tokens.begin(), parse.tokens.end(), [&](const Token& t) {
        return t.distance == distance && t.lengthOrLiteral == length;
    });
}

// Replays the tokens, checking each match against the rules and counting
// the symbols as it goes.
void ExpectValidParse(const Bytes& input, const Parse& parse, unsigned maxMatch = kLongest)
{
    Bytes rebuilt;
    std::array<std::uint32_t, kNumLitLenSymbols> litLen{};
    std::array<std::uint32_t, kNumDistSymbols> dist{};
    litLen[kEndOfBlock] = 1;
    for (const Token& t : parse.tokens) {
        const unsigned len = t.lengthOrLiteral;
        if (t.distance == 0) {
            rebuilt.push_back(static_cast<std::uint8_t>(len));
            ++litLen[len];
            continue;
        }
        ASSERT_TRUE(len >= kShortest && len <= maxMatch && t.distance <= kFarthest &&
                    t.distance <= rebuilt.size() &&
                    (len > kShortest || t.distance <= kFarthestThree))
            << "match of " << len << " from " << t.distance << " back at " << rebuilt.size();
        for (unsigned i = 0; i < len; ++i)
            rebuilt.push_back(rebuilt[rebuilt.size() - t.distance]);
        ++litLen[kFirstLengthSymbol + kLengthSymbolIndex[len]];
        ++dist[DistSymbol(t.distance)];
    }
    EXPECT_TRUE(rebuilt == input) << "the tokens do not rebuild the input";
    EXPECT_EQ(parse.litLenFreq, litLen);
    EXPECT_EQ(parse.distFreq, dist);
}

// Mixed ends in a run of 3,000 zeros: matches of 258, or 257 for Deflate64.
TEST(MatchFinder, TokensRebuildTheInputWithinTheRules)
{
    const Bytes input = Mixed();
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        const Parse parse = ParseAt(input, level);
        ExpectValidParse(input, parse);
        EXPECT_TRUE(HasMatch(parse, kLongest, 1));
    }
    const Parse capped = ParseAt(input, 5, kLongest - 1);
    ExpectValidParse(input, capped, kLongest - 1);
    EXPECT_TRUE(HasMatch(capped, kLongest - 1, 1));
}

// Repeats of 64 bytes at 32,767 (reachable) and 32,768 (one too far).
TEST(MatchFinder, ReachesBack32767BytesAndNoFarther)
{
    for (unsigned distance : {kFarthest, kFarthest + 1}) {
        Bytes input = NoRepeats(distance + 64);
        std::copy_n(input.begin(), 64, input.end() - 64);
        const Parse parse = ParseAt(input, 5);
        ExpectValidParse(input, parse);
        EXPECT_EQ(HasMatch(parse, 64, kFarthest), distance == kFarthest);
    }
}

// "xyz", a run of zeros, "xyz" again (at the very end, or followed by a
// byte): the 3-byte match is taken from 4,096 back and not from 4,097.
TEST(MatchFinder, ThreeByteMatchesStayWithin4096)
{
    for (unsigned distance : {kFarthestThree, kFarthestThree + 1})
        for (bool atEnd : {true, false}) {
            Bytes input{'x', 'y', 'z'};
            input.insert(input.end(), distance - 3, 0);
            input.insert(input.end(), {'x', 'y', 'z'});
            if (!atEnd) input.push_back('!');
            EXPECT_EQ(HasMatch(ParseAt(input, 5), 3, distance), distance <= kFarthestThree)
                << distance << (atEnd ? " at the end" : "");
        }
}

} // namespace
} // namespace kolt::deflate::test
