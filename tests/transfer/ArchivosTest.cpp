// File transfer of a linked station against a bare modem on loopback: the
// checks of Send File in their order, the exact frame bytes and lines of a
// send, and hostile file frames written straight into the data port.

#include "transfer/deflate/Compresion.h"

#include "EstacionEnlazada.h"

#include <QRegularExpression>

#include <csignal>
#include <sys/resource.h>

using namespace kolt;
using link::Icono;
using test::Esperar;

namespace {

QByteArray Trama(char marcador, const QByteArray& carga)
{
    return QByteArray::number(carga.size()) + marcador + carga;
}

QByteArray Comprimir(const QByteArray& b)
{
    const auto v = deflate::Deflate(
        std::span(reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())), 5);
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

// What follows "Receiving n bytes file..." for a frame that came at once.
QString Recibido(const QString& guardado)
{
    return "'" + guardado + "' received @ XXXX Bytes/min\r\n";
}
QString Renombrado(const QString& enviado, const QString& guardado)
{
    return Recibido(guardado) + "The name sent, '" + enviado +
           "', is not a plain file name; the file is '" + guardado + "'.\r\n";
}
QString Ocupado(const QString& enviado, const QString& guardado)
{
    return Recibido(guardado) + "'" + enviado +
           "' already exists in the download folder; the new file is '" + guardado + "'.\r\n";
}
QString Danado(const QString& motivo)
{
    return "File arrived damaged and was not saved: " + motivo + ".\r\n";
}

class ArchivosTest : public test::EstacionEnlazada {
protected:
    QString Crear(const QString& n, const QByteArray& contenido, QString carpeta = {}) const
    {
        return test::Crear(QDir(carpeta.isEmpty() ? Origen() : carpeta).filePath(n), contenido);
    }
    QStringList Descargados() const
    {
        return QDir(Descargas())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    QByteArray Descargado(const QString& n) const
    {
        return test::Leer(QDir(Descargas()).filePath(n));
    }
    // Picks `ruta` in the file picker and sends it.
    void Enviar(const QString& ruta)
    {
        m_operador.respuestas.push_back(ruta);
        m_estacion->archivos().AccionEnviarArchivo();
    }
};

TEST_F(ArchivosTest, ChecksRunInOrderAndEachRefusalSendsNothing)
{
    const QString grande = Crear("big.bin", QByteArray(2'048'000 - 7, 'b')); // 7 + size + 1
    const QString vacio = Crear("e.txt", {});
    const QString falta = QDir(Origen()).filePath("missing.txt");

    Enviar(QString()); // cancelled
    Enviar(falta);
    Enviar(Origen()); // a folder is no file
    Enviar(grande);
    Enviar(vacio);

    EXPECT_EQ(m_operador.titulosPedidos, QStringList(5, "Select file"));
    EXPECT_EQ(m_operador.carpetasPedidas, QStringList(5, Origen()));
    ASSERT_EQ(m_operador.avisos.size(), 4u);
    EXPECT_EQ(m_operador.avisos[0].icono, Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, falta + " not found");
    EXPECT_EQ(m_operador.avisos[1].texto, Origen() + " not found");
    EXPECT_EQ(m_operador.avisos[2].icono, Icono::Exclamacion);
    EXPECT_EQ(m_operador.avisos[2].texto, "'big.bin' size is too big (2048000 bytes Maximum)");
    EXPECT_EQ(m_operador.avisos[3].icono, Icono::Exclamacion);
    EXPECT_EQ(m_operador.avisos[3].texto, "'e.txt' is empty");
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Pantalla(), "");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    Decir("z"); // the data port's first bytes
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= 3; }));
    EXPECT_EQ(m_modem.datosRecibidos(), "1 z");
}

TEST_F(ArchivosTest, NothingGoesOutWhenTheLinkEndsOrAFrameBeginsInThePickerOrTheModemIsGone)
{
    const QString ruta = Crear("a.txt", "x");
    m_operador.mientrasElige = [this] { Recibir("9 half"); };
    Enviar(ruta);
    Recibir("-done");
    m_operador.mientrasElige = [this] { Modem("DISCONNECTED"); };
    Enviar(ruta);
    test::Dejar(50);
    EXPECT_TRUE(m_modem.datosRecibidos().isEmpty());
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhalf-done\r\n");
    EXPECT_EQ(m_operador.titulosPedidos.size(), 2);

    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->SocketsArriba(); }));
    Enviar(ruta);
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
    EXPECT_EQ(m_operador.titulosPedidos.size(), 2) << "no picker without the modem";
}

