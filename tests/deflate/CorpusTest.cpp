// The corpus (Canterbury files and Silesia pieces, each cut to 600,000
// bytes): the program's level both ways through zlib, and every level on the
// first 64 KiB of each. Whole pieces are not run at every level here (that
// takes over ten seconds under the sanitizers); the benchmark checks every
// piece both ways in the optimised build.

#include "DeflateTestSupport.h"

namespace kolt::deflate::test {
namespace {

constexpr std::size_t kEveryLevelCut = 65'536;

TEST(Corpus, Level5RoundTripsAndStaysWithinOnePercentOfZlib)
{
    KOLT_REQUIRE_CORPUS();
    std::size_t ours = 0, zlib = 0;
    for (const CorpusFile& f : CorpusFiles()) {
        SCOPED_TRACE(f.name);
        Bytes bytes = f.data;
        cCompresion::Comprimir(bytes, 5, false);
        ours += bytes.size();
        zlib += ZlibDeflate(f.data, 5).size();
        Bytes viaZlib;
        EXPECT_TRUE(ZlibInflate(bytes, viaZlib, f.data.size()) && viaZlib == f.data);
        EXPECT_EQ(cCompresion::Descomprimir(bytes, 1000, false), InflateStatus::Ok);
        EXPECT_TRUE(bytes == f.data);
    }
    EXPECT_LE(static_cast<double>(ours), 1.01 * static_cast<double>(zlib))
        << "ours " << ours << " bytes, zlib " << zlib;
}

TEST(Corpus, EveryLevelOnTheFirst64KiB)
{
    KOLT_REQUIRE_CORPUS();
    for (const CorpusFile& f : CorpusFiles()) {
        const Bytes input(f.data.begin(), f.data.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                               kEveryLevelCut, f.data.size())));
        for (int level = 0; level <= 9; ++level) {
            SCOPED_TRACE(::testing::Message() << f.name << " level " << level);
            const Bytes stream = Deflate(input, level);
            Bytes viaZlib, viaUs;
            EXPECT_TRUE(ZlibInflate(stream, viaZlib, input.size()) && viaZlib == input);
            EXPECT_EQ(Inflate(stream, viaUs, input.size()), InflateStatus::Ok);
            EXPECT_TRUE(viaUs == input);
        }
    }
}

// zlib's multi-block streams.
TEST(Corpus, ZlibStreamsDecode)
{
    KOLT_REQUIRE_CORPUS();
    for (const CorpusFile& f : CorpusFiles()) {
        SCOPED_TRACE(f.name);
        Bytes out;
        EXPECT_EQ(Inflate(ZlibDeflate(f.data, 6), out, f.data.size()), InflateStatus::Ok);
        EXPECT_TRUE(out == f.data);
    }
}

} // namespace
} // namespace kolt::deflate::test
