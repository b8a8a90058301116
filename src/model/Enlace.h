#pragma once
// The link flags and the record of the current radio link, as the modem's
// "CONNECTED" line gave it. The record keeps its values after the link ends.

#include <QString>

namespace kolt::model {

struct Enlace {
    bool enlazado = false;      // a radio link is up
    bool llamadaPropia = false; // this station placed the call
    bool desconectando = false; // an end of the link was asked for
    QString estacion1;          // calling station
    QString estacion2;          // called station
    QString digi1;
    QString digi2;

    // The far station: the called one when this station called, else the caller.
    QString Remota() const { return llamadaPropia ? estacion2 : estacion1; }

    // "A <-> D1 <-> D2 <-> B", with only the digipeaters that are present.
    QString Texto() const
    {
        const QString sep = QStringLiteral(" <-> ");
        if (!digi2.isEmpty()) return estacion1 + sep + digi1 + sep + digi2 + sep + estacion2;
        if (!digi1.isEmpty()) return estacion1 + sep + digi1 + sep + estacion2;
        return estacion1 + sep + estacion2;
    }
};

} // namespace kolt::model
