// Arbitrary bytes as a raw DEFLATE stream: the decoder must give a verdict
// without crashing, reading out of bounds or passing its output limit, and
// the in/out form must keep its contract (a refused stream left as it was).
#include "transfer/deflate/Compresion.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kolt::deflate;
    constexpr std::size_t kLimit = 1 << 20; // small enough to keep runs quick
    const std::vector<std::uint8_t> stream(data, data + size);

    std::vector<std::uint8_t> out;
    const InflateStatus status = Inflate(stream, out, kLimit);
    if (status == InflateStatus::Ok ? out.size() > kLimit : !out.empty()) std::abort();

    std::vector<std::uint8_t> bytes = stream;
    if (cCompresion::Descomprimir(bytes, 1000, false, kLimit) != status) std::abort();
    if (bytes != (status == InflateStatus::Ok ? out : stream)) std::abort();
    return 0;
}
