// The documents the build puts beside the program. The guide is checked as
// a PDF reader would find it, rather than taken on the generator's word.

#include "link/Estacion.h"

#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>

using namespace kolt;

namespace {

QByteArray Leer(const QString& nombre)
{
    QFile f(QDir(QStringLiteral(KOLT_PROGRAM_DIR)).filePath(nombre));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The header; the cross-reference table "startxref" points at, with every
// object where it says; the catalogue; a page tree counting as many pages
// as there are page objects.
TEST(Documentos, GuideIsAPdfWithPages)
{
    const QString pdf = QString::fromLatin1(Leer("How to transmit a file with KOLT Chat.PDF"));
    ASSERT_TRUE(QRegularExpression("^%PDF-1\\.[0-7]\\s").match(pdf).hasMatch())
        << "the build puts the guide beside the program";
    const auto fin = QRegularExpression("startxref\\s+(\\d+)\\s+%%EOF\\s*$").match(pdf.right(64));
    ASSERT_TRUE(fin.hasMatch());
    const qsizetype xref = fin.captured(1).toLongLong();
    const auto tabla = QRegularExpression("^xref\\s+(\\d+) (\\d+)\\s+").match(pdf.mid(xref));
    ASSERT_TRUE(tabla.hasMatch()) << "startxref points at the xref table";

    // Entries of 20 bytes: offset, generation, 'n' (in use) or 'f'.
    std::map<int, QString> objetos;
    qsizetype entrada = xref + tabla.capturedEnd(0);
    for (int i = 0; i < tabla.captured(2).toInt(); ++i, entrada += 20) {
        const QString e = pdf.mid(entrada, 20);
        ASSERT_TRUE(e.size() == 20 && (e[17] == 'n' || e[17] == 'f')) << "entry " << i;
        if (e[17] == 'f') continue;
        const int n = tabla.captured(1).toInt() + i;
        const QString objeto = pdf.mid(e.left(10).toLongLong(), 4096);
        ASSERT_TRUE(objeto.startsWith(QStringLiteral("%1 0 obj").arg(n))) << "object " << n;
        objetos[n] = objeto.left(objeto.indexOf(QLatin1String("endobj")));
    }
    const auto referido = [&](const QString& en, const QString& clave) {
        const auto m = QRegularExpression(clave + "\\s+(\\d+) 0 R").match(en);
        return m.hasMatch() ? objetos[m.captured(1).toInt()] : QString();
    };
    const QString catalogo = referido(pdf.mid(entrada), "/Root");
    ASSERT_TRUE(catalogo.contains("/Type /Catalog")) << catalogo.toStdString();
    const QString arbol = referido(catalogo, "/Pages");
    ASSERT_TRUE(arbol.contains("/Type /Pages")) << arbol.toStdString();
    const auto cuenta = QRegularExpression("/Count\\s+(\\d+)").match(arbol);
    ASSERT_TRUE(cuenta.hasMatch());
    EXPECT_GE(cuenta.captured(1).toInt(), 1);
    static const QRegularExpression pagina(QStringLiteral("/Type\\s*/Page\\b(?!s)"));
    int paginas = 0;
    for (const auto& [n, objeto] : objetos)
        paginas += pagina.match(objeto).hasMatch() ? 1 : 0;
    EXPECT_EQ(paginas, cuenta.captured(1).toInt());
}

TEST(Documentos, ChangeLogAndReadmeSitBesideTheProgram)
{
    const QString cambios = QString::fromUtf8(Leer("KOLTChatChangeLog.txt"));
    EXPECT_TRUE(cambios.startsWith("KOLT Chat - Change Log"));
    // Kept up to date: the newest entry is the program's own version.
    const auto version =
        QRegularExpression("^Version (\\S+)", QRegularExpression::MultilineOption).match(cambios);
    ASSERT_TRUE(version.hasMatch());
    EXPECT_EQ(version.captured(1), link::kVersion);
    EXPECT_TRUE(Leer("README.md").startsWith("# KOLT Chat"));
}

} // namespace
