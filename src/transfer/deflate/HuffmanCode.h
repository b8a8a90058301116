#pragma once
// Huffman codes for the encoder: lengths from symbol frequencies under a
// length limit, then the canonical codewords of RFC 1951 section 3.2.2.
//
// DEFLATE caps codeword lengths (15 bits for literal/length and distance
// codes, 7 for the code-length code), so plain Huffman construction is not
// always enough: a skewed distribution can ask for longer codes. Lengths
// come from plain Huffman construction (two queues over the sorted
// frequencies) when it stays within the cap, which is nearly always, and
// otherwise from the package-merge algorithm, which gives the optimal prefix
// code under the cap. Package-merge works level by level from the deepest
// allowed length: each level's list is the symbols (sorted by frequency)
// merged with "packages", pairs of consecutive items of the level below. The
// 2n-2 cheapest items of the top list decide everything; a symbol's length
// is the number of levels at which it is among the chosen items. Because the
// chosen items of every level form a prefix of that level's list, it
// suffices to count, per level, how many of its first k items are symbols
// and how many are packages: the packages among them set k for the next
// level down.
//
// The codes are given back bit-reversed, ready to be written least
// significant bit first as the format requires.

#include <cstdint>
#include <span>

namespace kolt::deflate {

// Returns the low `Numbits` bits of `Valors` in reverse order.
unsigned Bit_Reverse(unsigned Valors, unsigned Numbits);

// Fills `lengths` (same size as `freq`) with optimal codeword lengths of at
// most `maxLength` bits. Unused symbols get length 0. When fewer than two
// symbols are used, two get length 1 (the used one and a neighbour), so that
// every decoder sees a complete code.
void BuildCodeLengths(std::span<const std::uint32_t> freq, unsigned maxLength,
                      std::span<std::uint8_t> lengths);

// Fills `codes` with the canonical codewords for `lengths`, bit-reversed.
void BuildCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

} // namespace kolt::deflate
