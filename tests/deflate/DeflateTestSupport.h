#pragma once
// Shared pieces of the codec tests: zlib as the independent RFC 1951
// implementation, generated inputs, and a bit writer for hand-built streams.

#include "transfer/deflate/Compresion.h"
#include "transfer/deflate/DeflateConstants.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::deflate {

inline void PrintTo(InflateStatus status, std::ostream* os)
{
    *os << Describe(status);
}

namespace test {

using Bytes = std::vector<std::uint8_t>;

// zlib's raw inflate; true when it ends the stream with exactly `expected`.
inline bool ZlibInflates(const Bytes& stream, const Bytes& expected)
{
    z_stream z{};
    Bytes out(expected.size() + 1); // one spare byte: a longer result is a failure
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = ::inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    return rc == Z_STREAM_END && out == expected;
}

// zlib's raw deflate; with `flushEvery`, a Z_FULL_FLUSH after every so many
// input bytes ends the block there (several blocks of mixed types).
inline Bytes ZlibDeflate(const Bytes& input, int level, int strategy, std::size_t flushEvery = 0)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy);
    Bytes out(2 * input.size() + 1024);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    std::size_t at = 0;
    do {
        const std::size_t chunk =
            flushEvery ? std::min(flushEvery, input.size() - at) : input.size();
        z.next_in = const_cast<Bytef*>(input.data() + at);
        z.avail_in = static_cast<uInt>(chunk);
        at += chunk;
        ::deflate(&z, at == input.size() ? Z_FINISH : Z_FULL_FLUSH);
    } while (at < input.size());
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline Bytes RandomBytes(std::size_t n, unsigned seed, unsigned alphabet = 256)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() % alphabet);
    return out;
}

// Up to 98,304 bytes in which no 3-byte string occurs twice: group j spells
// j's three base-32 digits from three disjoint ranges of values.
inline Bytes NoRepeats(std::size_t n)
{
    Bytes out;
    for (unsigned j = 0; out.size() < n; ++j)
        out.insert(out.end(), {static_cast<std::uint8_t>(j / 1024),
                               static_cast<std::uint8_t>(32 + j / 32 % 32),
                               static_cast<std::uint8_t>(64 + j % 32)});
    out.resize(n);
    return out;
}

// Text from a small vocabulary: compressible, with matches of every length.
inline Bytes PseudoText(std::size_t n, unsigned seed)
{
    static const std::string_view kWords[] = {"the ",  "radio ", "operator ", "sends ", "a ",
                                              "file ", "over ",  "link ",     "73 ",    "\r\n"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const std::string_view w = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(n);
    return out;
}

// Text, many short matches (four byte values), a repeat from 70,000 back
// (out of reach) and a run of 3,000 zeros: matches of every length and distance.
inline Bytes Mixed()
{
    Bytes in = PseudoText(30'000, 41);
    const Bytes noise = RandomBytes(40'000, 42, 4);
    in.insert(in.end(), noise.begin(), noise.end());
    const Bytes head(in.begin(), in.begin() + 5'000);
    in.insert(in.end(), head.begin(), head.end());
    in.insert(in.end(), 3'000, 0);
    return in;
}

// Canonical codewords for `lengths` (RFC 1951 3.2.2), most significant bit first.
inline std::vector<std::uint32_t> CanonicalCodes(std::span<const std::uint8_t> lengths)
{
    std::vector<std::uint32_t> codes(lengths.size());
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodewordLen; ++len, code <<= 1)
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == len) codes[s] = code++;
    return codes;
}

// A deliberately plain writer for hand-built streams, independent of the
// codec's own: one bit at a time, fields least significant bit first,
// Huffman codes most significant bit first. The stream is exactly sized, so
// that AddressSanitizer sees any read past its end.
class TestBitWriter {
public:
    using W = TestBitWriter;

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

    // A stored block with the given NLEN, to allow wrong ones.
    W& Stored(bool final, std::string_view data, std::uint16_t nlen)
    {
        Header(final, kStoredBlock).Bits(0, (8 - m_count % 8) % 8);
        Bits(static_cast<std::uint32_t>(data.size()), 16).Bits(nlen, 16);
        for (char b : data)
            Bits(static_cast<std::uint8_t>(b), 8);
        return *this;
    }

    W& Fixed(bool final)
    {
        std::vector<std::uint8_t> litLen(kNumLitLenSymbols, 8);
        std::fill(litLen.begin() + 144, litLen.begin() + 256, 9);
        std::fill(litLen.begin() + 256, litLen.begin() + 280, 7);
        Use(litLen, std::vector<std::uint8_t>(kNumDistSymbols, kFixedDistLength));
        return Header(final, kFixedBlock);
    }

    // A dynamic block header with the given code lengths, each sent as a
    // plain code-length symbol (no repeats) under a complete code-length code:
    // 13 symbols of 4 bits and 6 of 5 bits.
    W& Dynamic(bool final, const std::vector<std::uint8_t>& litLen,
               const std::vector<std::uint8_t>& dist)
    {
        std::vector<std::uint8_t> clLengths(kNumCodeLengthSymbols, 4);
        std::fill(clLengths.begin() + 13, clLengths.end(), 5);
        const std::vector<std::uint32_t> clCodes = CanonicalCodes(clLengths);
        Header(final, kDynamicBlock).Bits(static_cast<std::uint32_t>(litLen.size() - kMinHlit), 5);
        Bits(static_cast<std::uint32_t>(dist.size() - kMinHdist), 5);
        Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (std::uint8_t s : kCodeLengthOrder)
            Bits(clLengths[s], 3);
        for (const auto* lengths : {&litLen, &dist})
            for (std::uint8_t len : *lengths)
                Code(clCodes[len], clLengths[len]);
        Use(litLen, dist);
        return *this;
    }

    W& Sym(unsigned s) { return Code(m_litLenCodes[s], m_litLen[s]); }
    W& Dist(unsigned s) { return Code(m_distCodes[s], m_dist[s]); }
    W& End() { return Sym(kEndOfBlock); }

    W& Lit(std::string_view text)
    {
        for (char c : text)
            Sym(static_cast<std::uint8_t>(c));
        return *this;
    }

    // A match (length 3..258, distance 1..32768) with its extra bits.
    W& Match(unsigned length, unsigned distance)
    {
        const unsigned li = kLengthSymbolIndex[length];
        const unsigned ds = DistSymbol(distance);
        Sym(kFirstLengthSymbol + li).Bits(length - kLengthBase[li], kLengthExtra[li]);
        return Dist(ds).Bits(distance - kDistBase[ds], kDistExtra[ds]);
    }

    Bytes bytes;

private:
    // The codes the following symbols are written with.
    void Use(const std::vector<std::uint8_t>& litLen, const std::vector<std::uint8_t>& dist)
    {
        m_litLenCodes = CanonicalCodes(litLen);
        m_distCodes = CanonicalCodes(dist);
        m_litLen = litLen;
        m_dist = dist;
    }

    std::size_t m_count = 0;
    std::vector<std::uint8_t> m_litLen, m_dist;
    std::vector<std::uint32_t> m_litLenCodes, m_distCodes;
};

} // namespace test
} // namespace kolt::deflate
