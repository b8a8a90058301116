#include "config/RegistroSesion.h"
#include "config/Ansi.h"
#include "config/RelojUTC.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace kolt::config;

namespace {

const QDate kDia(2024, 3, 7);

QByteArray Leer(const QTemporaryDir& dir, const QString& nombre)
{
    QFile f(dir.filePath(nombre));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One file per day and variant, in the ANSI code page; a long screen keeps
// its last 60000 characters, counting the added line end.
TEST(SessionLog, RunsOfOneDayAndVariantAppendToOneFileKeepingTheLastCharacters)
{
    FijarPaginaDelSistema(1252);
    QTemporaryDir dir;
    Configuracion c;
    c.downloadFolder = dir.path();
    EXPECT_TRUE(GuardarLog(QString::fromUtf8("first\r\n¡adiós! €"), c, kDia));
    EXPECT_TRUE(GuardarLog(QStringLiteral("again"), c, kDia));
    c.koltMode = Variante::SAT;
    QString pantalla;
    for (int i = 0; i < 70000; ++i)
        pantalla += QChar(u'a' + i % 26);
    EXPECT_TRUE(GuardarLog(pantalla, c, QDate(2025, 12, 31)));
    EXPECT_EQ(Leer(dir, "KOLT Chat HF 2024_03_07.log"), "first\r\n\xa1"
                                                        "adi\xf3s! \x80\r\n\r\nagain\r\n\r\n");
    EXPECT_EQ(Leer(dir, "KOLT Chat SAT 2025_12_31.log"),
              pantalla.right(59998).toLatin1() + "\r\n\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    // The time stamp: UTC whatever the zone of the time given.
    const QDateTime utc(kDia, QTime(7, 5, 9), QTimeZone::utc());
    EXPECT_EQ(HoraUTC(utc.toTimeZone(QTimeZone(QByteArray("Asia/Kolkata")))), "07:05:09");
}

// Nothing is written: log off, screen empty, mode unknown, folder missing or unset.
TEST(SessionLog, NothingIsWrittenWhenOffEmptyUnknownOrWithoutAFolder)
{
    QTemporaryDir dir;
    for (int caso = 0; caso < 5; ++caso) {
        Configuracion c;
        c.saveLog = caso == 0 ? 0 : 1;
        c.koltMode = caso == 2 ? Variante::Ninguna : Variante::HF;
        c.downloadFolder = caso == 3 ? dir.filePath("missing") : caso == 4 ? "" : dir.path();
        EXPECT_FALSE(GuardarLog(caso == 1 ? "" : "text", c, kDia)) << caso;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{})
            << caso;
    }
}

} // namespace
