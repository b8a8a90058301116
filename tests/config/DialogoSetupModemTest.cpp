// The setup dialog against the stand-in modem: a host change drops and
// reopens the sockets, and a variant switch closes and relaunches the modem
// program (the kolt-modem-sim executable, started as the chat starts it).

#include "SetupFixture.h"

#include "config/LanzadorModem.h"

#include "Simulator.h"

#include <QTcpServer>

using namespace kolt;
using config::Variante;
using test::Esperar;

namespace {

const QString kSimulador = QStringLiteral(KOLT_PROGRAM_DIR "/kolt-modem-sim");

// A free pair of ports P, P + 1 on loopback.
quint16 PuertosLibres()
{
    test::ModemDePrueba sonda;
    return sonda.puerto();
}

// True when nothing listens on the port any more.
bool Libre(quint16 puerto)
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, puerto);
}

class SetupModemTest : public test::SetupFixture, public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override
    {
        if (m_estacion) m_estacion->lanzador().CerrarModem();
    }

    // A modem program as an operator points the paths at: a script that
    // becomes the stand-in modem on the given command port.
    QString ProgramaModem(const QString& nombre, quint16 puerto)
    {
        const QString ruta = Ruta(nombre);
        QFile f(ruta);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nexec '%1' --station N0CALL-1:%2 --listen 127.0.0.1\n")
                    .arg(kSimulador)
                    .arg(puerto)
                    .toUtf8());
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return ruta;
    }

    // Started with the HF modem program launched on `puerto` and linked to it.
    void ConModemLanzado(quint16 puerto, const QString& extra = {})
    {
        m_modem.Cerrar();
        Ajustes(QStringLiteral("AutoLaunch=1\r\nKOLT HF Path=%1\r\nHF TCP Port=%2\r\n%3")
                    .arg(ProgramaModem("hf-modem", puerto))
                    .arg(puerto)
                    .arg(extra));
        Arrancar();
        ASSERT_TRUE(m_estacion->lanzador().EnMarcha());
        ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }, 15000));
    }

    bool UnidaA(quint16 puerto)
    {
        return Esperar(
            [&] {
                return m_estacion->SocketsArriba() &&
                       m_estacion->socketComandos().peerPort() == puerto;
            },
            15000);
    }
};

TEST_F(SetupModemTest, HostChangeClosesAndReopensTheSockets)
{
    modemsim::Options o;
    o.stations.push_back({QStringLiteral("N0CALL-1"), {}});
    modemsim::Simulator simulador(o);
    QString error;
    ASSERT_TRUE(simulador.start(&error)) << error.toStdString();
    modemsim::PortStation* s = simulador.station(QStringLiteral("N0CALL-1"));
    m_modem.Cerrar();
    Ajustes(QStringLiteral("HF TCP Port=%1\r\n").arg(s->commandPort()));
    Arrancar();
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba() && s->onAir(); }));
    const quint16 antes = m_estacion->socketComandos().localPort();

    Campos().host[0] = QStringLiteral("127.0.0.1");
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] {
        return m_estacion->SocketsArriba() && s->onAir() &&
               m_estacion->socketComandos().peerName() == "127.0.0.1";
    }));
    EXPECT_EQ(m_estacion->socketDatos().peerName(), "127.0.0.1");
    EXPECT_NE(m_estacion->socketComandos().localPort(), antes) << "a new connection";
    EXPECT_EQ(Config().hfHost, "127.0.0.1");
}

TEST_F(SetupModemTest, VariantSwitchWithTheLaunchBoxRelaunchesTheModemProgram)
{
    const quint16 hf = PuertosLibres();
    const quint16 sat = PuertosLibres();
    ASSERT_NE(hf, sat);
    ConModemLanzado(hf, QStringLiteral("SAT TCP Port=%1\r\n").arg(sat));

    Campos().variante = Variante::SAT;
    Campos().ruta[2] = ProgramaModem("sat-modem", sat);
    ASSERT_TRUE(Campos().lanzar);
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(m_operador.avisos.empty());

    EXPECT_TRUE(Libre(hf)) << "the HF modem program was closed";
    EXPECT_TRUE(m_estacion->lanzador().EnMarcha());
    EXPECT_TRUE(UnidaA(sat));
    EXPECT_EQ(Config().koltMode, "KOLTSAT");
    EXPECT_EQ(Config().koltSATPath, Ruta("sat-modem"));
    EXPECT_TRUE(Ini().contains("KOLT Mode=KOLTSAT\r\n"));
}

