#include "transfer/deflate/DecodeTable.h"

#include "transfer/deflate/DeflateConstants.h"
#include "transfer/deflate/HuffmanCode.h"

#include <algorithm>
#include <array>

namespace kolt::deflate {

namespace {

constexpr std::uint32_t Entry(unsigned value, unsigned extra, std::uint32_t flags = 0)
{
    return (std::uint32_t{value} << 16) | flags | extra;
}

constexpr std::array<std::uint32_t, kNumLitLenSymbols> kLitLenEntries = [] {
    std::array<std::uint32_t, kNumLitLenSymbols> t{};
    for (unsigned s = 0; s < kNumLiterals; ++s)
        t[s] = Entry(s, 0, kEntryLiteral);
    t[kEndOfBlock] = Entry(0, 0, kEntryEndOfBlock);
    for (unsigned i = 0; i < kNumLengthSymbols; ++i)
        t[kFirstLengthSymbol + i] = Entry(kLengthBase[i], kLengthExtra[i]);
    for (unsigned s = kNumUsedLitLenSymbols; s < kNumLitLenSymbols; ++s)
        t[s] = kEntryInvalid;
    return t;
}();

constexpr std::array<std::uint32_t, kNumDistSymbols> kDistEntries = [] {
    std::array<std::uint32_t, kNumDistSymbols> t{};
    for (unsigned d = 0; d < kNumUsedDistSymbols; ++d)
        t[d] = Entry(kDistBase[d], kDistExtra[d]);
    for (unsigned d = kNumUsedDistSymbols; d < kNumDistSymbols; ++d)
        t[d] = kEntryInvalid;
    return t;
}();

constexpr std::array<std::uint32_t, kNumCodeLengthSymbols> kCodeLengthEntries = [] {
    std::array<std::uint32_t, kNumCodeLengthSymbols> t{};
    for (unsigned s = 0; s < kNumCodeLengthSymbols; ++s)
        t[s] = Entry(s, 0);
    return t;
}();

} // namespace

std::span<const std::uint32_t> LitLenSymbolEntries()
{
    return kLitLenEntries;
}
std::span<const std::uint32_t> DistSymbolEntries()
{
    return kDistEntries;
}
std::span<const std::uint32_t> CodeLengthSymbolEntries()
{
    return kCodeLengthEntries;
}

TableShape BuildDecodeTable(std::span<const std::uint8_t> lengths,
                            std::span<const std::uint32_t> symbolEntries, unsigned primaryBits,
                            std::span<std::uint32_t> table)
{
    const unsigned primarySize = 1u << primaryBits;

    std::array<unsigned, kMaxCodewordLen + 1> count{};
    for (std::uint8_t len : lengths)
        ++count[len];
    count[0] = 0;
    int room = 1; // unused code space, in units of the current length
    unsigned used = 0;
    for (unsigned len = 1; len <= kMaxCodewordLen; ++len) {
        room = 2 * room - static_cast<int>(count[len]);
        if (room < 0) return TableShape::Invalid; // over-subscribed
        used += count[len];
    }
    // Incomplete codes are refused, except the empty one and a lone 1-bit codeword.
    const bool lone = used == 1 && count[1] == 1;
    if (room > 0 && used != 0 && !lone) return TableShape::Invalid;
    // A complete code writes every primary slot below; the others need the
    // "no symbol" entry where no codeword lands.
    if (room > 0) std::fill_n(table.begin(), primarySize, kEntryInvalid);
    if (used == 0) return TableShape::Empty;

    // Symbols in canonical order: by length, then by symbol.
    std::array<unsigned, kMaxCodewordLen + 2> start{};
    for (unsigned len = 1; len <= kMaxCodewordLen; ++len)
        start[len + 1] = start[len] + count[len];
    std::array<std::uint16_t, kNumLitLenSymbols> sorted{};
    for (unsigned s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) sorted[start[lengths[s]]++] = static_cast<std::uint16_t>(s);

    std::array<unsigned, kMaxCodewordLen + 1> remaining = count;
    unsigned code = 0; // the canonical codeword, most significant bit first
    unsigned prevLen = 0;
    unsigned nextFree = primarySize;
    unsigned subPrefix = primarySize; // none yet
    unsigned subOffset = 0;
    unsigned subBits = 0;
    for (unsigned i = 0; i < used; ++i) {
        const unsigned s = sorted[i];
        const unsigned len = lengths[s];
        code <<= len - prevLen;
        prevLen = len;
        const unsigned reversed = Bit_Reverse(code, len);
        const std::uint32_t entry = symbolEntries[s] + len + (len << 8);
        if (len <= primaryBits) {
            for (unsigned j = reversed; j < primarySize; j += 1u << len)
                table[j] = entry;
        } else {
            const unsigned prefix = reversed & (primarySize - 1);
            if (prefix != subPrefix) {
                // Wide enough for every remaining codeword under this prefix.
                subBits = len - primaryBits;
                int left = 1 << subBits;
                while (primaryBits + subBits < kMaxCodewordLen) {
                    left -= static_cast<int>(remaining[primaryBits + subBits]);
                    if (left <= 0) break;
                    ++subBits;
                    left <<= 1;
                }
                if (nextFree + (1u << subBits) > table.size()) return TableShape::Invalid;
                subPrefix = prefix;
                subOffset = nextFree;
                nextFree += 1u << subBits;
                std::fill_n(table.begin() + subOffset, 1u << subBits, kEntryInvalid);
                table[prefix] = (subOffset << 16) | (subBits << 8) | kEntrySubtable;
            }
            for (unsigned j = reversed >> primaryBits; j < (1u << subBits);
                 j += 1u << (len - primaryBits))
                table[subOffset + j] = entry;
        }
        --remaining[len];
        ++code;
    }
    return TableShape::Usable;
}

} // namespace kolt::deflate
