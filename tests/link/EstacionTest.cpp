// The station against a bare modem on loopback; the way from idle to linked
// and back with its panels and controls is HistoriaModemTest's.

#include "link/Estacion.h"
#include "link/DialogoConectar.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;
using link::CampoConectar;
using model::Panel;
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
    model::EstadoControl Control(model::Control c) { return (*m_e)->modelo().control(c); }
    model::EstadoPanel PanelDe(Panel p) { return (*m_e)->modelo().panel(p); }
    QString Indicativos() { return PanelDe(Panel::Indicativos).texto; }

    test::ModemDePrueba m_modem;
    std::unique_ptr<test::EstacionDePrueba> m_e;
};

// A second copy in the same folder is refused and saves nothing; closing
// stops the reconnecting.
TEST_F(EstacionTest, StartUpSecondCopyLinkLostModemRestartAndClose)
{
    link::Estacion& e = Arrancar("My Callsign=ea4xyz-7\r\nKOLTHF BW=500\r\n");
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedVerde");
    const QString antes = m_e->Ini();
    test::OperadorGuion otro;
    link::Estacion::Entorno entorno = e.entorno();
    entorno.operador = &otro;
    link::Estacion segunda(entorno);
    EXPECT_EQ(segunda.Iniciar(), link::Estacion::Arranque::OtraCopia);
    ASSERT_EQ(otro.avisos.size(), 1u);
    EXPECT_EQ(otro.avisos[0].texto,
              "Error: Another copy of KOLT Chat is running from this folder. Only one copy can be "
              "run at a time from the same folder");
    EXPECT_EQ(m_e->Ini(), antes);

    m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }, 300)) << "at once, no retry wait";
    EXPECT_EQ(Indicativos(), "Disconnected");
    EXPECT_FALSE(Control(model::Control::mnuConnect).enabled)
        << "left as linked until the sockets are back";
    EXPECT_EQ(PanelDe(Panel::TCP).imagen, "LedRojo");

    m_modem.Olvidar();
    ASSERT_TRUE(m_modem.Reabrir());
    // Retried within about a second of the modem listening again.
    ASSERT_TRUE(Lineas({"MYCALL EA4XYZ-7", "CHAT ON", "BW500"}));
    ASSERT_TRUE(Esperar([&] { return e.SocketsArriba(); }));
    e.Cerrar({100, 200, 9000, 7000, 0});
    const int conexiones = m_modem.conexiones;
    EXPECT_FALSE(Esperar([&] { return m_modem.conexiones != conexiones; }, 1500)) << "1 s retry";
}

// The start-up commands of each mode, then the call, and nothing between.
struct CasoConectar {
    const char* nombre;
    const char* modo;
    const char* anchoBanda;
    const char* via1;
    const char* via2;
    QStringList lineas;
};

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
        CasoConectar{"HfVias", "KOLTHF", "2300", "D1", "D2", {"BW2300", "CONNECT N0CALL-1 HF1"}},
        CasoConectar{"HfUnknownBandwidth", "KOLTHF", "1200", "", "", {"CONNECT N0CALL-1 HF1"}},
        CasoConectar{"SatVia", "KOLTSAT", "500", "D1", "", {"CONNECT N0CALL-1 SAT1"}},
        CasoConectar{"FmVias", "KOLTFM", "2300", "D1", "D2", {"CONNECT N0CALL-1 FM1 VIA D1 D2"}}),

    [](const auto& info) { return std::string(info.param.nombre); });

