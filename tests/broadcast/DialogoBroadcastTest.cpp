// The broadcast dialog's rules without its widgets: what it opens with,
// the message limit, the digipeater histories, the send button's checks and
// what closing keeps.

#include "broadcast/DialogoBroadcast.h"

#include "broadcast/EnlaceKISS.h"
#include "config/Historial.h"

#include "EstacionKISS.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;
using broadcast::CampoVia;
using test::Esperar;
using test::EstacionDePrueba;

namespace {

config::Historial Lista(std::initializer_list<const char*> valores)
{
    config::Historial h;
    int i = 0;
    for (const char* v : valores)
        h[static_cast<std::size_t>(i++)] = QString::fromLatin1(v);
    return h;
}

// ---- the histories ------------------------------------------------------

struct CasoHistorial {
    const char* nombre;
    config::Historial antes;
    const char* valor;
    config::Historial despues;
};

class Historial : public ::testing::TestWithParam<CasoHistorial> {};

TEST_P(Historial, TheValueMovesToTheFront)
{
    config::Historial h = GetParam().antes;
    config::ActualizarHistorial(h, QString::fromLatin1(GetParam().valor));
    EXPECT_EQ(h, GetParam().despues);
}

config::Historial Llena()
{
    config::Historial h;
    for (int i = 0; i < config::kHistorial; ++i)
        h[static_cast<std::size_t>(i)] = QStringLiteral("D%1").arg(i);
    return h;
}

config::Historial LlenaCon(const char* primero)
{
    config::Historial h;
    h[0] = QString::fromLatin1(primero);
    for (int i = 1; i < config::kHistorial; ++i)
        h[static_cast<std::size_t>(i)] = QStringLiteral("D%1").arg(i - 1);
    return h;
}

INSTANTIATE_TEST_SUITE_P(
    Casos, Historial,
    ::testing::Values(
        CasoHistorial{"new_into_empty", {}, "WIDE1-1", Lista({"WIDE1-1"})},
        CasoHistorial{"already_first", Lista({"A", "B", "C"}), "A", Lista({"A", "B", "C"})},
        CasoHistorial{"from_the_middle", Lista({"A", "B", "C", "D"}), "C",
                      Lista({"C", "A", "B", "D"})},
        CasoHistorial{"new_pushes_down", Lista({"A", "B"}), "N", Lista({"N", "A", "B"})},
        CasoHistorial{"full_list_drops_slot_14", Llena(), "NEW", LlenaCon("NEW")},
        CasoHistorial{"last_slot_moves_up", Llena(), "D14", LlenaCon("D14")},
        // Empty is a value like any other: it lands in front and hides the list.
        CasoHistorial{"empty_goes_first", Lista({"A", "B"}), "", Lista({"", "A", "B"})},
        CasoHistorial{"empty_found_in_the_list", Lista({"A", "B"}), "", Lista({"", "A", "B"})},
        CasoHistorial{"exact_match_only", Lista({"WIDE1-1"}), "wide1-1",
                      Lista({"wide1-1", "WIDE1-1"})}),
    [](const auto& info) { return std::string(info.param.nombre); });

// ---- opening and the message --------------------------------------------

TEST(DialogoBroadcast, OpensWithTheHistoriesUpToTheFirstEmptySlot)
{
    config::Configuracion c;
    c.via1List = Lista({"WIDE1-1", "RELAY", "", "LOST"});
    c.via2List = Lista({"", "HIDDEN"});
    c.via1 = QStringLiteral("WIDE1-1");
    c.via2 = QStringLiteral("WIDE2-2");
    for (const char* modo : {"KOLTHF", "KOLTSAT", "KOLTFM", "OTHER"}) {
        c.koltMode = QString::fromLatin1(modo);
        const broadcast::ContenidoDialogo d = broadcast::CargarDialogoBroadcast(c);
        EXPECT_EQ(d.digisVisibles, c.koltMode == "KOLTFM") << modo;
        EXPECT_EQ(d.listaVia1, QStringList({"WIDE1-1", "RELAY"}));
        EXPECT_TRUE(d.listaVia2.isEmpty());
        EXPECT_EQ(d.via1, "WIDE1-1");
        EXPECT_EQ(d.via2, "WIDE2-2");
    }
}

TEST(DialogoBroadcast, MessageHoldsFiveHundredCharactersAndCountsThem)
{
    EXPECT_EQ(broadcast::ContadorMensaje(QString()), "0/500");
    EXPECT_EQ(broadcast::ContadorMensaje(QStringLiteral("hello world!")), "12/500");
    const QString lleno(500, QLatin1Char('a'));
    EXPECT_EQ(broadcast::LimitarMensaje(lleno), lleno);
    EXPECT_EQ(broadcast::LimitarMensaje(lleno + "bcd"), lleno);
    EXPECT_EQ(broadcast::ContadorMensaje(broadcast::LimitarMensaje(lleno + "b")), "500/500");
    // A character of two UTF-16 units is never cut in half at the limit.
    const QString emoji = QString(499, QLatin1Char('a')) + QStringLiteral("\U0001F600");
    EXPECT_EQ(broadcast::LimitarMensaje(emoji), QString(499, QLatin1Char('a')));
}

// ---- the send button and closing -----------------------------------------

class DialogoEnEstacion : public ::testing::Test {
protected:
    EstacionDePrueba& Arrancar(const QString& setup)
    {
        m_e = std::make_unique<EstacionDePrueba>(setup, m_modem.puerto(), m_kiss.puerto());
        EXPECT_TRUE(m_e->listo);
        EXPECT_TRUE(Esperar([&] {
            return (*m_e)->SocketsArriba() && (*m_e)->kiss().Conectado() && m_kiss.Conectado();
        }));
        return *m_e;
    }

