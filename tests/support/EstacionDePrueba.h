#pragma once
// A station of its own in a temporary folder, started with the test's
// settings; a bare KISS port on loopback that records every byte; and the
// receive screen read without its clock.

#include "broadcast/EnlaceKISS.h"
#include "link/Estacion.h"

#include "Esperar.h"
#include "OperadorGuion.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

namespace kolt::test {

// A loopback port nobody listens on, for now.
inline quint16 PuertoLibre()
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}

// A KISS port with no behaviour: what the station writes, and what the
// test wants it to hear, byte for byte. One client at a time.
class ServidorKISS {
public:
    explicit ServidorKISS(quint16 puerto = 0)
    {
        m_servidor.listen(QHostAddress::LocalHost, puerto);
        QObject::connect(&m_servidor, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* nuevo = m_servidor.nextPendingConnection()) {
                ++conexiones;
                if (m_cliente) m_cliente->deleteLater();
                m_cliente = nuevo;
                QObject::connect(nuevo, &QTcpSocket::readyRead,
                                 [this, nuevo] { recibido += nuevo->readAll(); });
            }
        });
    }

    quint16 puerto() const { return m_servidor.serverPort(); }
    bool Conectado() const
    {
        return m_cliente && m_cliente->state() == QAbstractSocket::ConnectedState;
    }

    // Writes `bytes` and waits until they have left, so that the next
    // write reaches the station as a read of its own.
    void Enviar(const QByteArray& bytes)
    {
        if (!m_cliente) return;
        m_cliente->write(bytes);
        m_cliente->flush();
        Esperar([this] { return !m_cliente || m_cliente->bytesToWrite() == 0; }, 1000);
    }

    void Cortar()
    {
        if (m_cliente) m_cliente->abort();
    }

    QByteArray recibido;
    int conexiones = 0;

private:
    QTcpServer m_servidor;
    QPointer<QTcpSocket> m_cliente;
};

// The receive screen with each line's UTC stamp written as "hh:mm:ss", and
// split at CR LF: a test compares lines, not the clock.
inline QStringList LineasSinHora(const QString& pantalla)
{
    static const QRegularExpression hora(QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\r\\n"));
    QString t = pantalla;
    t.replace(hora, QStringLiteral("hh:mm:ss\r\n"));
    QStringList lineas = t.split(QStringLiteral("\r\n"));
    if (!lineas.isEmpty() && lineas.constLast().isEmpty()) lineas.removeLast();
    return lineas;
}

// `setup` holds the test's [Setup] keys, which come before the defaults
// here (the first of two equal keys wins); `secciones` whole sections after
// them. Port 1 is one nobody listens on: the station just keeps trying.
class EstacionDePrueba {
public:
    explicit EstacionDePrueba(const QString& setup, quint16 puertoModem = 1, quint16 puertoKISS = 1,
                              keying::LineaSerie* radio = nullptr, const QString& secciones = {})
    {
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        if (f.open(QIODevice::WriteOnly))
            f.write(QStringLiteral("[Setup]\r\n%1HF TCP Port=%2\r\nFM TCP Port=%2\r\n"
                                   "SAT TCP Port=%2\r\nKISS TCP Port=%3\r\nKISS Host=127.0.0.1\r\n"
                                   "AutoLaunch=0\r\nSave Log=0\r\n%4")
                        .arg(setup, QString::number(puertoModem), QString::number(puertoKISS),
                             secciones)
                        .toLatin1());
        f.close();
        m_entorno.carpetaPrograma = m_entorno.carpetaAjustes = m_entorno.escritorio = m_dir.path();
        m_entorno.operador = &operador;
        m_entorno.puertoRadio = radio;
        Reiniciar();
    }

    // Starts afresh in the same folder: the settings are what the last
    // station saved.
    void Reiniciar()
    {
        m_estacion.reset();
        m_estacion = std::make_unique<link::Estacion>(m_entorno);
        listo = m_estacion->Iniciar() == link::Estacion::Arranque::Listo;
    }

    // Starts afresh with CQ and Broadcast waiting `ms` at most for "PTT OFF".
    void FijarEsperaFinTransmision(int ms)
    {
        m_entorno.esperaFinTransmisionMs = ms;
        Reiniciar();
    }

    link::Estacion& operator*() { return *m_estacion; }
    link::Estacion* operator->() { return m_estacion.get(); }
    QString carpeta() const { return m_dir.path(); }

    // The settings file as the station last wrote it.
    QString Ini() const
    {
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    bool Habilitado(model::Control c) const { return m_estacion->modelo().control(c).enabled; }
    QStringList Pantalla() const { return LineasSinHora(m_estacion->modelo().textoRecepcion()); }
    // Both modem sockets and the KISS link up (`kiss`: the port's own side too).
    bool Arriba(const ServidorKISS* kiss = nullptr) const
    {
        return Esperar([&] {
            return m_estacion->SocketsArriba() && m_estacion->kiss().Conectado() &&
                   (!kiss || kiss->Conectado());
        });
    }

    OperadorGuion operador;
    bool listo = false;

private:
    QTemporaryDir m_dir;
    link::Estacion::Entorno m_entorno;
    std::unique_ptr<link::Estacion> m_estacion;
};

} // namespace kolt::test
