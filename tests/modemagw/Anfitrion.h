#pragma once
// A host of a modem program for its tests: a command and a data client, the
// lines and bytes each has received.

#include "Esperar.h"

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

} // namespace kolt::test
