// The station's KISS link against a bare KISS port on loopback (the bytes
// it writes, how it reassembles and reconnects), and the broadcast dialog's
// rules without its widgets (tests/ui/frmBroadcastTest.cpp binds them).

#include "broadcast/EnlaceKISS.h"
#include "broadcast/DialogoBroadcast.h"
#include "config/Ansi.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;
using broadcast::CampoVia;
using test::Esperar;
using test::EstacionDePrueba;

namespace {

// A KISS frame as a station sends it.
QByteArray Kiss(std::vector<std::string> direcciones, std::string_view info, std::uint8_t comando)
{
    const auto* b = reinterpret_cast<const std::uint8_t*>(info.data());
    const auto kiss = broadcast::CodificarKISS(
        broadcast::ConstruirTramaUI(direcciones, broadcast::LongitudDireccion(comando),
                                    std::span(b, info.size())),
        comando);
    return QByteArray(reinterpret_cast<const char*>(kiss.data()), qsizetype(kiss.size()));
}

class EnlaceKISSTest : public ::testing::Test {
protected:
    EstacionDePrueba& Arrancar(const QString& setup = {})
    {
        m_e = std::make_unique<EstacionDePrueba>(setup, m_modem.puerto(), m_kiss.puerto());
        EXPECT_TRUE(m_e->listo && m_e->Arriba(&m_kiss));
        return *m_e;
    }

    broadcast::ResultadoEnvio Enviar(const char* via1, const char* via2)
    {
        return broadcast::PulsarEnviarBroadcast((**m_e).kiss(), QString::fromLatin1(via1),
                                                QString::fromLatin1(via2), QStringLiteral("hello"));
    }

    test::ModemDePrueba m_modem;
    test::ServidorKISS m_kiss;
    std::unique_ptr<EstacionDePrueba> m_e;
};

// 0xC0 and 0xDB in the code page: escaped on the wire, shown as typed; the
// message is cut at 500 characters, never inside one (typing: tests/ui).
TEST_F(EnlaceKISSTest, BroadcastAndCqGoOutAsOneExactKissFrameEachInTheAnsiCodePage)
{
    config::FijarPaginaDelSistema(1252);
    EstacionDePrueba& e = Arrancar("KOLTHF BW=500\r\n");
    const QString mensaje = QStringLiteral("\u00C0\u00DB") + QString(497, QLatin1Char('x')) +
                            QStringLiteral("\U0001F600 cut");
    ASSERT_TRUE(e->kiss().EnviarBroadcast(mensaje));
    e->modelo().Habilitar(model::Control::mnuCQ, true); // as the modem's "PTT OFF" would
    e->kiss().AccionCQ();

    const QByteArray esperado =
        Kiss({"ALL", "N0CALL-1"}, "\xC0\xDB" + std::string(497, 'x'), 0x00) +
        Kiss({"CQ", "N0CALL-1"}, "0", 0x01);
    ASSERT_TRUE(Esperar([&] { return m_kiss.recibido.size() >= esperado.size(); }));
    EXPECT_EQ(m_kiss.recibido.toHex(' '), esperado.toHex(' '));
    EXPECT_EQ(e.Pantalla(), QStringList({"> ALL: N0CALL-1 " + mensaje.left(499) + "  hh:mm:ss",
                                         "> CQ de N0CALL-1 on 500          hh:mm:ss"}));
}

// A CQ whose end the modem never reports must not lock CQ, Broadcast and
// Connect away; "PTT ON" starts the wait afresh. KISS down: VentanaRealTest.
TEST_F(EnlaceKISSTest, CqWaitIsBounded)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTSAT\r\n");
    e.FijarEsperaFinTransmision(300);
    ASSERT_TRUE(e.Arriba(&m_kiss));
    e->kiss().AccionCQ();
    ASSERT_TRUE(Esperar([&] { return !m_kiss.recibido.isEmpty(); }));
    EXPECT_FALSE(e.Habilitado(model::Control::mnuCQ));
    ASSERT_TRUE(Esperar([&] {
        return e.Habilitado(model::Control::mnuCQ) && e.Habilitado(model::Control::mnuBroadcast);
    }));
    e->ProcesarComando("PTT ON");
    EXPECT_FALSE(e.Habilitado(model::Control::mnuCQ));
    e->ProcesarComando("PTT OFF");
    EXPECT_TRUE(e.Habilitado(model::Control::mnuCQ));
}

