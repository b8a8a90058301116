// The main window, offscreen, without a modem.

#include "ui/frmKoltChat.h"
#include "ui/Disposicion.h"

#include "VentanaDePrueba.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace kolt;

namespace {

class VentanaTest : public test::VentanaDePrueba {
protected:
    ui::frmKoltChat& Abrir() { return VentanaDePrueba::Abrir(QString()); }
};

TEST_F(VentanaTest, EnterNeverInsertsALineBreakAndSendsOnlyWhenSendIsVisible)
{
    ui::frmKoltChat& v = Abrir();
    QSignalSpy enviar(&v, &ui::frmKoltChat::enviarPulsado);
    v.txtTXChat()->setFocus();
    QTest::keyClicks(v.txtTXChat(), "hola");
    QTest::keyClick(v.txtTXChat(), Qt::Key_Return);
    QTest::keyClick(v.txtTXChat(), Qt::Key_Enter);
    EXPECT_EQ((*m_e)->modelo().textoTransmision(), "hola");
    EXPECT_EQ(enviar.count(), 0) << "no link: the Send button is hidden";

    (*m_e)->modelo().Mostrar(model::Control::cmdEnviar, true);
    QTest::keyClick(v.txtTXChat(), Qt::Key_Return);
    EXPECT_EQ(enviar.count(), 1);
    EXPECT_EQ((*m_e)->transmision().ecoPendiente, "hola\r\n") << "no line break added";
}

// At the minimum the Bytes panel still shows the largest file whole and
// the bar fits; above it the layout follows the size.
TEST_F(VentanaTest, SmallerThanTheMinimumSnapsBackAndTheLayoutFollowsTheSize)
{
    ui::frmKoltChat& v = Abrir();
    const double dpi = v.Dpi();
    (*m_e)->modelo().FijarPanel(model::Panel::Bytes,
                                {"2048000 Bytes Rcvd", "Descargando", QString()});
    v.resize(100, 100);
    QCoreApplication::processEvents();
    EXPECT_GE(v.frameGeometry().height(), ui::APixeles(ui::kAltoMinimo, dpi));
    QWidget* bytes = v.panel(model::Panel::Bytes);
    for (QLabel* l : bytes->findChildren<QLabel*>()) {
        EXPECT_FALSE(l->isHidden()) << "text and picture";
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    EXPECT_GE(bytes->width(), ui::APixeles(1800, dpi)) << "the design width is a minimum";
    v.resize(ui::APixeles(12000, dpi), ui::APixeles(9000, dpi));
    QCoreApplication::processEvents();
    const ui::Disposicion d = ui::CalcularDisposicion(ui::ATwips(v.frameGeometry().width(), dpi),
                                                      ui::ATwips(v.frameGeometry().height(), dpi));
    EXPECT_NEAR(v.txtTXChat()->y(), ui::APixeles(d.transmision.top(), dpi), 1);
    // A Bytes panel wider than designed takes its extra from the call signs.
    EXPECT_NEAR(v.panel(model::Panel::Indicativos)->width() + v.panel(model::Panel::Bytes)->width(),
                ui::APixeles(d.anchoIndicativos + 1800, dpi), 2);
}

TEST_F(VentanaTest, FontSizeAndColourSurviveARestart)
{
    ui::frmKoltChat& v = Abrir();
    v.accion("mnuSize16")->trigger();
    v.accion("mnuColorBlanco")->trigger();
    // Picking the marked item again keeps it marked.
    v.accion("mnuSize16")->trigger();
    v.accion("mnuColorBlanco")->trigger();
    EXPECT_TRUE(v.accion("mnuSize16")->isChecked() && !v.accion("mnuSize10")->isChecked());
    EXPECT_TRUE(v.accion("mnuColorBlanco")->isChecked());
    m_ventana->close();
    m_ventana.reset();
    m_e->Reiniciar();
    ui::frmKoltChat w(**m_e);
    EXPECT_EQ(w.txtMainChat()->font().pointSize(), 16);
    EXPECT_EQ(w.txtTXChat()->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
}

} // namespace
