#pragma once
// The file branch of the data channel: what CanalDatos hands over when a
// frame carries a file (marker "#" or "$") or when a file frame it sent has
// left the modem. File transfer implements it and registers itself with
// CanalDatos::FijarManejadorArchivos; until then file frames are received,
// counted on the progress bar and dropped.
//
// Calls for one received file frame, in order: InicioRecepcion once, then
// CargaRecibida for every piece of the payload (never the header), then
// either FinRecepcion or RecepcionAbandonada. The pieces are views into the
// chunk the socket delivered, valid only during the call: keep them by
// copying into the file buffer, which is the only copy made.

#include "transfer/Tramas.h"

#include <cstdint>
#include <span>

namespace kolt::transfer {

struct InicioArchivo {
    Marcador marcador = Marcador::ArchivoComprimido;
    std::uint32_t longitud = 0; // payload bytes announced
    std::uint8_t cabecera = 0;  // header bytes (digits and marker)
    // Bytes of this frame in the chunk that completed its header (header
    // included): the first-chunk size of the receive rate.
    std::uint64_t enEsteBloque = 0;

    // The frame's whole length, as the "Receiving ... bytes file..." line shows it.
    std::uint64_t total() const { return std::uint64_t{longitud} + cabecera; }
};

class ManejadorArchivos {
public:
    virtual ~ManejadorArchivos() = default;

    // A file frame's header has been read. The remote's "<" header line is
    // already on the screen.
    virtual void InicioRecepcion(const InicioArchivo& inicio) = 0;
    virtual void CargaRecibida(std::span<const std::uint8_t> pieza) = 0;
    // The whole payload has arrived; `enUnBloque` when the frame started in
    // the same chunk (no rate can be measured). The progress display has
    // been updated; the caret goes to the end by itself.
    virtual void FinRecepcion(bool enUnBloque) = 0;
    // The link ended ("DISCONNECTED") or the data socket was renewed with the
    // frame incomplete: nothing is to be saved.
    virtual void RecepcionAbandonada() = 0;

    // The modem reported "BUFFER 0" after a file frame (EstadoEnvio 2) of
    // `bytesTrama` bytes, header included: write the success line (and
    // abort the link when "AutoDisconnect" asks). CanalDatos then restores
    // the controls as after a chat text.
    virtual void EnvioTerminado(std::int64_t bytesTrama) = 0;
};

} // namespace kolt::transfer
