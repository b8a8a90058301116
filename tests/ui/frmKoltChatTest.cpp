// The main window, offscreen: menus, layout, the Enter key, and the
// choices that survive a restart.

#include "ui/frmKoltChat.h"
#include "ui/Disposicion.h"
#include "ui/PanelEstado.h"
#include "ui/frmAbout.h"

#include "link/Estacion.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;

namespace {

QStringList Captions(const QList<QAction*>& acciones)
{
    QStringList r;
    for (QAction* a : acciones)
        if (!a->isSeparator() && a->isVisible()) r << a->text();
    return r;
}

class VentanaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Port 1: nothing listens there, the station just keeps trying.
        f.write("[Setup]\r\nHF TCP Port=1\r\nAutoLaunch=0\r\nSave Log=0\r\n");
    }

    ui::frmKoltChat& Abrir()
    {
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        m_ventana = std::make_unique<ui::frmKoltChat>(*m_estacion);
        EXPECT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        m_ventana->RestaurarGeometria();
        m_ventana->show();
        return *m_ventana;
    }

    void CerrarVentana()
    {
        m_ventana->close();
        m_ventana.reset();
        m_estacion.reset();
    }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    std::unique_ptr<ui::frmKoltChat> m_ventana;
};

TEST_F(VentanaTest, MenuBarCaptionsInOrderWithModeGreyed)
{
    ui::frmKoltChat& v = Abrir();
    EXPECT_EQ(Captions(v.menuBar()->actions()),
              QStringList({"&Settings", "Mode", "Connect", "CQ", "Broadcast", "Stop", "Clear",
                           "Send File", "&Help"}));
    QMenu* settings = v.menuBar()->actions()[0]->menu();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Captions(settings->actions()),
              QStringList({"Chat Setup...", "PTT...", "Font Size", "Colour"}));
    EXPECT_EQ(Captions(qobject_cast<QWidget*>(v.accion("mnuSize10")->parent())->actions()),
              QStringList({"10", "11", "12", "16", "20"}));
    EXPECT_EQ(Captions(qobject_cast<QWidget*>(v.accion("mnuColorNegro")->parent())->actions()),
              QStringList({"Black", "White"}));

    QAction* mode = v.menuBar()->actions()[1];
    EXPECT_FALSE(mode->isEnabled());
    EXPECT_EQ(Captions(mode->menu()->actions()), QStringList({"KOLT HF", "KOLT FM", "KOLT SAT"}));
    EXPECT_TRUE(v.accion("mnuKOLTHF")->isChecked());

    const QStringList help = Captions(v.menuBar()->actions().constLast()->menu()->actions());
    EXPECT_EQ(help.first(), "How to transmit a file");
    EXPECT_EQ(help.mid(help.size() - 2), QStringList({"ChangeLog", "About..."}));

    // With the modem absent: nothing to stop, nothing to send.
    EXPECT_FALSE(v.accion("mnuStop")->isEnabled());
    EXPECT_FALSE(v.accion("mnuSendFile")->isEnabled());
    EXPECT_FALSE(v.cmdEnviar()->isVisible());
    EXPECT_EQ(v.windowTitle(), "KOLT Chat v1.4.1      N0CALL-1");
    EXPECT_EQ(v.txtMainChat()->font().family(), "Courier New");
    EXPECT_EQ(v.txtMainChat()->toolTip(), "RX Screen");
    EXPECT_EQ(v.txtTXChat()->toolTip(), "TX Screen");
}

TEST_F(VentanaTest, PanelsShowTheModelWithPictures)
{
    ui::frmKoltChat& v = Abrir();
    auto* tcp = qobject_cast<ui::PanelEstado*>(v.panel(link::Panel::TCP));
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(tcp->texto(), "TCP");
    EXPECT_EQ(tcp->imagen(), "LedRojo");
    EXPECT_EQ(tcp->toolTip(), "TCP link disconnected");
    auto* ind = qobject_cast<ui::PanelEstado*>(v.panel(link::Panel::Indicativos));
    EXPECT_EQ(ind->texto(), "Disconnected");
    EXPECT_EQ(ind->toolTip(), "Modem Disconnected");
}

TEST_F(VentanaTest, ReceiveScreenShowsCrLfTextAndKeepsTheCaretAtTheEnd)
{
    ui::frmKoltChat& v = Abrir();
    m_estacion->modelo().AgregarRecepcion("<EA1AAA\r\nhello\r\n");
    m_estacion->modelo().AgregarRecepcion("again\r\n");
    EXPECT_EQ(v.txtMainChat()->toPlainText(), "<EA1AAA\nhello\nagain\n");
    EXPECT_EQ(v.txtMainChat()->textCursor().position(), v.txtMainChat()->toPlainText().size());
    m_estacion->AccionLimpiar();
    EXPECT_EQ(v.txtMainChat()->toPlainText(), "");
}

