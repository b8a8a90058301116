// The decoder against hand-built streams (valid and malformed), against
// zlib's streams (blocks of every type in a row), and on every prefix of a
// stream (an empty input, a missing end of block or final block).

#include "DeflateTestSupport.h"

namespace kolt::deflate::test {

struct StreamCase {
    std::string name;
    Bytes stream;
    InflateStatus expected;
    std::string output; // what a well-formed stream decodes to
    std::size_t limit = kDefaultOutputLimit;
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.name;
}

namespace {

using W = TestBitWriter;

// Literal/length code lengths over `count` symbols (HLIT), zero but for `lengths`.
std::vector<std::uint8_t> LitLen(std::initializer_list<std::pair<unsigned, std::uint8_t>> lengths,
                                 unsigned count = kMinHlit)
{
    std::vector<std::uint8_t> l(count, 0);
    for (auto [symbol, len] : lengths)
        l[symbol] = len;
    return l;
}

std::vector<StreamCase> HandBuiltStreams()
{
    using S = InflateStatus;
    std::vector<StreamCase> cases;
    auto add = [&](std::string name, const W& w, S expected, std::string output = {},
                   std::size_t limit = kDefaultOutputLimit) {
        cases.push_back({std::move(name), w.bytes, expected, std::move(output), limit});
    };
    add("StoredNlenNotChecked", W().Stored(true, "abc", 0x1234), S::Ok, "abc");
    W lenPastEnd = W().Stored(true, "abc", 0xFFF5);
    lenPastEnd.bytes[1] = 10; // LEN 10, 3 bytes follow
    add("StoredLenPastEnd", lenPastEnd, S::Truncated);
    add("StoredOverLimit", W().Stored(true, "abc", 0xFFFC), S::OutputLimit, {}, 2);
    add("StoredAtLimit", W().Stored(true, "abc", 0xFFFC), S::Ok, "abc", 3);
    add("ReservedAfterStored",
        W().Stored(false, "abc", 0xFFFC).Header(true, kReservedBlock).Bits(0, 16), S::BadBlockType);

    add("FixedDistanceBeforeStart", W().Fixed(true).Lit("a").Match(3, 2).End(), S::BadDistance);
    add("FixedLitLenSymbol287", W().Fixed(true).Lit("a").Sym(287).End(), S::BadSymbol);
    add("FixedDistanceSymbol30", W().Fixed(true).Lit("a").Sym(kFirstLengthSymbol).Dist(30).End(),
        S::BadSymbol);
    // Cut after a length (3 + 8 + 4 bits, one padding bit left): the missing
    // distance reads as zeros (distance 1, before the start), but the fault is the cut.
    add("FixedCutAfterLength", W().Fixed(true).Sym(280).Bits(0, 4), S::Truncated);
    add("TrailingBytesIgnored", W().Fixed(true).Lit("abc").End().Stored(true, "garbage", 0), S::Ok,
        "abc");

    // The same faults with plenty of stream on both sides, where the
    // decoder's fast loop meets them.
    const std::string pad(100, 'p');
    add("LongStreamDistanceBeforeStart", W().Fixed(true).Lit(pad).Match(3, 101).Lit(pad).End(),
        S::BadDistance);
    add("LongStreamLitLenSymbol286", W().Fixed(true).Lit(pad).Sym(286).Lit(pad).End(),
        S::BadSymbol);
    add("LongStreamDistanceSymbol31",
        W().Fixed(true).Lit(pad).Sym(kFirstLengthSymbol).Dist(31).Lit(pad).End(), S::BadSymbol);
    add("LongStreamFarthestValidMatch", W().Fixed(true).Lit(pad).Match(258, 100).Lit(pad).End(),
        S::Ok, pad + (pad + pad + pad).substr(0, 258) + pad);

    // 1 + 258 * 38 + 195 = 10,000 bytes: the buffer grows from its first
    // 4,096 bytes, by doubling, up to the limit and no further.
    W run = W().Fixed(true).Lit("a");
    for (int i = 0; i < 38; ++i)
        run.Match(258, 1);
    run.Match(195, 1).End();
    add("RunToTheLimit", run, S::Ok, std::string(10'000, 'a'), 10'000);
    add("RunPastTheLimit", run, S::OutputLimit, {}, 9'999);

    // One distance code: one bit, one codeword unused (RFC 1951 3.2.7).
    const auto oneDistanceCode = [] {
        return W().Dynamic(true, LitLen({{'a', 1}, {256, 2}, {257, 2}}, 258), {1}).Lit("a");
    };
    add("DynamicSingleDistanceCode", oneDistanceCode().Match(3, 1).End(), S::Ok, "aaaa");
    add("DynamicUnusedDistanceCodeword", oneDistanceCode().Sym(257).Code(1, 1).End(), S::BadSymbol);
    { // Codewords up to 15 bits in both codes: 'a'..'m' 1..13 bits, length
        // symbol 257 14 bits, 'n' and end of block 15; distance symbols 0..15
        // 1..15 bits (14 and 15 the longest).
        std::vector<std::uint8_t> litLen(258, 0), dist(16, 15);
        for (unsigned i = 0; i < 13; ++i)
            litLen['a' + i] = static_cast<std::uint8_t>(i + 1);
        litLen[257] = 14;
        litLen['n'] = litLen[256] = 15;
        for (unsigned d = 0; d < 15; ++d)
            dist[d] = static_cast<std::uint8_t>(d + 1);
        std::string text;
        for (int i = 0; i < 10; ++i)
            text += "abcdefghijklmn";
        const W w = W().Dynamic(true, litLen, dist).Lit(text).Match(3, 130).Match(3, 1).End();
        text += text.substr(text.size() - 130, 3);
        add("DynamicFifteenBitCodes", w, S::Ok, text + std::string(3, text.back()));
    }

    add("DynamicNoEndOfBlockCode", W().Dynamic(true, LitLen({{'a', 1}, {'b', 1}}), {0}),
        S::BadCodeLengths);
    add("DynamicOversubscribedLitLen",
        W().Dynamic(true, LitLen({{'a', 1}, {'b', 1}, {256, 1}}), {0}), S::BadCodeLengths);
    add("DynamicIncompleteLitLen", W().Dynamic(true, LitLen({{'a', 2}, {256, 2}}), {0}),
        S::BadCodeLengths);
    add("DynamicOversubscribedDistance",
        W().Dynamic(true, LitLen({{'a', 1}, {256, 1}}, 258), {1, 1, 1}), S::BadCodeLengths);
    add("DynamicTooManyLitLenCodes", W().Dynamic(true, LitLen({{'a', 1}, {256, 1}}, 287), {0}),
        S::BadCodeLengths);
    // Code-length codes: all 19 symbols of 1 bit (over-subscribed), two of 2 bits (incomplete).
    for (unsigned len : {1u, 2u}) {
        W w;
        w.Header(true, kDynamicBlock).Bits(0, 10).Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (unsigned i = 0; i < kNumCodeLengthSymbols; ++i)
            w.Bits(len == 1 || i < 2 ? len : 0, 3);
        add(len == 1 ? "DynamicOversubscribedCodeLengthCode" : "DynamicIncompleteCodeLengthCode",
            w.Bits(0, 32), S::BadCodeLengths);
    }
    // Under a code-length code of 16 and 18 only (one bit each): a repeat
    // with nothing before it, and zeros past HLIT + HDIST (3 x 138 > 258).
    const auto repeats = [] { // HCLEN 4: 16 and 18 of one bit, 17 and 0 of none
        return W().Header(true, kDynamicBlock).Bits(0, 14).Bits(1 | 1 << 6, 12);
    };
    add("DynamicRepeatWithoutPrevious", repeats().Code(0, 1).Bits(3, 2).Bits(0, 16),
        S::BadCodeLengths);
    W pastEnd = repeats();
    for (int i = 0; i < 3; ++i)
        pastEnd.Code(1, 1).Bits(127, 7);
    add("DynamicRepeatPastEnd", pastEnd.Bits(0, 16), S::BadCodeLengths);
    // Code-length code: 1, 16, 17 and 18 of two bits (HCLEN 18). 'a' and end
    // of block of one bit, and three zero distance lengths in a repeat that
    // ends exactly at HLIT + HDIST.
    W exact = W().Header(true, kDynamicBlock).Bits(0, 5).Bits(2, 5).Bits(14, 4);
    exact.Bits(2 | 2 << 3 | 2 << 6, 9).Bits(0, 42).Bits(2, 3);
    exact.Code(3, 2).Bits(97 - 11, 7).Code(0, 2);                   // zeros up to 'a', then 1
    exact.Code(3, 2).Bits(127, 7).Code(3, 2).Bits(9, 7).Code(0, 2); // 138 + 20 zeros, then 1
    add("DynamicRepeatEndsAtTheLastLength", exact.Code(2, 2).Bits(0, 3).Code(0, 1).Code(1, 1),
        S::Ok, "a");
    return cases;
}

class HandBuiltStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(HandBuiltStream, VerdictAndTheInOutContract)
{
    const StreamCase& c = GetParam();
    Bytes out;
    EXPECT_EQ(Inflate(c.stream, out, c.limit), c.expected);
    Bytes bytes = c.stream;
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false, c.limit), c.expected);
    if (c.expected == InflateStatus::Ok) {
        EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == c.output) << "decoded bytes differ";
        EXPECT_TRUE(out == bytes);
    } else {
        EXPECT_EQ(bytes, c.stream) << "a refused stream must be left as it was";
        EXPECT_TRUE(out.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, HandBuiltStream, ::testing::ValuesIn(HandBuiltStreams()),
                         [](const auto& info) { return info.param.name; });

// Streams from zlib (its levels, fixed codes only, full flushes that end a
// block every so many bytes and add empty stored blocks) and ours are
// decoded; every proper prefix of the small ones is refused, without
// reading past its end.
TEST(Inflate, DecodesZlibStreamsAndRefusesEveryPrefix)
{
    const Bytes large = Mixed();
    Bytes small = PseudoText(2000, 1);
    const Bytes noise = RandomBytes(300, 2);
    small.insert(small.end(), noise.begin(), noise.end());
    const struct {
        const Bytes& input;
        int level, strategy; // level -1: ours
        std::size_t flushEvery;
    } cases[] = {{large, 1, Z_DEFAULT_STRATEGY, 0},
                 {large, 9, Z_DEFAULT_STRATEGY, 0},
                 {large, 1, Z_FIXED, 7'000},
                 {small, 6, Z_DEFAULT_STRATEGY, 1000},
                 {small, 6, Z_FIXED, 0},
                 {small, -1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.input.size() << " bytes, level " << c.level << ", strategy " << c.strategy
                     << ", full flush every " << c.flushEvery);
        const Bytes stream = c.level < 0 ? Deflate(c.input, 5)
                                         : ZlibDeflate(c.input, c.level, c.strategy, c.flushEvery);
        Bytes out;
        ASSERT_EQ(Inflate(stream, out, 1 << 20), InflateStatus::Ok);
        ASSERT_TRUE(out == c.input);
        for (std::size_t len = 0; &c.input == &small && len < stream.size(); ++len) {
            Bytes prefix(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(len));
            const Bytes kept = prefix;
            EXPECT_NE(cCompresion::Descomprimir(prefix, 1000, false), InflateStatus::Ok) << len;
            EXPECT_EQ(prefix, kept) << len;
        }
    }
}

} // namespace
} // namespace kolt::deflate::test
