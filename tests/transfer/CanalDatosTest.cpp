// The data channel of a linked station against a bare modem on loopback:
// the exact bytes of a chat frame, the buffer reports, and what the receive
// screen shows for chunks cut in every way that matters.

#include "EstacionEnlazada.h"

using namespace kolt;
using link::Panel;
using test::Esperar;

namespace {

const QString kError = QStringLiteral("Link Error - Received data stream not correct format.\r\n");

class CanalDatosTest : public test::EstacionEnlazada {
protected:
    link::EstadoPanel Bytes() const { return m_estacion->modelo().panel(Panel::Bytes); }
    int Progreso() const { return m_estacion->modelo().progreso(); }
};

TEST_F(CanalDatosTest, TextGoesOutAsOneFrameAndIsEchoedAtBufferZero)
{
    Decir(QString());
    Modem("BUFFER 0"); // with nothing in flight: no echo, no header
    EXPECT_EQ(Tx().ultimoEmisor, transfer::Emisor::Nadie);

    Decir("hello");
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "5 hello"; }))
        << "the empty box sent nothing";
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "");
    EXPECT_EQ(Tx().bytesPendientes, 7);
    EXPECT_EQ(Controles(), "Progress");

    Decir("ignored");
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "ignored") << "one frame in flight";

    // Reports that are no count complete nothing; a count above the frame is all of it.
    for (const char* linea : {"BUFFER 0 0", "BUFFER X", "BUFFER -5"})
        Modem(linea);
    EXPECT_EQ(Tx().bytesPendientes, 7);
    EXPECT_EQ(Bytes(), link::EstadoPanel{});
    Modem("BUFFER 2000");
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"0 Bytes Sent", "Subiendo", ""}));
    Modem("BUFFER 3");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"4 Bytes Sent", "Subiendo", ""}));
    EXPECT_EQ(Pantalla(), "") << "nothing shown before the modem has sent it";
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nhello\r\n");
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Bytes(), link::EstadoPanel{});

    // Line breaks of any kind travel as CR LF, the text in the ANSI page.
    Decir(QStringLiteral("caf\u00e9\nna\u00efve\r\nend"));
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() == 26; }));
    EXPECT_EQ(m_modem.datosRecibidos(), QByteArray("5 hello16 caf\xe9\r\nna\xefve\r\nend"));
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(),
              QStringLiteral(">N0CALL-1\r\nhello\r\ncaf\u00e9\r\nna\u00efve\r\nend\r\n"))
        << "same speaker: no new header";

    // Completed while disconnecting: Send stays hidden.
    Decir("bye");
    m_estacion->Abortar();
    Modem("BUFFER 0");
    EXPECT_TRUE(Pantalla().endsWith("end\r\nbye\r\n"));
    EXPECT_EQ(Controles(), "Clear");
}

TEST_F(CanalDatosTest, FrameInTwoChunksShowsProgressThenTheTextOnce)
{
    Decir("x"); // keeps the indicators up after the frame completes
    Recibir("11 hello");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"8 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n");
    Recibir(" world");
    EXPECT_EQ(Progreso(), 100);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"14 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello world\r\n");
    EXPECT_EQ(Controles(), "Progress") << "own text still in flight";

    // The echo in the middle of a frame: the frame's text stays whole.
    Recibir("11 hel");
    Modem("BUFFER 0");
    EXPECT_EQ(Controles(), "Clear") << "no Send while receiving";
    Recibir("lo again");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Bytes(), link::EstadoPanel{});
    EXPECT_EQ(Pantalla(),
              "<N0CALL-2\r\nhello world\r\n>N0CALL-1\r\nx\r\n<N0CALL-2\r\nhello again\r\n");

    // A chunk that ends one frame, holds another and starts a third.
    Recibir("1");
    Recibir("1 first frame2 ok4 ab");
    EXPECT_TRUE(Pantalla().endsWith("again\r\nfirst frame\r\nok\r\n"));
    EXPECT_EQ(Progreso(), 67) << "the third frame, 4 of 6 bytes";
}

