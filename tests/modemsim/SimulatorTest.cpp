// The simulator: its channel and scripted remote operator watched from
// stations that record each report as it comes (no TCP to merge or split
// them), then the stations' TCP ports as a host drives them. The program
// started by the chat is tests/config/DialogoSetupTest's.

#include "Simulator.h"
#include "Air.h"
#include "DataFrames.h"
#include "Robot.h"
#include "broadcast/Mensajes.h"
#include "support/Esperar.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace kolt::modemsim;
using kolt::test::Esperar;

namespace {

// A station that keeps what the channel tells it, in the words a host hears
// from the modem, and each piece of data as it came.
class Recorder : public Node {
public:
    Recorder(Air& air, const char* call, bool present = true)
        : Node(QString::fromLatin1(call)), m_air(air), m_present(present)
    {
        m_air.join(this);
    }
    ~Recorder() override { m_air.leave(this); }

    bool onAir() const override { return m_present; }
    void onLinked(const LinkInfo& link) override
    {
        linked = true;
        events.append(QString::fromLatin1(link.line()));
    }
    void onDisconnected() override
    {
        linked = false;
        events.append(QStringLiteral("DISCONNECTED"));
    }
    void onPtt(bool on) override { events.append(on ? "PTT ON" : "PTT OFF"); }
    void onBuffer(qint64 n) override { events.append(QStringLiteral("BUFFER %1").arg(n)); }
    void onData(QByteArrayView chunk) override { pieces.append(chunk.toByteArray()); }
    void onKiss(QByteArrayView frame) override { kiss.append(frame.toByteArray()); }