// "WRONG" shows idle but keeps the own call; Stop waits for "DISCONNECTED".
TEST_F(EstacionTest, WrongThenStopWhileConnecting)
{
    link::Estacion& e = Inactiva();
    e.Conectar();
    m_modem.Enviar("WRONG\r");
    ASSERT_TRUE(Esperar([&] { return Control(model::Control::mnuConnect).enabled; }));
    EXPECT_FALSE(e.enlace().llamadaPropia) << "the refused call is over";

    e.Conectar();
    e.Abortar();
    EXPECT_FALSE(Control(model::Control::mnuStop).enabled);
    ASSERT_TRUE(Lineas({"CONNECT N0CALL-1 N0CALL-2", "CONNECT N0CALL-1 N0CALL-2", "ABORT"}));
    EXPECT_EQ(Indicativos(), "Disconnecting...") << "only DISCONNECTED ends it";

    // A CONNECTED that crosses the ABORT marks the link up but keeps Stop off;
    // "DISCONNECTED " with a blank is not the keyword.
    m_modem.Enviar("DISCONNECTED \rCONNECTED N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_FALSE(Control(model::Control::mnuStop).enabled);
    EXPECT_TRUE(Control(model::Control::cmdEnviar).visible);
    EXPECT_EQ(Indicativos(), "Disconnecting...");

    m_modem.Enviar("disconnected\r");
    ASSERT_TRUE(Esperar([&] { return !e.enlace().enlazado; }));
    EXPECT_EQ(Indicativos(), "Disconnected");
    EXPECT_FALSE(e.enlace().llamadaPropia || e.enlace().desconectando);

    // A refused call, then the far station's call: the far station is the caller.
    e.Conectar();
    m_modem.Enviar("WRONG\rCONNECTED N0CALL-2 N0CALL-1\r");
    ASSERT_TRUE(Esperar([&] { return e.enlace().enlazado; }));
    EXPECT_EQ(e.enlace().Remota(), "N0CALL-2");
    EXPECT_EQ(Indicativos(), "N0CALL-2 <-> N0CALL-1");
}

// The connect dialog's rules, headless; the widget is tests/ui's.
class DialogoConectarTest : public EstacionTest {
protected:
    link::Estacion& Arrancar(const char* modo)
    {
        return Inactiva(QStringLiteral("KOLT Mode=%1\r\n").arg(modo));
    }
    config::Configuracion& Config() { return (*m_e)->config(); }
    std::vector<test::OperadorGuion::Aviso>& Avisos() { return m_e->operador.avisos; }
};

config::Historial Lista(const QStringList& entradas)
{
    config::Historial h;
    for (qsizetype i = 0; i < entradas.size(); ++i)
        h[std::size_t(i)] = entradas[i];
    return h;
}

struct CasoComprobacion {
    const char* modo;
    std::array<const char*, 5> textos; // HF, FM, SAT, Via1, Via2
    std::optional<CampoConectar> falla;
};

class Comprobaciones : public DialogoConectarTest,
                       public ::testing::WithParamInterface<CasoComprobacion> {};

TEST_P(Comprobaciones, FirstFailingFieldInOrderAndNothingStoredOrSent)
{
    const CasoComprobacion& c = GetParam();
    link::Estacion& e = Arrancar(c.modo);
    const config::Configuracion antes = Config();
    const QString ini = m_e->Ini();
    link::DialogoConectar d(e.ServiciosDialogoConectar());
    for (CampoConectar campo : link::kCamposConectar)
        d.FijarTexto(campo, c.textos[int(campo)]);

    EXPECT_EQ(d.Conectar(), c.falla);
    if (!c.falla) {
        EXPECT_TRUE(Avisos().empty());
        EXPECT_FALSE(m_e->Habilitado(model::Control::mnuConnect)) << "connecting";
        return;
    }
    ASSERT_EQ(Avisos().size(), 1u);
    EXPECT_EQ(Avisos()[0].texto, "Invalid Call Sign");
    EXPECT_EQ(Config(), antes);
    EXPECT_EQ(m_e->Ini(), ini);
    EXPECT_TRUE(m_modem.lineas().isEmpty());
}

std::string NombreComprobacion(const ::testing::TestParamInfo<CasoComprobacion>& info)
{
    const char* campos[] = {"HF", "FM", "SAT", "Via1", "Via2"};
    const auto& falla = info.param.falla;
    return std::string(info.param.modo) + "_" + (falla ? campos[int(*falla)] : "Valid") + "_" +
           std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Comprobaciones,
    ::testing::Values(
        CasoComprobacion{"KOLTHF", {"N0CALL-3", "bad call", "x-", "-", "-"}, std::nullopt},
        CasoComprobacion{"KOLTFM", {"", "TOOLONGCALL", "", "!", ""}, CampoConectar::FM},
        CasoComprobacion{"KOLTFM", {"", "N0CALL-3", "", "N0CALL-", "bad"}, CampoConectar::Via1},
        CasoComprobacion{"KOLTSAT", {"", "", "", "", ""}, CampoConectar::SAT},
        CasoComprobacion{"KOLTSAT", {"", "", "N0CALL-T", "bad", "bad"}, std::nullopt},
        CasoComprobacion{"KOLTXX", {"", "", "", "", "bad"}, std::nullopt}),
    NombreComprobacion);

// Every history moves to the front whatever the mode; an empty value never
// enters a list, and an empty slot an older file left inside one closes up.
TEST_F(DialogoConectarTest, ConnectStoresMovesEveryHistorySavesAndCalls)
{
    link::Estacion& e = Arrancar("KOLTFM");
    QStringList llena;
    for (char c = 'A'; c <= 'O'; ++c)
        llena << QStringLiteral("K0") + QLatin1Char(c);
    Config().connectHFList = Lista(llena);
    Config().connectWithHF = "K0D";
    Config().connectFMList = Lista(llena);
    Config().via1List = Lista({"K0A", "K0B"});
    Config().via2List = Lista({"", "K0A", "K0B"});
    link::DialogoConectar d(e.ServiciosDialogoConectar());

    d.FijarTexto(CampoConectar::FM, "EA1NEW");
    d.FijarTexto(CampoConectar::Via1, "");
    d.FijarTexto(CampoConectar::Via2, "K0B"); // without a first: stored, not called
    ASSERT_EQ(d.Conectar(), std::nullopt);

    EXPECT_EQ(Config().connectWithFM, "EA1NEW");
    EXPECT_EQ(Config().connectHFList,
              Lista(QStringList{"K0D", "K0A", "K0B", "K0C"} + llena.mid(4)));
    EXPECT_EQ(Config().connectFMList, Lista(QStringList{"EA1NEW"} + llena.mid(0, 14)));
    EXPECT_EQ(Config().via1List, Lista({"K0A", "K0B"}));
    EXPECT_EQ(Config().via2List, Lista({"K0B", "K0A"}));
    EXPECT_TRUE(m_e->Ini().contains("Via1 List0=K0A\r\nVia1 List1=K0B\r\nVia1 List2=\r\n"));
    EXPECT_TRUE(m_e->Ini().contains("Connect With FM=EA1NEW\r\n")) << "saved at once";
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 EA1NEW"}; }));
}

// Only the SAT field shows in SAT. Closing stores the variant's target only
// when every field is valid, and never while the program closes.
TEST_F(DialogoConectarTest, UnloadRule)
{
    link::Estacion& e = Arrancar("KOLTSAT");
    const QString ini = m_e->Ini();
    {
        link::DialogoConectar d(e.ServiciosDialogoConectar());
        for (CampoConectar campo : link::kCamposConectar)
            EXPECT_EQ(d.Visible(campo), campo == CampoConectar::SAT) << int(campo);
        d.FijarTexto(CampoConectar::SAT, "EA4NEW");
        d.FijarTexto(CampoConectar::Via2, "NOT A CALL"); // hidden in SAT, still checked
        d.Descargar();
        EXPECT_EQ(Config().connectWithSAT, "N0CALL-2");
        EXPECT_EQ(m_e->Ini(), ini);
    }
    link::DialogoConectar d(e.ServiciosDialogoConectar());
    d.FijarTexto(CampoConectar::SAT, "EA4NEW");
    d.FijarTexto(CampoConectar::HF, "EA4HF"); // not of this variant: not stored
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW");
    EXPECT_EQ(Config().connectWithHF, "N0CALL-2");

    e.Cerrar(model::Geometria{});
    link::DialogoConectar alCerrar(e.ServiciosDialogoConectar());
    alCerrar.FijarTexto(CampoConectar::SAT, "EA4XYZ");
    alCerrar.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW");
}

TEST_F(DialogoConectarTest, ConnectMenuTellsWhyItDoesNotOpen)
{
    link::Estacion& e = Arrancar("KOLTHF");
    EXPECT_TRUE(e.PuedeAbrirConectar());

    e.modelo().Habilitar(model::Control::mnuCQ, false);
    EXPECT_FALSE(e.PuedeAbrirConectar());
    ASSERT_EQ(Avisos().size(), 1u) << "a click that does nothing must say why";
    EXPECT_EQ(Avisos()[0].texto, "Not while the modem is transmitting");

    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !e.SocketsArriba(); }));
    EXPECT_FALSE(e.PuedeAbrirConectar());
    ASSERT_EQ(Avisos().size(), 2u);
    EXPECT_EQ(Avisos()[1].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
}

} // namespace
