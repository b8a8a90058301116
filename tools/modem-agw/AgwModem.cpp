#include "AgwModem.h"

#include "HostPorts.h"

#include <numeric>

namespace kolt::modem {

namespace {

std::string str(const QString& s)
{
    return s.toStdString();
}

QString qstr(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size())).toUpper();
}

} // namespace

AgwModem::AgwModem(AgwConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)), m_agw(this), m_tncKiss(this)
{
    m_clock.start();
    connect(&m_commandServer, &QTcpServer::newConnection, this, [this] { accept(Port::Command); });
    connect(&m_dataServer, &QTcpServer::newConnection, this, [this] { accept(Port::Data); });
    connect(&m_kissServer, &QTcpServer::newConnection, this, [this] { accept(Port::Kiss); });

    connect(&m_agw, &QTcpSocket::connected, this, &AgwModem::agwUp);
    connect(&m_agw, &QTcpSocket::readyRead, this, &AgwModem::readAgw);
    // Queued: a loss found inside a write must not change the state under it.
    connect(&m_agw, &QTcpSocket::disconnected, this, &AgwModem::agwLost, Qt::QueuedConnection);
    connect(&m_tncKiss, &QTcpSocket::readyRead, this, [this] {
        // One frame per chunk, as the chat reads them.
        for (const QByteArray& frame : m_kissFromTnc.feed(m_tncKiss.readAll())) {
            send(m_kiss, frame);
            if (m_kiss) m_kiss->flush();
        }
    });
    connect(&m_tncKiss, &QTcpSocket::connected, this, [this] {
        m_kissFromTnc.reset();
        note(QStringLiteral("TNC KISS port up"));
    });

    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &AgwModem::tryTnc);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &AgwModem::askOutstanding);
    m_pttOff.setSingleShot(true);
    connect(&m_pttOff, &QTimer::timeout, this, [this] {
        m_ptt = false;
        reply("PTT OFF");
    });
    m_closeLimit.setSingleShot(true);
    connect(&m_closeLimit, &QTimer::timeout, this, [this] {
        note(QStringLiteral("the TNC never reported the disconnect"));
        linkDown();
        reply("DISCONNECTED");
    });
    m_shutdownLimit.setSingleShot(true);
    connect(&m_shutdownLimit, &QTimer::timeout, this, [this] {
        if (auto done = std::exchange(m_shutdownDone, nullptr)) done();
    });
}

AgwModem::~AgwModem()
{
    m_agw.disconnect(this);
    m_tncKiss.disconnect(this);
}

bool AgwModem::listen(QString* error)
{
    const QHostAddress local(QHostAddress::LocalHost);
    if (!ListenPair(m_commandServer, m_dataServer, local, m_config.commandPort, error))
        return false;
    if (m_config.kiss && !m_kissServer.listen(local, m_config.kissPort)) {
        *error = QStringLiteral("KISS port %1: %2")
                     .arg(m_config.kissPort)
                     .arg(m_kissServer.errorString());
        m_commandServer.close();
        m_dataServer.close();
        return false;
    }
    tryTnc();
    m_retry.start();
    return true;
}

void AgwModem::shutdown(std::function<void()> done, int ms)
{
    if (m_link == Link::Idle || !tncUp()) {
        done();
        return;
    }
    m_shutdownDone = std::move(done);
    m_shutdownLimit.start(ms);
    endLink();
}

// ---- the host's side ----

