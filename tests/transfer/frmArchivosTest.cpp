// The main window's "Send File" item, offscreen: it reaches the file send,
// which shows its lines in the receive screen. (Without the modem the item
// only tells the operator: ArchivosTest.)

#include "ui/frmKoltChat.h"

#include "EstacionEnlazada.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

using namespace kolt;
using test::Esperar;

namespace {

TEST(VentanaArchivos, SendFileItemSendsThePickedFile)
{
    QTemporaryDir dir;
    test::ModemDePrueba modem;
    test::OperadorGuion operador;
    const auto estacion = test::NuevaEstacion(
        dir.path(), QStringLiteral("HF TCP Port=%1\r\n").arg(modem.puerto()), operador);
    ui::frmKoltChat ventana(*estacion);
    ASSERT_EQ(estacion->Iniciar(), link::Estacion::Arranque::Listo);
    ventana.show();
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }));
    estacion->Conectar();
    modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    QAction* enviar = ventana.accion("mnuSendFile");
    ASSERT_TRUE(Esperar([&] { return enviar->isEnabled(); }));

    operador.respuestas.push_back(test::Crear(QDir(dir.path()).filePath("log.txt"), "73"));
    enviar->trigger();

    EXPECT_EQ(operador.titulosPedidos, QStringList{"Select file"});
    ASSERT_TRUE(Esperar([&] { return !modem.datosRecibidos().isEmpty(); }));
    EXPECT_TRUE(
        QRegularExpression("^\\d+#").match(QString::fromLatin1(modem.datosRecibidos())).hasMatch());
    EXPECT_TRUE(ventana.txtMainChat()->toPlainText().contains("Sending 'log.txt' "));
    EXPECT_FALSE(ventana.lblWait()->isVisible());
    EXPECT_FALSE(enviar->isEnabled()) << "one frame in flight";
}

} // namespace