TEST_F(VentanaTest, EnterNeverInsertsALineBreakAndSendsOnlyWhenSendIsVisible)
{
    ui::frmKoltChat& v = Abrir();
    QSignalSpy enviar(&v, &ui::frmKoltChat::enviarPulsado);
    v.txtTXChat()->setFocus();
    QTest::keyClicks(v.txtTXChat(), "hola");
    QTest::keyClick(v.txtTXChat(), Qt::Key_Return);
    QTest::keyClick(v.txtTXChat(), Qt::Key_Enter);
    EXPECT_EQ(v.txtTXChat()->toPlainText(), "hola");
    EXPECT_EQ(m_estacion->modelo().textoTransmision(), "hola");
    EXPECT_EQ(enviar.count(), 0) << "no link: the Send button is hidden";

    m_estacion->modelo().Mostrar("cmdEnviar", true);
    QTest::keyClick(v.txtTXChat(), Qt::Key_Return);
    EXPECT_EQ(enviar.count(), 1);
    EXPECT_EQ(v.txtTXChat()->toPlainText(), "") << "sent as a chat frame, no line break added";
    EXPECT_EQ(m_estacion->transmision().ecoPendiente, "hola\r\n");
}

TEST_F(VentanaTest, SmallerThanTheMinimumSnapsBack)
{
    ui::frmKoltChat& v = Abrir();
    const double dpi = v.Dpi();
    v.resize(200, 150);
    QCoreApplication::processEvents();
    EXPECT_GE(v.frameGeometry().width(), ui::APixeles(ui::kAnchoMinimo, dpi));
    EXPECT_GE(v.frameGeometry().height(), ui::APixeles(ui::kAltoMinimo, dpi));

    // The layout rules, at a size above the minimum.
    v.resize(ui::APixeles(12000, dpi), ui::APixeles(9000, dpi));
    QCoreApplication::processEvents();
    const ui::Disposicion d = ui::CalcularDisposicion(ui::ATwips(v.frameGeometry().width(), dpi),
                                                      ui::ATwips(v.frameGeometry().height(), dpi));
    EXPECT_NEAR(v.txtMainChat()->width(), ui::APixeles(d.recepcion.width(), dpi), 1);
    EXPECT_NEAR(v.txtTXChat()->y(), ui::APixeles(d.transmision.top(), dpi), 1);
    EXPECT_NEAR(v.panel(link::Panel::Indicativos)->width(), ui::APixeles(d.anchoIndicativos, dpi),
                1);
}

TEST(Disposicion, AtTheMinimumSizeAsDesigned)
{
    for (auto [w, h] : {std::pair{8145, 6105}, std::pair{100, 100}}) {
        const ui::Disposicion d = ui::CalcularDisposicion(w, h);
        EXPECT_EQ(d.ventana, QSize(8145, 6105));
        EXPECT_EQ(d.recepcion, QRect(120, 120, 7815, 3615));
        EXPECT_EQ(d.transmision.width(), 7095);
        EXPECT_EQ(d.transmision.top(), 4200);
        EXPECT_EQ(d.progreso.top(), 3840);
        EXPECT_EQ(d.esperaTop, 3720);
        EXPECT_EQ(d.enviar.x(), 7320);
        EXPECT_EQ(d.anchoIndicativos, 4250);
    }
    EXPECT_EQ(ui::APixeles(1440, 96), 96);
    EXPECT_EQ(ui::APixeles(15, 96), 1);
    EXPECT_EQ(ui::APixeles(1440, 144), 144);
}

TEST_F(VentanaTest, FontSizeAndColourSurviveARestart)
{
    {
        ui::frmKoltChat& v = Abrir();
        EXPECT_TRUE(v.accion("mnuSize10")->isChecked());
        EXPECT_EQ(v.txtMainChat()->palette().color(QPalette::Base), QColor(0, 0, 0));
        EXPECT_EQ(v.txtMainChat()->palette().color(QPalette::Text), QColor(0, 0xFF, 0));
        v.accion("mnuSize16")->trigger();
        v.accion("mnuColorBlanco")->trigger();
        EXPECT_TRUE(v.accion("mnuSize16")->isChecked());
        EXPECT_FALSE(v.accion("mnuSize10")->isChecked());
        EXPECT_EQ(v.txtTXChat()->font().pointSize(), 16);
        CerrarVentana();
    }
    ui::frmKoltChat& v = Abrir();
    EXPECT_TRUE(v.accion("mnuSize16")->isChecked());
    EXPECT_TRUE(v.accion("mnuColorBlanco")->isChecked());
    EXPECT_FALSE(v.accion("mnuColorNegro")->isChecked());
    EXPECT_EQ(v.txtMainChat()->font().pointSize(), 16);
    EXPECT_EQ(v.txtTXChat()->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(v.txtTXChat()->palette().color(QPalette::Text), QColor(0, 0, 0));
}

TEST_F(VentanaTest, AboutShowsTheVersionLine)
{
    Abrir();
    ui::frmAbout acerca(m_ventana.get());
    EXPECT_EQ(acerca.lblVersion()->text(), "Version 1.4.1    ");
}

TEST_F(VentanaTest, MissingHelpDocumentsAreReported)
{
    ui::frmKoltChat& v = Abrir();
    v.accion("mnuChangeLog")->trigger();
    v.accion("mnuGuide")->trigger();
    ASSERT_EQ(m_operador.avisos.size(), 2u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Informacion);
    EXPECT_EQ(m_operador.avisos[0].texto, "KOLTChatChangeLog.txt not found");
    EXPECT_EQ(m_operador.avisos[1].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[1].texto,
              "How to transmit a file with KOLT Chat.PDF file not found");

    QFile log(QDir(m_dir.path()).filePath("KOLTChatChangeLog.txt"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.close();
    v.accion("mnuChangeLog")->trigger();
    EXPECT_EQ(m_operador.abiertos, QStringList{log.fileName()});
}

} // namespace
