// A broadcast through two real TNCs on an audio channel (the interop rig):
// a client of B gets exactly the frame our station on A wrote. A TNC takes
// KISS command 0x01 as TXDELAY, so six-character calls only.

#include "broadcast/EnlaceKISS.h"
#include "broadcast/Mensajes.h"
#include "config/Ansi.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "ParDirewolf.h"
#include "QtImprimir.h"

#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;
using test::ParDirewolf;

namespace {

TEST(InteropDirewolf, ABroadcastToAllCrossesARealTncPairUnchanged)
{
    if (const std::string falta = ParDirewolf::Falta(); !falta.empty()) {
        if (qEnvironmentVariableIsSet("CI")) FAIL() << "missing on CI: " << falta;
        GTEST_SKIP() << "interop test skipped: missing " << falta;
    }
    config::FijarPaginaDelSistema(1252);
    ParDirewolf par;
    QString error;
    ASSERT_TRUE(par.Arrancar(&error)) << error.toStdString();

    test::ModemDePrueba modem;
    EstacionDePrueba x(QStringLiteral("KOLT Mode=KOLTFM\r\nVia1=WIDE1-1\r\n"), modem.puerto(),
                       par.puertoA);
    ASSERT_TRUE(x.listo);
    QTcpSocket oyente;
    QByteArray oido;
    QObject::connect(&oyente, &QTcpSocket::readyRead, [&] { oido += oyente.readAll(); });
    oyente.connectToHost(QHostAddress::LocalHost, par.puertoB);
    ASSERT_TRUE(Esperar([&] {
        return x->SocketsArriba() && x.Habilitado(model::Control::mnuCQ) && x->kiss().Conectado() &&
               oyente.state() == QAbstractSocket::ConnectedState;
    }));
    test::Dejar(1500); // a TNC starts reading a new client up to a second late

    // Through a digipeater, with 0xC0 and 0xDB in the text to escape.
    const QString mensaje = QStringLiteral("esc\u00C0ape\u00DB ok");
    ASSERT_TRUE(x->kiss().EnviarBroadcast(mensaje));
    const auto kiss =
        broadcast::TramaBroadcast({config::Variante::FM, "N0CALL-1", "WIDE1-1", "", ""},
                                  config::ATextoAnsi(mensaje).toStdString())
            ->kiss();
    const QByteArray escrito(reinterpret_cast<const char*>(kiss.data()), qsizetype(kiss.size()));
    ASSERT_TRUE(Esperar([&] { return oido.size() >= escrito.size(); }, 10000))
        << par.Registro("b.log").toStdString();
    EXPECT_EQ(oido.toHex(' '), escrito.toHex(' ')) << "what B's decoder delivered is what we wrote";
}

} // namespace
