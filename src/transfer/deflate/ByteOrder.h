#pragma once
// Unaligned little-endian loads and stores. The codec reads and writes
// several bytes at once; memcpy keeps that legal for any alignment and the
// compiler turns it into one move.

#include <bit>
#include <cstdint>
#include <cstring>

namespace kolt::deflate {

inline std::uint64_t LoadLE64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) {
        v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | p[i];
    }
    return v;
}

inline std::uint32_t LoadLE32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big) {
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | p[i];
    }
    return v;
}

inline void StoreLE64(std::uint8_t* p, std::uint64_t v)
{
    if constexpr (std::endian::native == std::endian::big) {
        for (int i = 0; i < 8; ++i, v >>= 8)
            p[i] = static_cast<std::uint8_t>(v);
    } else {
        std::memcpy(p, &v, 8);
    }
}

} // namespace kolt::deflate
