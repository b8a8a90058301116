#include "config/ServiciosShell.h"

#include "model/Operador.h"

#include <QDir>

namespace kolt::config {

namespace {

bool EsSeparador(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

QString ElegirCarpeta(model::Operador& operador, QString& inicio, const QString& titulo)
{
    // "/" or "C:\" without its separator would name something else.
    if (inicio.size() > 1 && EsSeparador(inicio.back()) &&
        inicio.at(inicio.size() - 2) != QLatin1Char(':'))
        inicio.chop(1);
    return operador.ElegirCarpeta(inicio, titulo);
}

std::vector<EnlaceAyuda> EnlacesAyuda(const QString& carpetaPrograma)
{
    return {
        {QStringLiteral("mnuWebAX25"), QStringLiteral("AX.25 Link Access Protocol (TAPR)"),
         QStringLiteral("https://www.tapr.org/pdf/AX25.2.2.pdf")},
        {QStringLiteral("mnuWebKISS"), QStringLiteral("KISS TNC protocol"),
         QStringLiteral("http://www.ax25.net/kiss.aspx")},
        {QStringLiteral("mnuWebRFC1951"), QStringLiteral("RFC 1951: DEFLATE compressed data"),
         QStringLiteral("https://www.rfc-editor.org/rfc/rfc1951")},
        {QStringLiteral("mnuWebQt"), QStringLiteral("The Qt Project"),
         QStringLiteral("https://www.qt.io/")},
        {QStringLiteral("mnuWebKOLT"), QStringLiteral("KOLT Chat README"),
         QDir(carpetaPrograma).filePath(QStringLiteral("README.md"))},
    };
}

} // namespace kolt::config
