#include "transfer/deflate/HuffmanCode.h"

#include "transfer/deflate/DeflateConstants.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace kolt::deflate {

unsigned Bit_Reverse(unsigned Valors, unsigned Numbits)
{
    unsigned reversed = 0;
    for (unsigned i = 0; i < Numbits; ++i) {
        reversed = (reversed << 1) | (Valors & 1u);
        Valors >>= 1;
    }
    return reversed;
}

namespace {

constexpr unsigned kMaxSymbols = kNumLitLenSymbols;
constexpr unsigned kMaxItems = 2 * kMaxSymbols;

} // namespace

void BuildCodeLengths(std::span<const std::uint32_t> freq, unsigned maxLength,
                      std::span<std::uint8_t> lengths)
{
    assert(freq.size() == lengths.size() && freq.size() <= kMaxSymbols && freq.size() >= 2);
    assert(maxLength >= 1 && maxLength <= kMaxCodewordLen);
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});

    std::array<std::uint16_t, kMaxSymbols> order{};
    unsigned n = 0;
    for (unsigned s = 0; s < freq.size(); ++s)
        if (freq[s] != 0) order[n++] = static_cast<std::uint16_t>(s);
    if (n < 2) {
        const unsigned used = n == 1 ? order[0] : 0;
        lengths[used] = 1;
        lengths[used == 0 ? 1 : used - 1] = 1;
        return;
    }
    std::sort(order.begin(), order.begin() + n, [&](std::uint16_t a, std::uint16_t b) {
        return freq[a] != freq[b] ? freq[a] < freq[b] : a < b;
    });

    // isLeaf[level][i]: whether item i of that level's list is a symbol (else
    // a package). Level maxLength - 1 is the deepest list, level 0 the top.
    std::array<std::array<bool, kMaxItems>, kMaxCodewordLen> isLeaf{};
    std::array<std::uint64_t, kMaxItems> below{}, current{};
    unsigned belowCount = 0;
    for (unsigned i = 0; i < n; ++i) {
        below[i] = freq[order[i]];
        isLeaf[maxLength - 1][i] = true;
    }
    belowCount = n;
    for (unsigned level = maxLength - 1; level-- > 0;) {
        const unsigned packages = belowCount / 2;
        unsigned leaf = 0, pkg = 0, count = 0;
        while (leaf < n || pkg < packages) {
            const std::uint64_t pkgWeight =
                pkg < packages ? below[2 * pkg] + below[2 * pkg + 1] : UINT64_MAX;
            if (leaf < n && freq[order[leaf]] <= pkgWeight) {
                current[count] = freq[order[leaf++]];
                isLeaf[level][count++] = true;
            } else {
                current[count] = pkgWeight;
                isLeaf[level][count++] = false;
                ++pkg;
            }
        }
        below = current;
        belowCount = count;
    }

    // Walk down from the 2n-2 cheapest items of the top list.
    unsigned take = 2 * n - 2;
    for (unsigned level = 0; level < maxLength && take > 0; ++level) {
        unsigned leaves = 0;
        for (unsigned i = 0; i < take; ++i)
            leaves += isLeaf[level][i] ? 1 : 0;
        for (unsigned i = 0; i < leaves; ++i)
            ++lengths[order[i]];
        take = 2 * (take - leaves);
    }
}

void BuildCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes)
{
    // RFC 1951 3.2.2: codes of one length are consecutive in symbol order, and
    // each length's first code follows the last code of the length before.
    std::array<unsigned, kMaxCodewordLen + 1> count{};
    for (std::uint8_t len : lengths)
        ++count[len];
    count[0] = 0;
    std::array<unsigned, kMaxCodewordLen + 1> next{};
    unsigned code = 0;
    for (unsigned len = 1; len <= kMaxCodewordLen; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    for (unsigned s = 0; s < lengths.size(); ++s) {
        const unsigned len = lengths[s];
        codes[s] = len == 0 ? 0 : static_cast<std::uint16_t>(Bit_Reverse(next[len]++, len));
    }
}

} // namespace kolt::deflate
