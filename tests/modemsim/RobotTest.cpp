// Conversations with the scripted remote operator, over loopback TCP.

#include "DataFrames.h"
#include "SimFixture.h"
#include "broadcast/Mensajes.h"

using namespace kolt::modemsim;
using namespace kolt::modemsim::testing;

namespace {

class RobotTalk : public SimFixture {
protected:
    // Sends a frame as the chat does and waits until it has left the modem.
    void sendFrame(const QByteArray& frame)
    {
        const qsizetype from = host(A).lines.size();
        host(A).data.write(frame);
        ASSERT_TRUE(host(A).waitFor(QStringLiteral("PTT OFF"), from));
    }

    // The robot's next frame, once it has come.
    DataFrame next()
    {
        EXPECT_TRUE(Esperar(
            [&] {
                m_frames += m_reader.feed(host(A).received.mid(m_read));
                m_read = host(A).received.size();
                return !m_frames.isEmpty();
            },
            kWaitMs));
        EXPECT_FALSE(m_reader.failed());
        return m_frames.isEmpty() ? DataFrame{} : m_frames.takeFirst();
    }

    QByteArray nextChat()
    {
        const DataFrame f = next();
        EXPECT_EQ(f.marker, Marker::Chat);
        return f.payload;
    }

    FrameReader m_reader;
    qsizetype m_read = 0;
    QList<DataFrame> m_frames;
};

// Echoed files (and a chat line seen on the chat's screen) are tested end to
// end in tests/transfer/ExtremoTest.cpp.
TEST_F(RobotTalk, GreetsQuotesEachLineCutToItsLimitAndTellsTheSizeOfAFile)
{
    start();
    link(A, Robot2);
    const QByteArray greeting = nextChat();
    EXPECT_TRUE(greeting.contains("N0CALL-2, a simulated station")) << greeting.toStdString();
    EXPECT_TRUE(greeting.endsWith("the size of every file.")) << "no echo promised";
    for (const QByteArray& text :
         {QByteArray("hello"), QByteArray("line one\r\nline two"), QByteArray("\xe9t\xe9")}) {
        sendFrame(BuildFrame(Marker::Chat, text));
        EXPECT_EQ(nextChat(), "You wrote: \"" + text + '"');
    }
    sendFrame(BuildFrame(Marker::Chat, QByteArray(30000, 'w')));
    EXPECT_EQ(nextChat(), "You wrote: \"" + QByteArray(Robot::kMaxQuote, 'w') + "...\"");
    sendFrame(BuildFrame(Marker::PlainFile, QByteArray(5000, '\xC0')));
    EXPECT_TRUE(nextChat().contains("5005 bytes"));
    sendFrame(BuildFrame(Marker::Chat, "next"));
    EXPECT_EQ(nextChat(), "You wrote: \"next\"") << "and nothing else was sent for the file";

    // Regression: after a framing error the robot ignores the stream until
    // its abort lands, then takes the next call afresh.
    host(A).data.write("hello with no header");
    ASSERT_TRUE(host(A).waitFor(QStringLiteral("DISCONNECTED")));
    link(A, Robot2);
    EXPECT_TRUE(nextChat().contains("a simulated station")) << "a new greeting";
}

TEST_F(RobotTalk, AnswersACqWithABroadcastToAll)
{
    namespace bc = kolt::broadcast;
    start();
    HostClient& a = host(A);
    bc::DatosEmisor self;
    self.modo = kolt::config::Variante::HF;
    self.miIndicativo = "N0CALL-1";
    self.anchoHF = "2300";
    const std::vector<std::uint8_t> cq = bc::TramaCQ(self).kiss();
    a.kiss.write(reinterpret_cast<const char*>(cq.data()), qint64(cq.size()));

    bc::ReensambladorKISS reader;
    std::vector<bc::TramaKISS> heard;
    ASSERT_TRUE(Esperar(
        [&] {
            for (auto& f : reader.feed(a.kissReceived.toStdString()))
                heard.push_back(f);
            a.kissReceived.clear();
            return !heard.empty();
        },
        kWaitMs));
    ASSERT_EQ(heard.size(), 1u);
    const auto decoded = bc::DecodificarAX25(heard[0].ax25, heard[0].comando);
    ASSERT_EQ(decoded.resultado, bc::ResultadoAX25::Correcta);
    EXPECT_EQ(bc::ClasificarTrama(decoded.trama, heard[0].comando), bc::Recepcion::Broadcast);
    EXPECT_EQ(decoded.trama.Origen, "N0CALL-2");
    EXPECT_NE(decoded.trama.Info.find("N0CALL-1"), std::string::npos) << decoded.trama.Info;
    EXPECT_NE(decoded.trama.Info.find("simulated"), std::string::npos) << decoded.trama.Info;
}

} // namespace
