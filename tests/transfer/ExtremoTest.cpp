// Two stations chat and send files through the stand-in modem in this
// process, with its own chunking and buffer reports: what the other screen
// reads, and each file byte for byte. (Exact lines and bytes: CanalDatosTest.)

#include "config/Ansi.h"

#include "EstacionDePrueba.h"
#include "EstacionEnlazada.h"
#include "Simulator.h"

#include <QRandomGenerator>

using namespace kolt;
using test::Esperar;

namespace {

// N0CALL-1 and N0CALL-3 as fast as the stand-in goes: a line each (one
// longer than the 30,001 bytes a chat text was once cut to), then a file
// each, the largest one (which goes plain) and a small one.
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
    std::vector<std::unique_ptr<test::EstacionDePrueba>> e;
    for (auto [yo, otro] : {std::pair("N0CALL-1", "N0CALL-3"), std::pair("N0CALL-3", "N0CALL-1")}) {
        modemsim::PortStation& m = *sim.station(yo);
        e.push_back(std::make_unique<test::EstacionDePrueba>(
            QStringLiteral("My Callsign=%1\r\nConnect With HF=%2\r\n").arg(yo, otro),
            m.commandPort(), m.kissPort()));
        ASSERT_TRUE(Esperar([&] { return (*e.back())->SocketsArriba() && m.onAir(); }));
    }
    link::Estacion &a = **e[0], &b = **e[1];
    a.Conectar();
    ASSERT_TRUE(Esperar([&] { return a.enlace().enlazado && b.enlace().enlazado; }));
    const auto decir = [](link::Estacion& x, const QString& texto) {
        x.modelo().FijarTextoTransmision(texto);
        x.canalDatos().EnviarTexto();
        EXPECT_TRUE(Esperar([&] { return x.transmision().bytesPendientes == 0; }));
    };
    const QString largo = QString(40000, QLatin1Char('x')) + QStringLiteral("END");
    decir(a, largo);
    ASSERT_TRUE(Esperar([&] { return b.modelo().textoRecepcion().endsWith("END\r\n"); }));
    decir(b, "Line one\r\n\r\nafter a blank line");
    ASSERT_TRUE(Esperar([&] { return a.modelo().textoRecepcion().endsWith("line\r\n"); }));
    EXPECT_TRUE(b.modelo().textoRecepcion().endsWith("<N0CALL-1\r\n" + largo +
                                                     "\r\n>N0CALL-3\r\n"
                                                     "Line one\r\n\r\nafter a blank line\r\n"));
    EXPECT_TRUE(a.modelo().textoRecepcion().endsWith(
        "\r\n<N0CALL-3\r\nLine one\r\n\r\nafter a blank line\r\n"));

    QByteArray grande(2'048'000 - 8, Qt::Uninitialized); // "max.log#" and the body
    QRandomGenerator g(7);
    for (char& c : grande)
        c = char(g.generate());
    for (auto [desde, hacia, nombre, contenido] :
         {std::tuple(e[0].get(), e[1].get(), QStringLiteral("max.log"), grande),
          std::tuple(e[1].get(), e[0].get(), QStringLiteral("README"), QByteArray("73"))}) {
        SCOPED_TRACE(nombre.toStdString());
        desde->operador.respuestas.push_back(
            test::Crear(QDir(desde->carpeta()).filePath(nombre), contenido));
        (*desde)->archivos().AccionEnviarArchivo();
        ASSERT_TRUE(Esperar(
            [&] {
                return (*desde)->modelo().textoRecepcion().contains("File sent successfully") &&
                       (*hacia)->modelo().textoRecepcion().contains("'" + nombre + "' received");
            },
            30000));
        EXPECT_EQ(test::Leer(QDir(hacia->carpeta()).filePath(nombre)), contenido);
        (*desde)->modelo().LimpiarRecepcion();
        (*hacia)->modelo().LimpiarRecepcion();
    }
    EXPECT_TRUE(e[0]->operador.avisos.empty() && e[1]->operador.avisos.empty());
    EXPECT_TRUE(e[0]->Habilitado(link::Control::mnuSendFile));
    EXPECT_TRUE(e[1]->Habilitado(link::Control::mnuSendFile));
}

} // namespace
