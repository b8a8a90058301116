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

// Optimal lengths under the limit (package-merge, see the header).
void PackageMerge(std::span<const std::uint32_t> freq, std::span<const std::uint16_t> order,
                  unsigned maxLength, std::span<std::uint8_t> lengths)
{
    const auto n = static_cast<unsigned>(order.size());
    // isLeaf[level][i]: whether item i of that level's list is a symbol (else
    // a package). Level maxLength - 1 is the deepest list, level 0 the top.
    // Only the entries written are ever read, so nothing is cleared first.
    std::array<std::array<bool, kMaxItems>, kMaxCodewordLen> isLeaf;
    std::array<std::uint64_t, kMaxItems> listA, listB;
    std::uint64_t* below = listA.data();
    std::uint64_t* current = listB.data();
    for (unsigned i = 0; i < n; ++i) {
        below[i] = freq[order[i]];
        isLeaf[maxLength - 1][i] = true;
    }
    unsigned belowCount = n;
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
        std::swap(below, current);
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

// Plain Huffman lengths by the two-queue method: symbols in ascending order
// in one queue, merged nodes (created in ascending order too) in another.
// False, leaving `lengths` untouched, when a length exceeds the limit.
bool HuffmanLengths(std::span<const std::uint32_t> freq, std::span<const std::uint16_t> order,
                    unsigned maxLength, std::span<std::uint8_t> lengths)
{
    const auto n = static_cast<unsigned>(order.size());
    // Nodes 0..n-1 are the symbols in order, n..2n-2 the merged nodes.
    std::array<std::uint64_t, kMaxItems> weight;
    std::array<std::uint16_t, kMaxItems> parent;
    for (unsigned i = 0; i < n; ++i)
        weight[i] = freq[order[i]];
    unsigned leaf = 0, merged = n;
    auto takeSmallest = [&](unsigned next) {
        // Ties go to the symbol, which keeps the code shallower.
        if (leaf < n && (merged == next || weight[leaf] <= weight[merged])) return leaf++;
        return merged++;
    };
    for (unsigned next = n; next < 2 * n - 1; ++next) {
        const unsigned a = takeSmallest(next);
        const unsigned b = takeSmallest(next);
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<std::uint16_t>(next);
    }
    // Depths from the root down: a parent always comes after its children.
    std::array<std::uint16_t, kMaxItems> depth;
    depth[2 * n - 2] = 0;
    for (unsigned i = 2 * n - 2; i-- > 0;) {
        depth[i] = static_cast<std::uint16_t>(depth[parent[i]] + 1);
        if (i < n && depth[i] > maxLength) return false;
    }
    for (unsigned i = 0; i < n; ++i)
        lengths[order[i]] = static_cast<std::uint8_t>(depth[i]);
    return true;
}

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
    const std::span<const std::uint16_t> sorted(order.data(), n);
    if (!HuffmanLengths(freq, sorted, maxLength, lengths))
        PackageMerge(freq, sorted, maxLength, lengths);
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
