#pragma once
// Huffman decode tables for the inflater.
//
// The decoder peeks at the next `primaryBits` bits of the stream (least
// significant bit first, the order in which the codeword's bits arrive) and
// looks them up in one table: a codeword of at most `primaryBits` bits fills
// every slot whose low bits are its bit-reversed form, so one lookup gives
// the symbol whatever bits follow it. Longer codewords are rare; their slot
// in the primary table points to a subtable indexed by the bits after the
// first `primaryBits`. Canonical codes put all codewords that share a prefix
// next to each other, so each subtable is sized once, from the counts of the
// codewords still to place, when its first codeword arrives.
//
// Each 32-bit entry carries everything the decoder needs without a second
// lookup:
//   bits  0..7   bits to consume: the codeword (whole length, also in
//                subtables) plus the extra bits that follow it
//   bits  8..11  the codeword's length alone, or the subtable's index width
//                for a subtable pointer
//   bits 12..15  flags: literal, end of block, subtable pointer, no symbol
//   bits 16..31  the literal byte, base length, base distance, code-length
//                symbol, or the subtable's offset
//
// A code is accepted when it is complete, or when it has exactly one
// codeword of length 1 (a lone distance code: the RFC sends it with one bit),
// or when it is empty (the caller decides whether empty is allowed). Slots
// that no codeword reaches hold the "no symbol" entry.

#include <cstdint>
#include <span>

namespace kolt::deflate {

inline constexpr std::uint32_t kEntryLiteral = 1u << 12;
inline constexpr std::uint32_t kEntryEndOfBlock = 1u << 13;
inline constexpr std::uint32_t kEntrySubtable = 1u << 14;
inline constexpr std::uint32_t kEntryInvalid = 1u << 15;

inline constexpr unsigned EntryBits(std::uint32_t e)
{
    return e & 0xFF;
}
inline constexpr unsigned EntryCodeLength(std::uint32_t e)
{
    return (e >> 8) & 0xF;
}
inline constexpr unsigned EntryValue(std::uint32_t e)
{
    return e >> 16;
}

inline constexpr unsigned kLitLenPrimaryBits = 11;
inline constexpr unsigned kDistPrimaryBits = 8;
inline constexpr unsigned kCodeLengthPrimaryBits = 7;
// Room for the primary table and every subtable a valid code can need: a
// subtable of s bits holds at least s + 1 codewords, so subtables take at
// most 16/5 slots per codeword for literal/length and 128/8 for distance.
inline constexpr unsigned kLitLenTableSize = (1u << kLitLenPrimaryBits) + 1024;
inline constexpr unsigned kDistTableSize = (1u << kDistPrimaryBits) + 512;
inline constexpr unsigned kCodeLengthTableSize = 1u << kCodeLengthPrimaryBits;

// The entries of each alphabet's symbols, before the codeword length is
// known: value, flags, and the extra-bit count in the low byte.
std::span<const std::uint32_t> LitLenSymbolEntries();
std::span<const std::uint32_t> DistSymbolEntries();
std::span<const std::uint32_t> CodeLengthSymbolEntries();

enum class TableShape { Usable, Empty, Invalid };

// Builds the table for codeword `lengths` (one per symbol). On Invalid the
// table content is unspecified.
TableShape BuildDecodeTable(std::span<const std::uint8_t> lengths,
                            std::span<const std::uint32_t> symbolEntries, unsigned primaryBits,
                            std::span<std::uint32_t> table);

} // namespace kolt::deflate
