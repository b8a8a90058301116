#pragma once
// What a host program holds of one simulated station: three plain TCP
// clients, with what arrived on each kept for the test to look at.

#include <QByteArray>
#include <QEventLoop>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

namespace kolt::modemsim::testing {

inline constexpr int kWaitMs = 10000;

// Runs the event loop until `done` holds or `ms` have passed. The loop runs
// freely in between, so a zero-interval timer ticks as fast as it can.
template <typename Predicate> bool waitUntil(Predicate done, int ms = kWaitMs)
{
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// Lets the event loop run for `ms`.
inline void pause(int ms)
{
    waitUntil([] { return false; }, ms);
}

class HostClient {
public:
    // Connects the command and data ports and, when given, the KISS port.
    bool open(quint16 commandPort, quint16 dataPort, quint16 kissPort = 0)
    {
        QObject::connect(&command, &QTcpSocket::readyRead, [this] { readLines(); });
        QObject::connect(&data, &QTcpSocket::readyRead, [this] {
            const QByteArray chunk = data.readAll();
            received += chunk;
            ++dataReads;
        });
        QObject::connect(&kiss, &QTcpSocket::readyRead, [this] { kissReceived += kiss.readAll(); });
        command.connectToHost(QStringLiteral("127.0.0.1"), commandPort);
        data.connectToHost(QStringLiteral("127.0.0.1"), dataPort);
        if (kissPort != 0) kiss.connectToHost(QStringLiteral("127.0.0.1"), kissPort);
        return command.waitForConnected(kWaitMs) && data.waitForConnected(kWaitMs) &&
               (kissPort == 0 || kiss.waitForConnected(kWaitMs));
    }

    void send(const QByteArray& line) { command.write(line + '\r'); }

    // Waits until `line` has arrived (at any place after `from`).
    bool waitFor(const QString& line, qsizetype from = 0)
    {
        return waitUntil([&] { return lines.indexOf(line, from) >= 0; }, kWaitMs);
    }
    bool waitForData(qsizetype bytes)
    {
        return waitUntil([&] { return received.size() >= bytes; }, kWaitMs);
    }
    bool waitForKiss(qsizetype bytes)
    {
        return waitUntil([&] { return kissReceived.size() >= bytes; }, kWaitMs);
    }

    // The command-port lines that are not BUFFER or PTT reports.
    QStringList answers() const
    {
        QStringList out;
        for (const QString& l : lines)
            if (!l.startsWith(u"BUFFER ") && !l.startsWith(u"PTT ")) out.append(l);
        return out;
    }

    QTcpSocket command;
    QTcpSocket data;
    QTcpSocket kiss;
    QStringList lines; // command-port lines, without CR
    QByteArray received;
    int dataReads = 0;
    QByteArray kissReceived;

private:
    void readLines()
    {
        m_pending += command.readAll();
        qsizetype cr;
        while ((cr = m_pending.indexOf('\r')) >= 0) {
            lines.append(QString::fromLatin1(m_pending.left(cr)));
            m_pending.remove(0, cr + 1);
        }
    }

    QByteArray m_pending;
};

} // namespace kolt::modemsim::testing
