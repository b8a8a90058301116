// Conversations with the scripted remote operator, over loopback TCP.

#include "DataFrames.h"
#include "SimFixture.h"
#include "broadcast/Mensajes.h"

using namespace kolt::modemsim;
using namespace kolt::modemsim::testing;

namespace {

const QString A = QStringLiteral("N0CALL-1");
const QString Robot2 = QStringLiteral("N0CALL-2");

class RobotTalk : public SimFixture {
protected:
    void startWith(bool echoFiles)
    {
        Options o = quickOptions();
        o.robot.echoFiles = echoFiles;
        start(o);
        link(A, Robot2);
    }

    // Sends a frame as the chat does and waits until it has left the modem.
    void sendFrame(const QByteArray& frame)
    {
        HostClient& h = host(A);
        const qsizetype from = h.lines.size();
        h.data.write(frame);
        ASSERT_TRUE(h.waitFor(QStringLiteral("PTT OFF"), from));
    }

    // The next `count` frames the robot sent, in order.
    QList<DataFrame> nextFrames(qsizetype count)
    {
        EXPECT_TRUE(waitUntil(
            [&] {
                m_frames += m_reader.feed(host(A).received.mid(m_read));
                m_read = host(A).received.size();
                return m_frames.size() >= count;
            },
            kWaitMs));
        EXPECT_FALSE(m_reader.failed());
        const QList<DataFrame> out = m_frames.mid(0, count);
        m_frames.remove(0, std::min(count, m_frames.size()));
        return out;
    }

    FrameReader m_reader;
    qsizetype m_read = 0;
    QList<DataFrame> m_frames;
};

TEST_F(RobotTalk, SaysItIsSimulatedThenQuotesEachLine)
{
    startWith(false);
    const QList<DataFrame> hello = nextFrames(1);
    ASSERT_EQ(hello.size(), 1);
    EXPECT_EQ(hello[0].marker, Marker::Chat);
    EXPECT_TRUE(hello[0].payload.contains("N0CALL-2, a simulated station"))
        << hello[0].payload.toStdString();

    for (const QByteArray& text :
         {QByteArray("hello"), QByteArray("line one\r\nline two"), QByteArray("\xe9t\xe9")}) {
        sendFrame(BuildFrame(Marker::Chat, text));
        const QList<DataFrame> reply = nextFrames(1);
        ASSERT_EQ(reply.size(), 1);
        EXPECT_EQ(reply[0].marker, Marker::Chat);
        EXPECT_EQ(reply[0].payload, "You wrote: \"" + text + '"');
    }
}

TEST_F(RobotTalk, QuotesOfLongLinesAreCut)
{
    startWith(false);
    nextFrames(1);
    sendFrame(BuildFrame(Marker::Chat, QByteArray(30000, 'w')));
    const QList<DataFrame> reply = nextFrames(1);
    ASSERT_EQ(reply.size(), 1);
    EXPECT_EQ(reply[0].payload, "You wrote: \"" + QByteArray(Robot::kMaxQuote, 'w') + "...\"");
}

class RobotFiles : public RobotTalk,
                   public ::testing::WithParamInterface<std::tuple<bool, char>> {};

TEST_P(RobotFiles, TellsTheSizeAndEchoesWhenAsked)
{
    const auto [echo, marker] = GetParam();
    startWith(echo);
    nextFrames(1);
    QByteArray file(5000, '\0');
    for (qsizetype i = 0; i < file.size(); ++i)
        file[i] = char(i * 7 + 3);
    const QByteArray sent = BuildFrame(Marker(marker), file);
    sendFrame(sent);

    const QList<DataFrame> reply = nextFrames(echo ? 2 : 1);
    ASSERT_EQ(reply.size(), echo ? 2 : 1);
    EXPECT_EQ(reply[0].marker, Marker::Chat);
    EXPECT_TRUE(reply[0].payload.contains("5005 bytes")) << reply[0].payload.toStdString();
    if (echo) {
        EXPECT_TRUE(reply[1].bytes() == sent) << "the file comes back unchanged";
    }

    sendFrame(BuildFrame(Marker::Chat, "next"));
    const QList<DataFrame> after = nextFrames(1);
    ASSERT_EQ(after.size(), 1);
    EXPECT_EQ(after[0].payload, "You wrote: \"next\"") << "and nothing else was sent";
}

INSTANTIATE_TEST_SUITE_P(Table, RobotFiles,
                         ::testing::Combine(::testing::Bool(), ::testing::Values('#', '$')));

TEST_F(RobotTalk, SendsOneFrameAtATimeEvenWhenCutIntoChunks)
{
    Options o = quickOptions();
    o.air.maxChunk = 3;
    start(o);
    link(A, Robot2);
    sendFrame(BuildFrame(Marker::Chat, "one"));
    sendFrame(BuildFrame(Marker::Chat, "two"));
    const QList<DataFrame> got = nextFrames(3);
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[1].payload, "You wrote: \"one\"");
    EXPECT_EQ(got[2].payload, "You wrote: \"two\"");
}

TEST_F(RobotTalk, AbortsTheLinkOnAStreamThatIsNotFrames)
{
    startWith(false);
    host(A).data.write("hello with no header");
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("DISCONNECTED")));
    link(A, Robot2); // and takes the next call afresh
    const QList<DataFrame> hello = nextFrames(2);
    ASSERT_EQ(hello.size(), 2);
    EXPECT_EQ(hello[1].marker, Marker::Chat);
}

TEST_F(RobotTalk, AnswersACqWithABroadcastToAll)
{
    Options o = quickOptions();
    start(o);
    HostClient& a = host(A);
    kolt::broadcast::Estacion self;
    self.modo = kolt::broadcast::Modo::HF;
    self.miIndicativo = "N0CALL-1";
    self.anchoHF = "2300";
    const std::vector<std::uint8_t> cq = kolt::broadcast::TramaCQ(self).kiss();
    a.kiss.write(reinterpret_cast<const char*>(cq.data()), qint64(cq.size()));

    kolt::broadcast::ReensambladorKISS reader;
    std::vector<kolt::broadcast::TramaKISS> heard;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (auto& f :
                 reader.feed(std::string_view(a.kissReceived.constData(), a.kissReceived.size())))
                heard.push_back(f);
            a.kissReceived.clear();
            return !heard.empty();
        },
        kWaitMs));
    ASSERT_EQ(heard.size(), 1u);
    const auto decoded = kolt::broadcast::DecodificarAX25(heard[0].ax25, heard[0].comando);
    ASSERT_EQ(decoded.resultado, kolt::broadcast::ResultadoAX25::Correcta);
    EXPECT_EQ(kolt::broadcast::ClasificarTrama(decoded.trama, heard[0].comando),
              kolt::broadcast::Recepcion::Broadcast);
    EXPECT_EQ(decoded.trama.Origen, "N0CALL-2");
    EXPECT_NE(decoded.trama.Info.find("N0CALL-1"), std::string::npos) << decoded.trama.Info;
    EXPECT_NE(decoded.trama.Info.find("simulated"), std::string::npos) << decoded.trama.Info;
}

} // namespace
