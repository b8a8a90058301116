// A station linked to N0CALL-2 against a bare modem on loopback: exact frame
// bytes, screen lines, controls, progress and panel, hostile frames, losses.
// Two stations' files end to end: AgwInteropTest.

#include "transfer/CanalDatos.h"
#include "config/Ansi.h"
#include "transfer/TransferenciaArchivos.h"
#include "transfer/deflate/Compresion.h"

#include "Archivos.h"
#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"

#include <csignal>
#include <sys/resource.h>

using namespace kolt;
using model::EstadoPanel;
using test::Esperar;

namespace {

QByteArray Trama(char marcador, const QByteArray& carga)
{
    return QByteArray::number(carga.size()) + marcador + carga;
}

// Files are picked from the station's folder and saved into "descargas";
// the file transfer's clock is m_ms.
class CanalDatosTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config::FijarPaginaDelSistema(1252);
        ASSERT_TRUE(e.listo && QDir(e.carpeta()).mkdir("descargas"));
        e->config().downloadFolder = Descargas();
        e->config().loadPathFile = e.carpeta();
        e->archivos().FijarReloj([this] { return m_ms; });
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        Enlazar();
    }

    // The call placed and answered; the screen is read from here on.
    void Enlazar()
    {
        e->Conectar();
        m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
        ASSERT_TRUE(Esperar([&] { return e->enlace().enlazado; }));
        m_modem.Olvidar();
        m_inicio = e->modelo().textoRecepcion().size();
    }

    QString Descargas() const { return QDir(e.carpeta()).filePath("descargas"); }
    QString Pantalla() { return e->modelo().textoRecepcion().mid(m_inicio); }
    // Which of Send, Send File, Clear and the progress bar are on.
    QString Controles()
    {
        const model::ModeloVentana& m = e->modelo();
        QStringList on;
        if (m.control(model::Control::cmdEnviar).visible) on << "Send";
        if (m.control(model::Control::mnuSendFile).enabled) on << "SendFile";
        if (m.control(model::Control::mnuClear).enabled) on << "Clear";
        if (m.control(model::Control::ProgressBar).visible) on << "Progress";
        return on.join(' ');
    }
    EstadoPanel Bytes() { return e->modelo().panel(model::Panel::Bytes); }
    void Modem(const QString& linea) { e->ProcesarComando(linea); }
    void Recibir(const QByteArray& bloque) { e->canalDatos().RecibirDatos(bloque); }
    void Decir(const QString& texto)
    {
        e->modelo().FijarTextoTransmision(texto);
        e->canalDatos().EnviarTexto();
    }
    QString Crear(const QString& n, const QByteArray& contenido, const QString& carpeta = {})
    {
        return test::Crear((carpeta.isEmpty() ? e.carpeta() : carpeta) + "/" + n, contenido);
    }
    QStringList Descargados() const
    {
        return QDir(Descargas()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    QByteArray Descargado(const QString& n) const { return test::Leer(Descargas() + "/" + n); }
    // Picks `ruta` in the file picker and sends it.
    void Enviar(const QString& ruta)
    {
        e.operador.respuestas.push_back(ruta);
        e->archivos().AccionEnviarArchivo();
    }

    test::ModemDePrueba m_modem;
    test::EstacionDePrueba e{QString(), m_modem.puerto()};
    qsizetype m_inicio = 0;
    std::int64_t m_ms = 1'000'000;
};

// Line breaks of any kind go as CR LF, the text in the ANSI page.
TEST_F(CanalDatosTest, ChatGoesOutAsOneFrameAndShowsWhenTheModemHasSentIt)
{
    Decir(QStringLiteral("caf\u00e9\nok"));
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "8 caf\xe9\r\nok"; }));
    EXPECT_EQ(e->modelo().textoTransmision(), "");
    EXPECT_EQ(Controles(), "Progress");
    Decir("ignored");
    EXPECT_EQ(e->modelo().textoTransmision(), "ignored") << "one frame in flight";
    Modem("BUFFER 3");
    EXPECT_EQ(e->modelo().progreso(), 70);
    EXPECT_EQ(Bytes(), (EstadoPanel{"7 Bytes Sent", "Subiendo", ""}));
    EXPECT_EQ(Pantalla(), "") << "nothing shown before the modem has sent it";
    Modem("BUFFER 0");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    Decir("bye"); // the same speaker: no new header
    e->Abortar();
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\ncaf\u00e9\r\nok\r\nbye\r\n"));
    EXPECT_EQ(Controles(), "Clear") << "completed while disconnecting: Send stays hidden";
}

