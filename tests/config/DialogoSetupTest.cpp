// The setup dialog's rules against a station and a bare modem: the checks
// of the closing procedure in their order, what is applied when they pass,
// the layout for each variant, and the folder button.

#include "SetupFixture.h"

#include "broadcast/EnlaceKISS.h"
#include "config/SettingsStore.h"

#include <QTcpServer>

#include <functional>
#include <optional>

using namespace kolt;
using config::Campo;
using config::Variante;
using test::Esperar;

namespace {

TEST(PuertosSetup, DataPortFollowsTheCommandPortsValue)
{
    EXPECT_EQ(config::PuertoDatos("8300"), "8301");
    EXPECT_EQ(config::PuertoDatos("65534"), "65535");
    EXPECT_EQ(config::PuertoDatos(""), "1");
    EXPECT_EQ(config::PuertoDatos("abc"), "1");
    EXPECT_EQ(config::PuertoDatos(" 8310x"), "8311");
    // A digit run longer than any number type still gives a number.
    EXPECT_EQ(config::PuertoDatos(QString(40, QLatin1Char('9'))), "1000000000");
}

// ---------------------------------------------------------------------------
// The closing procedure, one change per case.

struct CasoCierre {
    const char* nombre;
    std::function<void(config::CamposSetup&)> cambio;
    const char* mensaje = nullptr; // null: accepted
    Campo foco = Campo::Ninguno;
    // Given what the station holds now and what it held before.
    std::function<void(const config::Configuracion&, const config::Configuracion&)> comprobar = {};
};

void PrintTo(const CasoCierre& c, std::ostream* os)
{
    *os << c.nombre;
}

const CasoCierre kCasos[] = {
    {"KissPort1024", [](auto& f) { f.puertoKISS = "1024"; }, "Invalid KISS TCP port",
     Campo::PuertoKISS},
    {"KissPort1025", [](auto& f) { f.puertoKISS = "1025"; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.kissTcpPort, 1025); }},
    {"KissPort65534", [](auto& f) { f.puertoKISS = "65534"; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.kissTcpPort, 65534); }},
    {"KissPort65535", [](auto& f) { f.puertoKISS = "65535"; }, "Invalid KISS TCP port",
     Campo::PuertoKISS},
    {"KissPortNotANumber", [](auto& f) { f.puertoKISS = "abc"; }, "Invalid KISS TCP port",
     Campo::PuertoKISS},
    {"KissHostEmpty", [](auto& f) { f.hostKISS = ""; }, "Invalid KISS Host", Campo::HostKISS},
    {"KissHostBlank", [](auto& f) { f.hostKISS = "   "; }, "Invalid KISS Host", Campo::HostKISS},
    {"HfPort1024", [](auto& f) { f.puerto[0] = "1024"; }, "Invalid KOLT HF TCP port",
     Campo::Puerto},
    {"HfPort1025", [](auto& f) { f.puerto[0] = "1025"; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.hfTcpPort, 1025); }},
    {"HfPort65534", [](auto& f) { f.puerto[0] = "65534"; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.hfTcpPort, 65534); }},
    {"HfPort65535", [](auto& f) { f.puerto[0] = "65535"; }, "Invalid KOLT HF TCP port",
     Campo::Puerto},
    {"HfHostEmpty", [](auto& f) { f.host[0] = ""; }, "Invalid KOLT HF Host", Campo::Host},
    {"SatPort1024",
     [](auto& f) {
         f.variante = Variante::SAT;
         f.puerto[2] = "1024";
     },
     "Invalid KOLT SAT TCP port", Campo::Puerto},
    {"SatPort65534",
     [](auto& f) {
         f.variante = Variante::SAT;
         f.puerto[2] = "65534";
     },
     nullptr, Campo::Ninguno,
     [](auto& c, auto&) {
         EXPECT_EQ(c.satTcpPort, 65534);
         EXPECT_EQ(c.koltMode, "KOLTSAT");
     }},
    {"SatHostEmpty",
     [](auto& f) {
         f.variante = Variante::SAT;
         f.host[2] = "";
     },
     "Invalid KOLT SAT Host", Campo::Host},
    {"FmPort1025",
     [](auto& f) {
         f.variante = Variante::FM;
         f.puerto[1] = "1025";
     },
     nullptr, Campo::Ninguno, [](auto& c, auto&) { EXPECT_EQ(c.fmTcpPort, 1025); }},
    {"FmPort65535",
     [](auto& f) {
         f.variante = Variante::FM;
         f.puerto[1] = "65535";
     },
     "Invalid KOLT FM TCP port", Campo::Puerto},
    {"FmHostEmpty",
     [](auto& f) {
         f.variante = Variante::FM;
         f.host[1] = "";
     },
     "Invalid KOLT FM Host", Campo::Host},
    // The other variants' fields are stored as they are, unchecked.
    {"OtherVariantsUnchecked",
     [](auto& f) {
         f.variante = Variante::FM;
         f.puerto[0] = "80";
         f.host[0] = "";
         f.puerto[2] = "abc";
     },
     nullptr, Campo::Ninguno,
     [](auto& c, auto&) {
         EXPECT_EQ(c.hfTcpPort, 80);
         EXPECT_EQ(c.hfHost, "");
         EXPECT_EQ(c.satTcpPort, 0);
     }},
    // A number no port can be does not wrap round to another port.
    {"UnfittingPortKeepsTheStoredOne", [](auto& f) { f.puerto[2] = "70000"; }, nullptr,
     Campo::Ninguno, [](auto& c, auto& antes) { EXPECT_EQ(c.satTcpPort, antes.satTcpPort); }},
    {"CallSignInvalid", [](auto& f) { f.indicativo = "N0CALL-99"; }, "Invalid Call Sign",
     Campo::Indicativo},
    {"CallSignEmptyIsNone", [](auto& f) { f.indicativo = ""; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.myCallsign, ""); }},
    {"CallSignUpperCased", [](auto& f) { f.indicativo = "ea4xyz-t"; }, nullptr, Campo::Ninguno,
     [](auto& c, auto&) { EXPECT_EQ(c.myCallsign, "EA4XYZ-T"); }},
    // The first failing check is the only one told.
    {"KissPortBeforeEverything",
     [](auto& f) {
         f.puertoKISS = "1";
         f.hostKISS = "";
         f.puerto[0] = "1";
         f.indicativo = "N0/CALL";
     },
     "Invalid KISS TCP port", Campo::PuertoKISS},
    {"KissHostBeforeVariant",
     [](auto& f) {
         f.hostKISS = "";
         f.host[0] = "";
     },
     "Invalid KISS Host", Campo::HostKISS},
    {"PortBeforeHost",
     [](auto& f) {
         f.puerto[0] = "1";
         f.host[0] = "";
     },
     "Invalid KOLT HF TCP port", Campo::Puerto},
    {"HostBeforeCallSign",
     [](auto& f) {
         f.host[0] = "";
         f.indicativo = "N0CALL-0";
     },
     "Invalid KOLT HF Host", Campo::Host},
};

