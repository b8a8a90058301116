#include "config/ServiciosShell.h"

#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;

namespace {

// The folder picker's start folder loses one trailing separator, for the
// picker and the caller; roots stay roots. An empty answer is a cancel.
TEST(ElegirCarpeta, TrailingSeparatorIsRemovedForThePickerAndTheCaller)
{
    struct Caso {
        const char* inicio;
        const char* mostrada;
        const char* elegida;
    };
    for (const Caso& c : {Caso{"/home/op/Downloads/", "/home/op/Downloads", "/elegida"},
                          Caso{"C:\\KOLT\\", "C:\\KOLT", ""}, Caso{"/srv//", "/srv/", "/x"},
                          Caso{"/", "/", "/y"}}) {
        test::OperadorGuion operador;
        operador.respuestas = {QString::fromLatin1(c.elegida)};
        QString carpeta = QString::fromLatin1(c.inicio);
        EXPECT_EQ(config::ElegirCarpeta(operador, carpeta, "Titulo"), c.elegida);
        EXPECT_EQ(carpeta, c.mostrada);
        EXPECT_EQ(operador.carpetasPedidas, QStringList{c.mostrada});
        EXPECT_EQ(operador.titulosPedidos, QStringList{"Titulo"});
    }
}

} // namespace
