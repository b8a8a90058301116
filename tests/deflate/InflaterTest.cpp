// The decoder against hand-built streams (valid and malformed) and zlib's
// streams, and on every prefix of a stream.

#include "DeflateTestSupport.h"

#include <string_view>

namespace kolt::deflate::test {

namespace {

// A plain writer for hand-built streams, independent of the codec's own, one
// bit at a time; exactly sized, so that AddressSanitizer sees any overread.
class W {
public:
    W& Bits(std::uint64_t value, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i, ++m_count) {
            if (m_count % 8 == 0) bytes.push_back(0);
            bytes.back() |= static_cast<std::uint8_t>(((value >> i) & 1u) << (m_count % 8));
        }
        return *this;
    }

    W& Code(std::uint32_t code, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            Bits(code >> i, 1);
        return *this;
    }

    W& Header(bool final, unsigned type) { return Bits(final ? 1 : 0, 1).Bits(type, 2); }
    W& Fixed(bool final) { return Header(final, kFixedBlock); }

    // A stored block with the given NLEN, to allow wrong ones.
    W& Stored(bool final, std::string_view data, std::uint16_t nlen)
    {
        Header(final, kStoredBlock).Bits(0, (8 - m_count % 8) % 8);
        Bits(static_cast<std::uint32_t>(data.size()), 16).Bits(nlen, 16);
        for (char b : data)
            Bits(static_cast<std::uint8_t>(b), 8);
        return *this;
    }

    // A literal/length symbol of the fixed code (RFC 1951 3.2.6).
    W& Sym(unsigned s)
    {
        if (s < 144) return Code(0x30 + s, 8);
        if (s < 256) return Code(0x190 + s - 144, 9);
        return s < 280 ? Code(s - 256, 7) : Code(0xC0 + s - 280, 8);
    }
    W& End() { return Sym(256); }

    W& Lit(std::string_view text)
    {
        for (char c : text)
            Sym(static_cast<std::uint8_t>(c));
        return *this;
    }

    // A match (length 3..258, distance 1..32768) under the fixed code.
    W& Match(unsigned length, unsigned distance)
    {
        const unsigned li = kLengthSymbolIndex[length];
        const unsigned ds = DistSymbol(distance);
        Sym(kFirstLengthSymbol + li).Bits(length - kLengthBase[li], kLengthExtra[li]);
        return Code(ds, 5).Bits(distance - kDistBase[ds], kDistExtra[ds]);
    }

    // A final dynamic block's header, each length a plain code-length symbol:
    // 0..12 of 4 bits (codes 0..12), 13..18 of 5 bits (codes 26..31).
    W& Dynamic(const std::vector<std::uint8_t>& litLen, const std::vector<std::uint8_t>& dist)
    {
        Header(true, kDynamicBlock).Bits(litLen.size() - kMinHlit, 5);
        Bits(dist.size() - kMinHdist, 5).Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (std::uint8_t s : kCodeLengthOrder)
            Bits(s < 13 ? 4 : 5, 3);
        for (const auto* lengths : {&litLen, &dist})
            for (std::uint8_t len : *lengths)
                Code(len < 13 ? len : 13 + len, len < 13 ? 4 : 5);
        return *this;
    }

    Bytes bytes;

private:
    std::size_t m_count = 0;
};

// Literal/length code lengths over `count` symbols (HLIT), zero but for `lengths`.
std::vector<std::uint8_t> LitLen(std::initializer_list<std::pair<unsigned, std::uint8_t>> lengths,
                                 unsigned count = kMinHlit)
{
    std::vector<std::uint8_t> l(count, 0);
    for (auto [symbol, len] : lengths)
        l[symbol] = len;
    return l;
}

using S = InflateStatus;

// The verdict on a hand-built stream; a refused one is left as it was.
void Expect(const char* name, const W& w, S expected, std::string_view output = {},
            std::size_t limit = kDefaultOutputLimit)
{
    Bytes bytes = w.bytes;
    EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false, limit), expected) << name;
    const Bytes want = expected == S::Ok ? Bytes(output.begin(), output.end()) : w.bytes;
    EXPECT_TRUE(bytes == want) << name;
}

