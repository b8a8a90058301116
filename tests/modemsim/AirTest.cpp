// The channel and the scripted remote operator, watched from stations that
// record each delivery as it comes: what TCP would merge or split is seen
// here exactly.

#include "Air.h"
#include "DataFrames.h"
#include "Robot.h"
#include "broadcast/Mensajes.h"
#include "support/Esperar.h"

#include <gtest/gtest.h>

using namespace kolt::modemsim;
using kolt::test::Esperar;

namespace {

// A station that keeps what the channel tells it, in the words a host
// hears from the modem.
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
    void onBuffer(qint64 queued) override
    {
        events.append(QStringLiteral("BUFFER %1").arg(queued));
    }
    void onData(QByteArrayView chunk) override
    {
        chunks.append(chunk.size());
        data += chunk.toByteArray();
    }
    void onKiss(QByteArrayView frame) override { kiss.append(frame.toByteArray()); }

    bool linked = false;
    QStringList events;
    QList<qsizetype> chunks;
    QByteArray data;
    QList<QByteArray> kiss;

private:
    Air& m_air;
    bool m_present;
};

AirConfig quick(int airRate = 0, int maxChunk = 0, quint32 seed = 1)
{
    AirConfig c;
    c.airRate = airRate;
    c.setupMs = 0;
    c.maxChunk = maxChunk;
    c.seed = seed;
    c.tickMs = 10;
    return c;
}

RobotConfig quickRobot()
{
    RobotConfig c;
    c.replyDelayMs = 0;
    return c;
}

// Links `a` to `b` and waits until it is up.
void link(Air& air, Recorder& a, Recorder& b)
{
    ASSERT_TRUE(air.placeCall(&a, {a.call(), b.call(), {}}));
    ASSERT_TRUE(Esperar([&] { return b.linked; }));
}

// The sizes of the pieces in which `writes` reach the other end of a link.
QList<qsizetype> chunks(const AirConfig& config, const QList<QByteArray>& writes)
{
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    link(air, a, b);
    QByteArray all;
    for (const QByteArray& w : writes) {
        air.transmit(&a, w);
        all += w;
        EXPECT_TRUE(Esperar([&] { return b.data.size() == all.size(); }));
    }
    EXPECT_EQ(b.data, all);
    return b.chunks;
}

TEST(Air, MaxChunkCutsAtRandomSizesThatFollowTheSeed)
{
    const QList<QByteArray> bytes{QByteArray(20000, 'c')};
    const QList<qsizetype> first = chunks(quick(0, 100, 5), bytes);
    EXPECT_GT(first.size(), 200);
    for (qsizetype n : first)
        EXPECT_TRUE(n >= 1 && n <= 100) << n;
    EXPECT_EQ(chunks(quick(0, 100, 5), bytes), first) << "the same seed cuts the same way";
    EXPECT_NE(chunks(quick(0, 100, 6), bytes), first);
}

// Regression: at a slow rate a tick earns a few bytes, and slices that small
// cut a frame's header, which a host may expect whole in the first chunk.
TEST(Air, ASlowAirStillSendsPacketsNotSingleBytes)
{
    const QList<qsizetype> got = chunks(quick(500), {"5 hello", QByteArray(150, 'p')});
    ASSERT_GE(got.size(), 3);
    EXPECT_EQ(got.first(), 7) << "a small frame goes whole";
    for (qsizetype i = 1; i + 1 < got.size(); ++i)
        EXPECT_GE(got[i], Air::kMinSlice) << "chunk " << i;
}

// Frames beyond the KISS queue limit are dropped, as a busy channel drops them.
TEST(Air, EachKissFrameIsOneDeliveryToEveryOtherStationUpToTheQueueLimit)
{
    AirConfig config = quick();
    config.maxKissQueued = 120;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3"), c(air, "N0CALL-4");
    const QByteArray f1 = QByteArray::fromHex("c000414243c0");
    const QByteArray big = '\xC0' + QByteArray(48, 'k') + '\xC0';
    for (const QByteArray& frame : {f1, big, big, big}) // the last one past 120 bytes
        air.transmitKiss(&a, frame);
    ASSERT_TRUE(Esperar([&] { return a.events.size() == 2; }));
    EXPECT_EQ(b.kiss, (QList<QByteArray>{f1, big, big}));
    EXPECT_EQ(c.kiss, b.kiss);
    EXPECT_TRUE(a.kiss.isEmpty());
    EXPECT_EQ(a.events, (QStringList{"PTT ON", "PTT OFF"})) << "keyed once for all frames";
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
        ASSERT_TRUE(Esperar([&] { return !a.events.isEmpty(); }));
        EXPECT_EQ(a.events, QStringList{"DISCONNECTED"}) << target;
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
    EXPECT_TRUE(d.events.isEmpty());
}

TEST(Air, BufferCountsDownAtTheAirRateScaledByBandwidth)
{
    Air air(quick(46000));
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    link(air, a, b);
    for (const auto& [hz, perTick] : {std::pair{2300, 460}, {500, 100}, {2750, 550}}) {
        SCOPED_TRACE(hz);
        a.events.clear();
        air.setBandwidth(&a, hz);
        air.transmit(&a, QByteArray(1000, 'x'));
        ASSERT_TRUE(Esperar([&] { return a.events.endsWith(QStringLiteral("PTT OFF")); }));
        QStringList expected{"PTT ON"};
        for (int left = 1000; left > 0; left -= std::min(perTick, left))
            expected << QStringLiteral("BUFFER %1").arg(left);
        EXPECT_EQ(a.events, (expected + QStringList{"BUFFER 0", "PTT OFF"}));
    }
    EXPECT_EQ(b.data.size(), 3000);
}

