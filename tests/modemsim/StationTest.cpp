// Stations driven over loopback TCP, as a host program drives the modem.

#include "SimFixture.h"

#include <QRandomGenerator>

using namespace kolt::modemsim;
using namespace kolt::modemsim::testing;

namespace {

const QString A = QStringLiteral("N0CALL-1");
const QString B = QStringLiteral("N0CALL-3");
const QString C = QStringLiteral("N0CALL-4");

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
    h.command.write("ABORT\n"); // a raw client's line end
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
    const QString via = GetParam();
    a.send(("CONNECT N0CALL-1 N0CALL-3" + via).toLatin1());
    const QString line = QStringLiteral("CONNECTED N0CALL-1 N0CALL-3") + via;
    ASSERT_TRUE(a.waitFor(line));
    ASSERT_TRUE(b.waitFor(line));
    EXPECT_EQ(a.lines, (QStringList{"OK", line}))
        << "OK comes at once, the link after the setup time";
    EXPECT_EQ(b.lines, QStringList{line});

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

struct FailedCall {
    const char* name;
    const char* target;
    bool targetBusy;
    bool targetAttached;
};

class FailedCalls : public SimFixture, public ::testing::WithParamInterface<FailedCall> {};

TEST_P(FailedCalls, EndInDisconnectedAfterTheSetupTime)
{
    Options o = quickOptions();
    o.air.setupMs = 30;
    start(o);
    const FailedCall& c = GetParam();
    HostClient& a = host(A);
    if (c.targetAttached) host(B);
    if (c.targetBusy) link(C, B);
    a.send(QByteArray("CONNECT N0CALL-1 ") + c.target);
    ASSERT_TRUE(a.waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(a.lines, (QStringList{"OK", "DISCONNECTED"}));
    if (c.targetAttached) {
        pause(50);
        EXPECT_FALSE(host(B).answers().contains(QStringLiteral("DISCONNECTED")))
            << "the target knew nothing of it";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, FailedCalls,
                         ::testing::Values(FailedCall{"absent", "N0CALL-9", false, false},
                                           FailedCall{"itself", "N0CALL-1", false, false},
                                           FailedCall{"no_host", "N0CALL-3", false, false},
                                           FailedCall{"busy", "N0CALL-3", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Station, ConnectWhileLinkedIsWrongAndKeepsTheLink)
{
    start();
    link(A, B);
    host(A).send("CONNECT N0CALL-1 N0CALL-4");
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("WRONG")));
    host(A).data.write("3 abc");
    ASSERT_TRUE(host(B).waitForData(5));
    EXPECT_EQ(host(B).received, "3 abc");
}

// BUFFER reports for one write of `bytes` at the given bandwidth.
QList<qint64> bufferReports(HostClient& h, const QByteArray& bandwidth, qsizetype bytes)
{
    h.lines.clear();
    h.send(bandwidth);
    h.data.write(QByteArray(bytes, 'x'));
    EXPECT_TRUE(h.waitFor(QStringLiteral("PTT OFF")));
    EXPECT_EQ(h.lines.value(0), "OK");
    EXPECT_EQ(h.lines.value(1), "PTT ON") << "keyed before the first report";
    EXPECT_EQ(h.lines.last(), "PTT OFF");
    QList<qint64> reports;
    for (const QString& l : h.lines.mid(2, h.lines.size() - 3)) {
        EXPECT_TRUE(l.startsWith(u"BUFFER ")) << l.toStdString();
        reports.append(l.mid(7).toLongLong());
    }
    return reports;
}

TEST_F(Station, BufferCountsDownAtTheAirRateScaledByBandwidth)
{
    Options o = quickOptions();
    o.air.airRate = 46000;
    o.air.tickMs = 10;
    start(o);
    link(A, B);
    for (const auto& [command, perTick] :
         {std::pair{"BW2300", 460}, {"BW500", 100}, {"BW2750", 550}}) {
        SCOPED_TRACE(command);
        const QList<qint64> r = bufferReports(host(A), command, 1000);
        ASSERT_GE(r.size(), 2);
        EXPECT_EQ(r.first(), 1000);
        EXPECT_EQ(r.last(), 0);
        for (qsizetype i = 1; i < r.size(); ++i)
            EXPECT_EQ(r[i - 1] - r[i], std::min<qint64>(perTick, r[i - 1])) << "step " << i;
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

TEST_F(Station, BytesWithoutALinkAreDroppedSilently)
{
    start();
    HostClient& a = host(A);
    host(B);
    a.data.write("5 hello");
    ASSERT_TRUE(waitUntil([&] {
        return m_log.contains(QStringLiteral("N0CALL-1 has no link: 7 data bytes dropped"));
    }));
    a.send("CHAT ON");
    ASSERT_TRUE(a.waitFor(QStringLiteral("OK")));
    EXPECT_EQ(a.lines, QStringList{"OK"}) << "no keying for bytes that go nowhere";
    link(A, B);
    a.data.write("2 hi");
    ASSERT_TRUE(host(B).waitForData(4));
    EXPECT_EQ(host(B).received, "2 hi") << "nothing of before the link";
}

TEST_F(Station, KissFramesReachEveryOtherStationOnly)
{
    start();
    const QByteArray f1 = QByteArray::fromHex("c0008282a0a4404060") + QByteArray::fromHex("c0");
    const QByteArray f2 = QByteArray::fromHex("c001dbdcdbdd0102c0");
    const QByteArray f3 = QByteArray::fromHex("c0000303f04869c0");
    HostClient& a = host(A);
    host(B);
    host(C);
    a.kiss.write(f1 + f2);
    a.kiss.write(f3.left(4));
    pause(20);
    a.kiss.write(f3.mid(4));
    const QByteArray all = f1 + f2 + f3;
    ASSERT_TRUE(host(B).waitForKiss(all.size()));
    ASSERT_TRUE(host(C).waitForKiss(all.size()));
    EXPECT_EQ(host(B).kissReceived, all);
    EXPECT_EQ(host(C).kissReceived, all);
    ASSERT_TRUE(a.waitFor(QStringLiteral("PTT OFF")));
    EXPECT_EQ(a.lines.first(), "PTT ON");
    EXPECT_TRUE(a.kissReceived.isEmpty()) << "a station does not hear itself";
    EXPECT_TRUE(host(B).lines.isEmpty()) << "others are not keyed";
}

TEST_F(Station, AbortTellsBothSidesAndDiscardsWhatWaits)
{
    Options o = quickOptions();
    o.air.airRate = 1000;
    o.air.tickMs = 10; // 10 bytes a tick
    start(o);
    link(A, B);
    HostClient& a = host(A);
    a.lines.clear();
    a.data.write(QByteArray(5000, 'z'));
    ASSERT_TRUE(host(B).waitForData(1));
    a.send("ABORT");
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    ASSERT_TRUE(a.waitFor(QStringLiteral("PTT OFF")));
    const qsizetype abortAt = a.lines.indexOf(QStringLiteral("OK"));
    EXPECT_EQ(a.lines.mid(abortAt), (QStringList{"OK", "DISCONNECTED", "BUFFER 0", "PTT OFF"}))
        << "BUFFER 0 only after DISCONNECTED: a discarded send must not look completed";
    const qsizetype got = host(B).received.size();
    pause(100);
    EXPECT_EQ(host(B).received.size(), got) << "nothing more after the abort";
    EXPECT_LT(got, 5000);
    EXPECT_EQ(m_sim->air().waiting(m_sim->station(A)), 0);
}

TEST_F(Station, AbortWithoutALinkStillAnswersDisconnected)
{
    start();
    host(A).send("ABORT");
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(host(A).lines, (QStringList{"OK", "DISCONNECTED"}));
}

TEST_F(Station, AbortDuringSetupCancelsTheCall)
{
    Options o = quickOptions();
    o.air.setupMs = 100;
    start(o);
    host(B);
    host(A).send("CONNECT N0CALL-1 N0CALL-3");
    host(A).send("ABORT");
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("DISCONNECTED")));
    pause(200);
    EXPECT_EQ(host(A).lines, (QStringList{"OK", "OK", "DISCONNECTED"}));
    EXPECT_TRUE(host(B).lines.isEmpty());
}

TEST_F(Station, WritingBeyondTheQueueLimitAbortsTheLink)
{
    Options o = quickOptions();
    o.air.airRate = 100;
    o.air.maxQueued = 10000;
    start(o);
    link(A, B);
    host(A).data.write(QByteArray(20000, 'q'));
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("DISCONNECTED")));
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
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
    HostClient next;
    switch (GetParam()) {
    case Gone::CommandClosed: host(A).command.close(); break;
    case Gone::DataClosed: host(A).data.close(); break;
    case Gone::CommandReplaced:
        next.command.connectToHost(QStringLiteral("127.0.0.1"), a->commandPort());
        ASSERT_TRUE(next.command.waitForConnected(kWaitMs));
        ASSERT_TRUE(waitUntil(
            [&] { return host(A).command.state() == QAbstractSocket::UnconnectedState; }, kWaitMs))
            << "the replaced client is closed";
        break;
    }
    ASSERT_TRUE(host(B).waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(m_sim->air().waiting(a), 0);
    EXPECT_FALSE(m_sim->air().busy(a));

    m_hosts.erase(A);
    ASSERT_TRUE(waitUntil([&] { return !a->onAir(); }, kWaitMs));
    link(A, B); // a fresh host on the same ports
    host(A).data.write("2 ok");
    EXPECT_TRUE(waitUntil([&] { return host(B).received.endsWith("2 ok"); }, kWaitMs));
}

INSTANTIATE_TEST_SUITE_P(Ways, VanishedClient,
                         ::testing::Values(Gone::CommandClosed, Gone::DataClosed,
                                           Gone::CommandReplaced));

} // namespace
