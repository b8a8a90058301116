#include "config/SessionLog.h"

#include "config/Ansi.h"

#include <QDir>
#include <QFile>

namespace kolt::config {

QString NombreLog(const QString& koltMode, const QDate& fechaLocal)
{
    QString prefijo;
    if (koltMode == QLatin1String("KOLTHF"))
        prefijo = QStringLiteral("KOLT Chat HF ");
    else if (koltMode == QLatin1String("KOLTSAT"))
        prefijo = QStringLiteral("KOLT Chat SAT ");
    else if (koltMode == QLatin1String("KOLTFM"))
        prefijo = QStringLiteral("KOLT Chat FM ");
    else
        return {};
    return prefijo + fechaLocal.toString(QStringLiteral("yyyy_MM_dd")) + QStringLiteral(".log");
}

bool GuardarLog(const QString& pantalla, const Configuracion& c, const QDate& fechaLocal)
{
    if (c.saveLog == 0 || pantalla.isEmpty() || c.downloadFolder.isEmpty()) return false;
    const QString nombre = NombreLog(c.koltMode, fechaLocal);
    if (nombre.isEmpty() || !fechaLocal.isValid()) return false;

    const QString bloque =
        (pantalla + QStringLiteral("\r\n")).right(kMaximoLog) + QStringLiteral("\r\n");
    const QByteArray bytes = ATextoAnsi(bloque);
    QFile f(QDir(c.downloadFolder).filePath(nombre));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    return f.write(bytes) == bytes.size();
}

} // namespace kolt::config