    bool linked = false;
    QStringList events;
    QByteArrayList pieces, kiss;

private:
    Air& m_air;
    bool m_present;
};

AirConfig quick(int airRate = 0)
{
    AirConfig c;
    c.airRate = airRate;
    c.setupMs = 0;
    c.tickMs = 10;
    return c;
}

void link(Air& air, Recorder& a, Recorder& b)
{
    ASSERT_TRUE(air.placeCall(&a, {a.call(), b.call(), {}}));
    ASSERT_TRUE(Esperar([&] { return b.linked; }));
}

// Failed and busy calls end in DISCONNECTED for the caller alone, and a
// call aborted within the setup time is off.
TEST(Air, CallsFailOrAreAborted)
{
    AirConfig config = quick();
    config.setupMs = 30;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3"), c(air, "N0CALL-4"), d(air, "N0CALL-2"),
        hostless(air, "N0CALL-5", false);
    link(air, c, b);
    // Absent, itself, a station with no host, a busy station.
    for (const char* target : {"N0CALL-9", "N0CALL-1", "N0CALL-5", "N0CALL-3"}) {
        ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", target, {}}));
        EXPECT_TRUE(Esperar([&] { return a.events == QStringList{"DISCONNECTED"}; })) << target;
        a.events.clear();
    }
    EXPECT_EQ(b.events, QStringList{"CONNECTED N0CALL-4 N0CALL-3"}) << "the busy one knew nothing";
    EXPECT_FALSE(air.placeCall(&c, {"N0CALL-4", "N0CALL-1", {}})) << "already linked";

    // The next call's timer runs out after the aborted one's would have.
    ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-2", {}}));
    air.abort(&a);
    ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-9", {}}));
    ASSERT_TRUE(Esperar([&] { return a.events.size() == 2; }));
    EXPECT_EQ(a.events, (QStringList{"DISCONNECTED", "DISCONNECTED"}));
}

// The countdown per bandwidth; at BW500 a tick earns 40 bytes, under the least
// slice (regression: a host may expect a frame's header whole), so two ticks
// go as one. Then an ABORT drops what waits, and so does a flood.
TEST(Air, BufferCountsDownByBandwidthAbortDropsWhatWaitsAndAFloodAbortsTheLink)
{
    AirConfig config = quick(18400);
    config.maxQueued = 10000;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    link(air, a, b);
    const auto unkeyed = [&] { return a.events.endsWith(QStringLiteral("PTT OFF")); };
    for (const auto& [hz, perTick] : {std::pair{2300, 184}, {500, 80}, {2750, 220}}) {
        a.events.clear();
        air.setBandwidth(&a, hz);
        air.transmit(&a, QByteArray(1000, 'x'));
        ASSERT_TRUE(Esperar(unkeyed));
        QStringList expected{"PTT ON"};
        for (int left = 1000; left > 0; left -= std::min(perTick, left))
            expected << QStringLiteral("BUFFER %1").arg(left);
        EXPECT_EQ(a.events, (expected + QStringList{"BUFFER 0", "PTT OFF"})) << hz;
    }

    air.setBandwidth(&a, 500);
    air.transmit(&a, QByteArray(5000, 'z'));
    ASSERT_TRUE(Esperar([&] { return b.pieces.join().size() > 3000; }));
    a.events.clear();
    air.abort(&a);
    air.transmit(&a, "5 hello");
    ASSERT_TRUE(Esperar(unkeyed));
    EXPECT_EQ(a.events, (QStringList{"DISCONNECTED", "BUFFER 0", "PTT OFF"}))
        << "BUFFER 0 only after DISCONNECTED: a discarded send must not look completed; "
           "no keying for bytes that go nowhere";
    const qsizetype got = b.pieces.join().size();
    link(air, a, b);
    air.transmit(&a, QByteArray(20000, 'q'));
    EXPECT_FALSE(a.linked || b.linked);
    EXPECT_EQ(b.pieces.join().size(), got);
}

// Frames beyond the KISS queue limit are dropped, as a busy channel drops them.
TEST(Air, EachKissFrameIsOneDeliveryToEveryOtherStationUpToTheQueueLimit)
{
    AirConfig config = quick();
    config.maxKissQueued = 120;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    const QByteArray f1 = QByteArray::fromHex("c000414243c0");
    const QByteArray big = '\xC0' + QByteArray(48, 'k') + '\xC0';
    for (const QByteArray& frame : {f1, big, big, big}) // the last one past 120 bytes
        air.transmitKiss(&a, frame);
    ASSERT_TRUE(Esperar([&] { return a.events.size() == 2; }));
    EXPECT_EQ(b.kiss, (QByteArrayList{f1, big, big}));
    EXPECT_TRUE(a.kiss.isEmpty());
    EXPECT_EQ(a.events, (QStringList{"PTT ON", "PTT OFF"})) << "keyed once for all frames";
}

// Echoed files (and a chat line seen on the chat's screen) are tested end to
// end in tests/transfer/ExtremoTest.cpp.
TEST(Robot, GreetsQuotesALineCutToItsLimitTellsTheSizeOfAFileAndAnswersACq)
{
    Air air(quick());
    Robot robot(air, QStringLiteral("N0CALL-2"), {false, 0});
    Recorder a(air, "N0CALL-1");
    FrameReader reader;
    // The robot's next chat line, once it has come.
    const auto next = [&] {
        QList<DataFrame> got;
        EXPECT_TRUE(Esperar(
            [&] { return !(got = reader.feed(std::exchange(a.pieces, {}).join())).isEmpty(); }));
        return got.value(0).payload;
    };
    ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-2", {}}));
    EXPECT_EQ(next(), "Hello, this is N0CALL-2, a simulated station of kolt-modem-sim: no radio "
                      "and no operator here. I quote every line you send and tell the size of "
                      "every file.");
    air.transmit(&a, BuildFrame(Marker::Chat, QByteArray(30000, 'w')));
    EXPECT_EQ(next(), "You wrote: \"" + QByteArray(Robot::kMaxQuote, 'w') + "...\"");
    air.transmit(&a, BuildFrame(Marker::PlainFile, QByteArray(5000, '\xC0')));
    EXPECT_EQ(next(), "File frame received: 5005 bytes (5000 bytes of uncompressed payload).");
    air.transmit(&a, BuildFrame(Marker::Chat, "next"));
    EXPECT_EQ(next(), "You wrote: \"next\"") << "and nothing else was sent for the file";

    namespace bc = kolt::broadcast;
    bc::DatosEmisor self;
    self.modo = kolt::config::Variante::HF;
    self.miIndicativo = "N0CALL-1";
    const std::vector<std::uint8_t> cq = bc::TramaCQ(self).kiss();
    air.transmitKiss(&a,
                     QByteArray(reinterpret_cast<const char*>(cq.data()), qsizetype(cq.size())));
    ASSERT_TRUE(Esperar([&] { return !a.kiss.isEmpty(); }));
    EXPECT_TRUE(a.kiss[0].contains(
        "Hello N0CALL-1, this is N0CALL-2, a simulated station. Call me for a chat."));
}

// A host program's two clients of one station.
struct HostClient {
    explicit HostClient(quint16 commandPort)
    {
        command.connectToHost(QStringLiteral("127.0.0.1"), commandPort);
        data.connectToHost(QStringLiteral("127.0.0.1"), commandPort + 1);
    }
    // Waits until `line` has come on the command port; `lines` holds all so far.
    bool waitFor(const QString& line)
    {
        return Esperar([&] {
            heard += command.readAll();
            lines = QString::fromLatin1(heard).split(u'\r', Qt::SkipEmptyParts);
            return lines.contains(line);
        });
    }

