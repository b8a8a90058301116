// File transfer of a linked station against a bare modem on loopback: the
// checks of Send File in their order, the exact frame bytes and lines of a
// send, and hostile file frames written straight into the data port.

#include "config/Ansi.h"
#include "link/Estacion.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"
#include "transfer/deflate/Compresion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
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

QByteArray Descomprimir(const QByteArray& b)
{
    std::vector<std::uint8_t> salida;
    const auto estado = deflate::Inflate(
        std::span(reinterpret_cast<const std::uint8_t*>(b.constData()), std::size_t(b.size())),
        salida, 4u << 20);
    if (estado != deflate::InflateStatus::Ok) return "<corrupt>";
    return QByteArray(reinterpret_cast<const char*>(salida.data()), qsizetype(salida.size()));
}

QByteArray Azar(qsizetype n)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(11);
    for (char& c : b)
        c = char(g.generate());
    return b;
}

// A scripted operator who may be interrupted while the file picker is open.
struct OperadorLento : test::OperadorGuion {
    QString ElegirArchivo(const QString& carpeta, const QString& titulo) override
    {
        if (mientrasElige) mientrasElige();
        return OperadorGuion::ElegirArchivo(carpeta, titulo);
    }
    std::function<void()> mientrasElige;
};

class ArchivosTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config::FijarPaginaDelSistema(1252);
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_NE(m_modem.puerto(), 0);
        QDir raiz(m_dir.path());
        ASSERT_TRUE(raiz.mkdir("origen") && raiz.mkdir("descargas"));
        QFile f(raiz.filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Setup]\r\nHF TCP Port=%1\r\nAutoLaunch=0\r\nSave Log=0\r\n"
                               "[Path]\r\nDownload Folder=%2\r\nLoad Path File=%3\r\n")
                    .arg(m_modem.puerto())
                    .arg(Descargas(), Origen())
                    .toUtf8());
        f.close();

        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        Archivos().FijarReloj([this] { return m_ms; });
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        Enlazar();
    }

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
    QString EnOrigen(const QString& n) const { return QDir(Origen()).filePath(n); }
    QString Crear(const QString& n, const QByteArray& contenido) const
    {
        QFile f(EnOrigen(n));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
        return f.fileName();
    }
    QStringList Descargados() const
    {
        return QDir(Descargas())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    QByteArray Descargado(const QString& n) const
    {
        QFile f(QDir(Descargas()).filePath(n));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QString Pantalla() const { return m_estacion->modelo().textoRecepcion().mid(m_inicio); }
    link::EstadoControl Control(const char* n) const { return m_estacion->modelo().control(n); }
    transfer::TransferenciaArchivos& Archivos() { return m_estacion->archivos(); }
    transfer::EstadoTransmision& Tx() { return m_estacion->transmision(); }
    void Modem(const QString& linea) { m_estacion->ProcesarComando(linea); }
    void Recibir(const QByteArray& bloque) { m_estacion->canalDatos().RecibirDatos(bloque); }

    // Picks `ruta` in the file picker and sends it.
    void Enviar(const QString& ruta)
    {
        m_operador.respuestas.push_back(ruta);
        Archivos().AccionEnviarArchivo();
    }
    QByteArray TramaEnviada(qsizetype largo)
    {
        EXPECT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() >= largo; }));
        return m_modem.datosRecibidos();
    }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    OperadorLento m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    qsizetype m_inicio = 0;
    std::int64_t m_ms = 1'000'000;
};

TEST_F(ArchivosTest, ChecksRunInOrderAndEachRefusalSendsNothing)
{
    const QString grande = Crear("big.bin", QByteArray(2'048'000 - 7, 'b')); // 7 + size + 1
    const QString vacio = Crear("e.txt", {});
    const QString falta = EnOrigen("missing.txt");

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
    test::Dejar(50);
    EXPECT_TRUE(m_modem.datosRecibidos().isEmpty());
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Pantalla(), "");
    EXPECT_TRUE(Control("cmdEnviar").visible);
}

TEST_F(ArchivosTest, WithTheModemGoneTheOperatorIsToldAndNoPickerOpens)
{
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->SocketsArriba(); }));
    Enviar(Crear("a.txt", "x"));
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
    EXPECT_TRUE(m_operador.titulosPedidos.isEmpty());
}

TEST_F(ArchivosTest, LinkLostOrFrameArrivingWhileThePickerIsOpenSendsNothing)
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
}

