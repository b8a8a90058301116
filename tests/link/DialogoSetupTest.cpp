// The setup dialog's rules against a running station. Its widgets: tests/ui.

#include "link/DialogoSetup.h"

#include "config/LanzadorModem.h"
#include "link/Estacion.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <QTcpServer>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::Campo;
using config::Variante;
using test::Esperar;

namespace {

// A station on the bare modem, the KISS port given or free, the dialog loaded.
class DialogoSetupTest : public ::testing::Test {
protected:
    void Arrancar(const QString& setup = {}, quint16 kiss = 0)
    {
        m_e = std::make_unique<test::EstacionDePrueba>(setup, m_modem.puerto(),
                                                       kiss ? kiss : test::PuertoLibre());
        ASSERT_TRUE(m_e->listo);
        m_dialogo = std::make_unique<link::DialogoSetup>(**m_e);
        m_dialogo->Cargar();
    }

    // Started, sockets up, the start-up commands (BW2300 the last) forgotten.
    void Inactiva(quint16 kiss = 0)
    {
        Arrancar({}, kiss);
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("BW2300"); }));
        m_modem.Olvidar();
    }

    void TearDown() override
    {
        if (m_e) Estacion().lanzador().CerrarModem();
    }

    link::Estacion& Estacion() { return **m_e; }
    link::CamposSetup& Campos() { return m_dialogo->campos(); }
    config::Configuracion& Config() { return Estacion().config(); }
    std::vector<test::OperadorGuion::Aviso>& Avisos() { return m_e->operador.avisos; }

    test::ModemDePrueba m_modem;
    std::unique_ptr<test::EstacionDePrueba> m_e;
    std::unique_ptr<link::DialogoSetup> m_dialogo;
};

// The closing procedure: a row per limit and per check, and rows where the
// order of the checks is the point.

struct CasoCierre {
    const char* nombre;
    Variante variante;
    void (*teclear)(link::CamposSetup&);
    const char* resultado;       // accepted: a line of the saved file; else the message
    Campo foco = Campo::Ninguno; // refused by a check: where the focus goes
};

using enum Campo;
using F = link::CamposSetup;
constexpr Variante HF = Variante::HF, FM = Variante::FM, SAT = Variante::SAT;

const CasoCierre kCasos[] = {
    {"KissPort1024", HF, [](F& f) { f.puertoKISS = "1024"; }, "Invalid KISS TCP port", PuertoKISS},
    {"KissPort1025", HF, [](F& f) { f.puertoKISS = "1025"; }, "KISS TCP Port=1025"},
    {"HfHostEmpty", HF, [](F& f) { f.host[0] = ""; }, "Invalid KOLT HF Host", Host},
    {"SatPort1024", SAT, [](F& f) { f.puerto[2] = "1024"; }, "Invalid KOLT SAT TCP port", Puerto},
    {"FmPort65534", FM, [](F& f) { f.puerto[1] = "65534"; }, "FM TCP Port=65534"},
    {"FmPort65535", FM, [](F& f) { f.puerto[1] = "65535"; }, "Invalid KOLT FM TCP port", Puerto},
    // Another variant's port is not checked, but does not wrap round.
    {"UnfittingPortKeepsTheStoredOne", HF, [](F& f) { f.puerto[2] = "70000"; }, "SAT TCP Port=%1"},
    {"CallSignInvalid", HF, [](F& f) { f.indicativo = "N0CALL-99"; }, "Invalid Call Sign",
     Indicativo},
    {"CallSignUpperCased", HF, [](F& f) { f.indicativo = "ea4xyz-t"; }, "My Callsign=EA4XYZ-T"},
    // The first failing check is the only one told.
    {"KissPortBeforeEverything", HF,
     [](F& f) { f.puertoKISS = f.hostKISS = f.puerto[0] = f.host[0] = ""; },
     "Invalid KISS TCP port", PuertoKISS},
    {"PortBeforeHost", HF, [](F& f) { f.puerto[0] = f.host[0] = ""; }, "Invalid KOLT HF TCP port",
     Puerto},
    // A program to start that is not there: told before anything is touched.
    {"MissingModemProgram", HF,
     [](F& f) {
         f.lanzar = true;
         f.ruta[0] = "/no/such/modem";
     },
     "/no/such/modem file not found"},
};

