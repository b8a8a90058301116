// The main window, offscreen: menus, layout, the Enter key, the Help menu,
// and the choices that survive a restart. The modem is absent throughout.

#include "ui/frmKoltChat.h"
#include "ui/Disposicion.h"
#include "ui/PanelEstado.h"
#include "ui/frmAbout.h"

#include "config/ServiciosShell.h"

#include "VentanaDePrueba.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

using namespace kolt;

namespace {

QStringList Captions(const QWidget* menu)
{
    QStringList r;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isVisible()) r << a->text();
    return r;
}

class VentanaTest : public test::VentanaDePrueba {
protected:
    ui::frmKoltChat& Abrir() { return VentanaDePrueba::Abrir(QString()); }
};

TEST_F(VentanaTest, MenuBarCaptionsInOrderWithModeGreyed)
{
    ui::frmKoltChat& v = Abrir();
    EXPECT_EQ(Captions(v.menuBar()), QStringList({"&Settings", "Mode", "Connect", "CQ", "Broadcast",
                                                  "Stop", "Clear", "Send File", "&Help"}));
    EXPECT_EQ(Captions(v.menuBar()->actions()[0]->menu()),
              QStringList({"Chat Setup...", "PTT...", "Font Size", "Colour"}));
    EXPECT_EQ(Captions(qobject_cast<QWidget*>(v.accion("mnuSize10")->parent())),
              QStringList({"10", "11", "12", "16", "20"}));
    EXPECT_EQ(Captions(qobject_cast<QWidget*>(v.accion("mnuColorNegro")->parent())),
              QStringList({"Black", "White"}));
    QAction* mode = v.menuBar()->actions()[1];
    EXPECT_FALSE(mode->isEnabled());
    EXPECT_EQ(Captions(mode->menu()), QStringList({"KOLT HF", "KOLT FM", "KOLT SAT"}));
    EXPECT_TRUE(v.accion("mnuKOLTHF")->isChecked());

    // With the modem absent: nothing to stop, nothing to send.
    EXPECT_FALSE(v.accion("mnuStop")->isEnabled());
    EXPECT_FALSE(v.accion("mnuSendFile")->isEnabled());
    EXPECT_FALSE(v.cmdEnviar()->isVisible());
    EXPECT_EQ(v.windowTitle(), "KOLT Chat v1.4.1      N0CALL-1");
    EXPECT_EQ(v.txtMainChat()->font().family(), "Courier New");
    auto* tcp = qobject_cast<ui::PanelEstado*>(v.panel(link::Panel::TCP));
    ASSERT_NE(tcp, nullptr);
    EXPECT_EQ(tcp->texto() + "|" + tcp->imagen() + "|" + tcp->toolTip(),
              "TCP|LedRojo|TCP link disconnected");
    EXPECT_EQ(ui::frmAbout(&v).lblVersion()->text(), "Version 1.4.1    ");
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
    EXPECT_EQ((*m_e)->modelo().textoTransmision(), "hola");
    EXPECT_EQ(enviar.count(), 0) << "no link: the Send button is hidden";

    (*m_e)->modelo().Mostrar(link::Control::cmdEnviar, true);
    QTest::keyClick(v.txtTXChat(), Qt::Key_Return);
    EXPECT_EQ(enviar.count(), 1);
    EXPECT_EQ(v.txtTXChat()->toPlainText(), "") << "sent as a chat frame, no line break added";
    EXPECT_EQ((*m_e)->transmision().ecoPendiente, "hola\r\n");
}

