// The connect dialog, offscreen (its rules: tests/link), and the main
// window's Connect item and Send button.

#include "ui/frmConnect.h"

#include "ModemDePrueba.h"
#include "VentanaDePrueba.h"

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

// Connect checks the call first; what is typed is upper-cased, called and
// stored, never completed from a longer call in the history.
TEST_F(frmConnectTest, ConnectChecksThenCallsWhatIsTypedEvenAsAPrefixOfTheHistory)
{
    Arrancar("KOLT Mode=KOLTHF\r\nConnect With HF=N0CALL-12\r\nConnectHF List0=N0CALL-12\r\n");
    int avisos = 0;
    QObject::connect(m_estacion, &link::Estacion::conexionIniciada, [&] { ++avisos; });
    ui::frmConnect d(*m_estacion);
    d.show();
    QComboBox* hf = d.combo(CampoConectar::HF);
    ASSERT_TRUE(test::Enfocar(&d, hf));
    Escribir(hf, "not a call");
    d.cmdConnect()->click();
    EXPECT_EQ(m_e->operador.avisos.size(), 1u);
    EXPECT_EQ(d.result(), 0) << "still open";

    Escribir(hf, "n0call-1");
    d.cmdConnect()->click(); // Enter on the default button: the field never lost the focus
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(avisos, 1);
    ASSERT_TRUE(
        Esperar([&] { return m_modem.lineas() == QStringList{"CONNECT N0CALL-1 N0CALL-1"}; }));
    EXPECT_EQ(m_estacion->config().connectHFList[0], "N0CALL-1");
    EXPECT_EQ(m_estacion->config().connectHFList[1], "N0CALL-12");
}

// The main window opens it modally, in the variant's field and history;
// the close box stores a valid target and calls nobody; Send sends the
// transmit box.
TEST_F(frmConnectTest, MainWindowOpensItModallyAndSendsTheTransmitBox)
{
    Arrancar("KOLT Mode=KOLTFM\r\nConnectFM List0=EA1FM\r\nConnectFM List1=EA2FM\r\n"
             "ConnectFM List3=HIDDEN\r\n");
    const auto guion = [](ui::frmConnect& d) {
        EXPECT_EQ(d.combo(CampoConectar::FM)->count(), 2) << "up to the first empty slot";
        Escribir(d.combo(CampoConectar::FM), "EA4NEW");
        d.close();
    };
    QAction* conectar = m_ventana->accion("mnuConnect");
    EXPECT_TRUE(test::ConDialogoModal<ui::frmConnect>([&] { conectar->trigger(); }, guion));
    EXPECT_EQ(m_estacion->config().connectWithFM, "EA4NEW");
    EXPECT_EQ(m_estacion->config().connectFMList[0], "EA1FM");
    EXPECT_TRUE(m_modem.lineas().isEmpty());
    m_estacion->modelo().FijarTextoTransmision("hi");
    m_ventana->cmdEnviar()->click();
    ASSERT_TRUE(Esperar([&] { return m_modem.datosRecibidos() == "2 hi"; }));
}

} // namespace
