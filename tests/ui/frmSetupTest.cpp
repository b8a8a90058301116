// The setup dialog, offscreen: what it shows, how it follows the operator's
// clicks, the ways it closes; and the Help menu's web items.

#include "ui/frmSetup.h"

#include "config/ServiciosShell.h"

#include "link/Estacion.h"
#include "ui/frmKoltChat.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kolt;
using config::Variante;

namespace {

class SetupVentanaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // A free port: nothing listens there, the station just keeps trying.
        test::ModemDePrueba libre;
        libre.Cerrar();
        f.write(QStringLiteral("[Setup]\r\nHF TCP Port=%1\r\nFM TCP Port=8310\r\nAutoLaunch=0\r\n"
                               "Save Log=0\r\nMy Callsign=ea4xyz-1\r\n")
                    .arg(libre.puerto())
                    .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        m_ventana = std::make_unique<ui::frmKoltChat>(*m_estacion);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
    }

    void TearDown() override
    {
        m_ventana->close();
        m_ventana.reset();
        m_estacion.reset();
    }

    // Runs `guion` on the modal dialog the action opens; true when one opened.
    bool ConDialogoModal(QAction* accion, const std::function<void(ui::frmSetup&)>& guion)
    {
        bool visto = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<ui::frmSetup*>(QApplication::activeModalWidget());
            if (!d) return;
            visto = true;
            guion(*d);
            if (d->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d->done(QDialog::Rejected);
            }
        });
        accion->trigger();
        return visto;
    }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    std::unique_ptr<ui::frmKoltChat> m_ventana;
};

TEST_F(SetupVentanaTest, ShowsTheSettingsWithTheDataPortsFollowing)
{
    ui::frmSetup d(*m_estacion, m_ventana.get());
    EXPECT_EQ(d.windowTitle(), "Setup");
    EXPECT_TRUE(d.optVariante(Variante::HF)->isChecked());
    EXPECT_TRUE(d.optAnchoBanda(1)->isChecked());
    EXPECT_EQ(d.txtMyCallSign()->text(), "EA4XYZ-1");
    EXPECT_EQ(d.txtPuertoComandos(Variante::FM)->text(), "8310");
    EXPECT_EQ(d.txtPuertoDatos(Variante::FM)->text(), "8311");
    EXPECT_EQ(d.txtPuertoComandos(Variante::FM)->toolTip(), "TCP Command Port (default: 8310)");
    EXPECT_EQ(d.txtPuertoComandos(Variante::SAT)->toolTip(), "TCP Command Port (default: 8300)");
    EXPECT_EQ(d.txtPuertoComandosKISS()->text(), "8100");

    d.txtPuertoComandos(Variante::HF)->setText("65534");
    EXPECT_EQ(d.txtPuertoDatos(Variante::HF)->text(), "65535");
    d.txtPuertoComandos(Variante::HF)->setText("");
    EXPECT_EQ(d.txtPuertoDatos(Variante::HF)->text(), "1");

    d.txtMyCallSign()->setText("n0call-5");
    emit d.txtMyCallSign()->editingFinished();
    EXPECT_EQ(d.txtMyCallSign()->text(), "N0CALL-5");
}

TEST_F(SetupVentanaTest, VariantAndLaunchBoxLayTheDialogOutAndMarkTheMainWindow)
{
    ui::frmSetup d(*m_estacion, m_ventana.get());
    const auto visible = [&d](QWidget* w) { return w->isVisibleTo(&d); };
    QTest::mouseClick(d.chkLaunch(), Qt::LeftButton); // checks it
    ASSERT_TRUE(d.chkLaunch()->isChecked());
    EXPECT_TRUE(visible(d.fraBW()));
    EXPECT_TRUE(visible(d.fraTCP(Variante::HF)));
    EXPECT_TRUE(visible(d.fraRuta(Variante::HF)));

    QTest::mouseClick(d.optVariante(Variante::FM), Qt::LeftButton);
    EXPECT_FALSE(visible(d.fraBW()));
    EXPECT_FALSE(visible(d.fraTCP(Variante::HF)));
    EXPECT_TRUE(visible(d.fraTCP(Variante::FM)));
    EXPECT_TRUE(visible(d.fraRuta(Variante::FM)));
    EXPECT_FALSE(m_ventana->accion("mnuPTT")->isVisible());
    EXPECT_TRUE(m_ventana->accion("mnuKOLTFM1200")->isChecked());
    EXPECT_FALSE(m_ventana->accion("mnuKOLTHF")->isChecked());

    QTest::mouseClick(d.chkLaunch(), Qt::LeftButton); // unchecks it
    for (Variante v : config::kVariantes)
        EXPECT_FALSE(visible(d.fraRuta(v)));

    QTest::mouseClick(d.optVariante(Variante::SAT), Qt::LeftButton);
    EXPECT_TRUE(visible(d.fraTCP(Variante::SAT)));
    EXPECT_TRUE(m_ventana->accion("mnuPTT")->isVisible());
}