TEST_F(ArchivosTest, SmallFileGoesCompressedWithItsLinesAndRate)
{
    m_estacion->config().loadPathFile = m_dir.path();
    const QByteArray contenido = QByteArray("0123456789abcdef").repeated(62) + "12345678";
    ASSERT_EQ(contenido.size(), 1000);
    Enviar(Crear("a.txt", contenido));

    const QByteArray comprimida = Comprimir("a.txt#" + contenido);
    const QByteArray trama = Trama('#', comprimida);
    const qsizetype cabecera = trama.size() - comprimida.size();
    EXPECT_EQ(TramaEnviada(trama.size()), trama);
    EXPECT_EQ(Descomprimir(comprimida), "a.txt#" + contenido);
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\nSending 'a.txt' %1/%2 bytes...\r\n")
                              .arg(trama.size())
                              .arg(1006 + cabecera));
    EXPECT_EQ(Tx().estadoEnvio, transfer::Envio::Archivo);
    EXPECT_EQ(Tx().bytesPendientes, trama.size());
    EXPECT_EQ(Tx().ecoPendiente, "");
    EXPECT_EQ(Archivos().TickInicioEnvio(), m_ms);
    EXPECT_EQ(m_estacion->config().loadPathFile, Origen()) << "the next pick starts there";
    for (const char* oculto : {"cmdEnviar", "lblWait"})
        EXPECT_FALSE(Control(oculto).visible) << oculto;
    for (const char* inactivo : {"mnuSendFile", "mnuClear"})
        EXPECT_FALSE(Control(inactivo).enabled) << inactivo;
    EXPECT_TRUE(Control("ProgressBar").visible);
    EXPECT_EQ(m_estacion->modelo().progreso(), 0);

    m_ms += 2000;
    Modem(QStringLiteral("BUFFER %1").arg(trama.size() / 2));
    EXPECT_FALSE(Pantalla().contains("successfully"));
    Modem("BUFFER 0");
    EXPECT_TRUE(
        Pantalla().endsWith(QStringLiteral("bytes...\r\nFile sent successfully @ %1 Bytes/min\r\n")
                                .arg(trama.size() * 30)));
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_TRUE(Control("mnuSendFile").enabled);
    EXPECT_TRUE(m_operador.avisos.empty());
}

struct Limite {
    const char* nombre;
    qsizetype carga; // name + "#" + body
    char marcador;
};

class LimiteEnvio : public ArchivosTest, public ::testing::WithParamInterface<Limite> {};

TEST_P(LimiteEnvio, PayloadSizeDecidesTheMarker)
{
    const QString nombre = QString::fromLatin1(GetParam().nombre);
    const QByteArray cuerpo = Azar(GetParam().carga - nombre.size() - 1);
    Enviar(Crear(nombre, cuerpo));
    const QByteArray carga = nombre.toLatin1() + '#' + cuerpo;
    const QByteArray esperada =
        GetParam().marcador == '#' ? Trama('#', Comprimir(carga)) : Trama('$', carga);
    EXPECT_EQ(TramaEnviada(esperada.size()), esperada);
    EXPECT_TRUE(m_operador.avisos.empty());
}

INSTANTIATE_TEST_SUITE_P(Tabla, LimiteEnvio,
                         ::testing::Values(Limite{"exact.bin", 600'000, '#'},
                                           Limite{"over.bin", 600'001, '$'},
                                           Limite{"max.bin", 2'048'000, '$'}),
                         [](const auto& i) { return std::to_string(i.param.carga); });

TEST_F(ArchivosTest, HashInTheNameTravelsAsUnderscore)
{
    Enviar(Crear("log#3.txt", "abc"));
    const QByteArray trama = Trama('#', Comprimir("log_3.txt#abc"));
    EXPECT_EQ(TramaEnviada(trama.size()), trama);
    EXPECT_TRUE(Pantalla().contains("Sending 'log_3.txt' "));
}

TEST_F(ArchivosTest, CompletionInTheSameMillisecondShowsXXXXAndAutoDisconnectAborts)
{
    m_estacion->config().autoDisconnect = 1;
    Enviar(Crear("a.txt", "x"));
    ASSERT_TRUE(Esperar([&] { return !m_modem.datosRecibidos().isEmpty(); }));
    Modem("BUFFER 0");
    EXPECT_TRUE(Pantalla().endsWith("File sent successfully @ XXXX Bytes/min\r\n"));
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("ABORT"); }));
    EXPECT_FALSE(Control("cmdEnviar").visible) << "disconnecting: not back yet";
}

