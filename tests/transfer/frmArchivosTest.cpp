// The main window's "Send File" item, offscreen, sends the picked file.

#include "ui/frmKoltChat.h"

#include "Archivos.h"
#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"

#include <QAction>

using namespace kolt;
using test::Esperar;

namespace {

TEST(VentanaArchivos, SendFileItemSendsThePickedFile)
{
    test::ModemDePrueba modem;
    test::EstacionDePrueba estacion(QString(), modem.puerto());
    ASSERT_TRUE(estacion.listo);
    ui::frmKoltChat ventana(*estacion);
    ventana.show();
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }));
    estacion->Conectar();
    modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    QAction* enviar = ventana.accion("mnuSendFile");
    ASSERT_TRUE(Esperar([&] { return enviar->isEnabled(); }));

    estacion.operador.respuestas.push_back(
        test::Crear(QDir(estacion.carpeta()).filePath("log.txt"), "73"));
    enviar->trigger();

    EXPECT_TRUE(Esperar([&] { return modem.datosRecibidos().contains('#'); })) << "a file frame";
}

} // namespace
