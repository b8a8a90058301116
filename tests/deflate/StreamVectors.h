#pragma once
// Hand-built DEFLATE streams, valid and malformed, with the decoder's
// expected verdict. Shared by the inflater tests and the fuzz seeds.

#include "TestBitWriter.h"
#include "transfer/deflate/Compresion.h"

#include <string>
#include <vector>

namespace kolt::deflate::test {

struct StreamCase {
    std::string name;
    std::vector<std::uint8_t> stream;
    InflateStatus expected;
    std::string output; // what a well-formed stream decodes to
    std::size_t limit = kDefaultOutputLimit;
};

inline std::vector<std::uint8_t> Text(std::string_view s)
{
    return {s.begin(), s.end()};
}

// Literal/length code lengths giving 'a' 1 bit, 'b' and end of block 2 bits,
// or whatever `lengths` overrides; HLIT covers symbols 0..256 (or more).
inline std::vector<std::uint8_t>
LitLenLengths(std::initializer_list<std::pair<unsigned, std::uint8_t>> lengths,
              unsigned count = kMinHlit)
{
    std::vector<std::uint8_t> l(count, 0);
    for (auto [symbol, len] : lengths)
        l[symbol] = len;
    return l;
}

inline std::vector<StreamCase> HandBuiltStreams()
{
    using S = InflateStatus;
    std::vector<StreamCase> cases;
    auto add = [&](std::string name, const TestBitWriter& w, S expected, std::string output = {},
                   std::size_t limit = kDefaultOutputLimit) {
        cases.push_back({std::move(name), w.Finish(), expected, std::move(output), limit});
    };
    const std::vector<std::uint8_t> abc = Text("abc");

    { // Stored blocks.
        TestBitWriter w;
        StoredBlock(w, true, {}, 0xFFFF);
        add("StoredEmpty", w, S::Ok);
    }
    {
        TestBitWriter w;
        StoredBlock(w, true, abc, 0x1234);
        add("StoredNlenNotChecked", w, S::Ok, "abc");
    }
    {
        TestBitWriter w;
        w.Bits(1, 1).Bits(kStoredBlock, 2).Align().Bits(10, 16).Bits(~10u & 0xFFFF, 16).Bytes(abc);
        add("StoredLenPastEnd", w, S::Truncated);
    }
    {
        TestBitWriter w;
        w.Bits(1, 1).Bits(kStoredBlock, 2).Align().Bits(3, 16);
        add("StoredHeaderCut", w, S::Truncated);
    }
    {
        TestBitWriter w;
        StoredBlock(w, true, abc, 0xFFFC);
        add("StoredOverLimit", w, S::OutputLimit, {}, 2);
    }
    {
        TestBitWriter w;
        StoredBlock(w, true, abc, 0xFFFC);
        add("StoredAtLimit", w, S::Ok, "abc", 3);
    }

    { // Fixed-code blocks.
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals("ab").Match(4, 2).Match(3, 1).End();
        add("FixedLiteralsAndMatches", w, S::Ok, "abababbbb");
    }
    {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals("a").Match(3, 2).End();
        add("FixedDistanceBeforeStart", w, S::BadDistance);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Match(3, 1).End();
        add("FixedMatchFirst", w, S::BadDistance);
    }
    for (unsigned symbol : {286u, 287u}) {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals("a").Symbol(symbol).End();
        add("FixedLitLenSymbol" + std::to_string(symbol), w, S::BadSymbol);
    }
    for (unsigned symbol : {30u, 31u}) {
        TestBitWriter w;
        BlockBuilder(w)
            .FixedHeader(true)
            .Literals("a")
            .Symbol(kFirstLengthSymbol)
            .DistanceSymbol(symbol)
            .End();
        add("FixedDistanceSymbol" + std::to_string(symbol), w, S::BadSymbol);
    }
    { // The same faults with plenty of stream on both sides, where the
        // decoder's fast loop meets them.
        const std::string pad(100, 'p');
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals(pad).Match(3, 101).Literals(pad).End();
        add("LongStreamDistanceBeforeStart", w, S::BadDistance);
        TestBitWriter w2;
        BlockBuilder(w2).FixedHeader(true).Literals(pad).Symbol(286).Literals(pad).End();
        add("LongStreamLitLenSymbol286", w2, S::BadSymbol);
        TestBitWriter w3;
        BlockBuilder b3(w3);
        b3.FixedHeader(true).Literals(pad).Symbol(kFirstLengthSymbol).DistanceSymbol(31);
        b3.Literals(pad).End();
        add("LongStreamDistanceSymbol31", w3, S::BadSymbol);
        TestBitWriter w4;
        BlockBuilder(w4).FixedHeader(true).Literals(pad).Match(258, 100).Literals(pad).End();
        add("LongStreamFarthestValidMatch", w4, S::Ok,
            pad + (pad + pad + pad).substr(0, 258) + pad);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals("abc");
        add("FixedMissingEndOfBlock", w, S::Truncated);
    }
    { // Cut after a length (3 + 8 + 4 bits, one padding bit left): the
        // missing distance reads as zeros (distance 1, before the start), but
        // the fault is the cut.
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Symbol(280);
        w.Bits(0, 4);
        add("FixedCutAfterLength", w, S::Truncated);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(false).Literals("abc").End();
        add("NonFinalBlockThenNothing", w, S::Truncated);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).FixedHeader(true).Literals("abc").End();
        w.Align().Bytes(Text("garbage after the end"));
        add("TrailingBytesIgnored", w, S::Ok, "abc");
    }
    { // 1 + 258 * 7937 = 2,047,747 bytes, then 253 more: exactly the limit.
        TestBitWriter w;
        BlockBuilder b(w);
        b.FixedHeader(true).Literals("a");
        for (int i = 0; i < 7937; ++i)
            b.Match(258, 1);
        b.Match(253, 1).End();
        add("RunToTheLimit", w, S::Ok, std::string(kDefaultOutputLimit, 'a'));
        TestBitWriter over;
        BlockBuilder o(over);
        o.FixedHeader(true).Literals("a");
        for (int i = 0; i < 7937; ++i)
            o.Match(258, 1);
        o.Match(254, 1).End();
        add("RunPastTheLimit", over, S::OutputLimit);
    }

