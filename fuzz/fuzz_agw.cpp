// The AGW frame reader on arbitrary TNC bytes, cut at a point the input
// chooses: it must never crash or hold more than one frame, every frame it
// returns must encode back to the bytes it came from, and the cut must not
// change what comes out.
#include "AgwFrame.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kolt::agw;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);

    Reader whole;
    const auto frames = whole.feed(all);
    Reader pieces;
    auto cutFrames = pieces.feed(all.substr(0, cut));
    for (auto& f : pieces.feed(all.substr(cut)))
        cutFrames.push_back(std::move(f));
    if (frames != cutFrames || whole.failed() != pieces.failed()) std::abort();

    std::size_t at = 0;
    for (const Frame& f : frames) {
        if (f.data.size() > kMaxData) std::abort();
        // Calls are read up to the first NUL and the reserved bytes are
        // dropped, so compare what the reader keeps.
        Reader again;
        const auto back = again.feed(Encode(f));
        if (back.size() != 1 || back[0] != f) std::abort();
        at += kHeaderSize + f.data.size();
    }
    if (at > size) std::abort();
    (void)ToStandardKiss(std::string(all));
    return 0;
}
