// Stations driven over loopback TCP, as a host program drives the modem.

#include "SimFixture.h"

#include <QRandomGenerator>

using namespace kolt::modemsim;
using namespace kolt::modemsim::testing;

namespace {

class Station : public SimFixture {};

TEST_F(Station, AnswersEachCommandInOrderAndSurvivesGarbage)
{
    start();
    HostClient& h = host(A);
    h.send("MYCALL n0call-5");
    h.send("CHAT ON");
    h.send("BW500");
    h.send("what is this");
    h.send("MYCALL N0CALL-99");
    h.command.write(QByteArray(70000, 'A')); // no line end within 64 KiB
    h.command.write("still the same line\r");
    h.command.write("\x01\x02\xff\r");
    h.send("MYCALL N0CALL-3");  // another station's call
    h.command.write("ABORT\n"); // a raw client's line end; no link, still answered
    ASSERT_TRUE(h.waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(h.lines, (QStringList{"OK", "OK", "OK", "WRONG", "WRONG", "WRONG", "WRONG", "WRONG",
                                    "OK", "DISCONNECTED"}));
    EXPECT_NE(m_sim->station(QStringLiteral("N0CALL-5")), nullptr) << "MYCALL renames the station";
}

class Linking : public SimFixture, public ::testing::WithParamInterface<QString> {};

TEST_P(Linking, BothSidesGetTheSameLineAndBytesFlowBothWays)
{
    Options o = quickOptions();
    o.air.setupMs = 30;
    start(o);
    HostClient& a = host(A);
    HostClient& b = host(B);
    a.send(("CONNECT N0CALL-1 N0CALL-3" + GetParam()).toLatin1());
    const QString line = QStringLiteral("CONNECTED N0CALL-1 N0CALL-3") + GetParam();
    ASSERT_TRUE(a.waitFor(line));
    ASSERT_TRUE(b.waitFor(line));
    EXPECT_EQ(a.lines, (QStringList{"OK", line})) << "OK at once, the link after the setup time";
    EXPECT_EQ(b.lines, QStringList{line});

    a.send("CONNECT N0CALL-1 N0CALL-4");
    ASSERT_TRUE(a.waitFor(QStringLiteral("WRONG"))) << "already linked";
    a.data.write("5 hello");
    b.data.write("2 hi");
    ASSERT_TRUE(b.waitForData(7));
    ASSERT_TRUE(a.waitForData(4));
    EXPECT_EQ(b.received, "5 hello");
    EXPECT_EQ(a.received, "2 hi");
}

INSTANTIATE_TEST_SUITE_P(Digipeaters, Linking,
                         ::testing::Values(QString(), QStringLiteral(" VIA N0CALL-7"),
                                           QStringLiteral(" VIA N0CALL-7 N0CALL-8")),
                         [](const auto& info) { return std::to_string(info.param.count(u' ')); });

TEST_F(Station, FailedOrAbortedCallsEndInDisconnected)
{
    Options o = quickOptions();
    o.air.setupMs = 30;
    start(o);
    HostClient& a = host(A);
    // Absent, itself, a station with no host, then that station busy.
    for (const auto& [target, busy] : {std::pair{"N0CALL-9", false},
                                       {"N0CALL-1", false},
                                       {"N0CALL-3", false},
                                       {"N0CALL-3", true}}) {
        if (busy) link(C, B);
        a.send(QByteArray("CONNECT N0CALL-1 ") + target);
        ASSERT_TRUE(a.waitFor(QStringLiteral("DISCONNECTED"), a.lines.size()));
    }
    EXPECT_EQ(a.lines, (QStringList{"OK", "DISCONNECTED", "OK", "DISCONNECTED", "OK",
                                    "DISCONNECTED", "OK", "DISCONNECTED"}));
    a.send("CONNECT N0CALL-1 N0CALL-2");
    a.send("ABORT"); // within the setup time
    Dejar(100);
    EXPECT_EQ(a.lines.mid(8), (QStringList{"OK", "OK", "DISCONNECTED"})) << "the call is off";
    EXPECT_EQ(host(B).lines, QStringList{"CONNECTED N0CALL-4 N0CALL-3"})
        << "the busy target knew nothing of the call";
}

TEST_F(Station, BufferCountsDownAtTheAirRateScaledByBandwidth)
{
    Options o = quickOptions();
    o.air.airRate = 46000;
    o.air.tickMs = 10;
    start(o);
    link(A, B);
    HostClient& a = host(A);
    for (const auto& [command, perTick] :
         {std::pair{"BW2300", 460}, {"BW500", 100}, {"BW2750", 550}}) {
        SCOPED_TRACE(command);
        a.lines.clear();
        a.send(command);
        a.data.write(QByteArray(1000, 'x'));
        ASSERT_TRUE(a.waitFor(QStringLiteral("PTT OFF")));
        ASSERT_GE(a.lines.size(), 5);
        EXPECT_EQ(a.lines.mid(0, 3), (QStringList{"OK", "PTT ON", "BUFFER 1000"}))
            << "keyed before the first report";
        EXPECT_EQ(a.lines.mid(a.lines.size() - 2), (QStringList{"BUFFER 0", "PTT OFF"}));
        for (qsizetype i = 3; i + 1 < a.lines.size(); ++i) {
            const qint64 before = a.lines[i - 1].mid(7).toLongLong();
            EXPECT_EQ(a.lines[i],
                      QStringLiteral("BUFFER %1").arg(before - std::min<qint64>(perTick, before)));
        }
    }
    EXPECT_EQ(host(B).received.size(), 3000);
}

TEST_F(Station, BytesArriveUnchangedInChunksUnderMaxChunk)
{
    Options o = quickOptions();
    o.air.maxChunk = 997;
    o.air.seed = 7;
    start(o);
    link(A, B);
    QByteArray toB(300000, '\0'), toA(120000, '\0');
    QRandomGenerator random(99);
    random.fillRange(reinterpret_cast<quint32*>(toB.data()), toB.size() / 4);
    random.fillRange(reinterpret_cast<quint32*>(toA.data()), toA.size() / 4);
    for (qsizetype at = 0; at < toB.size(); at += 65536)
        host(A).data.write(toB.mid(at, 65536));
    host(B).data.write(toA);
    ASSERT_TRUE(host(B).waitForData(toB.size()));
    ASSERT_TRUE(host(A).waitForData(toA.size()));
    EXPECT_TRUE(host(B).received == toB);
    EXPECT_TRUE(host(A).received == toA);
    EXPECT_GT(host(B).dataReads, 10) << "delivered in pieces, not in one block";
}

// Frames written in one go, and a frame cut across writes, reach every
// other station (one delivery per frame: see AirTest) and key the sender.
TEST_F(Station, KissFramesReachEveryOtherStationOnly)
{
    start();
    const QByteArray f1 = QByteArray::fromHex("c0008282a0a4404060c0");
    const QByteArray f2 = QByteArray::fromHex("c001dbdcdbdd0102c0");
    const QByteArray f3 = QByteArray::fromHex("c0000303f04869c0");
    HostClient& a = host(A);
    HostClient& b = host(B);
    a.kiss.write(f1 + f2);
    a.kiss.write(f3.left(4));
    Dejar(20);
    a.kiss.write(f3.mid(4));
    ASSERT_TRUE(Esperar([&] { return b.kissReceived.size() >= (f1 + f2 + f3).size(); }, kWaitMs));
    EXPECT_EQ(b.kissReceived, f1 + f2 + f3);
    ASSERT_TRUE(a.waitFor(QStringLiteral("PTT OFF")));
    EXPECT_EQ(a.lines.first(), "PTT ON");
    EXPECT_TRUE(a.kissReceived.isEmpty()) << "a station does not hear itself";
    EXPECT_TRUE(b.lines.isEmpty()) << "others are not keyed";
}

// ABORT mid-transfer, bytes written with no link, then a host writing more
// than the modem will queue: each ends or finds no link, and nothing leaks.
TEST_F(Station, AbortDropsWhatWaitsAndWhatFollowsAndAFloodAbortsTheLink)
{
    Options o = quickOptions();
    o.air.airRate = 1000;
    o.air.tickMs = 10; // 10 bytes a tick
    o.air.maxQueued = 10000;
    start(o);
    link(A, B);
    HostClient& a = host(A);
    a.lines.clear();
    a.data.write(QByteArray(5000, 'z'));
    ASSERT_TRUE(host(B).waitForData(1));
    a.send("ABORT");
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    ASSERT_TRUE(a.waitFor(QStringLiteral("PTT OFF")));
    const qsizetype got = host(B).received.size();
    EXPECT_LT(got, 5000);
    EXPECT_EQ(m_sim->air().waiting(m_sim->station(A)), 0);

    a.data.write("5 hello");
    Dejar(100);
    ASSERT_TRUE(Esperar([&] {
        return m_log.contains(QStringLiteral("N0CALL-1 has no link: 7 data bytes dropped"));
    }));
    EXPECT_EQ(a.lines.mid(a.lines.indexOf(QStringLiteral("OK"))),
              (QStringList{"OK", "DISCONNECTED", "BUFFER 0", "PTT OFF"}))
        << "BUFFER 0 only after DISCONNECTED: a discarded send must not look completed; "
           "no keying for bytes that go nowhere";
    EXPECT_EQ(host(B).received.size(), got) << "nothing more after the abort";

    link(A, B);
    const qsizetype fromA = a.lines.size(), fromB = host(B).lines.size();
    a.data.write(QByteArray(20000, 'q'));
    EXPECT_TRUE(a.waitFor(QStringLiteral("DISCONNECTED"), fromA));
    EXPECT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED"), fromB));
}

enum class Gone { CommandClosed, DataClosed, CommandReplaced };

class VanishedClient : public SimFixture, public ::testing::WithParamInterface<Gone> {};

TEST_P(VanishedClient, EndsTheLinkAndTheStationServesItsNextHost)
{
    Options o = quickOptions();
    o.air.airRate = 1000;
    start(o);
    link(A, B);
    host(A).data.write(QByteArray(4000, 'v')); // mid-transfer
    ASSERT_TRUE(host(B).waitForData(1));

    PortStation* a = m_sim->station(A);
    QTcpSocket next;
    switch (GetParam()) {
    case Gone::CommandClosed: host(A).command.close(); break;
    case Gone::DataClosed: host(A).data.close(); break;
    case Gone::CommandReplaced:
        next.connectToHost(QStringLiteral("127.0.0.1"), a->commandPort());
        ASSERT_TRUE(next.waitForConnected(kWaitMs));
        ASSERT_TRUE(Esperar(
            [&] { return host(A).command.state() == QAbstractSocket::UnconnectedState; }, kWaitMs))
            << "the replaced client is closed";
        break;
    }
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(m_sim->air().waiting(a), 0);
    EXPECT_FALSE(m_sim->air().busy(a));

    next.close();
    m_hosts.erase(A);
    ASSERT_TRUE(Esperar([&] { return !a->onAir(); }, kWaitMs));
    link(A, B); // a fresh host on the same ports
    host(A).data.write("2 ok");
    EXPECT_TRUE(Esperar([&] { return host(B).received.endsWith("2 ok"); }, kWaitMs));
}

INSTANTIATE_TEST_SUITE_P(Ways, VanishedClient,
                         ::testing::Values(Gone::CommandClosed, Gone::DataClosed,
                                           Gone::CommandReplaced));

} // namespace
