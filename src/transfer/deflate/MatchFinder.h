#pragma once
// The parse: the input cut into literals and back-references (matches).
//
// The whole input is in memory, so the parser simply walks it once. At each
// position it looks for earlier occurrences of the bytes that follow, through
// two hash tables:
//  - a chain table keyed by the next 4 bytes: head[hash] is the latest
//    position with that hash, prev[pos % 32768] the one before it, so walking
//    the chain visits earlier candidates newest first. Keying on 4 bytes
//    rather than 3 keeps the chains short and their entries real, which buys
//    both speed and better matches for the same chain length;
//  - a single-entry table keyed by the next 3 bytes, for matches of exactly
//    3 bytes, which are worth taking only when near (at most 4,096 back).
// Every position is inserted in both tables, including those inside matches.
//
// The level's four numbers steer the search the classic way: at most `chain`
// candidates are tried, a match of `nice` bytes ends the search, and the
// parse is lazy: having found a match at p, it looks at p + 1 and, if a
// longer match starts there, emits the byte at p as a literal and moves on.
// A match of at least `lazy` bytes is taken at once, and once the match in
// hand is at least `good` bytes long the look-ahead searches only a quarter
// of the chain.
//
// Matches are 3 to 258 bytes and reach back at most 32,767 bytes (one less
// than the format allows).

#include "transfer/deflate/DeflateConstants.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kolt::deflate {

// The search limits of one compression level.
struct LevelParams {
    std::uint16_t good;  // a match this long shortens the look-ahead search
    std::uint16_t lazy;  // a match this long is taken without look-ahead
    std::uint16_t nice;  // a match this long ends the search
    std::uint16_t chain; // at most this many earlier occurrences are tried
};

inline constexpr std::array<LevelParams, 10> kLevelParams = {{
    {0, 0, 0, 0},
    {4, 4, 8, 4},
    {4, 5, 16, 8},
    {4, 6, 32, 32},
    {4, 4, 16, 16},
    {8, 16, 32, 32},
    {8, 16, 128, 128},
    {8, 32, 128, 256},
    {32, 128, 258, 1024},
    {32, 258, 258, 4096},
}};

inline constexpr unsigned kMaxEncoderDistance = 32767;
inline constexpr unsigned kTooFar = 4096; // farthest a 3-byte match may reach

// A literal (distance 0, the byte in `lengthOrLiteral`) or a match.
struct Token {
    std::uint16_t lengthOrLiteral;
    std::uint16_t distance;
};

struct Parse {
    std::vector<Token> tokens;
    std::array<std::uint32_t, kNumLitLenSymbols> litLenFreq{}; // end of block counted once
    std::array<std::uint32_t, kNumDistSymbols> distFreq{};
};

// Parses `input` (shorter than 2 GiB) under `params`, with matches of at most
// `maxMatch` bytes.
void FindMatches(std::span<const std::uint8_t> input, const LevelParams& params, unsigned maxMatch,
                 Parse& parse);

} // namespace kolt::deflate
