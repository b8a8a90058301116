// The setup dialog's rules against a running station: the checks of the
// closing procedure in their order, what is applied when they pass, the
// layout for each variant, the folder button, and the modem program it
// closes and starts (the stand-in modem, run as the chat runs it). What
// the widget shows of them is tests/ui (frmSetupTest).

#include "config/DialogoSetup.h"

#include "config/LanzadorModem.h"
#include "config/SettingsStore.h"
#include "link/Estacion.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"
#include "keying/RecordingSerialLine.h"

#include <QTcpServer>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using config::Campo;
using config::Variante;
using test::Esperar;

namespace {

TEST(PuertosSetup, DataPortFollowsTheCommandPortsValue)
{
    EXPECT_EQ(config::PuertoDatos("8300"), "8301");
    EXPECT_EQ(config::PuertoDatos("abc"), "1");
    EXPECT_EQ(config::PuertoDatos(" 8310x"), "8311");
    // A digit run longer than any number type still gives a number.
    EXPECT_EQ(config::PuertoDatos(QString(40, QLatin1Char('9'))), "1000000000");
}

// A station on the bare modem (every variant's command port), a KISS port
// nobody listens on unless the test says, and the dialog loaded.
class SetupFixture {
protected:
    void Arrancar(const QString& setup = {}, const QString& secciones = {}, quint16 kiss = 0,
                  keying::SerialLine* radio = nullptr)
    {
        m_e = std::make_unique<test::EstacionDePrueba>(
            setup, m_modem.puerto(), kiss ? kiss : test::PuertoLibre(), radio, secciones);
        ASSERT_TRUE(m_e->listo);
        m_dialogo = std::make_unique<config::DialogoSetup>(**m_e);
        m_dialogo->Cargar();
    }

    // Started, with both sockets up and the start-up commands forgotten.
    void Inactiva(quint16 kiss = 0)
    {
        Arrancar({}, {}, kiss);
        // HF's bandwidth is the last of the start-up commands.
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("BW2300"); }));
        m_modem.Olvidar();
    }

    link::Estacion& Estacion() { return **m_e; }
    config::CamposSetup& Campos() { return m_dialogo->campos(); }
    config::Configuracion& Config() { return Estacion().config(); }
    std::vector<test::OperadorGuion::Aviso>& Avisos() { return m_e->operador.avisos; }

    test::ModemDePrueba m_modem;
    std::unique_ptr<test::EstacionDePrueba> m_e;
    std::unique_ptr<config::DialogoSetup> m_dialogo;
};

// ---------------------------------------------------------------------------
// The closing procedure, one change per case (several where the order of
// the checks is the point).

struct Tecla {
    Campo campo;
    int indice; // the variant's fields, for Puerto and Host: HF 0, FM 1, SAT 2
    const char* valor;
};

struct CasoCierre {
    const char* nombre;
    Variante variante;
    std::vector<Tecla> teclas;
    const char* mensaje = nullptr; // refused with this, the focus on `foco`
    Campo foco = Campo::Ninguno;
    const char* leido = nullptr; // accepted: the first field when the dialog opens again
                                 // (null: as it was before)
};

void PrintTo(const CasoCierre& c, std::ostream* os)
{
    *os << c.nombre;
}

QString& Texto(config::CamposSetup& f, const Tecla& t)
{
    switch (t.campo) {
    case Campo::PuertoKISS: return f.puertoKISS;
    case Campo::HostKISS: return f.hostKISS;
    case Campo::Puerto: return f.puerto[std::size_t(t.indice)];
    case Campo::Host: return f.host[std::size_t(t.indice)];
    default: return f.indicativo;
    }
}

using enum Campo;
constexpr Variante HF = Variante::HF, FM = Variante::FM, SAT = Variante::SAT;

