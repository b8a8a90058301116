#pragma once
// Shared pieces of the codec tests: zlib as the independent RFC 1951
// implementation, and generated inputs.

#include "transfer/deflate/Compresion.h"
#include "transfer/deflate/DeflateConstants.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
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

// zlib's stream (several blocks when large, stored where it is random)
// without its 2-byte header and 4-byte check.
inline Bytes ZlibDeflate(const Bytes& input, int level)
{
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, input.data(), static_cast<uLong>(input.size()), level),
              Z_OK);
    return Bytes(out.begin() + 2, out.begin() + static_cast<std::ptrdiff_t>(size) - 4);
}

inline Bytes RandomBytes(std::size_t n, unsigned seed, unsigned alphabet = 256)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng() % alphabet);
    return out;
}

// Text from a small vocabulary, then many short matches (four byte values)
// and a run of 3,000 zeros: matches of every length and distance.
inline Bytes Mixed()
{
    static const std::string_view kWords[] = {"the ",  "radio ", "operator ", "sends ", "a ",
                                              "file ", "over ",  "link ",     "73 ",    "\r\n"};
    std::mt19937 rng(41);
    Bytes in;
    while (in.size() < 30'000) {
        const std::string_view w = kWords[rng() % std::size(kWords)];
        in.insert(in.end(), w.begin(), w.end());
    }
    const Bytes noise = RandomBytes(40'000, 42, 4);
    in.insert(in.end(), noise.begin(), noise.end());
    in.insert(in.end(), 3'000, 0);
    return in;
}

} // namespace test
} // namespace kolt::deflate
