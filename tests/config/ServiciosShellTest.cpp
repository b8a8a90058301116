// The folder picker's start folder, and the Help menu's web items.

#include "config/ServiciosShell.h"

#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QSet>
#include <QUrl>
#include <gtest/gtest.h>

using namespace kolt;

namespace {

struct CasoCarpeta {
    const char* inicio;
    const char* mostrada; // what the picker starts at, and the caller keeps
};

void PrintTo(const CasoCarpeta& c, std::ostream* os)
{
    *os << '"' << c.inicio << '"';
}

class ElegirCarpetaTest : public ::testing::TestWithParam<CasoCarpeta> {};

TEST_P(ElegirCarpetaTest, TrailingSeparatorIsRemovedForThePickerAndTheCaller)
{
    test::OperadorGuion operador;
    operador.respuestas = {QStringLiteral("/elegida")};
    QString inicio = QString::fromUtf8(GetParam().inicio);
    EXPECT_EQ(config::ElegirCarpeta(operador, inicio, "Titulo"), "/elegida");
    EXPECT_EQ(inicio, GetParam().mostrada);
    EXPECT_EQ(operador.carpetasPedidas, QStringList{GetParam().mostrada});
    EXPECT_EQ(operador.titulosPedidos, QStringList{"Titulo"});
}

INSTANTIATE_TEST_SUITE_P(
    Carpetas, ElegirCarpetaTest,
    ::testing::Values(CasoCarpeta{"/home/op/Downloads/", "/home/op/Downloads"},
                      CasoCarpeta{"/home/op/Downloads", "/home/op/Downloads"},
                      CasoCarpeta{"C:\\KOLT\\Downloads\\", "C:\\KOLT\\Downloads"},
                      // Only one separator goes.
                      CasoCarpeta{"/srv//", "/srv/"},
                      // Roots stay roots.
                      CasoCarpeta{"/", "/"}, CasoCarpeta{"C:\\", "C:\\"}, CasoCarpeta{"", ""}));

TEST(ElegirCarpeta, CancelGivesEmpty)
{
    test::OperadorGuion operador;
    QString inicio = QStringLiteral("/tmp/");
    EXPECT_EQ(config::ElegirCarpeta(operador, inicio, "Select the Destination Folder"), "");
    EXPECT_EQ(inicio, "/tmp");
}

TEST(EnlacesAyuda, FiveDistinctItemsEachOpeningSomethingUsable)
{
    const auto enlaces = config::EnlacesAyuda(QStringLiteral("/opt/kolt"));
    ASSERT_EQ(enlaces.size(), 5u);
    QSet<QString> nombres, direcciones;
    for (const config::EnlaceAyuda& e : enlaces) {
        nombres.insert(e.nombre);
        direcciones.insert(e.direccion);
        EXPECT_TRUE(e.nombre.startsWith("mnu")) << e.nombre.toStdString();
        EXPECT_FALSE(e.caption.isEmpty());
        const QUrl url(e.direccion);
        const bool web = url.scheme() == "https" || url.scheme() == "http";
        EXPECT_TRUE(web || e.direccion.startsWith("/opt/kolt/")) << e.direccion.toStdString();
    }
    EXPECT_EQ(nombres.size(), 5);
    EXPECT_EQ(direcciones.size(), 5);
}

} // namespace
