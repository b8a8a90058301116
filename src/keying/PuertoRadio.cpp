#include "keying/PuertoRadio.h"

#include <QCollator>
#include <QDir>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace kolt::keying {

namespace {

constexpr int kPuertosCOM = 16;
constexpr int kMaxNumeroCOM = 255; // a port number is one byte

// The numeric part of "COMn", or -1.
int numeroCOM(const QString& nombre)
{
    static const QRegularExpression patron(QStringLiteral("^COM(\\d+)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto m = patron.match(nombre);
    if (!m.hasMatch()) return -1;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok ? n : kMaxNumeroCOM + 1;
}

} // namespace

PuertoRadio ResolverPuerto(const QString& nombre)
{
    const int n = numeroCOM(nombre);
    if (n >= 1 && n <= kMaxNumeroCOM)
        return {QStringLiteral("/dev/ttyS%1").arg(n - 1), QStringLiteral("COM%1").arg(n)};
    return {nombre, nombre};
}

QString MensajeFalloApertura(const PuertoRadio& puerto, const ResultadoApertura& resultado)
{
    QString mensaje = QStringLiteral("Unable to open radio serial port %1. May be in use by "
                                     "another application.")
                          .arg(puerto.nombre);
    if (resultado.error != ErrorApertura::PermissionDenied) return mensaje;
    if (resultado.group.isEmpty())
        return mensaje + QStringLiteral(" Access to %1 was denied: the user must be a member of "
                                        "the group that owns it (dialout on Debian).")
                             .arg(puerto.dispositivo);
    return mensaje + QStringLiteral(" Access to %1 was denied: the user must be a member of the "
                                    "group \"%2\", which owns it.")
                         .arg(puerto.dispositivo, resultado.group);
}

QStringList PuertosCOM()
{
    QStringList nombres;
    for (int n = 1; n <= kPuertosCOM; ++n)
        nombres << QStringLiteral("COM%1").arg(n);
    return nombres;
}

QStringList ComponerPuertos(const QStringList& porId, const QStringList& sistema)
{
    QStringList nombres = PuertosCOM();
    for (const QStringList* grupo : {&porId, &sistema})
        for (const QString& nombre : *grupo)
            if (!nombre.isEmpty() && !nombres.contains(nombre)) nombres << nombre;
    return nombres;
}

QStringList PuertosOfrecidos()
{
    QCollator natural;
    natural.setNumericMode(true);
    const auto ordenar = [&](QStringList& lista) {
        std::sort(lista.begin(), lista.end(), natural);
    };

    const QDir dirPorId(QStringLiteral("/dev/serial/by-id"));
    QStringList porId;
    for (const QString& entrada :
         dirPorId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        porId << dirPorId.absoluteFilePath(entrada);
    ordenar(porId);

    QStringList sistema;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString nombre = info.portName();
        if (nombre.startsWith(QLatin1String("ttyUSB")) ||
            nombre.startsWith(QLatin1String("ttyACM")))
            sistema << info.systemLocation();
    }
    ordenar(sistema);
    return ComponerPuertos(porId, sistema);
}

} // namespace kolt::keying