    test::ModemDePrueba m_modem;
    test::ServidorKISS m_kiss;
    std::unique_ptr<EstacionDePrueba> m_e;
};

TEST_F(DialogoEnEstacion, InvalidDigipeaterInFmStopsEverything)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTFM\r\nVia1=RELAY\r\n");
    const QString antes = e.Ini();
    for (auto [via1, via2, foco] : {std::tuple{"WIDE1-1-1", "", CampoVia::Via1},
                                    std::tuple{"", "TOOLONGCALL", CampoVia::Via2},
                                    std::tuple{"BAD CALL", "ALSO BAD", CampoVia::Via1}}) {
        e.operador.avisos.clear();
        const broadcast::ResultadoEnvio r = broadcast::PulsarEnviarBroadcast(
            *e, QString::fromLatin1(via1), QString::fromLatin1(via2), QStringLiteral("hi"));
        EXPECT_FALSE(r.cerrar);
        EXPECT_EQ(r.invalido, foco) << via1 << " / " << via2;
        ASSERT_EQ(e.operador.avisos.size(), 1u);
        EXPECT_EQ(e.operador.avisos[0].texto, "Invalid Call Sign");
        EXPECT_EQ(e.operador.avisos[0].icono, link::Icono::Exclamacion);
    }
    test::Dejar(50);
    EXPECT_TRUE(m_kiss.recibido.isEmpty());
    EXPECT_EQ(e->config().via1, "RELAY");
    EXPECT_EQ(e.Ini(), antes) << "nothing saved";
    EXPECT_TRUE(e->modelo().textoRecepcion().isEmpty());
}

