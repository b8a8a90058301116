// Our broadcasts through two real software TNCs joined by an audio channel
// (the interop rig): a station of ours on TNC A sends, another on TNC B
// shows what B's decoder made of it, and a plain client of B receives the
// frame to compare with the bytes our station writes. A standard TNC takes
// KISS command byte 0x01 as its TXDELAY, so only six-character broadcasts
// (command byte 0x00) are sent here.

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

    test::ModemDePrueba modemX, modemY;
    EstacionDePrueba x(QStringLiteral("KOLT Mode=KOLTFM\r\nVia1=WIDE1-1\r\n"), modemX.puerto(),
                       par.puertoA);
    EstacionDePrueba y(QStringLiteral("My Callsign=N0CALL-2\r\n"), modemY.puerto(), par.puertoB);
    ASSERT_TRUE(x.listo && y.listo);
    QTcpSocket oyente; // a plain client of B beside our station
    QByteArray oido;
    QObject::connect(&oyente, &QTcpSocket::readyRead, [&] { oido += oyente.readAll(); });
    oyente.connectToHost(QHostAddress::LocalHost, par.puertoB);
    ASSERT_TRUE(Esperar([&] {
        return x->SocketsArriba() && x.Habilitado(link::Control::mnuCQ) && x->kiss().Conectado() &&
               y->kiss().Conectado() && oyente.state() == QAbstractSocket::ConnectedState;
    }));
    test::Dejar(1500); // a TNC starts reading a new client up to a second late

    // Through a digipeater; 0xC0 and 0xDB in the text cross escaped and are
    // then left out of the display as unprintable.
    const QString mensaje = QStringLiteral("esc\u00C0ape\u00DB ok");
    ASSERT_TRUE(x->kiss().EnviarBroadcast(mensaje));
    ASSERT_TRUE(Esperar([&] { return !y.Pantalla().isEmpty(); }, 10000))
        << par.Registro("b.log").toStdString();
    EXPECT_EQ(y.Pantalla(), QStringList({"< ALL: N0CALL-1 VIA WIDE1-1 escape ok  hh:mm:ss"}));

    const auto kiss =
        broadcast::TramaBroadcast({config::Variante::FM, "N0CALL-1", "WIDE1-1", "", ""},
                                  config::ATextoAnsi(mensaje).toStdString())
            ->kiss();
    const QByteArray escrito(reinterpret_cast<const char*>(kiss.data()), qsizetype(kiss.size()));
    ASSERT_TRUE(Esperar([&] { return oido.size() >= escrito.size(); }, 5000));
    EXPECT_EQ(oido.toHex(' '), escrito.toHex(' ')) << "what B's decoder delivered is what we wrote";
}

} // namespace
