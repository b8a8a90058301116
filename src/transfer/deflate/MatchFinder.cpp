#include "transfer/deflate/MatchFinder.h"

#include "transfer/deflate/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace kolt::deflate {

namespace {

constexpr unsigned kHash4Bits = 15;
constexpr unsigned kHash3Bits = 14;
constexpr unsigned kPrevMask = 32767; // prev[] holds the last 32,768 positions
// An empty slot: far enough back that every distance check rejects it.
constexpr std::int32_t kEmpty = -(1 << 30);

inline std::uint32_t Hash4(std::uint32_t next4)
{
    return (next4 * 0x9E3779B1u) >> (32 - kHash4Bits);
}
inline std::uint32_t Hash3(std::uint32_t next4)
{
    return ((next4 << 8) * 0x9E3779B1u) >> (32 - kHash3Bits);
}

// Length of the common prefix of a and b, knowing the first `from` bytes agree.
inline unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, unsigned from,
                            unsigned maxLen)
{
    unsigned len = from;
    while (len + 8 <= maxLen) {
        const std::uint64_t diff = LoadLE64(a + len) ^ LoadLE64(b + len);
        if (diff != 0) return len + static_cast<unsigned>(std::countr_zero(diff)) / 8;
        len += 8;
    }
    while (len < maxLen && a[len] == b[len])
        ++len;
    return len;
}

struct Match {
    unsigned length;
    unsigned distance;
};

class HashChains {
public:
    HashChains(std::span<const std::uint8_t> input, unsigned maxMatch, unsigned nice)
        : m_in(input.data()), m_size(input.size()), m_maxMatch(maxMatch), m_nice(nice),
          m_head4(std::size_t{1} << kHash4Bits, kEmpty),
          m_head3(std::size_t{1} << kHash3Bits, kEmpty), m_prev(kPrevMask + 1, kEmpty)
    {
    }

    // Inserts position p, which must be the next one not yet inserted, and
    // returns the longest match there that is longer than `shorterThan`
    // (length 0 when there is none), trying at most `chain` candidates.
    Match Find(std::size_t p, unsigned shorterThan, unsigned chain)
    {
        assert(p == m_next);
        m_next = p + 1;
        if (p + 4 > m_size) return {0, 0};
        const std::uint8_t* cur = m_in + p;
        const auto pos = static_cast<std::int32_t>(p);
        const std::uint32_t next4 = LoadLE32(cur);

        std::int32_t& head3 = m_head3[Hash3(next4)];
        const std::int32_t near = head3;
        head3 = pos;
        std::int32_t& head4 = m_head4[Hash4(next4)];
        std::int32_t cand = head4;
        m_prev[p & kPrevMask] = cand;
        head4 = pos;

        const auto maxLen = static_cast<unsigned>(std::min<std::size_t>(m_maxMatch, m_size - p));
        Match best{shorterThan, 0};
        if (best.length < kMinMatch && near >= pos - static_cast<std::int32_t>(kTooFar) &&
            ((LoadLE32(m_in + near) ^ next4) & 0xFFFFFFu) == 0) {
            best = {kMinMatch, static_cast<unsigned>(pos - near)};
        }
        if (best.length >= maxLen) return best.distance != 0 ? best : Match{0, 0};

        const std::int32_t limit = pos - static_cast<std::int32_t>(kMaxEncoderDistance);
        // Bytes best-3 .. best of a candidate must agree for it to be longer.
        unsigned tailAt = best.length >= 4 ? best.length - 3 : 0;
        std::uint32_t tail = LoadLE32(cur + tailAt);
        for (; cand >= limit && chain != 0; --chain, cand = m_prev[cand & kPrevMask]) {
            const std::uint8_t* earlier = m_in + cand;
            if (LoadLE32(earlier + tailAt) != tail || LoadLE32(earlier) != next4) continue;
            const unsigned len = MatchLength(earlier, cur, 4, maxLen);
            if (len <= best.length) continue;
            best = {len, static_cast<unsigned>(pos - cand)};
            if (len >= m_nice || len >= maxLen) break;
            tailAt = len - 3;
            tail = LoadLE32(cur + tailAt);
        }
        return best.distance != 0 ? best : Match{0, 0};
    }

    // Inserts every position before `end` not yet inserted.
    void InsertUpTo(std::size_t end)
    {
        const std::size_t last = std::min(end, m_size >= 4 ? m_size - 3 : 0);
        for (std::size_t p = m_next; p < last; ++p) {
            const std::uint32_t next4 = LoadLE32(m_in + p);
            const auto pos = static_cast<std::int32_t>(p);
            m_head3[Hash3(next4)] = pos;
            std::int32_t& head4 = m_head4[Hash4(next4)];
            m_prev[p & kPrevMask] = head4;
            head4 = pos;
        }
        m_next = std::max(m_next, end);
    }

private:
    const std::uint8_t* m_in;
    std::size_t m_size;
    unsigned m_maxMatch;
    unsigned m_nice;
    std::size_t m_next = 0;
    std::vector<std::int32_t> m_head4;
    std::vector<std::int32_t> m_head3;
    std::vector<std::int32_t> m_prev;
};

} // namespace

void FindMatches(std::span<const std::uint8_t> input, const LevelParams& params, unsigned maxMatch,
                 Parse& parse)
{
    const std::size_t n = input.size();
    parse.litLenFreq.fill(0);
    parse.distFreq.fill(0);
    parse.tokens.resize(n);
    Token* out = parse.tokens.data();
    auto literal = [&](std::uint8_t byte) {
        *out++ = {byte, 0};
        ++parse.litLenFreq[byte];
    };

    HashChains chains(input, maxMatch, params.nice);
    std::size_t p = 0;
    while (p < n) {
        Match m = chains.Find(p, kMinMatch - 1, params.chain);
        if (m.length < kMinMatch) {
            literal(input[p++]);
            continue;
        }
        while (m.length < params.lazy && p + 1 < n) {
            const unsigned chain = m.length >= params.good ? params.chain >> 2 : params.chain;
            const Match next = chains.Find(p + 1, m.length, chain);
            if (next.length <= m.length) break;
            literal(input[p++]);
            m = next;
        }
        *out++ = {static_cast<std::uint16_t>(m.length), static_cast<std::uint16_t>(m.distance)};
        ++parse.litLenFreq[kFirstLengthSymbol + kLengthSymbolIndex[m.length]];
        ++parse.distFreq[DistSymbol(m.distance)];
        p += m.length;
        chains.InsertUpTo(p);
    }
    parse.tokens.resize(static_cast<std::size_t>(out - parse.tokens.data()));
    parse.litLenFreq[kEndOfBlock] = 1;
}

} // namespace kolt::deflate
