// The data channel of a linked station against a bare modem on loopback:
// the exact bytes of a chat frame, the buffer reports, and what the receive
// screen shows for chunks cut in every way that matters.

#include "transfer/CanalDatos.h"
#include "config/Ansi.h"
#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::Panel;
using test::Esperar;

namespace {

const QString kError = QStringLiteral("Link Error - Received data stream not correct format.\r\n");

class CanalDatosTest : public ::testing::Test {
protected:
    // A station linked to N0CALL-2 (it placed the call), with the banner
    // already on the screen and the modem's record forgotten.
    void SetUp() override
    {
        config::FijarPaginaDelSistema(1252);
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_NE(m_modem.puerto(), 0);
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Setup]\r\nHF TCP Port=%1\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                    .arg(m_modem.puerto())
                    .toLatin1());
        f.close();

        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
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

    // What the screen got since the link came up.
    QString Pantalla() const { return m_estacion->modelo().textoRecepcion().mid(m_inicio); }
    link::EstadoControl Control(const char* n) const { return m_estacion->modelo().control(n); }
    link::EstadoPanel Bytes() const { return m_estacion->modelo().panel(Panel::Bytes); }
    int Progreso() const { return m_estacion->modelo().progreso(); }
    transfer::CanalDatos& Canal() { return m_estacion->canalDatos(); }
    transfer::EstadoTransmision& Tx() { return m_estacion->transmision(); }

    void Enviar(const QString& texto)
    {
        m_estacion->modelo().FijarTextoTransmision(texto);
        Canal().EnviarTexto();
    }
    void Recibir(const QByteArray& bloque) { Canal().RecibirDatos(bloque); }
    void Modem(const QString& linea) { m_estacion->ProcesarComando(linea); }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    qsizetype m_inicio = 0;
};

TEST_F(CanalDatosTest, EmptyBoxSendsNothingAndChangesNothing)
{
    Enviar(QString());
    test::Dejar(50);
    EXPECT_TRUE(m_modem.datosRecibidos().isEmpty());
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_TRUE(Control("mnuClear").enabled);
}

TEST_F(CanalDatosTest, TextGoesOutAsOneFrameAndIsEchoedAtBufferZero)
{
    Enviar("hello");
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "5 hello"; }));
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "");
    EXPECT_EQ(Tx().bytesPendientes, 7);
    EXPECT_FALSE(Control("cmdEnviar").visible);
    EXPECT_FALSE(Control("mnuSendFile").enabled);
    EXPECT_FALSE(Control("mnuClear").enabled);
    EXPECT_TRUE(Control("ProgressBar").visible);
    EXPECT_EQ(Pantalla(), "") << "nothing shown before the modem has sent it";

    Enviar("ignored");
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "ignored") << "one frame in flight";

    Modem("BUFFER 3");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"4 Bytes Sent", "Subiendo", ""}));
    EXPECT_EQ(Pantalla(), "");
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nhello\r\n");
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Tx().ultimoEmisor, transfer::Emisor::Propio);
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_TRUE(Control("mnuSendFile").enabled);
    EXPECT_TRUE(Control("mnuClear").enabled);
    EXPECT_FALSE(Control("ProgressBar").visible);
    EXPECT_EQ(Bytes(), link::EstadoPanel{});

    m_estacion->modelo().FijarTextoTransmision(QString());
    Enviar("again");
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nhello\r\nagain\r\n") << "same speaker: no new header";
}

TEST_F(CanalDatosTest, LineBreaksTravelAsCrLfAndTextInTheAnsiPage)
{
    Enviar(QStringLiteral("caf\u00e9\nna\u00efve\r\nend"));
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos().size() == 19; }));
    EXPECT_EQ(m_modem.datosRecibidos(), QByteArray("16 caf\xe9\r\nna\xefve\r\nend"));
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), QStringLiteral(">N0CALL-1\r\ncaf\u00e9\r\nna\u00efve\r\nend\r\n"));
}

struct CasoBuffer {
    const char* linea;
    int progreso; // -1: the report is ignored
    const char* panel;
    bool completa;
};

class Buffer : public CanalDatosTest, public ::testing::WithParamInterface<CasoBuffer> {};

