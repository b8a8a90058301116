#pragma once
// A bare modem for tests that need to see the exact bytes the station
// sends and to say exactly what a modem would: a command port and the data
// port beside it, on loopback, one client each. It has no behaviour of its
// own; the stand-in modem is the real peer for end-to-end stories.

#include <QByteArray>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace kolt::test {

class ModemDePrueba {
public:
    // Listens on a free pair of ports P, P+1.
    ModemDePrueba();
    ~ModemDePrueba();

    quint16 puerto() const { return m_puerto; }

    // The lines received on the command port so far, without their CR.
    QStringList lineas();
    QByteArray datosRecibidos();
    bool Conectado() const;

    void Enviar(const QByteArray& bytes);      // on the command port
    void EnviarDatos(const QByteArray& bytes); // on the data port
    void Olvidar();                            // forget what was received
    void Cortar();                             // drop both clients
    void Cerrar();                             // stop listening too
    bool Reabrir();                            // listen again on the same ports

    int conexiones = 0; // connections accepted, both ports

private:
    void Aceptar(QTcpServer& servidor, QPointer<QTcpSocket>& cliente);
    quint16 m_puerto = 0;
    QTcpServer m_comandos;
    QTcpServer m_datos;
    QPointer<QTcpSocket> m_clienteComandos;
    QPointer<QTcpSocket> m_clienteDatos;
    QByteArray m_recibido;
    QByteArray m_recibidoDatos;
};

} // namespace kolt::test
