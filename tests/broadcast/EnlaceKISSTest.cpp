// The station's KISS link against a bare KISS port on loopback: the bytes
// it writes, what it shows of a received stream however the stream is cut,
// and how it reconnects.

#include "broadcast/EnlaceKISS.h"

#include "broadcast/Ax25.h"
#include "broadcast/Kiss.h"
#include "config/Ansi.h"

#include "EstacionKISS.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;
using test::LineasSinHora;
using test::ServidorKISS;

namespace {

QByteArray Bytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

// A KISS frame as another station would send it.
QByteArray Kiss(std::vector<std::string> direcciones, std::string_view info, std::uint8_t comando)
{
    const auto* b = reinterpret_cast<const std::uint8_t*>(info.data());
    const auto ax25 = broadcast::ConstruirTramaUI(
        direcciones, broadcast::LongitudDireccion(comando), std::span(b, info.size()));
    return Bytes(broadcast::CodificarKISS(ax25, comando));
}

class EnlaceKISSTest : public ::testing::Test {
protected:
    // A station with the test's settings, its modem and KISS port up.
    EstacionDePrueba& Arrancar(const QString& setup = {})
    {
        m_estacion = std::make_unique<EstacionDePrueba>(setup, m_modem.puerto(), m_kiss.puerto());
        EXPECT_TRUE(m_estacion->listo);
        EXPECT_TRUE(Esperar([&] {
            return (*m_estacion)->SocketsArriba() && (*m_estacion)->kiss().Conectado() &&
                   m_kiss.Conectado();
        }));
        return *m_estacion;
    }

    QStringList Pantalla() { return LineasSinHora((*m_estacion)->modelo().textoRecepcion()); }

