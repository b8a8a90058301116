// Stations driven over loopback TCP, as a host program drives the modem.

#include "SimFixture.h"

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

// Failed, aborted and busy calls end in DISCONNECTED; a call through
// digipeaters gives both sides the same line, and bytes flow both ways.
TEST_F(Station, CallsFailAreAbortedOrLink)
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
    EXPECT_EQ(host(B).lines, QStringList{"CONNECTED N0CALL-4 N0CALL-3"})
        << "the busy target knew nothing of the call";
    a.send("CONNECT N0CALL-1 N0CALL-2");
    a.send("ABORT"); // within the setup time
    ASSERT_TRUE(a.waitFor(QStringLiteral("DISCONNECTED"), 9));
    Dejar(100);
    EXPECT_EQ(a.lines.mid(8), (QStringList{"OK", "OK", "DISCONNECTED"})) << "the call is off";

    a.lines.clear();
    host(C).send("ABORT");
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    host(B).lines.clear();
    a.send("CONNECT N0CALL-1 N0CALL-3 VIA N0CALL-7 N0CALL-8");
    const QString line = QStringLiteral("CONNECTED N0CALL-1 N0CALL-3 VIA N0CALL-7 N0CALL-8");
    ASSERT_TRUE(a.waitFor(line));
    ASSERT_TRUE(host(B).waitFor(line));
    EXPECT_EQ(a.lines, (QStringList{"OK", line})) << "OK at once, the link after the setup time";
    a.send("CONNECT N0CALL-1 N0CALL-4");
    ASSERT_TRUE(a.waitFor(QStringLiteral("WRONG"))) << "already linked";
    a.data.write("5 hello");
    host(B).data.write("2 hi");
    ASSERT_TRUE(host(B).waitForData(7));
    ASSERT_TRUE(a.waitForData(4));
    EXPECT_EQ(host(B).received, "5 hello");
    EXPECT_EQ(a.received, "2 hi");
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

const char* const kGone[] = {"CommandClosed", "DataClosed", "CommandReplaced"};

void PrintTo(Gone gone, std::ostream* os)
{
    *os << kGone[int(gone)];
}

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
                                           Gone::CommandReplaced),
                         [](const auto& info) { return kGone[int(info.param)]; });

} // namespace
