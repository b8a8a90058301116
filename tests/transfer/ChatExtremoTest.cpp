// Two stations, or a station and a robot, talking through the stand-in
// modem in this process: what each receive screen reads after a real
// exchange over loopback, with the modem's own chunking and buffer reports.

#include "link/Estacion.h"
#include "transfer/CanalDatos.h"

#include "PuestoSimulado.h"
#include "QtImprimir.h"

using namespace kolt;
using test::Esperar;

namespace {

using test::Puesto;

class ChatExtremo : public test::Extremo {
protected:
    // Sends and waits until the modem reported the frame gone.
    void Decir(Puesto& quien, const QString& texto)
    {
        quien.Enviar(texto);
        ASSERT_TRUE(Esperar([&] { return quien.Libre(); }, 10000));
    }
};

TEST_F(ChatExtremo, TwoStationsExchangeLinesAndEachScreenReadsAsPrescribed)
{
    Arrancar();
    Enlazar(*m_a, m_b.get());
    EXPECT_EQ(m_a->estacion->enlace().Remota(), "N0CALL-3");
    EXPECT_EQ(m_b->estacion->enlace().Remota(), "N0CALL-1");

    Decir(*m_a, "Hello from one");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("one\r\n"); }));
    Decir(*m_a, "and again");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("again\r\n"); }));
    Decir(*m_b, "Line one\r\nLine two\r\n\r\nafter a blank line");
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("line\r\n"); }));

    const QString largo = QString(20000, QLatin1Char('x')) + QStringLiteral("END");
    Decir(*m_a, largo);
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("END\r\n"); }));

    EXPECT_EQ(m_a->Pantalla(), ">N0CALL-1\r\nHello from one\r\nand again\r\n"
                               "<N0CALL-3\r\nLine one\r\nLine two\r\n\r\nafter a blank line\r\n"
                               ">N0CALL-1\r\n" +
                                   largo + "\r\n");
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\nHello from one\r\nand again\r\n"
                               ">N0CALL-3\r\nLine one\r\nLine two\r\n\r\nafter a blank line\r\n"
                               "<N0CALL-1\r\n" +
                                   largo + "\r\n");
    for (Puesto* p : {m_a.get(), m_b.get()}) {
        EXPECT_TRUE(p->estacion->modelo().control("cmdEnviar").visible);
        EXPECT_FALSE(p->estacion->modelo().control("ProgressBar").visible);
        EXPECT_TRUE(p->operador.avisos.empty());
    }

    m_a->estacion->Abortar();
    ASSERT_TRUE(Esperar([&] { return !m_a->Enlazado() && !m_b->Enlazado(); }));
    EXPECT_TRUE(m_b->estacion->modelo().control("mnuConnect").enabled);
}

TEST_F(ChatExtremo, RobotAnswersUnderItsHeaderAndTheOwnLineEchoesAfterBufferZero)
{
    // Time for "BUFFER 0" to reach this station before the robot answers:
    // the two travel on different sockets.
    modemsim::Options o = Opciones();
    o.robot.replyDelayMs = 150;
    Arrancar(o);
    m_a->estacion->config().connectWithHF = QStringLiteral("N0CALL-2");
    Enlazar(*m_a, nullptr);
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith(".\r\n"); }));
    const QString saludo = m_a->Pantalla();
    EXPECT_TRUE(saludo.startsWith("<N0CALL-2\r\nHello, this is N0CALL-2")) << saludo.toStdString();

    Decir(*m_a, "ping");
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("\"ping\"\r\n"); }));
    EXPECT_EQ(m_a->Pantalla(),
              saludo + ">N0CALL-1\r\nping\r\n<N0CALL-2\r\nYou wrote: \"ping\"\r\n");
}

TEST_F(ChatExtremo, SmallRandomChunksGiveTheSameScreens)
{
    modemsim::Options o = Opciones();
    o.air.maxChunk = 7;
    o.air.seed = 5;
    Arrancar(o);
    Enlazar(*m_a, m_b.get());
    // Near the cut: the received text drops the oldest characters.
    m_b->estacion->modelo().AgregarRecepcion(QString(63000, QLatin1Char('o')));
    m_b->MarcarInicio();

    const QString texto = QString(1500, QLatin1Char('y')) + QStringLiteral("\r\n\u00e1rbol");
    Decir(*m_a, "short");
    Decir(*m_a, texto);
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("rbol\r\n"); }, 10000));
    const QString pantalla = m_b->estacion->modelo().textoRecepcion();
    EXPECT_EQ(pantalla.size(), 64000 + 2);
    EXPECT_TRUE(pantalla.endsWith("o<N0CALL-1\r\nshort\r\n" + texto + "\r\n"));
    EXPECT_TRUE(m_b->operador.avisos.empty());
    EXPECT_TRUE(m_a->Enlazado()) << "no link error from any cut";
}

TEST_F(ChatExtremo, DisconnectedMidFrameAbandonsThePartialFrame)
{
    modemsim::Options o = Opciones();
    o.air.airRate = 1000; // about 64 bytes a tick: the frame takes seconds
    Arrancar(o);
    Enlazar(*m_a, m_b.get());
    m_a->Enviar(QString(3000, QLatin1Char('z')));
    ASSERT_TRUE(Esperar([&] { return m_b->estacion->canalDatos().Recibiendo(); }));
    m_b->estacion->Abortar();
    ASSERT_TRUE(Esperar([&] { return !m_a->Enlazado() && !m_b->Enlazado(); }));
    test::Dejar(100);
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\n") << "nothing of the partial frame";
    EXPECT_EQ(m_a->Pantalla(), "") << "no echo for a send the link dropped";
    EXPECT_EQ(m_a->estacion->transmision().bytesPendientes, 0);
    EXPECT_FALSE(m_b->estacion->canalDatos().Recibiendo());

    Enlazar(*m_a, m_b.get());
    Decir(*m_a, "fresh");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("fresh\r\n"); }));
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\nfresh\r\n");
}

} // namespace
