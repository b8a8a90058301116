// Opening the payload of a received file frame, hostile ones included: the
// name and the body, or a refusal with its reason, in bounded memory. (How a
// payload is packed, compressed or plain, is checked end to end: ExtremoTest.)

#include "transfer/CargaArchivo.h"
#include "transfer/deflate/Compresion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

using namespace kolt::transfer;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cuerpo(std::size_t tamano, bool azar)
{
    Bytes b(tamano);
    std::mt19937 g(7);
    for (std::size_t i = 0; i < tamano; ++i)
        b[i] = azar ? std::uint8_t(g()) : std::uint8_t("abcabd"[i % 6]);
    return b;
}

Bytes Carga(const std::string& nombre, const Bytes& cuerpo)
{
    Bytes b(nombre.begin(), nombre.end());
    b.push_back('#');
    b.insert(b.end(), cuerpo.begin(), cuerpo.end());
    return b;
}

Bytes Comprimido(const Bytes& b)
{
    return kolt::deflate::Deflate(b, 5);
}

std::string Texto(std::span<const std::uint8_t> s)
{
    return {s.begin(), s.end()};
}

struct Apertura {
    const char* caso;
    Marcador marcador;
    Bytes carga;
    EstadoCarga estado;
    std::string nombre = {}; // what opens, when it does
    Bytes cuerpo = {};
};

void PrintTo(const Apertura& a, std::ostream* os)
{
    *os << a.caso;
}

class AbrirCargaTabla : public ::testing::TestWithParam<Apertura> {};

TEST_P(AbrirCargaTabla, GivesNameAndBodyOrRefusesWithItsReason)
{
    const Apertura& c = GetParam();
    Bytes almacen;
    const CargaAbierta a = AbrirCarga(c.marcador, c.carga, almacen);
    EXPECT_EQ(a.estado, c.estado) << DescribirEstado(a.estado);
    EXPECT_EQ(Texto(a.nombre), c.nombre);
    EXPECT_TRUE(std::ranges::equal(a.cuerpo, c.cuerpo));
    // Bounded by the limit whatever the stream claims (the decoder's buffer
    // may overshoot it by its own growth step, never by the stream's size).
    EXPECT_LE(almacen.capacity(), 2 * std::size_t{kCargaMaxima});
}

Bytes Truncado()
{
    Bytes b = Comprimido(Carga("a.txt", Cuerpo(5000, true)));
    b.resize(b.size() / 2);
    return b;
}

const Bytes kLimite = Cuerpo(kCargaMaxima - 2, false);

INSTANTIATE_TEST_SUITE_P(
    Tabla, AbrirCargaTabla,
    ::testing::Values(
        Apertura{"NameEndsAtTheFirstSeparator",
                 Marcador::ArchivoPlano,
                 Carga("n", {'x', '#', 'y'}),
                 EstadoCarga::Ok,
                 "n",
                 {'x', '#', 'y'}},
        Apertura{"CompressedToExactlyTheLimit", Marcador::ArchivoComprimido,
                 Comprimido(Carga("a", kLimite)), EstadoCarga::Ok, "a", kLimite},
        Apertura{"PlainEmpty", Marcador::ArchivoPlano, Bytes{}, EstadoCarga::SinSeparador},
        Apertura{"CompressedWithoutSeparator", Marcador::ArchivoComprimido,
                 Comprimido(Bytes(5000, 'z')), EstadoCarga::SinSeparador},
        Apertura{"CompressedEmpty", Marcador::ArchivoComprimido, Bytes{}, EstadoCarga::Corrupta},
        Apertura{"Truncated", Marcador::ArchivoComprimido, Truncado(), EstadoCarga::Corrupta},
        // A few kilobytes that would expand to 8 MB.
        Apertura{"Bomb", Marcador::ArchivoComprimido, Comprimido(Bytes(8u << 20, 0)),
                 EstadoCarga::Excesiva},
        Apertura{"OneByteOverTheLimit", Marcador::ArchivoComprimido,
                 Comprimido(Carga("a", Cuerpo(kCargaMaxima - 1, false))), EstadoCarga::Excesiva}),
    [](const auto& info) { return std::string(info.param.caso); });

} // namespace