TEST_F(ArchivosTest, RemoteLineDuringTheSendKeepsEveryBlockUnderItsHeader)
{
    Enviar(Crear("a.txt", "x"));
    Recibir("2 hi");
    Modem("BUFFER 0");
    EXPECT_TRUE(QRegularExpression("^>N0CALL-1\r\nSending 'a.txt' \\d+/\\d+ bytes...\r\n"
                                   "<N0CALL-2\r\nhi\r\n"
                                   ">N0CALL-1\r\nFile sent successfully @ XXXX Bytes/min\r\n$")
                    .match(Pantalla())
                    .hasMatch())
        << Pantalla().toStdString();
}

// ---- Receiving ----

TEST_F(ArchivosTest, FrameInTwoChunksIsAnnouncedSavedAndRated)
{
    const QByteArray trama = Trama('$', "a.txt#" + QByteArray(294, 'q'));
    ASSERT_EQ(trama.size(), 304);
    Recibir(trama.left(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...");
    EXPECT_FALSE(Control("cmdEnviar").visible);
    m_ms += 2000;
    Recibir(trama.mid(104));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nReceiving 304 bytes file...\r\n"
                          "'a.txt' received @ 6000 Bytes/min\r\n");
    EXPECT_EQ(Descargado("a.txt"), QByteArray(294, 'q'));
    EXPECT_EQ(Descargados(), QStringList{"a.txt"});
    EXPECT_TRUE(Control("cmdEnviar").visible);
}

TEST_F(ArchivosTest, OneChunkOrNoTimeGivesXXXX)
{
    const QByteArray readme = Trama('#', Comprimir("README#text"));
    Recibir(readme + Trama('$', "b.c.d#"));
    Recibir(Trama('$', "x.y#1").left(3));
    Recibir(Trama('$', "x.y#1").mid(3)); // a later chunk, in the same millisecond
    EXPECT_EQ(Pantalla(), QStringLiteral("<N0CALL-2\r\n"
                                         "Receiving %1 bytes file...\r\n'README' received @ XXXX "
                                         "Bytes/min\r\n"
                                         "Receiving 8 bytes file...\r\n'b.c.d' received @ XXXX "
                                         "Bytes/min\r\n"
                                         "Receiving 7 bytes file...\r\n'x.y' received @ XXXX "
                                         "Bytes/min\r\n")
                              .arg(readme.size()));
    EXPECT_EQ(Descargado("README"), "text");
    EXPECT_EQ(Descargado("b.c.d"), "");
    EXPECT_EQ(Descargado("x.y"), "1");
}

struct Hostil {
    const char* caso;
    QByteArray trama;
    const char* linea;    // after the announcement
    const char* guardado; // the new file, if any
};

void PrintTo(const Hostil& h, std::ostream* os)
{
    *os << h.caso;
}

class TramaHostil : public ArchivosTest, public ::testing::WithParamInterface<Hostil> {};

TEST_P(TramaHostil, StaysInTheFolderReplacesNothingSaysSoAndTheNextFrameArrives)
{
    QFile propio(QDir(Descargas()).filePath("a.txt"));
    ASSERT_TRUE(propio.open(QIODevice::WriteOnly));
    propio.write("the operator's own file, longer than the new one");
    propio.close();
    const QStringList raiz =
        QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const Hostil& h = GetParam();
    m_modem.EnviarDatos(h.trama);
    ASSERT_TRUE(Esperar([&] {
        return Pantalla().endsWith(".\r\n") || Pantalla().endsWith("min\r\n");
    })) << Pantalla().toStdString();
    m_modem.EnviarDatos("4 next");
    ASSERT_TRUE(Esperar([&] { return Pantalla().endsWith("next\r\n"); }));

    EXPECT_EQ(Pantalla(),
              QStringLiteral("<N0CALL-2\r\nReceiving %1 bytes file...\r\n").arg(h.trama.size()) +
                  QString::fromUtf8(h.linea) + "next\r\n");
    QStringList esperados{"a.txt"};
    if (*h.guardado) esperados << QString::fromUtf8(h.guardado);
    esperados.sort();
    EXPECT_EQ(Descargados(), esperados);
    EXPECT_EQ(Descargado("a.txt"), "the operator's own file, longer than the new one");
    if (*h.guardado) {
        EXPECT_EQ(Descargado(h.guardado), "evil");
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              raiz)
        << "nothing beside the download folder";
    EXPECT_TRUE(m_estacion->enlace().enlazado);
    EXPECT_TRUE(m_operador.avisos.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, TramaHostil,
    ::testing::Values(
        Hostil{"DotDot", Trama('$', "../x#evil"),
               "'___x' received @ XXXX Bytes/min\r\n"
               "The name sent, '../x', is not a plain file name; the file is '___x'.\r\n",
               "___x"},
        Hostil{"Absolute", Trama('#', Comprimir("/abs#evil")),
               "'_abs' received @ XXXX Bytes/min\r\n"
               "The name sent, '/abs', is not a plain file name; the file is '_abs'.\r\n",
               "_abs"},
        Hostil{"Drive", Trama('$', "C:\\x#evil"),
               "'C__x' received @ XXXX Bytes/min\r\n"
               "The name sent, 'C:\\x', is not a plain file name; the file is 'C__x'.\r\n",
               "C__x"},
        Hostil{"Subfolder", Trama('$', "a/b#evil"),
               "'a_b' received @ XXXX Bytes/min\r\n"
               "The name sent, 'a/b', is not a plain file name; the file is 'a_b'.\r\n",
               "a_b"},
        Hostil{"ControlCharacters", Trama('$', "a\r\nb#evil"),
               "'a__b' received @ XXXX Bytes/min\r\n"
               "The name sent, 'a??b', is not a plain file name; the file is 'a__b'.\r\n",
               "a__b"},
        Hostil{"EmptyName", Trama('$', "#evil"),
               "'unnamed' received @ XXXX Bytes/min\r\n"
               "The file came without a name; it is 'unnamed'.\r\n",
               "unnamed"},
        Hostil{"ExistingName", Trama('$', "a.txt#evil"),
               "'a (1).txt' received @ XXXX Bytes/min\r\n"
               "'a.txt' already exists in the download folder; the new file is 'a (1).txt'.\r\n",
               "a (1).txt"},
        Hostil{"CorruptCompressed", Trama('#', Comprimir("a.txt#evil").left(5) + "\xff\xff\xff"),
               "File arrived damaged and was not saved: its compressed data is not valid.\r\n", ""},
        Hostil{"Bomb", Trama('#', Comprimir("bomb#" + QByteArray(2'100'000, '\0'))),
               "File arrived damaged and was not saved: it would expand beyond 2048000 bytes.\r\n",
               ""},
        Hostil{"NoSeparator", Trama('$', "evil"),
               "File arrived damaged and was not saved: it holds no file name.\r\n", ""}),
    [](const auto& i) { return std::string(i.param.caso); });

TEST_F(ArchivosTest, DisconnectedMidFileLeavesNoFileAndTheAnnouncementStays)
{
    const QByteArray trama = Trama('$', "half.bin#" + Azar(5000));
    Recibir(trama.left(2000));
    Modem("DISCONNECTED");
    EXPECT_EQ(Pantalla(),
              QStringLiteral("<N0CALL-2\r\nReceiving %1 bytes file...").arg(trama.size()));
    EXPECT_TRUE(Descargados().isEmpty());
    EXPECT_FALSE(m_estacion->canalDatos().Recibiendo());

    Enlazar();
    Recibir(trama);
    EXPECT_EQ(Descargado("half.bin"), trama.mid(trama.indexOf('#') + 1));
}

TEST_F(ArchivosTest, MissingDownloadFolderIsSaidAndNotCreated)
{
    const QString falta = QDir(m_dir.path()).filePath("gone");
    m_estacion->config().downloadFolder = falta;
    Recibir(Trama('$', "a.txt#data"));
    EXPECT_TRUE(
        Pantalla().endsWith(QStringLiteral("\r\n'a.txt' not saved: the download folder '%1' "
                                           "does not exist.\r\n")
                                .arg(QDir::toNativeSeparators(falta))))
        << Pantalla().toStdString();
    EXPECT_FALSE(QFileInfo::exists(falta));
    Recibir("2 ok");
    EXPECT_TRUE(Pantalla().endsWith("ok\r\n"));
}

// The process's file-size limit fails the write the way a full disk does.
TEST_F(ArchivosTest, DiskThatRefusesTheBodyIsSaidAndNothingIsLeft)
{
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

    EXPECT_TRUE(QRegularExpression(QStringLiteral("Receiving %1 bytes file...\r\n'big.bin' not "
                                                  "saved: .+\\.\r\n$")
                                       .arg(trama.size()))
                    .match(Pantalla())
                    .hasMatch())
        << Pantalla().toStdString();
    EXPECT_TRUE(Descargados().isEmpty());
}

} // namespace
