// The connect dialog's rules, headless: the histories, the fields shown per
// variant, the checks in their order, what is stored when, and the call.

#include "link/DialogoConectar.h"

#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

QStringList Llena()
{
    QStringList l;
    for (char c = 'A'; c <= 'O'; ++c)
        l << QStringLiteral("K0") + QLatin1Char(c);
    return l;
}

// A station at idle, its modem on loopback.
class DialogoConectarTest : public ::testing::Test {
protected:
    void Arrancar(const QString& modo, bool modem = true)
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile f(Ini());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Setup]\r\nKOLT Mode=%1\r\nHF TCP Port=%2\r\nFM TCP Port=%2\r\n"
                               "SAT TCP Port=%2\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                    .arg(modo)
                    .arg(m_modem.puerto())
                    .toLatin1());
        f.close();
        if (!modem) m_modem.Cerrar();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        if (modem) {
            ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
            m_modem.Olvidar();
        }
    }

    QString Ini() const { return QDir(m_dir.path()).filePath("KOLT Chat.ini"); }
    QString Guardado()
    {
        QFile f(Ini());
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    config::Configuracion& Config() { return m_estacion->config(); }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
};

struct CasoVisible {
    const char* modo;
    std::optional<bool> hf, fm, sat, vias;
};

class Visibilidad : public DialogoConectarTest,
                    public ::testing::WithParamInterface<CasoVisible> {};

TEST_P(Visibilidad, PerVariant)
{
    const CasoVisible& c = GetParam();
    Arrancar(c.modo, false);
    link::DialogoConectar d(*m_estacion);
    EXPECT_EQ(d.Visible(CampoConectar::HF), c.hf);
    EXPECT_EQ(d.Visible(CampoConectar::FM), c.fm);
    EXPECT_EQ(d.Visible(CampoConectar::SAT), c.sat);
    EXPECT_EQ(d.Visible(CampoConectar::Via1), c.vias);
    EXPECT_EQ(d.Visible(CampoConectar::Via2), c.vias);
}

INSTANTIATE_TEST_SUITE_P(Modos, Visibilidad,
                         ::testing::Values(CasoVisible{"KOLTHF", true, false, false, false},
                                           CasoVisible{"KOLTFM", false, true, false, true},
                                           CasoVisible{"KOLTSAT", false, false, true, false},
                                           CasoVisible{"KOLTXX", std::nullopt, std::nullopt,
                                                       std::nullopt, std::nullopt}));

struct CasoComprobacion {
    const char* modo;
    const char* hf;
    const char* fm;
    const char* sat;
    const char* via1;
    const char* via2;
    std::optional<CampoConectar> falla;
};

class Comprobaciones : public DialogoConectarTest,
                       public ::testing::WithParamInterface<CasoComprobacion> {};

TEST_P(Comprobaciones, FirstFailingFieldInOrderAndNothingStoredOrSent)
{
    const CasoComprobacion& c = GetParam();
    Arrancar(c.modo);
    const config::Configuracion antes = Config();
    const QString ini = Guardado();
    link::DialogoConectar d(*m_estacion);
    const char* textos[] = {c.hf, c.fm, c.sat, c.via1, c.via2};
    for (CampoConectar campo : link::kCamposConectar)
        d.FijarTexto(campo, textos[int(campo)]);

    EXPECT_EQ(d.Conectar(), c.falla);
    if (!c.falla) {
        EXPECT_TRUE(m_operador.avisos.empty());
        EXPECT_EQ(m_estacion->modelo().control("mnuConnect").enabled, false) << "connecting";
        return;
    }
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Exclamacion);
    EXPECT_EQ(m_operador.avisos[0].texto, "Invalid Call Sign");
    EXPECT_EQ(Config(), antes);
    EXPECT_EQ(Guardado(), ini);
    test::Dejar(30);
    EXPECT_TRUE(m_modem.lineas().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Comprobaciones,
    ::testing::Values(
        CasoComprobacion{"KOLTHF", "", "", "", "", "", CampoConectar::HF},
        CasoComprobacion{"KOLTHF", "N0CALL-99", "", "", "", "", CampoConectar::HF},
        CasoComprobacion{"KOLTHF", "N0CALL-3", "bad call", "x-", "-", "-", std::nullopt},
        CasoComprobacion{"KOLTFM", "", "", "", "", "", CampoConectar::FM},
        CasoComprobacion{"KOLTFM", "", "TOOLONGCALL", "", "!", "", CampoConectar::FM},
        CasoComprobacion{"KOLTFM", "", "N0CALL-3", "", "N0CALL-", "bad", CampoConectar::Via1},
        CasoComprobacion{"KOLTFM", "", "N0CALL-3", "", "", "N0 CALL", CampoConectar::Via2},
        CasoComprobacion{"KOLTFM", "x-", "N0CALL-3", "", "", "", std::nullopt},
        CasoComprobacion{"KOLTSAT", "", "", "", "", "", CampoConectar::SAT},
        CasoComprobacion{"KOLTSAT", "", "", "N0CALL-T", "bad", "bad", std::nullopt},
        CasoComprobacion{"KOLTXX", "", "", "", "", "", std::nullopt}));

