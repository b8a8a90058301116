// kolt-modem-agw over two real soft TNCs joined by an audio channel (the
// Direwolf pair of the interop rig), with short retry settings: first as a
// bare host drives it, line by line and byte by byte, then with a station of
// ours on each side.

#include "Anfitrion.h"
#include "config/Ansi.h"

#include "Esperar.h"
#include "EstacionDePrueba.h"
#include "ParDirewolf.h"
#include "QtImprimir.h"
#include "transfer/EstacionEnlazada.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace kolt;
using test::Anfitrion;
using test::Esperar;
using test::ParDirewolf;

namespace {

const QString kConfRapida = QStringLiteral("FRACK 2\nRETRY 3\nEMAXFRAME 4");

QByteArray Azar(qsizetype n, quint32 semilla)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(semilla);
    for (auto& c : b)
        c = char(g.generate());
    return b;
}

// An AX.25 address field entry: six characters shifted left, then the SSID.
QByteArray Direccion(const char* base, int ssid, bool ultima)
{
    QByteArray d = QByteArray(base).leftJustified(6, ' ');
    for (auto& c : d)
        c = char(c << 1);
    return d + char(0x60 | (ssid << 1) | (ultima ? 1 : 0));
}

QByteArray Trama(char marca, const QByteArray& carga)
{
    return QByteArray::number(carga.size()) + marca + carga;
}

#define REQUIERE_PAR()                                                                             \
    if (const std::string falta = ParDirewolf::Falta(); !falta.empty()) {                          \
        if (qEnvironmentVariableIsSet("CI")) FAIL() << "missing on CI: " << falta;                 \
        GTEST_SKIP() << "interop test skipped: missing " << falta;                                 \
    }

