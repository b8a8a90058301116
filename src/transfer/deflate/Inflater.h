#pragma once
// Raw DEFLATE decoder (RFC 1951) for untrusted input.
//
// The stream is read through a 64-bit bit buffer. While at least 8 input
// bytes remain, a refill loads 8 bytes at once and keeps whatever whole bytes
// fit, so every refill leaves 56 to 63 bits, enough for one literal/length
// symbol with its extra bits (20 bits) and, after one more refill check, a
// distance symbol with its extra bits (28 bits). Near the end of the input
// the refill goes byte by byte and supplies zero bytes past the end, counting
// them: a stream is truncated exactly when the decoder consumes one of those
// zero bits, which is checked whenever more than 8 have been supplied and
// once at the end.
//
// Output goes to a buffer that starts at the caller's size hint (or a
// multiple of the input) and doubles when full, never past the caller's
// limit; a stream that would produce more is refused. The buffer keeps 8
// spare bytes beyond its capacity so that matches can be copied 8 bytes at a
// time, and each match is checked against the output produced so far, so a
// distance can never reach before the start.
//
// Every way a stream can be malformed ends decoding with a reason; nothing
// is thrown. A stored block's NLEN is read but not compared with LEN;
// BTYPE 3 is refused.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kolt::deflate {

enum class InflateStatus : std::uint8_t {
    Ok,
    Truncated,      // the input ends before the final block does
    BadBlockType,   // BTYPE 3
    BadCodeLengths, // a code description that is no prefix code, or has no end-of-block code
    BadSymbol,      // a codeword that stands for no symbol (or for 286, 287, 30, 31)
    BadDistance,    // a match reaching before the start of the output
    OutputLimit,    // the output would exceed the caller's limit
    Unsupported,    // a variant of the format this decoder does not read (Deflate64)
};

// A short English description of a status, for logs and tools.
const char* Describe(InflateStatus status);

// Decodes the raw DEFLATE stream `input` into `output` (replaced; emptied
// on failure), producing at most `limit` bytes. `sizeHint` is the expected
// output size, only a first guess. Bytes after the final block are ignored.
InflateStatus Inflate(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                      std::size_t limit, std::size_t sizeHint = 0);

} // namespace kolt::deflate