// A "#" in the name travels as "_", or the receiver would cut the name there.
TEST_F(ArchivosTest, SmallFileGoesCompressedWithItsLinesAndRate)
{
    m_estacion->config().loadPathFile = m_dir.path();
    const QByteArray contenido = QByteArray("0123456789abcdef").repeated(62) + "12345678";
    Enviar(Crear("log#3.txt", contenido));

    const QByteArray carga = "log_3.txt#" + contenido;
    const QByteArray comprimida = Comprimir(carga);
    const QByteArray trama = Trama('#', comprimida);
    const qsizetype cabecera = trama.size() - comprimida.size();
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= trama.size(); }));
    EXPECT_EQ(m_modem.datosRecibidos(), trama);
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\nSending 'log_3.txt' %1/%2 bytes...\r\n")
                              .arg(trama.size())
                              .arg(carga.size() + cabecera));
    EXPECT_EQ(Tx().bytesPendientes, trama.size());
    EXPECT_EQ(m_estacion->config().loadPathFile, Origen()) << "the next pick starts there";
    EXPECT_EQ(Controles(), "Progress");
    EXPECT_FALSE(m_estacion->modelo().control(link::Control::lblWait).visible);
    EXPECT_EQ(m_estacion->modelo().progreso(), 0);

    m_ms += 2000;
    Modem(QStringLiteral("BUFFER %1").arg(trama.size() / 2));
    EXPECT_FALSE(Pantalla().contains("successfully"));
    Modem("BUFFER 0");
    EXPECT_TRUE(
        Pantalla().endsWith(QStringLiteral("bytes...\r\nFile sent successfully @ %1 Bytes/min\r\n")
                                .arg(trama.size() * 30)));
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_TRUE(m_operador.avisos.empty());
}

TEST_F(ArchivosTest, RemoteLineDuringASendOfNoTimeGetsItsHeaderThenXXXXAndAutoDisconnect)
{
    m_estacion->config().autoDisconnect = 1;
    Enviar(Crear("a.txt", "x"));
    Recibir("2 hi");
    Modem("BUFFER 0");
    EXPECT_TRUE(QRegularExpression("^>N0CALL-1\r\nSending 'a.txt' \\d+/\\d+ bytes...\r\n"
                                   "<N0CALL-2\r\nhi\r\n"
                                   ">N0CALL-1\r\nFile sent successfully @ XXXX Bytes/min\r\n$")
                    .match(Pantalla())
                    .hasMatch())
        << Pantalla().toStdString();
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("ABORT"); }));
    EXPECT_EQ(Controles(), "Clear") << "disconnecting: Send not back";
}

// ---- Receiving ----

