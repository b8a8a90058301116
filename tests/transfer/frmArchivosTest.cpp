// The main window's "Send File" item, offscreen: it reaches the file send,
// which shows its lines in the receive screen.

#include "ui/frmKoltChat.h"

#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using test::Esperar;

namespace {

class VentanaArchivos : public ::testing::Test {
protected:
    void Abrir(quint16 puerto)
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Setup]\r\nHF TCP Port=%1\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                    .arg(puerto)
                    .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        m_ventana = std::make_unique<ui::frmKoltChat>(*m_estacion);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        m_ventana->show();
    }

    void TearDown() override
    {
        m_ventana.reset();
        m_estacion.reset();
    }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    std::unique_ptr<ui::frmKoltChat> m_ventana;
};

TEST_F(VentanaArchivos, SendFileItemSendsThePickedFile)
{
    test::ModemDePrueba modem;
    Abrir(modem.puerto());
    ASSERT_TRUE(Esperar([&] { return modem.lineas().contains("CHAT ON"); }));
    m_estacion->Conectar();
    modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
    QAction* enviar = m_ventana->accion("mnuSendFile");
    ASSERT_TRUE(Esperar([&] { return enviar->isEnabled(); }));

    const QString ruta = QDir(m_dir.path()).filePath("log.txt");
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("73");
    f.close();
    m_operador.respuestas.push_back(ruta);
    enviar->trigger();

    EXPECT_EQ(m_operador.titulosPedidos, QStringList{"Select file"});
    ASSERT_TRUE(Esperar([&] { return !modem.datosRecibidos().isEmpty(); }));
    EXPECT_TRUE(
        QRegularExpression("^\\d+#").match(QString::fromLatin1(modem.datosRecibidos())).hasMatch());
    EXPECT_TRUE(m_ventana->txtMainChat()->toPlainText().contains("Sending 'log.txt' "));
    EXPECT_FALSE(m_ventana->lblWait()->isVisible());
    EXPECT_FALSE(enviar->isEnabled()) << "one frame in flight";
}

TEST_F(VentanaArchivos, SendFileWithoutTheModemOnlyTellsTheOperator)
{
    Abrir(1); // nothing listens there
    QAction* enviar = m_ventana->accion("mnuSendFile");
    enviar->setEnabled(true);
    enviar->trigger();
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto,
              "TCP port disconnected. KOLT Chat is not connected with KOLT Modem");
    EXPECT_TRUE(m_operador.titulosPedidos.isEmpty());
}

} // namespace
