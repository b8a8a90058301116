#include "transfer/deflate/Inflater.h"

#include "transfer/deflate/ByteOrder.h"
#include "transfer/deflate/DecodeTable.h"
#include "transfer/deflate/DeflateConstants.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kolt::deflate {

namespace {

constexpr std::size_t kSlack = 32; // spare bytes past the capacity, for match copies
constexpr std::size_t kMinCapacity = 4096;
constexpr std::size_t kMaxFirstGuess = std::size_t{64} << 20;
constexpr std::size_t kMaxOverread = 8; // more zero bytes past the end than the bit buffer holds
constexpr unsigned kLitLenMask = (1u << kLitLenPrimaryBits) - 1;
constexpr unsigned kCodeLengthMask = (1u << kCodeLengthPrimaryBits) - 1;
// The fast loop's margins: three 8-byte refills (one on entering it, two in
// a round), each advancing at most 7 bytes; a longest match.
constexpr std::ptrdiff_t kFastInput = 32;
constexpr std::ptrdiff_t kFastOutput = kMaxMatch;

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

// The entry of a codeword longer than the primary table's width.
inline std::uint32_t Subtable(const std::uint32_t* table, unsigned primaryBits, std::uint32_t e,
                              std::uint64_t bits)
{
    return table[EntryValue(e) + ((bits >> primaryBits) & LowBits(EntryCodeLength(e)))];
}

inline std::uint32_t Lookup(const std::uint32_t* table, unsigned primaryBits, std::uint64_t bits)
{
    const std::uint32_t e = table[bits & LowBits(primaryBits)];
    return (e & kEntrySubtable) ? Subtable(table, primaryBits, e, bits) : e;
}

// Consumes a symbol's codeword and extra bits; returns the value they give.
inline unsigned TakeValue(std::uint32_t e, std::uint64_t& bits, unsigned& count)
{
    const std::uint64_t saved = bits;
    bits >>= EntryBits(e);
    count -= EntryBits(e);
    return EntryValue(e) +
           static_cast<unsigned>((saved & LowBits(EntryBits(e))) >> EntryCodeLength(e));
}

// For a distance d below 8: the smallest multiple of d that is at least 8.
constexpr std::array<std::uint8_t, 8> kCopyPeriod = {0, 8, 8, 9, 8, 10, 12, 14};

// Copies a match to `out`, 8 bytes at a time: may write up to 31 bytes past
// `out` and 7 past the match's end (within kSlack past the buffer's
// capacity), and expects `distance` bytes of output before `out`. Most
// matches are short, so the first 24 bytes go unconditionally.
inline void CopyMatch(std::uint8_t* out, unsigned length, unsigned distance)
{
    std::uint8_t* dst = out;
    std::uint8_t* const end = out + length;
    const std::uint8_t* src = out - distance;
    if (distance < 8) {
        if (distance == 1) {
            const std::uint64_t run = *src * 0x0101010101010101ull;
            for (; dst < end; dst += 8)
                std::memcpy(dst, &run, 8);
            return;
        }
        // The output repeats every `distance` bytes, hence also every
        // multiple of it: write the first bytes one by one until such a
        // multiple of at least 8 lies behind, then copy 8 at a time.
        const unsigned period = kCopyPeriod[distance];
        for (unsigned i = 0; i < period - distance; ++i)
            dst[i] = src[i];
        dst += period - distance;
        src = dst - period;
    }
    std::memcpy(dst, src, 8);
    std::memcpy(dst + 8, src + 8, 8);
    std::memcpy(dst + 16, src + 16, 8);
    dst += 24;
    src += 24;
    while (dst < end) {
        std::memcpy(dst, src, 8);
        dst += 8;
        src += 8;
    }
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
        InflateStatus status = Blocks();
        if (status != InflateStatus::Ok) {
            // A fault met on bits past the end of the input is the stream
            // being cut short, whatever it looked like.
            if (m_overread * 8 > m_count) status = InflateStatus::Truncated;
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
            Take(EntryBits(e));
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
    //
    // Two loops share the work. The fast one runs while kFastInput input
    // bytes and room for a longest match remain, which covers the most one
    // round can use (two refills; a literal or a match), so it checks no
    // bound per symbol. It keeps the next literal/length entry
    // looked up ahead, before the match copy and its hard-to-predict loop.
    // The careful loop takes a single symbol at a time with every check,
    // near the ends of the input and of the output buffer.
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
        auto fail = [&](InflateStatus status) {
            save();
            return status;
        };
        auto refillFast = [&] {
            bits |= LoadLE64(in) << count;
            in += (63 - count) >> 3;
            count |= 56;
        };
        auto literal = [&](std::uint32_t e) {
            bits >>= EntryBits(e);
            count -= EntryBits(e);
            *out++ = static_cast<std::uint8_t>(EntryValue(e));
        };
        auto fast = [&] { return inEnd - in >= kFastInput && outEnd - out >= kFastOutput; };

        for (;;) {
            if (fast()) {
                refillFast();
                std::uint32_t e = litLen[bits & kLitLenMask];
                do {
                    // Here e is the entry at `bits`, and at least 56 bits are
                    // buffered. Each lookup below is made on the bits in
                    // hand, with at least 15 (a longest codeword) among them,
                    // and the refill that follows runs beside the load.
                    if (e & kEntryLiteral) {
                        literal(e);
                        e = litLen[bits & kLitLenMask];
                        refillFast();
                        continue;
                    }
                    if (e & kEntrySubtable) {
                        e = Subtable(litLen, kLitLenPrimaryBits, e, bits);
                        if (e & kEntryLiteral) {
                            literal(e);
                            e = litLen[bits & kLitLenMask];
                            refillFast();
                            continue;
                        }
                    }
                    if (e & (kEntryEndOfBlock | kEntryInvalid)) {
                        if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
                        bits >>= EntryBits(e);
                        count -= EntryBits(e);
                        return fail(InflateStatus::Ok);
                    }
                    const unsigned length = TakeValue(e, bits, count); // 20 bits at most
                    e = Lookup(dist, kDistPrimaryBits, bits);
                    refillFast();
                    if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
                    const unsigned distance = TakeValue(e, bits, count); // 28 bits at most
                    e = litLen[bits & kLitLenMask];
                    refillFast();
                    if (distance > static_cast<std::size_t>(out - base))
                        return fail(InflateStatus::BadDistance);
                    CopyMatch(out, length, distance);
                    out += length;
                } while (fast());
                // The entry looked up ahead is dropped; the careful loop looks again.
            }

            // One symbol, every bound checked.
            save();
            if (!Refill()) return InflateStatus::Truncated;
            load();
            std::uint32_t e = Lookup(litLen, kLitLenPrimaryBits, bits);
            if (e & kEntryLiteral) {
                if (out == outEnd) {
                    save();
                    if (!Reserve(1)) return InflateStatus::OutputLimit;
                    load();
                }
                literal(e);
                continue;
            }
            if (e & (kEntryEndOfBlock | kEntryInvalid)) {
                if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
                bits >>= EntryBits(e);
                count -= EntryBits(e);
                return fail(InflateStatus::Ok);
            }
            const unsigned length = TakeValue(e, bits, count);
            save();
            if (!Refill()) return InflateStatus::Truncated;
            load();
            e = Lookup(dist, kDistPrimaryBits, bits);
            if (e & kEntryInvalid) return fail(InflateStatus::BadSymbol);
            const unsigned distance = TakeValue(e, bits, count);
            if (distance > static_cast<std::size_t>(out - base))
                return fail(InflateStatus::BadDistance);
            save();
            if (!Reserve(length)) return InflateStatus::OutputLimit;
            load();
            CopyMatch(out, length, distance);
            out += length;
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
