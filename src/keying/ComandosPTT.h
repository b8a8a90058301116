#pragma once
// What goes down the radio serial port: the command that keys or unkeys a
// catalogue record, and the line settings of the port.
//
// Icom CI-V (family 1) frames are built here, the others come from the
// record: a byte frame when it has one (UltimoByte > 0), else its text. A
// model without a command gives the empty string, and nothing is sent.
//
// The CI-V address is the operator's "Icom Address" when set, else the
// model's default. Only one or two hex digits make an address; anything else
// (only a hand-edited ini can hold it) reads as 00.
//
// Line settings are text of the form speed,parity,data bits,stop bits
// ("4800,n,8,2"). The stop bits follow the family: two for the byte-frame
// radios, two for text radios only at 4800 baud, one otherwise.

#include "keying/Catalogo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolt::keying {

// Line settings used for keying by RTS/DTR, whatever the speed setting says.
inline constexpr std::string_view kAjustesCOM = "4800,N,8,1";

// The bytes that key (`transmitir`) or unkey `radio`; empty: send nothing.
std::string OrdenPTT(const Radio& radio, bool transmitir, std::string_view direccionIcom);

// One or two hex digits.
bool DireccionCIVValida(std::string_view texto);

// The CI-V address the frames of `radio` go to: the setting when it is one
// or two hex digits, else the model's own.
std::uint8_t DireccionCIV(const Radio& radio, std::string_view direccionIcom);

// Settings text of the CAT port for `radio` at speed `baud`, in lower case.
std::string TextoAjustesCAT(const Radio& radio, std::string_view baud);

enum class Paridad : std::uint8_t { Ninguna, Par, Impar, Marca, Espacio };

struct AjustesSerie {
    std::uint32_t baudios = 0;
    Paridad paridad = Paridad::Ninguna;
    std::uint8_t bitsDatos = 8;
    std::uint8_t bitsParada = 1;
    bool operator==(const AjustesSerie&) const = default;
};

// Parses a settings text (any letter case). A speed that is not a positive
// decimal number up to 4,000,000, an unknown parity, data bits outside 5 to 8
// or stop bits other than 1 or 2 make the text invalid.
std::optional<AjustesSerie> LeerAjustes(std::string_view texto);

} // namespace kolt::keying
