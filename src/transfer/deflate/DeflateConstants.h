#pragma once
// The numbers of the DEFLATE format (RFC 1951), named as the RFC names them.
//
// A DEFLATE stream is a sequence of blocks. Each begins with BFINAL (1 bit,
// set on the last block) and BTYPE (2 bits: stored, fixed Huffman, dynamic
// Huffman, reserved). Compressed blocks carry literal/length symbols (0..255
// literal bytes, 256 end of block, 257..285 match lengths 3..258 with extra
// bits) each followed, for a length, by a distance symbol (0..29: distances
// 1..32768 with extra bits). Huffman codes are packed starting at the most
// significant bit of the code; every other field starts at its least
// significant bit. Everything below is fixed by the format and shared by the
// encoder and the decoder.

#include <array>
#include <cstdint>

namespace kolt::deflate {

// Block header fields.
inline constexpr unsigned kBfinalBits = 1;
inline constexpr unsigned kBtypeBits = 2;
enum Btype : unsigned { kStoredBlock = 0, kFixedBlock = 1, kDynamicBlock = 2, kReservedBlock = 3 };

// Stored blocks: LEN and NLEN, 16 bits each, after alignment to a byte.
inline constexpr unsigned kMaxStoredLen = 65535;
inline constexpr unsigned kStoredHeaderBytes = 5; // header byte, LEN, NLEN

// Matches.
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 258;
inline constexpr unsigned kWindowSize = 32768; // the farthest distance a decoder must accept

// Alphabets.
inline constexpr unsigned kNumLiterals = 256;
inline constexpr unsigned kEndOfBlock = 256;
inline constexpr unsigned kFirstLengthSymbol = 257;
inline constexpr unsigned kNumLengthSymbols = 29;  // 257..285
inline constexpr unsigned kNumLitLenSymbols = 288; // 286 and 287 take part in the fixed code only
inline constexpr unsigned kNumUsedLitLenSymbols = 286;
inline constexpr unsigned kNumDistSymbols = 32; // 30 and 31 likewise
inline constexpr unsigned kNumUsedDistSymbols = 30;
inline constexpr unsigned kNumCodeLengthSymbols = 19; // 0..15 lengths, 16, 17, 18 repeats

// Code lengths.
inline constexpr unsigned kMaxCodewordLen = 15;
inline constexpr unsigned kMaxCodeLengthCodewordLen = 7;

// Dynamic block header: HLIT, HDIST, HCLEN and their offsets.
inline constexpr unsigned kHlitBits = 5;
inline constexpr unsigned kHdistBits = 5;
inline constexpr unsigned kHclenBits = 4;
inline constexpr unsigned kMinHlit = 257;
inline constexpr unsigned kMinHdist = 1;
inline constexpr unsigned kMinHclen = 4;
inline constexpr unsigned kCodeLengthCodeBits = 3;

// Code-length repeat codes: symbol, extra bits, smallest repeat count.
inline constexpr unsigned kRepeatPrevious = 16; // 3..6 copies of the previous length, 2 bits
inline constexpr unsigned kRepeatZero3 = 17;    // 3..10 zeros, 3 bits
inline constexpr unsigned kRepeatZero11 = 18;   // 11..138 zeros, 7 bits

// The order in which code-length code lengths are sent.
inline constexpr std::array<std::uint8_t, kNumCodeLengthSymbols> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Length symbols 257..285: base length and extra bits.
inline constexpr std::array<std::uint16_t, kNumLengthSymbols> kLengthBase = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<std::uint8_t, kNumLengthSymbols> kLengthExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// Distance symbols 0..29: base distance and extra bits.
inline constexpr std::array<std::uint16_t, kNumUsedDistSymbols> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr std::array<std::uint8_t, kNumUsedDistSymbols> kDistExtra = {
    0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The fixed Huffman code of BTYPE 1.
inline constexpr unsigned FixedLitLenLength(unsigned symbol)
{
    return symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
}
inline constexpr unsigned kFixedDistLength = 5;

// Length 3..258 -> length symbol index 0..28 (add kFirstLengthSymbol for the symbol).
inline constexpr std::array<std::uint8_t, kMaxMatch + 1> kLengthSymbolIndex = [] {
    std::array<std::uint8_t, kMaxMatch + 1> t{};
    for (unsigned s = 0; s < kNumLengthSymbols; ++s)
        for (unsigned len = kLengthBase[s];
             len < kLengthBase[s] + (1u << kLengthExtra[s]) && len <= kMaxMatch; ++len)
            t[len] = static_cast<std::uint8_t>(s);
    t[kMaxMatch] = kNumLengthSymbols - 1; // 258 has its own symbol, not 284 with all ones
    return t;
}();

// Distance 1..32768 -> distance symbol: distances up to 256 by direct lookup,
// farther ones by their 128-distance bucket (symbols 16 and up span multiples of 128).
inline constexpr std::array<std::uint8_t, 512> kDistSymbolTable = [] {
    std::array<std::uint8_t, 512> t{};
    for (unsigned s = 0; s < kNumUsedDistSymbols; ++s)
        for (unsigned d = kDistBase[s]; d < kDistBase[s] + (1u << kDistExtra[s]); ++d) {
            if (d <= 256)
                t[d - 1] = static_cast<std::uint8_t>(s);
            else if (((d - 1) & 127) == 0)
                t[256 + ((d - 1) >> 7)] = static_cast<std::uint8_t>(s);
        }
    return t;
}();
inline constexpr unsigned DistSymbol(unsigned distance)
{
    return distance <= 256 ? kDistSymbolTable[distance - 1]
                           : kDistSymbolTable[256 + ((distance - 1) >> 7)];
}

} // namespace kolt::deflate
