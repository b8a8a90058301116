// The DEFLATE codec beside zlib (raw, level 5, memLevel 8) and libdeflate
// (level 5) on the compression corpus: per file and in total, compressed
// size, compress and inflate speed, and our ratios to zlib. Each library
// inflates its own stream; every stream is also checked with another
// library's decoder, so a fast wrong answer cannot pass.
//
//   bench_deflate [corpus-folder]      (default: the configured corpus)
//
// Files are cut to their first 600,000 bytes, the most the station
// compresses. Times are the best of repeated runs; zlib's stream and
// libdeflate's compressor are set up once, ours is created per call.

#include "transfer/deflate/Compresion.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kMaxInput = 600'000;
constexpr int kLevel = 5;

// Best time of one call in seconds, repeating for at least `budget` seconds.
double BestTime(const std::function<void()>& call, double budget = 0.15)
{
    double best = 1e9, spent = 0;
    for (int runs = 0; runs < 3 || spent < budget; ++runs) {
        const auto start = Clock::now();
        call();
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, t);
        spent += t;
    }
    return best;
}

struct Result {
    std::size_t size = 0;
    double compress = 0; // seconds
    double inflate = 0;
};

class Zlib {
public:
    Zlib()
    {
        deflateInit2(&m_def, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        inflateInit2(&m_inf, -15);
    }
    ~Zlib()
    {
        deflateEnd(&m_def);
        inflateEnd(&m_inf);
    }
    Bytes Compress(const Bytes& in)
    {
        deflateReset(&m_def);
        Bytes out(deflateBound(&m_def, static_cast<uLong>(in.size())));
        m_def.next_in = const_cast<Bytef*>(in.data());
        m_def.avail_in = static_cast<uInt>(in.size());
        m_def.next_out = out.data();
        m_def.avail_out = static_cast<uInt>(out.size());
        if (deflate(&m_def, Z_FINISH) != Z_STREAM_END) std::abort();
        out.resize(m_def.total_out);
        return out;
    }
    bool Inflate(const Bytes& in, Bytes& out)
    {
        inflateReset(&m_inf);
        m_inf.next_in = const_cast<Bytef*>(in.data());
        m_inf.avail_in = static_cast<uInt>(in.size());
        m_inf.next_out = out.data();
        m_inf.avail_out = static_cast<uInt>(out.size());
        return inflate(&m_inf, Z_FINISH) == Z_STREAM_END && m_inf.total_out == out.size();
    }

private:
    z_stream m_def{};
    z_stream m_inf{};
};

class LibDeflate {
public:
    LibDeflate() : m_c(libdeflate_alloc_compressor(kLevel)), m_d(libdeflate_alloc_decompressor()) {}
    ~LibDeflate()
    {
        libdeflate_free_compressor(m_c);
        libdeflate_free_decompressor(m_d);
    }
    Bytes Compress(const Bytes& in)
    {
        Bytes out(libdeflate_deflate_compress_bound(m_c, in.size()));
        out.resize(libdeflate_deflate_compress(m_c, in.data(), in.size(), out.data(), out.size()));
        return out;
    }
    bool Inflate(const Bytes& in, Bytes& out)
    {
        return libdeflate_deflate_decompress(m_d, in.data(), in.size(), out.data(), out.size(),
                                             nullptr) == LIBDEFLATE_SUCCESS;
    }

private:
    libdeflate_compressor* m_c;
    libdeflate_decompressor* m_d;
};

double MBs(std::size_t bytes, double seconds)
{
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

void PrintRow(const char* name, std::size_t bytes, const Result (&r)[3])
{
    std::printf("%-16s %9zu |", name, bytes);
    for (const Result& x : r)
        std::printf(" %8zu %6.1f %7.1f |", x.size, MBs(bytes, x.compress), MBs(bytes, x.inflate));
    const Result& z = r[0];
    const Result& o = r[2];
    std::printf(" %6.3f %5.2f %5.2f | %5.1f\n", static_cast<double>(o.size) / z.size,
                z.compress / o.compress, z.inflate / o.inflate, o.compress * 1e3);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path(KOLT_CORPUS_DIR);
    if (!fs::is_directory(folder)) {
        std::printf("bench_deflate: corpus folder %s not found; nothing measured\n",
                    folder.string().c_str());
        return std::getenv("CI") != nullptr ? 1 : 0;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() != ".md")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::printf("level %d; sizes in bytes, speeds in MB/s of uncompressed data; ratios ours/zlib "
                "(size) and zlib time/our time (speed)\n",
                kLevel);
    std::printf("%-16s %9s | %-23s | %-23s | %-23s | %-18s | %s\n", "file", "bytes", "zlib",
                "libdeflate", "ours", "ours vs zlib", "ours");
    std::printf("%-16s %9s |", "", "");
    for (int i = 0; i < 3; ++i)
        std::printf(" %8s %6s %7s |", "size", "comp", "inflate");
    std::printf(" %6s %5s %5s | %5s\n", "size", "comp", "infl", "ms");

    Zlib zlib;
    LibDeflate libdeflate;
    Result total[3];
    std::size_t totalBytes = 0;
    double slowest = 0; // our longest compression of one file
    bool allGood = true;
    for (const fs::path& path : files) {
        std::ifstream stream(path, std::ios::binary);
        Bytes input((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        if (input.size() > kMaxInput) input.resize(kMaxInput);
        totalBytes += input.size();

        Result r[3];
        Bytes z = zlib.Compress(input), l = libdeflate.Compress(input);
        Bytes o = kolt::deflate::Deflate(input, kLevel);
        r[0].compress = BestTime([&] { z = zlib.Compress(input); });
        r[1].compress = BestTime([&] { l = libdeflate.Compress(input); });
        r[2].compress = BestTime([&] { o = kolt::deflate::Deflate(input, kLevel); });
        r[0].size = z.size();
        r[1].size = l.size();
        r[2].size = o.size();

        Bytes out(input.size());
        Bytes ours;
        bool good = zlib.Inflate(o, out) && out == input; // zlib reads ours
        good = good && libdeflate.Inflate(z, out) && out == input;
        good = good &&
               kolt::deflate::Inflate(z, ours, input.size()) == kolt::deflate::InflateStatus::Ok &&
               ours == input; // ours reads zlib's
        good = good &&
               kolt::deflate::Inflate(l, ours, input.size()) == kolt::deflate::InflateStatus::Ok &&
               ours == input; // and libdeflate's
        r[0].inflate = BestTime([&] { zlib.Inflate(z, out); });
        r[1].inflate = BestTime([&] { libdeflate.Inflate(l, out); });
        r[2].inflate =
            BestTime([&] { kolt::deflate::Inflate(o, ours, input.size(), input.size()); });
        good = good && ours == input;
        if (!good) {
            std::printf("%s: ROUND TRIP FAILED\n", path.filename().string().c_str());
            allGood = false;
        }
        slowest = std::max(slowest, r[2].compress);
        for (int i = 0; i < 3; ++i) {
            total[i].size += r[i].size;
            total[i].compress += r[i].compress;
            total[i].inflate += r[i].inflate;
        }
        PrintRow(path.filename().string().c_str(), input.size(), r);
    }
    PrintRow("TOTAL", totalBytes, total);
    std::printf("total ratio (input/compressed): zlib %.3f, libdeflate %.3f, ours %.3f\n",
                static_cast<double>(totalBytes) / total[0].size,
                static_cast<double>(totalBytes) / total[1].size,
                static_cast<double>(totalBytes) / total[2].size);
    std::printf("ours against zlib: size %.2f%% (target within +1%%), compress %.2fx (target "
                ">= 1), inflate %.2fx (target >= 2); slowest compression %.1f ms\n",
                100.0 * (static_cast<double>(total[2].size) / total[0].size - 1),
                total[0].compress / total[2].compress, total[0].inflate / total[2].inflate,
                slowest * 1e3);
    std::printf("ours against libdeflate: compress %.2fx, inflate %.2fx\n",
                total[1].compress / total[2].compress, total[1].inflate / total[2].inflate);
    return allGood ? 0 : 1;
}
