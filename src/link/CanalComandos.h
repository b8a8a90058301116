#pragma once
// The modem's two ports as one channel: both sockets kept up (a fallen one
// is tried again at most once a second), commands written to the command
// port, and what the modem says there split into lines.

#include "config/Configuracion.h"
#include "config/Reintento.h"
#include "link/LineasModem.h"

#include <QObject>
#include <QString>
#include <QTcpSocket>

namespace kolt::link {

class CanalComandos : public QObject {
    Q_OBJECT
public:
    // Host and ports come from the settings of the variant in use.
    explicit CanalComandos(const config::Configuracion& config, QObject* parent = nullptr);

    QTcpSocket& comandos() { return m_comandos; }
    QTcpSocket& datos() { return m_datos; }
    bool Arriba() const;

    // Connects whatever socket is down; `caidos` comes first.
    void Comprobar();
    // One command line, in the wire's 8-bit text; lost with the port down.
    void Enviar(const QString& comando);
    // The program is closing: both sockets close and nothing reconnects.
    void Cerrar();

signals:
    void caidos();                      // a socket is down (before it is tried again)
    void arriba();                      // both sockets have just come up
    void lineaRecibida(const QString&); // upper-cased
private:
    void AlConectar();
    void AlCaer();
    void Recibir();

    const config::Configuracion& m_config;
    QTcpSocket m_comandos;
    QTcpSocket m_datos;
    LineasModem m_lineas;
    config::Reintento m_reintento{[this] { Comprobar(); }};
    bool m_cerrado = false;
};

} // namespace kolt::link
