// Stories against the stand-in modem on loopback: the station calls its
// robot, ends the link, calls an absent station, goes through digipeaters,
// and survives the modem restarting.

#include "link/Estacion.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"
#include "Simulator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::Panel;
using test::Esperar;

namespace {

class HistoriaModem : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ArrancarModem(0);
    }

    void ArrancarModem(quint16 puerto)
    {
        modemsim::Options o;
        o.stations.append({"N0CALL-1", {puerto, false, 0}});
        o.robots << "N0CALL-2";
        o.air.airRate = 0;
        o.air.setupMs = 30;
        o.robot.replyDelayMs = 0;
        m_modem = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_modem->start(&error)) << error.toStdString();
        m_puerto = m_modem->station("N0CALL-1")->commandPort();
    }

    link::Estacion& Arrancar(const QString& extra = {})
    {
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral(
                "[Setup]\r\n%2HF TCP Port=%1\r\nFM TCP Port=%1\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                .arg(m_puerto)
                .arg(extra)
                .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        EXPECT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        EXPECT_TRUE(Esperar([&] { return Panel_(Panel::TCP).imagen == "LedVerde"; }));
        return *m_estacion;
    }

    link::EstadoPanel Panel_(Panel p) { return m_estacion->modelo().panel(p); }
    bool Habilitado(const char* item) { return m_estacion->modelo().control(item).enabled; }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    std::unique_ptr<modemsim::Simulator> m_modem;
    quint16 m_puerto = 0;
    std::unique_ptr<link::Estacion> m_estacion;
};

TEST_F(HistoriaModem, CallTheRobotThenStop)
{
    link::Estacion& e = Arrancar();
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Disconnected");
    EXPECT_TRUE(Habilitado("mnuConnect"));

    e.Conectar();
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Connecting with N0CALL-2 ...");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(Panel_(Panel::Indicativos),
              (link::EstadoPanel{"N0CALL-1 <-> N0CALL-2", "Connected", "Modem Connected"}));
    EXPECT_TRUE(e.modelo().textoRecepcion().contains("******* N0CALL-1 <-> N0CALL-2 *******  "));
    EXPECT_TRUE(e.modelo().control("cmdEnviar").visible);
    EXPECT_TRUE(Habilitado("mnuStop"));

    e.Abortar();
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Disconnecting...");
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado && Habilitado("mnuConnect"); }));
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Disconnected");
    EXPECT_FALSE(Habilitado("mnuStop"));
    EXPECT_FALSE(e.modelo().control("cmdEnviar").visible);
}

TEST_F(HistoriaModem, AnAbsentStationEndsInIdle)
{
    link::Estacion& e = Arrancar("Connect With HF=NOBODY\r\n");
    e.Conectar();
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Connecting with NOBODY ...");
    ASSERT_TRUE(Esperar([&] { return Habilitado("mnuConnect"); }));
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "Disconnected");
    EXPECT_FALSE(e.enlace().enlazado);
}

TEST_F(HistoriaModem, TwoDigipeatersInFm)
{
    link::Estacion& e = Arrancar("KOLT Mode=KOLTFM\r\nVia1=EA1DIG\r\nVia2=EA2DIG-3\r\n");
    e.Conectar();
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(Panel_(Panel::Indicativos).texto, "N0CALL-1 <-> EA1DIG <-> EA2DIG-3 <-> N0CALL-2");
    EXPECT_EQ(e.enlace().Remota(), "N0CALL-2");
}

TEST_F(HistoriaModem, ModemRestartRedThenGreenWithinOneCheckPeriod)
{
    link::Estacion& e = Arrancar();
    e.Conectar();
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));

    m_modem.reset();
    ASSERT_TRUE(Esperar([&] { return Panel_(Panel::TCP).imagen == "LedRojo"; }, 500));
    EXPECT_FALSE(e.enlace().enlazado);
    EXPECT_FALSE(e.modelo().control("cmdEnviar").visible);

    ArrancarModem(m_puerto);
    ASSERT_TRUE(Esperar([&] { return Panel_(Panel::TCP).imagen == "LedVerde"; }, 5000));
    ASSERT_TRUE(Esperar([&] { return Habilitado("mnuConnect"); }));
    e.Conectar();
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; })) << "the new modem heard MYCALL again";
}

} // namespace
