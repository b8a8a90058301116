#pragma once
// Serial port names as the operator stores them, and the ports offered in
// the PTT settings dialog.
//
// "COM1" to "COM255" (any letter case) name the platform's numbered serial
// ports, /dev/ttyS0 onwards on Linux. Any other name is a device opened as
// written: a path such as /dev/serial/by-id/usb-..., or a name under /dev.

#include "keying/LineaSerie.h"

#include <QString>
#include <QStringList>

namespace kolt::keying {

struct PuertoRadio {
    QString dispositivo; // what is opened
    QString nombre;      // what the operator is told: "COM12", or the name as stored
};

PuertoRadio ResolverPuerto(const QString& nombre);

// The message after a failed open; a permission failure says how to cure it.
QString MensajeFalloApertura(const PuertoRadio& puerto, const ResultadoApertura& resultado);

// "COM1" to "COM16".
QStringList PuertosCOM();

// The sixteen COM names, then the stable by-id names, then the other ports,
// each once, in that order.
QStringList ComponerPuertos(const QStringList& porId, const QStringList& sistema);

// The dialog's port list, read from the machine each time it is called:
// /dev/serial/by-id entries and the ttyUSB/ttyACM devices present now.
QStringList PuertosOfrecidos();

} // namespace kolt::keying
