#include "transfer/deflate/BlockWriter.h"

#include "transfer/deflate/BitWriter.h"
#include "transfer/deflate/HuffmanCode.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace kolt::deflate {

namespace {

constexpr std::array<std::uint8_t, 3> kRepeatExtraBits = {2, 3, 7}; // for 16, 17, 18

unsigned ExtraBitsOf(unsigned codeLengthSymbol)
{
    return codeLengthSymbol >= kRepeatPrevious
               ? kRepeatExtraBits[codeLengthSymbol - kRepeatPrevious]
               : 0;
}

// The description of a dynamic block's codes, ready to write.
struct DynamicHeader {
    unsigned hlit = kMinHlit;
    unsigned hdist = kMinHdist;
    unsigned hclen = kMinHclen;
    std::array<std::uint8_t, kNumCodeLengthSymbols> clLength{};
    std::array<std::uint16_t, kNumCodeLengthSymbols> clCode{};
    // The run-length coded code lengths: symbol 0..18 and its extra-bit value.
    std::array<std::uint8_t, kNumLitLenSymbols + kNumDistSymbols> symbol{};
    std::array<std::uint8_t, kNumLitLenSymbols + kNumDistSymbols> extra{};
    unsigned count = 0;
    std::uint64_t bits = 0; // everything after BFINAL and BTYPE

    void Push(unsigned sym, unsigned value)
    {
        symbol[count] = static_cast<std::uint8_t>(sym);
        extra[count++] = static_cast<std::uint8_t>(value);
    }
};

void RunLengthCode(std::span<const std::uint8_t> lengths, DynamicHeader& h)
{
    for (std::size_t i = 0; i < lengths.size();) {
        const std::uint8_t value = lengths[i];
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == value)
            ++run;
        i += run;
        if (value == 0) {
            while (run >= 11) {
                const std::size_t r = std::min<std::size_t>(run, 138);
                h.Push(kRepeatZero11, static_cast<unsigned>(r - 11));
                run -= r;
            }
            if (run >= 3) {
                h.Push(kRepeatZero3, static_cast<unsigned>(run - 3));
                run = 0;
            }
        } else {
            h.Push(value, 0);
            --run;
            while (run >= 3) {
                const std::size_t r = std::min<std::size_t>(run, 6);
                h.Push(kRepeatPrevious, static_cast<unsigned>(r - 3));
                run -= r;
            }
        }
        for (; run > 0; --run)
            h.Push(value, 0);
    }
}

DynamicHeader DescribeCodes(const Trees& trees)
{
    DynamicHeader h;
    h.hlit = kNumUsedLitLenSymbols;
    while (h.hlit > kMinHlit && trees.litLenLength[h.hlit - 1] == 0)
        --h.hlit;
    h.hdist = kNumUsedDistSymbols;
    while (h.hdist > kMinHdist && trees.distLength[h.hdist - 1] == 0)
        --h.hdist;

    // One sequence: runs may cross from the literal/length into the distance lengths.
    std::array<std::uint8_t, kNumLitLenSymbols + kNumDistSymbols> lengths{};
    std::copy_n(trees.litLenLength.begin(), h.hlit, lengths.begin());
    std::copy_n(trees.distLength.begin(), h.hdist, lengths.begin() + h.hlit);
    RunLengthCode(std::span(lengths).first(h.hlit + h.hdist), h);

    std::array<std::uint32_t, kNumCodeLengthSymbols> freq{};
    for (unsigned i = 0; i < h.count; ++i)
        ++freq[h.symbol[i]];
    BuildCodeLengths(freq, kMaxCodeLengthCodewordLen, h.clLength);
    BuildCanonicalCodes(h.clLength, h.clCode);
    h.hclen = kNumCodeLengthSymbols;
    while (h.hclen > kMinHclen && h.clLength[kCodeLengthOrder[h.hclen - 1]] == 0)
        --h.hclen;

    h.bits = kHlitBits + kHdistBits + kHclenBits + kCodeLengthCodeBits * h.hclen;
    for (unsigned i = 0; i < h.count; ++i)
        h.bits += h.clLength[h.symbol[i]] + ExtraBitsOf(h.symbol[i]);
    return h;
}

// Bits of the parse's symbols (end of block included) under `trees`.
std::uint64_t DataBits(const Parse& parse, const Trees& trees)
{
    std::uint64_t bits = 0;
    for (unsigned s = 0; s < kNumUsedLitLenSymbols; ++s)
        bits += std::uint64_t{parse.litLenFreq[s]} * trees.litLenLength[s];
    for (unsigned i = 0; i < kNumLengthSymbols; ++i)
        bits += std::uint64_t{parse.litLenFreq[kFirstLengthSymbol + i]} * kLengthExtra[i];
    for (unsigned d = 0; d < kNumUsedDistSymbols; ++d)
        bits += std::uint64_t{parse.distFreq[d]} * (trees.distLength[d] + kDistExtra[d]);
    return bits;
}