    QTcpSocket command, data;
    QByteArray heard;
    QStringList lines;
};

class Station : public ::testing::Test {
protected:
    void SetUp() override
    {
        Options o;
        o.stations = {{"N0CALL-1", {0, false, 0}}, {"N0CALL-3", {0, false, 0}}};
        o.air.airRate = 1000;
        o.air.setupMs = 0;
        m_sim = std::make_unique<Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    // A host of station `call`, once both its clients are accepted.
    std::unique_ptr<HostClient> attach(const char* call)
    {
        PortStation* s = m_sim->station(QString::fromLatin1(call));
        auto h = std::make_unique<HostClient>(s->commandPort());
        EXPECT_TRUE(Esperar([&] { return s->onAir(); }));
        return h;
    }

    std::unique_ptr<Simulator> m_sim;
};

TEST_F(Station, AnswersEachCommandInOrderAndSurvivesGarbage)
{
    const auto h = attach("N0CALL-1");
    h->command.write("MYCALL n0call-5\rBW500\rwhat is this\r");
    h->command.write(QByteArray(70000, 'A')); // no line end within 64 KiB
    h->command.write("still the same line\r");
    h->command.write("MYCALL N0CALL-3\r"); // another station's call
    h->command.write("ABORT\n");           // a raw client's line end; no link, still answered
    ASSERT_TRUE(h->waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(h->lines, (QStringList{"OK", "OK", "WRONG", "WRONG", "WRONG", "OK", "DISCONNECTED"}));
    EXPECT_NE(m_sim->station(QStringLiteral("N0CALL-5")), nullptr) << "MYCALL renames the station";
}

class VanishedClient : public Station, public ::testing::WithParamInterface<const char*> {};

TEST_P(VanishedClient, EndsTheLinkAndDropsWhatWaits)
{
    const auto a = attach("N0CALL-1");
    const auto b = attach("N0CALL-3");
    a->command.write("CONNECT N0CALL-1 N0CALL-3\r");
    ASSERT_TRUE(a->waitFor(QStringLiteral("CONNECTED N0CALL-1 N0CALL-3")));
    a->data.write(QByteArray(4000, 'v')); // mid-transfer
    ASSERT_TRUE(Esperar([&] { return b->data.bytesAvailable() > 0; }));
    PortStation* station = m_sim->station(QStringLiteral("N0CALL-1"));
    QTcpSocket next;
    const std::string way = GetParam();
    if (way == "CommandClosed") a->command.close();
    if (way == "DataClosed") a->data.close();
    if (way == "CommandReplaced")
        next.connectToHost(QStringLiteral("127.0.0.1"), station->commandPort());
    ASSERT_TRUE(b->waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(m_sim->air().waiting(station), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, VanishedClient,
                         ::testing::Values("CommandClosed", "DataClosed", "CommandReplaced"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
