// CQ calls and broadcasts end to end: two stations of ours on one simulated
// radio channel (the stand-in modem, in-process), its robot, and the menu
// items that the modem's "PTT OFF" gives back.

#include "broadcast/EnlaceKISS.h"
#include "keying/PttController.h"

#include "EstacionKISS.h"
#include "QtImprimir.h"
#include "Simulator.h"

#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;
using test::LineasSinHora;

namespace {

class DifusionSim : public ::testing::Test {
protected:
    void Simular(int setupMs = 0, bool robot = false)
    {
        modemsim::Options o;
        for (const char* call : {"N0CALL-1", "N0CALL-3"})
            o.stations.append({call, {0, true, 0}});
        if (robot) o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 0;
        o.air.airRate = 0;
        o.air.setupMs = setupMs;
        m_sim = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    // Our station on the simulator's station `call`, idle and with its KISS link up.
    std::unique_ptr<EstacionDePrueba> Estacion(const QString& call, const QString& setup,
                                               quint16 kiss = 0)
    {
        modemsim::PortStation* s = m_sim->station(call);
        auto e = std::make_unique<EstacionDePrueba>(setup, s->commandPort(),
                                                    kiss ? kiss : s->kissPort());
        EXPECT_TRUE(e->listo);
        EXPECT_TRUE(Esperar([&] {
            return (*e)->SocketsArriba() && e->Habilitado("mnuConnect") &&
                   (kiss || (*e)->kiss().Conectado());
        }));
        return e;
    }

    static QStringList Pantalla(EstacionDePrueba& e)
    {
        return LineasSinHora(e->modelo().textoRecepcion());
    }

    std::unique_ptr<modemsim::Simulator> m_sim;
};

// ---- both kinds of message, in every mode --------------------------------

struct CasoModo {
    const char* nombre;
    const char* ajustesA; // the sender
    const char* ajustesB; // the listener
    const char* cqEnviado;
    const char* cqOido; // empty: not shown
    const char* broadcastEnviado;
    const char* broadcastOido;
};

class DifusionPorModo : public DifusionSim, public ::testing::WithParamInterface<CasoModo> {};

TEST_P(DifusionPorModo, CqAndBroadcastReachTheOtherStation)
{
    const CasoModo& c = GetParam();
    Simular();
    auto a = Estacion("N0CALL-1", QString::fromLatin1(c.ajustesA));
    auto b = Estacion("N0CALL-3", QString::fromLatin1(c.ajustesB));

    (*a)->kiss().AccionCQ();
    EXPECT_FALSE(a->Habilitado("mnuCQ"));
    EXPECT_FALSE(a->Habilitado("mnuBroadcast"));
    ASSERT_TRUE(Esperar([&] { return a->Habilitado("mnuCQ") && a->Habilitado("mnuBroadcast"); }))
        << "the modem's PTT OFF gives both back";
    ASSERT_TRUE((*a)->kiss().EnviarBroadcast(QStringLiteral("hello all")));

    QStringList oidas;
    if (*c.cqOido) oidas << QString::fromLatin1(c.cqOido);
    oidas << QString::fromLatin1(c.broadcastOido);
    ASSERT_TRUE(Esperar([&] { return Pantalla(*b).size() >= oidas.size(); }));
    test::Dejar(100);
    EXPECT_EQ(Pantalla(*b), oidas);
    EXPECT_EQ(Pantalla(*a), QStringList({QString::fromLatin1(c.cqEnviado),
                                         QString::fromLatin1(c.broadcastEnviado)}));
    EXPECT_TRUE(a->operador.avisos.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modos, DifusionPorModo,
    ::testing::Values(
        CasoModo{"hf", "KOLTHF BW=500\r\n", "", "> CQ de N0CALL-1 on 500          hh:mm:ss",
                 "< CQ de N0CALL-1 on 500      hh:mm:ss", "> ALL: N0CALL-1 hello all  hh:mm:ss",
                 "< ALL: N0CALL-1 hello all  hh:mm:ss"},
        CasoModo{"sat", "KOLT Mode=KOLTSAT\r\n", "KOLT Mode=KOLTSAT\r\n",
                 "> CQ de N0CALL-1             hh:mm:ss", "< CQ de N0CALL-1         hh:mm:ss",
                 "> ALL: N0CALL-1 hello all  hh:mm:ss", "< ALL: N0CALL-1 hello all  hh:mm:ss"},
        // A CQ in HF carries a bandwidth that a SAT station does not look at.
        CasoModo{"hf_heard_in_sat", "", "KOLT Mode=KOLTSAT\r\n",
                 "> CQ de N0CALL-1 on 2300         hh:mm:ss", "< CQ de N0CALL-1         hh:mm:ss",
                 "> ALL: N0CALL-1 hello all  hh:mm:ss", "< ALL: N0CALL-1 hello all  hh:mm:ss"},
        // Seven-character calls (command byte 0x01) and digipeaters that
        // have not repeated anything: the CQ shows none, the broadcast both.
        CasoModo{"fm_seven_characters",
                 "KOLT Mode=KOLTFM\r\nMy Callsign=ABCDEFG-2\r\nVia1=WIDE1-1\r\nVia2=WIDE2-2\r\n",
                 "KOLT Mode=KOLTFM\r\n",
                 "> CQ de ABCDEFG-2 VIA WIDE1-1 WIDE2-2            hh:mm:ss",
                 "< CQ de ABCDEFG-2        hh:mm:ss",
                 "> ALL: ABCDEFG-2 VIA WIDE1-1 WIDE2-2 hello all  hh:mm:ss",
                 "< ALL: ABCDEFG-2 VIA WIDE1-1 WIDE2-2 hello all  hh:mm:ss"},
        // An HF station shows no CQ without a bandwidth code.
        CasoModo{"sat_heard_in_hf", "KOLT Mode=KOLTSAT\r\n", "",
                 "> CQ de N0CALL-1             hh:mm:ss", "", "> ALL: N0CALL-1 hello all  hh:mm:ss",
                 "< ALL: N0CALL-1 hello all  hh:mm:ss"}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---- the menu items and the refusals ---------------------------------------

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
    ASSERT_TRUE(Esperar([&] { return pttOff == 1 && !Pantalla(*b).isEmpty(); }));
    EXPECT_FALSE(a->Habilitado("mnuCQ"));
    EXPECT_FALSE(a->Habilitado("mnuBroadcast"));
    ASSERT_TRUE(Esperar([&] { return (*a)->enlace().enlazado; }));
    EXPECT_FALSE(a->Habilitado("mnuCQ"));

    // A broadcast while linked is refused.
    ASSERT_FALSE((*a)->kiss().EnviarBroadcast(QStringLiteral("too soon")));
    ASSERT_EQ(a->operador.avisos.size(), 1u);
    EXPECT_EQ(a->operador.avisos[0].texto, broadcast::kConexionEnCurso);

    // Back to idle: the link's end gives them back.
    (*a)->Abortar();
    ASSERT_TRUE(Esperar([&] { return !(*a)->enlace().enlazado && a->Habilitado("mnuCQ"); }));
    EXPECT_TRUE(a->Habilitado("mnuBroadcast"));
    ASSERT_TRUE((*a)->kiss().EnviarBroadcast(QStringLiteral("now")));
    EXPECT_FALSE(a->Habilitado("mnuCQ"));
    ASSERT_TRUE(Esperar([&] { return a->Habilitado("mnuCQ") && pttOff == 2; }));
    EXPECT_TRUE(a->Habilitado("mnuBroadcast"));
    // The listener was linked meanwhile: its screen holds the link's banner too.
    EXPECT_TRUE(
        Esperar([&] { return Pantalla(*b).constLast() == "< ALL: N0CALL-1 now  hh:mm:ss"; }));
}

TEST_F(DifusionSim, BroadcastRefusedWhileAConnectionIsBeingMade)
{
    Simular(1500);
    auto a = Estacion("N0CALL-1", "Connect With HF=N0CALL-3\r\n");
    auto b = Estacion("N0CALL-3", "");
    (*a)->Conectar();
    EXPECT_FALSE((*a)->kiss().EnviarBroadcast(QStringLiteral("hello")));
    ASSERT_EQ(a->operador.avisos.size(), 1u);
    EXPECT_EQ(a->operador.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(a->operador.avisos[0].texto, "Not while a connection is in progress");
    test::Dejar(200);
    EXPECT_TRUE((*a)->modelo().textoRecepcion().isEmpty());
    EXPECT_TRUE((*b)->modelo().textoRecepcion().isEmpty());
}

TEST_F(DifusionSim, BroadcastRefusedWhenTheKissPortIsDown)
{
    Simular();
    quint16 libre = 0;
    {
        QTcpServer s;
        ASSERT_TRUE(s.listen(QHostAddress::LocalHost, 0));
        libre = s.serverPort();
    }
    auto a = Estacion("N0CALL-1", "", libre);
    auto b = Estacion("N0CALL-3", "");
    EXPECT_FALSE((*a)->kiss().EnviarBroadcast(QStringLiteral("hello")));
    ASSERT_EQ(a->operador.avisos.size(), 1u);
    EXPECT_EQ(a->operador.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(a->operador.avisos[0].texto, "The KISS TCP port is not connected with KOLT TNC");
    EXPECT_TRUE(a->Habilitado("mnuCQ")) << "a refused broadcast changes nothing";
    EXPECT_TRUE(a->Habilitado("mnuBroadcast"));
    test::Dejar(200);
    EXPECT_TRUE((*a)->modelo().textoRecepcion().isEmpty());
    EXPECT_TRUE((*b)->modelo().textoRecepcion().isEmpty());
}

// ---- the stand-in modem's robot ----------------------------------------------

TEST_F(DifusionSim, TheRobotAnswersOurCqWithABroadcast)
{
    Simular(0, true);
    for (const char* ajustes :
         {"", "KOLT Mode=KOLTFM\r\nMy Callsign=ABCDEFG-2\r\nVia1=WIDE1\r\n"}) {
        auto a = Estacion("N0CALL-1", QString::fromLatin1(ajustes));
        const QString yo = (*a)->config().myCallsign;
        (*a)->kiss().AccionCQ();
        ASSERT_TRUE(Esperar([&] { return Pantalla(*a).size() == 2; })) << ajustes;
        EXPECT_EQ(Pantalla(*a).constLast(),
                  "< ALL: N0CALL-2 Hello " + yo +
                      ", this is N0CALL-2, a simulated station. Call me for a chat.  hh:mm:ss");
    }
}

} // namespace
