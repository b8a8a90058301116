#include "keying/ComandosPTT.h"

#include <algorithm>
#include <array>

namespace kolt::keying {

namespace {

constexpr std::uint8_t kPreambuloCIV = 0xFE;
constexpr std::uint8_t kControlador = 0xE0;
constexpr std::uint8_t kComandoTransmitir = 0x1C;
constexpr std::uint8_t kFinCIV = 0xFD;
constexpr std::uint32_t kVelocidadMaxima = 4'000'000;

int valorHex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::uint8_t> leerDireccion(std::string_view texto)
{
    if (texto.empty() || texto.size() > 2) return std::nullopt;
    int valor = 0;
    for (char c : texto) {
        const int d = valorHex(c);
        if (d < 0) return std::nullopt;
        valor = valor * 16 + d;
    }
    return static_cast<std::uint8_t>(valor);
}

char minuscula(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::optional<std::uint32_t> leerNatural(std::string_view texto, std::uint32_t maximo)
{
    if (texto.empty() || texto.size() > 10) return std::nullopt;
    std::uint64_t valor = 0;
    for (char c : texto) {
        if (c < '0' || c > '9') return std::nullopt;
        valor = valor * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (valor == 0 || valor > maximo) return std::nullopt;
    return static_cast<std::uint32_t>(valor);
}

} // namespace

bool DireccionCIVValida(std::string_view texto)
{
    return leerDireccion(texto).has_value();
}

std::uint8_t DireccionCIV(const Radio& radio, std::string_view direccionIcom)
{
    if (const auto d = leerDireccion(direccionIcom)) return *d;
    // Empty, or no address at all (a settings file edited by hand): the
    // model's own address, never 00, which every radio on the bus obeys.
    return leerDireccion(radio.direccionCIV).value_or(0);
}

std::string OrdenPTT(const Radio& radio, bool transmitir, std::string_view direccionIcom)
{
    if (radio.familia == 1) {
        const std::array<std::uint8_t, 8> trama = {
            kPreambuloCIV,      kPreambuloCIV, DireccionCIV(radio, direccionIcom), kControlador,
            kComandoTransmitir, 0x00,          std::uint8_t{transmitir},           kFinCIV};
        return {trama.begin(), trama.end()};
    }
    if (radio.ultimoByte > 0) {
        const auto& trama = transmitir ? radio.bytesTX : radio.bytesRX;
        return {trama.begin(), trama.begin() + radio.ultimoByte + 1};
    }
    return std::string(transmitir ? radio.textoTX : radio.textoRX);
}

std::string TextoAjustesCAT(const Radio& radio, std::string_view baud)
{
    const bool dosParadas = radio.familia == 2 || (radio.familia == 3 && baud == "4800");
    std::string texto(baud);
    texto += dosParadas ? ",N,8,2" : ",N,8,1";
    std::transform(texto.begin(), texto.end(), texto.begin(), minuscula);
    return texto;
}

std::optional<AjustesSerie> LeerAjustes(std::string_view texto)
{
    std::array<std::string_view, 4> campos;
    std::size_t n = 0;
    while (true) {
        const auto coma = texto.find(',');
        if (n == campos.size()) return std::nullopt;
        campos[n++] = texto.substr(0, coma);
        if (coma == std::string_view::npos) break;
        texto.remove_prefix(coma + 1);
    }
    if (n != campos.size()) return std::nullopt;

    AjustesSerie a;
    const auto baudios = leerNatural(campos[0], kVelocidadMaxima);
    if (!baudios) return std::nullopt;
    a.baudios = *baudios;

    if (campos[1].size() != 1) return std::nullopt;
    switch (minuscula(campos[1][0])) {
    case 'n': a.paridad = Paridad::Ninguna; break;
    case 'e': a.paridad = Paridad::Par; break;
    case 'o': a.paridad = Paridad::Impar; break;
    case 'm': a.paridad = Paridad::Marca; break;
    case 's': a.paridad = Paridad::Espacio; break;
    default: return std::nullopt;
    }

    const auto datos = leerNatural(campos[2], 8);
    if (!datos || *datos < 5) return std::nullopt;
    a.bitsDatos = static_cast<std::uint8_t>(*datos);

    const auto parada = leerNatural(campos[3], 2);
    if (!parada) return std::nullopt;
    a.bitsParada = static_cast<std::uint8_t>(*parada);
    return a;
}

} // namespace kolt::keying
