// Data-port frames: the receiver fed each stream whole and cut anywhere gives
// the same events; the header rules; and the opening of a received file
// payload: its name and body, or a refusal with its reason, in bounded memory.

#include "transfer/Tramas.h"
#include "transfer/CargaArchivo.h"
#include "transfer/deflate/Compresion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace kolt::transfer;

namespace {

std::string E(ErrorTrama e)
{
    return "E:" + std::string(DescribirError(e));
}

// The events as text: "I 5+2" (start: marker, length, header size), "C:hello"
// (payload, consecutive pieces joined since their cut follows the chunks),
// "F 5+2" (end), "E:reason".
std::vector<std::string> Alimentar(std::string_view flujo, const std::vector<std::size_t>& cortes)
{
    ReceptorTramas r;
    std::vector<std::string> log;
    std::size_t desde = 0;
    auto trozo = [&](std::size_t hasta) {
        for (const EventoTrama& e : r.feed(flujo.substr(desde, hasta - desde))) {
            const std::string trama = static_cast<char>(e.marcador) + std::to_string(e.longitud) +
                                      '+' + std::to_string(e.cabecera);
            switch (e.tipo) {
            case EventoTrama::Tipo::Inicio: log.push_back("I" + trama); break;
            case EventoTrama::Tipo::Fin: log.push_back("F" + trama); break;
            case EventoTrama::Tipo::Error: log.push_back(E(e.error)); break;
            case EventoTrama::Tipo::Carga:
                EXPECT_FALSE(e.carga.empty()) << "no empty pieces";
                if (log.empty() || !log.back().starts_with("C:")) log.emplace_back("C:");
                log.back().append(reinterpret_cast<const char*>(e.carga.data()), e.carga.size());
                break;
            }
        }
        desde = hasta;
    };
    for (std::size_t c : cortes)
        trozo(c);
    trozo(flujo.size());
    return log;
}

struct Caso {
    const char* nombre;
    std::string flujo;
    std::vector<std::string> eventos;
};

class Receptor : public ::testing::TestWithParam<Caso> {};

TEST_P(Receptor, SameEventsWholeByteByByteAndCutAnywhere)
{
    const Caso& c = GetParam();
    EXPECT_EQ(Alimentar(c.flujo, {}), c.eventos) << "whole";

    // Every cut of short streams; of the largest frame, cuts in and just
    // after its header and one before its end (it is fed whole each time).
    const std::size_t n = c.flujo.size();
    std::vector<std::size_t> todos;
    for (std::size_t i = 1; i < n; ++i)
        if (n <= 4096 || i <= kCabeceraMaxima + 1 || i == n - 1) todos.push_back(i);
    for (std::size_t corte : todos)
        ASSERT_EQ(Alimentar(c.flujo, {corte}), c.eventos) << "cut at " << corte;
    if (n <= 4096) {
        EXPECT_EQ(Alimentar(c.flujo, todos), c.eventos) << "byte by byte";
    }
}

const std::string kGrande(kCargaMaxima, 'z');

INSTANTIATE_TEST_SUITE_P(
    Flujos, Receptor,
    ::testing::Values(
        Caso{"OneChatFrame", "5 hello", {"I 5+2", "C:hello", "F 5+2"}},
        Caso{"PayloadWithMarkersDigitsAndCrLf",
             std::string("14 12 #$\r\n\r\n9 x\0y", 17),
             {"I 14+3", std::string("C:12 #$\r\n\r\n9 x\0y", 16), "F 14+3"}},
        Caso{"ThreeFramesOneEmpty",
             "2 hi0#4$a#bc",
             {"I 2+2", "C:hi", "F 2+2", "I#0+2", "F#0+2", "I$4+2", "C:a#bc", "F$4+2"}},
        Caso{"LeadingZerosAreDigits", "007 abcdefg", {"I 7+4", "C:abcdefg", "F 7+4"}},
        Caso{"DigitsOnlyWait", "1234", {}},
        Caso{"LargestFrame", "2048000$" + kGrande, {"I$2048000+8", "C:" + kGrande, "F$2048000+8"}},
        Caso{"FirstByteALetter", "hello", {E(ErrorTrama::NoEsDigito)}},
        Caso{"MarkerAtIndexZero", " 5 hello", {E(ErrorTrama::MarcadorAlInicio)}},
        Caso{"OneAboveTheLargest", "2048001 x", {E(ErrorTrama::LongitudExcesiva)}},
        Caso{"EightDigitsEvenIfSmall", "00000001 x", {E(ErrorTrama::LongitudExcesiva)}},
        Caso{"GoodFrameThenGarbageThenNothingMore",
             "1 xZ2 ab",
             {"I 1+2", "C:x", "F 1+2", E(ErrorTrama::NoEsDigito)}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(Tramas, EsCabeceraWantsDigitsAMarkerAndACarriableLength)
{
    for (const char* si : {"5 hello", "300#", "2048000$"})
        EXPECT_TRUE(EsCabecera(si)) << si;
    for (const char* no : {"12", "", " 5 hello", "12ab", "2048001 ", "00000001 "})
        EXPECT_FALSE(EsCabecera(no)) << no;
}

// ---- File payloads ----

using Bytes = std::vector<std::uint8_t>;

Bytes Carga(const std::string& nombre, std::size_t tamano)
{
    Bytes b(nombre.begin(), nombre.end());
    b.push_back('#');
    for (std::size_t i = 0; i < tamano; ++i)
        b.push_back(std::uint8_t("abcabd"[i % 6]));
    return b;
}

Bytes Comprimido(const Bytes& b)
{
    return kolt::deflate::Deflate(b, 5);
}

// Up to 600,000 bytes a payload goes compressed, above it as it is.
TEST(CargaArchivo, CompressedUpTo600000Bytes)
{
    for (std::size_t carga : {600'000u, 600'001u}) {
        const TramaArchivo t = ArmarTramaArchivo(Carga("a", carga - 2));
        const Bytes cuerpo(t.bytes.begin() + std::ptrdiff_t(t.cabecera), t.bytes.end());
        EXPECT_EQ(t.marcador,
                  carga == 600'000 ? Marcador::ArchivoComprimido : Marcador::ArchivoPlano);
        EXPECT_EQ(t.bytes[t.cabecera - 1], static_cast<std::uint8_t>(t.marcador));
        EXPECT_EQ(std::string(t.bytes.begin(), t.bytes.begin() + std::ptrdiff_t(t.cabecera) - 1),
                  std::to_string(cuerpo.size()));
        Bytes almacen;
        EXPECT_EQ(AbrirCarga(t.marcador, cuerpo, almacen).cuerpo.size(), carga - 2);
    }
}

// A received payload opens to its name and body or is refused with a
// reason, in memory bounded by the limit whatever the stream claims (the
// decoder's buffer may overshoot it by its own growth step).
TEST(CargaArchivo, OpensOrRefusesWithItsReason)
{
    Bytes truncado = Comprimido(Carga("a.txt", 5000));
    truncado.resize(truncado.size() / 2);
    const struct {
        const char* caso;
        Marcador marcador;
        Bytes carga;
        EstadoCarga estado;
        const char* nombre = "";
        std::size_t cuerpo = 0; // bytes of the body, when it opens
    } casos[] = {{"name ends at the first separator",
                  Marcador::ArchivoPlano,
                  {'n', '#', 'x', '#', 'y'},
                  EstadoCarga::Ok,
                  "n",
                  3},
                 {"compressed to exactly the limit", Marcador::ArchivoComprimido,
                  Comprimido(Carga("a", kCargaMaxima - 2)), EstadoCarga::Ok, "a", kCargaMaxima - 2},
                 {"plain empty", Marcador::ArchivoPlano, {}, EstadoCarga::SinSeparador},
                 {"truncated", Marcador::ArchivoComprimido, truncado, EstadoCarga::Corrupta},
                 {"a bomb of 8 MB", Marcador::ArchivoComprimido, Comprimido(Bytes(8u << 20, 0)),
                  EstadoCarga::Excesiva},
                 {"one byte over the limit", Marcador::ArchivoComprimido,
                  Comprimido(Carga("a", kCargaMaxima - 1)), EstadoCarga::Excesiva}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Bytes almacen;
        const CargaAbierta a = AbrirCarga(c.marcador, c.carga, almacen);
        EXPECT_EQ(a.estado, c.estado) << DescribirEstado(a.estado);
        EXPECT_EQ(std::string(a.nombre.begin(), a.nombre.end()), c.nombre);
        EXPECT_EQ(a.cuerpo.size(), c.cuerpo);
        EXPECT_LE(almacen.capacity(), 2 * std::size_t{kCargaMaxima});
    }
}

} // namespace
