// The KISS TCP link: keeping it up, writing frames, and handing each
// received frame to the CQ or broadcast display.

#include "broadcast/EnlaceKISS.h"

#include "broadcast/Mensajes.h"
#include "config/UtcClock.h"

namespace kolt::broadcast {

EnlaceKISS::EnlaceKISS(ServiciosKISS servicios) : m_s(std::move(servicios))
{
    // Queued, so that a socket closed inside AbrirKISS never re-enters it.
    connect(&m_socket, &QTcpSocket::disconnected, this, &EnlaceKISS::AlCaer, Qt::QueuedConnection);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &EnlaceKISS::AlCaer, Qt::QueuedConnection);
    connect(&m_socket, &QTcpSocket::readyRead, this, &EnlaceKISS::AlLlegar);
}

EnlaceKISS::~EnlaceKISS() = default;

bool EnlaceKISS::Conectado() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

void EnlaceKISS::AbrirKISS()
{
    if (Conectado()) return;
    m_reintento.Marcar();
    m_socket.abort();
    m_reensamblador.reset(); // a half frame of the old connection never joins the new one
    const config::Configuracion& c = m_s.config;
    m_socket.connectToHost(c.kissHost, c.kissTcpPort);
}

void EnlaceKISS::AlCaer()
{
    // Close and Error both come for one loss; an attempt under way is left be.
    if (m_s.cerrando() || m_socket.state() != QAbstractSocket::UnconnectedState) return;
    m_reintento.Pedir();
}

void EnlaceKISS::EnviarTramaKISS(std::span<const std::uint8_t> ax25, std::uint8_t comando)
{
    // Only an open device takes bytes (a connecting one keeps them until it
    // is up); writing to a closed one would do nothing but warn.
    if (!m_socket.isOpen()) return;
    const std::vector<std::uint8_t> kiss = CodificarKISS(ax25, comando);
    m_socket.write(reinterpret_cast<const char*>(kiss.data()), static_cast<qint64>(kiss.size()));
}

void EnlaceKISS::AlLlegar()
{
    const QByteArray llegada = m_socket.readAll();
    RecibirKISS(llegada);
}

void EnlaceKISS::RecibirKISS(QByteArrayView chunk)
{
    // The same decision the unit tests and the fuzzers drive: a frame gives
    // one line or none.
    const config::Variante modo = m_s.config.koltMode.variante();
    const std::string utc = config::HoraUTC().toStdString();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
    for (const TramaKISS& recibida :
         m_reensamblador.feed(std::span(bytes, static_cast<std::size_t>(chunk.size()))))
        if (const auto linea = LineaRecibida(recibida, modo, utc)) AgregarLinea(*linea);
}

} // namespace kolt::broadcast
