// CQ calls and broadcasts to "ALL": sending them, and the line each one,
// sent or heard, puts on the receive screen.

#include "broadcast/EnlaceKISS.h"

#include "broadcast/DialogoBroadcast.h"
#include "broadcast/Mensajes.h"
#include "config/Ansi.h"
#include "config/UtcClock.h"

namespace kolt::broadcast {

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