TEST_F(DialogoSetupTest, ClosingRefusesOrAppliesAndSaves)
{
    for (const CasoCierre& caso : kCasos) {
        SCOPED_TRACE(caso.nombre);
        Arrancar();
        const config::Configuracion antes = Config();
        Campos().variante = caso.variante;
        caso.teclear(Campos());
        const link::DialogoSetup::Cierre cierre = m_dialogo->Cerrar();
        const bool aceptado = QString::fromLatin1(caso.resultado).contains('=');
        EXPECT_EQ(cierre.cerrar, aceptado);
        EXPECT_EQ(cierre.foco, caso.foco);
        if (!aceptado) {
            ASSERT_EQ(Avisos().size(), 1u);
            EXPECT_EQ(Avisos()[0].icono,
                      caso.foco == Ninguno ? model::Icono::Critico : model::Icono::Exclamacion);
            EXPECT_EQ(Avisos()[0].texto, caso.resultado);
            EXPECT_TRUE(Config() == antes) << "a refusal changes nothing";
            continue;
        }
        EXPECT_TRUE(Avisos().empty());
        // %1: the modem's port, which every variant's port holds at first.
        const QString linea = QString::fromLatin1(caso.resultado) + "\r\n";
        EXPECT_TRUE(
            m_e->Ini().contains(QString(linea).replace("%1", QString::number(m_modem.puerto()))));
    }
}

// Each update applies what changed and no more: a new KISS port reopens the
// KISS socket alone. With a link up every update is refused, before any
// check; Cancel then closes with nothing changed, the marks put back.
TEST_F(DialogoSetupTest, UpdatesApplyOnlyWhatChangedAndNoneWhileLinked)
{
    test::ServidorKISS viejo, nuevo;
    Inactiva(viejo.puerto());
    ASSERT_TRUE(Esperar([&] { return Estacion().kiss().Conectado(); }));
    const int conexiones = m_modem.conexiones;
    Campos().anchoBanda = "500";
    Campos().indicativo = "n0call-5";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    m_dialogo->Cargar();
    Campos().puertoKISS = QString::number(nuevo.puerto());
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return nuevo.conexiones == 1 && viejo.conexiones == 1; }));
    EXPECT_EQ(m_modem.lineas(), QStringList({"MYCALL N0CALL-5", "BW500", "BW500"}));
    EXPECT_EQ(m_modem.conexiones, conexiones) << "no modem socket was closed";

    m_modem.Enviar("CONNECTED N0CALL-5 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return Estacion().enlace().enlazado; }));
    const config::Configuracion antes = Config();
    m_dialogo->Cargar();
    Campos().puertoKISS = "1";
    Campos().variante = Variante::FM;
    m_dialogo->GestionarModo(); // marks the main window's FM item
    EXPECT_FALSE(m_dialogo->Cerrar().cerrar);
    ASSERT_EQ(Avisos().size(), 1u);
    EXPECT_EQ(Avisos()[0].texto, "No while a connection is is progress.");
    m_dialogo->Cancelar();
    EXPECT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Config() == antes);
    EXPECT_TRUE(Estacion().modelo().control(model::Control::mnuKOLTHF).checked);
}

bool Libre(quint16 puerto)
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, puerto);
}

// The stand-in modem, copied, serves the ports its "KOLT Chat.ini" names.
TEST_F(DialogoSetupTest, ModemProgramFollowsThePathTheVariantAndTheLaunchBox)
{
    const quint16 hf = test::ModemDePrueba().puerto(), sat = test::ModemDePrueba().puerto();
    ASSERT_NE(hf, sat);
    m_modem.Cerrar();
    Arrancar(
        QStringLiteral("HF TCP Port=%1\r\nSAT TCP Port=%2\r\nFM TCP Port=%2\r\n").arg(hf).arg(sat));
    // No child: no long wait for its group. Not the default path: a change.
    Estacion().lanzador().FijarEsperas(3000, 100);
    const QString simulador = QDir(m_e->carpeta()).filePath("modem");
    ASSERT_TRUE(QFile::copy(KOLT_PROGRAM_DIR "/kolt-modem-sim", simulador));
    QFile(simulador).setPermissions(QFile::permissions(KOLT_PROGRAM_DIR "/kolt-modem-sim"));
    const auto unidaA = [&](quint16 puerto) {
        return Esperar(
            [&] {
                return Estacion().SocketsArriba() &&
                       Estacion().socketComandos().peerPort() == puerto;
            },
            15000);
    };

    Campos().ruta[0] = simulador;
    Campos().lanzar = true;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(unidaA(hf));

    // Another variant with the launch box: the old program ends.
    m_dialogo->Cargar();
    Campos().variante = Variante::SAT;
    Campos().ruta[2] = simulador;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Esperar([&] { return Libre(hf); })) << "the HF modem program was closed";
    EXPECT_TRUE(unidaA(sat));
}

} // namespace
