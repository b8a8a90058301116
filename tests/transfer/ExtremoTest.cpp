// Two stations talking and sending files through the stand-in modem in this
// process: what each receive screen reads after a real exchange over
// loopback, with the modem's own chunking and buffer reports, and each file
// arriving byte for byte. (The exact lines and bytes of each step are
// checked against a bare modem: CanalDatosTest, ArchivosTest.)

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

    // Sends and waits until the modem reported the frame gone.
    void Decir(const QString& texto)
    {
        estacion->modelo().FijarTextoTransmision(texto);
        estacion->canalDatos().EnviarTexto();
        EXPECT_TRUE(Esperar([&] { return estacion->transmision().bytesPendientes == 0; }));
    }
    // Sends a file from a folder that is not the download folder.
    void EnviarArchivo(const QString& nombre, const QByteArray& contenido)
    {
        QDir(dir.path()).mkdir("origen");
        operador.respuestas.push_back(
            test::Crear(QDir(dir.path()).filePath("origen/" + nombre), contenido));
        estacion->archivos().AccionEnviarArchivo();
    }
    QString Pantalla() const { return estacion->modelo().textoRecepcion().mid(inicio); }
    QByteArray Descargado(const QString& nombre) const
    {
        return test::Leer(QDir(dir.path()).filePath(nombre));
    }

    QTemporaryDir dir;
    test::OperadorGuion operador;
    std::unique_ptr<link::Estacion> estacion;
    qsizetype inicio = 0;
};

// N0CALL-1 and N0CALL-3 on one channel of the stand-in modem, as fast as it
// goes: they link, say a line each (one longer than the 30,001 bytes a chat
// text was once cut to), and send a file each, the largest one goes plain.
TEST(Extremo, TwoStationsChatAndSendTheLargestAndASmallFile)
{
    config::FijarPaginaDelSistema(1252);
    modemsim::Options o;
    for (const char* call : {"N0CALL-1", "N0CALL-3"})
        o.stations.append({call, {0, true, 0}});
    o.air.airRate = 0;
    o.air.setupMs = 0;
    modemsim::Simulator sim(o);
    QString error;
    ASSERT_TRUE(sim.start(&error)) << error.toStdString();
    Puesto a("N0CALL-1", "N0CALL-3", *sim.station("N0CALL-1"));
    Puesto b("N0CALL-3", "N0CALL-1", *sim.station("N0CALL-3"));
    a.estacion->Conectar();
    ASSERT_TRUE(
        Esperar([&] { return a.estacion->enlace().enlazado && b.estacion->enlace().enlazado; }));
    for (Puesto* p : {&a, &b}) {
        const QString& t = p->estacion->modelo().textoRecepcion();
        p->inicio = t.indexOf("\r\n\r\n", t.lastIndexOf("*******  ")) + 4;
    }

    const QString largo = QString(40000, QLatin1Char('x')) + QStringLiteral("END");
    a.Decir(largo);
    ASSERT_TRUE(Esperar([&] { return b.Pantalla().endsWith("END\r\n"); }));
    b.Decir("Line one\r\n\r\nafter a blank line");
    ASSERT_TRUE(Esperar([&] { return a.Pantalla().endsWith("line\r\n"); }));
    EXPECT_EQ(a.Pantalla(),
              ">N0CALL-1\r\n" + largo + "\r\n<N0CALL-3\r\nLine one\r\n\r\nafter a blank line\r\n");
    EXPECT_EQ(b.Pantalla(),
              "<N0CALL-1\r\n" + largo + "\r\n>N0CALL-3\r\nLine one\r\n\r\nafter a blank line\r\n");

    QByteArray grande(2'048'000 - 8, Qt::Uninitialized); // "max.log#" and the body
    QRandomGenerator g(7);
    for (char& c : grande)
        c = char(g.generate());
    const QByteArray pequeno = "73 de N0CALL-3";
    for (auto [desde, hacia, nombre, contenido] :
         {std::tuple(&a, &b, QStringLiteral("max.log"), grande),
          std::tuple(&b, &a, QStringLiteral("README"), pequeno)}) {
        SCOPED_TRACE(nombre.toStdString());
        desde->inicio = desde->estacion->modelo().textoRecepcion().size();
        hacia->inicio = hacia->estacion->modelo().textoRecepcion().size();
        desde->EnviarArchivo(nombre, contenido);
        ASSERT_TRUE(Esperar(
            [&] {
                return desde->Pantalla().contains("Bytes/min") &&
                       hacia->Pantalla().contains("Bytes/min");
            },
            30000))
            << desde->Pantalla().toStdString() << hacia->Pantalla().toStdString();
        const QRegularExpressionMatch envio =
            QRegularExpression(QStringLiteral("Sending '%1' (\\d+)/(\\d+) bytes...\r\n"
                                              "File sent successfully @ (\\d+|XXXX) Bytes/min\r\n$")
                                   .arg(nombre))
                .match(desde->Pantalla());
        ASSERT_TRUE(envio.hasMatch()) << desde->Pantalla().toStdString();
        EXPECT_EQ(envio.captured(1) == envio.captured(2), contenido == grande)
            << "only a plain frame is as long as announced";
        EXPECT_TRUE(hacia->Pantalla().contains(
            QStringLiteral("Receiving %1 bytes file...\r\n'%2' received @ ")
                .arg(envio.captured(1), nombre)))
            << hacia->Pantalla().toStdString();
        EXPECT_EQ(hacia->Descargado(nombre), contenido);
    }
    for (Puesto* p : {&a, &b}) {
        EXPECT_TRUE(p->operador.avisos.empty());
        EXPECT_EQ(p->estacion->modelo().control(link::Control::mnuSendFile).enabled, true);
    }
}

} // namespace