TEST_F(SetupModemTest, VariantSwitchWithoutTheLaunchBoxOnlyReconnects)
{
    const quint16 puerto = PuertosLibres();
    ConModemLanzado(puerto, QStringLiteral("SAT TCP Port=%1\r\n").arg(puerto));
    const quint16 antes = m_estacion->socketComandos().localPort();

    Campos().variante = Variante::SAT;
    Campos().lanzar = false;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(m_estacion->lanzador().EnMarcha()) << "the modem program is left alone";
    ASSERT_TRUE(Esperar([&] {
        return m_estacion->SocketsArriba() && m_estacion->socketComandos().localPort() != antes;
    }));
    EXPECT_EQ(Config().autoLaunch, 0);
}

TEST_F(SetupModemTest, VariantSwitchToAMissingProgramKeepsTheDialogOpen)
{
    const quint16 puerto = PuertosLibres();
    ConModemLanzado(puerto);
    const QByteArray ini = Ini();
    const QString falta = Ruta("no-such-modem");

    Campos().variante = Variante::SAT;
    Campos().ruta[2] = falta;
    const auto cierre = m_dialogo->Cerrar();
    EXPECT_FALSE(cierre.cerrar);
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, falta + " file not found");
    EXPECT_TRUE(Libre(puerto)) << "the running modem program was closed first";
    EXPECT_EQ(Config().koltSATPath, falta) << "the new path is in the record";
    EXPECT_EQ(Config().koltMode, "KOLTHF");
    EXPECT_EQ(Ini(), ini) << "but not yet in the file";
}

TEST_F(SetupModemTest, PathChangeOfTheSameVariantRelaunches)
{
    const quint16 viejo = PuertosLibres();
    const quint16 nuevo = PuertosLibres();
    ConModemLanzado(viejo);
    Campos().ruta[0] = ProgramaModem("hf-modem-2", nuevo);
    Campos().puerto[0] = QString::number(nuevo);
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Libre(viejo));
    EXPECT_TRUE(UnidaA(nuevo));
}

TEST_F(SetupModemTest, WindowsProgramWithoutWineIsToldAndKeepsTheDialogOpen)
{
    Ajustes();
    Arrancar();
    QFile exe(Ruta("KOLTSAT.exe"));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    QDir(m_dir.path()).mkdir("sin-wine");
    m_estacion->lanzador().FijarBusquedaWine({Ruta("sin-wine")});

    Campos().variante = Variante::SAT;
    Campos().ruta[2] = exe.fileName();
    Campos().lanzar = true;
    EXPECT_FALSE(m_dialogo->Cerrar().cerrar);
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, config::TextoFaltaWine(exe.fileName()));
    EXPECT_TRUE(m_operador.avisos[0].texto.contains("wine")) << "names what is missing";
    EXPECT_FALSE(m_estacion->lanzador().EnMarcha());
}

// The stand-in modem, run from the program folder, serves the ports of the
// variant that "KOLT Chat.ini" beside it names: switching the variant moves
// the chat from one stand-in modem to another on other ports.
TEST_F(SetupModemTest, StandInModemRelaunchedForTheNewVariantServesItsPorts)
{
    const QString simulador = Ruta("kolt-modem-sim");
    ASSERT_TRUE(QFile::copy(kSimulador, simulador));
    QFile(simulador).setPermissions(QFile::permissions(kSimulador));
    const quint16 hf = PuertosLibres();
    const quint16 sat = PuertosLibres();
    const quint16 kiss = PuertosLibres();
    m_modem.Cerrar();
    Ajustes(QStringLiteral("AutoLaunch=1\r\nKOLT HF Path=%1\r\nKOLT SAT Path=%1\r\n"
                           "HF TCP Port=%2\r\nSAT TCP Port=%3\r\nKISS TCP Port=%4\r\n")
                .arg(simulador)
                .arg(hf)
                .arg(sat)
                .arg(kiss));
    Arrancar();
    ASSERT_TRUE(UnidaA(hf));

    Campos().variante = Variante::SAT;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Libre(hf));
    EXPECT_TRUE(UnidaA(sat));
}

} // namespace