const CasoCierre kCasos[] = {
    // One check for every port: its limits on the KISS port, and each
    // variant's port naming its variant.
    {"KissPort1024", HF, {{PuertoKISS, 0, "1024"}}, "Invalid KISS TCP port", PuertoKISS},
    {"KissPort1025", HF, {{PuertoKISS, 0, "1025"}}, nullptr, Ninguno, "1025"},
    {"KissPort65534", HF, {{PuertoKISS, 0, "65534"}}, nullptr, Ninguno, "65534"},
    {"KissPort65535", HF, {{PuertoKISS, 0, "65535"}}, "Invalid KISS TCP port", PuertoKISS},
    {"KissPortNotANumber", HF, {{PuertoKISS, 0, "abc"}}, "Invalid KISS TCP port", PuertoKISS},
    {"KissHostBlank", HF, {{HostKISS, 0, "   "}}, "Invalid KISS Host", HostKISS},
    {"HfPort1024", HF, {{Puerto, 0, "1024"}}, "Invalid KOLT HF TCP port", Puerto},
    {"HfHostEmpty", HF, {{Host, 0, ""}}, "Invalid KOLT HF Host", Host},
    {"SatPort1024", SAT, {{Puerto, 2, "1024"}}, "Invalid KOLT SAT TCP port", Puerto},
    {"SatPort65534", SAT, {{Puerto, 2, "65534"}}, nullptr, Ninguno, "65534"},
    {"FmPort65535", FM, {{Puerto, 1, "65535"}}, "Invalid KOLT FM TCP port", Puerto},
    {"FmHostBlank", FM, {{Host, 1, " "}}, "Invalid KOLT FM Host", Host},
    // The other variants' fields are stored as they are, unchecked...
    {"OtherVariantPortUnchecked", FM, {{Puerto, 0, "80"}}, nullptr, Ninguno, "80"},
    // ...but a number no port can be does not wrap round to another port.
    {"UnfittingPortKeepsTheStoredOne", HF, {{Puerto, 2, "70000"}}},
    {"CallSignInvalid", HF, {{Indicativo, 0, "N0CALL-99"}}, "Invalid Call Sign", Indicativo},
    {"CallSignEmptyIsNone", HF, {{Indicativo, 0, ""}}, nullptr, Ninguno, ""},
    {"CallSignUpperCased", HF, {{Indicativo, 0, "ea4xyz-t"}}, nullptr, Ninguno, "EA4XYZ-T"},
    // The first failing check is the only one told.
    {"KissPortBeforeEverything",
     HF,
     {{PuertoKISS, 0, "1"}, {HostKISS, 0, ""}, {Puerto, 0, "1"}, {Indicativo, 0, "N0/CALL"}},
     "Invalid KISS TCP port",
     PuertoKISS},
    {"KissHostBeforeVariant",
     HF,
     {{HostKISS, 0, ""}, {Host, 0, ""}},
     "Invalid KISS Host",
     HostKISS},
    {"PortBeforeHost", HF, {{Puerto, 0, "1"}, {Host, 0, ""}}, "Invalid KOLT HF TCP port", Puerto},
    {"HostBeforeCallSign",
     HF,
     {{Host, 0, ""}, {Indicativo, 0, "N0CALL-0"}},
     "Invalid KOLT HF Host",
     Host},
};

class CierreSetup : public SetupFixture, public ::testing::TestWithParam<CasoCierre> {};

TEST_P(CierreSetup, RefusesOrAppliesAndSaves)
{
    const CasoCierre& caso = GetParam();
    Arrancar();
    const config::Configuracion antes = Config();
    const QString iniAntes = m_e->Ini();
    const QString previo = Texto(Campos(), caso.teclas.front());
    Campos().variante = caso.variante;
    for (const Tecla& t : caso.teclas)
        Texto(Campos(), t) = QString::fromLatin1(t.valor);
    const config::DialogoSetup::Cierre cierre = m_dialogo->Cerrar();

    if (caso.mensaje) {
        EXPECT_FALSE(cierre.cerrar);
        EXPECT_EQ(cierre.foco, caso.foco);
        ASSERT_EQ(Avisos().size(), 1u);
        EXPECT_EQ(Avisos()[0].icono, link::Icono::Exclamacion);
        EXPECT_EQ(Avisos()[0].texto, caso.mensaje);
        EXPECT_TRUE(Config() == antes) << "a refusal changes nothing";
        EXPECT_EQ(m_e->Ini(), iniAntes);
        return;
    }
    EXPECT_TRUE(cierre.cerrar);
    EXPECT_TRUE(Avisos().empty());
    // What was applied is what the file now holds, and what opens next.
    config::Configuracion leida;
    config::SettingsStore(Estacion().RutaAjustes(), m_e->carpeta(), m_e->carpeta())
        .CargarConfiguracion(leida);
    EXPECT_TRUE(leida == Config());
    m_dialogo->Cargar();
    EXPECT_EQ(Campos().variante, caso.variante);
    EXPECT_EQ(Texto(Campos(), caso.teclas.front()), caso.leido ? caso.leido : previo);
}