TEST_F(DialogoEnEstacion, SendInFmStoresTheDigipeatersSavesAndSends)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTFM\r\nVia1 List0=RELAY\r\n");
    const broadcast::ResultadoEnvio r = broadcast::PulsarEnviarBroadcast(
        *e, QStringLiteral("wide1-1"), QString(), QStringLiteral("hello"));
    EXPECT_TRUE(r.cerrar);
    EXPECT_EQ(r.invalido, CampoVia::Ninguno);
    EXPECT_EQ(e->config().via1, "WIDE1-1");
    EXPECT_EQ(e->config().via1List[0], "WIDE1-1");
    EXPECT_EQ(e->config().via1List[1], "RELAY");
    EXPECT_EQ(e->config().via2List[0], "") << "an empty digipeater goes first too";
    EXPECT_TRUE(e.Ini().contains("Via1 List1=RELAY"));
    EXPECT_TRUE(e.Ini().contains("Via1=WIDE1-1"));
    EXPECT_EQ(test::LineasSinHora(e->modelo().textoRecepcion()),
              QStringList({"> ALL: N0CALL-1 VIA WIDE1-1 hello  hh:mm:ss"}));
    EXPECT_TRUE(Esperar([&] { return !m_kiss.recibido.isEmpty(); }));
}

TEST_F(DialogoEnEstacion, OutsideFmTheBoxesAreNeitherCheckedNorStored)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTHF\r\nVia1=RELAY\r\n");
    const broadcast::ResultadoEnvio r = broadcast::PulsarEnviarBroadcast(
        *e, QStringLiteral("NOT A CALL"), QStringLiteral("%%%"), QStringLiteral("hello"));
    EXPECT_TRUE(r.cerrar);
    EXPECT_TRUE(e.operador.avisos.empty());
    EXPECT_EQ(e->config().via1, "RELAY");
    EXPECT_EQ(e->config().via1List[0], "RELAY") << "the histories move in every mode";
    EXPECT_EQ(test::LineasSinHora(e->modelo().textoRecepcion()),
              QStringList({"> ALL: N0CALL-1 hello  hh:mm:ss"}));
}

TEST_F(DialogoEnEstacion, ARefusedBroadcastKeepsTheDialogOpen)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTSAT\r\n");
    e->modelo().Habilitar("mnuCQ", false);
    const broadcast::ResultadoEnvio r =
        broadcast::PulsarEnviarBroadcast(*e, {}, {}, QStringLiteral("hello"));
    EXPECT_FALSE(r.cerrar);
    ASSERT_EQ(e.operador.avisos.size(), 1u);
    EXPECT_EQ(e.operador.avisos[0].texto, broadcast::kConexionEnCurso);
}

TEST_F(DialogoEnEstacion, ClosingKeepsValidBoxesInFmOnlyAndNeverWhileTheProgramCloses)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTFM\r\nVia1=RELAY\r\n");
    const QString antes = e.Ini();
    // One bad box: nothing kept, nothing said.
    broadcast::AlCerrarDialogoBroadcast(*e, QStringLiteral("wide1-1"), QStringLiteral("X-99"));
    EXPECT_EQ(e->config().via1, "RELAY");
    EXPECT_EQ(e.Ini(), antes) << "not saved";
    // Both good: stored and saved.
    broadcast::AlCerrarDialogoBroadcast(*e, QStringLiteral("wide1-1"), QString());
    EXPECT_EQ(e->config().via1, "WIDE1-1");
    EXPECT_TRUE(e.Ini().contains("Via1=WIDE1-1"));
    EXPECT_TRUE(e.operador.avisos.empty());

    // In HF valid boxes save the settings but are not stored.
    e->config().koltMode = QStringLiteral("KOLTHF");
    broadcast::AlCerrarDialogoBroadcast(*e, QStringLiteral("RELAY"), QString());
    EXPECT_EQ(e->config().via1, "WIDE1-1");

    // While the program closes, the station saves everything itself.
    e->config().koltMode = QStringLiteral("KOLTFM");
    e->Cerrar(link::Geometria{});
    e->config().via2 = QStringLiteral("UNSAVED");
    broadcast::AlCerrarDialogoBroadcast(*e, QStringLiteral("RELAY"), QStringLiteral("WIDE2-2"));
    EXPECT_EQ(e->config().via1, "WIDE1-1");
    EXPECT_FALSE(e.Ini().contains("UNSAVED"));
}

} // namespace
