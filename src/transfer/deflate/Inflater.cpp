#include "transfer/deflate/Inflater.h"

#include "transfer/deflate/ByteOrder.h"
#include "transfer/deflate/DecodeTable.h"
#include "transfer/deflate/DeflateConstants.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kolt::deflate {

namespace {

constexpr std::size_t kSlack = 8; // spare bytes past the capacity, for 8-byte match copies
constexpr std::size_t kMinCapacity = 4096;
constexpr std::size_t kMaxFirstGuess = std::size_t{64} << 20;
constexpr std::size_t kMaxOverread = 8; // more zero bytes past the end than the bit buffer holds
constexpr unsigned kLitLenMask = (1u << kLitLenPrimaryBits) - 1;
constexpr unsigned kDistMask = (1u << kDistPrimaryBits) - 1;
constexpr unsigned kCodeLengthMask = (1u << kCodeLengthPrimaryBits) - 1;
constexpr unsigned kMaxDistanceBits = kMaxCodewordLen + 13; // distance codeword and its extra bits

inline std::uint64_t LowBits(unsigned n)
{
    return (std::uint64_t{1} << n) - 1;
}

struct Tables {
    std::array<std::uint32_t, kLitLenTableSize> litLen;
    std::array<std::uint32_t, kDistTableSize> dist;
};

const Tables& FixedTables()
{
    static const Tables fixed = [] {
        Tables t{};
        std::array<std::uint8_t, kNumLitLenSymbols> litLen{};
        for (unsigned s = 0; s < kNumLitLenSymbols; ++s)
            litLen[s] = static_cast<std::uint8_t>(FixedLitLenLength(s));
        std::array<std::uint8_t, kNumDistSymbols> dist{};
        dist.fill(kFixedDistLength);
        BuildDecodeTable(litLen, LitLenSymbolEntries(), kLitLenPrimaryBits, t.litLen);
        BuildDecodeTable(dist, DistSymbolEntries(), kDistPrimaryBits, t.dist);
        return t;
    }();
    return fixed;
}

class Inflater {
public:
    Inflater(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
             std::size_t limit)
        : m_in(input.data()), m_inEnd(input.data() + input.size()), m_buf(output), m_limit(limit)
    {
    }

    InflateStatus Run(std::size_t firstCapacity)
    {
        m_buf.clear();
        m_buf.resize(std::min(m_limit, firstCapacity) + kSlack);
        m_base = m_out = m_buf.data();
        m_outEnd = m_base + (m_buf.size() - kSlack);
        const InflateStatus status = Blocks();
        if (status != InflateStatus::Ok) {
            m_buf.clear();
            return status;
        }
        m_buf.resize(static_cast<std::size_t>(m_out - m_base));
        return status;
    }

private:
    InflateStatus Blocks()
    {
        for (;;) {
            if (!Need(kBfinalBits + kBtypeBits)) return InflateStatus::Truncated;
            const bool final = Take(kBfinalBits) != 0;
            InflateStatus status = InflateStatus::Ok;
            switch (Take(kBtypeBits)) {
            case kStoredBlock: status = Stored(); break;
            case kFixedBlock: status = Codes(FixedTables()); break;
            case kDynamicBlock:
                status = ReadCodes();
                if (status == InflateStatus::Ok) status = Codes(m_tables);
                break;
            default: return InflateStatus::BadBlockType;
            }
            if (status != InflateStatus::Ok) return status;
            if (final) break;
        }
        // Zero bits supplied past the end must still be in the buffer, unread.
        return m_overread * 8 <= m_count ? InflateStatus::Ok : InflateStatus::Truncated;
    }

    // Makes at least 56 bits available; false once the stream has run out.
    bool Refill()
    {
        if (m_inEnd - m_in >= 8) {
            m_bits |= LoadLE64(m_in) << m_count;
            m_in += (63 - m_count) >> 3;
            m_count |= 56;
            return true;
        }
        while (m_count <= 55) {
            std::uint64_t byte = 0;
            if (m_in != m_inEnd)
                byte = *m_in++;
            else
                ++m_overread;
            m_bits |= byte << m_count;
            m_count += 8;
        }
        return m_overread <= kMaxOverread;
    }

    bool Need(unsigned n) { return m_count >= n || Refill(); }

    unsigned Take(unsigned n)
    {
        const auto v = static_cast<unsigned>(m_bits & LowBits(n));
        m_bits >>= n;
        m_count -= n;
        return v;
    }