TEST_F(DialogoConectarTest, ConnectStoresTheUpperCasedTargetMovesItFrontSavesAndCalls)
{
    Arrancar("KOLTHF");
    Config().connectHFList = Lista({"K0A", "K0B", "N0CALL-3", "K0C"});
    link::DialogoConectar d(*m_estacion);
    EXPECT_EQ(d.Texto(CampoConectar::HF), "N0CALL-2");
    EXPECT_EQ(d.Lista(CampoConectar::HF), (QStringList{"K0A", "K0B", "N0CALL-3", "K0C"}));
    int avisos = 0;
    QObject::connect(m_estacion.get(), &link::Estacion::conexionIniciada, [&] { ++avisos; });

    d.FijarTexto(CampoConectar::HF, "n0call-3");
    d.Validar(CampoConectar::HF); // the field leaves the focus for the button
    EXPECT_EQ(d.Texto(CampoConectar::HF), "N0CALL-3");
    EXPECT_EQ(d.Conectar(), std::nullopt);
    EXPECT_EQ(Config().connectWithHF, "N0CALL-3");
    EXPECT_EQ(Config().connectHFList, Lista({"N0CALL-3", "K0A", "K0B", "K0C"}));
    EXPECT_EQ(Config().connectFMList, Lista({"N0CALL-2"}))
        << "every history moves, whatever the mode";
    EXPECT_TRUE(Guardado().contains("Connect With HF=N0CALL-3\r\n"));
    EXPECT_TRUE(Guardado().contains("ConnectHF List0=N0CALL-3\r\n"));
    EXPECT_EQ(m_estacion->modelo().panel(link::Panel::Indicativos).texto,
              "Connecting with N0CALL-3 ...");
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-3"}; }));
    EXPECT_EQ(avisos, 0);
    d.Descargar();
    d.AvisarConexion();
    EXPECT_EQ(avisos, 1) << "the broadcast dialog closes after this one";
}

TEST_F(DialogoConectarTest, ConnectMovesEveryHistoryToItsField)
{
    Arrancar("KOLTFM");
    const QStringList llena = Llena();
    Config().connectHFList = Lista(llena);
    Config().connectWithHF = "K0D"; // slot 3
    Config().connectFMList = Lista(llena);
    Config().via1List = Lista({"K0A", "K0B"});
    Config().via2List = Lista({"K0A", "K0B"});
    link::DialogoConectar d(*m_estacion);
    d.FijarTexto(CampoConectar::FM, "EA1NEW");
    d.FijarTexto(CampoConectar::Via1, "");
    d.FijarTexto(CampoConectar::Via2, "K0B");
    ASSERT_EQ(d.Conectar(), std::nullopt);

    EXPECT_EQ(Config().connectHFList, Lista(QStringList{"K0D", "K0A", "K0B", "K0C"} + llena.mid(4)))
        << "slots 0 to 2 move down, 4 to 14 stay";
    EXPECT_EQ(Config().connectFMList, Lista(QStringList{"EA1NEW"} + llena.mid(0, 14)))
        << "a new value drops slot 14";
    EXPECT_EQ(Config().via1List, Lista({"", "K0A", "K0B"}));
    EXPECT_EQ(Config().via2List, Lista({"K0B", "K0A"}));
    link::DialogoConectar otra(*m_estacion);
    EXPECT_EQ(otra.Lista(CampoConectar::FM).size(), 15);
    EXPECT_TRUE(otra.Lista(CampoConectar::Via1).isEmpty()) << "an empty front hides the list";
    EXPECT_EQ(otra.Lista(CampoConectar::Via2), (QStringList{"K0B", "K0A"}));
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 EA1NEW"}; }));
}

