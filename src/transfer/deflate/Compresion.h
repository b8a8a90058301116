#pragma once
// cCompresion: the file-transfer codec, raw DEFLATE (RFC 1951) in memory.
//
// Compression parses the whole input into literals and matches under the
// chosen level's limits (MatchFinder), then writes it as one final block of
// the cheapest type (BlockWriter). Decompression is the Inflater. Both run
// to completion in one call and keep no state between calls.
//
// The byte-array operations replace their argument: Comprimir turns the
// input into its compressed form, Descomprimir into its decompressed form,
// or leaves it exactly as it was when the stream is malformed or would
// exceed the size limit. Deflate() and Inflate() are the same work for
// callers that keep the input.
//
// The Deflate64 variant is not implemented. Asked for it, Comprimir writes a
// stream that both formats read alike (standard DEFLATE without length 258,
// the one symbol whose meaning differs), and Descomprimir refuses with
// InflateStatus::Unsupported.

#include "transfer/deflate/Inflater.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kolt::deflate {

// The most a received payload may expand to unless the caller says otherwise:
// the largest file the station transfers.
inline constexpr std::size_t kDefaultOutputLimit = 2'048'000;

// Compresses `input` at `level` (0 stored .. 9 smallest; out-of-range values
// are clamped). With `deflate64Compatible`, matches stop at 257 bytes.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> input, int level,
                                  bool deflate64Compatible = false);

class cCompresion {
public:
    // Replaces `ByteArray` by its raw DEFLATE form.
    static void Comprimir(std::vector<std::uint8_t>& ByteArray, std::int16_t CompLevel,
                          bool Deflate64);

    // Replaces `ByteArray` by its decompressed form, at most `Limit` bytes;
    // `UncompressedSize` is only a first guess at the size. On any status
    // but Ok the array is left as it was.
    static InflateStatus Descomprimir(std::vector<std::uint8_t>& ByteArray,
                                      std::int32_t UncompressedSize, bool ZIP64,
                                      std::size_t Limit = kDefaultOutputLimit);

    // The fixed Huffman codes of BTYPE 1 (built once; Comprimir uses them).
    static void init_Trees();

    // The low `Numbits` bits of `Valors` in reverse order.
    static unsigned Bit_Reverse(unsigned Valors, unsigned Numbits);
};

} // namespace kolt::deflate
