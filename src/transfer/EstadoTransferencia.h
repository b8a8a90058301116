#pragma once
// The transmit state of the data channel that the rest of the station
// reads: what was last handed to the modem, what is still in its buffer,
// the echo waiting for it, and who wrote the last block on the screen.

#include <QString>

#include <cstdint>

namespace kolt::transfer {

enum class Envio : std::uint8_t { Ninguno = 0, Texto = 1, Archivo = 2 };
enum class Emisor : std::uint8_t { Nadie = 0, Remoto = 1, Propio = 2 };

struct EstadoTransmision {
    Envio estadoEnvio = Envio::Ninguno;
    std::int64_t bytesPendientes = 0; // frame length, header included, until the modem sent it
    QString ecoPendiente;             // chat text in flight + CR LF
    Emisor ultimoEmisor = Emisor::Nadie;
};

} // namespace kolt::transfer
