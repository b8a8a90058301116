// Names on both ends of a transfer and the throughput figure. (What the
// receive screen says of an unsafe, empty or taken name: CanalDatosTest.)

#include "transfer/NombresArchivo.h"
#include "transfer/TransferenciaArchivos.h"

#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt::transfer;

namespace {

TEST(NombreSeguro, ReceivedNameBecomesOnePlainName)
{
    const struct {
        const char16_t *recibido, *seguro;
    } pares[] = {{u"my.backup.tar.gz", u"my.backup.tar.gz"},
                 {u"..", u"__"},
                 {u".bashrc", u"_bashrc"},
                 {u"a<b>c:d\"e|f?g*h", u"a_b_c_d_e_f_g_h"},
                 {u"../a/b\\c", u"___a_b_c"},
                 {u"name. ", u"name__"},
                 {u"Com1.log", u"_Com1.log"},
                 {u"console.txt", u"console.txt"},
                 {u"x\u0085y", u"x_y"},
                 {u"a\x7F.txt", u"a_.txt"},
                 {u"ok\xD800.txt", u"ok_.txt"}};
    for (const auto& p : pares) {
        const QString s = NombreSeguro(QString::fromUtf16(p.recibido));
        EXPECT_EQ(s, QString::fromUtf16(p.seguro)) << QString::fromUtf16(p.recibido).toStdString();
        EXPECT_EQ(NombreSeguro(s), s) << "a safe name stays as it is";
    }
    // Cut to its limit keeping the extension, never in a character.
    const QString s = NombreSeguro(QString(300, QLatin1Char('n')) + QStringLiteral(".txt"));
    EXPECT_EQ(s.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_TRUE(s.endsWith(QStringLiteral("nnn.txt")));
    const QString t = NombreSeguro(QString(200, QChar(0x00e9)) + QString::fromUtf16(u"\U0001F600"));
    EXPECT_LE(t.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_FALSE(t.back().isHighSurrogate());
    EXPECT_EQ(t.toUtf8().size() % 2, 0);
}

TEST(Nombres, NumberedShownAndRate)
{
    EXPECT_EQ(NombreNumerado(QStringLiteral("README"), 2), "README (2)");
    EXPECT_EQ(NombreVisible(QString(100, QLatin1Char('x')), 5), "xxxxx...");
    // Halves round to even; no time is "XXXX".
    EXPECT_EQ(BytesPorMinuto(200, 2000), "6000");
    EXPECT_EQ(BytesPorMinuto(1, 40'000), "2"); // 1.5
    EXPECT_EQ(BytesPorMinuto(1, 24'000), "2"); // 2.5
    EXPECT_EQ(BytesPorMinuto(7, 9), "46667");
    EXPECT_EQ(BytesPorMinuto(2'048'008, 1), "122880480000");
    EXPECT_EQ(BytesPorMinuto(5, 0), "XXXX");
    EXPECT_EQ(BytesPorMinuto(5, -3), "XXXX");
}

} // namespace