// ABORT mid-transfer drops what waits, later bytes find no link, and a host
// queueing more than the limit aborts the link.
TEST(Air, AbortDropsWhatWaitsAndAFloodAbortsTheLink)
{
    AirConfig config = quick(1000);
    config.maxQueued = 10000;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    link(air, a, b);
    air.transmit(&a, QByteArray(5000, 'z'));
    ASSERT_TRUE(Esperar([&] { return !b.data.isEmpty(); }));
    a.events.clear();
    air.abort(&a);
    air.transmit(&a, "5 hello");
    ASSERT_TRUE(Esperar([&] { return a.events.endsWith(QStringLiteral("PTT OFF")); }));
    EXPECT_EQ(a.events, (QStringList{"DISCONNECTED", "BUFFER 0", "PTT OFF"}))
        << "BUFFER 0 only after DISCONNECTED: a discarded send must not look completed; "
           "no keying for bytes that go nowhere";
    EXPECT_FALSE(b.linked);
    const qsizetype got = b.data.size();
    EXPECT_LT(got, 5000);

    link(air, a, b);
    air.transmit(&a, QByteArray(20000, 'q'));
    EXPECT_FALSE(a.linked || b.linked);
    EXPECT_EQ(b.data.size(), got);
}

// Echoed files (and a chat line seen on the chat's screen) are tested end to
// end in tests/transfer/ExtremoTest.cpp.
TEST(Robot, GreetsQuotesEachLineCutToItsLimitAndTellsTheSizeOfAFile)
{
    Air air(quick());
    Robot robot(air, QStringLiteral("N0CALL-2"), quickRobot());
    Recorder a(air, "N0CALL-1");
    FrameReader reader;
    const auto call = [&] { ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-2", {}})); };
    // The robot's next chat line, once it has come.
    const auto next = [&] {
        QList<DataFrame> got;
        EXPECT_TRUE(Esperar([&] {
            got += reader.feed(a.data);
            a.data.clear();
            return !got.isEmpty();
        }));
        EXPECT_EQ(got.size(), 1);
        return got.isEmpty() ? QByteArray() : got[0].payload;
    };
    call();
    EXPECT_EQ(next(), "Hello, this is N0CALL-2, a simulated station of kolt-modem-sim: no radio "
                      "and no operator here. I quote every line you send and tell the size of "
                      "every file.");
    air.transmit(&a, BuildFrame(Marker::Chat, QByteArray(30000, 'w')));
    EXPECT_EQ(next(), "You wrote: \"" + QByteArray(Robot::kMaxQuote, 'w') + "...\"");
    air.transmit(&a, BuildFrame(Marker::PlainFile, QByteArray(5000, '\xC0')));
    EXPECT_EQ(next(), "File frame received: 5005 bytes (5000 bytes of uncompressed payload).");
    air.transmit(&a, BuildFrame(Marker::Chat, "next"));
    EXPECT_EQ(next(), "You wrote: \"next\"") << "and nothing else was sent for the file";

    // Regression: after a framing error the robot ignores the stream until
    // its abort lands, then takes the next call afresh.
    air.transmit(&a, "hello with no header");
    ASSERT_TRUE(Esperar([&] { return !a.linked; }));
    call();
    EXPECT_TRUE(next().startsWith("Hello, this is N0CALL-2")) << "a new greeting";
}

TEST(Robot, AnswersACqWithABroadcastToAll)
{
    namespace bc = kolt::broadcast;
    Air air(quick());
    Robot robot(air, QStringLiteral("N0CALL-2"), quickRobot());
    Recorder a(air, "N0CALL-1");
    bc::DatosEmisor self;
    self.modo = kolt::config::Variante::HF;
    self.miIndicativo = "N0CALL-1";
    self.anchoHF = "2300";
    const std::vector<std::uint8_t> cq = bc::TramaCQ(self).kiss();
    air.transmitKiss(&a,
                     QByteArray(reinterpret_cast<const char*>(cq.data()), qsizetype(cq.size())));

    ASSERT_TRUE(Esperar([&] { return !a.kiss.isEmpty(); }));
    bc::ReensambladorKISS reader;
    const auto heard = reader.feed(a.kiss[0].toStdString());
    ASSERT_EQ(heard.size(), 1u);
    const auto decoded = bc::DecodificarAX25(heard[0].ax25, heard[0].comando);
    ASSERT_EQ(decoded.resultado, bc::ResultadoAX25::Correcta);
    EXPECT_EQ(bc::ClasificarTrama(decoded.trama, heard[0].comando), bc::Recepcion::Broadcast);
    EXPECT_EQ(decoded.trama.Origen, "N0CALL-2");
    EXPECT_EQ(decoded.trama.Info, "Hello N0CALL-1, this is N0CALL-2, a simulated station. Call "
                                  "me for a chat.");
}

} // namespace
