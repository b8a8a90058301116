// The documents the build puts beside the program. The guide is checked as
// a PDF reader would find it: header, cross-reference table, catalogue and
// page tree, read here rather than taken on the generator's word.

#include "link/Estacion.h"

#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <map>

using namespace kolt;

namespace {

const QDir kPrograma(QStringLiteral(KOLT_PROGRAM_DIR));

QByteArray Leer(const QString& nombre)
{
    QFile f(kPrograma.filePath(nombre));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A classic (uncompressed) cross-reference table: object number -> offset.
class Pdf {
public:
    explicit Pdf(QByteArray bytes) : m_b(std::move(bytes)) {}

    bool LeerTablaXref(QString& error)
    {
        static const QRegularExpression startxref(
            QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
        const auto m = startxref.match(QString::fromLatin1(m_b.right(64)));
        if (!m.hasMatch()) return (error = "no startxref before %%EOF at the end"), false;
        qsizetype pos = m.captured(1).toLongLong();
        if (pos <= 0 || pos >= m_b.size() || !m_b.mid(pos).startsWith("xref"))
            return (error = "startxref does not point at the xref table"), false;
        pos += 4;
        static const QRegularExpression seccion(QStringLiteral("^\\s+(\\d+) (\\d+)"));
        const QString resto = QString::fromLatin1(m_b.mid(pos, m_b.size() - pos));
        const auto s = seccion.match(resto);
        if (!s.hasMatch()) return (error = "no subsection header"), false;
        const int primero = s.captured(1).toInt();
        const int cuantos = s.captured(2).toInt();
        qsizetype entrada = s.capturedEnd(0);
        while (entrada < resto.size() && resto[entrada].isSpace())
            ++entrada;
        for (int i = 0; i < cuantos; ++i, entrada += 20) {
            const QString e = resto.mid(entrada, 20);
            if (e.size() != 20 || (e[17] != 'n' && e[17] != 'f'))
                return (error = QStringLiteral("bad xref entry %1").arg(i)), false;
            if (e[17] == 'n') m_objetos[primero + i] = e.left(10).toLongLong();
        }
        m_trailer = resto.mid(entrada);
        return true;
    }

    // The dictionary text of object `n`, checked to start where the table says.
    QString Objeto(int n) const
    {
        const auto it = m_objetos.find(n);
        if (it == m_objetos.end()) return {};
        const QString desde = QString::fromLatin1(m_b.mid(it->second, 4096));
        if (!desde.startsWith(QStringLiteral("%1 0 obj").arg(n))) return {};
        return desde.left(desde.indexOf(QLatin1String("endobj")));
    }

    int Referencia(const QString& texto, const QString& clave) const
    {
        const QRegularExpression r(QRegularExpression::escape(clave) + "\\s+(\\d+) 0 R");
        const auto m = r.match(texto);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    const std::map<int, qint64>& objetos() const { return m_objetos; }
    const QString& trailer() const { return m_trailer; }

private:
    QByteArray m_b;
    std::map<int, qint64> m_objetos;
    QString m_trailer;
};

TEST(Documentos, GuideIsAPdfWithPages)
{
    const QByteArray bytes = Leer("How to transmit a file with KOLT Chat.PDF");
    ASSERT_FALSE(bytes.isEmpty()) << "the build puts the guide beside the program";
    ASSERT_TRUE(QRegularExpression("^%PDF-1\\.[0-7]\\s")
                    .match(QString::fromLatin1(bytes.left(10)))
                    .hasMatch());

    Pdf pdf(bytes);
    QString error;
    ASSERT_TRUE(pdf.LeerTablaXref(error)) << error.toStdString();
    for (const auto& [n, desplazamiento] : pdf.objetos())
        EXPECT_FALSE(pdf.Objeto(n).isEmpty()) << "object " << n << " not at " << desplazamiento;

    const QString catalogo = pdf.Objeto(pdf.Referencia(pdf.trailer(), "/Root"));
    ASSERT_TRUE(catalogo.contains("/Type /Catalog")) << catalogo.toStdString();
    const QString arbol = pdf.Objeto(pdf.Referencia(catalogo, "/Pages"));
    ASSERT_TRUE(arbol.contains("/Type /Pages")) << arbol.toStdString();
    const auto cuenta = QRegularExpression("/Count\\s+(\\d+)").match(arbol);
    ASSERT_TRUE(cuenta.hasMatch());
    const int paginas = cuenta.captured(1).toInt();
    EXPECT_GE(paginas, 1);

    // Every kid is a page object, and there are as many as the tree counts.
    const auto hijos = QRegularExpression("/Kids\\s*\\[([^\\]]*)\\]").match(arbol);
    ASSERT_TRUE(hijos.hasMatch());
    int encontradas = 0;
    static const QRegularExpression ref(QStringLiteral("(\\d+) 0 R"));
    for (auto it = ref.globalMatch(hijos.captured(1)); it.hasNext(); ++encontradas) {
        const QString pagina = pdf.Objeto(it.next().captured(1).toInt());
        EXPECT_TRUE(QRegularExpression("/Type\\s*/Page\\b(?!s)").match(pagina).hasMatch())
            << pagina.toStdString();
    }
    EXPECT_EQ(encontradas, paginas);
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