INSTANTIATE_TEST_SUITE_P(Casos, CierreSetup, ::testing::ValuesIn(kCasos),
                         [](const auto& i) { return std::string(i.param.nombre); });

// ---------------------------------------------------------------------------

class DialogoSetupTest : public SetupFixture, public ::testing::Test {
protected:
    void TearDown() override
    {
        if (m_e) Estacion().lanzador().CerrarModem();
    }
};

// The fields the closing table does not read back.
TEST_F(DialogoSetupTest, LoadsTheOtherFieldsFromTheSettings)
{
    Arrancar("KOLTHF BW=2750\r\nAutoDisconnect=1\r\nKOLT SAT Path=/opt/sat\r\n",
             "[Path]\r\nDownload Folder=/srv/down\r\n");
    const config::CamposSetup& f = Campos();
    EXPECT_EQ(f.anchoBanda, "2750");
    EXPECT_EQ(f.ruta[2], "/opt/sat");
    EXPECT_EQ(f.carpeta, "/srv/down");
    EXPECT_TRUE(f.desconectar);
    EXPECT_FALSE(f.lanzar || f.log);
    Config().koltHFBW = "1234";
    m_dialogo->Cargar();
    EXPECT_EQ(Campos().anchoBanda, "") << "no option for an unknown bandwidth";
}

// Cancel also puts the main window's marks back to the stored variant.
TEST_F(DialogoSetupTest, LinkUpRefusesUpdateAndCancelClosesWithNothingChanged)
{
    Inactiva();
    m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return Estacion().enlace().enlazado; }));
    const config::Configuracion antes = Config();

    Campos().puertoKISS = "1"; // the link check comes first
    Campos().anchoBanda = "500";
    Campos().variante = Variante::FM;
    m_dialogo->GestionarModo();
    EXPECT_FALSE(m_dialogo->Cerrar().cerrar);
    ASSERT_EQ(Avisos().size(), 1u);
    EXPECT_EQ(Avisos()[0].texto, "No while a connection is is progress.");
    EXPECT_EQ(Avisos()[0].icono, link::Icono::Exclamacion);

    m_dialogo->Cancelar();
    EXPECT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(Avisos().size(), 1u);
    EXPECT_TRUE(Config() == antes);
    const link::ModeloVentana& m = Estacion().modelo();
    EXPECT_TRUE(m.control(link::Control::mnuPTT).visible &&
                m.control(link::Control::mnuKOLTHF).checked);
    EXPECT_FALSE(m.control(link::Control::mnuKOLTFM1200).checked);
    m_dialogo->Cargar();
    EXPECT_FALSE(m_dialogo->cancelado()) << "each load clears the cancel flag";
}

// Each update applies what changed and no more: a bandwidth alone sends
// its command and drops no socket; a new call sign changes the caption and
// tells the modem; a new KISS port reopens the KISS socket alone; a new
// command port moves both modem sockets.
TEST_F(DialogoSetupTest, EachUpdateAppliesOnlyWhatChanged)
{
    test::ServidorKISS viejo, nuevo;
    Inactiva(viejo.puerto());
    ASSERT_TRUE(Esperar([&] { return Estacion().kiss().Conectado(); }));
    const int conexiones = m_modem.conexiones;
    Campos().anchoBanda = "500";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(m_e->Ini().contains("KOLTHF BW=500\r\n"));

    m_dialogo->Cargar();
    Campos().indicativo = "n0call-5";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(Estacion().modelo().titulo(), "KOLT Chat v1.4.1      N0CALL-5");
    EXPECT_TRUE(m_e->Ini().contains("My Callsign=N0CALL-5\r\n"));

    m_dialogo->Cargar();
    Campos().puertoKISS = QString::number(nuevo.puerto());
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return nuevo.conexiones == 1 && Estacion().kiss().Conectado(); }));
    EXPECT_EQ(viejo.conexiones, 1);
    EXPECT_EQ(m_modem.lineas(), QStringList({"BW500", "MYCALL N0CALL-5", "BW500", "BW500"}));
    EXPECT_EQ(m_modem.conexiones, conexiones) << "no modem socket was closed";

    test::ModemDePrueba otro;
    m_dialogo->Cargar();
    Campos().puerto[0] = QString::number(otro.puerto());
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(Esperar([&] { return otro.lineas().contains("CHAT ON"); }));
    EXPECT_EQ(Estacion().socketComandos().peerPort(), otro.puerto());
    EXPECT_EQ(Estacion().socketDatos().peerPort(), otro.puerto() + 1);
}

