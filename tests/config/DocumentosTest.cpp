// The documents the build puts beside the program.

#include "link/Estacion.h"

#include "QtImprimir.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kolt;

namespace {

QByteArray Leer(const QString& nombre)
{
    QFile f(QDir(QStringLiteral(KOLT_PROGRAM_DIR)).filePath(nombre));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Documentos, GuideChangeLogAndReadmeSitBesideTheProgram)
{
    const QByteArray pdf = Leer("How to transmit a file with KOLT Chat.PDF");
    EXPECT_TRUE(pdf.startsWith("%PDF-1.") && pdf.trimmed().endsWith("%%EOF"));
    EXPECT_TRUE(pdf.contains("/Type /Page")) << "the guide has pages";
    // Kept up to date: the newest entry is the program's own version.
    const QString cambios = QString::fromUtf8(Leer("KOLTChatChangeLog.txt"));
    EXPECT_TRUE(cambios.startsWith("KOLT Chat - Change Log"));
    const auto version =
        QRegularExpression("^Version (\\S+)", QRegularExpression::MultilineOption).match(cambios);
    EXPECT_EQ(version.captured(1), link::kVersion);
    EXPECT_TRUE(Leer("README.md").startsWith("# KOLT Chat"));
}

} // namespace
