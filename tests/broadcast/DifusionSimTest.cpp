// CQ calls and broadcasts end to end: two stations of ours on one simulated
// radio channel (the stand-in modem, in-process), and the menu items that
// the modem's "PTT OFF" gives back. Which frames each mode shows is the
// table of MensajesTest.cpp; the robot's answer to a CQ, tests/modemsim.

#include "broadcast/EnlaceKISS.h"
#include "keying/PttController.h"

#include "EstacionDePrueba.h"
#include "QtImprimir.h"
#include "Simulator.h"

#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;

namespace {

class DifusionSim : public ::testing::Test {
protected:
    void Simular(int setupMs = 0)
    {
        modemsim::Options o;
        for (const char* call : {"N0CALL-1", "N0CALL-3"})
            o.stations.append({call, {0, true, 0}});
        o.air.airRate = 0;
        o.air.setupMs = setupMs;
        m_sim = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    // Our station on the simulator's station `call`, idle; its KISS link up
    // unless given a `kiss` port of its own.
    std::unique_ptr<EstacionDePrueba> Estacion(const QString& call, const QString& setup,
                                               quint16 kiss = 0)
    {
        modemsim::PortStation* s = m_sim->station(call);
        auto e = std::make_unique<EstacionDePrueba>(setup, s->commandPort(),
                                                    kiss ? kiss : s->kissPort());
        EXPECT_TRUE(e->listo);
        EXPECT_TRUE(Esperar([&] {
            return (*e)->SocketsArriba() && e->Habilitado(link::Control::mnuConnect) &&
                   (kiss || (*e)->kiss().Conectado());
        }));
        return e;
    }

    std::unique_ptr<modemsim::Simulator> m_sim;
};

TEST_F(DifusionSim, CqAndBroadcastReachTheOtherStation)
{
    struct Caso {
        const char* ajustesA; // the sender
        const char* ajustesB; // the listener
        QStringList enviadas, oidas;
    };
    const Caso casos[] = {
        {"KOLTHF BW=500\r\n",
         "",
         {"> CQ de N0CALL-1 on 500          hh:mm:ss", "> ALL: N0CALL-1 hello all  hh:mm:ss"},
         {"< CQ de N0CALL-1 on 500      hh:mm:ss", "< ALL: N0CALL-1 hello all  hh:mm:ss"}},
        // Seven-character calls (command byte 0x01) and digipeaters that
        // have not repeated anything: the CQ shows none, the broadcast both.
        {"KOLT Mode=KOLTFM\r\nMy Callsign=ABCDEFG-2\r\nVia1=WIDE1-1\r\nVia2=WIDE2-2\r\n",
         "KOLT Mode=KOLTFM\r\n",
         {"> CQ de ABCDEFG-2 VIA WIDE1-1 WIDE2-2            hh:mm:ss",
          "> ALL: ABCDEFG-2 VIA WIDE1-1 WIDE2-2 hello all  hh:mm:ss"},
         {"< CQ de ABCDEFG-2        hh:mm:ss",
          "< ALL: ABCDEFG-2 VIA WIDE1-1 WIDE2-2 hello all  hh:mm:ss"}}};
    Simular();
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.ajustesA);
        auto a = Estacion("N0CALL-1", QString::fromLatin1(c.ajustesA));
        auto b = Estacion("N0CALL-3", QString::fromLatin1(c.ajustesB));
        (*a)->kiss().AccionCQ();
        EXPECT_FALSE(a->Habilitado(link::Control::mnuCQ) ||
                     a->Habilitado(link::Control::mnuBroadcast));
        ASSERT_TRUE(Esperar([&] {
            return a->Habilitado(link::Control::mnuCQ) &&
                   a->Habilitado(link::Control::mnuBroadcast);
        })) << "the modem's PTT OFF gives both back";
        ASSERT_TRUE((*a)->kiss().EnviarBroadcast(QStringLiteral("hello all")));
        ASSERT_TRUE(Esperar([&] { return b->Pantalla().size() >= 2; }));
        test::Dejar(100);
        EXPECT_EQ(b->Pantalla(), c.oidas);
        EXPECT_EQ(a->Pantalla(), c.enviadas);
        EXPECT_TRUE(a->operador.avisos.empty());
    }
}

