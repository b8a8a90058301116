#pragma once
// A deliberately plain bit writer for building DEFLATE streams by hand in
// tests, independent of the codec's own writer: one bit at a time, fields
// least significant bit first, Huffman codes most significant bit first.

#include "transfer/deflate/DeflateConstants.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace kolt::deflate::test {

class TestBitWriter {
public:
    // A field of `count` bits, least significant first (headers, extra bits).
    TestBitWriter& Bits(std::uint32_t value, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i)
            Bit((value >> i) & 1u);
        return *this;
    }

    // A Huffman codeword of `length` bits, most significant first.
    TestBitWriter& Code(std::uint32_t code, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1u);
        return *this;
    }

    TestBitWriter& Align()
    {
        while (m_count % 8 != 0)
            Bit(0);
        return *this;
    }

    TestBitWriter& Bytes(std::span<const std::uint8_t> bytes)
    {
        for (std::uint8_t b : bytes)
            Bits(b, 8);
        return *this;
    }

    // The stream, padded with zero bits to a whole byte; exactly sized, so
    // that AddressSanitizer sees any read past its end.
    std::vector<std::uint8_t> Finish() const { return std::vector<std::uint8_t>(m_bytes); }

private:
    void Bit(unsigned bit)
    {
        if (m_count % 8 == 0) m_bytes.push_back(0);
        m_bytes.back() |= static_cast<std::uint8_t>(bit << (m_count % 8));
        ++m_count;
    }

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_count = 0;
};

// The fixed code of BTYPE 1 (RFC 1951 3.2.6): codeword and length of a
// literal/length symbol.
inline std::pair<std::uint32_t, unsigned> FixedLitLenCode(unsigned symbol)
{
    if (symbol < 144) return {0x30 + symbol, 8};
    if (symbol < 256) return {0x190 + symbol - 144, 9};
    if (symbol < 280) return {symbol - 256, 7};
    return {0xC0 + symbol - 280, 8};
}

// Canonical codewords for `lengths` (RFC 1951 3.2.2), most significant bit
// first; computed here independently of the codec.
inline std::vector<std::uint32_t> CanonicalCodes(std::span<const std::uint8_t> lengths)
{
    std::vector<std::uint32_t> codes(lengths.size());
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodewordLen; ++len) {
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == len) codes[s] = code++;
        code <<= 1;
    }
    return codes;
}

// Writers for the symbols of a block, on top of TestBitWriter.
class BlockBuilder {
public:
    explicit BlockBuilder(TestBitWriter& w) : m_w(w) {}

    // A fixed-code block header.
    BlockBuilder& FixedHeader(bool final)
    {
        m_w.Bits(final ? 1 : 0, 1).Bits(kFixedBlock, 2);
        m_fixed = true;
        return *this;
    }

    // A dynamic block header with the given code lengths, each sent as a
    // plain code-length symbol (no repeats) under a complete code-length code.
    BlockBuilder& DynamicHeader(bool final, std::vector<std::uint8_t> litLen,
                                std::vector<std::uint8_t> dist)
    {
        // 13 code-length symbols of 4 bits and 6 of 5 bits fill the code space.
        std::vector<std::uint8_t> clLengths(kNumCodeLengthSymbols, 4);
        for (unsigned s = 13; s < kNumCodeLengthSymbols; ++s)
            clLengths[s] = 5;
        const std::vector<std::uint32_t> clCodes = CanonicalCodes(clLengths);
        m_w.Bits(final ? 1 : 0, 1).Bits(kDynamicBlock, 2);
        m_w.Bits(static_cast<std::uint32_t>(litLen.size() - kMinHlit), 5);
        m_w.Bits(static_cast<std::uint32_t>(dist.size() - kMinHdist), 5);
        m_w.Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (std::uint8_t s : kCodeLengthOrder)
            m_w.Bits(clLengths[s], 3);
        for (std::uint8_t len : litLen)
            m_w.Code(clCodes[len], clLengths[len]);
        for (std::uint8_t len : dist)
            m_w.Code(clCodes[len], clLengths[len]);
        m_fixed = false;
        m_litLen = std::move(litLen);
        m_dist = std::move(dist);
        m_litLenCodes = CanonicalCodes(m_litLen);
        m_distCodes = CanonicalCodes(m_dist);
        return *this;
    }

    BlockBuilder& Symbol(unsigned litLenSymbol)
    {
        if (m_fixed) {
            const auto [code, len] = FixedLitLenCode(litLenSymbol);
            m_w.Code(code, len);
        } else {
            m_w.Code(m_litLenCodes[litLenSymbol], m_litLen[litLenSymbol]);
        }
        return *this;
    }

    BlockBuilder& Literals(std::string_view text)
    {
        for (char c : text)
            Symbol(static_cast<std::uint8_t>(c));
        return *this;
    }

    BlockBuilder& DistanceSymbol(unsigned symbol)
    {
        if (m_fixed)
            m_w.Code(symbol, kFixedDistLength);
        else
            m_w.Code(m_distCodes[symbol], m_dist[symbol]);
        return *this;
    }

    // A match (length 3..258, distance 1..32768) with its extra bits.
    BlockBuilder& Match(unsigned length, unsigned distance)
    {
        const unsigned li = kLengthSymbolIndex[length];
        Symbol(kFirstLengthSymbol + li);
        m_w.Bits(length - kLengthBase[li], kLengthExtra[li]);
        const unsigned ds = DistSymbol(distance);
        DistanceSymbol(ds);
        m_w.Bits(distance - kDistBase[ds], kDistExtra[ds]);
        return *this;
    }

    BlockBuilder& End() { return Symbol(kEndOfBlock); }

private:
    TestBitWriter& m_w;
    bool m_fixed = true;
    std::vector<std::uint8_t> m_litLen, m_dist;
    std::vector<std::uint32_t> m_litLenCodes, m_distCodes;
};

// A stored block: header, LEN, NLEN (given, to allow wrong ones) and data.
inline void StoredBlock(TestBitWriter& w, bool final, std::span<const std::uint8_t> data,
                        std::uint16_t nlen)
{
    w.Bits(final ? 1 : 0, 1).Bits(kStoredBlock, 2).Align();
    w.Bits(static_cast<std::uint32_t>(data.size()), 16).Bits(nlen, 16).Bytes(data);
}

} // namespace kolt::deflate::test
