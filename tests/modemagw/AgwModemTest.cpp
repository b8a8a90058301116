// kolt-modem-agw against a bare AGW TNC on loopback, for what the real pair cannot
// be made to do on demand. A TNC sending garbage: AgwFrameTest's reader.

#include "AgwOptions.h"
#include "Anfitrion.h"

#include "Archivos.h"
#include "EstacionDePrueba.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;

namespace {

// A host of the modem; its command lines are read after a mark.
struct Anfitrion {
    explicit Anfitrion(quint16 puerto)
    {
        comandos.connectToHost(QHostAddress::LocalHost, puerto);
        datos.connectToHost(QHostAddress::LocalHost, puerto + 1);
        EXPECT_TRUE(comandos.waitForConnected(5000) && datos.waitForConnected(5000));
    }
    QStringList Lineas()
    {
        oido += comandos.readAll();
        return QString::fromLatin1(oido).split(u'\r', Qt::SkipEmptyParts).mid(desde);
    }
    bool Oye(const QString& linea)
    {
        return Esperar([&] { return Lineas().contains(linea); });
    }
    void Marcar() { desde += Lineas().size(); }

    QTcpSocket comandos, datos;
    QByteArray oido;
    qsizetype desde = 0;
};

// An AGW port answering 'Y' from a script: the frames the modem sent.
struct TncDePrueba {
    explicit TncDePrueba(quint16 puerto = 0)
    {
        servidor.listen(QHostAddress::LocalHost, puerto);
        QObject::connect(&servidor, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = servidor.nextPendingConnection()) {
                cliente = s;
                lector.reset();
                QObject::connect(s, &QTcpSocket::readyRead, [this, s] { Leer(s->readAll()); });
            }
        });
    }
    void Leer(const QByteArray& b)
    {
        for (auto& f : lector.feed(b.toStdString())) {
            if (f.kind == 'Y' && !respuestasY.isEmpty()) {
                const quint32 n = respuestasY.size() > 1 ? respuestasY.takeFirst() : respuestasY[0];
                const char* bytes = reinterpret_cast<const char*>(&n);
                Enviar(agw::Encode({0, 'Y', 0, f.callFrom, f.callTo, {bytes, 4}}));
            }
            tipos += f.kind;
            recibidas.push_back(std::move(f));
        }
    }
    void Enviar(const std::string& bytes) { cliente->write(bytes.data(), qint64(bytes.size())); }
    void Informe(char tipo, const char* de, const std::string& texto)
    {
        Enviar(agw::Encode({0, tipo, 0, de, llamante, texto}));
    }
    const agw::Frame& Ultima(char tipo)
    {
        EXPECT_TRUE(Esperar([&] { return tipos.find(tipo) != std::string::npos; }));
        return recibidas.at(tipos.rfind(tipo));
    }

    QTcpServer servidor;
    QPointer<QTcpSocket> cliente;
    agw::Reader lector;
    std::vector<agw::Frame> recibidas;
    std::string tipos;                 // their kinds, in order ("mX" ...)
    QList<quint32> respuestasY;        // the next answers to 'Y'; the last one repeats
    std::string llamante = "N0CALL-1"; // the call reports go to
};

const std::string kArriba = std::string("*** CONNECTED To Station N0CALL-2\r\0", 36);

// A modem linked to N0CALL-2, who called it.
struct Enlazado : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(Esperar([&] { return tnc.tipos == "mX"; }));
        tnc.Informe('C', "N0CALL-2", kArriba);
        ASSERT_TRUE(host.Oye("CONNECTED N0CALL-2 N0CALL-1"));
        host.Marcar();
    }
    TncDePrueba tnc;
    std::unique_ptr<modem::AgwModem> modem = test::ModemAgw(tnc.servidor.serverPort());
    Anfitrion host{modem->commandPort()};
};

TEST(AgwModem, TncAbsentThenThereRegistersTheCallAndCallsViaDigipeaters)
{
    const quint16 puerto = test::PuertoLibre();
    auto modem = test::ModemAgw(puerto);
    Anfitrion host(modem->commandPort());
    host.comandos.write("CONNECT N0CALL-1 N0CALL-2\r");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
    EXPECT_EQ(host.Lineas(), QStringList({"OK", "DISCONNECTED"}));

    // The TNC appears: monitoring on, the call registered, then the host's.
    TncDePrueba tnc(puerto);
    ASSERT_TRUE(Esperar([&] { return tnc.tipos == "mX"; }, 3000));
    host.comandos.write("MYCALL n0call-5\r");
    ASSERT_TRUE(Esperar([&] { return tnc.tipos == "mXxX"; }));
    EXPECT_EQ(tnc.recibidas[3].callFrom, "N0CALL-5");

    // A call through two digipeaters; the TNC's report names only the far station.
    host.comandos.write("CONNECT N0CALL-5 N0CALL-2 VIA N0CALL-3 N0CALL-4\r");
    EXPECT_EQ(tnc.Ultima('v').callFrom, "N0CALL-5");
    tnc.llamante = "N0CALL-5";
    tnc.Informe('C', "N0CALL-2", "*** CONNECTED With Station N0CALL-2\r");
    EXPECT_TRUE(host.Oye("CONNECTED N0CALL-5 N0CALL-2 VIA N0CALL-3 N0CALL-4"));
}

