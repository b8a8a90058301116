// A story against the stand-in modem on loopback: the station calls its
// robot through two digipeaters (the panels and controls of each state),
// ends the link, then calls an absent station. The modem restarting is told against a bare modem
// (EstacionTest), which sees the exact commands sent again.

#include "link/Estacion.h"

#include "EstacionDePrueba.h"
#include "QtImprimir.h"
#include "Simulator.h"

#include <gtest/gtest.h>

using namespace kolt;
using model::Control;
using model::Panel;
using test::Esperar;

namespace {

TEST(HistoriaModem, CallTheRobotThroughDigipeatersStopThenCallAnAbsentStation)
{
    modemsim::Options o;
    o.stations.append({"N0CALL-1", {0, false, 0}});
    o.robots << "N0CALL-2";
    o.air.airRate = 0;
    o.air.setupMs = 30;
    o.robot.replyDelayMs = 0;
    modemsim::Simulator modem(o);
    QString error;
    ASSERT_TRUE(modem.start(&error)) << error.toStdString();
    test::EstacionDePrueba estacion("KOLT Mode=KOLTFM\r\nVia1=EA1DIG\r\nVia2=EA2DIG-3\r\n",
                                    modem.station("N0CALL-1")->commandPort());
    link::Estacion& e = *estacion;
    const auto indicativos = [&] { return e.modelo().panel(Panel::Indicativos); };
    ASSERT_TRUE(
        Esperar([&] { return e.SocketsArriba() && estacion.Habilitado(Control::mnuConnect); }));

    e.Conectar();
    EXPECT_EQ(indicativos().texto, "Connecting with N0CALL-2 ...");
    EXPECT_TRUE(estacion.Habilitado(Control::mnuStop));
    for (auto item :
         {Control::mnuConnect, Control::mnuCQ, Control::mnuBroadcast, Control::mnuSendFile})
        EXPECT_FALSE(estacion.Habilitado(item)) << model::NombreControl(item).toStdString();
    EXPECT_FALSE(e.modelo().control(Control::cmdEnviar).visible);

    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(indicativos(), (model::EstadoPanel{"N0CALL-1 <-> EA1DIG <-> EA2DIG-3 <-> N0CALL-2",
                                                "Connected", "Modem Connected"}));
    EXPECT_EQ(e.enlace().Remota(), "N0CALL-2");
    EXPECT_TRUE(e.modelo().control(Control::cmdEnviar).visible);
    EXPECT_TRUE(estacion.Habilitado(Control::mnuStop) && estacion.Habilitado(Control::mnuSendFile));
    EXPECT_FALSE(estacion.Habilitado(Control::mnuConnect) || estacion.Habilitado(Control::mnuCQ));
    // The robot's greeting may come first: it travels on the other socket.
    EXPECT_TRUE(estacion.Pantalla().join("|").contains(
        "|          ******* N0CALL-1 <-> EA1DIG <-> EA2DIG-3 <-> N0CALL-2 *******  hh:mm:ss|"))
        << estacion.Pantalla().join("|").toStdString();

    e.Abortar();
    EXPECT_EQ(indicativos().texto, "Disconnecting...");
    ASSERT_TRUE(
        Esperar([&] { return !e.enlace().enlazado && estacion.Habilitado(Control::mnuConnect); }));
    EXPECT_EQ(indicativos().texto, "Disconnected");
    EXPECT_FALSE(estacion.Habilitado(Control::mnuStop));
    EXPECT_FALSE(e.modelo().control(Control::cmdEnviar).visible);

    e.config().connectWithFM = QStringLiteral("NOBODY");
    e.Conectar();
    EXPECT_EQ(indicativos().texto, "Connecting with NOBODY ...");
    ASSERT_TRUE(Esperar([&] { return estacion.Habilitado(Control::mnuConnect); }));
    EXPECT_EQ(indicativos().texto, "Disconnected");
}

} // namespace