TEST_P(Buffer, ReportAgainstAThousandBytesInFlight)
{
    const CasoBuffer& c = GetParam();
    m_estacion->modelo().FijarProgreso(33);
    Tx().bytesPendientes = 1000;
    Tx().estadoEnvio = transfer::Envio::Texto;
    Tx().ecoPendiente = "x\r\n";
    Modem(c.linea);
    if (c.progreso < 0) {
        EXPECT_EQ(Progreso(), 33);
        EXPECT_EQ(Bytes(), link::EstadoPanel{});
        EXPECT_EQ(Tx().bytesPendientes, 1000);
        return;
    }
    if (!c.completa) {
        EXPECT_EQ(Progreso(), c.progreso);
        EXPECT_EQ(Bytes(), (link::EstadoPanel{c.panel, "Subiendo", ""}));
    }
    EXPECT_EQ(Tx().bytesPendientes, c.completa ? 0 : 1000);
    EXPECT_EQ(Pantalla(), c.completa ? ">N0CALL-1\r\nx\r\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Tabla, Buffer,
                         ::testing::Values(CasoBuffer{"BUFFER 500", 50, "500 Bytes Sent", false},
                                           CasoBuffer{"BUFFER 2000", 0, "0 Bytes Sent", false},
                                           CasoBuffer{"BUFFER 985", 2, "15 Bytes Sent", false},
                                           CasoBuffer{"BUFFER 0", 100, "", true},
                                           CasoBuffer{"BUFFER 0 0", -1, "", false},
                                           CasoBuffer{"BUFFER  0", -1, "", false},
                                           CasoBuffer{"BUFFER ", -1, "", false},
                                           CasoBuffer{"BUFFER X", -1, "", false},
                                           CasoBuffer{"BUFFER -5", -1, "", false}));

TEST_F(CanalDatosTest, ReportWithNothingInFlightChangesNothing)
{
    const QString antes = m_estacion->modelo().textoRecepcion();
    Modem("BUFFER 0");
    Modem("BUFFER 12");
    EXPECT_EQ(m_estacion->modelo().textoRecepcion(), antes);
    EXPECT_EQ(Bytes(), link::EstadoPanel{});
    EXPECT_EQ(Tx().ultimoEmisor, transfer::Emisor::Nadie);
}

TEST_F(CanalDatosTest, CompletionWhileDisconnectingKeepsSendHidden)
{
    Enviar("bye");
    m_estacion->Abortar();
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nbye\r\n");
    EXPECT_FALSE(Control("cmdEnviar").visible);
    EXPECT_FALSE(Control("mnuSendFile").enabled);
    EXPECT_TRUE(Control("mnuClear").enabled);
}

TEST_F(CanalDatosTest, RemoteTextUnderOneHeaderUntilTheSpeakerChanges)
{
    Enviar("hi");
    Modem("BUFFER 0");
    Recibir("5 hello");
    Recibir("3 you");
    EXPECT_EQ(Pantalla(), ">N0CALL-1\r\nhi\r\n<N0CALL-2\r\nhello\r\nyou\r\n");
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_FALSE(Control("ProgressBar").visible);
}

TEST_F(CanalDatosTest, FrameInTwoChunksShowsProgressThenTheTextOnce)
{
    Enviar("x"); // keeps the indicators up after the frame completes
    Recibir("11 hello");
    EXPECT_EQ(Progreso(), 57);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"8 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n");
    Recibir(" world");
    EXPECT_EQ(Progreso(), 100);
    EXPECT_EQ(Bytes(), (link::EstadoPanel{"14 Bytes Rcvd", "Descargando", ""}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello world\r\n");
    EXPECT_FALSE(Control("cmdEnviar").visible) << "own text still in flight";

    Modem("BUFFER 0");
    Recibir("11 hel");
    EXPECT_FALSE(Control("cmdEnviar").visible) << "receiving";
    EXPECT_FALSE(Control("mnuSendFile").enabled);
    Recibir("lo again");
    EXPECT_TRUE(Control("cmdEnviar").visible);
    EXPECT_FALSE(Control("ProgressBar").visible);
    EXPECT_EQ(Bytes(), link::EstadoPanel{});
    EXPECT_EQ(Pantalla(),
              "<N0CALL-2\r\nhello world\r\n>N0CALL-1\r\nx\r\n<N0CALL-2\r\nhello again\r\n");
}

TEST_F(CanalDatosTest, EchoInTheMiddleOfAFrameKeepsTheTextWhole)
{
    Enviar("x");
    Recibir("11 hello");
    Modem("BUFFER 0");
    Recibir(" world");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n>N0CALL-1\r\nx\r\n<N0CALL-2\r\nhello world\r\n");
}

TEST_F(CanalDatosTest, ChunkEndingOneFrameAndStartingTheNextHandlesBoth)
{
    Recibir("1");
    Recibir("1 first frame2 ok4 ab");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nfirst frame\r\nok\r\n");
    EXPECT_EQ(Progreso(), 67) << "the third frame, 4 of 6 bytes";
    EXPECT_EQ(Bytes().texto, "4 Bytes Rcvd");
    Recibir("cd");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nfirst frame\r\nok\r\nabcd\r\n");
}

TEST_F(CanalDatosTest, PayloadWithCrLfPairsAndBeyondThirtyThousandBytes)
{
    Recibir("7 a\r\nb\r\nc");
    QByteArray largo(40000, 'q');
    largo[0] = 'A';
    largo[39999] = 'Z';
    const QByteArray trama = "40000 " + largo;
    for (qsizetype i = 0; i < trama.size(); i += 1000)
        Recibir(trama.mid(i, 1000));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\na\r\nb\r\nc\r\n" + QString::fromLatin1(largo) + "\r\n");
}

TEST_F(CanalDatosTest, CompletedMessagesCutTheScreenToItsLast64000Characters)
{
    m_estacion->modelo().AgregarRecepcion(QString(63990, 'o'));
    Recibir("20 abcdefghijklmnopqrst");
    const QString t = m_estacion->modelo().textoRecepcion();
    EXPECT_EQ(t.size(), 64002) << "the text is cut, its line end added after";
    EXPECT_TRUE(t.endsWith("o<N0CALL-2\r\nabcdefghijklmnopqrst\r\n"));

    // Header lines are not cut.
    Enviar("me");
    Modem("BUFFER 0");
    EXPECT_EQ(m_estacion->modelo().textoRecepcion().size(), 64000) << "the echo is";
    m_estacion->modelo().AgregarRecepcion(QString(10, 'p'));
    Recibir("1 z");
    EXPECT_TRUE(
        m_estacion->modelo().textoRecepcion().endsWith("me\r\npppppppppp<N0CALL-2\r\nz\r\n"));
}

struct CasoMalformado {
    const char* bloque;
    const char* antes; // what the chunk held of good frames
};

class Malformado : public CanalDatosTest, public ::testing::WithParamInterface<CasoMalformado> {};

TEST_P(Malformado, LinkErrorAbortOnceAndNothingUntilTheLinkEnds)
{
    const QString error = "<N0CALL-2\r\n" + QString(GetParam().antes) + kError;
    Recibir(GetParam().bloque);
    EXPECT_EQ(Pantalla(), error);
    EXPECT_EQ(m_estacion->modelo().panel(Panel::Indicativos).texto, "Disconnecting...");
    ASSERT_TRUE(Esperar([&] { return m_modem.lineas() == QStringList{"ABORT"}; }));
    Recibir("5 hello");
    test::Dejar(50);
    EXPECT_EQ(Pantalla(), error);
    EXPECT_EQ(m_modem.lineas(), QStringList{"ABORT"});

    Modem("DISCONNECTED");
    Enlazar();
    Recibir("5 hello");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Starts, Malformado,
    ::testing::Values(CasoMalformado{"hello there", ""}, CasoMalformado{" 5 hello", ""},
                      CasoMalformado{"12ab 3", ""}, CasoMalformado{"5\r\nhello", ""},
                      CasoMalformado{"2048001 x", ""}, CasoMalformado{"123456789", ""},
                      CasoMalformado{"3 abcX", "abc\r\n"}));

TEST_F(CanalDatosTest, HeaderCutAfterTwoDigitsIsNoError)
{
    Recibir("12");
    Recibir(" hello world!");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nhello world!\r\n");
    EXPECT_TRUE(m_modem.lineas().isEmpty());
}

TEST_F(CanalDatosTest, DisconnectedMidFrameAbandonsIt)
{
    Recibir("11 hello");
    Enviar("lost");
    Modem("DISCONNECTED");
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_EQ(Tx().ultimoEmisor, transfer::Emisor::Nadie);
    Modem("BUFFER 0");
    Enlazar();
    Recibir(" world2 ok");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\n" + kError)
        << "the stream starts afresh: a marker first is an error";
    Modem("DISCONNECTED");
    Enlazar();
    Recibir("2 ok");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nok\r\n");
}

TEST_F(CanalDatosTest, ModemLostMidSendLeavesNothingInFlight)
{
    Enviar("lost");
    Recibir("9 half");
    m_modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !m_estacion->enlace().enlazado; }));
    EXPECT_EQ(Tx().bytesPendientes, 0);
    EXPECT_FALSE(Canal().Recibiendo());
    ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));
    Enlazar();
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), "") << "a new modem's report completes nothing of the old one";
    Enviar("new");
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "3 new"; }));
    Recibir("2 ok");
    Modem("BUFFER 0");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nok\r\n>N0CALL-1\r\nnew\r\n");
    EXPECT_TRUE(m_estacion->modelo().control("cmdEnviar").visible);
}