TEST(AgwInterop, LinkChatFilesAbortAndAStationGoingOffTheAir)
{
    REQUIERE_PAR();
    ParDirewolf par;
    QString error;
    ASSERT_TRUE(par.Arrancar(&error, true, kConfRapida)) << error.toStdString();
    auto ma = test::ModemAgw(par.agwA, par.puertoA);
    auto mb = test::ModemAgw(par.agwB, par.puertoB);
    Anfitrion a(ma->commandPort()), b(mb->commandPort());
    QTcpSocket kissDeA, kissDeB;
    QByteArray oidoB;
    QObject::connect(&kissDeB, &QTcpSocket::readyRead, [&] { oidoB += kissDeB.readAll(); });
    kissDeA.connectToHost(QHostAddress::LocalHost, ma->kissPort());
    kissDeB.connectToHost(QHostAddress::LocalHost, mb->kissPort());
    ASSERT_TRUE(Esperar([&] { return ma->tncUp() && mb->tncUp(); }));
    a.Decir("MYCALL N0CALL-1");
    b.Decir("MYCALL N0CALL-2");
    b.Decir("CHAT ON");
    ASSERT_TRUE(a.Oye("OK") && b.Oye("OK"));
    test::Dejar(1500); // a TNC serves a new client up to a second late

    // The call, seen the same way from both ends.
    a.Decir("CONNECT N0CALL-1 N0CALL-2");
    ASSERT_TRUE(a.Oye("CONNECTED N0CALL-1 N0CALL-2")) << a.lineas.join('|').toStdString();
    ASSERT_TRUE(b.Oye("CONNECTED N0CALL-1 N0CALL-2")) << b.lineas.join('|').toStdString();
    EXPECT_EQ(a.lineas.mid(0, 4), QStringList({"OK", "OK", "PTT ON", "PTT OFF"}))
        << "the call is keyed and unkeyed before the link is reported";

    // Chat both ways, then a compressed and a plain file frame each way at
    // once; every byte arrives as sent, and each side counts down to 0.
    a.Marcar();
    b.Marcar();
    a.Enviar(Trama(' ', "hello from one"));
    b.Enviar(Trama(' ', "and from two"));
    const QByteArray deA = Trama('#', Azar(300, 1)) + Trama('$', Azar(150, 2));
    const QByteArray deB = Trama('#', Azar(200, 3)) + Trama('$', Azar(280, 4));
    ASSERT_TRUE(Esperar([&] { return b.recibido.size() >= 17 && a.recibido.size() >= 15; }, 15000));
    a.Enviar(deA);
    b.Enviar(deB);
    ASSERT_TRUE(Esperar(
        [&] {
            return b.recibido.size() >= 17 + deA.size() && a.recibido.size() >= 15 + deB.size();
        },
        60000))
        << a.recibido.size() << " / " << b.recibido.size() << par.Registro("a.log").toStdString();
    EXPECT_EQ(b.recibido, Trama(' ', "hello from one") + deA);
    EXPECT_EQ(a.recibido, Trama(' ', "and from two") + deB);
    for (Anfitrion* h : {&a, &b}) {
        ASSERT_TRUE(Esperar([&] { return h->lineas.constLast() == "BUFFER 0"; }, 15000));
        const QStringList buffers = h->Buffers();
        ASSERT_GE(buffers.size(), 3);
        EXPECT_GT(buffers[buffers.size() - 2].mid(7).toInt(), 0);
    }
    // A BUFFER 0 means the far side has it all, so it can never come before it did.
    EXPECT_EQ(a.Buffers().first(), "BUFFER 17");

    // ABORT ends the link on both sides.
    a.Marcar();
    b.Marcar();
    a.Decir("ABORT");
    EXPECT_TRUE(a.Oye("DISCONNECTED"));
    EXPECT_TRUE(b.Oye("DISCONNECTED"));

    // A UI frame the chat marks with KISS command 1 goes on the air as data.
    const QByteArray ui =
        Direccion("CQ", 0, false) + Direccion("N0CALL", 1, true) + "\x03\xF0" + "CQ CQ de N0CALL-1";
    a.Marcar();
    oidoB.clear(); // the session's frames heard by B reach its KISS clients too
    kissDeA.write('\xC0' + QByteArray(1, '\x01') + ui + '\xC0');
    ASSERT_TRUE(Esperar([&] { return oidoB.contains(ui); }, 10000)) << oidoB.toHex().toStdString();
    EXPECT_EQ(oidoB, '\xC0' + QByteArray(1, '\x00') + ui + '\xC0');
    EXPECT_TRUE(a.Oye("PTT OFF")) << "its transmission is keyed as well";

    // Station B goes off the air in the middle of a transfer: A hears of it
    // when the TNC gives up (FRACK 2 x RETRY 3 and a little), B's modem at once.
    a.Marcar();
    b.Marcar();
    b.recibido.clear();
    a.Decir("CONNECT N0CALL-1 N0CALL-2");
    ASSERT_TRUE(a.Oye("CONNECTED N0CALL-1 N0CALL-2"));
    a.Enviar(Trama('$', Azar(2000, 5)));
    ASSERT_TRUE(Esperar([&] { return !b.recibido.isEmpty(); }, 20000));
    par.Apagar("b");
    EXPECT_TRUE(b.Oye("DISCONNECTED", 5000));
    EXPECT_TRUE(a.Oye("DISCONNECTED", 40000)) << a.lineas.join('|').toStdString();
    EXPECT_NE(a.lineas.constLast(), "BUFFER 0");

    // With its TNC gone, B's modem keeps its ports and refuses calls.
    b.Marcar();
    b.Decir("CONNECT N0CALL-2 N0CALL-1");
    EXPECT_TRUE(b.Oye("DISCONNECTED", 3000));
    EXPECT_EQ(b.comandos.state(), QAbstractSocket::ConnectedState);
}

