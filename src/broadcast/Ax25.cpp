#include "broadcast/Ax25.h"

#include "config/Indicativo.h"

namespace kolt::broadcast {

namespace {

constexpr std::uint8_t kBitUltima = 0x01;
constexpr std::uint8_t kBitRepetido = 0x80;
constexpr std::uint8_t kBitsReservados = 0x60;
constexpr std::uint8_t kBitsSSID = 0x1E;

bool esImprimible(std::uint8_t c)
{
    return c >= 32 && c <= 126;
}

void escribirDireccion(std::vector<std::uint8_t>& salida, std::string_view indicativo,
                       std::size_t longitud, bool ultima)
{
    std::string base = config::IndicativoBase(indicativo);
    base.resize(longitud, ' ');
    for (char c : base)
        salida.push_back(static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) << 1));
    const auto ssid = static_cast<std::uint8_t>(config::ObtenerSSID(indicativo) & 0x0F);
    salida.push_back(
        static_cast<std::uint8_t>(ssid << 1 | kBitsReservados | (ultima ? kBitUltima : 0)));
}

// One address of `longitud` + 1 bytes at the start of `bytes` (which holds
// at least that many): the call sign and the raw SSID byte.
std::string leerIndicativo(std::span<const std::uint8_t> bytes, std::size_t longitud)
{
    std::string texto;
    for (std::size_t i = 0; i < longitud; ++i) {
        const auto c = static_cast<std::uint8_t>(bytes[i] >> 1);
        if (esImprimible(c)) texto.push_back(static_cast<char>(c));
    }
    const auto primero = texto.find_first_not_of(' ');
    if (primero == std::string::npos) {
        texto.clear();
    } else {
        texto = texto.substr(primero, texto.find_last_not_of(' ') - primero + 1);
    }
    const int ssid = (bytes[longitud] & kBitsSSID) >> 1;
    if (ssid != 0) texto += "-" + std::to_string(ssid);
    return texto;
}

} // namespace

std::vector<std::uint8_t> CodificarDireccion(std::string_view indicativo, std::size_t longitud,
                                             bool ultima)
{
    std::vector<std::uint8_t> salida;
    escribirDireccion(salida, indicativo, longitud, ultima);
    return salida;
}

std::vector<std::uint8_t> ConstruirTramaUI(std::span<const std::string> direcciones,
                                           std::size_t longitud, std::span<const std::uint8_t> info)
{
    // Destination and source always; then the digipeaters up to the first empty one.
    std::size_t cuantas = 2;
    while (cuantas < direcciones.size() && cuantas < 2 + kDigisMaximos &&
           !direcciones[cuantas].empty())
        ++cuantas;

    std::vector<std::uint8_t> salida;
    salida.reserve(cuantas * (longitud + 1) + 2 + info.size());
    for (std::size_t k = 0; k < cuantas; ++k) {
        const std::string_view indicativo =
            k < direcciones.size() ? std::string_view(direcciones[k]) : std::string_view();
        escribirDireccion(salida, indicativo, longitud, k + 1 == cuantas);
    }
    salida.push_back(kControlUI);
    salida.push_back(kPIDSinCapa3);
    salida.insert(salida.end(), info.begin(), info.end());
    return salida;
}

TramaDecodificada DecodificarAX25(std::span<const std::uint8_t> trama, std::uint8_t comando)
{
    TramaDecodificada r;
    TramaAX25& t = r.trama;
    const std::size_t longitud = LongitudDireccion(comando);
    const std::size_t paso = longitud + 1;
    t.Longitud = static_cast<std::uint8_t>(longitud);

    // The one bounds check: every read below is of an address or a byte
    // that this test has shown to lie inside the frame.
    auto cabe = [&](std::size_t direcciones) { return trama.size() >= direcciones * paso + 2; };
    auto direccion = [&](std::size_t k) { return trama.subspan(k * paso, paso); };
    auto esUltima = [&](std::size_t k) { return (trama[k * paso + longitud] & kBitUltima) != 0; };

    if (!cabe(2)) return r;
    t.Destino = leerIndicativo(direccion(0), longitud);
    t.Origen = leerIndicativo(direccion(1), longitud);
    std::size_t direcciones = 2;
    if (!esUltima(1)) {
        if (!cabe(3)) return r;
        t.Via1 = leerIndicativo(direccion(2), longitud);
        t.Repetido1 = (trama[2 * paso + longitud] & kBitRepetido) ? 1 : 0;
        direcciones = 3;
        if (!esUltima(2)) {
            if (!cabe(4)) return r;
            t.Via2 = leerIndicativo(direccion(3), longitud);
            t.Repetido2 = (trama[3 * paso + longitud] & kBitRepetido) ? 1 : 0;
            direcciones = 4; // the field ends here whatever its last bit says
        }
    }

    const std::size_t fin = direcciones * paso;
    t.Control = trama[fin];
    t.PID = trama[fin + 1];
    for (std::uint8_t b : trama.subspan(fin + 2))
        if (esImprimible(b)) t.Info.push_back(static_cast<char>(b));
    r.resultado = ResultadoAX25::Correcta;
    return r;
}

} // namespace kolt::broadcast
