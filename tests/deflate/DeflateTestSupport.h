#pragma once
// Shared pieces of the codec tests: zlib as the independent RFC 1951
// implementation, generated inputs with known properties, and the corpus.

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
#include <string>
#include <vector>

namespace kolt::deflate {

inline void PrintTo(InflateStatus status, std::ostream* os)
{
    *os << Describe(status);
}

namespace test {

using Bytes = std::vector<std::uint8_t>;

// zlib's raw inflate (windowBits -15); nullopt-like empty + false on failure.
inline bool ZlibInflate(const Bytes& stream, Bytes& out, std::size_t expectedSize)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) return false;
    out.assign(expectedSize + 1, 0); // one spare byte: a longer result is a failure
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = ::inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    return rc == Z_STREAM_END;
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

inline Bytes RandomBytes(std::size_t n, unsigned seed, unsigned alphabet = 256, unsigned first = 0)
{
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(first + rng() % alphabet);
    return out;
}

// A de Bruijn sequence over `alphabet` symbols (bytes first, first + 1, ...)
// in which every 3-byte string occurs at most once: input without any match.
inline Bytes NoRepeats(std::size_t n, unsigned alphabet = 64, unsigned first = 128)
{
    const unsigned k = alphabet;
    std::vector<unsigned> a(4, 0);
    Bytes seq;
    // The classic recursive construction (Fredricksen, Kessler, Maiorana), unrolled.
    auto db = [&](auto&& self, unsigned t, unsigned p) -> void {
        if (seq.size() >= n) return;
        if (t > 3) {
            if (3 % p == 0)
                for (unsigned j = 1; j <= p; ++j)
                    seq.push_back(static_cast<std::uint8_t>(first + a[j]));
            return;
        }
        a[t] = a[t - p];
        self(self, t + 1, p);
        for (unsigned j = a[t - p] + 1; j < k; ++j) {
            a[t] = j;
            self(self, t + 1, t);
        }
    };
    db(db, 1, 1);
    seq.resize(std::min(n, seq.size()));
    return seq;
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

struct CorpusFile {
    std::string name;
    Bytes data; // the first 600,000 bytes, the most the station compresses
};

inline constexpr std::size_t kCorpusCut = 600'000;

inline std::vector<CorpusFile> CorpusFiles()
{
    std::vector<CorpusFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(KOLT_CORPUS_DIR)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        Bytes data(std::min<std::size_t>(kCorpusCut, entry.file_size()));
        in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
        files.push_back({entry.path().filename().string(), std::move(data)});
    }
    std::sort(files.begin(), files.end(),
              [](const CorpusFile& a, const CorpusFile& b) { return a.name < b.name; });
    return files;
}

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
