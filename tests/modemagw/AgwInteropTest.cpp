// kolt-modem-agw over the interop rig's two Direwolf TNCs (short retry
// settings), a station of ours on each side: link, chat, a file each way and
// the end of the link. What a TNC cannot be made to do on demand is AgwModemTest's.

#include "Anfitrion.h"
#include "config/Ansi.h"

#include "Archivos.h"
#include "EstacionDePrueba.h"
#include "ParDirewolf.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace kolt;
using test::Esperar;
using test::ParDirewolf;

namespace {

using Puesto = test::EstacionDePrueba;

// Says `texto` to `a`, and waits until `a` has acknowledged it.
void Decir(Puesto& p, Puesto& a, const QString& texto)
{
    p->modelo().FijarTextoTransmision(texto);
    p->canalDatos().EnviarTexto();
    ASSERT_TRUE(Esperar([&] { return a->modelo().textoRecepcion().contains(texto); }, 15000));
    ASSERT_TRUE(Esperar([&] { return p->transmision().bytesPendientes == 0; }, 15000));
}

// Sends a file from a folder of its own; it arrives byte for byte.
void EnviarArchivo(Puesto& de, Puesto& a, const QString& nombre, const QByteArray& contenido)
{
    QDir(de.carpeta()).mkdir(QStringLiteral("origen"));
    de.operador.respuestas.push_back(test::Crear(de.carpeta() + "/origen/" + nombre, contenido));
    de->archivos().AccionEnviarArchivo();
    ASSERT_TRUE(Esperar([&] { return test::Leer(a.carpeta() + '/' + nombre) == contenido; }, 30000))
        << de->modelo().textoRecepcion().toStdString();
    ASSERT_TRUE(Esperar(
        [&] { return de->modelo().textoRecepcion().contains("File sent successfully"); }, 15000));
}

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
    const QString ajustes =
        QStringLiteral("My Callsign=%1\r\nConnect With HF=%2\r\nAutoDisconnect=0\r\n");
    Puesto x(ajustes.arg("N0CALL-1", "N0CALL-2"), ma->commandPort(), ma->kissPort());
    Puesto y(ajustes.arg("N0CALL-2", "N0CALL-1"), mb->commandPort(), mb->kissPort());
    ASSERT_TRUE(Esperar([&] { return x.Arriba() && y.Arriba() && ma->tncUp() && mb->tncUp(); }));
    test::Dejar(1500); // a TNC serves a new client up to a second late

    x->Conectar();
    ASSERT_TRUE(Esperar([&] { return x->enlace().enlazado && y->enlace().enlazado; }, 15000))
        << par.Registro("a.log").toStdString();
    Decir(x, y, QStringLiteral("Hello over the air"));
    Decir(y, x, QStringLiteral("Loud and clear"));

    // A text that compresses one way, noise that does not the other way.
    QByteArray texto;
    while (texto.size() < 600)
        texto += "Fine business, the antenna is up again.\r\n";
    QByteArray ruido(200, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(ruido.data()), 50);
    EnviarArchivo(x, y, "carta.txt", texto);
    EnviarArchivo(y, x, "ruido.bin", ruido);
    EXPECT_TRUE(x.operador.avisos.empty() && y.operador.avisos.empty());

    // Stop on one side ends the link on both, once the TNCs agree.
    x->Abortar();
    EXPECT_TRUE(Esperar([&] { return !x->enlace().enlazado && !y->enlace().enlazado; }, 30000));
}

} // namespace
