// File payloads: the frame a payload travels in (compressed up to 600,000
// bytes, plain above) and the opening of a received one, hostile ones
// included.

#include "transfer/CargaArchivo.h"
#include "transfer/deflate/Compresion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace kolt::transfer;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Carga(const std::string& nombre, std::size_t tamano, bool azar)
{
    Bytes b(nombre.begin(), nombre.end());
    b.push_back('#');
    std::mt19937 g(7);
    for (std::size_t i = 0; i < tamano; ++i)
        b.push_back(azar ? std::uint8_t(g()) : std::uint8_t("abcabd"[i % 6]));
    return b;
}

std::string Texto(std::span<const std::uint8_t> s)
{
    return {s.begin(), s.end()};
}

struct Caso {
    std::size_t carga; // name + "#" + body
    bool azar;
    Marcador marcador;
};

class Armado : public ::testing::TestWithParam<Caso> {};

// The frame is header + payload (compressed or not), and opening its
// payload gives the name and the body back.
TEST_P(Armado, FrameCarriesThePayloadThatOpensToNameAndBody)
{
    const Caso c = GetParam();
    const Bytes carga = Carga("a.b.txt", c.carga - 8, c.azar);
    ASSERT_EQ(carga.size(), c.carga);
    const TramaArchivo t = ArmarTramaArchivo(carga);
    EXPECT_EQ(t.marcador, c.marcador);

    const std::string cabecera = Texto(std::span(t.bytes).first(t.cabecera));
    const std::size_t largo = t.bytes.size() - t.cabecera;
    EXPECT_EQ(cabecera, std::to_string(largo) + char(c.marcador));
    EXPECT_TRUE(EsCabecera(cabecera));
    if (c.marcador == Marcador::ArchivoPlano) {
        EXPECT_TRUE(std::equal(carga.begin(), carga.end(), t.bytes.begin() + long(t.cabecera)));
    } else if (!c.azar) {
        EXPECT_LT(largo, carga.size() / 10);
    }

    Bytes almacen;
    const CargaAbierta a = AbrirCarga(c.marcador, std::span(t.bytes).subspan(t.cabecera), almacen);
    ASSERT_EQ(a.estado, EstadoCarga::Ok);
    EXPECT_EQ(Texto(a.nombre), "a.b.txt");
    EXPECT_TRUE(std::equal(a.cuerpo.begin(), a.cuerpo.end(), carga.begin() + 8, carga.end()));
    EXPECT_EQ(a.cuerpo.size(), c.carga - 8);
}

INSTANTIATE_TEST_SUITE_P(Limites, Armado,
                         ::testing::Values(Caso{9, true, Marcador::ArchivoComprimido},
                                           Caso{600'000, true, Marcador::ArchivoComprimido},
                                           Caso{600'000, false, Marcador::ArchivoComprimido},
                                           Caso{600'001, false, Marcador::ArchivoPlano},
                                           Caso{2'048'000, true, Marcador::ArchivoPlano}));

TEST(AbrirCarga, NameEndsAtTheFirstSeparatorAndTheBodyMayHoldMore)
{
    const std::string s = "n#x#y";
    Bytes almacen;
    const CargaAbierta a =
        AbrirCarga(Marcador::ArchivoPlano,
                   std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), almacen);
    ASSERT_EQ(a.estado, EstadoCarga::Ok);
    EXPECT_EQ(Texto(a.nombre), "n");
    EXPECT_EQ(Texto(a.cuerpo), "x#y");
}

TEST(AbrirCarga, EmptyNameAndEmptyBodyAreWhole)
{
    for (const std::string s : {"#body", "name#", "#"}) {
        Bytes almacen;
        const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
        EXPECT_EQ(AbrirCarga(Marcador::ArchivoPlano, std::span(p, s.size()), almacen).estado,
                  EstadoCarga::Ok)
            << s;
    }
}

struct Hostil {
    const char* nombre;
    Marcador marcador;
    Bytes carga;
    EstadoCarga esperado;
};

Bytes Comprimido(const Bytes& b)
{
    return kolt::deflate::Deflate(b, 5);
}

void PrintTo(const Hostil& h, std::ostream* os)
{
    *os << h.nombre;
}

class CargaHostil : public ::testing::TestWithParam<Hostil> {};

TEST_P(CargaHostil, IsRefusedWithItsReason)
{
    const Hostil& h = GetParam();
    Bytes almacen;
    const CargaAbierta a = AbrirCarga(h.marcador, h.carga, almacen);
    EXPECT_EQ(a.estado, h.esperado) << DescribirEstado(a.estado);
    EXPECT_TRUE(a.nombre.empty());
    EXPECT_TRUE(a.cuerpo.empty());
    // Bounded by the limit whatever the stream claims (the decoder's buffer
    // may overshoot it by its own growth step, never by the stream's size).
    EXPECT_LE(almacen.capacity(), 2 * std::size_t{kCargaMaxima});
}

Bytes Truncado()
{
    Bytes b = Comprimido(Carga("a.txt", 5000, true));
    b.resize(b.size() / 2);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, CargaHostil,
    ::testing::Values(
        Hostil{"PlainWithoutSeparator", Marcador::ArchivoPlano, Bytes{'a', 'b', 'c'},
               EstadoCarga::SinSeparador},
        Hostil{"PlainEmpty", Marcador::ArchivoPlano, Bytes{}, EstadoCarga::SinSeparador},
        Hostil{"CompressedWithoutSeparator", Marcador::ArchivoComprimido,
               Comprimido(Bytes(5000, 'z')), EstadoCarga::SinSeparador},
        Hostil{"CompressedEmpty", Marcador::ArchivoComprimido, Bytes{}, EstadoCarga::Corrupta},
        Hostil{"NotDeflateAtAll", Marcador::ArchivoComprimido, Bytes{'a', '#', 'b', 0xFF, 0xFF},
               EstadoCarga::Corrupta},
        Hostil{"Truncated", Marcador::ArchivoComprimido, Truncado(), EstadoCarga::Corrupta},
        // A few kilobytes that would expand to 8 MB.
        Hostil{"Bomb", Marcador::ArchivoComprimido, Comprimido(Bytes(8u << 20, 0)),
               EstadoCarga::Excesiva},
        Hostil{"OneByteOverTheLimit", Marcador::ArchivoComprimido,
               Comprimido(Carga("a", kCargaMaxima - 1, false)), EstadoCarga::Excesiva}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(AbrirCarga, CompressedPayloadOfExactlyTheLimitOpens)
{
    const Bytes carga = Carga("a", kCargaMaxima - 2, false);
    Bytes almacen;
    const CargaAbierta a = AbrirCarga(Marcador::ArchivoComprimido, Comprimido(carga), almacen);
    ASSERT_EQ(a.estado, EstadoCarga::Ok);
    EXPECT_EQ(a.cuerpo.size(), kCargaMaxima - 2);
}

} // namespace