TEST_F(CanalDatosTest, CompletedMessagesCutTheScreenToItsLast64000Characters)
{
    link::ModeloVentana& modelo = m_estacion->modelo();
    modelo.AgregarRecepcion(QString(63990, 'o'));
    Recibir("20 abcdefghijklmnopqrst");
    EXPECT_EQ(modelo.textoRecepcion().size(), 64002) << "the text is cut, its line end added after";
    EXPECT_TRUE(modelo.textoRecepcion().endsWith("o<N0CALL-2\r\nabcdefghijklmnopqrst\r\n"));

    // Header lines are not cut.
    Decir("me");
    Modem("BUFFER 0");
    EXPECT_EQ(modelo.textoRecepcion().size(), 64000) << "the echo is";
    modelo.AgregarRecepcion(QString(10, 'p'));
    Recibir("1 z");
    EXPECT_TRUE(modelo.textoRecepcion().endsWith("me\r\npppppppppp<N0CALL-2\r\nz\r\n"));
}

// Each way a header can be refused (the largest length too) is in
// TramasTest; here, what the station does: the error line, one abort,
// nothing more until the link ends.
TEST_F(CanalDatosTest, MalformedStreamIsALinkErrorUntilTheLinkEnds)
{
    const struct {
        const char* bloque;
        const char* antes; // what the chunk held of good frames
    } casos[] = {{"hello there", ""}, {"3 abcX", "abc\r\n"}};
    for (const auto& c : casos) {
        const QString error = "<N0CALL-2\r\n" + QString(c.antes) + kError;
        Recibir(c.bloque);
        EXPECT_EQ(Pantalla(), error);
        EXPECT_EQ(m_estacion->modelo().panel(Panel::Indicativos).texto, "Disconnecting...");
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas() == QStringList{"ABORT"}; })) << c.bloque;
        Recibir("5 hello");
        test::Dejar(50);
        EXPECT_EQ(Pantalla(), error);
        EXPECT_EQ(m_modem.lineas(), QStringList{"ABORT"});
        Modem("DISCONNECTED");
        Enlazar();
    }
    Recibir("5 hello");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello\r\n");
}

TEST_F(CanalDatosTest, ModemLostMidSendLeavesNothingInFlight)
{
    Decir("lost");
    Recibir("9 half");
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->enlace().enlazado; }));
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_TRUE(m_estacion->modelo().control(link::Control::mnuClear).enabled)
        << "the send took Clear away";
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));
    EXPECT_FALSE(m_estacion->canalDatos().Recibiendo()) << "a new data connection is a new stream";
    Enlazar();
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), "") << "a new modem's report completes nothing of the old one";
    Decir("new");
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "3 new"; }));
    m_modem.EnviarDatos("2 ok");
    ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("ok\r\n"); }));
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nok\r\n>N0CALL-1\r\nnew\r\n");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
}

// Only the data socket carries frames: losing the command socket alone must
// not cut the frame it is in the middle of, nor the send's Clear.
TEST_F(CanalDatosTest, CommandSocketLostMidFrameKeepsReceivingAndGivesClearBack)
{
    Recibir("10 first");
    Decir("out");
    m_modem.CortarComandos();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->SocketsArriba(); }));
    EXPECT_TRUE(m_estacion->modelo().control(link::Control::mnuClear).enabled);
    m_modem.EnviarDatos(" half");
    ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("first half\r\n"); }));
    EXPECT_FALSE(Pantalla().contains(kError));
    EXPECT_FALSE(m_estacion->canalDatos().Recibiendo());

    // DISCONNECTED with a frame in flight gives Clear back too.
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));
    Enlazar();
    Decir("again");
    EXPECT_FALSE(m_estacion->modelo().control(link::Control::mnuClear).enabled);
    Modem("DISCONNECTED");
    EXPECT_TRUE(m_estacion->modelo().control(link::Control::mnuClear).enabled);
}

} // namespace
