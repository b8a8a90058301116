#pragma once
// AX.25 UI frames as this station builds and reads them.
//
// Layout on the wire (no frame check sequence: KISS carries none):
//
//     destination | source | [digipeater 1] | [digipeater 2] | 0x03 | 0xF0 | information
//
// Each address is L characters and one SSID byte, L being 6 for the
// ordinary frame (KISS command byte 0x00) and 7 for this system's variant
// with seven-character call signs (command byte 0x01). A character c is
// stored as c << 1; the base is padded with spaces to L characters. The SSID
// byte is (SSID << 1) | 0x60, with SSID taken modulo 16 so that the suffixes
// "T" (16) and "R" (17) come out as SSID 0 and 1; bit 0x01 marks the last
// address of the field and bit 0x80 is a digipeater's has-been-repeated flag,
// which a sender never sets.
//
// Decoding never trusts the frame: the address field ends at the source,
// the first or the second digipeater as the last-address bits say, and no
// later whatever they say; a frame that ends before its control and PID
// bytes is refused; the information field and the call signs keep only the
// printable characters 32 to 126, so nothing from the air can put control
// characters (a forged line break, say) into the receive screen.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::broadcast {

inline constexpr std::uint8_t kControlUI = 0x03;
inline constexpr std::uint8_t kPIDSinCapa3 = 0xF0;
inline constexpr std::size_t kDigisMaximos = 2;

// L for a KISS command byte: 7 for 0x01, else 6.
constexpr std::size_t LongitudDireccion(std::uint8_t comando)
{
    return comando == 0x01 ? 7 : 6;
}

// The L + 1 bytes of one address: `indicativo`'s base (IndicativoBase,
// cut to L characters should a longer one ever arrive) and its SSID
// (ObtenerSSID), bit 0x01 set when `ultima`.
std::vector<std::uint8_t> CodificarDireccion(std::string_view indicativo, std::size_t longitud,
                                             bool ultima);

// The UI frame to `direcciones[0]` from `direcciones[1]` through the
// digipeaters that follow, with L = `longitud` (6 or 7) and the information
// bytes `info`. The destination and the source are always written (an empty
// one as blanks); the digipeaters end at the first empty entry and at two.
std::vector<std::uint8_t> ConstruirTramaUI(std::span<const std::string> direcciones,
                                           std::size_t longitud,
                                           std::span<const std::uint8_t> info);

// A received frame, decoded.
struct TramaAX25 {
    std::string Destino;
    std::string Origen;
    std::string Via1; // empty when absent
    std::string Via2;
    std::uint8_t Repetido1 = 0; // has-been-repeated bits of the digipeaters
    std::uint8_t Repetido2 = 0;
    std::uint8_t Control = 0;
    std::uint8_t PID = 0;
    std::string Info; // printable characters only
    std::uint8_t Longitud = 6;

    bool operator==(const TramaAX25&) const = default;
};

enum class ResultadoAX25 {
    Correcta,
    Truncada, // ends inside its address field or before control and PID
};

struct TramaDecodificada {
    ResultadoAX25 resultado = ResultadoAX25::Truncada;
    TramaAX25 trama; // meaningful only when Correcta
};

// Decodes the unescaped frame bytes received with KISS command byte
// `comando` (L = 7 for 0x01, else 6). A call sign reads as its characters
// without surrounding blanks, then "-" and the SSID when it is not 0.
TramaDecodificada DecodificarAX25(std::span<const std::uint8_t> trama, std::uint8_t comando);

} // namespace kolt::broadcast