    test::ModemDePrueba m_modem;
    ServidorKISS m_kiss;
    std::unique_ptr<EstacionDePrueba> m_estacion;
};

// ---- what goes out ----------------------------------------------------

TEST_F(EnlaceKISSTest, BroadcastAndCqGoOutAsOneExactKissFrameEach)
{
    EstacionDePrueba& e = Arrancar("KOLTHF BW=500\r\n");
    ASSERT_TRUE(e->kiss().EnviarBroadcast(QStringLiteral("hello")));
    e->modelo().Habilitar("mnuCQ", true); // as the modem's "PTT OFF" would
    e->kiss().AccionCQ();

    const QByteArray esperado =
        Kiss({"ALL", "N0CALL-1"}, "hello", 0x00) + Kiss({"CQ", "N0CALL-1"}, "0", 0x01);
    ASSERT_TRUE(Esperar([&] { return m_kiss.recibido.size() >= esperado.size(); }));
    EXPECT_EQ(m_kiss.recibido.toHex(' '), esperado.toHex(' '));
    EXPECT_EQ(m_kiss.recibido.size(), (3 + 21) + (3 + 8 + 8 + 2 + 1))
        << "the 21-byte broadcast frame";
    EXPECT_EQ(Pantalla(), QStringList({"> ALL: N0CALL-1 hello  hh:mm:ss",
                                       "> CQ de N0CALL-1 on 500          hh:mm:ss"}));
    EXPECT_TRUE(e.operador.avisos.empty());
}

TEST_F(EnlaceKISSTest, MessageTravelsInTheAnsiCodePageCutAt500Characters)
{
    config::FijarPaginaDelSistema(1252);
    EstacionDePrueba& e = Arrancar();
    // 0xC0 and 0xDB in the code page: escaped on the wire, shown as typed here.
    const QString mensaje = QStringLiteral("\u00C0\u00DB") + QString(600, QLatin1Char('x'));
    ASSERT_TRUE(e->kiss().EnviarBroadcast(mensaje));

    const QByteArray info = "\xC0\xDB" + QByteArray(498, 'x');
    const QByteArray esperado = Kiss({"ALL", "N0CALL-1"}, info.toStdString(), 0x00);
    ASSERT_TRUE(Esperar([&] { return m_kiss.recibido.size() >= esperado.size(); }));
    EXPECT_EQ(m_kiss.recibido, esperado);
    EXPECT_TRUE(m_kiss.recibido.startsWith(QByteArray::fromHex("c000")));
    EXPECT_TRUE(m_kiss.recibido.contains(QByteArray::fromHex("dbdcdbdd")));
    EXPECT_EQ(Pantalla(), QStringList({"> ALL: N0CALL-1 " + mensaje.left(500) + "  hh:mm:ss"}));
}

TEST_F(EnlaceKISSTest, CqOnALinkThatIsDownIsShownAndLostWithoutAWord)
{
    EstacionDePrueba e(QStringLiteral("KOLT Mode=KOLTSAT\r\n"), m_modem.puerto(), 1);
    ASSERT_TRUE(e.listo);
    e->kiss().AccionCQ();
    EXPECT_EQ(LineasSinHora(e->modelo().textoRecepcion()),
              QStringList({"> CQ de N0CALL-1             hh:mm:ss"}));
    EXPECT_FALSE(e.Habilitado("mnuCQ"));
    EXPECT_FALSE(e.Habilitado("mnuBroadcast"));
    EXPECT_TRUE(e.operador.avisos.empty());
}

// ---- what comes in, however the stream is cut -------------------------

// Frames of other stations as one stream, with what the screen shows.
QByteArray FlujoRecibido()
{
    QByteArray f;
    f += QByteArray::fromHex("0102");                                     // joined mid-frame
    f += Kiss({"ALL", "N0CALL-3"}, "hi there", 0x00);                     // shown
    f += QByteArray::fromHex("c0c0");                                     // empty frames
    f += Kiss({"CQ", "N0CALL-4"}, "1", 0x01);                             // shown in HF as 2300
    f += Kiss({"CQ", "N0CALL-5"}, "1", 0x00);                             // CQ with 0x00: ignored
    f += Kiss({"ALL", "ABCDEFG-2", "WIDE1-1", "WIDE2-2"}, "seven", 0x01); // shown with digis
    f += Kiss({"ALL", "N0CALL-6"}, "two", 0x02);                          // other command: ignored
    f += QByteArray::fromHex("c000a6a8c0");                               // too short for AX.25
    f += QByteArray::fromHex("c0008241db");                               // dangling escape...
    f += Kiss({"ALL", "N0CALL-7"}, "Hi\r\n\xE9", 0x00);                   // ...dropped; "Hi"
    f += Kiss({"NOBODY", "N0CALL-8"}, "x", 0x00);                         // other destination
    return f;
}

const QStringList kLineasRecibidas = {
    "< ALL: N0CALL-3 hi there  hh:mm:ss",
    "< CQ de N0CALL-4 on 2300     hh:mm:ss",
    "< ALL: ABCDEFG-2 VIA WIDE1-1 WIDE2-2 seven  hh:mm:ss",
    "< ALL: N0CALL-7 Hi  hh:mm:ss",
};

class FlujoCortado : public EnlaceKISSTest, public ::testing::WithParamInterface<int> {};

TEST_P(FlujoCortado, EveryFrameIsShownOnceWhateverTheReads)
{
    Arrancar();
    const QByteArray flujo = FlujoRecibido();
    const int trozo = GetParam() > 0 ? GetParam() : static_cast<int>(flujo.size());
    for (qsizetype i = 0; i < flujo.size(); i += trozo)
        m_kiss.Enviar(flujo.mid(i, trozo));
    ASSERT_TRUE(Esperar([&] { return Pantalla().size() >= kLineasRecibidas.size(); }));
    test::Dejar(50);
    EXPECT_EQ(Pantalla(), kLineasRecibidas);
}

INSTANTIATE_TEST_SUITE_P(Trozos, FlujoCortado, ::testing::Values(0, 1, 2, 5, 13, 64));

TEST_F(EnlaceKISSTest, AFloodFromTheAirKeepsOnlyTheScreensLastCharacters)
{
    EstacionDePrueba& e = Arrancar();
    QByteArray flujo;
    for (int i = 0; i < 2000; ++i)
        flujo += Kiss({"ALL", "N0CALL-3"}, "flood " + std::to_string(i) + std::string(40, '.'), 0);
    m_kiss.Enviar(flujo);
    ASSERT_TRUE(Esperar([&] { return e->modelo().textoRecepcion().contains("flood 1999."); }));
    EXPECT_LE(e->modelo().textoRecepcion().size(), 64000);
    EXPECT_GT(e->modelo().textoRecepcion().size(), 63000);
}

TEST_F(EnlaceKISSTest, AHalfFrameOfALostConnectionNeverJoinsTheNextOne)
{
    EstacionDePrueba& e = Arrancar();
    const QByteArray trama = Kiss({"ALL", "N0CALL-3"}, "first", 0x00);
    m_kiss.Enviar(trama.left(12));
    test::Dejar(50);
    m_kiss.Cortar();
    // Reconnected by the socket's own Close event, without waiting for the timer.
    ASSERT_TRUE(Esperar([&] { return m_kiss.conexiones == 2 && m_kiss.Conectado(); }, 3000));
    ASSERT_TRUE(Esperar([&] { return e->kiss().Conectado(); }));
    m_kiss.Enviar(trama.mid(12) + Kiss({"ALL", "N0CALL-4"}, "second", 0x00));
    ASSERT_TRUE(Esperar([&] { return !Pantalla().isEmpty(); }));
    test::Dejar(50);
    EXPECT_EQ(Pantalla(), QStringList({"< ALL: N0CALL-4 second  hh:mm:ss"}));
}

TEST_F(EnlaceKISSTest, ARefusingKissPortIsNotRetriedInABusyLoop)
{
    // A port that accepts and drops at once: every drop is a Close event.
    QTcpServer tragon;
    ASSERT_TRUE(tragon.listen(QHostAddress::LocalHost, 0));
    int aceptadas = 0;
    QObject::connect(&tragon, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = tragon.nextPendingConnection()) {
            ++aceptadas;
            s->abort();
            s->deleteLater();
        }
    });
    EstacionDePrueba e({}, m_modem.puerto(), tragon.serverPort());
    ASSERT_TRUE(e.listo);
    test::Dejar(3000);
    EXPECT_GE(aceptadas, 2) << "retried without waiting for the 5-second check";
    EXPECT_LE(aceptadas, 5) << "about once a second, never as fast as the drops";
}

TEST_F(EnlaceKISSTest, AKissPortThatAppearsLaterIsReached)
{
    quint16 puerto = 0;
    {
        QTcpServer libre; // a port nobody listens on, for now
        ASSERT_TRUE(libre.listen(QHostAddress::LocalHost, 0));
        puerto = libre.serverPort();
    }
    EstacionDePrueba e({}, m_modem.puerto(), puerto);
    ASSERT_TRUE(e.listo);
    test::Dejar(1200);
    EXPECT_FALSE(e->kiss().Conectado());
    ServidorKISS tarde(puerto);
    ASSERT_TRUE(Esperar([&] { return e->kiss().Conectado() && tarde.Conectado(); }, 3000));
}

TEST_F(EnlaceKISSTest, TheLinkIsNotReopenedOnceTheStationCloses)
{
    EstacionDePrueba& e = Arrancar();
    e->Cerrar(link::Geometria{});
    m_kiss.Cortar();
    test::Dejar(1500);
    EXPECT_EQ(m_kiss.conexiones, 1);
}

} // namespace
