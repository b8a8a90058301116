// The conversation with the modem over its command port: keeping both
// modem sockets up, the commands sent, and the dispatch of its lines.

#include "link/Estacion.h"

#include "config/Ansi.h"
#include "keying/PttController.h"

namespace kolt::link {

bool Estacion::SocketsArriba() const
{
    return m_comandos.state() == QAbstractSocket::ConnectedState &&
           m_datos.state() == QAbstractSocket::ConnectedState;
}

void Estacion::ComprobarSockets()
{
    const bool comandosCaido = m_comandos.state() != QAbstractSocket::ConnectedState;
    const bool datosCaido = m_datos.state() != QAbstractSocket::ConnectedState;
    if (!comandosCaido && !datosCaido) return;

    MostrarSocketsCaidos();

    const QString host = config::HostDelModo(m_config);
    const quint16 puerto = config::PuertoDelModo(m_config);
    m_reintento.Marcar();
    if (comandosCaido) {
        m_comandos.abort();
        m_comandos.connectToHost(host, puerto);
        m_lineas.reset();
    }
    if (datosCaido) {
        m_datos.abort();
        m_datos.connectToHost(host, static_cast<quint16>(puerto + 1));
        m_lineas.reset();
    }
}

// A modem that dies or drops the link in the middle of a transmission
// never sends its "PTT OFF": the transmitter must not stay on.
void Estacion::SoltarPTTSiTransmite()
{
    if (m_ptt->Transmitiendo()) m_ptt->DesactivarPTT();
}

void Estacion::MostrarSocketsCaidos()
{
    SoltarPTTSiTransmite();
    // Whatever call or disconnection was under way ended with the modem.
    ReiniciarEnlace();
    m_modelo.FijarImagenPanel(Panel::TCP, QStringLiteral("LedRojo"));
    m_modelo.FijarTooltipPanel(Panel::TCP, QStringLiteral("TCP link disconnected"));
    ActualizarEstado();
}

void Estacion::AlCaerSocket()
{
    if (m_cerrando) return;
    // The display follows the sockets at once; only the new attempt waits.
    if (!SocketsArriba()) MostrarSocketsCaidos();
    m_reintento.Pedir();
}

void Estacion::AlConectarSocket()
{
    if (!SocketsArriba()) return;
    m_modelo.FijarImagenPanel(Panel::TCP, QStringLiteral("LedVerde"));
    EnviarMyCall();
    EnviarChatOn();
    AplicarAnchoBanda();
    ActualizarEstado();
}

void Estacion::EnviarComando(const QString& comando)
{
    if (m_comandos.state() != QAbstractSocket::ConnectedState) return;
    m_comandos.write(config::ATextoAnsi(comando) + '\r');
}

void Estacion::EnviarMyCall()
{
    EnviarComando(QStringLiteral("MYCALL ") + m_config.myCallsign);
}

void Estacion::EnviarChatOn()
{
    EnviarComando(QStringLiteral("CHAT ON"));
}

void Estacion::AplicarAnchoBanda()
{
    if (m_config.koltMode != config::Variante::HF) return;
    const QString& bw = m_config.koltHFBW;
    if (bw == QLatin1String("500") || bw == QLatin1String("2300") || bw == QLatin1String("2750"))
        EnviarComando(QStringLiteral("BW") + bw);
}

void Estacion::Conectar()
{
    MostrarConectando();
    const QString* destino = config::DestinoDelModo(m_config);
    if (!destino) return;
    QString comando =
        QStringLiteral("CONNECT ") + m_config.myCallsign + QLatin1Char(' ') + *destino;
    // Digipeaters only in FM, and a second one only after a first.
    if (m_config.koltMode == config::Variante::FM && !m_config.via1.isEmpty()) {
        comando += QStringLiteral(" VIA ") + m_config.via1;
        if (!m_config.via2.isEmpty()) comando += QLatin1Char(' ') + m_config.via2;
    }
    EnviarComando(comando);
}

void Estacion::Abortar()
{
    m_enlace.desconectando = true;
    m_modelo.Habilitar(Control::mnuStop, false);
    m_modelo.Mostrar(Control::cmdEnviar, false);
    m_modelo.Habilitar(Control::mnuSendFile, false);
    m_modelo.FijarTextoPanel(Panel::Indicativos, QStringLiteral("Disconnecting..."));
    EnviarComando(QStringLiteral("ABORT"));
}

void Estacion::EsperarFinTransmision()
{
    m_modelo.Habilitar({Control::mnuCQ, Control::mnuBroadcast}, false);
    m_tmrFinTransmision.start();
}

void Estacion::FinTransmision()
{
    m_tmrFinTransmision.stop();
    if (m_modelo.control(Control::mnuConnect).enabled && !m_enlace.enlazado)
        m_modelo.Habilitar({Control::mnuCQ, Control::mnuBroadcast}, true);
}

void Estacion::RecibirComandos()
{
    const QByteArray llegada = m_comandos.readAll();
    for (const std::string& linea :
         m_lineas.feed(std::string_view(llegada.constData(), static_cast<size_t>(llegada.size()))))
        ProcesarComando(config::DeTextoAnsi(QByteArray::fromStdString(linea)).toUpper());
}

void Estacion::ProcesarComando(const QString& linea)
{
    if (linea.startsWith(QLatin1String("CONNECTED "))) {
        const LineaConectado c = ParsearConectado(linea.toStdString());
        if (c.campos.size() > 1) m_enlace.estacion1 = QString::fromStdString(c.estacion1);
        if (c.campos.size() > 2) m_enlace.estacion2 = QString::fromStdString(c.estacion2);
        m_enlace.digi1 = QString::fromStdString(c.digi1);
        m_enlace.digi2 = QString::fromStdString(c.digi2);
        EnlaceEstablecido();
    } else if (linea.startsWith(QLatin1String("BUFFER "))) {
        emit bufferInformado(linea);
    } else if (linea == QLatin1String("DISCONNECTED")) {
        SoltarPTTSiTransmite();
        ReiniciarEnlace();
        emit enlaceTerminado();
        ActualizarEstado();
    } else if (linea == QLatin1String("PTT ON")) {
        EsperarFinTransmision();
        m_ptt->ActivarPTT();
    } else if (linea == QLatin1String("PTT OFF")) {
        m_ptt->DesactivarPTT();
        FinTransmision();
    } else if (linea == QLatin1String("WRONG")) {
        // A refused call: it is over, and the next link may be the far
        // station's call.
        if (!m_enlace.enlazado) ReiniciarEnlace();
        ActualizarEstado();
    }
}

} // namespace kolt::link