TEST_F(DialogoConectarTest, SecondDigipeaterWithoutFirstIsStoredButNotCalled)
{
    Arrancar("KOLTFM");
    link::DialogoConectar d(*m_estacion);
    d.FijarTexto(CampoConectar::Via2, "N0CALL-5");
    ASSERT_EQ(d.Conectar(), std::nullopt);
    EXPECT_EQ(Config().via2, "N0CALL-5");
    EXPECT_EQ(Config().via1List[0], "");
    EXPECT_EQ(Config().via2List[0], "N0CALL-5");
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-2"}; }));
}

TEST_F(DialogoConectarTest, ClosingStoresValidFieldsButLeavesTheHistory)
{
    Arrancar("KOLTSAT");
    link::DialogoConectar d(*m_estacion);
    d.FijarTexto(CampoConectar::SAT, "EA4NEW");
    d.FijarTexto(CampoConectar::HF, "EA4HF"); // not of this variant: not stored
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW");
    EXPECT_EQ(Config().connectWithHF, "N0CALL-2");
    EXPECT_EQ(Config().connectSATList, config::Historial{});
    EXPECT_TRUE(Guardado().contains("Connect With SAT=EA4NEW\r\n"));
    EXPECT_TRUE(m_modem.lineas().isEmpty());

    d.FijarTexto(CampoConectar::SAT, "EA4XYZ");
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "EA4NEW") << "unloaded once";
}

TEST_F(DialogoConectarTest, ClosingWithAnyInvalidFieldStoresNothing)
{
    Arrancar("KOLTSAT");
    const QString ini = Guardado();
    link::DialogoConectar d(*m_estacion);
    d.FijarTexto(CampoConectar::SAT, "EA4NEW");
    d.FijarTexto(CampoConectar::Via2, "NOT A CALL"); // hidden in SAT, still checked
    d.Descargar();
    EXPECT_EQ(Config().connectWithSAT, "N0CALL-2");
    EXPECT_EQ(Guardado(), ini);
}

TEST_F(DialogoConectarTest, ClosingWhileTheProgramClosesStoresNothing)
{
    Arrancar("KOLTHF");
    link::DialogoConectar d(*m_estacion);
    m_estacion->Cerrar(link::Geometria{});
    const QString ini = Guardado();
    d.FijarTexto(CampoConectar::HF, "EA4NEW");
    d.Descargar();
    EXPECT_EQ(Config().connectWithHF, "N0CALL-2");
    EXPECT_EQ(Guardado(), ini);
}

TEST_F(DialogoConectarTest, ConnectMenuNeedsCqEnabledAndBothSockets)
{
    Arrancar("KOLTHF");
    int focos = 0;
    QObject::connect(&m_estacion->modelo(), &link::ModeloVentana::focoTransmision,
                     [&] { ++focos; });
    EXPECT_TRUE(link::PuedeAbrirConectar(*m_estacion));
    EXPECT_EQ(focos, 1);

    m_estacion->modelo().Habilitar("mnuCQ", false);
    EXPECT_FALSE(link::PuedeAbrirConectar(*m_estacion));
    EXPECT_TRUE(m_operador.avisos.empty()) << "a disabled CQ makes the click do nothing";

    m_estacion->modelo().Habilitar("mnuCQ", true);
    m_modem.Cerrar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->SocketsArriba(); }));
    EXPECT_FALSE(link::PuedeAbrirConectar(*m_estacion));
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
    EXPECT_EQ(focos, 1);
}

} // namespace
