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
#include "QtImprimir.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::EstacionDePrueba;
using test::PuertoLibre;

namespace {

const QString kRig = QStringLiteral(KOLT_INTEROP_DIR);
const QString kScript = kRig + QStringLiteral("/direwolf-pair.sh");

// The two TNCs, started for one test and always stopped with it.
class ParDirewolf {
public:
    ~ParDirewolf()
    {
        if (!m_arrancado) return;
        QProcess parar;
        parar.start(kScript, {QStringLiteral("stop"), m_dir.path()});
        parar.waitForFinished(20000);
    }

    bool Arrancar(QString* error)
    {
        for (int intento = 0; intento < 3; ++intento) { // a free port may be taken meanwhile
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DW_PAIR_LIMIT"), QStringLiteral("120")); // if we die
            p.setProcessEnvironment(env);
            p.start(kScript, {QStringLiteral("start"), m_dir.path(), QString::number(PuertoLibre()),
                              QString::number(PuertoLibre())});
            if (!p.waitForFinished(40000)) {
                p.kill();
                p.waitForFinished(5000);
            }
            m_arrancado = true; // stop whatever may be left, whatever start said
            const QString salida = QString::fromLocal8Bit(p.readAllStandardOutput());
            *error = QString::fromLocal8Bit(p.readAllStandardError());
            if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) continue;
            for (const QString& linea : salida.split(QLatin1Char('\n'))) {
                if (linea.startsWith(QLatin1String("KISS_A_PORT=")))
                    puertoA = static_cast<quint16>(linea.mid(12).toUInt());
                if (linea.startsWith(QLatin1String("KISS_B_PORT=")))
                    puertoB = static_cast<quint16>(linea.mid(12).toUInt());
            }
            if (puertoA && puertoB) return true;
        }
        return false;
    }

    QString Registro(const char* nombre) const
    {
        QFile f(m_dir.filePath(QString::fromLatin1(nombre)));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
    }

    quint16 puertoA = 0;
    quint16 puertoB = 0;

private:
    QTemporaryDir m_dir;
    bool m_arrancado = false;
};

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
    const bool hayRig = QFileInfo(kScript).isExecutable();
    const QString direwolf = qEnvironmentVariable("DIREWOLF", QStringLiteral("direwolf"));
    const bool hayDirewolf =
        !QStandardPaths::findExecutable(direwolf).isEmpty() || QFileInfo(direwolf).isExecutable();
    if (!hayRig || !hayDirewolf) {
        const std::string falta = !hayRig ? "the interop rig " + kScript.toStdString()
                                          : std::string("the direwolf program (install-deps.sh)");
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
        return x->SocketsArriba() && x.Habilitado("mnuCQ") && x->kiss().Conectado() &&
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
    ASSERT_TRUE(Esperar([&] { return x.Habilitado("mnuCQ"); }));

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
    const auto enviadas = Tramas(haciaA.enviado);
    ASSERT_EQ(enviadas.size(), 2u);
    EXPECT_EQ(enviadas[0].comando, broadcast::kComandoAX25);
    EXPECT_EQ(enviadas[1].comando, broadcast::kComandoAX25);
    EXPECT_EQ(oido.toHex(' '), haciaA.enviado.toHex(' '));
    EXPECT_TRUE(haciaA.enviado.contains(QByteArray::fromHex("dbdc")));
    EXPECT_TRUE(haciaA.enviado.contains(QByteArray::fromHex("dbdd")));
}

} // namespace
