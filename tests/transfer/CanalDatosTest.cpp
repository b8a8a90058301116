// A station linked to N0CALL-2 against a bare modem on loopback: the exact
// bytes of chat and file frames, the receive screen's lines, the controls,
// the progress and bytes panel, hostile file frames, and what the loss of a
// socket or of the download folder leaves.

#include "config/Ansi.h"
#include "transfer/deflate/Compresion.h"

#include "EstacionEnlazada.h"
#include "ModemDePrueba.h"

#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace kolt;
using link::EstadoPanel;
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

// Files are picked from "origen" and saved into "descargas"; the file
// transfer's clock is m_ms.
class CanalDatosTest : public ::testing::Test {
protected:
    // A scripted operator who may be interrupted while the file picker is open.
    struct OperadorLento : test::OperadorGuion {
        QString ElegirArchivo(const QString& carpeta, const QString& titulo) override
        {
            if (mientrasElige) mientrasElige();
            return OperadorGuion::ElegirArchivo(carpeta, titulo);
        }
        std::function<void()> mientrasElige;
    };

    void SetUp() override
    {
        config::FijarPaginaDelSistema(1252);
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("origen") && QDir(m_dir.path()).mkdir("descargas"));
        m_estacion = test::NuevaEstacion(m_dir.path(),
                                         QStringLiteral("HF TCP Port=%1\r\n[Path]\r\nDownload "
                                                        "Folder=%2\r\nLoad Path File=%3\r\n")
                                             .arg(m_modem.puerto())
                                             .arg(Descargas(), Origen()),
                                         m_operador);
        m_estacion->archivos().FijarReloj([this] { return m_ms; });
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        Enlazar();
    }

    // The call placed and answered; the screen is read from here on.
    void Enlazar()
    {
        m_estacion->Conectar();
        m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
        ASSERT_TRUE(Esperar([&] { return m_estacion->enlace().enlazado; }));
        m_modem.Olvidar();
        m_inicio = m_estacion->modelo().textoRecepcion().size();
    }

    QString Origen() const { return QDir(m_dir.path()).filePath("origen"); }
    QString Descargas() const { return QDir(m_dir.path()).filePath("descargas"); }
    QString Pantalla() const { return m_estacion->modelo().textoRecepcion().mid(m_inicio); }
    // Which of Send, Send File, Clear and the progress bar are on.
    QString Controles() const
    {
        const link::ModeloVentana& m = m_estacion->modelo();
        QStringList on;
        if (m.control(link::Control::cmdEnviar).visible) on << "Send";
        if (m.control(link::Control::mnuSendFile).enabled) on << "SendFile";
        if (m.control(link::Control::mnuClear).enabled) on << "Clear";
        if (m.control(link::Control::ProgressBar).visible) on << "Progress";
        return on.join(' ');
    }
    EstadoPanel Bytes() const { return m_estacion->modelo().panel(link::Panel::Bytes); }
    int Progreso() const { return m_estacion->modelo().progreso(); }
    transfer::EstadoTransmision& Tx() { return m_estacion->transmision(); }
    void Modem(const QString& linea) { m_estacion->ProcesarComando(linea); }
    void Recibir(const QByteArray& bloque) { m_estacion->canalDatos().RecibirDatos(bloque); }
    void Decir(const QString& texto)
    {
        m_estacion->modelo().FijarTextoTransmision(texto);
        m_estacion->canalDatos().EnviarTexto();
    }
    QString Crear(const QString& n, const QByteArray& contenido, const QString& carpeta = {}) const
    {
        return test::Crear(QDir(carpeta.isEmpty() ? Origen() : carpeta).filePath(n), contenido);
    }
    QStringList Descargados() const
    {
        return QDir(Descargas())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    QByteArray Descargado(const QString& n) const { return test::Leer(Descargas() + "/" + n); }
    // Picks `ruta` in the file picker and sends it.
    void Enviar(const QString& ruta)
    {
        m_operador.respuestas.push_back(ruta);
        m_estacion->archivos().AccionEnviarArchivo();
    }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    OperadorLento m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    qsizetype m_inicio = 0;
    std::int64_t m_ms = 1'000'000;
};