class CierreSetup : public test::SetupFixture, public ::testing::TestWithParam<CasoCierre> {};

TEST_P(CierreSetup, RefusesOrAppliesAndSaves)
{
    const CasoCierre& caso = GetParam();
    ASSERT_TRUE(m_dir.isValid());
    Ajustes();
    Arrancar();
    const config::Configuracion antes = Config();
    const QByteArray iniAntes = Ini();

    caso.cambio(Campos());
    const config::DialogoSetup::Cierre cierre = m_dialogo->Cerrar();

    if (caso.mensaje) {
        EXPECT_FALSE(cierre.cerrar);
        EXPECT_EQ(cierre.foco, caso.foco);
        ASSERT_EQ(m_operador.avisos.size(), 1u);
        EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Exclamacion);
        EXPECT_EQ(m_operador.avisos[0].texto, caso.mensaje);
        EXPECT_TRUE(Config() == antes) << "a refusal changes nothing";
        EXPECT_EQ(Ini(), iniAntes);
        return;
    }
    EXPECT_TRUE(cierre.cerrar);
    EXPECT_TRUE(m_operador.avisos.empty());
    caso.comprobar(Config(), antes);
    // What was applied is what the file now holds.
    config::Configuracion leida;
    config::SettingsStore(Ruta("KOLT Chat.ini"), m_dir.path(), m_dir.path())
        .CargarConfiguracion(leida);
    EXPECT_TRUE(leida == Config());
}

INSTANTIATE_TEST_SUITE_P(Casos, CierreSetup, ::testing::ValuesIn(kCasos),
                         [](const auto& i) { return std::string(i.param.nombre); });

// ---------------------------------------------------------------------------

class DialogoSetupTest : public test::SetupFixture, public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
};

