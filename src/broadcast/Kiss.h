#pragma once
// KISS framing of AX.25 frames on the modem's KISS TCP port.
//
// A KISS frame is FEND (0xC0), one command byte, the AX.25 frame with two
// bytes escaped, and FEND again:
//
//     0xC0 -> 0xDB 0xDC        0xDB -> 0xDB 0xDD
//
// so a FEND never occurs inside a frame and the stream can be cut at every
// FEND. Two command bytes mean something here: 0x00 is an ordinary UI frame
// with six-character addresses, 0x01 the variant with seven-character
// addresses (see Ax25.h).
//
// Receiving. TCP hands the stream over in chunks that have nothing to do with
// frame boundaries: a read may hold half a frame, or three. ReensambladorKISS
// is a small state machine fed every chunk as it arrives; it keeps the
// partial frame between feeds and hands back each frame once its closing FEND
// has been seen, already unescaped. Every FEND both ends a frame and opens the
// next, so "C0 f1 C0 f2 C0" and "C0 f1 C0 C0 f2 C0" give the same two frames.
//
// What the air can send and what becomes of it:
//  - bytes before the first FEND (we joined mid-frame): skipped;
//  - FEND FEND (an empty frame, often sent as a wake-up): nothing;
//  - an escape followed by a FEND (the frame lost its last byte): dropped;
//  - an escape followed by anything other than 0xDC/0xDD: both bytes kept
//    unchanged (the frame is still well delimited, so it is read leniently);
//  - a frame longer than the limit (kTramaMaxima bytes unless told): dropped up to the next FEND,
//    so a peer that never sends FEND cannot grow the buffer without bound.
// Frames too short to be AX.25 are passed on; DecodificarAX25 refuses them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kolt::broadcast {

inline constexpr std::uint8_t kFEND = 0xC0;
inline constexpr std::uint8_t kFESC = 0xDB;
inline constexpr std::uint8_t kTFEND = 0xDC;
inline constexpr std::uint8_t kTFESC = 0xDD;

// Command bytes this station sends and decodes.
inline constexpr std::uint8_t kComandoAX25 = 0x00;   // six-character addresses
inline constexpr std::uint8_t kComandoAX25_7 = 0x01; // seven-character addresses

// The KISS frame of `trama`: 0xC0, `comando`, the escaped frame, 0xC0.
// Its size is trama.size() + 3 + the number of 0xC0 and 0xDB bytes in `trama`
// (the command byte, never one of them here, would be escaped the same way).
std::vector<std::uint8_t> CodificarKISS(std::span<const std::uint8_t> trama, std::uint8_t comando);

// One frame taken off the KISS stream.
struct TramaKISS {
    std::uint8_t comando = 0;
    std::vector<std::uint8_t> ax25; // unescaped, may be empty

    bool operator==(const TramaKISS&) const = default;
};

class ReensambladorKISS {
public:
    // Largest frame kept, counted unescaped and with its command byte: well
    // above the largest broadcast (4 addresses of 8 bytes, control, PID and
    // 500 characters), far below anything that could hurt.
    static constexpr std::size_t kTramaMaxima = 4096;

    explicit ReensambladorKISS(std::size_t maxima = kTramaMaxima) : m_maxima(maxima) {}

    // Feeds one chunk as read from the socket; returns the frames it
    // completed, in order.
    std::vector<TramaKISS> feed(std::span<const std::uint8_t> chunk);
    std::vector<TramaKISS> feed(std::string_view chunk)
    {
        return feed(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()));
    }

    // Forgets any partial frame (the socket was reconnected).
    void reset();

    // Frames thrown away so far (dangling escape or over the limit).
    std::size_t descartadas() const { return m_descartadas; }

private:
    enum class Estado {
        Sincronizando, // waiting for a FEND: before the first, or after an overflow
        EnTrama,       // inside a frame
        TrasEscape,    // inside a frame, the last byte was FESC
    };

    void anadir(std::uint8_t byte);
    void cerrar(std::vector<TramaKISS>& salida);
    void descartar();

    std::size_t m_maxima;
    Estado m_estado = Estado::Sincronizando;
    std::vector<std::uint8_t> m_trama; // command byte, then the unescaped frame
    std::size_t m_descartadas = 0;
};

} // namespace kolt::broadcast