TEST(Inflate, StoredAndFixedBlocks)
{
    Expect("StoredNlenNotChecked", W().Stored(true, "abc", 0x1234), S::Ok, "abc");
    W lenPastEnd = W().Stored(true, "abc", 0xFFF5);
    lenPastEnd.bytes[1] = 10; // LEN 10, 3 bytes follow
    Expect("StoredLenPastEnd", lenPastEnd, S::Truncated);
    Expect("StoredOverLimit", W().Stored(true, "abc", 0xFFFC), S::OutputLimit, {}, 2);
    Expect("ReservedAfterStored",
           W().Stored(false, "abc", 0xFFFC).Header(true, kReservedBlock).Bits(0, 16),
           S::BadBlockType);

    Expect("FixedDistanceBeforeStart", W().Fixed(true).Lit("a").Match(3, 2).End(), S::BadDistance);
    Expect("FixedLitLenSymbol287", W().Fixed(true).Lit("a").Sym(287).End(), S::BadSymbol);
    Expect("FixedDistanceSymbol30", W().Fixed(true).Lit("a").Sym(257).Code(30, 5).End(),
           S::BadSymbol);
    // Cut after a length (3 + 8 + 4 bits, one padding bit left): the missing
    // distance reads as zeros (distance 1, before the start), but the fault is the cut.
    Expect("FixedCutAfterLength", W().Fixed(true).Sym(280).Bits(0, 4), S::Truncated);
    Expect("TrailingBytesIgnored", W().Fixed(true).Lit("abc").End().Stored(true, "garbage", 0),
           S::Ok, "abc");
    Expect("BlocksOfEachTypeInARow",
           W().Stored(false, "ab", 0).Fixed(false).Lit("c").Match(3, 3).End().Stored(true, "d", 0),
           S::Ok, "abcabcd");
    // The same faults with plenty of stream on both sides, in the fast loop.
    const std::string pad(100, 'p');
    Expect("LongStreamDistanceBeforeStart", W().Fixed(true).Lit(pad).Match(3, 101).Lit(pad).End(),
           S::BadDistance);
    Expect("LongStreamLitLenSymbol286", W().Fixed(true).Lit(pad).Sym(286).Lit(pad).End(),
           S::BadSymbol);
    Expect("LongStreamDistanceSymbol31",
           W().Fixed(true).Lit(pad).Sym(257).Code(31, 5).Lit(pad).End(), S::BadSymbol);
    Expect("LongStreamFarthestValidMatch", W().Fixed(true).Lit(pad).Match(258, 100).Lit(pad).End(),
           S::Ok, pad + (pad + pad + pad).substr(0, 258) + pad);
}

