// Stations driven over loopback TCP, as a host program drives the modem;
// what the channel does with their bytes is AirTest's.

#include "Simulator.h"

#include "support/Esperar.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

#include <map>

using namespace kolt::modemsim;
using kolt::test::Esperar;

namespace {

// A host program's two clients of one station, with what arrived on each.
struct HostClient {
    explicit HostClient(quint16 commandPort)
    {
        QObject::connect(&command, &QTcpSocket::readyRead, [this] {
            pending += command.readAll();
            for (qsizetype cr; (cr = pending.indexOf('\r')) >= 0; pending.remove(0, cr + 1))
                lines.append(QString::fromLatin1(pending.left(cr)));
        });
        QObject::connect(&data, &QTcpSocket::readyRead, [this] { received += data.readAll(); });
        command.connectToHost(QStringLiteral("127.0.0.1"), commandPort);
        data.connectToHost(QStringLiteral("127.0.0.1"), commandPort + 1);
    }
    void send(const QByteArray& line) { command.write(line + '\r'); }
    bool waitFor(const QString& line)
    {
        return Esperar([&] { return lines.contains(line); });
    }

    QTcpSocket command, data;
    QStringList lines; // without CR
    QByteArray pending, received;
};

const QString A = QStringLiteral("N0CALL-1");
const QString B = QStringLiteral("N0CALL-3");

// Stations A and B on free ports, with hosts attached on demand.
class Station : public ::testing::Test {
protected:
    void SetUp() override
    {
        Options o;
        for (const QString& call : {A, B})
            o.stations.append({call, {0, false, 0}});
        o.air.airRate = 1000;
        o.air.setupMs = 0;
        m_sim = std::make_unique<Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    HostClient& host(const QString& call)
    {
        auto& h = m_hosts[call];
        if (!h) {
            PortStation* s = m_sim->station(call);
            h = std::make_unique<HostClient>(s->commandPort());
            EXPECT_TRUE(Esperar([&] { return s->onAir(); })) << "both clients accepted";
        }
        return *h;
    }

    void link()
    {
        host(B).lines.clear();
        host(A).send("CONNECT N0CALL-1 N0CALL-3");
        ASSERT_TRUE(host(B).waitFor(QStringLiteral("CONNECTED N0CALL-1 N0CALL-3")));
    }

    std::unique_ptr<Simulator> m_sim;
    std::map<QString, std::unique_ptr<HostClient>> m_hosts; // closed before the simulator goes
};

TEST_F(Station, AnswersEachCommandInOrderAndSurvivesGarbage)
{
    HostClient& h = host(A);
    h.send("MYCALL n0call-5");
    h.send("BW500");
    h.send("what is this");
    h.command.write(QByteArray(70000, 'A')); // no line end within 64 KiB
    h.command.write("still the same line\r");
    h.send("MYCALL N0CALL-3");  // another station's call
    h.command.write("ABORT\n"); // a raw client's line end; no link, still answered
    ASSERT_TRUE(h.waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(h.lines, (QStringList{"OK", "OK", "WRONG", "WRONG", "WRONG", "OK", "DISCONNECTED"}));
    EXPECT_NE(m_sim->station(QStringLiteral("N0CALL-5")), nullptr) << "MYCALL renames the station";
}

class VanishedClient : public Station, public ::testing::WithParamInterface<const char*> {};

TEST_P(VanishedClient, EndsTheLinkAndTheStationServesItsNextHost)
{
    link();
    host(A).data.write(QByteArray(4000, 'v')); // mid-transfer
    ASSERT_TRUE(Esperar([&] { return !host(B).received.isEmpty(); }));
    PortStation* a = m_sim->station(A);
    QTcpSocket next;
    const std::string way = GetParam();
    if (way == "CommandClosed") host(A).command.close();
    if (way == "DataClosed") host(A).data.close();
    if (way == "CommandReplaced") next.connectToHost(QStringLiteral("127.0.0.1"), a->commandPort());
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(m_sim->air().waiting(a), 0);

    next.close();
    m_hosts.erase(A);
    ASSERT_TRUE(Esperar([&] { return !a->onAir(); }));
    link(); // a fresh host on the same ports
}

INSTANTIATE_TEST_SUITE_P(Ways, VanishedClient,
                         ::testing::Values("CommandClosed", "DataClosed", "CommandReplaced"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