TEST_F(DialogoSetupTest, LoadsEveryFieldFromTheSettings)
{
    Ajustes("KOLT Mode=KOLTSAT\r\nKOLTHF BW=2750\r\nSAT Host=sat.example\r\nKISS TCP Port=8101\r\n"
            "My Callsign=ea4xyz-7\r\nAutoDisconnect=1\r\nKOLT SAT Path=/opt/sat\r\n",
            "Download Folder=/srv/down\r\n");
    Arrancar();
    const config::CamposSetup& f = Campos();
    EXPECT_EQ(f.variante, Variante::SAT);
    EXPECT_EQ(f.anchoBanda, "2750");
    EXPECT_EQ(f.host[2], "sat.example");
    EXPECT_EQ(f.puerto[2], QString::number(m_modem.puerto()));
    EXPECT_EQ(f.puertoKISS, "8101");
    EXPECT_EQ(f.hostKISS, "localhost");
    EXPECT_EQ(f.indicativo, "EA4XYZ-7");
    EXPECT_EQ(f.ruta[2], "/opt/sat");
    EXPECT_EQ(f.carpeta, "/srv/down");
    EXPECT_TRUE(f.desconectar);
    EXPECT_FALSE(f.lanzar);
    EXPECT_FALSE(f.log);
    EXPECT_FALSE(m_dialogo->cancelado());
}

TEST_F(DialogoSetupTest, LinkUpRefusesUpdateAndCancelClosesWithNothingChanged)
{
    Ajustes();
    Inactiva();
    m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return m_estacion->enlace().enlazado; }));
    const config::Configuracion antes = Config();

    Campos().puertoKISS = "1"; // the link check comes first
    Campos().anchoBanda = "500";
    const auto cierre = m_dialogo->Cerrar();
    EXPECT_FALSE(cierre.cerrar);
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto, "No while a connection is is progress.");
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Exclamacion);

    m_dialogo->Cancelar();
    EXPECT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_TRUE(Config() == antes);
    test::Dejar(100);
    EXPECT_TRUE(m_modem.lineas().isEmpty());

    m_dialogo->Cargar();
    EXPECT_FALSE(m_dialogo->cancelado()) << "each load clears the cancel flag";
}

TEST_F(DialogoSetupTest, WhileTheProgramClosesNothingIsCheckedOrApplied)
{
    Ajustes();
    Inactiva();
    m_estacion->Cerrar(link::Geometria{});
    const config::Configuracion antes = Config();
    const QByteArray ini = Ini();
    Campos().indicativo = "N0/CALL";
    Campos().anchoBanda = "500";
    EXPECT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(m_operador.avisos.empty());
    EXPECT_TRUE(Config() == antes);
    EXPECT_EQ(Ini(), ini);
}

TEST_F(DialogoSetupTest, BandwidthOnlySendsOnlyTheBandwidthCommandAndSaves)
{
    Ajustes();
    Inactiva();
    const int conexiones = m_modem.conexiones;
    Campos().anchoBanda = "500";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return !m_modem.lineas().isEmpty(); }));
    test::Dejar(300);
    EXPECT_EQ(m_modem.lineas(), QStringList{"BW500"});
    EXPECT_EQ(m_modem.conexiones, conexiones) << "no socket was closed";
    EXPECT_TRUE(m_estacion->SocketsArriba());
    EXPECT_TRUE(Ini().contains("KOLTHF BW=500\r\n"));
}

TEST_F(DialogoSetupTest, NewCallSignChangesTheCaptionAndTellsTheModem)
{
    Ajustes();
    Inactiva();
    Campos().indicativo = "n0call-5";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(Campos().indicativo, "N0CALL-5");
    EXPECT_EQ(m_estacion->modelo().titulo(), "KOLT Chat v1.4.1      N0CALL-5");
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().size() >= 2; }));
    EXPECT_EQ(m_modem.lineas(), QStringList({"MYCALL N0CALL-5", "BW2300"}));
    EXPECT_TRUE(Ini().contains("My Callsign=N0CALL-5\r\n"));
}

TEST_F(DialogoSetupTest, CommandPortChangeReconnectsToTheNewPort)
{
    test::ModemDePrueba otro;
    Ajustes();
    Inactiva();
    Campos().puerto[0] = QString::number(otro.puerto());
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return otro.lineas().contains("CHAT ON"); }));
    EXPECT_EQ(m_estacion->socketComandos().peerPort(), otro.puerto());
    EXPECT_EQ(m_estacion->socketDatos().peerPort(), otro.puerto() + 1);
}

// ---------------------------------------------------------------------------
// GestionarModo: the frames for each variant and launch box, and the main
// window's Mode marks and PTT item.

struct CasoModo {
    Variante variante;
    bool lanzar;
    int visible; // index of the variant's frames
    bool anchoBanda;
    bool ptt;
    const char* marcado; // Mode item checked, or null
};

class ModoSetup : public test::SetupFixture, public ::testing::TestWithParam<CasoModo> {};

