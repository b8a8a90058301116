// Two stations, or a station and a robot, talking and sending files through
// the stand-in modem in this process: what each receive screen reads after a
// real exchange over loopback, with the modem's own chunking and buffer
// reports, and every file arriving byte for byte.

#include "EstacionEnlazada.h"
#include "Simulator.h"

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace kolt;
using test::Esperar;

namespace {

// One operator's station against its station of the stand-in modem.
struct Puesto {
    Puesto(const QString& indicativo, const QString& destino, modemsim::PortStation& modem)
    {
        EXPECT_TRUE(dir.isValid());
        estacion = test::NuevaEstacion(dir.path(),
                                       QStringLiteral("My Callsign=%1\r\nConnect With HF=%2\r\n"
                                                      "HF TCP Port=%3\r\nKISS TCP Port=%4\r\n")
                                           .arg(indicativo, destino)
                                           .arg(modem.commandPort())
                                           .arg(modem.kissPort()),
                                       operador);
        EXPECT_EQ(estacion->Iniciar(), link::Estacion::Arranque::Listo);
        EXPECT_TRUE(Esperar([&] { return estacion->SocketsArriba() && modem.onAir(); }));
    }

    // Sends and, unless told not to, waits until the modem reported the frame gone.
    void Decir(const QString& texto, bool esperar = true)
    {
        estacion->modelo().FijarTextoTransmision(texto);
        estacion->canalDatos().EnviarTexto();
        if (esperar) {
            ASSERT_TRUE(Esperar([&] { return estacion->transmision().bytesPendientes == 0; }));
        }
    }
    void EnviarArchivo(const QString& ruta)
    {
        operador.respuestas.push_back(ruta);
        estacion->archivos().AccionEnviarArchivo();
    }
    // The screen since the mark, which Enlazar puts right after the banner.
    QString Pantalla() const { return estacion->modelo().textoRecepcion().mid(inicio); }
    bool Dice(const char* algo) const { return Pantalla().contains(QLatin1String(algo)); }
    bool Enlazado() const { return estacion->enlace().enlazado; }
    void MarcarInicio() { inicio = estacion->modelo().textoRecepcion().size(); }

    QTemporaryDir dir;
    test::OperadorGuion operador;
    std::unique_ptr<link::Estacion> estacion;
    qsizetype inicio = 0;
};

QByteArray Contenido(qsizetype n, bool azar)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g{quint32(n)};
    for (qsizetype i = 0; i < n; ++i)
        b[i] = azar ? char(g.generate()) : "Line of a log file, again and again.\r\n"[i % 38];
    return b;
}

// N0CALL-1 and N0CALL-3, and the robot N0CALL-2, on one channel of the
// stand-in modem, as fast as it goes.
class Extremo : public ::testing::Test {
protected:
    static modemsim::Options Opciones()
    {
        modemsim::Options o;
        for (const char* call : {"N0CALL-1", "N0CALL-3"})
            o.stations.append({call, {0, true, 0}});
        o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 0;
        o.air.airRate = 0;
        o.air.setupMs = 0;
        return o;
    }

    void Arrancar(const modemsim::Options& o = Opciones())
    {
        config::FijarPaginaDelSistema(1252);
        m_sim = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
        m_a = std::make_unique<Puesto>("N0CALL-1", "N0CALL-3", *m_sim->station("N0CALL-1"));
        m_b = std::make_unique<Puesto>("N0CALL-3", "N0CALL-1", *m_sim->station("N0CALL-3"));
    }

    // `quien` calls whoever its settings name, and both see the link.
    void Enlazar(Puesto& quien, Puesto* otro)
    {
        quien.estacion->Conectar();
        ASSERT_TRUE(Esperar([&] { return quien.Enlazado() && (!otro || otro->Enlazado()); }));
        for (Puesto* p : {&quien, otro}) {
            if (!p) continue;
            const QString& t = p->estacion->modelo().textoRecepcion();
            p->inicio = t.indexOf("\r\n\r\n", t.lastIndexOf("*******  ")) + 4;
        }
    }

    std::unique_ptr<modemsim::Simulator> m_sim;
    std::unique_ptr<Puesto> m_a;
    std::unique_ptr<Puesto> m_b;
};

// ---- Chat ----

