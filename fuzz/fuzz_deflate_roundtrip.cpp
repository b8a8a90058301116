// Compress, then decompress: every level must give back the input exactly,
// in a stream no larger than storing it would be. The first byte picks the
// level (and the Deflate64-compatible mode), the second how many times the
// rest is repeated, so that inputs reach past the 32 KiB window and the
// 65,535-byte stored block.
#include "transfer/deflate/Compresion.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kolt::deflate;
    if (size < 2) return 0;
    const int level = data[0] % 10;
    const bool deflate64 = (data[0] & 0x80) != 0;
    const std::size_t copies = 1 + data[1] % 64;
    std::vector<std::uint8_t> input;
    for (std::size_t i = 0; i < copies && input.size() < (1u << 17); ++i) {
        input.insert(input.end(), data + 2, data + size);
        if (i % 2 == 1 && !input.empty())
            input.back() ^= static_cast<std::uint8_t>(i); // near-repeats
    }

    const std::vector<std::uint8_t> stream = Deflate(input, level, deflate64);
    const std::size_t storedBlocks = std::max<std::size_t>(1, (input.size() + 65534) / 65535);
    if (stream.size() > input.size() + 5 * storedBlocks) std::abort();

    std::vector<std::uint8_t> out;
    if (Inflate(stream, out, input.size()) != InflateStatus::Ok || out != input) std::abort();
    return 0;
}
