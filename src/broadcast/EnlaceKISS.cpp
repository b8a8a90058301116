// The KISS TCP link: keeping it up, writing frames, handing each received
// frame to the screen, and the CQ calls and broadcasts to "ALL" it carries.

#include "broadcast/EnlaceKISS.h"

#include "broadcast/DialogoBroadcast.h"
#include "broadcast/Mensajes.h"
#include "config/Ansi.h"
#include "config/RelojUTC.h"

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

namespace {

// What the frame builders need from the settings, in the text form the
// destination wants: 8-bit wire text for the air, UTF-8 for the screen.
DatosEmisor EmisorDe(const config::Configuracion& c, bool paraElAire)
{
    const auto texto = [paraElAire](const QString& s) {
        return paraElAire ? config::ATextoAnsi(s).toStdString() : s.toStdString();
    };
    DatosEmisor e;
    e.modo = c.koltMode.variante();
    e.miIndicativo = texto(c.myCallsign);
    e.via1 = texto(c.via1);
    e.via2 = texto(c.via2);
    e.anchoHF = texto(c.koltHFBW);
    return e;
}

// The message as it goes out: at most kLimiteMensaje characters, and as
// many bytes (a double-byte code page could make more of them).
QByteArray BytesDelMensaje(QString& mensaje)
{
    mensaje = LimitarMensaje(mensaje);
    QByteArray bytes = config::ATextoAnsi(mensaje);
    while (bytes.size() > static_cast<qsizetype>(kLimiteMensaje)) {
        mensaje.chop(mensaje.size() > 1 && mensaje.back().isLowSurrogate() ? 2 : 1);
        bytes = config::ATextoAnsi(mensaje);
    }
    return bytes;
}

QString Texto(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void EnlaceKISS::AgregarLinea(const std::string& linea)
{
    model::ModeloVentana& modelo = m_s.modelo;
    // Cut as after a chat line: a flood of frames from the air must not
    // grow the screen without bound.
    modelo.AgregarRecepcionCortando(QString::fromStdString(linea), model::kRecepcionMaxima);
    modelo.EnfocarTransmision();
}

void EnlaceKISS::MostrarBroadcast(const QString& origen, const QString& via1, const QString& via2,
                                  const QString& marcador, const QString& mensaje)
{
    AgregarLinea(LineaBroadcast(origen.toStdString(), via1.toStdString(), via2.toStdString(),
                                marcador.toStdString(), mensaje.toStdString(),
                                config::HoraUTC().toStdString()));
}

bool EnlaceKISS::EnviarBroadcast(const QString& mensaje)
{
    model::ModeloVentana& modelo = m_s.modelo;
    if (!Conectado()) {
        m_s.operador.Mensaje(model::Icono::Exclamacion, kKISSDesconectado);
        return false;
    }
    if (!modelo.control(model::Control::mnuCQ).enabled) {
        m_s.operador.Mensaje(model::Icono::Exclamacion, kConexionEnCurso);
        return false;
    }
    m_s.esperarFinTransmision();

    const config::Configuracion& c = m_s.config;
    QString texto = mensaje;
    const QByteArray bytes = BytesDelMensaje(texto);
    const bool fm = c.koltMode == config::Variante::FM;
    MostrarBroadcast(c.myCallsign, fm ? c.via1 : QString(), fm ? c.via2 : QString(),
                     Texto(kMarcadorEnviado), texto);
    if (const auto trama = TramaBroadcast(EmisorDe(c, true), bytes.toStdString()))
        EnviarTramaKISS(trama->ax25, trama->comando);
    return true;
}

void EnlaceKISS::EnviarCQ()
{
    const config::Configuracion& c = m_s.config;
    if (const auto linea = LineaCQEnviado(EmisorDe(c, false), config::HoraUTC().toStdString()))
        AgregarLinea(*linea);
    const TramaSaliente trama = TramaCQ(EmisorDe(c, true));
    EnviarTramaKISS(trama.ax25, trama.comando);
}

void EnlaceKISS::AccionCQ()
{
    // A CQ that cannot be written is refused, not lost: nothing waits for
    // the end of a transmission that will never start.
    if (!Conectado()) {
        AgregarLinea((kCQNoEnviado + model::kFinLinea).toStdString());
        return;
    }
    m_s.esperarFinTransmision();
    EnviarCQ();
    CerrarDialogoBroadcast();
}

} // namespace kolt::broadcast
