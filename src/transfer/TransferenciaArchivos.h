#pragma once
// File transfer: the "Send File" command, and the file branch of the data
// channel's receive dispatcher.
//
// Sending packs the chosen file into one frame (compressed when small
// enough), hands it to the modem through CanalDatos and reports the
// throughput when the modem's buffer has emptied. Receiving keeps the
// payload of a file frame as it arrives (never more than the frame
// announced, which the frame reader caps at kCargaMaxima), then opens it,
// refusing a damaged one, and saves the body under a safe, free name in the
// download folder. Every outcome gets its line on the receive screen.

#include "config/Configuracion.h"
#include "model/Enlace.h"
#include "model/ModeloVentana.h"
#include "model/Operador.h"
#include "transfer/CanalDatos.h"
#include "transfer/CargaArchivo.h"
#include "transfer/GuardadoArchivo.h"
#include "transfer/ManejadorArchivos.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kolt::transfer {

// A throughput for the screen: bytes × 60,000 / milliseconds, rounded to a
// whole number with halves to even; "XXXX" when no time has passed.
QString BytesPorMinuto(std::uint64_t bytes, std::int64_t milisegundos);

// What file transfer uses of the station.
struct ServiciosArchivos {
    CanalDatos& canal; // the frames go through it; it hands back file frames
    model::ModeloVentana& modelo;
    model::Operador& operador;
    const model::Enlace& enlace;
    config::Configuracion& config; // the picker's folder is remembered
    EstadoTransmision& transmision;
    std::function<bool()> modemConectado; // both modem sockets up, or the operator is told
    std::function<void()> abortar;        // ends the link ("AutoDisconnect")
};

class TransferenciaArchivos : public ManejadorArchivos {
public:
    // Milliseconds of a monotonic clock; the tests bring their own.
    using Reloj = std::function<std::int64_t()>;

    explicit TransferenciaArchivos(ServiciosArchivos servicios);
    ~TransferenciaArchivos() override;
    TransferenciaArchivos(const TransferenciaArchivos&) = delete;
    TransferenciaArchivos& operator=(const TransferenciaArchivos&) = delete;

    // The "Send File" menu item: both modem sockets up, or the operator is
    // told and nothing else happens.
    void AccionEnviarArchivo();
    // Picks, checks, packs and sends a file.
    void EnviarArchivo();

    // The payload of the file at `ruta`: its name as it travels, "#", its
    // bytes. Empty, with the reason in `error`, when it cannot be read whole
    // (or has grown past the largest payload since it was checked).
    static QByteArray LeerArchivo(const QString& ruta, QString* error = nullptr);

    void FijarReloj(Reloj reloj) { m_reloj = std::move(reloj); }
    std::int64_t TickInicioEnvio() const { return m_tickInicioEnvio; }

    // What became of a received payload.
    struct Recepcion {
        EstadoCarga carga = EstadoCarga::Ok; // anything else: damaged, nothing saved
        QString recibido;                    // the name as sent
        Guardado guardado;                   // when the payload was whole
    };
    // Opens a file payload and saves its body in the download folder.
    Recepcion ProcesarArchivoRecibido(Marcador marcador, std::span<const std::uint8_t> carga);

    // The file branch of the receive dispatcher.
    void InicioRecepcion(const InicioArchivo& inicio) override;
    void CargaRecibida(std::span<const std::uint8_t> pieza) override;
    void FinRecepcion(bool enUnBloque) override;
    void RecepcionAbandonada() override;
    void EnvioTerminado(std::int64_t bytesTrama) override;

private:
    // Linked, not disconnecting, nothing in flight either way.
    bool PuedeEnviar();
    void MostrarRecepcion(const Recepcion& r, const QString& tasa);
    void OlvidarBuffer();

    ServiciosArchivos m_s;
    Reloj m_reloj;
    std::int64_t m_tickInicioEnvio = 0;

    // The file frame being received.
    std::vector<std::uint8_t> m_bufferArchivo; // its payload so far
    std::size_t m_esperado = 0;                // payload bytes announced
    Marcador m_marcador = Marcador::ArchivoPlano;
    std::uint64_t m_totalTrama = 0;        // header included
    std::uint64_t m_bytesPrimerBloque = 0; // of the frame, in the chunk that started it
    std::int64_t m_tickInicioRecepcion = 0;
};

} // namespace kolt::transfer
