// Names on both ends of a transfer, the throughput figure, and the saving
// of a received file into a real folder: safe names, free names, never a
// replaced file, nothing written through a link. (A missing folder and a
// disk that refuses are told by the station: ArchivosTest.)

#include "transfer/NombresArchivo.h"
#include "transfer/GuardadoArchivo.h"
#include "transfer/TransferenciaArchivos.h"

#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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
    const QString recibido = QString::fromUtf16(GetParam().recibido);
    const QString s = NombreSeguro(recibido);
    EXPECT_EQ(s, QString::fromUtf16(GetParam().seguro));
    EXPECT_EQ(NombreSeguro(s), s) << "a safe name stays as it is";
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Seguro,
    ::testing::Values(Par{u"a.txt", u"a.txt"}, Par{u"README", u"README"},
                      Par{u"my.backup.tar.gz", u"my.backup.tar.gz"},
                      Par{u"\u00e1rbol \u00f1and\u00fa.txt", u"\u00e1rbol \u00f1and\u00fa.txt"},
                      Par{u"../x", u"___x"}, Par{u"..", u"__"}, Par{u".", u"_"},
                      Par{u"/abs", u"_abs"}, Par{u"/etc/passwd", u"_etc_passwd"},
                      Par{u"C:\\x", u"C__x"}, Par{u"..\\..\\boot.ini", u"___.._boot.ini"},
                      Par{u"a/b", u"a_b"}, Par{u"", u"unnamed"}, Par{u".bashrc", u"_bashrc"},
                      Par{u"a\r\nb\t.txt", u"a__b_.txt"},
                      Par{u"a<b>c:d\"e|f?g*h", u"a_b_c_d_e_f_g_h"}, Par{u"name. ", u"name__"},
                      Par{u"   ", u"___"}, Par{u"CON", u"_CON"}, Par{u"nul.txt", u"_nul.txt"},
                      Par{u"Com1.log", u"_Com1.log"}, Par{u"LPT9", u"_LPT9"},
                      Par{u"console.txt", u"console.txt"}, Par{u"COM10", u"COM10"},
                      Par{u"x\u0085y", u"x_y"}, Par{u"ok\xD800.txt", u"ok_.txt"}));

TEST(NombreSeguro, LongNameIsCutKeepingItsExtension)
{
    const QString largo = QString(300, QLatin1Char('n')) + QStringLiteral(".txt");
    const QString s = NombreSeguro(largo);
    EXPECT_EQ(s.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_TRUE(s.endsWith(QStringLiteral("nnn.txt")));

    // Two-byte characters and a pair of surrogates are never split.
    const QString ancho = QString(200, QChar(0x00e9)) + QString::fromUtf16(u"\U0001F600");
    const QString t = NombreSeguro(ancho);
    EXPECT_LE(t.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_FALSE(t.back().isHighSurrogate());
    EXPECT_EQ(t.toUtf8().size() % 2, 0);
}

TEST(Nombres, SentNameHasNoSeparatorAndNumberedNamesGoBeforeTheExtension)
{
    EXPECT_EQ(NombreDeRuta(QStringLiteral("/home/op/files/log.2024.txt")), "log.2024.txt");
    EXPECT_EQ(NombreParaEnviar(QStringLiteral("#1 #2.txt")), "_1 _2.txt");
    EXPECT_EQ(NombreNumerado(QStringLiteral("a.txt"), 1), "a (1).txt");
    EXPECT_EQ(NombreNumerado(QStringLiteral("a.txt"), 12), "a (12).txt");
    EXPECT_EQ(NombreNumerado(QStringLiteral("README"), 2), "README (2)");
    EXPECT_EQ(NombreNumerado(QStringLiteral("a.tar.gz"), 1), "a.tar (1).gz");
    EXPECT_EQ(NombreVisible(QStringLiteral("a\r\nb")), "a??b");
    EXPECT_EQ(NombreVisible(QString(100, QLatin1Char('x')), 5), "xxxxx...");
}

struct Tasa {
    std::uint64_t bytes;
    std::int64_t ms;
    const char* texto;
};

class Throughput : public ::testing::TestWithParam<Tasa> {};

TEST_P(Throughput, BytesPerMinuteRoundedHalfToEven)
{
    EXPECT_EQ(BytesPorMinuto(GetParam().bytes, GetParam().ms), GetParam().texto);
}

INSTANTIATE_TEST_SUITE_P(Tabla, Throughput,
                         ::testing::Values(Tasa{200, 2000, "6000"}, Tasa{1, 120'000, "0"},
                                           Tasa{1, 40'000, "2"}, // 1.5 -> 2
                                           Tasa{1, 24'000, "2"}, // 2.5 -> 2
                                           Tasa{7, 9, "46667"},  // 46666.67
                                           Tasa{2'048'008, 1, "122880480000"}, Tasa{5, 0, "XXXX"},
                                           Tasa{5, -3, "XXXX"}));

class GuardarTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Ruta(const QString& n) const { return QDir(m_dir.path()).filePath(n); }
    QByteArray Leer(const QString& n) const
    {
        QFile f(Ruta(n));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void Escribir(const QString& n, const QByteArray& b) const
    {
        QFile f(Ruta(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    Guardado Guardar(const QString& n, std::string_view cuerpo) const
    {
        return GuardarArchivo(
            m_dir.path(), n,
            std::span(reinterpret_cast<const std::uint8_t*>(cuerpo.data()), cuerpo.size()));
    }
    QStringList Contenido() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }

    QTemporaryDir m_dir;
};

TEST_F(GuardarTest, TakenNamesAreNeverReplaced)
{
    Escribir("a.txt", "the operator's own, longer file");
    Escribir("a (1).txt", "older copy");
    const Guardado g = Guardar("a.txt", "new");
    ASSERT_EQ(g.estado, Guardado::Estado::Guardado) << g.error.toStdString();
    EXPECT_EQ(g.nombre, "a (2).txt");
    EXPECT_EQ(Leer("a (2).txt"), "new");
    EXPECT_EQ(Leer("a.txt"), "the operator's own, longer file");
    EXPECT_EQ(Leer("a (1).txt"), "older copy");

    const Guardado h = Guardar("b", "");
    EXPECT_EQ(h.nombre, "b");
    EXPECT_EQ(Leer("b"), "") << "an empty body is an empty file";
    EXPECT_EQ(Contenido(), (QStringList{"a (1).txt", "a (2).txt", "a.txt", "b"}))
        << "no temporary file left";
}

TEST_F(GuardarTest, NeitherAFolderNorALinkInTheWayIsWrittenThrough)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("d"));
    QTemporaryDir fuera;
    const QString destino = QDir(fuera.path()).filePath("target");
    ASSERT_TRUE(QFile::link(destino, Ruta("dangling")));
    EXPECT_EQ(Guardar("d", "1").nombre, "d (1)");
    EXPECT_EQ(Guardar("dangling", "2").nombre, "dangling (1)");
    EXPECT_FALSE(QFile::exists(destino)) << "nothing written through the link";
    EXPECT_EQ(Leer("d (1)"), "1");
}

} // namespace
