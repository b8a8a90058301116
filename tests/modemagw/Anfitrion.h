#pragma once
// A host of kolt-modem-agw for its tests (a command and a data client, the
// lines and bytes each has received), and the modem on free loopback ports.

#include "AgwModem.h"
#include "Esperar.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTcpSocket>

namespace kolt::test {

// What a host sees of a modem: its command lines and its data bytes.
struct Anfitrion {
    explicit Anfitrion(quint16 puerto)
    {
        QObject::connect(&comandos, &QTcpSocket::readyRead, [this] {
            pendiente += comandos.readAll();
            qsizetype fin;
            while ((fin = pendiente.indexOf('\r')) >= 0) {
                lineas.append(QString::fromLatin1(pendiente.left(fin)));
                pendiente.remove(0, fin + 1);
            }
        });
        QObject::connect(&datos, &QTcpSocket::readyRead, [this] { recibido += datos.readAll(); });
        comandos.connectToHost(QHostAddress::LocalHost, puerto);
        datos.connectToHost(QHostAddress::LocalHost, puerto + 1);
    }
    void Decir(const QByteArray& linea) { comandos.write(linea + '\r'); }
    void Enviar(const QByteArray& bytes) { datos.write(bytes); }
    bool Oye(const QString& linea, int ms = 10000)
    {
        return Esperar([&] { return lineas.mid(desde).contains(linea); }, ms);
    }
    // The lines from here on are the ones Oye looks at.
    void Marcar() { desde = lineas.size(); }
    QStringList Desde() const { return lineas.mid(desde); }
    QStringList Buffers() const { return lineas.filter(QStringLiteral("BUFFER ")); }

    QTcpSocket comandos, datos;
    QByteArray pendiente, recibido;
    QStringList lineas;
    qsizetype desde = 0;
};

// A modem in front of the TNC whose AGW port is `agw`, with a KISS port of
// its own when `tncKiss` names the TNC's.
inline std::unique_ptr<modem::AgwModem> ModemAgw(quint16 agw, quint16 tncKiss = 0)
{
    modem::AgwConfig c;
    c.commandPort = 0;
    c.kiss = tncKiss != 0;
    c.kissPort = 0;
    c.agw = {QStringLiteral("127.0.0.1"), agw};
    c.tncKiss = {QStringLiteral("127.0.0.1"), tncKiss};
    auto m = std::make_unique<modem::AgwModem>(c);
    QString error;
    EXPECT_TRUE(m->listen(&error)) << error.toStdString();
    return m;
}

} // namespace kolt::test
