// kolt-modem-agw through the Direwolf pair: a 20,000-byte incompressible
// file from one chat host to the other, against what the pair carries for a
// plain AGW client sending the same bytes in PACLEN frames, in one run with
// the same TNC settings (Direwolf's defaults unless DW_PAIR_CONF says more).
// Takes a few minutes: 1200 baud carries about 150 bytes a second.

#include "AgwFrame.h"
#include "AgwModem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <functional>

using namespace kolt;

namespace {

constexpr int kBytes = 20000;
constexpr int kPaclen = 256;

bool until(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer limit(ms);
    while (!done()) {
        if (limit.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

quint16 freePort()
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}

// A plain AGW client: frames out, frames in.
struct Client {
    explicit Client(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray b = socket.readAll();
            for (auto& f : reader.feed(std::string_view(b.constData(), b.size())))
                frames.push_back(std::move(f));
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
    }
    void send(const agw::Frame& f)
    {
        const std::string b = agw::Encode(f);
        socket.write(b.data(), qint64(b.size()));
    }
    bool heard(char kind) const
    {
        for (const auto& f : frames)
            if (f.kind == kind) return true;
        return false;
    }
    qsizetype dataBytes() const
    {
        qsizetype n = 0;
        for (const auto& f : frames)
            if (f.kind == 'D') n += qsizetype(f.data.size());
        return n;
    }
    QTcpSocket socket;
    agw::Reader reader;
    std::vector<agw::Frame> frames;
};

double rawRun(quint16 agwA, quint16 agwB, const QByteArray& payload)
{
    Client a(agwA), b(agwB);
    a.send(agw::Register("N0CALL-3"));
    b.send(agw::Register("N0CALL-4"));
    until([] { return false; }, 1500);
    a.send(agw::Connect("N0CALL-3", "N0CALL-4", {}));
    if (!until([&] { return a.heard('C'); }, 60000)) return 0;
    QElapsedTimer t;
    t.start();
    for (qsizetype at = 0; at < payload.size(); at += kPaclen) {
        const QByteArray part = payload.mid(at, kPaclen);
        a.send(agw::Data("N0CALL-3", "N0CALL-4", std::string_view(part.constData(), part.size())));
    }
    if (!until([&] { return b.dataBytes() >= payload.size(); }, 900000)) return 0;
    const double seconds = t.elapsed() / 1000.0;
    a.send(agw::Disconnect("N0CALL-3", "N0CALL-4"));
    until([&] { return a.heard('d'); }, 30000);
    return seconds;
}

struct Host {
    explicit Host(quint16 port)
    {
        QObject::connect(&command, &QTcpSocket::readyRead,
                         [this] { lines += QString::fromLatin1(command.readAll()); });
        QObject::connect(&data, &QTcpSocket::readyRead, [this] { received += data.readAll(); });
        command.connectToHost(QHostAddress::LocalHost, port);
        data.connectToHost(QHostAddress::LocalHost, port + 1);
    }
    QTcpSocket command, data;
    QString lines;
    QByteArray received;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString script = QStringLiteral(KOLT_INTEROP_DIR "/direwolf-pair.sh");
    if (!QFileInfo(script).isExecutable() || QStandardPaths::findExecutable("direwolf").isEmpty()) {
        std::printf("bench_agw skipped: needs direwolf and %s\n", qPrintable(script));
        return 0;
    }
    QTemporaryDir dir;
    const quint16 agwA = freePort(), agwB = freePort();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DW_PAIR_LIMIT"), QStringLiteral("1200"));
    env.insert(QStringLiteral("DW_PAIR_DEBUG"), QString());
    QProcess start;
    start.setProcessEnvironment(env);
    start.start(script,
                {QStringLiteral("start"), dir.path(), QString::number(freePort()),
                 QString::number(freePort()), QString::number(agwA), QString::number(agwB)});
    start.waitForFinished(60000);
    if (start.exitCode() != 0) {
        std::fprintf(stderr, "pair did not start: %s\n", start.readAllStandardError().constData());
        return 1;
    }
    auto stop = [&] {
        QProcess p;
        p.start(script, {QStringLiteral("stop"), dir.path()});
        p.waitForFinished(20000);
    };

    QByteArray payload(kBytes, Qt::Uninitialized);
    QRandomGenerator g(2026);
    for (auto& c : payload)
        c = char(g.generate());

    const double raw = rawRun(agwA, agwB, payload);

    modem::AgwConfig c;
    c.commandPort = 0;
    c.kiss = false;
    c.agw.port = agwA;
    modem::AgwModem ma(c);
    c.agw.port = agwB;
    modem::AgwModem mb(c);
    QString error;
    if (!ma.listen(&error) || !mb.listen(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        stop();
        return 1;
    }
    Host a(ma.commandPort()), b(mb.commandPort());
    until([&] { return ma.tncUp() && mb.tncUp(); }, 5000);
    a.command.write("MYCALL N0CALL-1\r");
    b.command.write("MYCALL N0CALL-2\r");
    until([] { return false; }, 1500);
    a.command.write("CONNECT N0CALL-1 N0CALL-2\r");
    if (!until([&] { return a.lines.contains("CONNECTED"); }, 60000)) {
        std::fprintf(stderr, "no link\n");
        stop();
        return 1;
    }
    a.lines.clear();
    QElapsedTimer t;
    t.start();
    a.data.write(payload);
    until([&] { return b.received.size() >= payload.size(); }, 900000);
    const double delivered = t.elapsed() / 1000.0;
    until([&] { return a.lines.endsWith("BUFFER 0\r"); }, 60000);
    const double acknowledged = t.elapsed() / 1000.0;
    const bool same = b.received == payload;
    stop();

    std::printf("raw AGW, %d bytes in %d-byte frames: %.1f s, %.1f B/s\n", kBytes, kPaclen, raw,
                raw > 0 ? kBytes / raw : 0.0);
    std::printf("kolt-modem-agw: delivered %.1f s (%.1f B/s), BUFFER 0 after %.1f s (%.1f B/s), "
                "bytes %s\n",
                delivered, kBytes / delivered, acknowledged, kBytes / acknowledged,
                same ? "identical" : "DIFFERENT");
    if (raw > 0)
        std::printf("effective / raw: %.1f %%\n", 100.0 * (kBytes / acknowledged) / (kBytes / raw));
    return same ? 0 : 1;
}