TEST_F(CanalDatosTest, BytesFromTheDataSocketReachTheScreen)
{
    m_modem.EnviarDatos("3 abc");
    ASSERT_TRUE(Esperar([&] { return Pantalla() == "<N0CALL-2\r\nabc\r\n"; }));
}

// What the file branch receives, as file transfer will see it.
struct ManejadorGrabador : transfer::ManejadorArchivos {
    void InicioRecepcion(const transfer::InicioArchivo& i) override
    {
        log << QStringLiteral("inicio %1 %2").arg(i.total()).arg(i.enEsteBloque);
    }
    void CargaRecibida(std::span<const std::uint8_t> p) override
    {
        carga.append(reinterpret_cast<const char*>(p.data()), qsizetype(p.size()));
    }
    void FinRecepcion(bool enUnBloque) override
    {
        log << QStringLiteral("fin %1 ").arg(int(enUnBloque)) + QString::fromLatin1(carga);
        carga.clear();
    }
    void RecepcionAbandonada() override { log << QStringLiteral("abandonada"); }
    void EnvioTerminado(std::int64_t bytes) override
    {
        log << QStringLiteral("enviado %1").arg(bytes);
    }
    QStringList log;
    QByteArray carga;
};

TEST_F(CanalDatosTest, FileFramesWithoutAHandlerAreCountedAndDropped)
{
    Canal().FijarManejadorArchivos(nullptr);
    Recibir("5#ab");
    EXPECT_FALSE(Control("cmdEnviar").visible);
    Recibir("cde3 end");
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nend\r\n");
    EXPECT_TRUE(Control("cmdEnviar").visible);
}

TEST_F(CanalDatosTest, FileFramesGoToTheHandlerWithoutTheirHeader)
{
    ManejadorGrabador m;
    Canal().FijarManejadorArchivos(&m);
    Recibir("5$a#b");
    Recibir("cd1 x11#whole#file!");
    Recibir("4#ha");
    Modem("DISCONNECTED");
    EXPECT_EQ(m.log, (QStringList{"inicio 7 5", "fin 0 a#bcd", "inicio 14 14", "fin 1 whole#file!",
                                  "inicio 6 4", "abandonada"}));
    EXPECT_EQ(Pantalla(), "<N0CALL-2\r\nx\r\n");

    Enlazar();
    Tx().estadoEnvio = transfer::Envio::Archivo;
    Canal().EntregarTrama("3#abc");
    EXPECT_EQ(Tx().bytesPendientes, 5);
    Modem("BUFFER 0");
    EXPECT_EQ(m.log.last(), "enviado 5");
    EXPECT_EQ(Pantalla(), "") << "the file branch writes its own line";
    EXPECT_TRUE(Control("cmdEnviar").visible);
    Canal().FijarManejadorArchivos(nullptr);
}

} // namespace