TEST_F(Enlazado, BufferCountsWhatTheFarStationHasNotAcknowledged)
{
    // Frames of at most PACLEN; a late count must not acknowledge later frames.
    tnc.respuestasY = {3, 3, 1, 0};
    host.datos.write(QByteArray(600, 'a'));
    ASSERT_TRUE(host.Oye("BUFFER 0"));
    EXPECT_EQ(host.Lineas(), QStringList({"BUFFER 600", "BUFFER 88", "BUFFER 0"}));
    std::vector<std::size_t> tamanos;
    for (const auto& f : tnc.recibidas)
        if (f.kind == 'D') tamanos.push_back(f.data.size());
    EXPECT_EQ(tamanos, (std::vector<std::size_t>{256, 256, 88}));

    // A count higher than anything sent (stale) is not believed.
    host.Marcar();
    tnc.respuestasY = {7};
    host.datos.write("bb");
    ASSERT_TRUE(host.Oye("BUFFER 2"));
    const std::size_t antes = tnc.tipos.size();
    ASSERT_TRUE(Esperar([&] { return std::ranges::count(tnc.tipos.substr(antes), 'Y') >= 2; }));

    // A second caller is turned away and the link stays; data from anyone
    // but the linked station is not delivered.
    tnc.Informe('C', "N0CALL-9", "*** CONNECTED To Station N0CALL-9\r");
    EXPECT_EQ(tnc.Ultima('d').callTo, "N0CALL-9");
    tnc.Enviar(agw::Encode(agw::Data("N0CALL-7", "N0CALL-1", "intruder")));
    tnc.Enviar(agw::Encode(agw::Data("N0CALL-2", "N0CALL-1", "friend")));
    ASSERT_TRUE(Esperar([&] { return host.datos.peek(100) == "friend"; }));

    // The link lost: DISCONNECTED, and no BUFFER 0 for bytes never acknowledged.
    tnc.Informe('d', "N0CALL-2", "*** DISCONNECTED RETRYOUT With N0CALL-2\r");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
    host.comandos.write("MYCALL N0CALL-1\r"); // its OK comes after all the link's end says
    ASSERT_TRUE(host.Oye("OK"));
    EXPECT_EQ(host.Lineas(), QStringList({"BUFFER 2", "DISCONNECTED", "OK"}));
}

TEST_F(Enlazado, AHostWritingWithoutEndIsHeldBackByTcp)
{
    tnc.respuestasY = {1000}; // nothing is ever acknowledged
    host.datos.write(QByteArray(16 * 1024 * 1024, 'z'));
    ASSERT_TRUE(Esperar([&] {
        return std::ranges::count(tnc.tipos, 'D') == modem::AgwModem::kWindowFrames &&
               std::ranges::count(tnc.tipos, 'Y') > 2;
    }));
    for (const QString& l : host.Lineas())
        EXPECT_LE(l.mid(7).toLongLong(),
                  modem::AgwModem::kMaxPending + modem::AgwModem::kWindowFrames * qint64(256));
    EXPECT_GT(host.datos.bytesToWrite(), 0);
}

// ABORT ends the link only when the TNC says it is down.
TEST_F(Enlazado, AbortWaitsForTheTnc)
{
    host.comandos.write("ABORT\r");
    ASSERT_TRUE(host.Oye("OK"));
    EXPECT_EQ(tnc.Ultima('d').callTo, "N0CALL-2");
    EXPECT_EQ(host.Lineas(), QStringList({"OK"})) << "down only when the TNC says so";
    tnc.Informe('d', "N0CALL-2", "*** DISCONNECTED From Station N0CALL-2\r");
    ASSERT_TRUE(host.Oye("DISCONNECTED"));
}

// The host's ports from its ini, the TNC from its own file, written when missing.
TEST(AgwOptions, PortsFromTheHostsIniAndTheTncFromItsOwnFile)
{
    QTemporaryDir dir;
    test::Crear(dir.filePath("KOLT Chat.ini"), "[Setup]\r\nHF TCP Port=8400\r\n");
    const auto parse = [&](const QStringList& args) {
        return modem::ParseAgwOptions(QStringList{"kolt-modem-agw"} + args, dir.path());
    };
    EXPECT_EQ(parse({}).config.commandPort, 8400);
    const QString propio = dir.filePath(modem::kSettingsFile);
    EXPECT_TRUE(test::Leer(propio).contains("AGW=127.0.0.1:8000\r\n")) << "written with defaults";
    test::Crear(propio, "[TNC]\r\nAGW=tnc.local:8010\r\nPACLEN=99999\r\n");
    const modem::AgwConfig c = parse({}).config;
    EXPECT_EQ(c.agw, (modem::Endpoint{"tnc.local", 8010}));
    EXPECT_EQ(c.paclen, 256);
    for (const char* bad : {"--paclen=4096", "--agw=:80", "--listen=65535"})
        EXPECT_EQ(parse({bad}).outcome, modem::AgwParsed::Outcome::Error) << bad;
}

} // namespace
