#include "transfer/NombresArchivo.h"

#include <QFileInfo>
#include <QStringView>

namespace kolt::transfer {

namespace {

const QLatin1Char kReemplazo('_');

bool EsControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// What no file name may hold on Windows (the strictest of the systems a
// received file may end up on), besides control characters.
bool Prohibido(char16_t c)
{
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '/':
    case '\\':
    case '|':
    case '?':
    case '*': return true;
    default: return EsControl(c);
    }
}

// Names that open a device on Windows whatever their extension.
bool EsDispositivo(QStringView nombre)
{
    QStringView raiz = nombre.left(nombre.indexOf(QLatin1Char('.')));
    while (raiz.endsWith(QLatin1Char(' ')))
        raiz.chop(1);
    for (const char* d : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (raiz.compare(QLatin1String(d), Qt::CaseInsensitive) == 0) return true;
    if (raiz.size() != 4) return false;
    const QStringView tipo = raiz.left(3);
    if (tipo.compare(QLatin1String("COM"), Qt::CaseInsensitive) != 0 &&
        tipo.compare(QLatin1String("LPT"), Qt::CaseInsensitive) != 0)
        return false;
    const char16_t n = raiz[3].unicode();
    return (n >= '0' && n <= '9') || n == u'\u00B9' || n == u'\u00B2' || n == u'\u00B3';
}

// The longest start of `texto` that fits `bytes` UTF-8 bytes, never
// splitting a surrogate pair.
QString CortarUtf8(const QString& texto, qsizetype bytes)
{
    qsizetype usados = 0, i = 0;
    while (i < texto.size()) {
        const bool par = texto[i].isHighSurrogate() && i + 1 < texto.size();
        const char16_t c = texto[i].unicode();
        const qsizetype ancho = par ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (usados + ancho > bytes) break;
        usados += ancho;
        i += par ? 2 : 1;
    }
    return texto.left(i);
}

qsizetype LargoUtf8(const QString& texto)
{
    return texto.toUtf8().size();
}

// A long name keeps its extension when the extension is short; the rest
// of the room goes to the start of the name.
QString Acortar(const QString& nombre)
{
    if (LargoUtf8(nombre) <= kNombreMaximoUtf8) return nombre;
    constexpr qsizetype kExtensionMaxima = 16;
    const qsizetype punto = nombre.lastIndexOf(QLatin1Char('.'));
    QString extension;
    if (punto > 0 && nombre.size() - punto <= kExtensionMaxima) extension = nombre.mid(punto);
    const QString raiz = nombre.left(nombre.size() - extension.size());
    return CortarUtf8(raiz, kNombreMaximoUtf8 - LargoUtf8(extension)) + extension;
}

} // namespace

QString NombreDeRuta(const QString& ruta)
{
    return QFileInfo(ruta).fileName();
}

QString NombreParaEnviar(const QString& nombre)
{
    QString s = nombre;
    s.replace(QLatin1Char('#'), kReemplazo);
    return s;
}

QString NombreSeguro(const QString& recibido)
{
    QString s = recibido;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        // A lone surrogate has no encoding on disk.
        if (Prohibido(c.unicode()) || c.isSurrogate()) s[i] = kReemplazo;
    }
    s = Acortar(s);
    // No hidden file, no "." or "..": leading dots go. Windows drops
    // trailing dots and spaces, which would make two names one.
    for (qsizetype i = 0; i < s.size() && s[i] == QLatin1Char('.'); ++i)
        s[i] = kReemplazo;
    for (qsizetype i = s.size() - 1;
         i >= 0 && (s[i] == QLatin1Char('.') || s[i] == QLatin1Char(' ')); --i)
        s[i] = kReemplazo;
    if (EsDispositivo(s)) s.prepend(kReemplazo);
    if (s.isEmpty()) s = QStringLiteral("unnamed");
    return s;
}

QString NombreVisible(const QString& recibido, qsizetype maximo)
{
    QString s = recibido;
    if (s.size() > maximo) {
        s.truncate(maximo);
        if (s.back().isHighSurrogate()) s.chop(1);
        s += QStringLiteral("...");
    }
    for (QChar& c : s)
        if (EsControl(c.unicode())) c = QLatin1Char('?');
    return s;
}

QString EntreComillas(const QString& nombre)
{
    return QLatin1Char('\'') + nombre + QLatin1Char('\'');
}

QString NombreNumerado(const QString& nombre, int n)
{
    const qsizetype punto = nombre.lastIndexOf(QLatin1Char('.'));
    const qsizetype corte = punto > 0 ? punto : nombre.size();
    return nombre.left(corte) + QStringLiteral(" (%1)").arg(n) + nombre.mid(corte);
}

} // namespace kolt::transfer