    // Room for `n` more output bytes: grows the buffer (doubling) up to the limit.
    bool Reserve(std::size_t n)
    {
        if (static_cast<std::size_t>(m_outEnd - m_out) >= n) return true;
        const auto used = static_cast<std::size_t>(m_out - m_base);
        if (n > m_limit - used) return false;
        const auto capacity = static_cast<std::size_t>(m_outEnd - m_base);
        const std::size_t grown = std::min(m_limit, std::max(used + n, 2 * capacity));
        m_buf.resize(grown + kSlack);
        m_base = m_buf.data();
        m_out = m_base + used;
        m_outEnd = m_base + grown;
        return true;
    }

    InflateStatus Stored()
    {
        Take(m_count & 7);
        // Whole bytes still in the bit buffer go back to the input.
        const std::size_t buffered = m_count / 8;
        if (buffered < m_overread) return InflateStatus::Truncated;
        m_in -= buffered - m_overread;
        m_overread = 0;
        m_bits = 0;
        m_count = 0;
        if (m_inEnd - m_in < 4) return InflateStatus::Truncated;
        const std::size_t len = m_in[0] | (m_in[1] << 8); // NLEN (m_in[2..3]) is not checked
        m_in += 4;
        if (static_cast<std::size_t>(m_inEnd - m_in) < len) return InflateStatus::Truncated;
        if (!Reserve(len)) return InflateStatus::OutputLimit;
        if (len != 0) std::memcpy(m_out, m_in, len);
        m_out += len;
        m_in += len;
        return InflateStatus::Ok;
    }

    // Reads a dynamic block's code description into m_tables.
    InflateStatus ReadCodes()
    {
        if (!Need(kHlitBits + kHdistBits + kHclenBits)) return InflateStatus::Truncated;
        const unsigned hlit = Take(kHlitBits) + kMinHlit;
        const unsigned hdist = Take(kHdistBits) + kMinHdist;
        const unsigned hclen = Take(kHclenBits) + kMinHclen;
        if (hlit > kNumUsedLitLenSymbols) return InflateStatus::BadCodeLengths;

        std::array<std::uint8_t, kNumCodeLengthSymbols> clLengths{};
        for (unsigned i = 0; i < hclen; ++i) {
            if (!Need(kCodeLengthCodeBits)) return InflateStatus::Truncated;
            clLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(Take(kCodeLengthCodeBits));
        }
        std::array<std::uint32_t, kCodeLengthTableSize> clTable;
        if (BuildDecodeTable(clLengths, CodeLengthSymbolEntries(), kCodeLengthPrimaryBits,
                             clTable) != TableShape::Usable)
            return InflateStatus::BadCodeLengths;

        std::array<std::uint8_t, kNumLitLenSymbols + kNumDistSymbols> lengths{};
        const unsigned total = hlit + hdist;
        for (unsigned i = 0; i < total;) {
            if (!Need(kMaxCodeLengthCodewordLen + 7)) return InflateStatus::Truncated;
            const std::uint32_t e = clTable[m_bits & kCodeLengthMask];
            if (e & kEntryInvalid) return InflateStatus::BadCodeLengths;
            Take(EntryLength(e));
            const unsigned sym = EntryValue(e);
            if (sym < kRepeatPrevious) {
                lengths[i++] = static_cast<std::uint8_t>(sym);
                continue;
            }
            std::uint8_t value = 0;
            unsigned repeat = 0;
            if (sym == kRepeatPrevious) {
                if (i == 0) return InflateStatus::BadCodeLengths;
                value = lengths[i - 1];
                repeat = 3 + Take(2);
            } else if (sym == kRepeatZero3) {
                repeat = 3 + Take(3);
            } else {
                repeat = 11 + Take(7);
            }
            if (repeat > total - i) return InflateStatus::BadCodeLengths;
            std::fill_n(lengths.begin() + i, repeat, value);
            i += repeat;
        }
        if (lengths[kEndOfBlock] == 0) return InflateStatus::BadCodeLengths;
        if (BuildDecodeTable(std::span(lengths).first(hlit), LitLenSymbolEntries(),
                             kLitLenPrimaryBits, m_tables.litLen) != TableShape::Usable)
            return InflateStatus::BadCodeLengths;
        if (BuildDecodeTable(std::span(lengths).subspan(hlit, hdist), DistSymbolEntries(),
                             kDistPrimaryBits, m_tables.dist) == TableShape::Invalid)
            return InflateStatus::BadCodeLengths;
        return InflateStatus::Ok;
    }

