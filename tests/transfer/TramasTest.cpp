// Data-port frames: the header rules, and the receiver fed every stream
// whole, byte by byte and cut at every offset, which must give the same
// events each time.

#include "transfer/Tramas.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace kolt::transfer;

namespace {

// An event with its payload piece copied, so logs can be kept and compared.
struct Ev {
    EventoTrama::Tipo tipo;
    char marcador = 0;
    std::uint32_t longitud = 0;
    int cabecera = 0;
    std::string carga;
    ErrorTrama error = ErrorTrama::NoEsDigito;

    bool operator==(const Ev&) const = default;
};

void PrintTo(const Ev& e, std::ostream* os)
{
    switch (e.tipo) {
    case EventoTrama::Tipo::Inicio:
    case EventoTrama::Tipo::Fin:
        *os << (e.tipo == EventoTrama::Tipo::Inicio ? "Inicio('" : "Fin('") << e.marcador << "', "
            << e.longitud << ", " << e.cabecera << ')';
        break;
    case EventoTrama::Tipo::Carga:
        *os << "Carga(" << e.carga.size() << " bytes: \"" << e.carga.substr(0, 40) << "\")";
        break;
    case EventoTrama::Tipo::Error: *os << "Error(" << DescribirError(e.error) << ')'; break;
    }
}

Ev Inicio(char m, std::uint32_t n, int cab)
{
    return {EventoTrama::Tipo::Inicio, m, n, cab, {}, {}};
}
Ev Fin(char m, std::uint32_t n, int cab)
{
    return {EventoTrama::Tipo::Fin, m, n, cab, {}, {}};
}
Ev Carga(std::string bytes)
{
    return {EventoTrama::Tipo::Carga, 0, 0, 0, std::move(bytes), {}};
}
Ev Error(ErrorTrama e)
{
    return {EventoTrama::Tipo::Error, 0, 0, 0, {}, e};
}

// Feeds `flujo` cut at the given offsets; consecutive payload pieces are
// joined, since how a payload is cut into pieces follows the chunks.
std::vector<Ev> Alimentar(const std::string& flujo, const std::vector<std::size_t>& cortes)
{
    ReceptorTramas r;
    std::vector<Ev> log;
    std::size_t desde = 0;
    auto trozo = [&](std::size_t hasta) {
        for (const EventoTrama& e : r.feed(std::string_view(flujo).substr(desde, hasta - desde))) {
            if (e.tipo == EventoTrama::Tipo::Carga) {
                EXPECT_FALSE(e.carga.empty()) << "no empty pieces";
                const std::string pieza(reinterpret_cast<const char*>(e.carga.data()),
                                        e.carga.size());
                if (!log.empty() && log.back().tipo == EventoTrama::Tipo::Carga)
                    log.back().carga += pieza;
                else
                    log.push_back(Carga(pieza));
                continue;
            }
            const char m = static_cast<char>(e.marcador);
            switch (e.tipo) {
            case EventoTrama::Tipo::Inicio: log.push_back(Inicio(m, e.longitud, e.cabecera)); break;
            case EventoTrama::Tipo::Fin: log.push_back(Fin(m, e.longitud, e.cabecera)); break;
            case EventoTrama::Tipo::Error: log.push_back(Error(e.error)); break;
            case EventoTrama::Tipo::Carga: break;
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
    std::vector<Ev> eventos;
};

void PrintTo(const Caso& c, std::ostream* os)
{
    *os << c.nombre;
}

class Receptor : public ::testing::TestWithParam<Caso> {};

TEST_P(Receptor, SameEventsWholeByteByByteAndCutAnywhere)
{
    const Caso& c = GetParam();
    EXPECT_EQ(Alimentar(c.flujo, {}), c.eventos) << "whole";

    // Long streams: every offset near the ends and the headers, a sample between.
    const std::size_t n = c.flujo.size();
    const std::size_t paso = n > 4096 ? n / 31 : 1;
    for (std::size_t corte = 1; corte < n; corte += (corte < 64 || corte > n - 64) ? 1 : paso)
        ASSERT_EQ(Alimentar(c.flujo, {corte}), c.eventos) << "cut at " << corte;

    if (n <= 4096) {
        std::vector<std::size_t> todos;
        for (std::size_t i = 1; i < n; ++i)
            todos.push_back(i);
        EXPECT_EQ(Alimentar(c.flujo, todos), c.eventos) << "byte by byte";
    }
}

std::string Bytes(std::size_t n, char relleno)
{
    return std::string(n, relleno);
}

const std::string kGrande = Bytes(kCargaMaxima, 'z');

INSTANTIATE_TEST_SUITE_P(
    Flujos, Receptor,
    ::testing::Values(
        Caso{"OneChatFrame", "5 hello", {Inicio(' ', 5, 2), Carga("hello"), Fin(' ', 5, 2)}},
        Caso{"EmptyPayload", "0 ", {Inicio(' ', 0, 2), Fin(' ', 0, 2)}},
        Caso{"PayloadWithMarkersDigitsAndCrLf",
             std::string("14 12 #$\r\n\r\n9 x\0y", 17),
             {Inicio(' ', 14, 3), Carga(std::string("12 #$\r\n\r\n9 x\0y", 14)), Fin(' ', 14, 3)}},
        Caso{"ThreeFramesInOneStream",
             "2 hi3#abc4$a#bc",
             {Inicio(' ', 2, 2), Carga("hi"), Fin(' ', 2, 2), Inicio('#', 3, 2), Carga("abc"),
              Fin('#', 3, 2), Inicio('$', 4, 2), Carga("a#bc"), Fin('$', 4, 2)}},
        Caso{"LeadingZerosAreDigits",
             "007 abcdefg",
             {Inicio(' ', 7, 4), Carga("abcdefg"), Fin(' ', 7, 4)}},
        Caso{"IncompletePayloadWaits", "11 hello", {Inicio(' ', 11, 3), Carga("hello")}},
        Caso{"DigitsOnlyWait", "1234", {}},
        Caso{"LargestFrame",
             "2048000$" + kGrande,
             {Inicio('$', kCargaMaxima, 8), Carga(kGrande), Fin('$', kCargaMaxima, 8)}},
        Caso{"FirstByteALetter", "hello", {Error(ErrorTrama::NoEsDigito)}},
        Caso{"MarkerAtIndexZero", " 5 hello", {Error(ErrorTrama::MarcadorAlInicio)}},
        Caso{"LetterBeforeMarker", "12ab 34", {Error(ErrorTrama::NoEsDigito)}},
        Caso{"LineEndBeforeMarker", "5\r\n hello", {Error(ErrorTrama::NoEsDigito)}},
        Caso{"OneAboveTheLargest", "2048001 x", {Error(ErrorTrama::LongitudExcesiva)}},
        Caso{"SevenDigitsTooLarge", "9999999", {Error(ErrorTrama::LongitudExcesiva)}},
        Caso{"EightDigitsEvenIfSmall", "00000001 x", {Error(ErrorTrama::LongitudExcesiva)}},
        Caso{"HugeLength", "99999999999999999999 x", {Error(ErrorTrama::LongitudExcesiva)}},
        Caso{"GoodFrameThenGarbageThenNothingMore",
             "1 xZ2 ab",
             {Inicio(' ', 1, 2), Carga("x"), Fin(' ', 1, 2), Error(ErrorTrama::NoEsDigito)}},
        Caso{"FrameThenMarkerAtStartOfNext",
             "1 x#",
             {Inicio(' ', 1, 2), Carga("x"), Fin(' ', 1, 2), Error(ErrorTrama::MarcadorAlInicio)}}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(ReceptorTramas, CountsTheFrameInFlightHeaderIncluded)
{
    ReceptorTramas r;
    EXPECT_FALSE(r.enTrama());
    r.feed("1");
    EXPECT_TRUE(r.enTrama()) << "a digit is the start of a frame";
    EXPECT_EQ(r.recibidos(), 1u);
    EXPECT_EQ(r.esperados(), 0u) << "not known before the marker";
    r.feed("1 hello w");
    EXPECT_EQ(r.recibidos(), 10u);
    EXPECT_EQ(r.esperados(), 14u);
    r.feed("orld3 ab");
    EXPECT_TRUE(r.enTrama()) << "the next frame has begun";
    EXPECT_EQ(r.recibidos(), 4u);
    EXPECT_EQ(r.esperados(), 5u);
    r.feed("c");
    EXPECT_FALSE(r.enTrama());
    EXPECT_EQ(r.recibidos(), 0u);
}

TEST(ReceptorTramas, AfterAnErrorOnlyResetListensAgain)
{
    ReceptorTramas r;
    ASSERT_EQ(r.feed("x").size(), 1u);
    EXPECT_TRUE(r.fallido());
    EXPECT_FALSE(r.enTrama());
    EXPECT_TRUE(r.feed("5 hello").empty());
    r.reset();
    EXPECT_FALSE(r.fallido());
    EXPECT_EQ(r.feed("5 hello").size(), 3u);

    r.feed("9 abc"); // a frame cut by the end of a link
    r.reset();
    const auto& e = r.feed("2 hi");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].longitud, 2u) << "the new stream does not continue the old frame";
}

struct CasoCabecera {
    std::string bytes;
    bool cabecera;
};

class Cabeceras : public ::testing::TestWithParam<CasoCabecera> {};

TEST_P(Cabeceras, EsCabecera)
{
    EXPECT_EQ(EsCabecera(GetParam().bytes), GetParam().cabecera) << GetParam().bytes;
}

INSTANTIATE_TEST_SUITE_P(Tabla, Cabeceras,
                         ::testing::Values(CasoCabecera{"5 hello", true},
                                           CasoCabecera{"300#", true}, CasoCabecera{"1$x", true},
                                           CasoCabecera{"2048000$", true}, CasoCabecera{"0 ", true},
                                           CasoCabecera{"12", false}, CasoCabecera{"", false},
                                           CasoCabecera{" 5 hello", false},
                                           CasoCabecera{"a1 ", false}, CasoCabecera{"12ab", false},
                                           CasoCabecera{"2048001 ", false},
                                           CasoCabecera{"00000001 ", false}));

TEST(Tramas, HeaderIsTheDecimalLengthAndTheMarker)
{
    EXPECT_EQ(Cabecera(5, Marcador::Texto) + "hello", "5 hello") << "seven bytes for five letters";
    EXPECT_EQ(Cabecera(300, Marcador::ArchivoComprimido), "300#");
    EXPECT_EQ(Cabecera(kCargaMaxima, Marcador::ArchivoPlano), "2048000$");
    EXPECT_EQ(Cabecera(0, Marcador::Texto), "0 ");
}

TEST(Tramas, PercentRoundsHalvesToEven)
{
    EXPECT_EQ(Porcentaje(8, 14), 57);
    EXPECT_EQ(Porcentaje(14, 14), 100);
    EXPECT_EQ(Porcentaje(500, 1000), 50);
    EXPECT_EQ(Porcentaje(1, 8), 12) << "12.5";
    EXPECT_EQ(Porcentaje(3, 8), 38) << "37.5";
    EXPECT_EQ(Porcentaje(5, 1000), 0) << "0.5";
    EXPECT_EQ(Porcentaje(15, 1000), 2) << "1.5";
    EXPECT_EQ(Porcentaje(0, 0), 0);
}

} // namespace