TEST_F(Extremo, TwoStationsExchangeLinesAndEachScreenReadsAsPrescribed)
{
    Arrancar();
    Enlazar(*m_a, m_b.get());
    m_a->Decir("Hello from one");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("one\r\n"); }));
    m_a->Decir("and again");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("again\r\n"); }));
    m_b->Decir("Line one\r\nLine two\r\n\r\nafter a blank line");
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("line\r\n"); }));
    // Longer than the 30,001 bytes a chat text was once cut to.
    const QString largo = QString(40000, QLatin1Char('x')) + QStringLiteral("END");
    m_a->Decir(largo);
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("END\r\n"); }));

    EXPECT_EQ(m_a->Pantalla(), ">N0CALL-1\r\nHello from one\r\nand again\r\n"
                               "<N0CALL-3\r\nLine one\r\nLine two\r\n\r\nafter a blank line\r\n"
                               ">N0CALL-1\r\n" +
                                   largo + "\r\n");
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\nHello from one\r\nand again\r\n"
                               ">N0CALL-3\r\nLine one\r\nLine two\r\n\r\nafter a blank line\r\n"
                               "<N0CALL-1\r\n" +
                                   largo + "\r\n");
    for (Puesto* p : {m_a.get(), m_b.get()}) {
        EXPECT_TRUE(p->estacion->modelo().control(link::Control::cmdEnviar).visible);
        EXPECT_FALSE(p->estacion->modelo().control(link::Control::ProgressBar).visible);
        EXPECT_TRUE(p->operador.avisos.empty());
    }
}

TEST_F(Extremo, SmallRandomChunksGiveTheSameScreens)
{
    modemsim::Options o = Opciones();
    o.air.maxChunk = 7;
    o.air.seed = 5;
    Arrancar(o);
    Enlazar(*m_a, m_b.get());
    // Near the cut: the received text drops the oldest characters.
    m_b->estacion->modelo().AgregarRecepcion(QString(63000, QLatin1Char('o')));

    const QString texto = QString(1500, QLatin1Char('y')) + QStringLiteral("\r\n\u00e1rbol");
    m_a->Decir("short");
    m_a->Decir(texto);
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("rbol\r\n"); }, 10000));
    const QString pantalla = m_b->estacion->modelo().textoRecepcion();
    EXPECT_EQ(pantalla.size(), 64000 + 2);
    EXPECT_TRUE(pantalla.endsWith("o<N0CALL-1\r\nshort\r\n" + texto + "\r\n"));
    EXPECT_TRUE(m_a->Enlazado()) << "no link error from any cut";
}

TEST_F(Extremo, DisconnectedMidFrameAbandonsThePartialFrame)
{
    modemsim::Options o = Opciones();
    o.air.airRate = 1000; // about 64 bytes a tick: the frame takes seconds
    Arrancar(o);
    Enlazar(*m_a, m_b.get());
    m_a->Decir(QString(3000, QLatin1Char('z')), false);
    ASSERT_TRUE(Esperar([&] { return m_b->estacion->canalDatos().Recibiendo(); }));
    m_b->estacion->Abortar();
    ASSERT_TRUE(Esperar([&] { return !m_a->Enlazado() && !m_b->Enlazado(); }));
    test::Dejar(100);
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\n") << "nothing of the partial frame";
    EXPECT_EQ(m_a->Pantalla(), "") << "no echo for a send the link dropped";
    EXPECT_EQ(m_a->estacion->transmision().bytesPendientes, 0);
    EXPECT_FALSE(m_b->estacion->canalDatos().Recibiendo());

    // Were the old frame still open, this one would be read as its payload.
    Enlazar(*m_a, m_b.get());
    m_a->Decir("fresh");
    ASSERT_TRUE(Esperar([&] { return m_b->Pantalla().endsWith("fresh\r\n"); }));
    EXPECT_EQ(m_b->Pantalla(), "<N0CALL-1\r\nfresh\r\n");
}

// ---- Files ----

enum class Viaje { Comprimido, Plano, Rechazado };

struct Caso {
    const char* nombre;
    qsizetype carga; // name + "#" + body, as the limits count it
    bool azar;
    Viaje viaje;
};

class Archivo : public Extremo, public ::testing::WithParamInterface<Caso> {};