TEST_F(CanalDatosTest, ReceivedFrameShowsProgressThenItsTextOnce)
{
    Decir("x"); // keeps the indicators up after the frame completes
    Recibir("11 hello");
    EXPECT_EQ(e->modelo().progreso(), 57);
    EXPECT_EQ(Bytes(), (EstadoPanel{"8 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n");
    Recibir(" world11 hel"); // the echo in the middle of the next frame
    Modem("BUFFER 0");
    EXPECT_EQ(Controles(), "Clear") << "no Send while receiving";
    Recibir("lo again1"); // a chunk that ends one frame, holds another and starts a third
    Recibir("1 first frame2 ok4 ab");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello world\r\n>N0CALL-1\r\nx\r\n"
                          "<N0CALL-2\r\nhello again\r\nfirst frame\r\nok\r\n");
    EXPECT_EQ(e->modelo().progreso(), 67) << "the third frame, 4 of 6 bytes";
    Recibir("cd");
    EXPECT_EQ(Controles(), "Send SendFile Clear");
    EXPECT_EQ(Bytes(), EstadoPanel{});
}

// A malformed stream (each way a header is refused: TramasTest) is an error
// line and one abort, and nothing more is read until the link ends. Losing
// the modem mid-frame leaves nothing in flight and gives the send's Clear
// back, and a new data connection is a new stream.
TEST_F(CanalDatosTest, MalformedStreamOrSocketLostMidFrame)
{
    const QString error =
        "<N0CALL-2\r\nabc\r\nLink Error - Received data stream not correct format.\r\n";
    Recibir("3 abcX");
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas() == QStringList{"ABORT"}; }));
    Recibir("5 hello");
    EXPECT_EQ(Pantalla(), error);
    Modem("DISCONNECTED");
    Enlazar();
    Decir("lost");
    Recibir("9 half");
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !e->enlace().enlazado; }));
    EXPECT_EQ(e->transmision().bytesPendientes, 0);
    EXPECT_TRUE(e->modelo().control(model::Control::mnuClear).enabled);
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    Enlazar();
    m_modem.EnviarDatos("2 ok");
    ASSERT_TRUE(Esperar([&] { return Pantalla() == "<N0CALL-2\r\nok\r\n"; })) << "a new stream";
}

TEST_F(CanalDatosTest, SendFileChecksInOrderAndEachRefusalSendsNothing)
{
    const QString falta = QDir(e.carpeta()).filePath("missing.txt");
    Enviar(QString()); // cancelled
    Enviar(falta);
    Enviar(Crear("big.bin", QByteArray(2'048'000 - 7, 'b'))); // 7 + size + 1
    Enviar(Crear("e.txt", {}));
    EXPECT_EQ(e.operador.titulosPedidos, QStringList(4, "Select file"));
    ASSERT_EQ(e.operador.avisos.size(), 3u);
    EXPECT_EQ(e.operador.avisos[0].texto, falta + " not found");
    EXPECT_EQ(e.operador.avisos[1].texto, "'big.bin' size is too big (2048000 bytes Maximum)");
    EXPECT_EQ(e.operador.avisos[2].texto, "'e.txt' is empty");
    EXPECT_EQ(e->transmision().bytesPendientes, 0);
}

