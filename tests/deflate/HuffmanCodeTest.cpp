// Code construction: bit reversal, the canonical codes of RFC 1951, the
// fixed code, and length-limited code lengths checked against brute force.

#include "transfer/deflate/HuffmanCode.h"
#include "DeflateTestSupport.h"
#include "TestBitWriter.h"
#include "transfer/deflate/BlockWriter.h"

#include <numeric>

namespace kolt::deflate::test {
namespace {

TEST(BitReverse, ReversesTheLowBits)
{
    EXPECT_EQ(cCompresion::Bit_Reverse(0b1011, 4), 0b1101u);
    EXPECT_EQ(cCompresion::Bit_Reverse(0b1, 1), 0b1u);
    EXPECT_EQ(cCompresion::Bit_Reverse(0b1, 15), 0x4000u);
    EXPECT_EQ(cCompresion::Bit_Reverse(0b110, 3), 0b011u);
    EXPECT_EQ(cCompresion::Bit_Reverse(0xFFF0, 4), 0u) << "bits above Numbits are ignored";
}

// The example of RFC 1951 3.2.2: lengths (3, 3, 3, 3, 3, 2, 4, 4) give
// 010, 011, 100, 101, 110, 00, 1110, 1111.
TEST(CanonicalCodes, MatchTheRfcExample)
{
    const std::uint8_t lengths[] = {3, 3, 3, 3, 3, 2, 4, 4};
    const unsigned rfc[] = {0b010, 0b011, 0b100, 0b101, 0b110, 0b00, 0b1110, 0b1111};
    std::uint16_t codes[8];
    BuildCanonicalCodes(lengths, codes);
    for (unsigned s = 0; s < 8; ++s)
        EXPECT_EQ(codes[s], Bit_Reverse(rfc[s], lengths[s])) << s;
}

// RFC 1951 3.2.6: 0-143 8 bits from 00110000, 144-255 9 bits from
// 110010000, 256-279 7 bits from 0000000, 280-287 8 bits from 11000000.
TEST(FixedCode, IsTheRfcTable)
{
    cCompresion::init_Trees();
    const Trees& fixed = init_Trees();
    for (unsigned s = 0; s < kNumLitLenSymbols; ++s) {
        const auto [code, len] = FixedLitLenCode(s);
        EXPECT_EQ(fixed.litLenLength[s], len) << s;
        EXPECT_EQ(fixed.litLenCode[s], Bit_Reverse(code, len)) << s;
    }
    for (unsigned d = 0; d < kNumDistSymbols; ++d) {
        EXPECT_EQ(fixed.distLength[d], 5u);
        EXPECT_EQ(fixed.distCode[d], Bit_Reverse(d, 5));
    }
}

std::uint64_t Cost(std::span<const std::uint32_t> freq, std::span<const std::uint8_t> lengths)
{
    std::uint64_t cost = 0;
    for (std::size_t s = 0; s < freq.size(); ++s)
        cost += std::uint64_t{freq[s]} * lengths[s];
    return cost;
}

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
    std::vector<unsigned> len(freq.size());
    auto search = [&](auto&& self, std::size_t i, unsigned minLen, double kraft,
                      std::uint64_t cost) {
        if (cost >= best) return;
        if (i == freq.size()) {
            best = cost;
            return;
        }
        for (unsigned l = minLen; l <= limit; ++l) {
            const double k = kraft + 1.0 / (1u << l);
            if (k <= 1.0 + 1e-12) self(self, i + 1, l, k, cost + std::uint64_t{freq[i]} * l);
        }
    };
    search(search, 0, 1, 0.0, 0);
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
        EXPECT_EQ(Cost(freq, lengths), BruteForceCost(freq, limit));
    }
}

TEST(CodeLengths, FibonacciFrequenciesAreCutTo15Bits)
{
    std::vector<std::uint32_t> freq(kNumUsedLitLenSymbols, 0);
    std::uint32_t a = 1, b = 1;
    for (unsigned s = 0; s < 30; ++s, std::tie(a, b) = std::pair(b, a + b))
        freq[s * 9] = a;
    std::vector<std::uint8_t> lengths(freq.size());
    BuildCodeLengths(freq, kMaxCodewordLen, lengths);
    EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), kMaxCodewordLen);
    EXPECT_EQ(Kraft(lengths), 1u << 15);
    for (std::size_t s = 0; s < freq.size(); ++s)
        EXPECT_EQ(lengths[s] != 0, freq[s] != 0) << s;
}

TEST(CodeLengths, FewerThanTwoSymbolsStillMakeACompleteCode)
{
    std::vector<std::uint8_t> lengths(kNumUsedDistSymbols);
    std::vector<std::uint32_t> none(kNumUsedDistSymbols, 0), one(kNumUsedDistSymbols, 0);
    BuildCodeLengths(none, kMaxCodewordLen, lengths);
    EXPECT_EQ(Kraft(lengths), 1u << 15);
    one[7] = 40;
    BuildCodeLengths(one, kMaxCodewordLen, lengths);
    EXPECT_EQ(lengths[7], 1);
    EXPECT_EQ(Kraft(lengths), 1u << 15);
}

// A parse whose literal frequencies would want codewords of 24 bits is
// written with 15-bit codes that zlib reads back.
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
    Bytes back;
    EXPECT_TRUE(ZlibInflate(out, back, input.size()) && back == input);
}

} // namespace
} // namespace kolt::deflate::test
