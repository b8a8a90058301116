// The folder picker's start folder: one trailing separator goes.

#include "config/ServiciosShell.h"

#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;

namespace {

struct CasoCarpeta {
    const char* inicio;
    const char* mostrada;             // what the picker starts at, and the caller keeps
    const char* elegida = "/elegida"; // the operator's answer; empty: cancelled
};

void PrintTo(const CasoCarpeta& c, std::ostream* os)
{
    *os << '"' << c.inicio << '"';
}

class ElegirCarpetaTest : public ::testing::TestWithParam<CasoCarpeta> {};

TEST_P(ElegirCarpetaTest, TrailingSeparatorIsRemovedForThePickerAndTheCaller)
{
    test::OperadorGuion operador;
    operador.respuestas = {QString::fromUtf8(GetParam().elegida)};
    QString inicio = QString::fromUtf8(GetParam().inicio);
    EXPECT_EQ(config::ElegirCarpeta(operador, inicio, "Titulo"), GetParam().elegida);
    EXPECT_EQ(inicio, GetParam().mostrada);
    EXPECT_EQ(operador.carpetasPedidas, QStringList{GetParam().mostrada});
    EXPECT_EQ(operador.titulosPedidos, QStringList{"Titulo"});
}

INSTANTIATE_TEST_SUITE_P(
    Carpetas, ElegirCarpetaTest,
    ::testing::Values(CasoCarpeta{"/home/op/Downloads/", "/home/op/Downloads"},
                      CasoCarpeta{"/home/op/Downloads", "/home/op/Downloads"},
                      CasoCarpeta{"C:\\KOLT\\Downloads\\", "C:\\KOLT\\Downloads"},
                      CasoCarpeta{"/tmp/", "/tmp", ""},
                      // Only one separator goes.
                      CasoCarpeta{"/srv//", "/srv/"},
                      // Roots stay roots.
                      CasoCarpeta{"/", "/"}, CasoCarpeta{"C:\\", "C:\\"}, CasoCarpeta{"", ""}));

} // namespace
