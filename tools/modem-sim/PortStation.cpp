#include "PortStation.h"

#include "HostPorts.h"

namespace kolt::modemsim {

using modem::LineEvent;
using modem::LineSplitter;
using modem::ModemCommand;

const char* PortStation::portName(Port port)
{
    switch (port) {
    case Port::Command: return "command";
    case Port::Data: return "data";
    case Port::Kiss: break;
    }
    return "KISS";
}

PortStation::PortStation(Air& air, QString call, QObject* parent)
    : QObject(parent), Node(std::move(call)), m_air(air)
{
    m_air.join(this);
    QObject::connect(&m_commandServer, &QTcpServer::newConnection, this,
                     [this] { accept(Port::Command); });
    QObject::connect(&m_dataServer, &QTcpServer::newConnection, this,
                     [this] { accept(Port::Data); });
    QObject::connect(&m_kissServer, &QTcpServer::newConnection, this,
                     [this] { accept(Port::Kiss); });
}

PortStation::~PortStation()
{
    m_air.leave(this);
}

bool PortStation::listen(const QHostAddress& address, const StationPorts& ports, QString* error)
{
    if (!listenPair(address, ports.command, error)) return false;
    if (ports.kiss && !m_kissServer.listen(address, ports.kissPort)) {
        *error =
            QStringLiteral("KISS port %1: %2").arg(ports.kissPort).arg(m_kissServer.errorString());
        m_commandServer.close();
        m_dataServer.close();
        return false;
    }
    return true;
}

bool PortStation::listenPair(const QHostAddress& address, quint16 command, QString* error)
{
    return modem::ListenPair(m_commandServer, m_dataServer, address, command, error);
}

QPointer<QTcpSocket>& PortStation::client(Port port)
{
    switch (port) {
    case Port::Command: return m_command;
    case Port::Data: return m_data;
    case Port::Kiss: break;
    }
    return m_kiss;
}

void PortStation::accept(Port port)
{
    QTcpServer& server = port == Port::Command ? m_commandServer
                         : port == Port::Data  ? m_dataServer
                                               : m_kissServer;
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        QPointer<QTcpSocket>& slot = client(port);
        if (QTcpSocket* old = slot) {
            note(QStringLiteral("%1 client replaced").arg(portName(port)));
            slot = nullptr;
            old->disconnect(this);
            old->abort();
            old->deleteLater();
            if (port != Port::Kiss) m_air.dropLink(this);
        }
        slot = socket;
        // Handled from the event loop: a write can find the peer gone, and
        // the air must not see the station change in the middle of a report.
        QObject::connect(
            socket, &QTcpSocket::disconnected, this,
            [this, port, socket] { clientGone(port, socket); }, Qt::QueuedConnection);
        switch (port) {
        case Port::Command:
            m_lines.reset();
            QObject::connect(socket, &QTcpSocket::readyRead, this, &PortStation::readCommands);
            break;
        case Port::Data:
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, this, &PortStation::readData);
            break;
        case Port::Kiss:
            m_kissFrames.reset();
            QObject::connect(socket, &QTcpSocket::readyRead, this, &PortStation::readKiss);
            break;
        }
        note(QStringLiteral("%1 client connected").arg(portName(port)));
    }
}

void PortStation::clientGone(Port port, QTcpSocket* socket)
{
    QPointer<QTcpSocket>& slot = client(port);
    if (slot != socket) return; // already replaced
    slot = nullptr;
    socket->deleteLater();
    note(QStringLiteral("%1 client gone").arg(portName(port)));
    if (port != Port::Kiss) m_air.dropLink(this);
}

void PortStation::readCommands()
{
    if (!m_command) return;
    for (const LineEvent& e : m_lines.feed(m_command->readAll())) {
        if (e.kind == LineEvent::Kind::Oversize) {
            note(QStringLiteral("-> a line over %1 bytes, discarded").arg(LineSplitter::kMaxLine));
            reply("WRONG");
            continue;
        }
        note(QStringLiteral("-> ") + QString::fromLatin1(e.text));
        execute(modem::ParseCommand(e.text));
    }
}

void PortStation::execute(const ModemCommand& c)
{
    switch (c.kind) {
    case ModemCommand::Kind::Wrong: reply("WRONG"); return;
    case ModemCommand::Kind::MyCall:
        // Two stations with one call on one channel could not be told apart.
        if (Node* other = m_air.find(c.call); other && other != this) {
            note(QStringLiteral("%1 is another station's call").arg(c.call));
            reply("WRONG");
            return;
        }
        setCall(c.call);
        reply("OK");
        return;
    case ModemCommand::Kind::ChatOn: reply("OK"); return;
    case ModemCommand::Kind::Bandwidth:
        m_air.setBandwidth(this, c.bandwidthHz);
        reply("OK");
        return;
    case ModemCommand::Kind::Connect:
        // Answered before the setup timer can fire, so "OK" always comes
        // before the "CONNECTED" or "DISCONNECTED" it leads to.
        reply(m_air.placeCall(this, {c.call, c.target, c.digis}) ? "OK" : "WRONG");
        return;
    case ModemCommand::Kind::Abort:
        reply("OK");
        m_air.abort(this);
        return;
    }
}

void PortStation::readData()
{
    if (!m_data) return;
    const QByteArray bytes = m_data->readAll();
    note(QStringLiteral("data port: %1 bytes from the host").arg(bytes.size()));
    m_air.transmit(this, bytes);
}

void PortStation::readKiss()
{
    if (!m_kiss) return;
    for (const QByteArray& frame : m_kissFrames.feed(m_kiss->readAll()))
        m_air.transmitKiss(this, frame);
}

void PortStation::onLinked(const LinkInfo& link)
{
    reply(link.line());
}

void PortStation::onDisconnected()
{
    reply("DISCONNECTED");
}

void PortStation::onPtt(bool on)
{
    reply(on ? "PTT ON" : "PTT OFF");
}

void PortStation::onBuffer(qint64 queued)
{
    reply("BUFFER " + QByteArray::number(queued));
}

void PortStation::onData(QByteArrayView chunk)
{
    if (!m_data) {
        note(QStringLiteral("no data client: %1 bytes lost").arg(chunk.size()));
        return;
    }
    send(m_data, chunk);
    m_data->flush(); // one chunk, one segment, as far as TCP allows
}

void PortStation::onKiss(QByteArrayView frame)
{
    send(m_kiss, frame);
}

void PortStation::reply(const QByteArray& line)
{
    note(QStringLiteral("<- ") + QString::fromLatin1(line));
    send(m_command, line + '\r');
}

void PortStation::send(QTcpSocket* socket, QByteArrayView bytes)
{
    if (!socket) return;
    if (socket->bytesToWrite() + bytes.size() > kMaxUnread) {
        note(QStringLiteral("a client does not read: dropped"));
        socket->abort();
        return;
    }
    socket->write(bytes.data(), bytes.size());
}

void PortStation::note(const QString& what) const
{
    m_air.log(call() + u' ' + what);
}

} // namespace kolt::modemsim
