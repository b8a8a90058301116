#include "ModemDePrueba.h"

namespace kolt::test {

ModemDePrueba::ModemDePrueba()
{
    for (int intento = 0; intento < 50; ++intento) {
        if (!m_comandos.listen(QHostAddress::LocalHost, 0)) continue;
        if (m_comandos.serverPort() < 65535 &&
            m_datos.listen(QHostAddress::LocalHost, m_comandos.serverPort() + 1)) {
            m_puerto = m_comandos.serverPort();
            break;
        }
        m_comandos.close();
    }
    QObject::connect(&m_comandos, &QTcpServer::newConnection,
                     [this] { Aceptar(m_comandos, m_clienteComandos); });
    QObject::connect(&m_datos, &QTcpServer::newConnection,
                     [this] { Aceptar(m_datos, m_clienteDatos); });
}

ModemDePrueba::~ModemDePrueba()
{
    Cerrar();
}

void ModemDePrueba::Aceptar(QTcpServer& servidor, QPointer<QTcpSocket>& cliente)
{
    while (QTcpSocket* nuevo = servidor.nextPendingConnection()) {
        ++conexiones;
        if (cliente) cliente->deleteLater();
        cliente = nuevo;
        QByteArray* destino = &servidor == &m_comandos ? &m_recibido : &m_recibidoDatos;
        QObject::connect(nuevo, &QTcpSocket::readyRead,
                         [nuevo, destino] { *destino += nuevo->readAll(); });
    }
}

QStringList ModemDePrueba::lineas()
{
    QStringList r = QString::fromLatin1(m_recibido).split(QLatin1Char('\r'));
    r.removeLast(); // what follows the last CR is not a line yet
    return r;
}

QByteArray ModemDePrueba::datosRecibidos()
{
    return m_recibidoDatos;
}

bool ModemDePrueba::Conectado() const
{
    return m_clienteComandos && m_clienteDatos &&
           m_clienteComandos->state() == QAbstractSocket::ConnectedState &&
           m_clienteDatos->state() == QAbstractSocket::ConnectedState;
}

void ModemDePrueba::Enviar(const QByteArray& bytes)
{
    if (m_clienteComandos) m_clienteComandos->write(bytes);
}

void ModemDePrueba::EnviarDatos(const QByteArray& bytes)
{
    if (m_clienteDatos) m_clienteDatos->write(bytes);
}

void ModemDePrueba::Olvidar()
{
    m_recibido.clear();
    m_recibidoDatos.clear();
}

void ModemDePrueba::Cortar()
{
    for (QTcpSocket* c : {m_clienteComandos.data(), m_clienteDatos.data()})
        if (c) {
            c->abort();
            c->deleteLater();
        }
    m_recibido.clear();
    m_recibidoDatos.clear();
}

void ModemDePrueba::Cerrar()
{
    Cortar();
    m_comandos.close();
    m_datos.close();
}

bool ModemDePrueba::Reabrir()
{
    return m_comandos.listen(QHostAddress::LocalHost, m_puerto) &&
           m_datos.listen(QHostAddress::LocalHost, static_cast<quint16>(m_puerto + 1));
}

} // namespace kolt::test
