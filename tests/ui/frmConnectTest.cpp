// The connect dialog, offscreen: its controls bound to the dialog's rules
// (link/DialogoConectar.h, tested in tests/link), and the main window's
// Connect item and Send button wired to the logic.

#include "ui/frmConnect.h"

#include "ModemDePrueba.h"
#include "VentanaDePrueba.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace kolt;
using link::CampoConectar;
using test::Esperar;

namespace {

class frmConnectTest : public test::VentanaDePrueba {
protected:
    void Arrancar(const QString& setup)
    {
        Abrir(setup, m_modem.puerto());
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        m_modem.Olvidar();
        m_estacion = &**m_e;
    }

    static void Escribir(QComboBox* c, const QString& texto)
    {
        c->lineEdit()->clear();
        QTest::keyClicks(c->lineEdit(), texto);
    }

    test::ModemDePrueba m_modem;
    link::Estacion* m_estacion = nullptr;
};

TEST_F(frmConnectTest, ShowsTheVariantsFieldsWithTheirHistories)
{
    Arrancar("KOLT Mode=KOLTFM\r\nConnect With FM=EA1FM\r\nConnectFM List0=EA1FM\r\n"
             "ConnectFM List1=EA2FM\r\nConnectFM List3=HIDDEN\r\nVia2=N0CALL-5\r\n");
    ui::frmConnect d(*m_estacion);
    EXPECT_TRUE(d.isModal());
    EXPECT_TRUE(d.combo(CampoConectar::HF)->isHidden() && d.combo(CampoConectar::SAT)->isHidden());
    EXPECT_FALSE(d.combo(CampoConectar::FM)->isHidden() ||
                 d.combo(CampoConectar::Via1)->isHidden() || d.lblVia2()->isHidden());
    EXPECT_EQ(test::Elementos(d.combo(CampoConectar::FM)), (QStringList{"EA1FM", "EA2FM"}));
    EXPECT_EQ(d.combo(CampoConectar::FM)->currentText(), "EA1FM");
    EXPECT_EQ(d.combo(CampoConectar::Via2)->currentText(), "N0CALL-5");
    EXPECT_EQ(d.combo(CampoConectar::Via1)->count(), 0);
}

TEST_F(frmConnectTest, LeavingAFieldUpperCasesItAndConnectChecksThenCalls)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    int avisos = 0;
    QObject::connect(m_estacion, &link::Estacion::conexionIniciada, [&] { ++avisos; });
    ui::frmConnect d(*m_estacion);
    QComboBox* hf = d.combo(CampoConectar::HF);

    Escribir(hf, "ea4abc");
    QFocusEvent salida(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(hf->lineEdit(), &salida);
    EXPECT_EQ(hf->currentText(), "EA4ABC");

    Escribir(hf, "not a call");
    d.combo(CampoConectar::SAT)->setFocus();
    d.cmdConnect()->click();
    ASSERT_EQ(m_e->operador.avisos.size(), 1u);
    EXPECT_EQ(m_e->operador.avisos[0].texto, "Invalid Call Sign");
    EXPECT_TRUE(d.focusWidget() == hf || d.focusWidget() == hf->lineEdit());
    EXPECT_EQ(d.result(), 0) << "still open";

    Escribir(hf, "n0call-3");
    hf->setFocus();
    d.cmdConnect()->click(); // Enter on the default button: the field never lost the focus
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(hf->currentText(), "N0CALL-3");
    EXPECT_EQ(test::Elementos(hf), QStringList{}) << "typing never fills the list";
    EXPECT_EQ(avisos, 1);
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-3"}; }));
}

// A longer call in the history never completes what the operator types.
TEST_F(frmConnectTest, WhatIsTypedIsCalledAndStoredEvenAsAPrefixOfTheHistory)
{
    Arrancar("KOLT Mode=KOLTHF\r\nConnect With HF=N0CALL-12\r\nConnectHF List0=N0CALL-12\r\n");
    ui::frmConnect d(*m_estacion);
    d.show();
    QComboBox* hf = d.combo(CampoConectar::HF);
    ASSERT_TRUE(test::Enfocar(&d, hf));
    Escribir(hf, "N0CALL-1");
    EXPECT_EQ(hf->currentText(), "N0CALL-1");
    d.cmdConnect()->click();
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-1"}; }));
    EXPECT_EQ(m_estacion->config().connectWithHF, "N0CALL-1");
    EXPECT_EQ(m_estacion->config().connectHFList[0], "N0CALL-1");
    EXPECT_EQ(m_estacion->config().connectHFList[1], "N0CALL-12");
}

TEST_F(frmConnectTest, CloseBoxStoresAValidTarget)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    ui::frmConnect d(*m_estacion);
    d.show();
    Escribir(d.combo(CampoConectar::HF), "EA4NEW");
    d.close();
    EXPECT_EQ(m_estacion->config().connectWithHF, "EA4NEW");
    EXPECT_TRUE(m_estacion->config().connectHFList[0].isEmpty());
    EXPECT_TRUE(m_modem.lineas().isEmpty());
}

TEST_F(frmConnectTest, MainWindowOpensItModallyAndSendsTheTransmitBox)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    EXPECT_TRUE(test::ConDialogoModal<ui::frmConnect>(m_ventana->accion("mnuConnect"),
                                                      [](ui::frmConnect& d) { d.reject(); }));
    m_estacion->modelo().FijarTextoTransmision("hi");
    m_ventana->cmdEnviar()->click();
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "2 hi"; }));
}

} // namespace
