// The station against a bare modem on loopback: start-up commands, the
// link states with their panels and controls, reconnection and close.

#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::Panel;
using test::Esperar;

namespace {

class EstacionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_NE(m_modem.puerto(), 0);
    }

    // Writes the settings the station will load: our modem's port, no
    // modem program to launch, plus whatever the test adds.
    void Ajustes(const QString& setupExtra = {})
    {
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QString p = QString::number(m_modem.puerto());
        // The test's own keys come first: the first of two equal keys wins.
        f.write(
            QStringLiteral("[Setup]\r\n%2HF TCP Port=%1\r\nFM TCP Port=%1\r\nSAT TCP Port=%1\r\n"
                           "AutoLaunch=0\r\nSave Log=0\r\n")
                .arg(p, setupExtra)
                .toLatin1());
    }

    link::Estacion& Arrancar(int intervaloMs = 5000)
    {
        link::Estacion::Entorno e;
        e.carpetaPrograma = m_dir.path();
        e.carpetaAjustes = m_dir.path();
        e.escritorio = m_dir.path();
        e.operador = &m_operador;
        e.intervaloComprobacionMs = intervaloMs;
        m_estacion = std::make_unique<link::Estacion>(e);
        EXPECT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        return *m_estacion;
    }

    bool Lineas(const QStringList& esperadas)
    {
        return Esperar([&] { return m_modem.lineas() == esperadas; });
    }

    link::EstadoControl Control(const char* nombre) { return m_estacion->modelo().control(nombre); }
    link::EstadoPanel PanelDe(Panel p) { return m_estacion->modelo().panel(p); }

    // Brings the station to idle with the start-up commands seen and forgotten.
    void Inactiva(int intervaloMs = 5000)
    {
        Arrancar(intervaloMs);
        ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::TCP).imagen == "LedVerde"; }));
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        test::Dejar(20);
        m_modem.Olvidar();
    }

    void Modem(const char* lineas) { m_modem.Enviar(lineas); }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
};

TEST_F(EstacionTest, StartUpCommandsOnceBothSocketsAreUp)
{
    Ajustes();
    link::Estacion& e = Arrancar();
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedRojo");
    EXPECT_EQ(PanelDe(Panel::TCP).tooltip, "TCP link disconnected");
    EXPECT_EQ(e.modelo().titulo(), "KOLT Chat v1.4.1      N0CALL-1");

    ASSERT_TRUE(Lineas({"MYCALL N0CALL-1", "CHAT ON", "BW2300"}));
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedVerde");
    EXPECT_EQ(PanelDe(Panel::TCP).tooltip, "TCP link disconnected")
        << "green never changes the tooltip";
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnected");
    EXPECT_EQ(PanelDe(Panel::Indicativos).tooltip, "Modem Disconnected");
    EXPECT_TRUE(Control("mnuConnect").enabled);
    EXPECT_TRUE(Control("mnuCQ").enabled);
    EXPECT_FALSE(Control("mnuStop").enabled);
    EXPECT_FALSE(Control("cmdEnviar").visible);
    EXPECT_TRUE(m_operador.avisos.empty());
}

TEST_F(EstacionTest, BandwidthOnlyInHfAndOnlyKnownValues)
{
    Ajustes("KOLT Mode=KOLTFM\r\n");
    Arrancar();
    ASSERT_TRUE(Lineas({"MYCALL N0CALL-1", "CHAT ON"}));
    test::Dejar(200);
    EXPECT_EQ(m_modem.lineas(), QStringList({"MYCALL N0CALL-1", "CHAT ON"}));
}

TEST_F(EstacionTest, ModemRestartTurnsLampRedThenGreenAndResendsCommands)
{
    Ajustes("My Callsign=ea4xyz-7\r\nKOLTHF BW=500\r\n");
    link::Estacion& e = Arrancar();
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));

    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::TCP).imagen == "LedRojo"; }, 1000));
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnected");
    ASSERT_TRUE(m_modem.Reabrir());
    // Retried within about a second of the modem listening again.
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));
    EXPECT_TRUE(e.SocketsArriba());
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedVerde");
}

TEST_F(EstacionTest, RefusedConnectionsAreNotRetriedInABusyLoop)
{
    Ajustes();
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
    test::Dejar(3000);
    // Once a second at most, plus the first attempt: never hundreds.
    EXPECT_GE(aceptadas, 2);
    EXPECT_LE(aceptadas, 5);
}

struct CasoConectar {
    const char* modo;
    const char* via1;
    const char* via2;
    const char* comando;
};

class Conectar : public EstacionTest, public ::testing::WithParamInterface<CasoConectar> {};