// The rate counts from the end of the first chunk: one chunk, or no time,
// gives "XXXX".
TEST_F(ArchivosTest, FramesAreAnnouncedSavedAndRated)
{
    const QByteArray trama = Trama('$', "a.txt#" + QByteArray(294, 'q'));
    ASSERT_EQ(trama.size(), 304);
    Recibir(trama.left(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...");
    EXPECT_EQ(Controles(), "Clear Progress");
    m_ms += 2000;
    Recibir(trama.mid(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...\r\n"
                          "'a.txt' received @ 6000 Bytes/min\r\n");
    EXPECT_EQ(Descargados(), QStringList{"a.txt"});
    EXPECT_EQ(Descargado("a.txt"), QByteArray(294, 'q'));
    EXPECT_EQ(Controles(), "Send SendFile Clear");

    m_inicio = m_estacion->modelo().textoRecepcion().size();
    const QByteArray xy = Trama('$', "x.y#1");
    Recibir(xy.left(3));
    Recibir(xy.mid(3)); // a later chunk, in the same millisecond
    m_paso = 1000;      // from here every reading of the clock is a second later
    const QByteArray readme = Trama('#', Comprimir("README#text"));
    Recibir(readme + Trama('$', "b.c.d#"));
    EXPECT_EQ(Pantalla(), "Receiving 7 bytes file...\r\n" + Recibido("x.y") +
                              QStringLiteral("Receiving %1 bytes file...\r\n").arg(readme.size()) +
                              Recibido("README") + "Receiving 8 bytes file...\r\n" +
                              Recibido("b.c.d"));
    EXPECT_EQ(Descargado("x.y"), "1");
    EXPECT_EQ(Descargado("README"), "text");
    EXPECT_EQ(Descargado("b.c.d"), "");
}

// In the download folder: the operator's own a.txt and "a (1).txt", a folder
// "d", and "l", a link to where no file is. Each frame is followed by a
// chat frame in the same chunk, which must arrive.
TEST_F(ArchivosTest, HostileFramesStayInTheFolderReplaceNothingAndSaySo)
{
    const QDir descargas(Descargas());
    const QByteArray propio = "the operator's own file, longer than the new one";
    for (const char* n : {"a.txt", "a (1).txt"})
        Crear(n, propio, Descargas());
    ASSERT_TRUE(descargas.mkdir("d"));
    ASSERT_TRUE(QFile::link(QDir(m_dir.path()).filePath("fuera"), descargas.filePath("l")));
    const auto raiz = [&] {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList antes = raiz();
    QStringList esperados = Descargados();
    const struct {
        const char* caso;
        QByteArray trama;
        QString lineas;
        QString guardado; // the new file, if any
    } casos[] = {
        {"dot dot", Trama('$', "../x#evil"), Renombrado("../x", "___x"), "___x"},
        {"control characters", Trama('$', "a\r\nb#evil"), Renombrado("a??b", "a__b"), "a__b"},
        {"empty name", Trama('$', "#evil"),
         Recibido("unnamed") + "The file came without a name; it is 'unnamed'.\r\n", "unnamed"},
        {"existing names", Trama('$', "a.txt#evil"), Ocupado("a.txt", "a (2).txt"), "a (2).txt"},
        {"a folder's name", Trama('$', "d#evil"), Ocupado("d", "d (1)"), "d (1)"},
        {"a link's name", Trama('$', "l#evil"), Ocupado("l", "l (1)"), "l (1)"},
        {"corrupt", Trama('#', Comprimir("a.txt#evil").left(5) + "\xff\xff\xff"),
         Danado("its compressed data is not valid"), ""},
        {"bomb", Trama('#', Comprimir("bomb#" + QByteArray(2'100'000, '\0'))),
         Danado("it would expand beyond 2048000 bytes"), ""},
        {"no separator", Trama('$', "evil"), Danado("it holds no file name"), ""}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        m_inicio = m_estacion->modelo().textoRecepcion().size();
        m_modem.EnviarDatos(c.trama + "4 next");
        ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("next\r\n"); }))
            << Pantalla().toStdString();
        EXPECT_EQ(Pantalla(),
                  QString(&c == casos ? "<N0CALL-2\r\n" : "") +
                      QStringLiteral("Receiving %1 bytes file...\r\n").arg(c.trama.size()) +
                      c.lineas + "next\r\n");
        if (!c.guardado.isEmpty()) {
            esperados << c.guardado;
            EXPECT_EQ(Descargado(c.guardado), "evil");
        }
        esperados.sort();
        EXPECT_EQ(Descargados(), esperados);
    }
    EXPECT_EQ(Descargado("a.txt"), propio);
    EXPECT_EQ(Descargado("a (1).txt"), propio);
    EXPECT_EQ(raiz(), antes) << "nothing beside the download folder, nothing through the link";
    EXPECT_TRUE(m_estacion->enlace().enlazado);
    EXPECT_TRUE(m_operador.avisos.empty());
}

TEST_F(ArchivosTest, DisconnectedMidFileLeavesNoFileAndTheAnnouncementStays)
{
    QByteArray trama = Trama('$', "half.bin#" + QByteArray(5000, 'h'));
    Recibir(trama.left(2000));
    Modem("DISCONNECTED");
    EXPECT_EQ(Pantalla(),
              QStringLiteral("<N0CALL-2\r\nReceiving %1 bytes file...").arg(trama.size()));
    EXPECT_TRUE(Descargados().isEmpty()) << "no temporary file either";
    EXPECT_FALSE(m_estacion->canalDatos().Recibiendo());

    Enlazar();
    Recibir(trama);
    EXPECT_EQ(Descargado("half.bin"), QByteArray(5000, 'h'));
}

// The process's file-size limit fails the write the way a full disk does.
TEST_F(ArchivosTest, MissingFolderOrRefusingDiskIsSaidAndNothingIsLeft)
{
    const QString falta = QDir(m_dir.path()).filePath("gone");
    m_estacion->config().downloadFolder = falta;
    Recibir(Trama('$', "a.txt#data") + "2 ok");
    EXPECT_TRUE(Pantalla().endsWith(QStringLiteral("\r\n'a.txt' not saved: the download folder "
                                                   "'%1' does not exist.\r\nok\r\n")
                                        .arg(QDir::toNativeSeparators(falta))))
        << Pantalla().toStdString();
    EXPECT_FALSE(QFileInfo::exists(falta));

    m_estacion->config().downloadFolder = Descargas();
    rlimit antes{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &antes), 0);
    const auto senal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limite = antes;
    limite.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    const QByteArray trama = Trama('$', "big.bin#" + QByteArray(50'000, 'z'));
    Recibir(trama);
    setrlimit(RLIMIT_FSIZE, &antes);
    std::signal(SIGXFSZ, senal);

    EXPECT_TRUE(QRegularExpression(QStringLiteral("ok\r\nReceiving %1 bytes file...\r\n'big.bin' "
                                                  "not saved: .+\\.\r\n$")
                                       .arg(trama.size()))
                    .match(Pantalla())
                    .hasMatch())
        << Pantalla().toStdString();
    EXPECT_TRUE(Descargados().isEmpty());
}

} // namespace