void AgwModem::accept(Port port)
{
    QTcpServer& server = port == Port::Command ? m_commandServer
                         : port == Port::Data  ? m_dataServer
                                               : m_kissServer;
    QPointer<QTcpSocket>& slot = port == Port::Command ? m_command
                                 : port == Port::Data  ? m_data
                                                       : m_kiss;
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        if (QTcpSocket* old = slot) {
            // A new host knows nothing of the old one's link.
            slot = nullptr;
            old->disconnect(this);
            old->abort();
            old->deleteLater();
            if (port != Port::Kiss) endLink();
        }
        slot = socket;
        connect(
            socket, &QTcpSocket::disconnected, this,
            [this, port, socket] { hostGone(port, socket); }, Qt::QueuedConnection);
        switch (port) {
        case Port::Command:
            m_lines.reset();
            connect(socket, &QTcpSocket::readyRead, this, &AgwModem::readCommands);
            break;
        case Port::Data:
            socket->setReadBufferSize(kMaxPending);
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            connect(socket, &QTcpSocket::readyRead, this, &AgwModem::readHostData);
            break;
        case Port::Kiss:
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            m_kissFromHost.reset();
            connect(socket, &QTcpSocket::readyRead, this, &AgwModem::readHostKiss);
            break;
        }
    }
}

void AgwModem::hostGone(Port port, QTcpSocket* socket)
{
    QPointer<QTcpSocket>& slot = port == Port::Command ? m_command
                                 : port == Port::Data  ? m_data
                                                       : m_kiss;
    if (slot != socket) return;
    slot = nullptr;
    socket->deleteLater();
    if (port != Port::Kiss) endLink();
}

void AgwModem::readCommands()
{
    if (!m_command) return;
    for (const LineEvent& e : m_lines.feed(m_command->readAll())) {
        if (e.kind == LineEvent::Kind::Oversize) {
            reply("WRONG");
            continue;
        }
        note(QStringLiteral("-> ") + QString::fromLatin1(e.text));
        execute(ParseCommand(e.text));
    }
}

void AgwModem::execute(const ModemCommand& c)
{
    switch (c.kind) {
    case ModemCommand::Kind::Wrong: reply("WRONG"); return;
    case ModemCommand::Kind::MyCall:
        setCall(c.call);
        reply("OK");
        return;
    case ModemCommand::Kind::ChatOn:
    case ModemCommand::Kind::Bandwidth: reply("OK"); return;
    case ModemCommand::Kind::Connect:
        if (m_link != Link::Idle) {
            reply("WRONG");
            return;
        }
        reply("OK");
        if (!tncUp()) {
            note(QStringLiteral("no TNC"));
            reply("DISCONNECTED");
            return;
        }
        setCall(c.call);
        m_own = c.call;
        m_far = c.target;
        m_digis = c.digis;
        m_link = Link::Calling;
        {
            std::vector<std::string> digis;
            for (const QString& d : c.digis)
                digis.push_back(str(d));
            toTnc(agw::Connect(str(m_own), str(m_far), digis));
        }
        return;
    case ModemCommand::Kind::Abort:
        reply("OK");
        if (m_link == Link::Idle)
            reply("DISCONNECTED");
        else
            endLink();
        return;
    }
}

void AgwModem::readHostData()
{
    if (!m_data) return;
    const qint64 room = kMaxPending - m_pending.size();
    if (room <= 0) return; // read on when the air has taken some
    const QByteArray bytes = m_data->read(room);
    if (bytes.isEmpty()) return;
    if (m_link != Link::Up) {
        note(QStringLiteral("no link: %1 bytes from the host dropped").arg(bytes.size()));
        return;
    }
    m_pending += bytes;
    reportBuffer();
    feedTnc();
}

void AgwModem::readHostKiss()
{
    if (!m_kiss) return;
    for (const QByteArray& frame : m_kissFromHost.feed(m_kiss->readAll())) {
        if (m_tncKiss.state() != QAbstractSocket::ConnectedState) {
            note(QStringLiteral("no TNC KISS port: a frame dropped"));
            continue;
        }
        const std::string out = agw::ToStandardKiss(frame.toStdString());
        m_tncKiss.write(out.data(), qint64(out.size()));
    }
}

void AgwModem::reply(const QByteArray& line)
{
    note(QStringLiteral("<- ") + QString::fromLatin1(line));
    send(m_command, line + '\r');
}

