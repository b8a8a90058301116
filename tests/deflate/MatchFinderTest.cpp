// The parse: every token stream rebuilds its input and keeps the format's
// and the level table's limits on lengths and distances.

#include "transfer/deflate/MatchFinder.h"
#include "DeflateTestSupport.h"

namespace kolt::deflate::test {
namespace {

Parse ParseAt(const Bytes& input, int level, unsigned maxMatch = kMaxMatch)
{
    Parse parse;
    FindMatches(input, kLevelParams[static_cast<std::size_t>(level)], maxMatch, parse);
    return parse;
}

// The rules, as numbers rather than the codec's own constants: matches of 3
// to 258 bytes, at most 32,767 back, and those of 3 bytes at most 4,096 back.
constexpr unsigned kShortest = 3, kLongest = 258, kFarthest = 32'767, kFarthestThree = 4'096;

// Replays the tokens, checking each match against the rules as it goes.
void ExpectValidParse(const Bytes& input, const Parse& parse, unsigned maxMatch = kLongest)
{
    Bytes rebuilt;
    std::size_t bad = 0;
    for (const Token& t : parse.tokens) {
        if (t.distance == 0) {
            rebuilt.push_back(static_cast<std::uint8_t>(t.lengthOrLiteral));
            continue;
        }
        const bool ok = t.lengthOrLiteral >= kShortest && t.lengthOrLiteral <= maxMatch &&
                        t.distance <= kFarthest && t.distance <= rebuilt.size() &&
                        (t.lengthOrLiteral > kShortest || t.distance <= kFarthestThree);
        if (!ok) {
            ++bad;
            break;
        }
        for (unsigned i = 0; i < t.lengthOrLiteral; ++i)
            rebuilt.push_back(rebuilt[rebuilt.size() - t.distance]);
    }
    EXPECT_EQ(bad, 0u) << "a match breaks the length or distance rules";
    EXPECT_TRUE(rebuilt == input) << "the tokens do not rebuild the input";
}

TEST(MatchFinder, TokensRebuildTheInputWithinTheRules)
{
    Bytes mixed = PseudoText(30'000, 41);
    const Bytes far = RandomBytes(40'000, 42, 4); // tiny alphabet: short matches everywhere
    mixed.insert(mixed.end(), far.begin(), far.end());
    mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 5'000); // 70,000 back: too far
    const Bytes run(3'000, 0);
    mixed.insert(mixed.end(), run.begin(), run.end());
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        ExpectValidParse(mixed, ParseAt(mixed, level));
    }
    ExpectValidParse(mixed, ParseAt(mixed, 5, kLongest - 1), kLongest - 1);
}

bool HasMatch(const Parse& parse, unsigned length, unsigned distance)
{
    return std::any_of(parse.tokens.begin(), parse.tokens.end(), [&](const Token& t) {
        return t.distance == distance && (length == 0 || t.lengthOrLiteral == length);
    });
}

// Repeats of 64 bytes at 32,767 (reachable) and 32,768 (one too far).
TEST(MatchFinder, ReachesBack32767BytesAndNoFarther)
{
    Bytes input = NoRepeats(kFarthest);
    input.insert(input.end(), input.begin(), input.begin() + 64);
    EXPECT_TRUE(HasMatch(ParseAt(input, 5), 64, kFarthest));

    input = NoRepeats(kFarthest + 1);
    input.insert(input.end(), input.begin(), input.begin() + 64);
    const Parse parse = ParseAt(input, 5);
    EXPECT_FALSE(std::any_of(parse.tokens.begin(), parse.tokens.end(),
                             [](const Token& t) { return t.distance > kFarthest; }));
}

// "xyz", a run of zeros, "xyz" again (at the very end, or followed by a
// byte): the 3-byte match is taken from 4,096 back and not from 4,097.
TEST(MatchFinder, ThreeByteMatchesStayWithin4096)
{
    for (std::size_t distance : {kFarthestThree, kFarthestThree + 1})
        for (bool atEnd : {true, false}) {
            Bytes input{'x', 'y', 'z'};
            input.insert(input.end(), distance - 3, 0);
            input.insert(input.end(), {'x', 'y', 'z'});
            if (!atEnd) input.push_back('!');
            EXPECT_EQ(HasMatch(ParseAt(input, 5), 3, static_cast<unsigned>(distance)),
                      distance <= kFarthestThree)
                << distance << (atEnd ? " at the end" : "");
        }
}

TEST(MatchFinder, LongestMatchesAre258BytesOr257ForDeflate64)
{
    const Bytes input(2'000, 'r');
    EXPECT_TRUE(HasMatch(ParseAt(input, 5), kLongest, 1));
    const Parse capped = ParseAt(input, 5, kLongest - 1);
    EXPECT_TRUE(HasMatch(capped, kLongest - 1, 1));
    EXPECT_FALSE(HasMatch(capped, kLongest, 0));
}

TEST(MatchFinder, CountsEverySymbolOnce)
{
    const Bytes input = PseudoText(20'000, 43);
    const Parse parse = ParseAt(input, 6);
    std::array<std::uint32_t, kNumLitLenSymbols> litLen{};
    std::array<std::uint32_t, kNumDistSymbols> dist{};
    for (const Token& t : parse.tokens) {
        if (t.distance == 0) {
            ++litLen[t.lengthOrLiteral];
        } else {
            ++litLen[kFirstLengthSymbol + kLengthSymbolIndex[t.lengthOrLiteral]];
            ++dist[DistSymbol(t.distance)];
        }
    }
    litLen[kEndOfBlock] = 1;
    EXPECT_EQ(parse.litLenFreq, litLen);
    EXPECT_EQ(parse.distFreq, dist);
}

} // namespace
} // namespace kolt::deflate::test