    { // Block types and mixtures.
        TestBitWriter w;
        w.Bits(1, 1).Bits(kReservedBlock, 2).Bits(0, 16);
        add("ReservedBlockType", w, S::BadBlockType);
    }
    {
        TestBitWriter w;
        StoredBlock(w, false, abc, 0xFFFC);
        w.Bits(1, 1).Bits(kReservedBlock, 2).Bits(0, 16);
        add("ReservedAfterStored", w, S::BadBlockType);
    }
    {
        TestBitWriter w;
        StoredBlock(w, false, abc, 0xFFFC);
        BlockBuilder(w).FixedHeader(false).Match(3, 3).End();
        BlockBuilder(w)
            .DynamicHeader(true, LitLenLengths({{'a', 1}, {'b', 2}, {256, 2}}), {0})
            .Literals("ba")
            .End();
        add("StoredFixedDynamic", w, S::Ok, "abcabcba");
    }
    add("EmptyInput", TestBitWriter{}, S::Truncated);

    { // Dynamic blocks.
        TestBitWriter w;
        BlockBuilder(w)
            .DynamicHeader(true, LitLenLengths({{'a', 1}, {'b', 2}, {256, 2}}), {0})
            .Literals("abba")
            .End();
        add("DynamicLiteralsOnly", w, S::Ok, "abba");
    }
    { // One distance code: one bit, one codeword unused (RFC 1951 3.2.7).
        TestBitWriter w;
        BlockBuilder(w)
            .DynamicHeader(true, LitLenLengths({{'a', 1}, {256, 2}, {257, 2}}, 258), {1})
            .Literals("a")
            .Match(3, 1)
            .End();
        add("DynamicSingleDistanceCode", w, S::Ok, "aaaa");
    }
    {
        TestBitWriter w;
        BlockBuilder b(w);
        b.DynamicHeader(true, LitLenLengths({{'a', 1}, {256, 2}, {257, 2}}, 258), {1})
            .Literals("a")
            .Symbol(257);
        w.Code(1, 1); // the unused distance codeword
        b.End();
        add("DynamicUnusedDistanceCodeword", w, S::BadSymbol);
    }
    { // Codewords up to 15 bits in both codes: 'a'..'m' 1..13 bits, length
        // symbol 257 14 bits, 'n' and end of block 15; distance symbols 0..15
        // 1..15 bits (14 and 15 the longest).
        std::vector<std::uint8_t> litLen(258, 0), dist(16, 0);
        for (unsigned i = 0; i < 13; ++i)
            litLen['a' + i] = static_cast<std::uint8_t>(i + 1);
        litLen[257] = 14;
        litLen['n'] = litLen[256] = 15;
        for (unsigned d = 0; d < 15; ++d)
            dist[d] = static_cast<std::uint8_t>(d + 1);
        dist[15] = 15;
        std::string text;
        for (int i = 0; i < 10; ++i)
            text += "abcdefghijklmn";
        TestBitWriter w;
        BlockBuilder b(w);
        b.DynamicHeader(true, litLen, dist).Literals(text).Match(3, 130).Match(3, 1).End();
        text += text.substr(text.size() - 130, 3);
        text += std::string(3, text.back());
        add("DynamicFifteenBitCodes", w, S::Ok, text);
    }
    {
        TestBitWriter w;
        BlockBuilder(w)
            .DynamicHeader(true, LitLenLengths({{'a', 1}, {'b', 1}}), {0})
            .Literals("ab");
        add("DynamicNoEndOfBlockCode", w, S::BadCodeLengths);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).DynamicHeader(true, LitLenLengths({{'a', 1}, {'b', 1}, {256, 1}}), {0});
        add("DynamicOversubscribedLitLen", w, S::BadCodeLengths);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).DynamicHeader(true, LitLenLengths({{'a', 2}, {256, 2}}), {0});
        add("DynamicIncompleteLitLen", w, S::BadCodeLengths);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).DynamicHeader(true, LitLenLengths({{'a', 1}, {256, 1}}, 258), {1, 1, 1});
        add("DynamicOversubscribedDistance", w, S::BadCodeLengths);
    }
    {
        TestBitWriter w;
        BlockBuilder(w).DynamicHeader(true, LitLenLengths({{'a', 1}, {256, 1}}, 287), {0});
        add("DynamicTooManyLitLenCodes", w, S::BadCodeLengths);
    }
    { // Code-length codes: all 1 bit (over-subscribed), two of 2 bits (incomplete).
        for (unsigned variant = 0; variant < 2; ++variant) {
            TestBitWriter w;
            w.Bits(1, 1)
                .Bits(kDynamicBlock, 2)
                .Bits(0, 5)
                .Bits(0, 5)
                .Bits(kNumCodeLengthSymbols - 4, 4);
            for (unsigned i = 0; i < kNumCodeLengthSymbols; ++i)
                w.Bits(variant == 0 ? 1 : (i < 2 ? 2 : 0), 3);
            w.Bits(0, 32);
            add(variant == 0 ? "DynamicOversubscribedCodeLengthCode"
                             : "DynamicIncompleteCodeLengthCode",
                w, S::BadCodeLengths);
        }
    }
    { // Code-length sequences: 16 first, and a run of zeros past HLIT + HDIST.
        // Code-length code: 16 and 18 one bit each (16 is sent first in order).
        for (unsigned variant = 0; variant < 2; ++variant) {
            TestBitWriter w;
            w.Bits(1, 1).Bits(kDynamicBlock, 2).Bits(0, 5).Bits(0, 5).Bits(0, 4);
            w.Bits(1, 3).Bits(0, 3).Bits(1, 3).Bits(0,
                                                    3); // 16: 1 bit, 17: none, 18: 1 bit, 0: none
            if (variant == 0)
                w.Code(0, 1).Bits(3, 2); // 16 with nothing before it
            else
                w.Code(1, 1).Bits(127, 7).Code(1, 1).Bits(127, 7).Code(1, 1).Bits(
                    127, 7); // 3 x 138 zeros > 258
            w.Bits(0, 16);
            add(variant == 0 ? "DynamicRepeatWithoutPrevious" : "DynamicRepeatPastEnd", w,
                S::BadCodeLengths);
        }
    }
    {
        TestBitWriter w;
        w.Bits(1, 1).Bits(kDynamicBlock, 2).Bits(0, 5).Bits(0, 5).Bits(15, 4).Bits(4, 3);
        add("DynamicHeaderCut", w, S::Truncated);
    }
    return cases;
}

} // namespace kolt::deflate::test