TEST_P(Conectar, CommandPerModeAndDigipeaters)
{
    const CasoConectar& c = GetParam();
    Ajustes(QStringLiteral("KOLT Mode=%1\r\nConnect With HF=HF1\r\nConnect With FM=FM1\r\n"
                           "Connect With SAT=SAT1\r\nVia1=%2\r\nVia2=%3\r\n")
                .arg(c.modo, c.via1, c.via2));
    Inactiva();
    m_estacion->Conectar();
    ASSERT_TRUE(Esperar([&] { return !m_modem.lineas().isEmpty(); }));
    EXPECT_EQ(m_modem.lineas(), QStringList{c.comando});
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conectar,
    ::testing::Values(CasoConectar{"KOLTHF", "D1", "D2", "CONNECT N0CALL-1 HF1"},
                      CasoConectar{"KOLTSAT", "D1", "", "CONNECT N0CALL-1 SAT1"},
                      CasoConectar{"KOLTFM", "", "", "CONNECT N0CALL-1 FM1"},
                      CasoConectar{"KOLTFM", "D1", "", "CONNECT N0CALL-1 FM1 VIA D1"},
                      CasoConectar{"KOLTFM", "D1", "D2", "CONNECT N0CALL-1 FM1 VIA D1 D2"},
                      CasoConectar{"KOLTFM", "", "D2", "CONNECT N0CALL-1 FM1"}));

TEST_F(EstacionTest, IdleConnectingLinkedDisconnectingIdle)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = m_estacion.operator*();

    e.Conectar();
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Connecting with N0CALL-2 ...");
    EXPECT_EQ(PanelDe(Panel::Indicativos).imagen, "");
    EXPECT_TRUE(Control("mnuStop").enabled);
    for (const char* item : {"mnuConnect", "mnuCQ", "mnuBroadcast", "mnuSendFile"})
        EXPECT_FALSE(Control(item).enabled) << item;
    EXPECT_FALSE(Control("cmdEnviar").visible);

    Modem("CONNECTED N0CALL-1 N0CALL-2 VIA N0CALL-3 N0CALL-4\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(PanelDe(Panel::Indicativos),
              (link::EstadoPanel{"N0CALL-1 <-> N0CALL-3 <-> N0CALL-4 <-> N0CALL-2", "Connected",
                                 "Modem Connected"}));
    EXPECT_EQ(e.enlace().Remota(), "N0CALL-2");
    EXPECT_TRUE(Control("mnuStop").enabled);
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_TRUE(Control("mnuSendFile").enabled);
    for (const char* item : {"mnuConnect", "mnuCQ", "mnuBroadcast"})
        EXPECT_FALSE(Control(item).enabled);
    const QString banner = e.modelo().textoRecepcion();
    ASSERT_EQ(banner.size(), 2 + 10 + 8 + 47 + 10 + 8 + 4);
    EXPECT_TRUE(banner.startsWith(
        "\r\n          ******* N0CALL-1 <-> N0CALL-3 <-> N0CALL-4 <-> N0CALL-2 *******  "));
    EXPECT_TRUE(banner.endsWith("\r\n\r\n"));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")
                    .match(banner.mid(banner.size() - 12, 8))
                    .hasMatch());
}

TEST_F(EstacionTest, StopWhileConnectingWaitsForDisconnected)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = *m_estacion;
    e.Conectar();
    e.Abortar();
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnecting...");
    EXPECT_FALSE(Control("mnuStop").enabled);
    ASSERT_TRUE(Lineas({"CONNECT N0CALL-1 N0CALL-2", "ABORT"}));
    test::Dejar(100);
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnecting...") << "only DISCONNECTED ends it";

    // A CONNECTED that crosses the ABORT marks the link up but keeps Stop off.
    Modem("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_FALSE(Control("mnuStop").enabled);
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnecting...");

    Modem("disconnected\r");
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }));
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnected");
    EXPECT_TRUE(Control("mnuConnect").enabled);
    EXPECT_FALSE(Control("cmdEnviar").visible);
    EXPECT_FALSE(e.enlace().llamadaPropia);
    EXPECT_FALSE(e.enlace().desconectando);
}

TEST_F(EstacionTest, WrongWhileConnectingShowsIdleButKeepsOwnCall)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = *m_estacion;
    e.Conectar();
    Modem("WRONG\r");
    ASSERT_TRUE(Esperar([&] { return Control("mnuConnect").enabled; }));
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnected");
    EXPECT_FALSE(Control("mnuStop").enabled);
    EXPECT_TRUE(e.enlace().llamadaPropia);
}

TEST_F(EstacionTest, IncomingCallNamesTheCallerAsRemote)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = *m_estacion;
    Modem("CONNECTED EA1AAA N0CALL-1\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_FALSE(e.enlace().llamadaPropia);
    EXPECT_EQ(e.enlace().Remota(), "EA1AAA");
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "EA1AAA <-> N0CALL-1");
}

