// kolt-modem-agw over two real soft TNCs joined by an audio channel (the
// Direwolf pair of the interop rig), with short retry settings, a station of
// ours on each side: link, chat, a file each way and the end of the link.
// What a TNC cannot be made to do on demand is AgwModemTest's.

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
using test::Esperar;
using test::ParDirewolf;

namespace {

QByteArray Azar(qsizetype n, quint32 semilla)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator g(semilla);
    for (auto& c : b)
        c = char(g.generate());
    return b;
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

TEST(AgwInterop, TwoStationsLinkChatSendAFileEachWayAndDisconnect)
{
    if (const std::string falta = ParDirewolf::Falta(); !falta.empty()) {
        if (qEnvironmentVariableIsSet("CI")) FAIL() << "missing on CI: " << falta;
        GTEST_SKIP() << "interop test skipped: missing " << falta;
    }
    config::FijarPaginaDelSistema(1252);
    ParDirewolf par;
    QString error;
    ASSERT_TRUE(par.Arrancar(&error, true, QStringLiteral("FRACK 2\nRETRY 3\nEMAXFRAME 4")))
        << error.toStdString();
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

    // Stop on one side ends the link on both, once the TNCs agree.
    ASSERT_TRUE(Esperar([&] { return y.estacion->transmision().bytesPendientes == 0; }, 15000));
    x.estacion->Abortar();
    EXPECT_TRUE(Esperar(
        [&] { return !x.estacion->enlace().enlazado && !y.estacion->enlace().enlazado; }, 30000));
}

} // namespace
