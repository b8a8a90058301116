// kolt-modem-agw against a bare AGW TNC on loopback, for what the real pair
// cannot be made to do on demand: a TNC absent, lost, or sending garbage;
// outstanding-frame counts late or stale; a host writing without end.

#include "AgwFrame.h"
#include "AgwOptions.h"
#include "Anfitrion.h"

#include "EstacionDePrueba.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <deque>

using namespace kolt;
using test::Anfitrion;
using test::Esperar;

namespace {

// An AGW port with no behaviour beyond answering 'Y' from a script: the
// frames the modem sent, and what the test makes the TNC say.
class TncDePrueba {
public:
    explicit TncDePrueba(quint16 puerto = 0)
    {
        m_servidor.listen(QHostAddress::LocalHost, puerto);
        QObject::connect(&m_servidor, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_servidor.nextPendingConnection()) {
                ++conexiones;
                m_cliente = s;
                m_lector.reset();
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { Leer(s); });
            }
        });
    }
    quint16 puerto() const { return m_servidor.serverPort(); }
    bool Conectado() const
    {
        return m_cliente && m_cliente->state() == QAbstractSocket::ConnectedState;
    }
    void Enviar(const agw::Frame& f) { EnviarBytes(QByteArray::fromStdString(agw::Encode(f))); }
    void EnviarBytes(const QByteArray& b)
    {
        if (m_cliente) m_cliente->write(b);
    }
    void Informe(char tipo, const char* de, const char* a, const std::string& texto)
    {
        agw::Frame f;
        f.kind = tipo;
        f.callFrom = de;
        f.callTo = a;
        f.data = texto;
        Enviar(f);
    }
    void Cortar()
    {
        if (m_cliente) m_cliente->abort();
    }
    // The kinds received, in order, as text ("mX" ...).
    std::string Tipos() const
    {
        std::string t;
        for (const auto& f : recibidas)
            t += f.kind;
        return t;
    }
    const agw::Frame* Ultima(char tipo) const
    {
        for (auto it = recibidas.rbegin(); it != recibidas.rend(); ++it)
            if (it->kind == tipo) return &*it;
        return nullptr;
    }

    std::vector<agw::Frame> recibidas;
    std::deque<quint32> respuestasY; // the next answers to 'Y'; the last one repeats
    int conexiones = 0;

private:
    void Leer(QTcpSocket* s)
    {
        const QByteArray b = s->readAll();
        for (auto& f : m_lector.feed(std::string_view(b.constData(), b.size()))) {
            if (f.kind == 'Y' && !respuestasY.empty()) {
                const quint32 n = respuestasY.front();
                if (respuestasY.size() > 1) respuestasY.pop_front();
                agw::Frame r = f;
                r.data = std::string(reinterpret_cast<const char*>(&n), 4);
                Enviar(r);
            }
            recibidas.push_back(std::move(f));
        }
    }
    QTcpServer m_servidor;
    QPointer<QTcpSocket> m_cliente;
    agw::Reader m_lector;
};

const std::string kArriba = std::string("*** CONNECTED To Station N0CALL-2\r\0", 36);

// A modem linked to N0CALL-2, who called it.
struct Enlazado : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(Esperar([&] { return tnc.Conectado() && host.comandos.state() == 3; }));
        ASSERT_TRUE(Esperar([&] { return tnc.Tipos() == "mX"; }));
        tnc.Informe('C', "N0CALL-2", "N0CALL-1", kArriba);
        ASSERT_TRUE(host.Oye("CONNECTED N0CALL-2 N0CALL-1"));
        host.Marcar();
    }
    TncDePrueba tnc;
    std::unique_ptr<modem::AgwModem> modem = test::ModemAgw(tnc.puerto());
    Anfitrion host{modem->commandPort()};
};

