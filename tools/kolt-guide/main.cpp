// kolt-guide: renders the Markdown guide of docs/ into the PDF that the
// Help menu opens, with the pictures of Ilustraciones.cpp. Run by the build:
//
//   kolt-guide <guide.md> <output.pdf>

#include "Ilustraciones.h"

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

constexpr qreal kMargenMm = 20;

int Fallo(const QString& texto)
{
    std::fprintf(stderr, "kolt-guide: %s\n", qPrintable(texto));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // A build step has no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) return Fallo(QStringLiteral("usage: kolt-guide <guide.md> <output.pdf>"));

    QFile fuente(args[1]);
    if (!fuente.open(QIODevice::ReadOnly))
        return Fallo(QStringLiteral("cannot read %1: %2").arg(args[1], fuente.errorString()));
    const QString markdown = QString::fromUtf8(fuente.readAll());

    QTextDocument doc;
    QFont letra(QStringLiteral("DejaVu Sans"));
    letra.setPointSizeF(10.5);
    doc.setDefaultFont(letra);
    doc.setMarkdown(markdown);
    // After the text: setting it clears the document's resources.
    for (const kolt::guia::Ilustracion& i : kolt::guia::Ilustraciones())
        doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("kolt:") + i.nombre),
                        i.imagen);

    QSaveFile salida(args[2]);
    if (!salida.open(QIODevice::WriteOnly))
        return Fallo(QStringLiteral("cannot write %1: %2").arg(args[2], salida.errorString()));
    {
        QPdfWriter pdf(&salida);
        pdf.setTitle(QStringLiteral("How to transmit a file with KOLT Chat"));
        pdf.setCreator(QStringLiteral("KOLT Chat"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(kMargenMm, kMargenMm, kMargenMm, kMargenMm),
                           QPageLayout::Millimeter);
        doc.print(&pdf);
    } // the writer finishes the file as it goes
    if (!salida.commit())
        return Fallo(QStringLiteral("cannot write %1: %2").arg(args[2], salida.errorString()));
    return 0;
}
