#include "config/RegistroSesion.h"

#include "config/Ansi.h"

#include <QDir>
#include <QFile>

namespace kolt::config {

QString NombreLog(Variante variante, const QDate& fechaLocal)
{
    if (variante == Variante::Ninguna) return {};
    return QStringLiteral("KOLT Chat ") + NombreDe(variante) + QLatin1Char(' ') +
           fechaLocal.toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral(".log");
}

bool GuardarLog(const QString& pantalla, const Configuracion& c, const QDate& fechaLocal)
{
    if (c.saveLog == 0 || pantalla.isEmpty() || c.downloadFolder.isEmpty()) return false;
    const QString nombre = NombreLog(c.koltMode.variante(), fechaLocal);
    if (nombre.isEmpty() || !fechaLocal.isValid()) return false;

    const QString bloque =
        (pantalla + QStringLiteral("\r\n")).right(kMaximoLog) + QStringLiteral("\r\n");
    const QByteArray bytes = ATextoAnsi(bloque);
    QFile f(QDir(c.downloadFolder).filePath(nombre));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    return f.write(bytes) == bytes.size();
}

} // namespace kolt::config