TEST_F(CanalDatosTest, ChatGoesOutAsOneFrameAndShowsWhenTheModemHasSentIt)
{
    Decir("hello");
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "5 hello"; }));
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "");
    EXPECT_EQ(Controles(), "Progress");
    Decir("ignored");
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "ignored") << "one frame in flight";

    Modem("BUFFER 2000"); // above the frame: all of it
    EXPECT_EQ(Bytes(), (EstadoPanel{"0 Bytes Sent", "Subiendo", ""}));
    Modem("BUFFER 3");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (EstadoPanel{"4 Bytes Sent", "Subiendo", ""}));
    EXPECT_EQ(Pantalla(), "");
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nhello\r\n");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Bytes(), EstadoPanel{});

    // Line breaks of any kind go as CR LF, the text in the ANSI page; the
    // same speaker gets no new header.
    Decir(QStringLiteral("caf\u00e9\nna\u00efve\r\nend"));
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() == 26; }));
    EXPECT_EQ(m_modem.datosRecibidos(), QByteArray("5 hello16 caf\xe9\r\nna\xefve\r\nend"));
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(),
              QStringLiteral(">N0CALL-1\r\nhello\r\ncaf\u00e9\r\nna\u00efve\r\nend\r\n"));

    Decir("bye");
    m_estacion->Abortar();
    Modem("BUFFER 0");
    EXPECT_EQ(Controles(), "Clear") << "completed while disconnecting: Send stays hidden";
}

TEST_F(CanalDatosTest, ReceivedFrameShowsProgressThenItsTextOnce)
{
    Decir("x"); // keeps the indicators up after the frame completes
    Recibir("11 hello");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (EstadoPanel{"8 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n");
    Recibir(" world11 hel"); // the echo in the middle of the next frame
    Modem("BUFFER 0");
    EXPECT_EQ(Controles(), "Clear") << "no Send while receiving";
    Recibir("lo again1"); // a chunk that ends one frame, holds another and starts a third
    Recibir("1 first frame2 ok4 ab");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello world\r\n>N0CALL-1\r\nx\r\n"
                          "<N0CALL-2\r\nhello again\r\nfirst frame\r\nok\r\n");
    EXPECT_EQ(Progreso(), 67) << "the third frame, 4 of 6 bytes";
    Recibir("cd");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Bytes(), EstadoPanel{});
}

TEST_F(CanalDatosTest, CompletedMessagesCutTheScreenToItsLast64000Characters)
{
    link::ModeloVentana& modelo = m_estacion->modelo();
    modelo.AgregarRecepcion(QString(63990, 'o'));
    Recibir("20 abcdefghijklmnopqrst");
    EXPECT_EQ(modelo.textoRecepcion().size(), 64002) << "the text is cut, its line end added after";
    EXPECT_TRUE(modelo.textoRecepcion().endsWith("o<N0CALL-2\r\nabcdefghijklmnopqrst\r\n"));
    Decir("me");
    Modem("BUFFER 0");
    EXPECT_EQ(modelo.textoRecepcion().size(), 64000) << "header lines are not cut, the echo is";
    modelo.AgregarRecepcion(QString(10, 'p'));
    Recibir("1 z");
    EXPECT_TRUE(modelo.textoRecepcion().endsWith("me\r\npppppppppp<N0CALL-2\r\nz\r\n"));
}

// Each way a header can be refused is in TramasTest; here, what the station
// does: the error line, one abort, nothing more until the link ends.
TEST_F(CanalDatosTest, MalformedStreamIsALinkErrorUntilTheLinkEnds)
{
    const QString error =
        "<N0CALL-2\r\nabc\r\nLink Error - Received data stream not correct format.\r\n";
    Recibir("3 abcX");
    EXPECT_EQ(Pantalla(), error);
    EXPECT_EQ(m_estacion->modelo().panel(link::Panel::Indicativos).texto, "Disconnecting...");
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas() == QStringList{"ABORT"}; }));
    Recibir("5 hello");
    EXPECT_EQ(Pantalla(), error);
    Modem("DISCONNECTED");
    Enlazar();
    Recibir("5 hello");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello\r\n");
}

