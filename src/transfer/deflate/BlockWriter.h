#pragma once
// The block writer: turns a parse into the final DEFLATE stream.
//
// The whole input goes out as one final block. Its type is chosen by the
// estimated size in bytes of each:
//  - stored:  the input length + 5;
//  - fixed:   3 header bits plus the parse coded with the fixed codes of BTYPE 1;
//  - dynamic: 3 header bits, the code description, plus the parse coded with
//             Huffman codes built from the parse's own symbol frequencies.
// Fixed wins over stored only when strictly smaller, dynamic over the choice
// so far likewise, so equal sizes keep the simpler type. A stored "block" is
// written as as many stored blocks of at most 65,535 bytes as the input
// needs, BFINAL on the last.
//
// The dynamic code description is the one of RFC 1951 3.2.7: the literal/
// length and distance code lengths as one sequence, run-length coded with
// symbols 16 (repeat the previous length 3-6 times), 17 (3-10 zeros) and 18
// (11-138 zeros), and that sequence Huffman coded with the code-length code,
// whose 3-bit lengths are sent in the format's permuted order, trailing zeros
// cut. Every size is computed exactly before writing, so the output buffer
// is allocated once at its final size.

#include "transfer/deflate/DeflateConstants.h"
#include "transfer/deflate/MatchFinder.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kolt::deflate {

// A pair of Huffman codes, codewords bit-reversed for writing.
struct Trees {
    std::array<std::uint16_t, kNumLitLenSymbols> litLenCode{};
    std::array<std::uint8_t, kNumLitLenSymbols> litLenLength{};
    std::array<std::uint16_t, kNumDistSymbols> distCode{};
    std::array<std::uint8_t, kNumDistSymbols> distLength{};
};

// The fixed codes of BTYPE 1, built once.
const Trees& init_Trees();

// The whole of `input` as stored blocks.
std::vector<std::uint8_t> WriteStored(std::span<const std::uint8_t> input);

// `parse` (made from `input`) as one final block of the cheapest type.
std::vector<std::uint8_t> WriteFinalBlock(std::span<const std::uint8_t> input, const Parse& parse);

} // namespace kolt::deflate
