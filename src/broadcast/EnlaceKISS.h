#pragma once
// The station's KISS link: the TCP connection to the modem's KISS port, and
// the CQ calls and broadcasts to "ALL" that travel on it.
//
// Received bytes go through a reassembler (Kiss.h), so frames cut across
// reads, or packed several to a read, are each decoded once and whole;
// anything malformed is dropped there or by the AX.25 decoder. What is shown
// is printable text only.
//
// Binding: the station owns one EnlaceKISS and calls AbrirKISS at start-up
// and on every socket-check tick; the socket's own Close and Error events
// call it too, held to about one attempt a second. The window binds the CQ
// menu item to AccionCQ and the broadcast dialog to EnviarBroadcast; the
// dialog closes itself on cierreDialogoPedido (a CQ, or a call started from
// the connect dialog, which the station forwards).

#include "broadcast/Ax25.h"
#include "broadcast/Kiss.h"
#include "config/Configuracion.h"
#include "config/Reintento.h"
#include "model/ModeloVentana.h"
#include "model/Operador.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <span>

namespace kolt::broadcast {

// The refusals of a broadcast.
inline const QString kKISSDesconectado =
    QStringLiteral("The KISS TCP port is not connected with KOLT TNC");
inline const QString kConexionEnCurso = QStringLiteral("Not while a connection is in progress");
// The receive-screen line of a CQ refused for the same reason.
inline const QString kCQNoEnviado =
    QStringLiteral("CQ not sent: the KISS TCP port is not connected with KOLT TNC");

// What the KISS link uses of the station.
struct ServiciosKISS {
    config::Configuracion& config; // the broadcast dialog stores its Via boxes
    model::ModeloVentana& modelo;
    model::Operador& operador;
    std::function<bool()> cerrando; // the program is closing: no reconnecting, no saving
    std::function<bool()> guardar;  // writes the settings file
    // CQ and Broadcast rest until the modem's "PTT OFF" (or a bounded wait).
    std::function<void()> esperarFinTransmision;
};

class EnlaceKISS : public QObject {
    Q_OBJECT
public:
    explicit EnlaceKISS(ServiciosKISS servicios);
    ~EnlaceKISS() override;

    // The link: reconnects to "KISS Host":"KISS TCP Port" when it is down.
    void AbrirKISS();
    bool Conectado() const;
    QTcpSocket& socket() { return m_socket; }
    const ServiciosKISS& servicios() const { return m_s; }

    // Wraps `ax25` in a KISS frame and writes it; a link that is down
    // loses it without a word (the callers decide whether to check first).
    void EnviarTramaKISS(std::span<const std::uint8_t> ax25, std::uint8_t comando);
    // One chunk as the socket delivered it.
    void RecibirKISS(QByteArrayView chunk);

    // Sends `mensaje` to "ALL" and shows it; false, with the operator told
    // why, when the link is down or a connection is under way.
    bool EnviarBroadcast(const QString& mensaje);
    // Shows and sends a CQ; a link that is down loses it without a word.
    void EnviarCQ();
    // The "CQ" menu item: both items off until the modem's "PTT OFF",
    // the call, and the broadcast dialog closed; with the link down, only a
    // screen line saying so.
    void AccionCQ();

    // A sent broadcast's receive-screen line; the caret stays at the end and
    // the keyboard goes to the transmit box.
    void MostrarBroadcast(const QString& origen, const QString& via1, const QString& via2,
                          const QString& marcador, const QString& mensaje);

    // Asks an open broadcast dialog to close (a connection is starting).
    void CerrarDialogoBroadcast() { emit cierreDialogoPedido(); }

signals:
    void cierreDialogoPedido();

private:
    void AlCaer();
    void AlLlegar();
    void AgregarLinea(const std::string& linea);

    ServiciosKISS m_s;
    QTcpSocket m_socket;
    ReensambladorKISS m_reensamblador;
    config::Reintento m_reintento{[this] { AbrirKISS(); }};
};

} // namespace kolt::broadcast