    // Decodes one Huffman-coded block up to its end-of-block code.
    InflateStatus Codes(const Tables& tables)
    {
        // The hot state lives in locals: members would have to be reloaded
        // after every byte stored through an uint8_t pointer.
        const std::uint32_t* const litLen = tables.litLen.data();
        const std::uint32_t* const dist = tables.dist.data();
        const std::uint8_t* in = m_in;
        const std::uint8_t* const inEnd = m_inEnd;
        std::uint64_t bits = m_bits;
        unsigned count = m_count;
        std::uint8_t* base = m_base;
        std::uint8_t* out = m_out;
        std::uint8_t* outEnd = m_outEnd;
        auto save = [&] {
            m_in = in;
            m_bits = bits;
            m_count = count;
            m_out = out;
        };
        auto load = [&] {
            in = m_in;
            bits = m_bits;
            count = m_count;
            base = m_base;
            out = m_out;
            outEnd = m_outEnd;
        };
        auto refill = [&] {
            if (inEnd - in >= 8) {
                bits |= LoadLE64(in) << count;
                in += (63 - count) >> 3;
                count |= 56;
                return true;
            }
            save();
            const bool ok = Refill();
            load();
            return ok;
        };
        auto room = [&](std::size_t n) {
            if (static_cast<std::size_t>(outEnd - out) >= n) return true;
            save();
            const bool ok = Reserve(n);
            load();
            return ok;
        };
        auto fail = [&](InflateStatus status) {
            save();
            return status;
        };

        for (;;) {
            if (!refill()) return fail(InflateStatus::Truncated);
            std::uint32_t e = litLen[bits & kLitLenMask];
            if (e & kEntrySubtable)
                e = litLen[EntryValue(e) + ((bits >> kLitLenPrimaryBits) & LowBits(EntryExtra(e)))];
            if (e & kEntryLiteral) {
                if (!room(1)) return fail(InflateStatus::OutputLimit);
                *out++ = static_cast<std::uint8_t>(EntryValue(e));
                bits >>= EntryLength(e);
                count -= EntryLength(e);
                continue;
            }
            if (e & (kEntryEndOfBlock | kEntryInvalid)) {
                if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
                bits >>= EntryLength(e);
                count -= EntryLength(e);
                return fail(InflateStatus::Ok);
            }
            unsigned used = EntryLength(e) + EntryExtra(e);
            const auto length =
                EntryValue(e) + static_cast<unsigned>((bits & LowBits(used)) >> EntryLength(e));
            bits >>= used;
            count -= used;

            if (count < kMaxDistanceBits && !refill()) return fail(InflateStatus::Truncated);
            e = dist[bits & kDistMask];
            if (e & kEntrySubtable)
                e = dist[EntryValue(e) + ((bits >> kDistPrimaryBits) & LowBits(EntryExtra(e)))];
            if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
            used = EntryLength(e) + EntryExtra(e);
            const auto distance =
                EntryValue(e) + static_cast<unsigned>((bits & LowBits(used)) >> EntryLength(e));
            bits >>= used;
            count -= used;

            if (distance > static_cast<std::size_t>(out - base))
                return fail(InflateStatus::BadDistance);
            if (!room(length)) return fail(InflateStatus::OutputLimit);
            std::uint8_t* dst = out;
            const std::uint8_t* src = out - distance;
            std::uint8_t* const end = out + length;
            if (distance >= 8) {
                // 8 bytes at a time; may write up to 7 bytes past `end`, into the slack.
                do {
                    std::memcpy(dst, src, 8);
                    dst += 8;
                    src += 8;
                } while (dst < end);
            } else if (distance == 1) {
                std::memset(dst, *src, length);
            } else {
                do
                    *dst++ = *src++;
                while (dst < end);
            }
            out = end;
        }
    }

    const std::uint8_t* m_in;
    const std::uint8_t* m_inEnd;
    std::size_t m_overread = 0;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;

    std::vector<std::uint8_t>& m_buf;
    std::size_t m_limit;
    std::uint8_t* m_base = nullptr;
    std::uint8_t* m_out = nullptr;
    std::uint8_t* m_outEnd = nullptr;

    Tables m_tables;
};

} // namespace

const char* Describe(InflateStatus status)
{
    switch (status) {
    case InflateStatus::Ok: return "ok";
    case InflateStatus::Truncated: return "the stream ends early";
    case InflateStatus::BadBlockType: return "a block of the reserved type 3";
    case InflateStatus::BadCodeLengths: return "a block's Huffman code description is invalid";
    case InflateStatus::BadSymbol: return "a code that stands for no symbol";
    case InflateStatus::BadDistance: return "a match reaching before the start of the data";
    case InflateStatus::OutputLimit: return "the data would exceed the size limit";
    case InflateStatus::Unsupported: return "the Deflate64 variant is not supported";
    }
    return "unknown";
}

InflateStatus Inflate(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                      std::size_t limit, std::size_t sizeHint)
{
    const std::size_t guess = std::min(kMaxFirstGuess, std::max(kMinCapacity, 4 * input.size()));
    Inflater inflater(input, output, limit);
    return inflater.Run(std::max(sizeHint, guess));
}

} // namespace kolt::deflate
