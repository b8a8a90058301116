#include "config/Indicativo.h"

#include <algorithm>

namespace kolt::config {

namespace {

bool esDigito(char c) { return c >= '0' && c <= '9'; }
bool esLetra(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::string AMayusculas(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return out;
}

std::string IndicativoBase(std::string_view indicativo)
{
    return AMayusculas(indicativo.substr(0, indicativo.find('-')));
}

std::uint8_t ObtenerSSID(std::string_view indicativo)
{
    const auto guion = indicativo.find('-');
    if (guion == std::string_view::npos) return 0;
    const std::string_view sufijo = indicativo.substr(guion + 1);
    if (sufijo == "T") return 16;
    if (sufijo == "R") return 17;
    unsigned valor = 0;
    for (char c : sufijo) {
        if (!esDigito(c)) break;
        valor = std::min(255u, valor * 10 + static_cast<unsigned>(c - '0'));
    }
    return static_cast<std::uint8_t>(valor);
}

bool ComprobarIndicativo(std::string& indicativo)
{
    indicativo = AMayusculas(indicativo);
    const std::string base = IndicativoBase(indicativo);
    const std::uint8_t ssid = ObtenerSSID(indicativo);
    const auto guion = indicativo.find('-');

    if (base.size() > 7) return false;
    if (ssid > 17) return false;
    if (guion != std::string::npos && ssid == 0) return false;
    if (!std::all_of(base.begin(), base.end(), [](char c) { return esLetra(c) || esDigito(c); }))
        return false;
    if (guion == std::string::npos) return true;

    const std::string_view sufijo = std::string_view(indicativo).substr(guion + 1);
    switch (sufijo.size()) {
    case 1: return sufijo[0] == 'T' || sufijo[0] == 'R' || esDigito(sufijo[0]);
    case 2: return esDigito(sufijo[0]) && esDigito(sufijo[1]);
    default: return false;  // "N0CALL-" and suffixes of three or more characters
    }
}

}  // namespace kolt::config
