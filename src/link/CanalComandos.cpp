#include "link/CanalComandos.h"

#include "config/Ansi.h"

namespace kolt::link {

CanalComandos::CanalComandos(const config::Configuracion& config, QObject* parent)
    : QObject(parent), m_config(config)
{
    // Close and Error run the check again; queued, so that a socket closed
    // inside the check never re-enters it.
    for (QTcpSocket* s : {&m_comandos, &m_datos}) {
        connect(s, &QTcpSocket::connected, this, &CanalComandos::AlConectar);
        connect(s, &QTcpSocket::disconnected, this, &CanalComandos::AlCaer, Qt::QueuedConnection);
        connect(s, &QTcpSocket::errorOccurred, this, &CanalComandos::AlCaer, Qt::QueuedConnection);
    }
    connect(&m_comandos, &QTcpSocket::readyRead, this, &CanalComandos::Recibir);
}

bool CanalComandos::Arriba() const
{
    return m_comandos.state() == QAbstractSocket::ConnectedState &&
           m_datos.state() == QAbstractSocket::ConnectedState;
}

void CanalComandos::Comprobar()
{
    const bool comandosCaido = m_comandos.state() != QAbstractSocket::ConnectedState;
    const bool datosCaido = m_datos.state() != QAbstractSocket::ConnectedState;
    if (!comandosCaido && !datosCaido) return;

    emit caidos();

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

void CanalComandos::AlCaer()
{
    if (m_cerrado) return;
    // The display follows the sockets at once; only the new attempt waits.
    if (!Arriba()) emit caidos();
    m_reintento.Pedir();
}

void CanalComandos::AlConectar()
{
    if (Arriba()) emit arriba();
}

void CanalComandos::Enviar(const QString& comando)
{
    if (m_comandos.state() != QAbstractSocket::ConnectedState) return;
    m_comandos.write(config::ATextoAnsi(comando) + '\r');
}

void CanalComandos::Recibir()
{
    const QByteArray llegada = m_comandos.readAll();
    for (const std::string& linea :
         m_lineas.feed(std::string_view(llegada.constData(), static_cast<size_t>(llegada.size()))))
        emit lineaRecibida(config::DeTextoAnsi(QByteArray::fromStdString(linea)).toUpper());
}

void CanalComandos::Cerrar()
{
    m_cerrado = true;
    m_reintento.Detener();
    m_comandos.abort();
    m_datos.abort();
}

} // namespace kolt::link
