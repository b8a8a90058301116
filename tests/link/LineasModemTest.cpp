#include "link/LineasModem.h"

#include <gtest/gtest.h>

#include <numeric>

using kolt::link::LineasModem;
using kolt::link::ParsearConectado;

namespace {

struct Caso {
    const char* nombre;
    std::string flujo;
    std::vector<std::string> lineas;
    std::size_t pendientes; // bytes of an unfinished line left at the end
};

// The lines of `flujo` fed cut at `cortes`, and the bytes left pending.
std::pair<std::vector<std::string>, std::size_t> Alimentar(const std::string& flujo,
                                                           std::vector<std::size_t> cortes)
{
    LineasModem l;
    std::vector<std::string> todas;
    std::size_t desde = 0;
    cortes.push_back(flujo.size());
    for (std::size_t hasta : cortes) {
        for (auto& linea : l.feed(std::string_view(flujo).substr(desde, hasta - desde)))
            todas.push_back(std::move(linea));
        desde = hasta;
    }
    return {todas, l.pendientes()};
}

class Lineas : public ::testing::TestWithParam<Caso> {};

TEST_P(Lineas, SameLinesWholeByteByByteAndSplitAnywhere)
{
    const Caso& c = GetParam();
    const auto esperado = std::pair(c.lineas, c.pendientes);
    EXPECT_EQ(Alimentar(c.flujo, {}), esperado) << "whole";
    std::vector<std::size_t> cada(c.flujo.size() > 0 ? c.flujo.size() - 1 : 0);
    std::iota(cada.begin(), cada.end(), 1);
    EXPECT_EQ(Alimentar(c.flujo, cada), esperado) << "byte by byte";
    // Every offset of the short streams; for the oversize ones, the offsets
    // around the limit and a sample elsewhere.
    for (std::size_t corte = 0; corte <= c.flujo.size(); ++corte) {
        const bool cerca =
            corte + 3 >= LineasModem::kLineaMaxima && corte <= LineasModem::kLineaMaxima + 3;
        if (c.flujo.size() > 256 && !cerca && corte % 4099 != 0 && corte + 8 < c.flujo.size())
            continue;
        EXPECT_EQ(Alimentar(c.flujo, {corte}), esperado) << "split at " << corte;
    }
}

const std::string kLarga(LineasModem::kLineaMaxima + 10, 'X');

INSTANTIATE_TEST_SUITE_P(
    Table, Lineas,
    ::testing::Values(Caso{"TwoLinesInOneArrival", "PTT ON\rPTT OFF\r", {"PTT ON", "PTT OFF"}, 0},
                      Caso{"UnfinishedLineIsKept", "BUFFER 10", {}, 9},
                      Caso{"CrLfEndsOneLine", "OK\r\nWRONG\r\n", {"OK", "WRONG"}, 0},
                      Caso{"LfInsideALineIsKept", "A\nB\r", {"A\nB"}, 0},
                      Caso{"EmptyLines", "\r\r", {"", ""}, 0},
                      Caso{"TrailingBlankKept", "DISCONNECTED \r", {"DISCONNECTED "}, 0},
                      Caso{"OversizeLineDiscardedUpToItsCr", kLarga + "\rOK\r", {"OK"}, 0},
                      Caso{"CrLfAfterOversizeLineEndsIt", kLarga + "\r\nOK\r", {"OK"}, 0},
                      Caso{"OversizeLineNeverBuffered", kLarga, {}, 0}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(ConnectedLine, FieldsAsTheLinkRecordKeepsThem)
{
    using Campos = std::vector<std::string>;
    const std::pair<std::string, Campos> casos[] = {
        {"CONNECTED K1 K2 VIA K3 NARROW", {"K1", "K2", "K3", ""}},
        {"CONNECTED K1 K2 VIA K3 K4 WIDE", {"K1", "K2", "K3", "K4"}},
        {"CONNECTED K1 K2", {"K1", "K2", "", ""}}};
    for (const auto& [linea, esperados] : casos) {
        const auto c = ParsearConectado(linea);
        EXPECT_EQ((Campos{c.estacion1, c.estacion2, c.digi1, c.digi2}), esperados) << linea;
    }
    // Too few fields: the caller keeps the old stations.
    EXPECT_EQ(ParsearConectado("CONNECTED K1").campos.size(), 2u);
}

} // namespace
