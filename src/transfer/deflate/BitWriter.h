#pragma once
// Bit writer for the encoder: fields go out least significant bit first, as
// RFC 1951 packs them (Huffman codes arrive already bit-reversed).
//
// Bits collect in a 64-bit accumulator. After each item (at most 48 bits: a
// 15-bit length code with 5 extra bits and a 15-bit distance code with 13
// extra bits) the caller calls Flush(), which stores all 8 accumulator bytes
// at once and advances by the whole bytes among them; so the accumulator
// never holds more than 7 bits between items and never overflows. That
// 8-byte store needs the buffer to reach 8 bytes past the last byte that
// counts; when it does not, the writer stops writing and remembers it
// (Overflowed()), which the caller checks once at the end of the block.

#include "transfer/deflate/ByteOrder.h"

#include <cstddef>
#include <cstdint>

namespace kolt::deflate {

class BitWriter {
public:
    BitWriter(std::uint8_t* begin, std::uint8_t* end) : m_begin(begin), m_out(begin), m_end(end) {}

    // Adds `count` bits (count <= 56 - pending bits) without storing them.
    void Put(std::uint64_t bits, unsigned count)
    {
        m_bits |= bits << m_count;
        m_count += count;
    }

    // Stores the whole bytes collected so far.
    void Flush()
    {
        if (m_end - m_out < 8) {
            m_overflow = true;
            return;
        }
        StoreLE64(m_out, m_bits);
        m_out += m_count >> 3;
        m_bits >>= m_count & ~7u;
        m_count &= 7;
    }

    // Pads the last byte with zero bits; returns the number of bytes written.
    std::size_t Finish()
    {
        Put(0, (8 - m_count) & 7);
        Flush();
        return static_cast<std::size_t>(m_out - m_begin);
    }

    bool Overflowed() const { return m_overflow; }

private:
    std::uint8_t* m_begin;
    std::uint8_t* m_out;
    std::uint8_t* m_end;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;
    bool m_overflow = false;
};

} // namespace kolt::deflate