TEST(Inflate, DynamicCodeDescriptions)
{
    // 'a' of one bit, end of block and length 3 of two (10, 11), one
    // distance code of one bit, its other codeword unused (RFC 1951 3.2.7).
    const auto oneDistanceCode = [] {
        return W().Dynamic(LitLen({{'a', 1}, {256, 2}, {257, 2}}, 258), {1}).Code(0, 1).Code(3, 2);
    };
    Expect("DynamicSingleDistanceCode", oneDistanceCode().Code(0, 1).Code(2, 2), S::Ok, "aaaa");
    Expect("DynamicUnusedDistanceCodeword", oneDistanceCode().Code(1, 1).Code(2, 2), S::BadSymbol);
    Expect("DynamicNoEndOfBlockCode", W().Dynamic(LitLen({{'a', 1}, {'b', 1}}), {0}),
           S::BadCodeLengths);
    Expect("DynamicOversubscribedLitLen", W().Dynamic(LitLen({{'a', 1}, {'b', 1}, {256, 1}}), {0}),
           S::BadCodeLengths);
    Expect("DynamicIncompleteLitLen", W().Dynamic(LitLen({{'a', 2}, {256, 2}}), {0}),
           S::BadCodeLengths);
    Expect("DynamicOversubscribedDistance",
           W().Dynamic(LitLen({{'a', 1}, {256, 1}}, 258), {1, 1, 1}), S::BadCodeLengths);
    Expect("DynamicTooManyLitLenCodes", W().Dynamic(LitLen({{'a', 1}, {256, 1}}, 287), {0}),
           S::BadCodeLengths);
    // Code-length codes: all 19 symbols of 1 bit (over-subscribed), two of 2 bits (incomplete).
    for (unsigned len : {1u, 2u}) {
        W w;
        w.Header(true, kDynamicBlock).Bits(0, 10).Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (unsigned i = 0; i < kNumCodeLengthSymbols; ++i)
            w.Bits(len == 1 || i < 2 ? len : 0, 3);
        Expect(len == 1 ? "DynamicOversubscribedCodeLengthCode" : "DynamicIncompleteCodeLengthCode",
               w.Bits(0, 32), S::BadCodeLengths);
    }
    // Under a code-length code of 16 and 18 only (one bit each): a repeat
    // with nothing before it, and zeros past HLIT + HDIST (3 x 138 > 258).
    const auto repeats = [] { // HCLEN 4: 16 and 18 of one bit, 17 and 0 of none
        return W().Header(true, kDynamicBlock).Bits(0, 14).Bits(1 | 1 << 6, 12);
    };
    Expect("DynamicRepeatWithoutPrevious", repeats().Code(0, 1).Bits(3, 2).Bits(0, 16),
           S::BadCodeLengths);
    W pastEnd = repeats();
    for (int i = 0; i < 3; ++i)
        pastEnd.Code(1, 1).Bits(127, 7);
    Expect("DynamicRepeatPastEnd", pastEnd.Bits(0, 16), S::BadCodeLengths);
    // Code-length code: 1, 16, 17 and 18 of two bits (HCLEN 18). 'a' and end
    // of block of one bit, and three zero distance lengths in a repeat that
    // ends exactly at HLIT + HDIST.
    W exact = W().Header(true, kDynamicBlock).Bits(0, 5).Bits(2, 5).Bits(14, 4);
    exact.Bits(2 | 2 << 3 | 2 << 6, 9).Bits(0, 42).Bits(2, 3);
    exact.Code(3, 2).Bits(97 - 11, 7).Code(0, 2);                   // zeros up to 'a', then 1
    exact.Code(3, 2).Bits(127, 7).Code(3, 2).Bits(9, 7).Code(0, 2); // 138 + 20 zeros, then 1
    Expect("DynamicRepeatEndsAtTheLastLength", exact.Code(2, 2).Bits(0, 3).Code(0, 1).Code(1, 1),
           S::Ok, "a");
}

// zlib's streams (several blocks, dynamic and stored) and ours are
// decoded; every proper prefix of the small ones is refused, without
// reading past its end, and left as it was.
TEST(Inflate, DecodesZlibStreamsAndRefusesEveryPrefix)
{
    Bytes large = Mixed(), small(large.begin(), large.begin() + 2000);
    const Bytes noise = RandomBytes(40'000, 2);
    large.insert(large.end(), noise.begin(), noise.end());
    small.insert(small.end(), noise.begin(), noise.begin() + 300);
    for (const auto& [input, stream] :
         {std::pair(large, ZlibDeflate(large, 1)), std::pair(large, ZlibDeflate(large, 9)),
          std::pair(small, ZlibDeflate(small, 6)), std::pair(small, Deflate(small, 5)),
          std::pair(small, Deflate(small, 0))}) {
        SCOPED_TRACE(::testing::Message() << input.size() << " bytes, " << stream.size() << " in");
        Bytes out;
        ASSERT_EQ(Inflate(stream, out, 1 << 20), InflateStatus::Ok);
        ASSERT_TRUE(out == input);
        for (std::size_t len = 0; input.size() < 5000 && len < stream.size(); ++len) {
            Bytes prefix(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(len));
            EXPECT_NE(cCompresion::Descomprimir(prefix, 1000, false), InflateStatus::Ok) << len;
            EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), stream.begin())) << len;
        }
    }
}

} // namespace
} // namespace kolt::deflate::test
