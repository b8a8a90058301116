// Files through the stand-in modem in this process: between two stations,
// and to a robot that sends every file back. Each arrives byte for byte,
// with the sending and receiving lines on both screens.

#include "link/Estacion.h"
#include "transfer/TransferenciaArchivos.h"

#include "PuestoSimulado.h"
#include "QtImprimir.h"

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace kolt;
using test::Esperar;

namespace {

using test::Puesto;

QByteArray Contenido(qsizetype n, bool azar)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g{quint32(n)};
    for (qsizetype i = 0; i < n; ++i)
        b[i] = azar ? char(g.generate()) : "Line of a log file, again and again.\r\n"[i % 38];
    return b;
}

class ArchivosExtremo : public test::Extremo {
protected:
    // A file in the station's own folder (not its download folder).
    static QString Crear(Puesto& p, const QString& nombre, const QByteArray& contenido)
    {
        QDir(p.dir.path()).mkdir("origen");
        QFile f(QDir(p.dir.path()).filePath("origen/" + nombre));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
        return f.fileName();
    }
    static QByteArray Leer(const QString& ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void Enviar(Puesto& p, const QString& ruta)
    {
        p.operador.respuestas.push_back(ruta);
        p.estacion->archivos().AccionEnviarArchivo();
    }
    static bool Termino(const Puesto& p, const char* fin)
    {
        return p.Pantalla().contains(QLatin1String(fin));
    }
};

struct Caso {
    const char* nombre;
    qsizetype carga; // name + "#" + body, as the limits count it
    bool azar;
    bool comprimido;
};

void PrintTo(const Caso& c, std::ostream* os)
{
    *os << c.nombre << " " << c.carga;
}

class Entre2 : public ArchivosExtremo, public ::testing::WithParamInterface<Caso> {};

TEST_P(Entre2, FileArrivesWholeWithTheLinesOnBothScreens)
{
    Arrancar();
    Enlazar(*m_a, m_b.get());
    const Caso& c = GetParam();
    const QString nombre = QString::fromLatin1(c.nombre);
    const QByteArray contenido = Contenido(c.carga - nombre.size() - 1, c.azar);
    Enviar(*m_a, Crear(*m_a, nombre, contenido));

    ASSERT_TRUE(
        Esperar([&] { return Termino(*m_a, "Bytes/min") && Termino(*m_b, "Bytes/min"); }, 30000))
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
    EXPECT_EQ(trama == anunciado, !c.comprimido) << "only a plain frame is as long as announced";

    EXPECT_TRUE(QRegularExpression(QStringLiteral("^<N0CALL-1\r\nReceiving %1 bytes file...\r\n"
                                                  "'%2' received @ (\\d+|XXXX) Bytes/min\r\n$")
                                       .arg(trama)
                                       .arg(QRegularExpression::escape(nombre)))
                    .match(m_b->Pantalla())
                    .hasMatch())
        << m_b->Pantalla().toStdString();
    EXPECT_EQ(Leer(QDir(m_b->dir.path()).filePath(nombre)), contenido);
    for (Puesto* p : {m_a.get(), m_b.get()}) {
        EXPECT_TRUE(p->operador.avisos.empty());
        EXPECT_TRUE(p->estacion->modelo().control("cmdEnviar").visible);
        EXPECT_TRUE(p->estacion->modelo().control("mnuSendFile").enabled);
        EXPECT_FALSE(p->estacion->modelo().control("ProgressBar").visible);
    }
}

INSTANTIATE_TEST_SUITE_P(Tabla, Entre2,
                         ::testing::Values(Caso{"one.bin", 9, true, true},
                                           Caso{"exact.bin", 600'000, true, true},
                                           Caso{"over.log", 600'001, false, false},
                                           Caso{"max.bin", 2'048'000, true, false},
                                           Caso{"my.station.log.txt", 40'000, false, true},
                                           Caso{"README", 30'000, true, true}),
                         [](const auto& i) {
                             return std::to_string(i.param.carga) +
                                    (i.param.azar ? "random" : "repeated");
                         });

TEST_F(ArchivosExtremo, OneByteOverTheLimitIsRefusedAndNothingTravels)
{
    Arrancar();
    Enlazar(*m_a, m_b.get());
    Enviar(*m_a, Crear(*m_a, "big.bin", Contenido(2'048'001 - 8, true)));
    ASSERT_EQ(m_a->operador.avisos.size(), 1u);
    EXPECT_EQ(m_a->operador.avisos[0].texto, "'big.bin' size is too big (2048000 bytes Maximum)");
    test::Dejar(100);
    EXPECT_EQ(m_a->Pantalla(), "");
    EXPECT_EQ(m_b->Pantalla(), "");
}

// The robot sends the frame back unchanged: the file returns to the folder
// it was sent from, which is the download folder, so under a new name.
TEST_F(ArchivosExtremo, RobotEchoComesBackUnderAFreeNameByteForByte)
{
    modemsim::Options o = Opciones();
    o.robot.echoFiles = true;
    o.robot.replyDelayMs = 150; // "BUFFER 0" first, as on the air
    o.air.maxChunk = 900;       // and the echo cut into pieces of any size
    Arrancar(o);
    m_a->estacion->config().connectWithHF = QStringLiteral("N0CALL-2");
    Enlazar(*m_a, nullptr);
    ASSERT_TRUE(Esperar([&] { return m_a->Pantalla().endsWith("back.\r\n"); }));
    m_a->MarcarInicio();

    const QByteArray contenido = Contenido(50'000, false) + Contenido(20'000, true);
    const QString ruta = QDir(m_a->dir.path()).filePath("qsl.card.txt");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenido);
    f.close();
    Enviar(*m_a, ruta);

    ASSERT_TRUE(Esperar([&] { return Termino(*m_a, "the new file is"); }, 30000))
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
    EXPECT_EQ(Leer(QDir(m_a->dir.path()).filePath("qsl.card (1).txt")), contenido);
    EXPECT_EQ(Leer(ruta), contenido) << "the original untouched";
}

} // namespace