TEST_P(ModoSetup, ShowsTheVariantsFramesAndMarksTheMainWindow)
{
    const CasoModo& caso = GetParam();
    ASSERT_TRUE(m_dir.isValid());
    Ajustes();
    Arrancar();
    Campos().variante = caso.variante;
    Campos().lanzar = caso.lanzar;
    const config::DisposicionSetup d = m_dialogo->GestionarModo();

    config::DisposicionSetup esperada;
    esperada.marcoTCP[caso.visible] = true;
    esperada.marcoRuta[caso.visible] = caso.lanzar;
    esperada.marcoAnchoBanda = caso.anchoBanda;
    EXPECT_TRUE(d == esperada);

    const link::ModeloVentana& m = m_estacion->modelo();
    EXPECT_EQ(m.control("mnuPTT").visible, caso.ptt);
    for (const char* item : {"mnuKOLTHF", "mnuKOLTFM1200", "mnuKOLTSAT"})
        EXPECT_EQ(m.control(item).checked, caso.marcado && QLatin1String(item) == caso.marcado)
            << item;
}

INSTANTIATE_TEST_SUITE_P(
    Variantes, ModoSetup,
    ::testing::Values(CasoModo{Variante::HF, true, 0, true, true, "mnuKOLTHF"},
                      CasoModo{Variante::HF, false, 0, true, true, "mnuKOLTHF"},
                      CasoModo{Variante::SAT, true, 2, false, true, "mnuKOLTSAT"},
                      CasoModo{Variante::SAT, false, 2, false, true, "mnuKOLTSAT"},
                      CasoModo{Variante::FM, true, 1, false, false, "mnuKOLTFM1200"},
                      CasoModo{Variante::FM, false, 1, false, false, "mnuKOLTFM1200"},
                      CasoModo{Variante::Ninguna, true, 1, false, false, nullptr}));

TEST_F(DialogoSetupTest, CancelPutsTheMainWindowBackToTheStoredVariant)
{
    Ajustes();
    Arrancar();
    Campos().variante = Variante::FM;
    m_dialogo->GestionarModo();
    ASSERT_FALSE(m_estacion->modelo().control("mnuPTT").visible);
    m_dialogo->Cancelar();
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(m_estacion->modelo().control("mnuPTT").visible);
    EXPECT_TRUE(m_estacion->modelo().control("mnuKOLTHF").checked);
    EXPECT_FALSE(m_estacion->modelo().control("mnuKOLTFM1200").checked);
    EXPECT_EQ(Config().koltMode, "KOLTHF");
}

TEST_F(DialogoSetupTest, ChangeStartsAtTheStoredFolderAndACancelKeepsTheField)
{
    const QString guardada = Ruta("down") + QLatin1Char('/');
    Ajustes({}, QStringLiteral("Download Folder=%1\r\n").arg(guardada));
    Arrancar();
    m_operador.respuestas = {Ruta("elegida")};
    m_dialogo->Cambiar();
    EXPECT_EQ(m_operador.carpetasPedidas, QStringList{Ruta("down")});
    EXPECT_EQ(m_operador.titulosPedidos, QStringList{"Select the Destination Folder"});
    EXPECT_EQ(Config().downloadFolder, Ruta("down")) << "the setting keeps the shortened text";
    EXPECT_EQ(Campos().carpeta, Ruta("elegida"));

    m_dialogo->Cambiar(); // cancelled: no answer
    EXPECT_EQ(Campos().carpeta, Ruta("elegida"));
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(Config().downloadFolder, Ruta("elegida"));
}

TEST_F(DialogoSetupTest, KissSocketIsDroppedOnlyWhenItsPortOrHostChanges)
{
    QTcpServer viejo, nuevo;
    ASSERT_TRUE(viejo.listen(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(nuevo.listen(QHostAddress::LocalHost, 0));
    int aceptadasViejo = 0, aceptadasNuevo = 0;
    QObject::connect(&viejo, &QTcpServer::newConnection, [&] { ++aceptadasViejo; });
    QObject::connect(&nuevo, &QTcpServer::newConnection, [&] { ++aceptadasNuevo; });
    Ajustes(QStringLiteral("KISS TCP Port=%1\r\nKISS Host=127.0.0.1\r\n").arg(viejo.serverPort()));
    Inactiva();
    ASSERT_TRUE(Esperar([&] { return m_estacion->kiss().Conectado(); }));

    Campos().anchoBanda = "500";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    test::Dejar(200);
    EXPECT_EQ(aceptadasViejo, 1);
    EXPECT_TRUE(m_estacion->kiss().Conectado());

    m_dialogo->Cargar();
    Campos().puertoKISS = QString::number(nuevo.serverPort());
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return aceptadasNuevo == 1 && m_estacion->kiss().Conectado(); }));
    EXPECT_EQ(aceptadasViejo, 1);
    EXPECT_EQ(Config().kissTcpPort, nuevo.serverPort());
}

} // namespace