// One operator's station in a folder of its own, on its modem's ports.
struct Puesto {
    Puesto(const char* propio, const char* destino, const modem::AgwModem& m)
    {
        estacion = test::NuevaEstacion(
            dir.path(),
            QStringLiteral("My Callsign=%1\r\nConnect With HF=%2\r\nHF TCP Port=%3\r\n"
                           "KISS TCP Port=%4\r\nAutoDisconnect=0\r\n")
                .arg(QLatin1String(propio), QLatin1String(destino))
                .arg(m.commandPort())
                .arg(m.kissPort()),
            operador);
        EXPECT_EQ(estacion->Iniciar(), link::Estacion::Arranque::Listo);
    }
    void Decir(const QString& texto)
    {
        estacion->modelo().FijarTextoTransmision(texto);
        estacion->canalDatos().EnviarTexto();
    }
    void EnviarArchivo(const QString& nombre, const QByteArray& contenido)
    {
        QDir(dir.path()).mkdir(QStringLiteral("origen"));
        operador.respuestas.push_back(test::Crear(dir.filePath("origen/" + nombre), contenido));
        // Once the far station has the last line: a send waits for that.
        ASSERT_TRUE(Esperar([&] { return estacion->transmision().bytesPendientes == 0; }, 15000));
        estacion->archivos().AccionEnviarArchivo();
    }
    QString Pantalla() const { return estacion->modelo().textoRecepcion(); }

    QTemporaryDir dir;
    test::OperadorGuion operador;
    std::unique_ptr<link::Estacion> estacion;
};

TEST(AgwInterop, TwoStationsChatAndSendAFileEachWay)
{
    REQUIERE_PAR();
    config::FijarPaginaDelSistema(1252);
    ParDirewolf par;
    QString error;
    ASSERT_TRUE(par.Arrancar(&error, true, kConfRapida)) << error.toStdString();
    auto ma = test::ModemAgw(par.agwA, par.puertoA);
    auto mb = test::ModemAgw(par.agwB, par.puertoB);
    Puesto x("N0CALL-1", "N0CALL-2", *ma), y("N0CALL-2", "N0CALL-1", *mb);
    ASSERT_TRUE(Esperar([&] {
        return x.estacion->SocketsArriba() && y.estacion->SocketsArriba() && ma->tncUp() &&
               mb->tncUp();
    }));
    test::Dejar(1500); // a TNC serves a new client up to a second late

    x.estacion->Conectar();
    ASSERT_TRUE(Esperar(
        [&] { return x.estacion->enlace().enlazado && y.estacion->enlace().enlazado; }, 15000))
        << par.Registro("a.log").toStdString();
    x.Decir(QStringLiteral("Hello over the air"));
    ASSERT_TRUE(Esperar([&] { return y.Pantalla().contains("Hello over the air"); }, 15000));
    y.Decir(QStringLiteral("Loud and clear"));
    ASSERT_TRUE(Esperar([&] { return x.Pantalla().contains("Loud and clear"); }, 15000));

    // A text that compresses one way, noise that does not the other way.
    QByteArray texto;
    while (texto.size() < 600)
        texto += "Fine business, the antenna is up again.\r\n";
    const QByteArray ruido = Azar(200, 7);
    x.EnviarArchivo("carta.txt", texto);
    ASSERT_TRUE(Esperar([&] { return test::Leer(y.dir.filePath("carta.txt")) == texto; }, 30000))
        << x.Pantalla().toStdString() << y.Pantalla().toStdString() << x.operador.avisos.size();
    ASSERT_TRUE(Esperar([&] { return x.Pantalla().contains("File sent successfully"); }, 15000));
    y.EnviarArchivo("ruido.bin", ruido);
    ASSERT_TRUE(Esperar([&] { return test::Leer(x.dir.filePath("ruido.bin")) == ruido; }, 30000))
        << x.Pantalla().toStdString();
    ASSERT_TRUE(Esperar([&] { return y.Pantalla().contains("File sent successfully"); }, 15000));
    for (const Puesto* p : {&x, &y})
        EXPECT_TRUE(p->operador.avisos.empty());
}

} // namespace
