#pragma once
// What a host program holds of one simulated station (three plain TCP
// clients, with what arrived on each kept for the test to look at), and a
// simulator running in the test's own event loop on free loopback ports,
// with such hosts attached to its stations on demand.

#include "Simulator.h"

#include "support/Esperar.h"

#include <QStringList>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace kolt::modemsim::testing {

using kolt::test::Dejar;
using kolt::test::Esperar;

inline constexpr int kWaitMs = 10000;

class HostClient {
public:
    // Connects the command and data ports and, when given, the KISS port.
    bool open(quint16 commandPort, quint16 dataPort, quint16 kissPort = 0)
    {
        QObject::connect(&command, &QTcpSocket::readyRead, [this] {
            m_pending += command.readAll();
            for (qsizetype cr; (cr = m_pending.indexOf('\r')) >= 0; m_pending.remove(0, cr + 1))
                lines.append(QString::fromLatin1(m_pending.left(cr)));
        });
        QObject::connect(&data, &QTcpSocket::readyRead, [this] { received += data.readAll(); });
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
        return Esperar([&] { return lines.indexOf(line, from) >= 0; }, kWaitMs);
    }
    bool waitForData(qsizetype bytes)
    {
        return Esperar([&] { return received.size() >= bytes; }, kWaitMs);
    }

    QTcpSocket command, data, kiss;
    QStringList lines; // command-port lines, without CR
    QByteArray received, kissReceived;

private:
    QByteArray m_pending;
};

inline const QString A = QStringLiteral("N0CALL-1");
inline const QString B = QStringLiteral("N0CALL-3");
inline const QString C = QStringLiteral("N0CALL-4");
inline const QString Robot2 = QStringLiteral("N0CALL-2");

class SimFixture : public ::testing::Test {
protected:
    // Stations A, B and C with KISS ports, robot N0CALL-2; no waiting
    // anywhere unless a test asks for it.
    static Options quickOptions()
    {
        Options o;
        for (const QString& call : {A, B, C})
            o.stations.append({call, {0, true, 0}});
        o.robots = {Robot2};
        o.robot.replyDelayMs = 0;
        o.air.airRate = 0;
        o.air.setupMs = 0;
        return o;
    }

    void start(const Options& options = quickOptions())
    {
        m_sim = std::make_unique<Simulator>(options);
        m_sim->air().setLogger([this](const QString& line) { m_log.append(line); });
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    // The host of a station, connected on first use.
    HostClient& host(const QString& call)
    {
        auto& h = m_hosts[call];
        if (!h) {
            PortStation* s = m_sim->station(call);
            EXPECT_NE(s, nullptr) << call.toStdString();
            h = std::make_unique<HostClient>();
            EXPECT_TRUE(h->open(s->commandPort(), s->dataPort(), s->kissPort()));
            // Both clients are accepted before the test goes on.
            EXPECT_TRUE(Esperar([&] { return s->onAir(); }, kWaitMs));
        }
        return *h;
    }

    // Links `caller` to `called` and waits until both hosts were told.
    void link(const QString& caller, const QString& called)
    {
        const QString line = QStringLiteral("CONNECTED ") + caller + u' ' + called;
        const bool calledIsStation = m_sim->station(called) != nullptr;
        if (calledIsStation) host(called); // a station is callable once its host is attached
        host(caller).send(("CONNECT " + caller + ' ' + called).toLatin1());
        ASSERT_TRUE(host(caller).waitFor(line));
        if (calledIsStation) {
            ASSERT_TRUE(host(called).waitFor(line));
        }
    }

    QStringList m_log; // the simulator's --verbose lines
    std::unique_ptr<Simulator> m_sim;
    std::map<QString, std::unique_ptr<HostClient>> m_hosts; // closed before the simulator goes
};

} // namespace kolt::modemsim::testing
