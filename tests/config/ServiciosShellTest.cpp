#include "config/ServiciosShell.h"

#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kolt;

namespace {

// The folder picker's start folder loses one trailing separator, for the
// picker and the caller; roots stay roots. An empty answer is a cancel.
TEST(ElegirCarpeta, TrailingSeparatorIsRemovedForThePickerAndTheCaller)
{
    for (auto [inicio, mostrada, elegida] :
         {std::tuple{"/home/op/Downloads/", "/home/op/Downloads", "/elegida"},
          {"C:\\KOLT\\", "C:\\KOLT", ""},
          {"/srv//", "/srv/", "/x"},
          {"/", "/", "/y"}}) {
        test::OperadorGuion operador;
        operador.respuestas = {QString::fromLatin1(elegida)};
        QString carpeta = QString::fromLatin1(inicio);
        EXPECT_EQ(config::ElegirCarpeta(operador, carpeta, "Titulo"), elegida);
        EXPECT_EQ(carpeta, mostrada);
        EXPECT_EQ(operador.carpetasPedidas, QStringList{mostrada});
        EXPECT_EQ(operador.titulosPedidos, QStringList{"Titulo"});
    }
}

} // namespace
