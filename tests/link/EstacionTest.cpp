// The station against a bare modem on loopback: start-up commands, the
// link states, reconnection and close. The way from idle to linked and
// back with its panels and controls is HistoriaModemTest's story.

#include "link/Estacion.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::Panel;
using test::Esperar;

namespace {

class EstacionTest : public ::testing::Test {
protected:
    link::Estacion& Arrancar(const QString& setup = {})
    {
        m_e = std::make_unique<test::EstacionDePrueba>(setup, m_modem.puerto());
        EXPECT_TRUE(m_e->listo);
        return **m_e;
    }

    // Started, with both sockets up and the start-up commands forgotten.
    link::Estacion& Inactiva(const QString& setup = {})
    {
        link::Estacion& e = Arrancar(setup);
        EXPECT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        test::Dejar(20);
        m_modem.Olvidar();
        return e;
    }

    bool Lineas(const QStringList& esperadas)
    {
        return Esperar([&] { return m_modem.lineas() == esperadas; });
    }
    link::EstadoControl Control(link::Control c) { return (*m_e)->modelo().control(c); }
    link::EstadoPanel PanelDe(Panel p) { return (*m_e)->modelo().panel(p); }
    QString Indicativos() { return PanelDe(Panel::Indicativos).texto; }

    test::ModemDePrueba m_modem;
    std::unique_ptr<test::EstacionDePrueba> m_e;
};

TEST_F(EstacionTest, StartUpLinkLostAndModemRestartResendsTheCommands)
{
    link::Estacion& e = Arrancar("My Callsign=ea4xyz-7\r\nKOLTHF BW=500\r\n");
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedRojo");
    EXPECT_EQ(PanelDe(Panel::TCP).tooltip, "TCP link disconnected");
    EXPECT_EQ(e.modelo().titulo(), "KOLT Chat v1.4.1      EA4XYZ-7");
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedVerde");
    EXPECT_EQ(PanelDe(Panel::TCP).tooltip, "TCP link disconnected") << "green keeps the tooltip";
    EXPECT_EQ(PanelDe(Panel::Indicativos).tooltip, "Modem Disconnected");
    EXPECT_TRUE(Control(link::Control::mnuConnect).enabled &&
                Control(link::Control::mnuCQ).enabled);
    EXPECT_TRUE(m_e->operador.avisos.empty());

    m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }, 300)) << "at once, no retry wait";
    EXPECT_EQ(Indicativos(), "Disconnected");
    EXPECT_FALSE(Control(link::Control::cmdEnviar).visible);
    EXPECT_FALSE(Control(link::Control::mnuConnect).enabled)
        << "left as linked until the sockets are back";
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedRojo");

    m_modem.Olvidar();
    ASSERT_TRUE(m_modem.Reabrir());
    // Retried within about a second of the modem listening again.
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedVerde");
}

TEST_F(EstacionTest, RefusedConnectionsAreNotRetriedInABusyLoop)
{
    m_modem.Cerrar();
    Arrancar();
    // A modem port that accepts and drops at once: every drop is a Close event.
    QTcpServer tragon;
    int aceptadas = 0;
    ASSERT_TRUE(tragon.listen(QHostAddress::LocalHost, m_modem.puerto()));
    QObject::connect(&tragon, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = tragon.nextPendingConnection()) {
            ++aceptadas;
            s->abort();
            s->deleteLater();
        }
    });
    // Once a second at most: by the second drop a busy loop has made hundreds.
    ASSERT_TRUE(Esperar([&] { return aceptadas >= 2; }));
    EXPECT_LE(aceptadas, 3);
}

// The start-up commands of each mode, then the call. What follows "CHAT ON"
// up to the call is all the modem heard: nothing else was sent between.
struct CasoConectar {
    const char* modo;
    const char* anchoBanda;
    const char* via1;
    const char* via2;
    QStringList lineas;
};

std::string Nombre(const CasoConectar& c)
{
    return std::string(c.modo) + "_BW" + c.anchoBanda + (*c.via1 ? "_Via1" : "") +
           (*c.via2 ? "_Via2" : "");
}

