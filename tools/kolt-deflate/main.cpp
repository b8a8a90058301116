// kolt-deflate: compresses (-c, level -0 .. -9, default -5) or decompresses
// (-d) raw DEFLATE from standard input to standard output.
#include "transfer/deflate/Compresion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage()
{
    std::fputs("usage: kolt-deflate -c [-0..-9] | -d [-m max-bytes]  < input > output\n"
               "  raw DEFLATE (RFC 1951), no zlib or gzip wrapper\n",
               stderr);
    return 2;
}

std::vector<std::uint8_t> ReadAll(std::FILE* f)
{
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kolt::deflate;
    char mode = 0;
    int level = 5;
    std::size_t limit = std::size_t{1} << 30;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-c" || arg == "-d")
            mode = arg[1];
        else if (arg.size() == 2 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9')
            level = arg[1] - '0';
        else if (arg == "-m" && i + 1 < argc)
            limit = std::strtoull(argv[++i], nullptr, 10);
        else
            return Usage();
    }
    if (mode == 0) return Usage();

    std::vector<std::uint8_t> data = ReadAll(stdin);
    if (mode == 'c') {
        data = Deflate(data, level);
    } else {
        std::vector<std::uint8_t> out;
        const InflateStatus status = Inflate(data, out, limit);
        if (status != InflateStatus::Ok) {
            std::fprintf(stderr, "kolt-deflate: malformed stream: %s\n", Describe(status));
            return 1;
        }
        data.swap(out);
    }
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), stdout) != data.size()) {
        std::perror("kolt-deflate: write");
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