// At the minimum the Bytes panel still shows the largest file whole and
// the bar fits; above it the layout follows the size.
TEST_F(VentanaTest, SmallerThanTheMinimumSnapsBackAndTheLayoutFollowsTheSize)
{
    ui::frmKoltChat& v = Abrir();
    const double dpi = v.Dpi();
    (*m_e)->modelo().FijarPanel(link::Panel::Bytes,
                                {"2048000 Bytes Rcvd", "Descargando", QString()});
    v.resize(100, 100);
    QCoreApplication::processEvents();
    EXPECT_GE(v.frameGeometry().width(), ui::APixeles(ui::kAnchoMinimo, dpi));
    EXPECT_GE(v.frameGeometry().height(), ui::APixeles(ui::kAltoMinimo, dpi));
    QWidget* bytes = v.panel(link::Panel::Bytes);
    for (QLabel* l : bytes->findChildren<QLabel*>()) {
        EXPECT_FALSE(l->isHidden()) << "text and picture";
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    EXPECT_GE(bytes->width(), ui::APixeles(1800, dpi)) << "the design width is a minimum";
    EXPECT_LE(v.panel(link::Panel::TCP)->geometry().right(), v.statusBar()->width());

    v.resize(ui::APixeles(12000, dpi), ui::APixeles(9000, dpi));
    QCoreApplication::processEvents();
    const ui::Disposicion d = ui::CalcularDisposicion(ui::ATwips(v.frameGeometry().width(), dpi),
                                                      ui::ATwips(v.frameGeometry().height(), dpi));
    EXPECT_NEAR(v.txtMainChat()->width(), ui::APixeles(d.recepcion.width(), dpi), 1);
    EXPECT_NEAR(v.txtTXChat()->y(), ui::APixeles(d.transmision.top(), dpi), 1);
    // A Bytes panel wider than designed takes its extra from the call signs.
    EXPECT_NEAR(v.panel(link::Panel::Indicativos)->width() + v.panel(link::Panel::Bytes)->width(),
                ui::APixeles(d.anchoIndicativos + 1800, dpi), 2);
}

// Started as the program starts (placed before it shows), closed, started
// again: the stored outer size and position come back unchanged, and a
// position on no screen lands on the primary screen, where it then stays.
TEST(VentanaReiniciada, KeepsItsOuterSizeAndAReachablePosition)
{
    const QRect pantalla = QGuiApplication::primaryScreen()->availableGeometry();
    for (auto [left, top] : {std::pair{1500, 1200}, std::pair{-90000, 1200}}) {
        test::EstacionDePrueba e({}, 1, 1, nullptr,
                                 QStringLiteral("[Position]\r\nTop Position=%1\r\nLeft "
                                                "Position=%2\r\nTerminal Width=9000\r\n"
                                                "Terminal Height=7005\r\n")
                                     .arg(top)
                                     .arg(left));
        QList<std::array<int, 4>> vistos;
        for (int vez = 0; vez < 3; ++vez) {
            if (vez > 0) e.Reiniciar();
            ASSERT_TRUE(e.listo);
            ui::frmKoltChat v(*e);
            v.RestaurarGeometria();
            v.show();
            ASSERT_TRUE(test::Esperar([&] { return v.windowHandle()->isExposed(); }));
            QCoreApplication::processEvents();
            v.close();
            const config::Configuracion& c = e->config();
            vistos.append({c.leftPosition, c.topPosition, c.terminalWidth, c.terminalHeight});
        }
        const std::array<int, 4> esperado =
            left < 0 ? std::array<int, 4>{ui::ATwips(pantalla.left(), 96),
                                          ui::ATwips(pantalla.top(), 96), 9000, 7005}
                     : std::array<int, 4>{left, top, 9000, 7005};
        for (const auto& g : vistos)
            EXPECT_EQ(g, esperado) << "left " << left;
    }
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
    EXPECT_EQ(ui::APixeles(15, 96), 1);
    EXPECT_EQ(ui::APixeles(1440, 144), 144);
}

TEST_F(VentanaTest, FontSizeAndColourSurviveARestart)
{
    ui::frmKoltChat& v = Abrir();
    EXPECT_TRUE(v.accion("mnuSize10")->isChecked());
    EXPECT_EQ(v.txtMainChat()->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(v.txtMainChat()->palette().color(QPalette::Text), QColor(0, 0xFF, 0));
    v.accion("mnuSize16")->trigger();
    v.accion("mnuColorBlanco")->trigger();
    // Picking the marked item again keeps it marked.
    v.accion("mnuSize16")->trigger();
    v.accion("mnuColorBlanco")->trigger();
    EXPECT_TRUE(v.accion("mnuSize16")->isChecked());
    EXPECT_TRUE(v.accion("mnuColorBlanco")->isChecked());
    EXPECT_EQ(v.txtTXChat()->font().pointSize(), 16);
    m_ventana->close();
    m_ventana.reset();
    m_e->Reiniciar();
    ui::frmKoltChat w(**m_e);
    EXPECT_TRUE(w.accion("mnuSize16")->isChecked());
    EXPECT_FALSE(w.accion("mnuColorNegro")->isChecked());
    EXPECT_EQ(w.txtMainChat()->font().pointSize(), 16);
    EXPECT_EQ(w.txtTXChat()->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(w.txtTXChat()->palette().color(QPalette::Text), QColor(0, 0, 0));
}

TEST_F(VentanaTest, HelpMenuOpensItsAddressesAndReportsMissingDocuments)
{
    ui::frmKoltChat& v = Abrir();
    const auto enlaces = config::EnlacesAyuda(m_e->carpeta());
    QStringList captions{"How to transmit a file"}, direcciones;
    for (const auto& e : enlaces) {
        captions << e.caption;
        direcciones << e.direccion;
        v.accion(e.nombre)->trigger();
    }
    captions << "ChangeLog"
             << "About...";
    EXPECT_EQ(Captions(v.menuBar()->actions().constLast()->menu()), captions);
    EXPECT_EQ(m_e->operador.abiertos, direcciones);
    EXPECT_TRUE(m_e->operador.avisos.empty()) << "web items check nothing";

    v.accion("mnuChangeLog")->trigger();
    v.accion("mnuGuide")->trigger();
    ASSERT_EQ(m_e->operador.avisos.size(), 2u);
    EXPECT_EQ(m_e->operador.avisos[0].icono, link::Icono::Informacion);
    EXPECT_EQ(m_e->operador.avisos[0].texto, "KOLTChatChangeLog.txt not found");
    EXPECT_EQ(m_e->operador.avisos[1].icono, link::Icono::Critico);
    EXPECT_EQ(m_e->operador.avisos[1].texto,
              "How to transmit a file with KOLT Chat.PDF file not found");

    QFile log(QDir(m_e->carpeta()).filePath("KOLTChatChangeLog.txt"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.close();
    v.accion("mnuChangeLog")->trigger();
    EXPECT_EQ(m_e->operador.abiertos.constLast(), log.fileName());
}

} // namespace
