#include "AgwFrame.h"

#include <algorithm>

namespace kolt::agw {

namespace {

void putCall(std::string& out, std::size_t at, std::string_view call)
{
    call = call.substr(0, kCallSize);
    std::copy(call.begin(), call.end(), out.begin() + std::ptrdiff_t(at));
}

std::string getCall(std::string_view bytes)
{
    const std::size_t nul = bytes.find('\0');
    return std::string(bytes.substr(0, nul));
}

std::uint32_t getU32(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[at + std::size_t(i)]);
    return v;
}

Frame make(char kind, std::string_view from, std::string_view to, std::string data = {})
{
    Frame f;
    f.kind = kind;
    f.callFrom = std::string(from.substr(0, kCallSize));
    f.callTo = std::string(to.substr(0, kCallSize));
    f.data = std::move(data);
    return f;
}

} // namespace

std::string Encode(const Frame& f)
{
    std::string out(kHeaderSize, '\0');
    out[0] = char(f.port);
    out[4] = f.kind;
    out[6] = char(f.pid);
    putCall(out, 8, f.callFrom);
    putCall(out, 18, f.callTo);
    const auto n = std::uint32_t(f.data.size());
    for (int i = 0; i < 4; ++i)
        out[28 + std::size_t(i)] = char((n >> (8 * i)) & 0xFF);
    return out + f.data;
}

std::vector<Frame> Reader::feed(std::string_view chunk)
{
    std::vector<Frame> frames;
    while (!m_failed && !chunk.empty()) {
        // Complete the header first, then exactly the data it announces.
        std::size_t want = kHeaderSize;
        if (m_held.size() >= kHeaderSize) want += getU32(m_held, 28);
        const std::size_t take = std::min(want - m_held.size(), chunk.size());
        m_held.append(chunk.substr(0, take));
        chunk.remove_prefix(take);
        if (m_held.size() == kHeaderSize && getU32(m_held, 28) > kMaxData) {
            m_failed = true;
            m_held.clear();
            break;
        }
        if (m_held.size() < kHeaderSize || m_held.size() < kHeaderSize + getU32(m_held, 28))
            continue;
        const std::string_view h(m_held);
        Frame f;
        f.port = std::uint8_t(h[0]);
        f.kind = h[4];
        f.pid = std::uint8_t(h[6]);
        f.callFrom = getCall(h.substr(8, kCallSize));
        f.callTo = getCall(h.substr(18, kCallSize));
        f.data = std::string(h.substr(kHeaderSize));
        frames.push_back(std::move(f));
        m_held.clear();
    }
    return frames;
}

void Reader::reset()
{
    m_held.clear();
    m_failed = false;
}

Frame Register(std::string_view call)
{
    return make('X', call, {});
}

Frame Unregister(std::string_view call)
{
    return make('x', call, {});
}

Frame StartMonitor()
{
    return make('m', {}, {});
}

Frame Connect(std::string_view own, std::string_view far, const std::vector<std::string>& digis)
{
    if (digis.empty()) return make('C', own, far);
    std::string data(1 + kCallSize * digis.size(), '\0');
    data[0] = char(digis.size());
    for (std::size_t i = 0; i < digis.size(); ++i)
        putCall(data, 1 + kCallSize * i, digis[i]);
    return make('v', own, far, std::move(data));
}

Frame Disconnect(std::string_view own, std::string_view far)
{
    return make('d', own, far);
}

Frame Data(std::string_view own, std::string_view far, std::string_view bytes)
{
    Frame f = make('D', own, far, std::string(bytes));
    f.pid = 0xF0;
    return f;
}

Frame AskOutstanding(std::string_view own, std::string_view far)
{
    return make('Y', own, far);
}

bool IsIncoming(const Frame& connected)
{
    return connected.data.find("CONNECTED To") != std::string::npos;
}

std::optional<std::uint32_t> Outstanding(const Frame& answer)
{
    if (answer.data.size() < 4) return std::nullopt;
    return getU32(answer.data, 0);
}

bool Registered(const Frame& answer)
{
    return !answer.data.empty() && answer.data[0] == '\x01';
}

std::string ToStandardKiss(std::string frame)
{
    if (frame.size() > 2 && frame[1] == '\x01') frame[1] = '\x00';
    return frame;
}

} // namespace kolt::agw