TEST_P(Archivo, ArrivesWholeWithTheLinesOnBothScreens)
{
    Arrancar();
    Enlazar(*m_a, m_b.get());
    const Caso& c = GetParam();
    const QString nombre = QString::fromLatin1(c.nombre);
    const QByteArray contenido = Contenido(c.carga - nombre.size() - 1, c.azar);
    ASSERT_TRUE(QDir(m_a->dir.path()).mkdir("origen")); // not the download folder
    m_a->EnviarArchivo(test::Crear(QDir(m_a->dir.path()).filePath("origen/" + nombre), contenido));
    if (c.viaje == Viaje::Rechazado) {
        ASSERT_EQ(m_a->operador.avisos.size(), 1u);
        EXPECT_EQ(m_a->operador.avisos[0].texto,
                  "'" + nombre + "' size is too big (2048000 bytes Maximum)");
        test::Dejar(100);
        EXPECT_EQ(m_a->Pantalla() + m_b->Pantalla(), "") << "nothing travels";
        return;
    }

    ASSERT_TRUE(Esperar([&] { return m_a->Dice("Bytes/min") && m_b->Dice("Bytes/min"); }, 30000))
        << m_a->Pantalla().toStdString() << m_b->Pantalla().toStdString();
    const QRegularExpressionMatch envio =
        QRegularExpression(QStringLiteral("^>N0CALL-1\r\nSending '%1' (\\d+)/(\\d+) bytes...\r\n"
                                          "File sent successfully @ (\\d+|XXXX) Bytes/min\r\n$")
                               .arg(QRegularExpression::escape(nombre)))
            .match(m_a->Pantalla());
    ASSERT_TRUE(envio.hasMatch()) << m_a->Pantalla().toStdString();
    const qsizetype trama = envio.captured(1).toLongLong();
    const qsizetype anunciado = envio.captured(2).toLongLong();
    const qsizetype cabecera = anunciado - c.carga;
    EXPECT_EQ(QByteArray::number(trama - cabecera).size() + 1, cabecera)
        << "the announced total is the payload plus the frame's header";
    EXPECT_EQ(trama == anunciado, c.viaje == Viaje::Plano)
        << "only a plain frame is as long as announced";

    EXPECT_TRUE(QRegularExpression(QStringLiteral("^<N0CALL-1\r\nReceiving %1 bytes file...\r\n"
                                                  "'%2' received @ (\\d+|XXXX) Bytes/min\r\n$")
                                       .arg(trama)
                                       .arg(QRegularExpression::escape(nombre)))
                    .match(m_b->Pantalla())
                    .hasMatch())
        << m_b->Pantalla().toStdString();
    EXPECT_EQ(test::Leer(QDir(m_b->dir.path()).filePath(nombre)), contenido);
    for (Puesto* p : {m_a.get(), m_b.get()}) {
        EXPECT_TRUE(p->operador.avisos.empty());
        EXPECT_TRUE(p->estacion->modelo().control(link::Control::mnuSendFile).enabled);
    }
}

INSTANTIATE_TEST_SUITE_P(Tabla, Archivo,
                         ::testing::Values(Caso{"README", 8, true, Viaje::Comprimido}, // one byte
                                           Caso{"my.station.log.txt", 600'000, false,
                                                Viaje::Comprimido},
                                           Caso{"over.bin", 600'001, true, Viaje::Plano},
                                           Caso{"max.log", 2'048'000, false, Viaje::Plano},
                                           Caso{"big.bin", 2'048'001, true, Viaje::Rechazado}),
                         [](const auto& i) {
                             return std::to_string(i.param.carga) +
                                    (i.param.azar ? "random" : "repeated");
                         });

// The robot answers a line, and sends a file frame back unchanged: the file
// returns to the folder it was sent from, the download folder, so under a
// new name.
TEST_F(Extremo, RobotAnswersALineAndEchoesAFileBackUnderAFreeName)
{
    modemsim::Options o = Opciones();
    o.robot.echoFiles = true;
    // "BUFFER 0" reaches the station before the answer, as on the air,
    // though the two travel on different sockets.
    o.robot.replyDelayMs = 150;
    o.air.maxChunk = 900; // and the echo comes cut into pieces of any size
    Arrancar(o);
    m_a->estacion->config().connectWithHF = QStringLiteral("N0CALL-2");
    Enlazar(*m_a, nullptr);
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("back.\r\n"); }));
    const QString saludo = m_a->Pantalla();
    EXPECT_TRUE(saludo.startsWith("<N0CALL-2\r\nHello, this is N0CALL-2")) << saludo.toStdString();
    m_a->Decir("ping");
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("\"ping\"\r\n"); }));
    EXPECT_EQ(m_a->Pantalla(),
              saludo + ">N0CALL-1\r\nping\r\n<N0CALL-2\r\nYou wrote: \"ping\"\r\n");

    m_a->MarcarInicio();
    const QByteArray contenido = Contenido(50'000, false) + Contenido(20'000, true);
    const QString ruta = test::Crear(QDir(m_a->dir.path()).filePath("qsl.card.txt"), contenido);
    m_a->EnviarArchivo(ruta);

    ASSERT_TRUE(Esperar([&] { return m_a->Dice("the new file is"); }, 30000))
        << m_a->Pantalla().toStdString();
    EXPECT_TRUE(
        QRegularExpression("^>N0CALL-1\r\nSending 'qsl.card.txt' (\\d+)/\\d+ bytes...\r\n"
                           "File sent successfully @ (\\d+|XXXX) Bytes/min\r\n"
                           "<N0CALL-2\r\nFile frame received: \\1 bytes \\(\\d+ bytes of "
                           "compressed payload\\).\r\n"
                           "Receiving \\1 bytes file...\r\n"
                           "'qsl.card \\(1\\).txt' received @ (\\d+|XXXX) Bytes/min\r\n"
                           "'qsl.card.txt' already exists in the download folder; the new file is "
                           "'qsl.card \\(1\\).txt'.\r\n$")
            .match(m_a->Pantalla())
            .hasMatch())
        << m_a->Pantalla().toStdString();
    EXPECT_EQ(test::Leer(QDir(m_a->dir.path()).filePath("qsl.card (1).txt")), contenido);
    EXPECT_EQ(test::Leer(ruta), contenido) << "the original untouched";
}

} // namespace
