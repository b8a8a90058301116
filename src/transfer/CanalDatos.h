#pragma once
// The data channel of the station: chat text out as frames, frames in from
// the data socket, the modem's buffer reports that complete every send, and
// the receive-screen conventions the file transfers share.
//
// It owns no socket: it writes to and reads from the data socket it is
// given, and the station hands it the modem's "BUFFER" and "DISCONNECTED"
// reports. The file
// side of a frame goes to a ManejadorArchivos (file transfer); sending a file
// uses EntregarTrama and the screen helpers below like EnviarTexto does.

#include "config/Configuracion.h"
#include "model/Enlace.h"
#include "model/ModeloVentana.h"
#include "transfer/EstadoTransferencia.h"
#include "transfer/ManejadorArchivos.h"
#include "transfer/Tramas.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTcpSocket>

#include <functional>

namespace kolt::transfer {

using model::kFinLinea;
using model::kRecepcionMaxima;

// What the data channel uses of the station.
struct ServiciosCanal {
    QTcpSocket& datos;    // the modem's data port
    QTcpSocket& comandos; // its command port: losing either ends a send
    model::ModeloVentana& modelo;
    const model::Enlace& enlace;
    const config::Configuracion& config;
    EstadoTransmision& transmision; // read by the station's command side
    std::function<void()> abortar;  // ends the link (a damaged stream)
};

class CanalDatos : public QObject {
    Q_OBJECT
public:
    explicit CanalDatos(ServiciosCanal servicios, QObject* parent = nullptr);
    ~CanalDatos() override;

    // Sends the transmit box as one chat frame (the Send button and Enter).
    void EnviarTexto();
    // The receive dispatcher: every chunk the data socket delivers.
    void RecibirDatos(QByteArrayView bloque);
    // "BUFFER n" from the modem (upper-cased line): progress and completion.
    void ProcesarBuffer(const QString& linea);
    // "DISCONNECTED": whatever was half sent or half received is abandoned.
    void ReiniciarTransferencias();

    // The file branch; null (the default) drops file frames after counting them.
    void FijarManejadorArchivos(ManejadorArchivos* manejador) { m_archivos = manejador; }

    // For file sending. Writes a whole frame to the data socket in one call;
    // it stays in flight (BytesPendientes) until the modem reports it gone.
    // The caller sets EstadoEnvio and the in-flight controls.
    void EntregarTrama(QByteArrayView trama);
    // ">" + own call before a block of this station, unless it wrote the last one.
    void CabeceraPropia();
    // A completed message: appended with the 64,000-character cut.
    void MostrarMensaje(const QString& texto);
    // The receive side is in the middle of a frame.
    bool Recibiendo() const { return m_receptor.enTrama(); }

private:
    void CabeceraRemota();
    void AlIniciarTrama(std::span<const EventoTrama> siguen, const EventoTrama& inicio);
    void AlTerminarTrama(const EventoTrama& fin);
    void ErrorDeEnlace();
    void AbandonarEnVuelo();
    void AbandonarEnvio();
    void OlvidarRecepcion();
    void MostrarProgreso(std::uint64_t hechos, std::uint64_t total, const QString& sufijo,
                         const QString& imagen);
    void LimpiarIndicadores();
    void RestaurarControles();

    ServiciosCanal m_s;
    ReceptorTramas m_receptor;
    ManejadorArchivos* m_archivos = nullptr;
    bool m_esArchivo = false;  // the frame being received carries a file
    bool m_empezoAqui = false; // that frame started in the chunk being handled
    QByteArray m_texto;        // the chat payload received so far
    quint64 m_generacion = 0;  // counts resets, so a chunk stops when one happens under it
};

} // namespace kolt::transfer
