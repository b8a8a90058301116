// The channel itself, watched from stations that record each delivery as it
// comes: what TCP would merge or split is seen here exactly.

#include "Air.h"
#include "SimFixture.h"

#include <gtest/gtest.h>

using namespace kolt::modemsim;
using kolt::modemsim::testing::Esperar;

namespace {

class Recorder : public Node {
public:
    Recorder(Air& air, const char* call) : Node(QString::fromLatin1(call)), m_air(air)
    {
        m_air.join(this);
    }
    ~Recorder() override { m_air.leave(this); }

    bool onAir() const override { return true; }
    void onLinked(const LinkInfo&) override { linked = true; }
    void onDisconnected() override {}
    void onPtt(bool on) override { ptt.append(on); }
    void onBuffer(qint64) override {}
    void onData(QByteArrayView chunk) override
    {
        chunks.append(chunk.size());
        data += chunk.toByteArray();
    }
    void onKiss(QByteArrayView frame) override { kiss.append(frame.toByteArray()); }

    bool linked = false;
    QList<bool> ptt;
    QList<qsizetype> chunks;
    QByteArray data;
    QList<QByteArray> kiss;

private:
    Air& m_air;
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

// The sizes of the pieces in which `writes` reach the other end of a link.
QList<qsizetype> chunks(const AirConfig& config, const QList<QByteArray>& writes)
{
    Air air(config);
    Recorder a(air, "N0CALL-1"), b(air, "N0CALL-3");
    EXPECT_TRUE(air.placeCall(&a, {"N0CALL-1", "N0CALL-3", {}}));
    EXPECT_TRUE(Esperar([&] { return b.linked; }));
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
    const QByteArray f1 = QByteArray::fromHex("c000414243c0"),
                     f2 = QByteArray::fromHex("c001dbdcc0");
    const QByteArray big = '\xC0' + QByteArray(48, 'k') + '\xC0';
    for (const QByteArray& frame : {f1, f2, big, big, big}) // the last one past 120 bytes
        air.transmitKiss(&a, frame);
    ASSERT_TRUE(Esperar([&] { return a.ptt.size() == 2; }));
    EXPECT_EQ(b.kiss, (QList<QByteArray>{f1, f2, big, big}));
    EXPECT_EQ(c.kiss, b.kiss);
    EXPECT_TRUE(a.kiss.isEmpty());
    EXPECT_EQ(a.ptt, (QList<bool>{true, false})) << "keyed once for all frames";
}

} // namespace
