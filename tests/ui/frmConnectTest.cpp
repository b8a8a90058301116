// The connect dialog, offscreen: its controls bound to the dialog's rules,
// and the main window's Connect item and Send button wired to the logic.

#include "ui/frmConnect.h"
#include "ui/frmKoltChat.h"

#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using link::CampoConectar;
using test::Esperar;

namespace {

class frmConnectTest : public ::testing::Test {
protected:
    void Arrancar(const QString& setup)
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile f(QDir(m_dir.path()).filePath("KOLT Chat.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[Setup]\r\n%1HF TCP Port=%2\r\nFM TCP Port=%2\r\nAutoLaunch=0\r\n"
                               "Save Log=0\r\n")
                    .arg(setup)
                    .arg(m_modem.puerto())
                    .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        m_modem.Olvidar();
    }

    static QStringList Elementos(QComboBox* c)
    {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    }

    static void Escribir(QComboBox* c, const QString& texto)
    {
        c->lineEdit()->clear();
        QTest::keyClicks(c->lineEdit(), texto);
    }

    static void PerderFoco(QComboBox* c)
    {
        QFocusEvent salida(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(c->lineEdit(), &salida);
    }

    QTemporaryDir m_dir;
    test::ModemDePrueba m_modem;
    test::OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
};

TEST_F(frmConnectTest, ShowsTheVariantsFieldsWithTheirHistories)
{
    Arrancar("KOLT Mode=KOLTFM\r\nConnect With FM=EA1FM\r\nConnectFM List0=EA1FM\r\n"
             "ConnectFM List1=EA2FM\r\nConnectFM List3=HIDDEN\r\nVia2=N0CALL-5\r\n");
    ui::frmConnect d(*m_estacion);
    EXPECT_EQ(d.windowTitle(), "Connect");
    EXPECT_TRUE(d.isModal());
    EXPECT_TRUE(d.combo(CampoConectar::HF)->isHidden());
    EXPECT_TRUE(d.combo(CampoConectar::SAT)->isHidden());
    for (QWidget* w : {static_cast<QWidget*>(d.combo(CampoConectar::FM)),
                       static_cast<QWidget*>(d.combo(CampoConectar::Via1)),
                       static_cast<QWidget*>(d.lblVia1()), static_cast<QWidget*>(d.lblVia2())})
        EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_EQ(Elementos(d.combo(CampoConectar::FM)), (QStringList{"EA1FM", "EA2FM"}));
    EXPECT_EQ(d.combo(CampoConectar::FM)->currentText(), "EA1FM");
    EXPECT_EQ(d.combo(CampoConectar::Via2)->currentText(), "N0CALL-5");
    EXPECT_EQ(d.combo(CampoConectar::Via1)->count(), 0);
    d.reject();
}

TEST_F(frmConnectTest, HfHidesTheDigipeaters)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    ui::frmConnect d(*m_estacion);
    EXPECT_FALSE(d.combo(CampoConectar::HF)->isHidden());
    for (QWidget* w : {static_cast<QWidget*>(d.combo(CampoConectar::FM)),
                       static_cast<QWidget*>(d.combo(CampoConectar::Via2)),
                       static_cast<QWidget*>(d.lblVia1()), static_cast<QWidget*>(d.lblVia2())})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    d.reject();
}

TEST_F(frmConnectTest, LeavingAFieldUpperCasesItAndConnectChecksThenCalls)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    int avisos = 0;
    QObject::connect(m_estacion.get(), &link::Estacion::conexionIniciada, [&] { ++avisos; });
    ui::frmConnect d(*m_estacion);
    QComboBox* hf = d.combo(CampoConectar::HF);

    Escribir(hf, "ea4abc");
    PerderFoco(hf);
    EXPECT_EQ(hf->currentText(), "EA4ABC");

    Escribir(hf, "not a call");
    d.combo(CampoConectar::SAT)->setFocus();
    d.cmdConnect()->click();
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].texto, "Invalid Call Sign");
    EXPECT_TRUE(d.focusWidget() == hf || d.focusWidget() == hf->lineEdit());
    EXPECT_EQ(d.result(), 0) << "still open";

    Escribir(hf, "n0call-3");
    hf->setFocus();
    d.cmdConnect()->click(); // Enter on the default button: the field never lost the focus
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(hf->currentText(), "N0CALL-3");
    EXPECT_EQ(m_estacion->config().connectWithHF, "N0CALL-3");
    EXPECT_EQ(m_estacion->config().connectHFList[0], "N0CALL-3");
    EXPECT_EQ(Elementos(hf), QStringList{}) << "typing never fills the list";
    EXPECT_EQ(avisos, 1);
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-3"}; }));
}

TEST_F(frmConnectTest, CloseBoxStoresAValidTarget)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    {
        ui::frmConnect d(*m_estacion);
        d.show();
        Escribir(d.combo(CampoConectar::HF), "EA4NEW");
        d.close();
        EXPECT_EQ(m_estacion->config().connectWithHF, "EA4NEW") << "on closing, not later";
    }
    EXPECT_EQ(m_estacion->config().connectWithHF, "EA4NEW");
    EXPECT_TRUE(m_estacion->config().connectHFList[0].isEmpty());
    EXPECT_TRUE(m_modem.lineas().isEmpty());
}

TEST_F(frmConnectTest, MainWindowOpensItModallyAndSendsTheTransmitBox)
{
    Arrancar("KOLT Mode=KOLTHF\r\n");
    ui::frmKoltChat ventana(*m_estacion);
    QString abierto;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            abierto = w->objectName();
            static_cast<QDialog*>(w)->reject();
        }
    });
    ventana.accion("mnuConnect")->trigger();
    EXPECT_EQ(abierto, "frmConnect");

    m_estacion->modelo().FijarTextoTransmision("hi");
    ventana.cmdEnviar()->click();
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "2 hi"; }));
}

} // namespace
