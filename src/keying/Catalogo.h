#pragma once
// The radio catalogue: every radio the station can key by CAT command, with
// the serial speeds it offers, its CAT family and its keying commands.
//
// The table is compiled in and never changes. Records are numbered 1 to 142
// and the number is what the settings store ("Rig"), so a record's number,
// like its model name and bytes, is part of the stored-settings format.
// Each brand also has its models in display order, which is not the record
// order. Model names are unique over the whole catalogue.
//
// Families decide the frame format and the stop bits of the CAT port:
//   1  Icom CI-V frames FE FE aa E0 1C 00 01|00 FD, aa the CI-V address
//   2  raw byte frames (older Yaesu, Anytone)
//   3  text commands; two stop bits at 4800 baud, one otherwise
//   4  text commands ended by CR (TenTec)

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kolt::keying {

inline constexpr int kNumMarcas = 8;
inline constexpr int kMarcasOfrecidas = 7; // the dialog offers all but the last (Anytone)
inline constexpr int kSlotsModelo = 65;
inline constexpr int kNumRadios = 142;
inline constexpr int kRigPorDefecto = 52; // Yaesu FT-897
inline constexpr int kMaxBaudios = 6;
inline constexpr int kMaxBytes = 8;

// One model record. Texts may hold control characters (CR, NUL): they are
// byte strings, not C strings.
struct Radio {
    std::array<std::string_view, kMaxBaudios> baudios{}; // speeds, in list order
    std::uint8_t numBaudios = 0;
    std::uint8_t familia = 0;
    std::string_view marca;
    std::string_view modelo;
    std::string_view textoTX;
    std::string_view textoRX;
    std::string_view direccionCIV; // two hex digits, family 1 only
    std::uint8_t ultimoByte = 0;   // 0: no byte frames, the texts are used
    std::array<std::uint8_t, kMaxBytes> bytesTX{};
    std::array<std::uint8_t, kMaxBytes> bytesRX{};

    constexpr std::span<const std::string_view> Baudios() const
    {
        return {baudios.data(), numBaudios};
    }
};

class Catalogo {
public:
    // Brand names by index 0 to 7; empty outside.
    std::string_view Marca(int indice) const;

    // The brand's models in display order, up to the first empty slot.
    std::span<const std::string_view> Modelos(int marca) const;

    // Record "Rig". A number outside 1 to 142 (a hand-edited settings file)
    // gets the default record rather than whatever lies past the table.
    const Radio& RadioNumero(int rig) const;

    // Number of the first record whose model is exactly `modelo`.
    std::optional<int> NumeroDeModelo(std::string_view modelo) const;

    // Index of the brand named `marca`, if any.
    std::optional<int> IndiceDeMarca(std::string_view marca) const;

    std::array<std::string_view, kNumMarcas> marcas;
    std::array<std::array<std::string_view, kSlotsModelo>, kNumMarcas> modelos;
    std::array<Radio, kNumRadios> radios; // radios[n - 1] is record n
};

// The catalogue. It is built at compile time; the call stands where the
// start-up sequence fills it.
const Catalogo& CargarRadios();

} // namespace kolt::keying
