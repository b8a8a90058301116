#pragma once
// Call-sign rules: what the station accepts as a call sign, and how one
// splits into the base and the SSID used by the AX.25 address field.
//
// A valid call sign is empty (no call sign), or a base of at most seven
// letters and digits, optionally followed by "-" and one of: a digit 1 to 9,
// two digits 01 to 17, "T" (SSID 16) or "R" (SSID 17).

#include <cstdint>
#include <string>
#include <string_view>

namespace kolt::config {

// Everything before the first hyphen, upper-cased (ASCII only).
std::string IndicativoBase(std::string_view indicativo);

// 0 without a hyphen; 16 for "-T", 17 for "-R"; otherwise the value of the
// leading decimal digits of the suffix (0 when there are none), saturated at
// 255 so that an absurd suffix can never wrap round to a valid one.
std::uint8_t ObtenerSSID(std::string_view indicativo);

// Upper-cases the caller's text in place, whatever the verdict, then tells
// whether it is a valid call sign.
bool ComprobarIndicativo(std::string& indicativo);

// ASCII upper case; the call-sign rules never look at other letters.
std::string AMayusculas(std::string_view text);

} // namespace kolt::config