TEST_F(DifusionSim, PttOffGivesTheItemsBackOnlyWhileNoConnectionIsUnderWay)
{
    Simular(800);
    auto a = Estacion("N0CALL-1", "Connect With HF=N0CALL-3\r\n");
    auto b = Estacion("N0CALL-3", "");
    int pttOff = 0;
    bool antes = false;
    QObject::connect(&(*a)->modelo(), &link::ModeloVentana::panelesCambiados, [&] {
        const bool ahora = (*a)->ptt().Transmitiendo();
        if (antes && !ahora) ++pttOff;
        antes = ahora;
    });

    // A CQ, and a call placed before the modem has sent it.
    (*a)->kiss().AccionCQ();
    (*a)->Conectar();
    ASSERT_TRUE(Esperar([&] { return pttOff == 1 && !b->Pantalla().isEmpty(); }));
    EXPECT_FALSE(a->Habilitado(link::Control::mnuCQ));
    EXPECT_FALSE(a->Habilitado(link::Control::mnuBroadcast));
    ASSERT_TRUE(Esperar([&] { return (*a)->enlace().enlazado; }));
    EXPECT_FALSE(a->Habilitado(link::Control::mnuCQ));

    // A broadcast while linked is refused.
    ASSERT_FALSE((*a)->kiss().EnviarBroadcast(QStringLiteral("too soon")));
    ASSERT_EQ(a->operador.avisos.size(), 1u);
    EXPECT_EQ(a->operador.avisos[0].texto, broadcast::kConexionEnCurso);

    // Back to idle: the link's end gives them back.
    (*a)->Abortar();
    ASSERT_TRUE(
        Esperar([&] { return !(*a)->enlace().enlazado && a->Habilitado(link::Control::mnuCQ); }));
    EXPECT_TRUE(a->Habilitado(link::Control::mnuBroadcast));
    ASSERT_TRUE((*a)->kiss().EnviarBroadcast(QStringLiteral("now")));
    EXPECT_FALSE(a->Habilitado(link::Control::mnuCQ));
    ASSERT_TRUE(Esperar([&] { return a->Habilitado(link::Control::mnuCQ) && pttOff == 2; }));
    EXPECT_TRUE(a->Habilitado(link::Control::mnuBroadcast));
    // The listener was linked meanwhile: its screen holds the link's banner too.
    EXPECT_TRUE(
        Esperar([&] { return b->Pantalla().constLast() == "< ALL: N0CALL-1 now  hh:mm:ss"; }));
}

TEST_F(DifusionSim, BroadcastRefusedWithTheKissPortDownOrWhileAConnectionIsBeingMade)
{
    Simular(1500);
    auto a = Estacion("N0CALL-1", "Connect With HF=N0CALL-3\r\n");
    auto b = Estacion("N0CALL-3", "", test::PuertoLibre());
    EXPECT_FALSE((*b)->kiss().EnviarBroadcast(QStringLiteral("hello")));
    ASSERT_EQ(b->operador.avisos.size(), 1u);
    EXPECT_EQ(b->operador.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(b->operador.avisos[0].texto, "The KISS TCP port is not connected with KOLT TNC");
    EXPECT_TRUE(b->Habilitado(link::Control::mnuCQ) && b->Habilitado(link::Control::mnuBroadcast))
        << "a refused broadcast changes nothing";

    (*a)->Conectar();
    EXPECT_FALSE((*a)->kiss().EnviarBroadcast(QStringLiteral("hello")));
    ASSERT_EQ(a->operador.avisos.size(), 1u);
    EXPECT_EQ(a->operador.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(a->operador.avisos[0].texto, "Not while a connection is in progress");
    test::Dejar(200);
    EXPECT_TRUE(a->Pantalla().isEmpty());
    EXPECT_TRUE(b->Pantalla().isEmpty());
}

} // namespace
