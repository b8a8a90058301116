#include "transfer/deflate/MatchFinder.h"

#include "transfer/deflate/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace kolt::deflate {

namespace {

constexpr unsigned kMaxHash4Bits = 15;
constexpr unsigned kMaxHash3Bits = 14;
constexpr unsigned kMinHashBits = 8;
constexpr std::size_t kMaxPrev = 32768; // prev[] holds at most the last 32,768 positions

// Multiplicative hash of a 32-bit value to its top `bits` bits; the 3-byte
// hash shifts the fourth byte out first.
inline std::uint32_t Hash(std::uint32_t v, unsigned bits)
{
    return (v * 0x9E3779B1u) >> (32 - bits);
}

// Table widths for `size` bytes of input: small inputs get small tables,
// which are quicker to set up than to search.
inline unsigned TableBits(std::size_t size, unsigned maxBits)
{
    const auto wanted = static_cast<unsigned>(std::bit_width(size));
    return std::clamp(wanted, kMinHashBits, maxBits);
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

// The tables hold positions plus kBias, so that a zeroed slot stands for a
// position so far back that every distance check rejects it, and the
// tables start as cheap zeroed memory.
class HashChains {
public:
    HashChains(std::span<const std::uint8_t> input, unsigned maxMatch, unsigned nice)
        : m_in(input.data()), m_size(input.size()), m_maxMatch(maxMatch), m_nice(nice),
          m_hash4Bits(TableBits(input.size(), kMaxHash4Bits)),
          m_hash3Bits(TableBits(input.size(), kMaxHash3Bits)),
          m_prevMask(std::min(kMaxPrev, std::bit_ceil(std::max<std::size_t>(input.size(), 1))) - 1),
          m_head4(std::size_t{1} << m_hash4Bits), m_head3(std::size_t{1} << m_hash3Bits),
          m_prev(m_prevMask + 1)
    {
    }

    // Inserts position p, which must be the next one not yet inserted, and
    // returns the longest match there that is longer than `shorterThan`
    // (length 0 when there is none), trying at most `chain` candidates.
    Match Find(std::size_t p, unsigned shorterThan, unsigned chain)
    {
        assert(p == m_next);
        m_next = p + 1;
        if (p + kMinMatch > m_size) return {0, 0};
        const std::uint8_t* cur = m_in + p;
        const auto pos = static_cast<std::uint32_t>(p + kBias);
        // The last three bytes have no fourth: they can only be a 3-byte match.
        const bool last3 = p + 4 > m_size;
        const std::uint32_t next4 = last3 ? cur[0] | cur[1] << 8 | cur[2] << 16 : LoadLE32(cur);

        std::uint32_t& head3 = m_head3[Hash(next4 << 8, m_hash3Bits)];
        const std::uint32_t near = head3;
        head3 = pos;
        Match best{shorterThan, 0};
        if (best.length < kMinMatch && near + kTooFar >= pos &&
            ((LoadLE32(At(near)) ^ next4) & 0xFFFFFFu) == 0) {
            best = {kMinMatch, pos - near};
        }
        const auto maxLen = static_cast<unsigned>(std::min<std::size_t>(m_maxMatch, m_size - p));
        if (last3 || best.length >= maxLen) return best.distance != 0 ? best : Match{0, 0};

        std::uint32_t& head4 = m_head4[Hash(next4, m_hash4Bits)];
        std::uint32_t cand = head4;
        m_prev[p & m_prevMask] = cand;
        head4 = pos;

        const std::uint32_t limit = pos - kMaxEncoderDistance;
        // Bytes best-3 .. best of a candidate must agree for it to be longer.
        unsigned tailAt = best.length >= 4 ? best.length - 3 : 0;
        std::uint32_t tail = LoadLE32(cur + tailAt);
        for (; cand >= limit && chain != 0; --chain, cand = m_prev[cand & m_prevMask]) {
            const std::uint8_t* earlier = At(cand);
            if (LoadLE32(earlier + tailAt) != tail || LoadLE32(earlier) != next4) continue;
            const unsigned len = MatchLength(earlier, cur, 4, maxLen);
            if (len <= best.length) continue;
            best = {len, pos - cand};
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
            const auto pos = static_cast<std::uint32_t>(p + kBias);
            m_head3[Hash(next4 << 8, m_hash3Bits)] = pos;
            std::uint32_t& head4 = m_head4[Hash(next4, m_hash4Bits)];
            m_prev[p & m_prevMask] = head4;
            head4 = pos;
        }
        m_next = std::max(m_next, end);
    }

private:
    // kBias exceeds the farthest distance, so a zeroed slot is out of reach;
    // the prev[] mask keeps the bias's low bits out of the index (it is a
    // multiple of every mask + 1).
    static constexpr std::uint32_t kBias = 2 * kMaxPrev;

    const std::uint8_t* At(std::uint32_t biased) const { return m_in + (biased - kBias); }

    const std::uint8_t* m_in;
    std::size_t m_size;
    unsigned m_maxMatch;
    unsigned m_nice;
    unsigned m_hash4Bits;
    unsigned m_hash3Bits;
    std::size_t m_prevMask;
    std::size_t m_next = 0;
    std::vector<std::uint32_t> m_head4;
    std::vector<std::uint32_t> m_head3;
    std::vector<std::uint32_t> m_prev;
};

} // namespace

void FindMatches(std::span<const std::uint8_t> input, const LevelParams& params, unsigned maxMatch,
                 Parse& parse)
{
    const std::size_t n = input.size();
    parse.litLenFreq.fill(0);
    parse.distFreq.fill(0);
    parse.tokens.clear();
    parse.tokens.reserve(n); // at most one token per byte: never reallocates
    auto literal = [&](std::uint8_t byte) {
        parse.tokens.push_back({byte, 0});
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
        parse.tokens.push_back(
            {static_cast<std::uint16_t>(m.length), static_cast<std::uint16_t>(m.distance)});
        ++parse.litLenFreq[kFirstLengthSymbol + kLengthSymbolIndex[m.length]];
        ++parse.distFreq[DistSymbol(m.distance)];
        p += m.length;
        chains.InsertUpTo(p);
    }
    parse.litLenFreq[kEndOfBlock] = 1;
}

} // namespace kolt::deflate