// One reassembler for a connection's reads, afresh for the next, which the
// socket's Close event starts without waiting for the timer; once the
// station closes, a lost link stays lost and refuses a broadcast.
TEST_F(EnlaceKISSTest, FramesJoinAcrossReadsButNotAcrossConnections)
{
    EstacionDePrueba& e = Arrancar();
    const QByteArray uno = Kiss({"ALL", "N0CALL-3"}, "hi there", 0x00);
    const QByteArray cq = Kiss({"CQ", "N0CALL-4"}, "1", 0x01);
    m_kiss.Enviar(QByteArray::fromHex("0102") + uno.left(5)); // joined mid-frame
    m_kiss.Enviar(uno.mid(5) + cq.left(3));
    m_kiss.Enviar(cq.mid(3));
    ASSERT_TRUE(Esperar([&] { return e.Pantalla().size() >= 2; }));

    const QByteArray perdida = Kiss({"ALL", "N0CALL-5"}, "lost", 0x00);
    m_kiss.Enviar(perdida.left(12));
    m_kiss.Cortar();
    ASSERT_TRUE(Esperar([&] { return m_kiss.conexiones == 2 && m_kiss.Conectado(); }, 3000));
    ASSERT_TRUE(Esperar([&] { return e->kiss().Conectado(); }));
    m_kiss.Enviar(perdida.mid(12) + Kiss({"ALL", "N0CALL-6"}, "second", 0x00));
    ASSERT_TRUE(Esperar([&] { return e.Pantalla().size() >= 3; }));
    EXPECT_EQ(e.Pantalla(), QStringList({"< ALL: N0CALL-3 hi there  hh:mm:ss",
                                         "< CQ de N0CALL-4 on 2300     hh:mm:ss",
                                         "< ALL: N0CALL-6 second  hh:mm:ss"}));

    e->Cerrar(model::Geometria{});
    m_kiss.Cortar();
    EXPECT_FALSE(Esperar([&] { return m_kiss.conexiones > 2; }, 1500)) << "closed: stays lost";
    EXPECT_FALSE(e->kiss().EnviarBroadcast(QStringLiteral("hello")));
    EXPECT_EQ(e.operador.avisos.at(0).texto, broadcast::kKISSDesconectado);
}

// Send checks the boxes in FM only, the first bad one named, and sends
// nothing then. A refused broadcast keeps the dialog open (and the message).
TEST_F(EnlaceKISSTest, SendChecksTheDigipeatersInFmOnly)
{
    EstacionDePrueba& e = Arrancar("KOLT Mode=KOLTFM\r\n");
    for (auto [via1, via2, foco] : {std::tuple{"", "TOOLONGCALL", CampoVia::Via2},
                                    std::tuple{"BAD CALL", "ALSO BAD", CampoVia::Via1}}) {
        e.operador.avisos.clear();
        const broadcast::ResultadoEnvio r = Enviar(via1, via2);
        EXPECT_EQ(r.invalido, foco) << via1 << " / " << via2;
        EXPECT_FALSE(r.cerrar);
        ASSERT_EQ(e.operador.avisos.size(), 1u);
        EXPECT_EQ(e.operador.avisos[0].texto, "Invalid Call Sign");
    }
    EXPECT_TRUE(Enviar("wide1-1", "wide2-2").cerrar);
    EXPECT_TRUE(e.Ini().contains("Via2=WIDE2-2")) << "stored and saved";
    const QByteArray trama = Kiss({"ALL", "N0CALL-1", "WIDE1-1", "WIDE2-2"}, "hello", 0x00);
    EXPECT_TRUE(Esperar([&] { return m_kiss.recibido == trama; })) << "and nothing before";

    // Closing keeps valid boxes in FM only (Escape, the program closing:
    // frmBroadcastTest.cpp), nothing when one is bad.
    broadcast::AlCerrarDialogoBroadcast(e->kiss(), QStringLiteral("RELAY"), QStringLiteral("X-99"));
    e->config().koltMode = kolt::config::Variante::HF;
    broadcast::AlCerrarDialogoBroadcast(e->kiss(), QStringLiteral("RELAY"), QString());
    e->modelo().Habilitar(model::Control::mnuCQ, true); // as the modem's "PTT OFF" would
    EXPECT_TRUE(Enviar("NOT A CALL", "%%%").cerrar);
    EXPECT_EQ(e->config().via1, "WIDE1-1") << "not stored outside FM, nor with a bad box";

    e.operador.avisos.clear();
    EXPECT_FALSE(Enviar("", "").cerrar);
    ASSERT_EQ(e.operador.avisos.size(), 1u);
    EXPECT_EQ(e.operador.avisos[0].texto, broadcast::kConexionEnCurso);
}

} // namespace
