// The setup dialog, offscreen (its closing rules: tests/config).

#include "ui/frmSetup.h"

#include "VentanaDePrueba.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace kolt;
using config::Variante;

namespace {

class SetupVentanaTest : public test::VentanaDePrueba {
protected:
    void SetUp() override
    {
        Abrir(QStringLiteral("My Callsign=ea4xyz-1\r\n"), test::PuertoLibre(), m_puertoKISS);
    }

    bool ConDialogo(const std::function<void(ui::frmSetup&)>& guion)
    {
        return test::ConDialogoModal<ui::frmSetup>(
            [&] { m_ventana->accion("mnuSetup")->trigger(); }, guion);
    }

    const quint16 m_puertoKISS = test::PuertoLibre(); // nobody there
};

TEST_F(SetupVentanaTest, FollowsTheOperatorAndLaysItselfOut)
{
    ui::frmSetup d(**m_e, m_ventana.get());
    EXPECT_TRUE(d.optAnchoBanda(1)->isChecked());
    d.txtPuertoComandos(Variante::HF)->setText("65534");
    EXPECT_EQ(d.txtPuertoDatos(Variante::HF)->text(), "65535");
    d.txtMyCallSign()->setText("n0call-5");
    emit d.txtMyCallSign()->editingFinished();
    EXPECT_EQ(d.txtMyCallSign()->text(), "N0CALL-5");

    m_e->operador.respuestas = {QStringLiteral("/srv/kolt")};
    QTest::mouseClick(d.cmdPath(), Qt::LeftButton);
    EXPECT_EQ(d.txtFolder()->text(), "/srv/kolt");

    // The variant and the launch box lay the dialog out and mark the main window.
    const auto visible = [&d](QWidget* w) { return w->isVisibleTo(&d); };
    QTest::mouseClick(d.chkLaunch(), Qt::LeftButton); // checks it
    EXPECT_TRUE(visible(d.fraBW()) && visible(d.fraRuta(Variante::HF)));
    QTest::mouseClick(d.optVariante(Variante::FM), Qt::LeftButton);
    EXPECT_FALSE(visible(d.fraBW()) || visible(d.fraTCP(Variante::HF)));
    EXPECT_TRUE(visible(d.fraTCP(Variante::FM)) && visible(d.fraRuta(Variante::FM)));
    EXPECT_FALSE(m_ventana->accion("mnuPTT")->isVisible());
    EXPECT_TRUE(m_ventana->accion("mnuKOLTFM1200")->isChecked());
    QTest::mouseClick(d.chkLaunch(), Qt::LeftButton); // unchecks it
    QTest::mouseClick(d.optVariante(Variante::SAT), Qt::LeftButton);
    EXPECT_TRUE(visible(d.fraTCP(Variante::SAT)) && !visible(d.fraRuta(Variante::SAT)));
    EXPECT_TRUE(m_ventana->accion("mnuKOLTSAT")->isChecked());
}

TEST_F(SetupVentanaTest, RefusedUpdateKeepsTheDialogAGoodOneAppliesAndEscapeCancels)
{
    ASSERT_TRUE(ConDialogo([&](ui::frmSetup& d) {
        d.txtPuertoComandosKISS()->setText("1024");
        QTest::mouseClick(d.cmdOK(), Qt::LeftButton);
        EXPECT_EQ(d.focusWidget(), d.txtPuertoComandosKISS()) << "still open";

        d.txtPuertoComandosKISS()->setText(QString::number(m_puertoKISS));
        d.txtMyCallSign()->setText("n0call-5");
        QTest::mouseClick(d.cmdOK(), Qt::LeftButton);
    }));
    EXPECT_EQ(m_ventana->windowTitle(), "KOLT Chat v1.4.1      N0CALL-5");

    ASSERT_TRUE(ConDialogo([](ui::frmSetup& d) {
        EXPECT_EQ(d.txtMyCallSign()->text(), "N0CALL-5") << "each opening reloads";
        d.txtMyCallSign()->setText("N0CALL-7");
        QTest::keyClick(&d, Qt::Key_Escape);
    }));
    EXPECT_EQ((*m_e)->config().myCallsign, "N0CALL-5");
}

} // namespace
