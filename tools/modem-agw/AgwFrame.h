#pragma once
// Frames of a soft TNC's AGW TCP interface, and the few facts the modem reads
// from them. Standard C++ only, so that the fuzzers can take it alone.
//
// A frame is a 36-byte header and DataLen bytes of data:
//
//     0  port        4  kind      6  PID      8  CallFrom[10]  18  CallTo[10]
//     28 DataLen (u32, little-endian)          32 User (u32, ignored)
//
// (bytes 1-3, 5 and 7 are reserved). Calls are text padded with NULs.
//
// The TNC is a peer outside this program, so its stream is untrusted: a
// frame announcing more than kMaxData bytes is refused as soon as its header
// is in, before anything is held for it, and the reader stays failed until
// reset(), as the stream has no boundaries left to trust. The modem then
// drops its connection to the TNC and starts afresh.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::agw {

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr std::size_t kCallSize = 10;
// Larger than any frame a TNC sends to a client here (connected data at
// most PACLEN, monitor lines of a few hundred bytes).
inline constexpr std::uint32_t kMaxData = 4096;

struct Frame {
    std::uint8_t port = 0;
    char kind = 0;
    std::uint8_t pid = 0;
    std::string callFrom; // at most kCallSize bytes, no NUL
    std::string callTo;
    std::string data;

    bool operator==(const Frame&) const = default;
};

// The bytes of `f` on the wire. Calls longer than kCallSize are cut.
std::string Encode(const Frame& f);

class Reader {
public:
    // Takes the next chunk; returns the frames it completes. Once failed,
    // returns nothing until reset().
    std::vector<Frame> feed(std::string_view chunk);
    bool failed() const { return m_failed; }
    void reset();

private:
    std::string m_held; // at most one header and kMaxData bytes
    bool m_failed = false;
};

// Frames the modem sends.
Frame Register(std::string_view call);   // 'X'
Frame Unregister(std::string_view call); // 'x'
Frame StartMonitor();                    // 'm' (a toggle: send once per connection)
// 'C', or 'v' through one or two digipeaters.
Frame Connect(std::string_view own, std::string_view far, const std::vector<std::string>& digis);
Frame Disconnect(std::string_view own, std::string_view far);                   // 'd'
Frame Data(std::string_view own, std::string_view far, std::string_view bytes); // 'D', PID 0xF0
Frame AskOutstanding(std::string_view own, std::string_view far);               // 'Y'

// A 'C' report: whether the far station placed the call ("CONNECTED To").
bool IsIncoming(const Frame& connected);
// A 'Y' answer: the frames of the link not yet acknowledged.
std::optional<std::uint32_t> Outstanding(const Frame& answer);
// An 'X' answer: whether the call was registered.
bool Registered(const Frame& answer);

// KISS, on the way to a standard TNC: command byte 0x01 would set its
// TXDELAY, so a data frame with it is sent with 0x00. `frame` is FEND ...
// FEND as cut from the stream.
std::string ToStandardKiss(std::string frame);

} // namespace kolt::agw