TEST(AgwModem, TncAbsentThenThereThenLostThenBack)
{
    const quint16 puerto = test::PuertoLibre();
    auto modem = test::ModemAgw(puerto);
    Anfitrion host(modem->commandPort());
    host.Decir("CONNECT N0CALL-1 N0CALL-2");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
    EXPECT_EQ(host.Desde(), QStringList({"OK", "DISCONNECTED"}));

    // The TNC appears: monitoring on, the call registered, then the host's.
    TncDePrueba tnc(puerto);
    ASSERT_TRUE(Esperar([&] { return tnc.Tipos() == "mX"; }, 3000));
    host.Decir("MYCALL n0call-5");
    ASSERT_TRUE(Esperar([&] { return tnc.Tipos() == "mXxX"; }));
    EXPECT_EQ(tnc.recibidas[2].callFrom, "N0CALL-1");
    EXPECT_EQ(tnc.recibidas[3].callFrom, "N0CALL-5");

    // A call through two digipeaters; the TNC's report names only the far station.
    host.Marcar();
    host.Decir("CONNECT N0CALL-5 N0CALL-2 VIA N0CALL-3 N0CALL-4");
    ASSERT_TRUE(Esperar([&] { return tnc.Ultima('v') != nullptr; }));
    EXPECT_EQ(tnc.Ultima('v')->data, std::string("\x02N0CALL-3\0\0N0CALL-4\0\0", 21));
    tnc.Informe('C', "N0CALL-2", "N0CALL-5", "*** CONNECTED With Station N0CALL-2\r");
    EXPECT_TRUE(host.Oye("CONNECTED N0CALL-5 N0CALL-2 VIA N0CALL-3 N0CALL-4"));

    // Lost with the link up: reported, and the TNC tried again and told the call.
    host.Marcar();
    tnc.Cortar();
    EXPECT_TRUE(host.Oye("DISCONNECTED"));
    ASSERT_TRUE(Esperar([&] { return tnc.conexiones == 2 && tnc.Tipos().ends_with("mX"); }, 3000));
    EXPECT_EQ(tnc.recibidas.back().callFrom, "N0CALL-5");
}

TEST_F(Enlazado, BufferCountsWhatTheFarStationHasNotAcknowledged)
{
    // Frames of at most PACLEN; the count of outstanding frames comes back
    // late, after the next frames went out, and must not acknowledge those.
    tnc.respuestasY = {3, 3, 1, 0};
    host.Enviar(QByteArray(600, 'a'));
    ASSERT_TRUE(host.Oye("BUFFER 88"));
    ASSERT_TRUE(host.Oye("BUFFER 0"));
    EXPECT_EQ(host.Desde(), QStringList({"BUFFER 600", "BUFFER 88", "BUFFER 0"}));
    std::vector<std::size_t> tamanos;
    for (const auto& f : tnc.recibidas)
        if (f.kind == 'D') tamanos.push_back(f.data.size());
    EXPECT_EQ(tamanos, (std::vector<std::size_t>{256, 256, 88}));

    // A count higher than anything sent (stale) is not believed.
    host.Marcar();
    tnc.respuestasY = {7};
    host.Enviar("bb");
    ASSERT_TRUE(host.Oye("BUFFER 2"));
    test::Dejar(1200);
    EXPECT_EQ(host.Desde(), QStringList({"BUFFER 2"}));

    // A second caller is turned away and the link stays; data from anyone
    // but the linked station is not delivered.
    tnc.Informe('C', "N0CALL-9", "N0CALL-1", "*** CONNECTED To Station N0CALL-9\r");
    ASSERT_TRUE(Esperar([&] { return tnc.Ultima('d') != nullptr; }));
    EXPECT_EQ(tnc.Ultima('d')->callTo, "N0CALL-9");
    tnc.Informe('d', "N0CALL-9", "N0CALL-1", "*** DISCONNECTED From Station N0CALL-9\r");
    tnc.Enviar(agw::Data("N0CALL-7", "N0CALL-1", "intruder"));
    tnc.Enviar(agw::Data("N0CALL-2", "N0CALL-1", "friend"));
    ASSERT_TRUE(Esperar([&] { return host.recibido == "friend"; }));

    // The link lost: DISCONNECTED, and no BUFFER 0 for bytes never acknowledged.
    tnc.Informe('d', "N0CALL-2", "N0CALL-1", "*** DISCONNECTED RETRYOUT With N0CALL-2\r");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
    test::Dejar(700);
    EXPECT_EQ(host.Desde(), QStringList({"BUFFER 2", "DISCONNECTED"}));
}

TEST_F(Enlazado, AnOversizeFrameFromTheTncEndsTheLinkFirstThenTheConnection)
{
    std::string cabecera = agw::Encode(agw::Data("N0CALL-2", "N0CALL-1", ""));
    cabecera[31] = '\x40'; // 1 GiB announced
    tnc.EnviarBytes(QByteArray::fromStdString(cabecera));
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
    ASSERT_TRUE(Esperar([&] { return tnc.conexiones == 2; }, 3000));
    EXPECT_EQ(tnc.Tipos().substr(0, 3), "mXd") << "the link ended before the connection";
}