void PrintTo(const CasoConectar& c, std::ostream* os)
{
    *os << Nombre(c);
}

class Conectar : public EstacionTest, public ::testing::WithParamInterface<CasoConectar> {};

TEST_P(Conectar, StartUpCommandsAndCallPerModeAndDigipeaters)
{
    const CasoConectar& c = GetParam();
    link::Estacion& e = Arrancar(
        QStringLiteral("KOLT Mode=%1\r\nKOLTHF BW=%2\r\nConnect With HF=HF1\r\nConnect With FM=FM1"
                       "\r\nConnect With SAT=SAT1\r\nVia1=%3\r\nVia2=%4\r\n")
            .arg(c.modo, c.anchoBanda, c.via1, c.via2));
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
    e.Conectar();
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().join(' ').contains("CONNECT"); }));
    EXPECT_EQ(m_modem.lineas(), QStringList({"MYCALL N0CALL-1", "CHAT ON"}) + c.lineas);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conectar,
    ::testing::Values(
        CasoConectar{"KOLTHF", "2300", "D1", "D2", {"BW2300", "CONNECT N0CALL-1 HF1"}},
        CasoConectar{"KOLTHF", "1200", "", "", {"CONNECT N0CALL-1 HF1"}}, // unknown bandwidth
        CasoConectar{"KOLTSAT", "500", "D1", "", {"CONNECT N0CALL-1 SAT1"}},
        CasoConectar{"KOLTFM", "500", "", "", {"CONNECT N0CALL-1 FM1"}},
        CasoConectar{"KOLTFM", "2300", "D1", "", {"CONNECT N0CALL-1 FM1 VIA D1"}},
        CasoConectar{"KOLTFM", "2300", "D1", "D2", {"CONNECT N0CALL-1 FM1 VIA D1 D2"}},
        CasoConectar{"KOLTFM", "2300", "", "D2", {"CONNECT N0CALL-1 FM1"}}),
    [](const auto& info) { return Nombre(info.param); });

// "WRONG" shows idle but keeps the own call; Stop waits for "DISCONNECTED".
TEST_F(EstacionTest, WrongThenStopWhileConnecting)
{
    link::Estacion& e = Inactiva();
    e.Conectar();
    m_modem.Enviar("WRONG\r");
    ASSERT_TRUE(Esperar([&] { return Control(link::Control::mnuConnect).enabled; }));
    EXPECT_EQ(Indicativos(), "Disconnected");
    EXPECT_FALSE(Control(link::Control::mnuStop).enabled);
    EXPECT_FALSE(e.enlace().llamadaPropia) << "the refused call is over";

    e.Conectar();
    e.Abortar();
    EXPECT_EQ(Indicativos(), "Disconnecting...");
    EXPECT_FALSE(Control(link::Control::mnuStop).enabled);
    ASSERT_TRUE(Lineas({"CONNECT N0CALL-1 N0CALL-2", "CONNECT N0CALL-1 N0CALL-2", "ABORT"}));
    test::Dejar(100);
    EXPECT_EQ(Indicativos(), "Disconnecting...") << "only DISCONNECTED ends it";

    // A CONNECTED that crosses the ABORT marks the link up but keeps Stop off.
    m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_FALSE(Control(link::Control::mnuStop).enabled);
    EXPECT_TRUE(Control(link::Control::cmdEnviar).visible);
    EXPECT_EQ(Indicativos(), "Disconnecting...");

    m_modem.Enviar("disconnected\r");
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }));
    EXPECT_EQ(Indicativos(), "Disconnected");
    EXPECT_TRUE(Control(link::Control::mnuConnect).enabled);
    EXPECT_FALSE(Control(link::Control::cmdEnviar).visible);
    EXPECT_FALSE(e.enlace().llamadaPropia || e.enlace().desconectando);

    // A refused call, then the far station's call: the far station is the caller.
    e.Conectar();
    m_modem.Enviar("WRONG\rCONNECTED N0CALL-2 N0CALL-1\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(e.enlace().Remota(), "N0CALL-2");

    // A modem lost while disconnecting: the next link has its Stop.
    e.Abortar();
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !e.SocketsArriba(); }));
    ASSERT_TRUE(Esperar([&] { return e.SocketsArriba(); }));
    m_modem.Enviar("CONNECTED N0CALL-2 N0CALL-1\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_TRUE(Control(link::Control::mnuStop).enabled);
}

