#pragma once
// Shared pieces of the codec tests: zlib as the independent RFC 1951
// implementation, generated inputs with known properties, the corpus, and a
// bit writer for hand-built streams.

#include "transfer/deflate/Compresion.h"
#include "transfer/deflate/DeflateConstants.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
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
    if (inflateInit2(&z, -15) != Z_OK) return false;
    Bytes out(expected.size() + 1); // one spare byte: a longer result is a failure
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
// input bytes, which ends the block there (several blocks of mixed types).
inline Bytes ZlibDeflate(const Bytes& input, int level, int strategy = Z_DEFAULT_STRATEGY,
                         std::size_t flushEvery = 0)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy);
    Bytes out(deflateBound(&z, static_cast<uLong>(input.size())) + 64 * (input.size() / 64 + 1));
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

// Takes `tail` by value, so that it may be a copy of part of `to`.
inline void Append(Bytes& to, Bytes tail)
{
    to.insert(to.end(), tail.begin(), tail.end());
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
// j's three base-32 digits from three disjoint ranges of values, so any three
// consecutive bytes tell where they stand. Input without a single match.
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

// English-like text from a small vocabulary: compressible, with matches of
// every length and distance.
inline Bytes PseudoText(std::size_t n, unsigned seed)
{
    static const char* const kWords[] = {
        "the ", "radio ",   "operator ", "sends ", "a ",    "file ",   "over ",   "link ",
        "and ", "station ", "answers ",  "73 ",    "with ", "signal ", "report ", "59 ",
        "QSL ", "via ",     "bureau ",   "CQ ",    "DX ",   "\r\n"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const char* w = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(n);
    return out;
}

// Text, many short matches (four byte values), a repeat from 70,000 back
// (out of reach) and a long run: matches of every length and distance.
inline Bytes Mixed()
{
    Bytes in = PseudoText(30'000, 41);
    Append(in, RandomBytes(40'000, 42, 4));
    Append(in, Bytes(in.begin(), in.begin() + 5'000));
    Append(in, Bytes(3'000, 0));
    return in;
}

struct CorpusFile {
    std::string name;
    Bytes data; // the first 600,000 bytes, the most the station compresses
};

inline std::vector<CorpusFile> CorpusFiles()
{
    std::vector<CorpusFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(KOLT_CORPUS_DIR)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        Bytes data(std::min<std::size_t>(600'000, entry.file_size()));
        in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
        files.push_back({entry.path().filename().string(), std::move(data)});
    }
    std::sort(files.begin(), files.end(),
              [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; });
    return files;
}

// The code lengths of BTYPE 1's literal/length code (RFC 1951 3.2.6).
inline std::vector<std::uint8_t> FixedLitLenLengths()
{
    std::vector<std::uint8_t> lengths(kNumLitLenSymbols, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    return lengths;
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
// codec's own: one bit at a time, fields least significant bit first, Huffman
// codes most significant bit first, block headers and symbols on top.
class TestBitWriter {
public:
    using W = TestBitWriter;

    // A field of `count` bits, least significant first (headers, extra bits).
    W& Bits(std::uint32_t value, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i)
            Bit((value >> i) & 1u);
        return *this;
    }

    // A Huffman codeword of `length` bits, most significant first.
    W& Code(std::uint32_t code, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1u);
        return *this;
    }

    W& Align()
    {
        while (m_count % 8 != 0)
            Bit(0);
        return *this;
    }

    W& Bytes(std::string_view bytes)
    {
        for (char b : bytes)
            Bits(static_cast<std::uint8_t>(b), 8);
        return *this;
    }

    W& Header(bool final, unsigned type) { return Bits(final ? 1 : 0, 1).Bits(type, 2); }

    // A stored block with the given NLEN, to allow wrong ones.
    W& Stored(bool final, std::string_view data, std::uint16_t nlen)
    {
        Header(final, kStoredBlock).Align();
        return Bits(static_cast<std::uint32_t>(data.size()), 16).Bits(nlen, 16).Bytes(data);
    }

    W& Fixed(bool final)
    {
        Use(FixedLitLenLengths(), std::vector<std::uint8_t>(kNumDistSymbols, kFixedDistLength));
        return Header(final, kFixedBlock);
    }

    // A dynamic block header with the given code lengths, each sent as a
    // plain code-length symbol (no repeats) under a complete code-length code:
    // 13 symbols of 4 bits and 6 of 5 bits.
    W& Dynamic(bool final, std::vector<std::uint8_t> litLen, std::vector<std::uint8_t> dist)
    {
        std::vector<std::uint8_t> clLengths(kNumCodeLengthSymbols, 4);
        std::fill(clLengths.begin() + 13, clLengths.end(), 5);
        const std::vector<std::uint32_t> clCodes = CanonicalCodes(clLengths);
        Header(final, kDynamicBlock);
        Bits(static_cast<std::uint32_t>(litLen.size() - kMinHlit), 5);
        Bits(static_cast<std::uint32_t>(dist.size() - kMinHdist), 5);
        Bits(kNumCodeLengthSymbols - kMinHclen, 4);
        for (std::uint8_t s : kCodeLengthOrder)
            Bits(clLengths[s], 3);
        for (const auto* lengths : {&litLen, &dist})
            for (std::uint8_t len : *lengths)
                Code(clCodes[len], clLengths[len]);
        Use(std::move(litLen), std::move(dist));
        return *this;
    }

    W& Sym(unsigned s) { return Code(m_litLenCodes[s], m_litLen[s]); }

    W& Lit(std::string_view text)
    {
        for (char c : text)
            Sym(static_cast<std::uint8_t>(c));
        return *this;
    }

    W& Dist(unsigned s) { return Code(m_distCodes[s], m_dist[s]); }

    // A match (length 3..258, distance 1..32768) with its extra bits.
    W& Match(unsigned length, unsigned distance)
    {
        const unsigned li = kLengthSymbolIndex[length];
        const unsigned ds = DistSymbol(distance);
        Sym(kFirstLengthSymbol + li).Bits(length - kLengthBase[li], kLengthExtra[li]);
        return Dist(ds).Bits(distance - kDistBase[ds], kDistExtra[ds]);
    }

    W& End() { return Sym(kEndOfBlock); }

    // The stream, padded with zero bits to a whole byte; exactly sized, so
    // that AddressSanitizer sees any read past its end.
    std::vector<std::uint8_t> Finish() const { return m_bytes; }

private:
    // The codes the following symbols are written with.
    void Use(std::vector<std::uint8_t> litLen, std::vector<std::uint8_t> dist)
    {
        m_litLenCodes = CanonicalCodes(litLen);
        m_distCodes = CanonicalCodes(dist);
        m_litLen = std::move(litLen);
        m_dist = std::move(dist);
    }

    void Bit(unsigned bit)
    {
        if (m_count % 8 == 0) m_bytes.push_back(0);
        m_bytes.back() |= static_cast<std::uint8_t>(bit << (m_count % 8));
        ++m_count;
    }

    std::vector<std::uint8_t> m_bytes;
    std::size_t m_count = 0;
    std::vector<std::uint8_t> m_litLen, m_dist;
    std::vector<std::uint32_t> m_litLenCodes, m_distCodes;
};

} // namespace test
} // namespace kolt::deflate

// Skips the test when the corpus folder is absent, or fails it under CI.
#define KOLT_REQUIRE_CORPUS()                                                                      \
    do {                                                                                           \
        if (!std::filesystem::is_directory(KOLT_CORPUS_DIR)) {                                     \
            if (std::getenv("CI") != nullptr) FAIL() << "corpus folder missing: " KOLT_CORPUS_DIR; \
            GTEST_SKIP() << "corpus folder " KOLT_CORPUS_DIR " not found (set KOLT_CORPUS_DIR)";   \
        }                                                                                          \
    } while (false)