// Only the data socket carries frames: losing the command socket keeps the
// frame it is in the middle of and gives the send's Clear back. Losing the
// modem leaves nothing in flight, and a new data connection is a new stream.
TEST_F(CanalDatosTest, SocketLostMidFrame)
{
    Recibir("10 first");
    Decir("out");
    m_modem.CortarComandos();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->SocketsArriba(); }));
    EXPECT_TRUE(m_estacion->modelo().control(link::Control::mnuClear).enabled);
    m_modem.EnviarDatos(" half");
    ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("first half\r\n"); }));
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));

    Enlazar();
    Decir("lost");
    Recibir("9 half");
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->enlace().enlazado; }));
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_TRUE(m_estacion->modelo().control(link::Control::mnuClear).enabled);
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));
    Enlazar();
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), "") << "a new modem's report completes nothing of the old one";
    m_modem.EnviarDatos("2 ok");
    ASSERT_TRUE(Esperar([&] { return Pantalla() == "<N0CALL-2\r\nok\r\n"; })) << "a new stream";
}

// ---- Files ----

TEST_F(CanalDatosTest, SendFileChecksInOrderAndWhatComesWhileThePickerIsOpen)
{
    const QString falta = QDir(Origen()).filePath("missing.txt");
    Enviar(QString()); // cancelled
    Enviar(falta);
    Enviar(Crear("big.bin", QByteArray(2'048'000 - 7, 'b'))); // 7 + size + 1
    Enviar(Crear("e.txt", {}));
    EXPECT_EQ(m_operador.titulosPedidos, QStringList(4, "Select file"));
    EXPECT_EQ(m_operador.carpetasPedidas, QStringList(4, Origen()));
    ASSERT_EQ(m_operador.avisos.size(), 3u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, falta + " not found");
    EXPECT_EQ(m_operador.avisos[1].icono, link::Icono::Exclamacion);
    EXPECT_EQ(m_operador.avisos[1].texto, "'big.bin' size is too big (2048000 bytes Maximum)");
    EXPECT_EQ(m_operador.avisos[2].texto, "'e.txt' is empty");

    // A frame begins, or the link ends, while the operator picks: nothing goes.
    const QString ruta = Crear("a.txt", "x");
    m_operador.mientrasElige = [this] { Recibir("9 half"); };
    Enviar(ruta);
    Recibir("-done");
    Decir("z"); // the data port's first bytes
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= 3; }));
    EXPECT_EQ(m_modem.datosRecibidos(), "1 z");
    Modem("BUFFER 0");
    m_operador.mientrasElige = [this] { Modem("DISCONNECTED"); };
    Enviar(ruta);
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhalf-done\r\n>N0CALL-1\r\nz\r\n");
}

// A "#" in the name travels as "_", or the receiver would cut the name
// there. A remote line during the send gets its header, and the end of the
// send its own; with auto-disconnect the link ends after it.
TEST_F(CanalDatosTest, SmallFileGoesCompressedWithItsLinesRateAndAutoDisconnect)
{
    m_estacion->config().autoDisconnect = 1;
    m_estacion->config().loadPathFile = m_dir.path();
    const QByteArray contenido = QByteArray("0123456789abcdef").repeated(62) + "12345678";
    Enviar(Crear("log#3.txt", contenido));

    const QByteArray carga = "log_3.txt#" + contenido;
    const QByteArray comprimida = Comprimir(carga);
    const QByteArray trama = Trama('#', comprimida);
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= trama.size(); }));
    EXPECT_EQ(m_modem.datosRecibidos(), trama);
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\nSending 'log_3.txt' %1/%2 bytes...\r\n")
                              .arg(trama.size())
                              .arg(trama.size() - comprimida.size() + carga.size()));
    EXPECT_EQ(m_estacion->config().loadPathFile, Origen()) << "the next pick starts there";
    EXPECT_EQ(Controles(), "Progress");
    EXPECT_EQ(Progreso(), 0);

    m_ms += 2000;
    Modem(QStringLiteral("BUFFER %1").arg(trama.size() / 2));
    Recibir("2 hi");
    Modem("BUFFER 0");
    EXPECT_TRUE(Pantalla().endsWith(QStringLiteral("bytes...\r\n<N0CALL-2\r\nhi\r\n>N0CALL-1\r\n"
                                                   "File sent successfully @ %1 Bytes/min\r\n")
                                        .arg(trama.size() * 30)))
        << Pantalla().toStdString();
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("ABORT"); }));
    EXPECT_EQ(Controles(), "Clear") << "disconnecting: Send not back";
}