TEST_F(SetupVentanaTest, ChangeTakesThePickedFolder)
{
    ui::frmSetup d(*m_estacion, m_ventana.get());
    m_operador.respuestas = {QStringLiteral("/srv/kolt")};
    QTest::mouseClick(d.cmdPath(), Qt::LeftButton);
    EXPECT_EQ(d.txtFolder()->text(), "/srv/kolt");
    EXPECT_EQ(m_operador.titulosPedidos, QStringList{"Select the Destination Folder"});
}

TEST_F(SetupVentanaTest, RefusedUpdateKeepsTheDialogAndCancelClosesIt)
{
    const bool abierto = ConDialogoModal(m_ventana->accion("mnuSetup"), [&](ui::frmSetup& d) {
        d.txtPuertoComandosKISS()->setText("1024");
        QTest::mouseClick(d.cmdOK(), Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.focusWidget(), d.txtPuertoComandosKISS());
        ASSERT_EQ(m_operador.avisos.size(), 1u);
        EXPECT_EQ(m_operador.avisos[0].texto, "Invalid KISS TCP port");
        QTest::mouseClick(d.cmdCancel(), Qt::LeftButton);
    });
    EXPECT_TRUE(abierto);
    EXPECT_EQ(m_estacion->config().kissTcpPort, 8100);
}

TEST_F(SetupVentanaTest, UpdateAppliesAndEscapeCancels)
{
    ASSERT_TRUE(ConDialogoModal(m_ventana->accion("mnuSetup"), [](ui::frmSetup& d) {
        d.txtMyCallSign()->setText("n0call-5");
        QTest::mouseClick(d.cmdOK(), Qt::LeftButton);
    }));
    EXPECT_EQ(m_ventana->windowTitle(), "KOLT Chat v1.4.1      N0CALL-5");

    ASSERT_TRUE(ConDialogoModal(m_ventana->accion("mnuSetup"), [](ui::frmSetup& d) {
        EXPECT_EQ(d.txtMyCallSign()->text(), "N0CALL-5") << "each opening reloads";
        d.txtMyCallSign()->setText("N0CALL-7");
        QTest::keyClick(&d, Qt::Key_Escape);
    }));
    EXPECT_EQ(m_estacion->config().myCallsign, "N0CALL-5");
}

TEST_F(SetupVentanaTest, ClosingTheProgramClosesTheDialogWithoutItsChecks)
{
    ASSERT_TRUE(ConDialogoModal(m_ventana->accion("mnuSetup"), [&](ui::frmSetup& d) {
        d.txtMyCallSign()->setText("N0/CALL");
        m_ventana->close();
        EXPECT_FALSE(d.isVisible());
    }));
    EXPECT_TRUE(m_operador.avisos.empty());
    EXPECT_EQ(m_estacion->config().myCallsign, "EA4XYZ-1");
}

TEST_F(SetupVentanaTest, HelpMenuWebItemsOpenTheirAddresses)
{
    QMenu* help = m_ventana->menuBar()->actions().constLast()->menu();
    ASSERT_NE(help, nullptr);
    QStringList captions;
    for (QAction* a : help->actions())
        if (!a->isSeparator()) captions << a->text();
    const auto enlaces = config::EnlacesAyuda(m_dir.path());
    QStringList esperadas{"How to transmit a file"};
    for (const auto& e : enlaces)
        esperadas << e.caption;
    esperadas << "ChangeLog"
              << "About...";
    EXPECT_EQ(captions, esperadas);

    for (const auto& e : enlaces)
        m_ventana->accion(e.nombre)->trigger();
    QStringList direcciones;
    for (const auto& e : enlaces)
        direcciones << e.direccion;
    EXPECT_EQ(m_operador.abiertos, direcciones);
    EXPECT_TRUE(m_operador.avisos.empty()) << "web items check nothing and report nothing";
}

} // namespace