TEST_F(EstacionTest, KeywordsMatchWholeLinesOfAnyCase)
{
    link::Estacion& e = Inactiva();
    EXPECT_EQ(PanelDe(Panel::PTT), (link::EstadoPanel{"RX", "LedVerde", "PTT OFF"}));
    m_modem.Enviar("ptt on\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "TX"; }));
    EXPECT_EQ(PanelDe(Panel::PTT), (link::EstadoPanel{"TX", "LedRojo", "PTT ON"}));
    EXPECT_FALSE(Control(link::Control::mnuCQ).enabled ||
                 Control(link::Control::mnuBroadcast).enabled);
    m_modem.Enviar("PTT OFF\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "RX"; }));
    EXPECT_TRUE(Control(link::Control::mnuCQ).enabled) << "idle: PTT OFF gives CQ back";

    m_modem.Enviar("PTT ON\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "TX"; }));
    e.Conectar(); // Connect disabled: PTT OFF must not give CQ back
    m_modem.Enviar("PTT OFF\rDISCONNECTED \r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "RX"; }));
    test::Dejar(50);
    EXPECT_FALSE(Control(link::Control::mnuCQ).enabled);
    EXPECT_TRUE(e.enlace().llamadaPropia) << "\"DISCONNECTED \" with a blank is not the keyword";

    // A call from elsewhere names the caller as the far station.
    m_modem.Enviar("DISCONNECTED\rCONNECTED EA1AAA N0CALL-1\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_FALSE(e.enlace().llamadaPropia);
    EXPECT_EQ(e.enlace().Remota(), "EA1AAA");
    EXPECT_EQ(Indicativos(), "EA1AAA <-> N0CALL-1");
}

TEST_F(EstacionTest, SecondCopyInTheSameFolderIsRefusedAndSavesNothing)
{
    link::Estacion& e = Arrancar();
    const QString antes = m_e->Ini();
    test::OperadorGuion otro;
    link::Estacion::Entorno entorno = e.entorno();
    entorno.operador = &otro;
    link::Estacion segunda(entorno);
    EXPECT_EQ(segunda.Iniciar(), link::Estacion::Arranque::OtraCopia);
    ASSERT_EQ(otro.avisos.size(), 1u);
    EXPECT_EQ(otro.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(otro.avisos[0].texto,
              "Error: Another copy of KOLT Chat is running from this folder. Only one copy can be "
              "run at a time from the same folder");
    EXPECT_EQ(m_e->Ini(), antes);
}

// Font size, colour and every key written: tests/ui and tests/config.
TEST_F(EstacionTest, CloseSavesTheWindowAndStopsReconnecting)
{
    link::Estacion& e = Arrancar();
    ASSERT_TRUE(Esperar([&] { return e.SocketsArriba(); }));
    e.Cerrar({100, 200, 9000, 7000, 0});
    const int antes = m_modem.conexiones;
    test::Dejar(1500);
    EXPECT_EQ(m_modem.conexiones, antes) << "no reconnection after close";
    EXPECT_TRUE(m_e->Ini().contains("Top Position=100\r\nLeft Position=200\r\n"
                                    "Terminal Width=9000\r\nTerminal Height=7000\r\n"));
}

TEST_F(EstacionTest, MissingModemProgramIsReportedAndStartUpGoesOn)
{
    const QString ruta = QStringLiteral("/nonexistent/no-such-modem");
    link::Estacion& e = Arrancar(QStringLiteral("AutoLaunch=1\r\nKOLT HF Path=%1\r\n").arg(ruta));
    ASSERT_EQ(m_e->operador.avisos.size(), 1u);
    EXPECT_EQ(m_e->operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_e->operador.avisos[0].texto, ruta + " file not found");
    EXPECT_TRUE(Esperar([&] { return e.SocketsArriba(); }));
}

} // namespace