void AgwModem::send(QTcpSocket* socket, QByteArrayView bytes)
{
    if (!socket) return;
    if (socket->bytesToWrite() + bytes.size() > kMaxUnread) {
        note(QStringLiteral("a host client does not read: dropped"));
        socket->abort();
        return;
    }
    socket->write(bytes.data(), bytes.size());
}

// ---- the TNC's side ----

void AgwModem::tryTnc()
{
    if (m_agw.state() == QAbstractSocket::UnconnectedState)
        m_agw.connectToHost(m_config.agw.host, m_config.agw.port);
    if (m_config.kiss && m_tncKiss.state() == QAbstractSocket::UnconnectedState)
        m_tncKiss.connectToHost(m_config.tncKiss.host, m_config.tncKiss.port);
}

void AgwModem::agwUp()
{
    note(QStringLiteral("TNC AGW port up"));
    m_reader.reset();
    m_registered.clear();
    toTnc(agw::StartMonitor());
    setCall(m_config.call);
}

void AgwModem::agwLost()
{
    if (m_agw.state() == QAbstractSocket::ConnectedState) return; // already back
    note(QStringLiteral("TNC AGW port lost"));
    m_registered.clear();
    if (m_link != Link::Idle) {
        linkDown();
        reply("DISCONNECTED");
    }
}

void AgwModem::toTnc(const agw::Frame& f)
{
    if (!tncUp()) return;
    const std::string bytes = agw::Encode(f);
    m_agw.write(bytes.data(), qint64(bytes.size()));
}

void AgwModem::setCall(const QString& call)
{
    m_config.call = call;
    if (!tncUp() || m_registered == call) return;
    if (!m_registered.isEmpty()) toTnc(agw::Unregister(str(m_registered)));
    toTnc(agw::Register(str(call)));
    m_registered = call;
}

void AgwModem::readAgw()
{
    const QByteArray bytes = m_agw.readAll();
    for (const agw::Frame& f : m_reader.feed(std::string_view(bytes.constData(), bytes.size())))
        handle(f);
    if (m_reader.failed()) {
        note(QStringLiteral("TNC sent a frame over %1 bytes: dropping it").arg(agw::kMaxData));
        if (m_link != Link::Idle) toTnc(agw::Disconnect(str(m_own), str(m_far)));
        m_agw.disconnectFromHost(); // what was written still goes out
        m_reader.reset();
        if (m_link != Link::Idle) {
            linkDown();
            reply("DISCONNECTED");
        }
    }
}

void AgwModem::handle(const agw::Frame& f)
{
    const QString from = qstr(f.callFrom);
    const QString to = qstr(f.callTo);
    switch (f.kind) {
    case 'C':
        if (m_link == Link::Calling && from == m_far && !agw::IsIncoming(f)) {
            m_link = Link::Up;
            QByteArray line = "CONNECTED " + m_own.toLatin1() + ' ' + m_far.toLatin1();
            if (!m_digis.isEmpty()) line += " VIA " + m_digis.join(u' ').toLatin1();
            reply(line);
        } else if (m_link == Link::Closing && from == m_far) {
            // Up just as it was ended here: the disconnect is on its way.
        } else if (m_link == Link::Idle && m_command && m_data) {
            m_own = to;
            m_far = from;
            m_digis.clear();
            m_link = Link::Up;
            reply("CONNECTED " + from.toLatin1() + ' ' + to.toLatin1());
        } else {
            note(QStringLiteral("%1 refused: busy or no host").arg(from));
            toTnc(agw::Disconnect(str(to), str(from)));
        }
        return;
    case 'd':
        if (m_link != Link::Idle && from == m_far) {
            linkDown();
            reply("DISCONNECTED");
            if (auto done = std::exchange(m_shutdownDone, nullptr)) done();
        }
        return;
    case 'D':
        if (m_link == Link::Up && from == m_far) send(m_data, QByteArrayView(f.data));
        return;
    case 'Y':
        if (m_link == Link::Up && from == m_own && to == m_far && !m_asked.empty()) {
            const quint64 sentThen = m_asked.front();
            m_asked.pop_front();
            if (const auto n = agw::Outstanding(f); n && *n <= sentThen)
                acknowledged(sentThen - *n);
        }
        return;
    case 'X':
        if (!agw::Registered(f)) note(QStringLiteral("TNC refused the call %1").arg(from));
        return;
    case 'T': transmitted(f); return;
    default: return;
    }
}

