#include "config/SessionLog.h"
#include "config/Ansi.h"
#include "config/UtcClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace kolt::config;

namespace {

const QDate kDia(2024, 3, 7);

class SessionLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        FijarPaginaDelSistema(1252);
        m_c.downloadFolder = m_dir.path();
    }
    QByteArray leer(const QString& nombre) const
    {
        QFile f(m_dir.filePath(nombre));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList archivos() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    QTemporaryDir m_dir;
    Configuracion m_c;
};

TEST_F(SessionLogTest, RunsOfOneDayAndVariantAppendToOneFileInTheAnsiCodePage)
{
    EXPECT_TRUE(GuardarLog(QStringLiteral("first run\r\nline two"), m_c, kDia));
    EXPECT_TRUE(GuardarLog(QString::fromUtf8("¡adiós! €"), m_c, kDia));
    m_c.koltMode = Variante::FM;
    EXPECT_TRUE(GuardarLog(QStringLiteral("fm"), m_c, kDia));
    m_c.koltMode = Variante::SAT;
    EXPECT_TRUE(GuardarLog(QStringLiteral("sat"), m_c, QDate(2025, 12, 31)));
    EXPECT_EQ(leer("KOLT Chat HF 2024_03_07.log"), "first run\r\nline two\r\n\r\n\xa1"
                                                   "adi\xf3s! \x80\r\n\r\n");
    EXPECT_EQ(leer("KOLT Chat FM 2024_03_07.log"), "fm\r\n\r\n");
    EXPECT_EQ(leer("KOLT Chat SAT 2025_12_31.log"), "sat\r\n\r\n");
    EXPECT_EQ(archivos().size(), 3);
}

TEST_F(SessionLogTest, LongScreenKeepsItsLast60000CharactersCountingTheAddedLineEnd)
{
    QString pantalla;
    for (int i = 0; i < 70000; ++i)
        pantalla += QChar(u'a' + i % 26);
    ASSERT_TRUE(GuardarLog(pantalla, m_c, kDia));
    const QByteArray escrito = leer("KOLT Chat HF 2024_03_07.log");
    ASSERT_EQ(escrito.size(), 60002);
    EXPECT_EQ(escrito, pantalla.right(59998).toLatin1() + "\r\n\r\n");
}

struct Omision {
    const char* nombre;
    QString pantalla;
    std::uint8_t saveLog;
    Variante modo;
    const char* subcarpeta; // relative to the test folder; "missing" does not exist
};

void PrintTo(const Omision& o, std::ostream* os)
{
    *os << o.nombre;
}

class SessionLogSkipped : public SessionLogTest, public ::testing::WithParamInterface<Omision> {};

TEST_P(SessionLogSkipped, NothingIsWrittenAndTheCloseGoesOn)
{
    const Omision& o = GetParam();
    m_c.saveLog = o.saveLog;
    m_c.koltMode = o.modo;
    m_c.downloadFolder = QString(o.subcarpeta).isEmpty() ? QString() : m_dir.filePath(o.subcarpeta);
    EXPECT_FALSE(GuardarLog(o.pantalla, m_c, kDia));
    EXPECT_EQ(archivos(), QStringList{});
    EXPECT_FALSE(QDir(m_dir.filePath("missing")).exists());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, SessionLogSkipped,
    ::testing::Values(Omision{"SaveLogOff", "text", 0, Variante::HF, "."},
                      Omision{"EmptyScreen", "", 1, Variante::HF, "."},
                      Omision{"UnknownMode", "text", 1, Variante::Ninguna, "."},
                      Omision{"MissingFolder", "text", 1, Variante::HF, "missing"},
                      Omision{"NoDownloadFolder", "text", 1, Variante::HF, ""}),
    [](const auto& i) { return std::string(i.param.nombre); });

TEST(UtcStamp, TwoDigitFieldsInUtcWhateverTheZoneOfTheGivenTime)
{
    const QDateTime utc(QDate(2024, 3, 7), QTime(7, 5, 9), QTimeZone::utc());
    EXPECT_EQ(HoraUTC(utc), "07:05:09");
    EXPECT_EQ(HoraUTC(utc.toTimeZone(QTimeZone(QByteArray("Asia/Kolkata")))), "07:05:09");
}

} // namespace