TEST_F(Enlazado, AHostWritingWithoutEndIsHeldBackByTcp)
{
    tnc.respuestasY = {1000}; // nothing is ever acknowledged
    QByteArray mucho(16 * 1024 * 1024, 'z');
    host.Enviar(mucho);
    test::Dejar(1500);
    qint64 mayor = 0;
    for (const QString& l : host.Buffers())
        mayor = std::max<qint64>(mayor, l.mid(7).toLongLong());
    EXPECT_LE(mayor, modem::AgwModem::kMaxPending + modem::AgwModem::kWindowFrames * qint64(256));
    const std::string tipos = tnc.Tipos();
    EXPECT_EQ(std::count(tipos.begin(), tipos.end(), 'D'), modem::AgwModem::kWindowFrames);
    EXPECT_GT(host.datos.bytesToWrite(), 0);
}

// ABORT, and a shutdown, end the link only when the TNC says it is down.
TEST_F(Enlazado, AbortAndShutdownWaitForTheTnc)
{
    host.Decir("ABORT");
    ASSERT_TRUE(host.Oye("OK"));
    ASSERT_TRUE(Esperar([&] { return tnc.Ultima('d') != nullptr; }));
    EXPECT_EQ(tnc.Ultima('d')->callTo, "N0CALL-2");
    test::Dejar(200);
    EXPECT_EQ(host.Desde(), QStringList({"OK"})) << "down only when the TNC says so";
    tnc.Informe('d', "N0CALL-2", "N0CALL-1", "*** DISCONNECTED From Station N0CALL-2\r");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));

    tnc.Informe('C', "N0CALL-2", "N0CALL-1", kArriba);
    ASSERT_TRUE(host.Oye("CONNECTED N0CALL-2 N0CALL-1"));
    const std::size_t antes = tnc.recibidas.size();
    bool hecho = false;
    modem->shutdown([&] { hecho = true; });
    ASSERT_TRUE(Esperar([&] { return tnc.Tipos().find('d', antes) != std::string::npos; }));
    test::Dejar(200);
    EXPECT_FALSE(hecho);
    tnc.Informe('d', "N0CALL-2", "N0CALL-1", "*** DISCONNECTED From Station N0CALL-2\r");
    EXPECT_TRUE(Esperar([&] { return hecho; }));
}

TEST(AgwOptions, PortsFromTheHostsIniAndTheTncFromItsOwnFile)
{
    QTemporaryDir dir;
    QFile ini(QDir(dir.path()).filePath("KOLT Chat.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Setup]\r\nKOLT Mode=KOLTFM\r\nFM TCP Port=8400\r\nKISS TCP Port=8200\r\n"
              "My Callsign=N0CALL-4\r\n");
    ini.close();
    const QStringList prog{QStringLiteral("kolt-modem-agw")};

    auto r = modem::ParseAgwOptions(prog, dir.path());
    ASSERT_EQ(r.outcome, modem::AgwParsed::Outcome::Run);
    EXPECT_EQ(r.config.commandPort, 8400);
    EXPECT_EQ(r.config.kissPort, 8200);
    EXPECT_EQ(r.config.call, "N0CALL-4");
    EXPECT_EQ(r.config.agw, (modem::Endpoint{"127.0.0.1", 8000}));
    QFile own(QDir(dir.path()).filePath(modem::kSettingsFile));
    ASSERT_TRUE(own.open(QIODevice::ReadOnly)) << "written with the defaults";
    const QByteArray defaults = own.readAll();
    own.close();
    EXPECT_TRUE(defaults.contains("AGW=127.0.0.1:8000\r\n")) << defaults.toStdString();

    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("[TNC]\r\nAGW=tnc.local:8010\r\nKISS=bad\r\nPACLEN=99999\r\n");
    own.close();
    r = modem::ParseAgwOptions(prog, dir.path());
    EXPECT_EQ(r.config.agw, (modem::Endpoint{"tnc.local", 8010}));
    EXPECT_EQ(r.config.tncKiss, (modem::Endpoint{"127.0.0.1", 8001}));
    EXPECT_EQ(r.config.paclen, 256);

    r = modem::ParseAgwOptions(
        prog + QStringList{"--listen", "9000", "--paclen", "128", "--agw", "10.0.0.2:8000"},
        dir.path());
    EXPECT_EQ(r.config.commandPort, 9000);
    EXPECT_FALSE(r.config.kiss) << "no KISS port unless asked, once the ports are given";
    EXPECT_EQ(r.config.paclen, 128);
    EXPECT_EQ(r.config.agw.host, "10.0.0.2");

    for (const char* bad : {"--paclen=0", "--paclen=4096", "--agw=nohost", "--agw=:80",
                            "--listen=65535", "--tnc-kiss=h:0", "stray"})
        EXPECT_EQ(modem::ParseAgwOptions(prog + QStringList{bad}, dir.path()).outcome,
                  modem::AgwParsed::Outcome::Error)
            << bad;
}

} // namespace
