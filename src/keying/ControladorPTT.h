#pragma once
// The PTT controller: keys the radio's transmitter when the modem asks, by
// CAT command (Via 1), by the RTS/DTR line of a serial port (Via 2), or not
// at all (Via 3, VOX/ZT-Board), and owns the radio serial port.
//
// The settings record is read afresh on every keying, so a choice made in
// the PTT settings dialog keys the next report at once; the port itself
// follows only at the next AbrirPuertoRadio. A keyed radio is always
// unkeyed the way it was keyed: the settings in force at ActivarPTT are
// kept until the matching DesactivarPTT, and AjustesCambiados unkeys at once
// when a change (method, radio, port, lines, mode) would leave the radio
// keyed with nothing to release it. With "KOLT Mode" "KOLTFM" the transmit
// state is shown and nothing else is done. A "Via" other than 1 to 3 keys
// nothing, like VOX.
//
// Binding: the main window implements ObservadorPTT for the status panel
// "PTT" and the message box, and owns one ControladorPTT for the program's
// life. The command channel calls ActivarPTT on "PTT ON" and DesactivarPTT
// on "PTT OFF"; when the modem link drops (or reports "DISCONNECTED") while
// Transmitiendo() is true, it calls DesactivarPTT so that a dead modem never
// leaves the transmitter on.

#include "config/Configuracion.h"
#include "keying/LineaSerie.h"
#include "keying/PuertoRadio.h"

#include <QString>

namespace kolt::keying {

// What the PTT controller shows and says.
class ObservadorPTT {
public:
    virtual ~ObservadorPTT() = default;

    // The status panel "PTT": see EstadoPanelPTT for its text, picture key
    // and tool-tip in each state.
    virtual void MostrarPTT(bool transmitiendo) = 0;

    // A message box, exclamation icon, title "KOLT Chat".
    virtual void Avisar(const QString& mensaje) = 0;
};

struct PanelPTT {
    QString texto;  // "TX" / "RX"
    QString imagen; // image-list key: "LedRojo" / "LedVerde"
    QString ayuda;  // tool-tip: "PTT ON" / "PTT OFF"
};

PanelPTT EstadoPanelPTT(bool transmitiendo);

class ControladorPTT {
public:
    ControladorPTT(const config::Configuracion& ajustes, LineaSerie& puerto,
                   ObservadorPTT& observador);

    // Closes the port and opens it again with the current settings, unless
    // FM or VOX; a keyed radio is unkeyed first, through the old port.
    // Called at start-up, when the PTT dialog closes and on a switch of
    // modem variant from FM.
    void AbrirPuertoRadio();

    // Drops RTS and DTR and closes the port, if open.
    void CerrarPuertoRadio();

    void ActivarPTT();
    void DesactivarPTT();

    // To be called after the settings record changed: when the radio is
    // keyed and the keying settings are no longer those that keyed it,
    // unkey it now, with the old ones.
    void AjustesCambiados();

    // The last keying operation was ActivarPTT.
    bool Transmitiendo() const { return m_transmitiendo; }

private:
    // The settings a keying or unkeying uses.
    struct Clave {
        bool fm = false;
        int via = 0;
        int rig = 0;
        QString icomAddress;
        int pin = 0;
        int rts = 0;
        int dtr = 0;
        QString baud;
        QString catPort;
        QString pttPort;
        bool operator==(const Clave&) const = default;
    };
    Clave claveActual() const;
    void enviarOrdenCAT(const Clave& clave, bool transmitir);

    const config::Configuracion& m_ajustes;
    LineaSerie& m_puerto;
    ObservadorPTT& m_observador;
    bool m_transmitiendo = false;
    Clave m_claveTX; // what keyed the radio, while m_transmitiendo
};

} // namespace kolt::keying
