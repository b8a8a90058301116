// Names on both ends of a transfer and the throughput figure. (What the
// receive screen says of an unsafe, empty or taken name: ArchivosTest.)

#include "transfer/NombresArchivo.h"
#include "transfer/TransferenciaArchivos.h"

#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt::transfer;

namespace {

TEST(NombreSeguro, ReceivedNameBecomesOnePlainName)
{
    const struct {
        const char16_t* recibido;
        const char16_t* seguro;
    } pares[] = {{u"my.backup.tar.gz", u"my.backup.tar.gz"},
                 {u"\u00e1rbol \u00f1and\u00fa.txt", u"\u00e1rbol \u00f1and\u00fa.txt"},
                 {u"..", u"__"},
                 {u".", u"_"},
                 {u".bashrc", u"_bashrc"},
                 {u"a<b>c:d\"e|f?g*h", u"a_b_c_d_e_f_g_h"},
                 {u"../a/b\\c", u"___a_b_c"},
                 {u"name. ", u"name__"},
                 {u"   ", u"___"},
                 {u"CON", u"_CON"},
                 {u"nul.txt", u"_nul.txt"},
                 {u"Com1.log", u"_Com1.log"},
                 {u"console.txt", u"console.txt"},
                 {u"COM10", u"COM10"},
                 {u"x\u0085y", u"x_y"},
                 {u"a\x7F.txt", u"a_.txt"},
                 {u"ok\xD800.txt", u"ok_.txt"}};
    for (const auto& p : pares) {
        const QString s = NombreSeguro(QString::fromUtf16(p.recibido));
        EXPECT_EQ(s, QString::fromUtf16(p.seguro)) << QString::fromUtf16(p.recibido).toStdString();
        EXPECT_EQ(NombreSeguro(s), s) << "a safe name stays as it is";
    }
}

TEST(NombreSeguro, LongNameIsCutKeepingItsExtension)
{
    const QString s = NombreSeguro(QString(300, QLatin1Char('n')) + QStringLiteral(".txt"));
    EXPECT_EQ(s.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_TRUE(s.endsWith(QStringLiteral("nnn.txt")));

    // Two-byte characters and a pair of surrogates are never split.
    const QString t = NombreSeguro(QString(200, QChar(0x00e9)) + QString::fromUtf16(u"\U0001F600"));
    EXPECT_LE(t.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_FALSE(t.back().isHighSurrogate());
    EXPECT_EQ(t.toUtf8().size() % 2, 0);
}

// The rest of the naming is seen on the screen lines in ArchivosTest and ExtremoTest.
TEST(Nombres, NumberedNameWithoutExtensionAndLongNameShown)
{
    EXPECT_EQ(NombreNumerado(QStringLiteral("README"), 2), "README (2)");
    EXPECT_EQ(NombreVisible(QString(100, QLatin1Char('x')), 5), "xxxxx...");
}

TEST(BytesPorMinuto, RoundsHalvesToEvenAndNoTimeIsXXXX)
{
    const struct {
        std::uint64_t bytes;
        std::int64_t ms;
        const char* texto;
    } casos[] = {{200, 2000, "6000"}, {1, 40'000, "2"}, // 1.5
                 {1, 24'000, "2"},                      // 2.5
                 {7, 9, "46667"},     {2'048'008, 1, "122880480000"},
                 {5, 0, "XXXX"},      {5, -3, "XXXX"}};
    for (const auto& c : casos)
        EXPECT_EQ(BytesPorMinuto(c.bytes, c.ms), c.texto) << c.bytes << " in " << c.ms << " ms";
}

} // namespace
