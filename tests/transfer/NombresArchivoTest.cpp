// Names on both ends of a transfer and the throughput figure. (Separators,
// "..", drive letters, control characters, empty and taken names are sent by
// a station in ArchivosTest.)

#include "transfer/NombresArchivo.h"
#include "transfer/TransferenciaArchivos.h"

#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt::transfer;

namespace {

struct Par {
    const char16_t* recibido;
    const char16_t* seguro;
};

class Seguro : public ::testing::TestWithParam<Par> {};

TEST_P(Seguro, ReceivedNameBecomesOnePlainName)
{
    const QString s = NombreSeguro(QString::fromUtf16(GetParam().recibido));
    EXPECT_EQ(s, QString::fromUtf16(GetParam().seguro));
    EXPECT_EQ(NombreSeguro(s), s) << "a safe name stays as it is";
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Seguro,
    ::testing::Values(Par{u"my.backup.tar.gz", u"my.backup.tar.gz"},
                      Par{u"\u00e1rbol \u00f1and\u00fa.txt", u"\u00e1rbol \u00f1and\u00fa.txt"},
                      Par{u"..", u"__"}, Par{u".", u"_"}, Par{u".bashrc", u"_bashrc"},
                      Par{u"a<b>c:d\"e|f?g*h", u"a_b_c_d_e_f_g_h"}, Par{u"name. ", u"name__"},
                      Par{u"   ", u"___"}, Par{u"CON", u"_CON"}, Par{u"nul.txt", u"_nul.txt"},
                      Par{u"Com1.log", u"_Com1.log"}, Par{u"console.txt", u"console.txt"},
                      Par{u"COM10", u"COM10"}, Par{u"x\u0085y", u"x_y"},
                      Par{u"ok\xD800.txt", u"ok_.txt"}));

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
