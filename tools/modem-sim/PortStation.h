#pragma once
// A station that a host program drives over TCP, as it drives a real modem:
// a command port P (CR-terminated text lines), a data port P + 1 (the link's
// payload) and, optionally, a KISS port.
//
// Each port serves one client. A new connection replaces the client the port
// had; on the command or data port that ends the station's link, as any
// client going away does, since the new client knows nothing of it. The
// station counts as on the air (can call and be called) while both its
// command and data clients are connected.
//
// Nothing a client sends can crash or stall the station: command lines are
// cut with a bounded splitter and a bad line is answered "WRONG", KISS frames
// are cut at FEND with a bounded splitter, and a client that stops reading
// is dropped once kMaxUnread bytes wait for it.

#include "Air.h"
#include "KissSplitter.h"
#include "LineSplitter.h"
#include "ModemCommand.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace kolt::modemsim {

struct StationPorts {
    quint16 command = 0; // 0: any free pair of ports (command, command + 1)
    bool kiss = false;
    quint16 kissPort = 0; // 0: any free port

    bool operator==(const StationPorts&) const = default;
};

class PortStation : public QObject, public Node {
    Q_OBJECT

public:
    static constexpr qint64 kMaxUnread = 32 * 1024 * 1024;

    PortStation(Air& air, QString call, QObject* parent = nullptr);
    ~PortStation() override;

    // Binds the ports on `address`; on failure tells why in `error`.
    bool listen(const QHostAddress& address, const StationPorts& ports, QString* error);

    quint16 commandPort() const { return m_commandServer.serverPort(); }
    quint16 dataPort() const { return m_dataServer.serverPort(); }
    quint16 kissPort() const { return m_kissServer.isListening() ? m_kissServer.serverPort() : 0; }

    bool onAir() const override { return m_command && m_data; }
    void onLinked(const LinkInfo& link) override;
    void onDisconnected() override;
    void onPtt(bool on) override;
    void onBuffer(qint64 queued) override;
    void onData(QByteArrayView chunk) override;
    void onKiss(QByteArrayView frame) override;

private:
    enum class Port { Command, Data, Kiss };
    static const char* portName(Port port);

    bool listenPair(const QHostAddress& address, quint16 command, QString* error);
    void accept(Port port);
    void clientGone(Port port, QTcpSocket* socket);
    QPointer<QTcpSocket>& client(Port port);
    void readCommands();
    void readData();
    void readKiss();
    void execute(const modem::ModemCommand& command);
    void reply(const QByteArray& line);
    void send(QTcpSocket* socket, QByteArrayView bytes);
    void note(const QString& what) const;

    Air& m_air;
    QTcpServer m_commandServer;
    QTcpServer m_dataServer;
    QTcpServer m_kissServer;
    QPointer<QTcpSocket> m_command;
    QPointer<QTcpSocket> m_data;
    QPointer<QTcpSocket> m_kiss;
    modem::LineSplitter m_lines;
    modem::KissSplitter m_kissFrames;
};

} // namespace kolt::modemsim