// A "#" in the name travels as "_" (the receiver would cut the name there).
// A remote line during the send gets its header; auto-disconnect follows.
TEST_F(CanalDatosTest, SmallFileGoesCompressedWithItsLinesRateAndAutoDisconnect)
{
    e->config().autoDisconnect = 1;
    e->config().loadPathFile = Descargas();
    const QByteArray contenido = QByteArray("0123456789abcdef").repeated(62) + "12345678";
    Enviar(Crear("log#3.txt", contenido));

    const QByteArray carga = "log_3.txt#" + contenido;
    const auto v = deflate::Deflate(
        std::span(reinterpret_cast<const std::uint8_t*>(carga.data()), std::size_t(carga.size())),
        5);
    const QByteArray comprimida(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
    const QByteArray trama = Trama('#', comprimida);
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= trama.size(); }));
    EXPECT_EQ(m_modem.datosRecibidos(), trama);
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\nSending 'log_3.txt' %1/%2 bytes...\r\n")
                              .arg(trama.size())
                              .arg(trama.size() - comprimida.size() + carga.size()));
    EXPECT_EQ(e->config().loadPathFile, e.carpeta()) << "the next pick starts there";
    EXPECT_EQ(Controles(), "Progress");
    m_ms += 2000;
    Recibir("2 hi");
    Modem("BUFFER 0");
    EXPECT_TRUE(Pantalla().endsWith(QStringLiteral("bytes...\r\n<N0CALL-2\r\nhi\r\n>N0CALL-1\r\n"
                                                   "File sent successfully @ %1 Bytes/min\r\n")
                                        .arg(trama.size() * 30)))
        << Pantalla().toStdString();
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("ABORT"); }));
    EXPECT_EQ(Controles(), "Clear") << "disconnecting: Send not back";
}

// In the download folder: the operator's a.txt and "a (1).txt", and "l", a
// link to where no file is. Each frame has a chat frame behind it.
TEST_F(CanalDatosTest, HostileFramesStayInTheFolderReplaceNothingAndSaySo)
{
    const QByteArray propio = "the operator's own file, longer than the new one";
    for (const char* n : {"a.txt", "a (1).txt"})
        Crear(n, propio, Descargas());
    ASSERT_TRUE(QFile::link(QDir(e.carpeta()).filePath("fuera"), Descargas() + "/l"));
    const QStringList antes = QDir(e.carpeta()).entryList(QDir::AllEntries | QDir::Hidden);
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
                 {Trama('#', "\xff\xff\xff"), "",
                  "File arrived damaged and was not saved: its compressed data is not valid."}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.aviso.toStdString());
        m_inicio = e->modelo().textoRecepcion().size();
        m_modem.EnviarDatos(c.trama + "4 next");
        ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("next\r\n"); }));
        const QString guardado =
            c.guardado.isEmpty() ? "" : "'" + c.guardado + "' received @ XXXX Bytes/min\r\n";
        EXPECT_TRUE(Pantalla().endsWith(
            QStringLiteral("Receiving %1 bytes file...\r\n").arg(c.trama.size()) + guardado +
            c.aviso + "\r\nnext\r\n"))
            << Pantalla().toStdString();
        EXPECT_TRUE(c.guardado.isEmpty() || Descargado(c.guardado) == "evil");
    }
    EXPECT_EQ(Descargados(),
              (QStringList{"___a__b", "a (1).txt", "a (2).txt", "a.txt", "l", "l (1)", "unnamed"}));
    EXPECT_EQ(Descargado("a.txt"), propio);
    EXPECT_EQ(QDir(e.carpeta()).entryList(QDir::AllEntries | QDir::Hidden), antes)
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
    Recibir(trama);
    EXPECT_EQ(Controles(), "Send SendFile Clear");
}

// The process's file-size limit fails the write the way a full disk does.
TEST_F(CanalDatosTest, MissingFolderOrRefusingDiskIsSaidAndNothingIsLeft)
{
    const QString falta = QDir(e.carpeta()).filePath("gone");
    e->config().downloadFolder = falta;
    Recibir(Trama('$', "a.txt#data") + "2 ok");
    EXPECT_TRUE(Pantalla().endsWith(QStringLiteral("\r\n'a.txt' not saved: the download folder "
                                                   "'%1' does not exist.\r\nok\r\n")
                                        .arg(QDir::toNativeSeparators(falta))))
        << Pantalla().toStdString();
    EXPECT_FALSE(QFileInfo::exists(falta));

    e->config().downloadFolder = Descargas();
    rlimit antes{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &antes), 0);
    const rlimit limite{4096, antes.rlim_max};
    const auto senal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
    Recibir(Trama('$', "big.bin#" + QByteArray(50'000, 'z')));
    setrlimit(RLIMIT_FSIZE, &antes);
    std::signal(SIGXFSZ, senal);
    EXPECT_TRUE(Pantalla().contains("ok\r\nReceiving 50014 bytes file...\r\n'big.bin' not saved: "))
        << Pantalla().toStdString();
    EXPECT_TRUE(Descargados().isEmpty());
}

} // namespace
