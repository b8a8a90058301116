// The connect dialog's rules, headless: the histories, the fields shown per
// variant, the checks in their order, what is stored when, and the call.
// What the widget shows of them, the upper-casing on leaving a field and
// the broadcast dialog closing after a call are tests/ui (frmConnectTest).

#include "link/DialogoConectar.h"

#include "link/Estacion.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::CampoConectar;
using test::Esperar;

namespace {

config::Historial Lista(const QStringList& entradas)
{
    config::Historial h;
    for (qsizetype i = 0; i < entradas.size(); ++i)
        h[std::size_t(i)] = entradas[i];
    return h;
}

// A station at idle in the given mode, its modem on loopback.
class DialogoConectarTest : public ::testing::Test {
protected:
    void Arrancar(const char* modo, bool modem = true)
    {
        if (!modem) m_modem.Cerrar();
        m_e = std::make_unique<test::EstacionDePrueba>(QStringLiteral("KOLT Mode=%1\r\n").arg(modo),
                                                       m_modem.puerto());
        ASSERT_TRUE(m_e->listo);
        if (!modem) return;
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        m_modem.Olvidar();
    }

    link::Estacion& Estacion() { return **m_e; }
    config::Configuracion& Config() { return Estacion().config(); }
    std::vector<test::OperadorGuion::Aviso>& Avisos() { return m_e->operador.avisos; }