// No variant (a mode the file does not name) with the launch box: the
// middle frames, no bandwidth, no PTT item and no Mode mark. The variants
// themselves, through the widgets: tests/ui.
TEST_F(DialogoSetupTest, NoVariantShowsTheMiddleFramesAndMarksNoMode)
{
    Arrancar();
    Campos().variante = Variante::Ninguna;
    Campos().lanzar = true;
    config::DisposicionSetup esperada;
    esperada.marcoTCP[1] = true;
    esperada.marcoRuta[1] = true;
    EXPECT_TRUE(m_dialogo->GestionarModo() == esperada);
    const link::ModeloVentana& m = Estacion().modelo();
    EXPECT_FALSE(m.control(link::Control::mnuPTT).visible);
    for (link::Control item :
         {link::Control::mnuKOLTHF, link::Control::mnuKOLTFM1200, link::Control::mnuKOLTSAT})
        EXPECT_FALSE(m.control(item).checked) << link::NombreControl(item).toStdString();
}

TEST_F(DialogoSetupTest, ChangeStartsAtTheStoredFolderAndACancelKeepsTheField)
{
    Arrancar({}, "[Path]\r\nDownload Folder=/srv/down/\r\n");
    m_e->operador.respuestas = {"/srv/elegida"};
    m_dialogo->Cambiar();
    EXPECT_EQ(m_e->operador.carpetasPedidas, QStringList{"/srv/down"});
    EXPECT_EQ(m_e->operador.titulosPedidos, QStringList{"Select the Destination Folder"});
    EXPECT_EQ(Config().downloadFolder, "/srv/down") << "the setting keeps the shortened text";
    EXPECT_EQ(Campos().carpeta, "/srv/elegida");

    m_dialogo->Cambiar(); // cancelled: no answer
    EXPECT_EQ(Campos().carpeta, "/srv/elegida");
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(Config().downloadFolder, "/srv/elegida");
}

// ---------------------------------------------------------------------------
// The modem program: the stand-in modem copied into the program folder,
// where it serves the ports of the variant that "KOLT Chat.ini" beside it
// names, as the chat starts it.

// True when nothing listens on the port any more.
bool Libre(quint16 puerto)
{
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, puerto);
}