// ---- the link ----

void AgwModem::linkDown()
{
    m_link = Link::Idle;
    m_pending.clear();
    m_sent.clear();
    m_asked.clear();
    m_sentTotal = m_ackedTotal = 0;
    m_reported = 0;
    m_poll.stop();
    m_closeLimit.stop();
    if (m_data && m_data->bytesAvailable() > 0) m_data->readAll(); // for the link just ended
}

void AgwModem::endLink()
{
    if (m_link == Link::Idle || m_link == Link::Closing) return;
    m_link = Link::Closing;
    m_pending.clear();
    m_closeLimit.start(kCloseLimitMs);
    toTnc(agw::Disconnect(str(m_own), str(m_far)));
}

void AgwModem::feedTnc()
{
    bool gave = false;
    while (m_link == Link::Up && !m_pending.isEmpty() && m_sent.size() < kWindowFrames) {
        const QByteArray chunk = m_pending.left(m_config.paclen);
        m_pending.remove(0, chunk.size());
        toTnc(agw::Data(str(m_own), str(m_far), std::string_view(chunk.constData(), chunk.size())));
        m_sent.push_back(chunk.size());
        ++m_sentTotal;
        gave = true;
    }
    if (gave && !m_poll.isActive()) m_poll.start();
    // Room again for what the host has waiting.
    if (m_data && m_data->bytesAvailable() > 0 && m_pending.size() < kMaxPending)
        QTimer::singleShot(0, this, &AgwModem::readHostData);
}

void AgwModem::askOutstanding()
{
    if (m_link != Link::Up || m_sent.empty()) {
        m_poll.stop();
        return;
    }
    if (!m_asked.empty()) return; // one question at a time
    m_asked.push_back(m_sentTotal);
    toTnc(agw::AskOutstanding(str(m_own), str(m_far)));
}

void AgwModem::acknowledged(quint64 frames)
{
    while (m_ackedTotal < frames && !m_sent.empty()) {
        m_sent.pop_front();
        ++m_ackedTotal;
    }
    reportBuffer();
    feedTnc();
}

void AgwModem::reportBuffer()
{
    const qint64 n = m_pending.size() + std::accumulate(m_sent.begin(), m_sent.end(), qint64(0));
    if (n == m_reported) return;
    m_reported = n;
    reply("BUFFER " + QByteArray::number(n));
}

// The TNC reports each of its own frames as it sends it; the transmitter is
// taken to be on from the first one until the air time of all of them has
// passed.
void AgwModem::transmitted(const agw::Frame& f)
{
    const std::string head = f.data.substr(0, f.data.find('\r'));
    note(QStringLiteral("TNC sends") +
         QString::fromLatin1(head.data(), qsizetype(head.size())).replace(u'\0', u' '));
    // The report is a monitor line, then CR and the frame's information.
    const std::size_t cr = f.data.find('\r');
    const std::size_t info = cr == std::string::npos ? 0 : f.data.size() - cr - 1;
    const qint64 now = m_clock.elapsed();
    const auto air = qint64(double(info + kFrameOverhead) * kMsPerByte);
    if (!m_ptt) {
        m_ptt = true;
        m_pttEndMs = now + kPreambleMs;
        reply("PTT ON");
    }
    m_pttEndMs = std::max(m_pttEndMs, now) + air;
    m_pttOff.start(int(std::max<qint64>(0, m_pttEndMs + kTailMs - now)));
}

void AgwModem::note(const QString& what) const
{
    if (m_log) m_log(what);
}

} // namespace kolt::modem