// In the download folder: the operator's own a.txt and "a (1).txt", and
// "l", a link to where no file is. Each frame is followed by a chat frame in
// the same chunk, which must arrive.
TEST_F(CanalDatosTest, HostileFramesStayInTheFolderReplaceNothingAndSaySo)
{
    const QByteArray propio = "the operator's own file, longer than the new one";
    for (const char* n : {"a.txt", "a (1).txt"})
        Crear(n, propio, Descargas());
    ASSERT_TRUE(QFile::link(m_dir.filePath("fuera"), Descargas() + "/l"));
    const QStringList antes = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
    const QString ocupado = "' already exists in the download folder; the new file is '";
    const struct {
        QByteArray trama;
        QString guardado; // the new file, if any
        QString aviso;
    } casos[] = {{Trama('$', "../a\r\nb#evil"), "___a__b",
                  "The name sent, '../a??b', is not a plain file name; the file is '___a__b'."},
                 {Trama('$', "#evil"), "unnamed", "The file came without a name; it is 'unnamed'."},
                 {Trama('$', "a.txt#evil"), "a (2).txt", "'a.txt" + ocupado + "a (2).txt'."},
                 {Trama('$', "l#evil"), "l (1)", "'l" + ocupado + "l (1)'."},
                 {Trama('#', Comprimir("a.txt#evil").left(5) + "\xff\xff\xff"), "",
                  "File arrived damaged and was not saved: its compressed data is not valid."}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.aviso.toStdString());
        m_inicio = m_estacion->modelo().textoRecepcion().size();
        m_modem.EnviarDatos(c.trama + "4 next");
        ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("next\r\n"); }));
        const QString guardado =
            c.guardado.isEmpty() ? "" : "'" + c.guardado + "' received @ XXXX Bytes/min\r\n";
        EXPECT_TRUE(Pantalla().endsWith(
            QStringLiteral("Receiving %1 bytes file...\r\n").arg(c.trama.size()) + guardado +
            c.aviso + "\r\nnext\r\n"))
            << Pantalla().toStdString();
        if (!c.guardado.isEmpty()) {
            EXPECT_EQ(Descargado(c.guardado), "evil");
        }
    }
    EXPECT_EQ(Descargados(),
              (QStringList{"___a__b", "a (1).txt", "a (2).txt", "a.txt", "l", "l (1)", "unnamed"}));
    EXPECT_EQ(Descargado("a.txt"), propio);
    EXPECT_EQ(Descargado("a (1).txt"), propio);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden), antes)
        << "nothing beside the download folder, nothing through the link";
}

// The rate counts from the end of the first chunk (one chunk gives "XXXX").
// A file cut by the end of the link leaves no file, and its announcement stays.
TEST_F(CanalDatosTest, FramesAreAnnouncedSavedAndRatedOrCutWithTheLink)
{
    const QByteArray trama = Trama('$', "a.txt#" + QByteArray(294, 'q'));
    Recibir(trama.left(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...");
    EXPECT_EQ(Controles(), "Clear Progress");
    m_ms += 2000;
    Recibir(trama.mid(104) + trama.left(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...\r\n"
                          "'a.txt' received @ 6000 Bytes/min\r\nReceiving 304 bytes file...");
    EXPECT_EQ(Descargado("a.txt"), QByteArray(294, 'q'));
    Modem("DISCONNECTED");
    EXPECT_TRUE(Pantalla().endsWith("min\r\nReceiving 304 bytes file..."));
    EXPECT_EQ(Descargados(), QStringList{"a.txt"}) << "no temporary file either";
    Enlazar();
    Recibir(Trama('$', "b.c.d#"));
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Descargados(), (QStringList{"a.txt", "b.c.d"}));
}

// The process's file-size limit fails the write the way a full disk does.
TEST_F(CanalDatosTest, MissingFolderOrRefusingDiskIsSaidAndNothingIsLeft)
{
    const QString falta = m_dir.filePath("gone");
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
    Recibir(Trama('$', "big.bin#" + QByteArray(50'000, 'z')));
    setrlimit(RLIMIT_FSIZE, &antes);
    std::signal(SIGXFSZ, senal);
    EXPECT_TRUE(Pantalla().contains("ok\r\nReceiving 50014 bytes file...\r\n'big.bin' not saved: "))
        << Pantalla().toStdString();
    EXPECT_TRUE(Descargados().isEmpty());
}

} // namespace