TEST_F(DialogoSetupTest, ModemProgramFollowsThePathTheVariantAndTheLaunchBox)
{
    const quint16 hf = test::ModemDePrueba().puerto(), sat = test::ModemDePrueba().puerto();
    ASSERT_NE(hf, sat);
    m_modem.Cerrar();
    Arrancar(
        QStringLiteral("HF TCP Port=%1\r\nSAT TCP Port=%2\r\nFM TCP Port=%2\r\n").arg(hf).arg(sat));
    // The stand-in starts nothing of its own: the launcher need not wait
    // long for the rest of its process group.
    Estacion().lanzador().FijarEsperas(3000, 100);
    // Not the default path (the stand-in beside the program), so that
    // choosing it is a change.
    const QString simulador = QDir(m_e->carpeta()).filePath("modem");
    ASSERT_TRUE(QFile::copy(KOLT_PROGRAM_DIR "/kolt-modem-sim", simulador));
    QFile(simulador).setPermissions(QFile::permissions(KOLT_PROGRAM_DIR "/kolt-modem-sim"));
    // Linked to `puerto` at `host` by a connection other than `antes`.
    const auto unidaA = [&](quint16 puerto, const char* host = "localhost", quint16 antes = 0) {
        return Esperar(
            [&] {
                const QTcpSocket& s = Estacion().socketComandos();
                return Estacion().SocketsArriba() && s.peerPort() == puerto &&
                       s.peerName() == host && s.localPort() != antes;
            },
            15000);
    };

    // A new path for the same variant, with the launch box: started.
    Campos().ruta[0] = simulador;
    Campos().lanzar = true;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(unidaA(hf));

    // Another variant with the launch box: the old program ends, the new one serves its ports.
    m_dialogo->Cargar();
    Campos().variante = Variante::SAT;
    Campos().ruta[2] = simulador;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Avisos().empty());
    EXPECT_TRUE(Esperar([&] { return Libre(hf); })) << "the HF modem program was closed";
    EXPECT_TRUE(unidaA(sat));
    EXPECT_TRUE(m_e->Ini().contains("KOLT Mode=KOLTSAT\r\n"));

    // A new host: the sockets close and open again.
    m_dialogo->Cargar();
    Campos().host[2] = "127.0.0.1";
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    ASSERT_TRUE(unidaA(sat, "127.0.0.1"));
    EXPECT_EQ(Estacion().socketDatos().peerName(), "127.0.0.1");

    // Another variant without the launch box: the program is left alone,
    // the sockets go to the new variant's port (FM's is the same here).
    const quint16 antes = Estacion().socketComandos().localPort();
    m_dialogo->Cargar();
    Campos().variante = Variante::FM;
    Campos().lanzar = false;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_TRUE(Estacion().lanzador().EnMarcha());
    EXPECT_TRUE(unidaA(sat, "localhost", antes));
    EXPECT_EQ(Config().autoLaunch, 0);

    // A program that is not there: told before anything is touched; the
    // running program stays and the dialog stays open.
    const QString ini = m_e->Ini();
    const QString falta = QDir(m_e->carpeta()).filePath("no-such-modem");
    Campos().variante = Variante::SAT;
    Campos().ruta[2] = falta;
    Campos().lanzar = true;
    EXPECT_FALSE(m_dialogo->Cerrar().cerrar);
    ASSERT_EQ(Avisos().size(), 1u);
    EXPECT_EQ(Avisos()[0].icono, link::Icono::Critico);
    EXPECT_EQ(Avisos()[0].texto, falta + " file not found");
    // Closing the program or the sockets would show at once.
    EXPECT_TRUE(Estacion().lanzador().EnMarcha());
    EXPECT_TRUE(Estacion().SocketsArriba());
    EXPECT_EQ(Config().koltSATPath, simulador);
    EXPECT_EQ(Config().koltMode, Variante::FM);
    EXPECT_EQ(m_e->Ini(), ini);

    // Kept by the operator (the launch box off): it would outlive the chat.
    Estacion().lanzador().CerrarModem();
    EXPECT_TRUE(Esperar([&] { return Libre(sat); }));
}

// Keying follows the variant at once: a radio keyed in HF is unkeyed when
// the dialog switches to FM, and leaving FM opens the radio port without
// waiting for a restart.
TEST_F(DialogoSetupTest, SwitchingToFmUnkeysAndLeavingFmOpensTheRadioPort)
{
    keying::test::Registro registro;
    keying::test::RecordingSerialLine radio(registro);
    Arrancar(QStringLiteral("KOLT Mode=KOLTHF\r\n"),
             QStringLiteral("[PTT]\r\nVia=1\r\nRig=52\r\nCATPort=COM3\r\n"), 0, &radio);
    ASSERT_TRUE(radio.isOpen());
    Estacion().ProcesarComando(QStringLiteral("PTT ON"));
    registro.clear();

    Campos().variante = Variante::FM;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(registro, keying::test::Registro{"write 00 00 00 00 88"});
    Estacion().ProcesarComando(QStringLiteral("PTT OFF"));
    registro.clear();

    m_dialogo->Cargar();
    Campos().variante = Variante::HF;
    ASSERT_TRUE(m_dialogo->Cerrar().cerrar);
    EXPECT_EQ(registro, (keying::test::Registro{"rts 0", "dtr 0", "close",
                                                "open /dev/ttyS2 4800,n,8,2", "rts 0", "dtr 0"}));
}

} // namespace