    test::ModemDePrueba m_modem;
    std::unique_ptr<test::EstacionDePrueba> m_e;
};

// HF and FM through the widgets: tests/ui.
TEST_F(DialogoConectarTest, FieldsShownPerVariant)
{
    Arrancar("KOLTHF", false);
    const struct {
        const char* modo;
        std::optional<bool> hf, fm, sat, vias;
    } casos[] = {{"KOLTSAT", false, false, true, false},
                 {"KOLTXX", std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
    for (const auto& c : casos) {
        Config().koltMode = config::ModoKolt::DesdeTexto(QString::fromLatin1(c.modo));
        const link::DialogoConectar d(Estacion());
        EXPECT_EQ(d.Visible(CampoConectar::HF), c.hf) << c.modo;
        EXPECT_EQ(d.Visible(CampoConectar::FM), c.fm) << c.modo;
        EXPECT_EQ(d.Visible(CampoConectar::SAT), c.sat) << c.modo;
        EXPECT_EQ(d.Visible(CampoConectar::Via1), c.vias) << c.modo;
        EXPECT_EQ(d.Visible(CampoConectar::Via2), c.vias) << c.modo;
    }
}

struct CasoComprobacion {
    const char* modo;
    std::array<const char*, 5> textos; // HF, FM, SAT, Via1, Via2
    std::optional<CampoConectar> falla;
};

void PrintTo(const CasoComprobacion& c, std::ostream* os)
{
    *os << c.modo;
    for (const char* texto : c.textos)
        *os << " [" << texto << ']';
}

class Comprobaciones : public DialogoConectarTest,
                       public ::testing::WithParamInterface<CasoComprobacion> {};

TEST_P(Comprobaciones, FirstFailingFieldInOrderAndNothingStoredOrSent)
{
    const CasoComprobacion& c = GetParam();
    Arrancar(c.modo);
    const config::Configuracion antes = Config();
    const QString ini = m_e->Ini();
    link::DialogoConectar d(Estacion());
    for (CampoConectar campo : link::kCamposConectar)
        d.FijarTexto(campo, c.textos[int(campo)]);

    EXPECT_EQ(d.Conectar(), c.falla);
    if (!c.falla) {
        EXPECT_TRUE(Avisos().empty());
        EXPECT_FALSE(m_e->Habilitado(link::Control::mnuConnect)) << "connecting";
        return;
    }
    ASSERT_EQ(Avisos().size(), 1u);
    EXPECT_EQ(Avisos()[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(Avisos()[0].texto, "Invalid Call Sign");
    EXPECT_EQ(Config(), antes);
    EXPECT_EQ(m_e->Ini(), ini);
    test::Dejar(30);
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
        CasoComprobacion{"KOLTHF", {"", "", "", "", ""}, CampoConectar::HF},
        CasoComprobacion{"KOLTHF", {"N0CALL-99", "", "", "", ""}, CampoConectar::HF},
        CasoComprobacion{"KOLTHF", {"N0CALL-3", "bad call", "x-", "-", "-"}, std::nullopt},
        CasoComprobacion{"KOLTFM", {"", "", "", "", ""}, CampoConectar::FM},
        CasoComprobacion{"KOLTFM", {"", "TOOLONGCALL", "", "!", ""}, CampoConectar::FM},
        CasoComprobacion{"KOLTFM", {"", "N0CALL-3", "", "N0CALL-", "bad"}, CampoConectar::Via1},
        CasoComprobacion{"KOLTFM", {"", "N0CALL-3", "", "", "N0 CALL"}, CampoConectar::Via2},
        CasoComprobacion{"KOLTFM", {"x-", "N0CALL-3", "", "", ""}, std::nullopt},
        CasoComprobacion{"KOLTSAT", {"", "", "", "", ""}, CampoConectar::SAT},
        CasoComprobacion{"KOLTSAT", {"", "", "N0CALL-T", "bad", "bad"}, std::nullopt},
        CasoComprobacion{"KOLTXX", {"", "", "", "", ""}, std::nullopt}),
    NombreComprobacion);

// Every history moves to the front whatever the mode: slot 3 to the front,
// a new value dropping slot 14; an empty value never enters a list, and an
// empty slot an older file left inside one closes up.
TEST_F(DialogoConectarTest, ConnectStoresMovesEveryHistorySavesAndCalls)
{
    Arrancar("KOLTFM");
    QStringList llena;
    for (char c = 'A'; c <= 'O'; ++c)
        llena << QStringLiteral("K0") + QLatin1Char(c);
    Config().connectHFList = Lista(llena);
    Config().connectWithHF = "K0D";
    Config().connectFMList = Lista(llena);
    Config().via1List = Lista({"K0A", "K0B"});
    Config().via2List = Lista({"", "K0A", "K0B"});
    link::DialogoConectar d(Estacion());

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
    link::DialogoConectar otra(Estacion());
    EXPECT_EQ(otra.Lista(CampoConectar::FM).size(), 15);
    EXPECT_EQ(otra.Lista(CampoConectar::Via1), QStringList({"K0A", "K0B"}));
    EXPECT_TRUE(m_e->Ini().contains("Via1 List0=K0A\r\nVia1 List1=K0B\r\nVia1 List2=\r\n"));
    EXPECT_TRUE(m_e->Ini().contains("Connect With FM=EA1NEW\r\n"));
    EXPECT_TRUE(m_e->Ini().contains("ConnectFM List0=EA1NEW\r\n"));
    EXPECT_EQ(Estacion().modelo().panel(link::Panel::Indicativos).texto,
              "Connecting with EA1NEW ...");
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 EA1NEW"}; }));
}

// Closing stores the variant's target only when every field is valid,
// once, and never while the program closes; the histories stay.
TEST_F(DialogoConectarTest, UnloadRule)
{
    Arrancar("KOLTSAT");
    const QString ini = m_e->Ini();
    {
        link::DialogoConectar d(Estacion());
        d.FijarTexto(CampoConectar::SAT, "EA4NEW");
        d.FijarTexto(CampoConectar::Via2, "NOT A CALL"); // hidden in SAT, still checked
        d.Descargar();
        EXPECT_EQ(Config().connectWithSAT, "N0CALL-2");
        EXPECT_EQ(m_e->Ini(), ini);
    }
    link::DialogoConectar d(Estacion());
    d.FijarTexto(CampoConectar::SAT, "EA4NEW");
    d.FijarTexto(CampoConectar::HF, "EA4HF"); // not of this variant: not stored
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW");
    EXPECT_EQ(Config().connectWithHF, "N0CALL-2");
    EXPECT_TRUE(m_e->Ini().contains("Connect With SAT=EA4NEW\r\n"));
    d.FijarTexto(CampoConectar::SAT, "EA4XYZ");
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW") << "unloaded once";
    EXPECT_TRUE(m_modem.lineas().isEmpty());

    Estacion().Cerrar(link::Geometria{});
    link::DialogoConectar alCerrar(Estacion());
    alCerrar.FijarTexto(CampoConectar::SAT, "EA4XYZ");
    alCerrar.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW");
}

TEST_F(DialogoConectarTest, ConnectMenuTellsWhyItDoesNotOpen)
{
    Arrancar("KOLTHF");
    int focos = 0;
    QObject::connect(&Estacion().modelo(), &link::ModeloVentana::focoTransmision, [&] { ++focos; });
    EXPECT_TRUE(link::PuedeAbrirConectar(Estacion()));
    EXPECT_EQ(focos, 1);

    Estacion().modelo().Habilitar(link::Control::mnuCQ, false);
    EXPECT_FALSE(link::PuedeAbrirConectar(Estacion()));
    ASSERT_EQ(Avisos().size(), 1u) << "a click that does nothing must say why";
    EXPECT_EQ(Avisos()[0].texto, "Not while the modem is transmitting");

    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !Estacion().SocketsArriba(); }));
    EXPECT_FALSE(link::PuedeAbrirConectar(Estacion()));
    ASSERT_EQ(Avisos().size(), 2u);
    EXPECT_EQ(Avisos()[1].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
    EXPECT_EQ(focos, 1);
}

} // namespace
