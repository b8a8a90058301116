// The channel itself, watched from stations that record what it tells them.

#include "Air.h"
#include "HostClient.h"

#include <gtest/gtest.h>

using namespace kolt::modemsim;
using kolt::modemsim::testing::pause;
using kolt::modemsim::testing::waitUntil;

namespace {

class Recorder : public Node {
public:
    Recorder(Air& air, const char* call) : Node(QString::fromLatin1(call)), m_air(air)
    {
        m_air.join(this);
    }
    ~Recorder() override { m_air.leave(this); }

    bool onAir() const override { return true; }
    void onLinked(const LinkInfo& l) override { events.append(QString::fromLatin1(l.line())); }
    void onDisconnected() override { events.append(QStringLiteral("DISCONNECTED")); }
    void onPtt(bool on) override
    {
        events.append(on ? QStringLiteral("PTT ON") : QStringLiteral("PTT OFF"));
    }
    void onBuffer(qint64 n) override { events.append(QStringLiteral("BUFFER %1").arg(n)); }
    void onData(QByteArrayView chunk) override
    {
        chunks.append(chunk.size());
        data += chunk.toByteArray();
    }
    void onKiss(QByteArrayView frame) override { kiss.append(frame.toByteArray()); }

    QStringList events;
    QList<qsizetype> chunks;
    QByteArray data;
    QList<QByteArray> kiss;

private:
    Air& m_air;
};

AirConfig quick(int maxChunk = 0, quint32 seed = 1)
{
    AirConfig c;
    c.airRate = 0;
    c.setupMs = 0;
    c.maxChunk = maxChunk;
    c.seed = seed;
    return c;
}

// Chunk sizes with which 20,000 bytes reach the other end.
QList<qsizetype> chunkSizes(int maxChunk, quint32 seed)
{
    Air air(quick(maxChunk, seed));
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    EXPECT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-3", {}}));
    EXPECT_TRUE(waitUntil([&] { return b.events.size() == 1; }, 5000));
    const QByteArray bytes(20000, 'c');
    air.transmit(&a, bytes);
    EXPECT_TRUE(waitUntil([&] { return b.data.size() == bytes.size(); }, 5000));
    for (qsizetype n : b.chunks)
        EXPECT_TRUE(n >= 1 && n <= maxChunk) << n;
    return b.chunks;
}

TEST(Air, ChunkSizesFollowTheSeed)
{
    const QList<qsizetype> first = chunkSizes(100, 5);
    EXPECT_GT(first.size(), 200);
    EXPECT_EQ(chunkSizes(100, 5), first) << "the same seed cuts the same way";
    EXPECT_NE(chunkSizes(100, 6), first);
}

TEST(Air, ASlowAirStillSendsPacketsNotSingleBytes)
{
    AirConfig config = quick();
    config.airRate = 500;
    config.tickMs = 10; // 5 bytes a tick
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-3", {}}));
    ASSERT_TRUE(waitUntil([&] { return b.events.size() == 1; }));
    air.transmit(&a, "5 hello");
    ASSERT_TRUE(waitUntil([&] { return b.data.size() == 7; }));
    air.transmit(&a, QByteArray(150, 'p'));
    ASSERT_TRUE(waitUntil([&] { return b.data.size() == 157; }));
    ASSERT_GE(b.chunks.size(), 3);
    EXPECT_EQ(b.chunks.first(), 7) << "a small frame goes whole";
    for (qsizetype i = 1; i + 1 < b.chunks.size(); ++i)
        EXPECT_GE(b.chunks[i], Air::kMinSlice) << "chunk " << i;
}

TEST(Air, EachKissFrameIsOneDeliveryToEveryOtherStation)
{
    Air air(quick());
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3"), c(air, "N0CALL-4");
    const QByteArray f1 = QByteArray::fromHex("c000414243c0"),
                     f2 = QByteArray::fromHex("c001dbdcc0");
    air.transmitKiss(&a, f1);
    air.transmitKiss(&a, f2);
    ASSERT_TRUE(waitUntil([&] { return c.kiss.size() == 2; }, 5000));
    EXPECT_EQ(b.kiss, (QList<QByteArray>{f1, f2}));
    EXPECT_EQ(c.kiss, (QList<QByteArray>{f1, f2}));
    EXPECT_TRUE(a.kiss.isEmpty());
    EXPECT_EQ(a.events, (QStringList{"PTT ON", "PTT OFF"})) << "keyed once for both frames";
}

TEST(Air, KissFramesTakeTheirAirTime)
{
    AirConfig config = quick();
    config.airRate = 1000;
    config.tickMs = 10; // 10 bytes a tick
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    const QByteArray frame = '\xC0' + QByteArray(198, 'k') + '\xC0'; // twenty ticks
    air.transmitKiss(&a, frame);
    pause(30);
    EXPECT_TRUE(b.kiss.isEmpty()) << "not before its air time";
    ASSERT_TRUE(waitUntil([&] { return !b.kiss.isEmpty(); }, 5000));
    EXPECT_EQ(a.events, (QStringList{"PTT ON", "PTT OFF"}));
}

TEST(Air, KissFramesBeyondTheQueueLimitAreDropped)
{
    AirConfig config = quick();
    config.maxKissQueued = 120;
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    const QByteArray frame = '\xC0' + QByteArray(48, 'k') + '\xC0';
    for (int i = 0; i < 3; ++i)
        air.transmitKiss(&a, frame);
    ASSERT_TRUE(waitUntil([&] { return a.events.size() == 2; }, 5000));
    EXPECT_EQ(b.kiss.size(), 2);
}

TEST(Air, TheHostOfALinkedStationLeavingEndsTheLinkForTheOther)
{
    Air air(quick());
    Recorder b(air, "N0CALL-3");
    {
        Recorder a(air, "N0CALL-1");
        ASSERT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-3", {"N0CALL-7"}}));
        ASSERT_TRUE(waitUntil([&] { return b.events.size() == 1; }, 5000));
        air.transmit(&a, "12345");
    }
    EXPECT_EQ(b.events, (QStringList{"CONNECTED N0CALL-1 N0CALL-3 VIA N0CALL-7", "DISCONNECTED"}));
    pause(20);
    EXPECT_TRUE(b.data.isEmpty()) << "nothing is delivered from a station that left";
    EXPECT_EQ(air.find(QStringLiteral("n0call-1")), nullptr);
    EXPECT_EQ(air.find(QStringLiteral("n0call-3")), &b);
}

} // namespace