void WriteHeader(BitWriter& w, const DynamicHeader& h)
{
    w.Put(h.hlit - kMinHlit, kHlitBits);
    w.Put(h.hdist - kMinHdist, kHdistBits);
    w.Put(h.hclen - kMinHclen, kHclenBits);
    w.Flush();
    for (unsigned i = 0; i < h.hclen; ++i) {
        w.Put(h.clLength[kCodeLengthOrder[i]], kCodeLengthCodeBits);
        if (i % 8 == 7) w.Flush();
    }
    w.Flush();
    for (unsigned i = 0; i < h.count; ++i) {
        const unsigned sym = h.symbol[i];
        w.Put(h.clCode[sym], h.clLength[sym]);
        w.Put(h.extra[i], ExtraBitsOf(sym));
        w.Flush();
    }
}

void WriteTokens(BitWriter& w, std::span<const Token> tokens, const Trees& t)
{
    for (const Token tok : tokens) {
        if (tok.distance == 0) {
            w.Put(t.litLenCode[tok.lengthOrLiteral], t.litLenLength[tok.lengthOrLiteral]);
        } else {
            const unsigned li = kLengthSymbolIndex[tok.lengthOrLiteral];
            const unsigned ls = kFirstLengthSymbol + li;
            w.Put(t.litLenCode[ls], t.litLenLength[ls]);
            w.Put(tok.lengthOrLiteral - kLengthBase[li], kLengthExtra[li]);
            const unsigned ds = DistSymbol(tok.distance);
            w.Put(t.distCode[ds], t.distLength[ds]);
            w.Put(tok.distance - kDistBase[ds], kDistExtra[ds]);
        }
        w.Flush();
    }
    w.Put(t.litLenCode[kEndOfBlock], t.litLenLength[kEndOfBlock]);
}

Trees BuildTrees(const Parse& parse)
{
    Trees t;
    BuildCodeLengths(std::span(parse.litLenFreq).first(kNumUsedLitLenSymbols), kMaxCodewordLen,
                     std::span(t.litLenLength).first(kNumUsedLitLenSymbols));
    BuildCodeLengths(std::span(parse.distFreq).first(kNumUsedDistSymbols), kMaxCodewordLen,
                     std::span(t.distLength).first(kNumUsedDistSymbols));
    BuildCanonicalCodes(t.litLenLength, t.litLenCode);
    BuildCanonicalCodes(t.distLength, t.distCode);
    return t;
}

} // namespace

const Trees& init_Trees()
{
    static const Trees fixed = [] {
        Trees t;
        for (unsigned s = 0; s < kNumLitLenSymbols; ++s)
            t.litLenLength[s] = static_cast<std::uint8_t>(FixedLitLenLength(s));
        t.distLength.fill(kFixedDistLength);
        BuildCanonicalCodes(t.litLenLength, t.litLenCode);
        BuildCanonicalCodes(t.distLength, t.distCode);
        return t;
    }();
    return fixed;
}

std::vector<std::uint8_t> WriteStored(std::span<const std::uint8_t> input)
{
    const std::size_t blocks =
        std::max<std::size_t>(1, (input.size() + kMaxStoredLen - 1) / kMaxStoredLen);
    std::vector<std::uint8_t> out(input.size() + blocks * kStoredHeaderBytes);
    std::uint8_t* o = out.data();
    std::size_t at = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        const auto len =
            static_cast<unsigned>(std::min<std::size_t>(kMaxStoredLen, input.size() - at));
        const unsigned nlen = ~len & 0xFFFFu;
        // BFINAL and BTYPE 00 in the low bits, the rest of the byte is padding.
        *o++ = b + 1 == blocks ? 1 : 0;
        *o++ = static_cast<std::uint8_t>(len);
        *o++ = static_cast<std::uint8_t>(len >> 8);
        *o++ = static_cast<std::uint8_t>(nlen);
        *o++ = static_cast<std::uint8_t>(nlen >> 8);
        if (len != 0) std::memcpy(o, input.data() + at, len);
        o += len;
        at += len;
    }
    return out;
}

std::vector<std::uint8_t> WriteFinalBlock(std::span<const std::uint8_t> input, const Parse& parse)
{
    constexpr unsigned kHeaderBits = kBfinalBits + kBtypeBits;
    const Trees& fixed = init_Trees();
    const Trees dynamic = BuildTrees(parse);
    const DynamicHeader header = DescribeCodes(dynamic);

    Btype type = kStoredBlock;
    std::uint64_t bytes = input.size() + kStoredHeaderBytes;
    const std::uint64_t fixedBytes = (kHeaderBits + DataBits(parse, fixed) + 7) / 8;
    if (fixedBytes < bytes) {
        type = kFixedBlock;
        bytes = fixedBytes;
    }
    const std::uint64_t dynamicBytes =
        (kHeaderBits + header.bits + DataBits(parse, dynamic) + 7) / 8;
    if (dynamicBytes < bytes) {
        type = kDynamicBlock;
        bytes = dynamicBytes;
    }
    if (type == kStoredBlock) return WriteStored(input);

    std::vector<std::uint8_t> out(bytes + 8); // the writer stores 8 bytes at a time
    BitWriter w(out.data(), out.data() + out.size());
    w.Put(1, kBfinalBits);
    w.Put(type, kBtypeBits);
    if (type == kDynamicBlock) WriteHeader(w, header);
    WriteTokens(w, parse.tokens, type == kDynamicBlock ? dynamic : fixed);
    const std::size_t written = w.Finish();
    assert(!w.Overflowed() && written == bytes);
    if (w.Overflowed()) return WriteStored(input);
    out.resize(written);
    return out;
}

} // namespace kolt::deflate
