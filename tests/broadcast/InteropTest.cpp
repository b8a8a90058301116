// Our broadcasts through two real software TNCs joined by an audio channel
// (the Direwolf pair of the interop rig): a station of ours on TNC A sends,
// another on TNC B shows what B's decoder made of it, and a plain client of
// B receives the frames to compare with the bytes we wrote.
//
// A standard TNC takes KISS command byte 0x01 as its TXDELAY setting, so
// only broadcasts with six-character calls (command byte 0x00) are sent
// here; CQ calls and seven-character frames are covered against the
// stand-in modem.

#include "broadcast/EnlaceKISS.h"
#include "broadcast/Kiss.h"
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

// A loopback relay in front of TNC A that keeps every byte the station
// writes: what went on the wire, not what the test thinks was sent.
class Reenvio {
public:
    explicit Reenvio(quint16 destino) : m_destino(destino)
    {
        m_servidor.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_servidor, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_servidor.nextPendingConnection()) {
                if (m_entrada) {
                    s->abort();
                    s->deleteLater();
                    continue;
                }
                m_entrada = s;
                m_salida.connectToHost(QHostAddress::LocalHost, m_destino);
                QObject::connect(s, &QTcpSocket::readyRead, [this] {
                    const QByteArray b = m_entrada->readAll();
                    enviado += b;
                    m_salida.write(b);
                });
            }
        });
        QObject::connect(&m_salida, &QTcpSocket::readyRead, [this] {
            const QByteArray b = m_salida.readAll();
            if (m_entrada) m_entrada->write(b);
        });
    }

    quint16 puerto() const { return m_servidor.serverPort(); }
    bool Unido() const { return m_entrada && m_salida.state() == QAbstractSocket::ConnectedState; }

    QByteArray enviado;

private:
    quint16 m_destino;
    QTcpServer m_servidor;
    QPointer<QTcpSocket> m_entrada;
    QTcpSocket m_salida;
};

std::vector<broadcast::TramaKISS> Tramas(const QByteArray& flujo)
{
    broadcast::ReensambladorKISS r;
    return r.feed(std::string_view(flujo.constData(), static_cast<std::size_t>(flujo.size())));
}

TEST(InteropDirewolf, BroadcastsToAllCrossARealTncPairUnchanged)
{
    if (const std::string falta = ParDirewolf::Falta(); !falta.empty()) {
        if (qEnvironmentVariableIsSet("CI")) FAIL() << "missing on CI: " << falta;
        GTEST_SKIP() << "interop test skipped: missing " << falta;
    }

    config::FijarPaginaDelSistema(1252);
    ParDirewolf par;
    QString error;
    ASSERT_TRUE(par.Arrancar(&error)) << error.toStdString();

    Reenvio haciaA(par.puertoA);
    test::ModemDePrueba modemX, modemY;
    EstacionDePrueba x(QStringLiteral("KOLT Mode=KOLTFM\r\nMy Callsign=N0CALL-1\r\n"),
                       modemX.puerto(), haciaA.puerto());
    EstacionDePrueba y(QStringLiteral("KOLT Mode=KOLTFM\r\nMy Callsign=N0CALL-2\r\n"),
                       modemY.puerto(), par.puertoB);
    ASSERT_TRUE(x.listo && y.listo);
    QTcpSocket oyente; // a plain client of B beside our station
    QByteArray oido;
    QObject::connect(&oyente, &QTcpSocket::readyRead, [&] { oido += oyente.readAll(); });
    oyente.connectToHost(QHostAddress::LocalHost, par.puertoB);
    ASSERT_TRUE(Esperar([&] {
        return x->SocketsArriba() && x.Habilitado(link::Control::mnuCQ) && x->kiss().Conectado() &&
               haciaA.Unido() && y->kiss().Conectado() &&
               oyente.state() == QAbstractSocket::ConnectedState;
    }));
    test::Dejar(1500); // a TNC starts reading a new client up to a second late

    // Straight to ALL; 0xC0 and 0xDB in the text cross escaped and are
    // then left out of the display as unprintable.
    ASSERT_TRUE(x->kiss().EnviarBroadcast(QStringLiteral("esc\u00C0ape\u00DB ok")));
    ASSERT_TRUE(Esperar([&] { return !y.Pantalla().isEmpty(); }, 10000))
        << par.Registro("b.log").toStdString();
    EXPECT_EQ(y.Pantalla(), QStringList({"< ALL: N0CALL-1 escape ok  hh:mm:ss"}));

    // Our modem would report the end of the transmission.
    modemX.Enviar("PTT ON\rPTT OFF\r");
    ASSERT_TRUE(Esperar([&] { return x.Habilitado(link::Control::mnuCQ); }));

    // Through a digipeater: shown as it stands in the frame.
    x->config().via1 = QStringLiteral("WIDE1-1");
    ASSERT_TRUE(x->kiss().EnviarBroadcast(QStringLiteral("via a digipeater")));
    ASSERT_TRUE(Esperar([&] { return y.Pantalla().size() == 2; }, 10000))
        << par.Registro("b.log").toStdString();
    EXPECT_EQ(y.Pantalla().constLast(), "< ALL: N0CALL-1 VIA WIDE1-1 via a digipeater  hh:mm:ss");
    EXPECT_EQ(x.Pantalla(),
              QStringList({"> ALL: N0CALL-1 esc\u00C0ape\u00DB ok  hh:mm:ss",
                           "> ALL: N0CALL-1 VIA WIDE1-1 via a digipeater  hh:mm:ss"}));

    // What B's decoder delivered is what we wrote, frame for frame and byte for byte.
    ASSERT_TRUE(Esperar([&] { return oido.size() >= haciaA.enviado.size(); }, 5000));
    EXPECT_EQ(Tramas(haciaA.enviado).size(), 2u);
    EXPECT_EQ(oido.toHex(' '), haciaA.enviado.toHex(' '));
    EXPECT_TRUE(haciaA.enviado.contains(QByteArray::fromHex("dbdc")));
    EXPECT_TRUE(haciaA.enviado.contains(QByteArray::fromHex("dbdd")));
}

} // namespace