TEST_F(EstacionTest, KeywordsMatchWholeLinesOfAnyCase)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = *m_estacion;
    EXPECT_EQ(PanelDe(Panel::PTT), (link::EstadoPanel{"RX", "LedVerde", "PTT OFF"}));
    Modem("ptt on\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "TX"; }));
    EXPECT_EQ(PanelDe(Panel::PTT), (link::EstadoPanel{"TX", "LedRojo", "PTT ON"}));
    EXPECT_FALSE(Control("mnuCQ").enabled);
    EXPECT_FALSE(Control("mnuBroadcast").enabled);
    Modem("PTT OFF\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "RX"; }));
    EXPECT_TRUE(Control("mnuCQ").enabled) << "idle: PTT OFF gives CQ back";

    Modem("PTT ON\r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "TX"; }));
    e.Conectar(); // Connect disabled: PTT OFF must not give CQ back
    Modem("PTT OFF\rDISCONNECTED \r");
    ASSERT_TRUE(Esperar([&] { return PanelDe(Panel::PTT).texto == "RX"; }));
    test::Dejar(50);
    EXPECT_FALSE(Control("mnuCQ").enabled);
    EXPECT_TRUE(e.enlace().llamadaPropia) << "\"DISCONNECTED \" with a blank is not the keyword";
}

TEST_F(EstacionTest, SocketLostWhileLinkedDropsTheLinkAtOnce)
{
    Ajustes();
    Inactiva();
    link::Estacion& e = *m_estacion;
    Modem("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }, 300))
        << "within one event, no retry wait";
    EXPECT_EQ(PanelDe(Panel::Indicativos).texto, "Disconnected");
    EXPECT_FALSE(Control("cmdEnviar").visible);
    EXPECT_FALSE(Control("mnuConnect").enabled) << "left as linked until the sockets are back";
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedRojo");
}

TEST_F(EstacionTest, SecondCopyInTheSameFolderIsRefused)
{
    Ajustes();
    Arrancar();
    test::OperadorGuion otro;
    link::Estacion::Entorno e = m_estacion->entorno();
    e.operador = &otro;
    const QByteArray antes = [&] {
        QFile f(m_estacion->RutaAjustes());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    link::Estacion segunda(e);
    EXPECT_EQ(segunda.Iniciar(), link::Estacion::Arranque::OtraCopia);
    ASSERT_EQ(otro.avisos.size(), 1u);
    EXPECT_EQ(otro.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(otro.avisos[0].texto,
              "Error: Another copy of KOLT Chat is running from this folder. Only one copy can be "
              "run at a time from the same folder");
    QFile f(m_estacion->RutaAjustes());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), antes) << "the refused copy saves nothing";
}

TEST_F(EstacionTest, CloseSavesEveryKeyWithTheWindowAndStopsReconnecting)
{
    Ajustes("Font Size=16\r\nColour=White\r\n");
    link::Estacion& e = Arrancar();
    EXPECT_TRUE(e.modelo().control("mnuSize16").checked);
    EXPECT_TRUE(e.modelo().control("mnuColorBlanco").checked);
    EXPECT_EQ(e.modelo().fondo(), 0xFFFFFFu);
    ASSERT_TRUE(Esperar([&] { return e.SocketsArriba(); }));

    e.Cerrar({100, 200, 9000, 7000, 0});
    const int antes = m_modem.conexiones;
    test::Dejar(1500);
    EXPECT_EQ(m_modem.conexiones, antes) << "no reconnection after close";

    QFile f(e.RutaAjustes());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString ini = QString::fromLatin1(f.readAll());
    EXPECT_TRUE(ini.contains("Top Position=100\r\n"));
    EXPECT_TRUE(ini.contains("Left Position=200\r\n"));
    EXPECT_TRUE(ini.contains("Terminal Width=9000\r\n"));
    EXPECT_TRUE(ini.contains("Font Size=16\r\n"));
    EXPECT_TRUE(ini.contains("Colour=White\r\n"));
    EXPECT_EQ(ini.count(QRegularExpression("^[^\\[;\\r\\n][^=\\r\\n]*=",
                                           QRegularExpression::MultilineOption)),
              116);
}

TEST_F(EstacionTest, MissingModemProgramIsReportedAndStartUpGoesOn)
{
    const QString ruta = QDir(m_dir.path()).filePath("no-such-modem");
    Ajustes(QStringLiteral("AutoLaunch=1\r\nKOLT HF Path=%1\r\n").arg(ruta));
    link::Estacion& e = Arrancar();
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, ruta + " file not found");
    EXPECT_TRUE(Esperar([&] { return e.SocketsArriba(); }));
}

} // namespace
