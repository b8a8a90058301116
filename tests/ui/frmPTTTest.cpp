// The PTT dialog, offscreen, over a station whose radio port is the
// recording double; its logic's rules: tests/keying.

#include "ui/frmPTT.h"

#include "keying/ControladorPTT.h"

#include "VentanaDePrueba.h"
#include "keying/LineaSerieGrabadora.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kolt;
using ::testing::ElementsAre;

namespace {

class DialogoPTT : public test::VentanaDePrueba {
protected:
    // The station with the [PTT] keys `ptt`, what start-up did forgotten.
    void Iniciar(const char* ptt)
    {
        VentanaDePrueba::Abrir(QString(), 1, 1, &m_puerto, QStringLiteral("[PTT]\r\n") + ptt);
        m_registro.clear();
    }

    ui::frmPTT& Abrir()
    {
        m_dialogo = std::make_unique<ui::frmPTT>(
            **m_e, nullptr, keying::ComponerPuertos({}, {QStringLiteral("/dev/ttyUSB0")}));
        m_dialogo->show();
        QCoreApplication::processEvents(); // the layouts settle
        return *m_dialogo;
    }

    template <typename T = QWidget> T* C(const char* nombre) const
    {
        T* w = m_dialogo->findChild<T*>(QString::fromLatin1(nombre));
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }

    void Visibles(std::initializer_list<const char*> si, std::initializer_list<const char*> no)
    {
        for (const char* n : si)
            EXPECT_TRUE(C(n)->isVisible()) << n;
        for (const char* n : no)
            EXPECT_FALSE(C(n)->isVisible()) << n;
    }

    void TearDown() override
    {
        m_dialogo.reset();
        VentanaDePrueba::TearDown();
    }

    keying::test::Registro m_registro;
    keying::test::LineaSerieGrabadora m_puerto{m_registro};
    std::unique_ptr<ui::frmPTT> m_dialogo;
};

// The stored choices in the lists (ports: COM1 to COM16, then the
// machine's); each method shows its controls, the window shrinking.
TEST_F(DialogoPTT, ShowsTheStoredSettingsAndEachMethodItsControls)
{
    Iniciar("Via=1\r\nRig=87\r\nBaud=9600\r\nCATPort=COM3\r\nRTS=1\r\nDTR=0\r\n");
    ui::frmPTT& d = Abrir();
    EXPECT_EQ(C<QComboBox>("cboModelos")->currentText(), "TS-2000");
    EXPECT_TRUE(C<QAbstractButton>("optCAT")->isChecked());
    EXPECT_EQ(C<QComboBox>("cboCATCOM")->itemText(16), "/dev/ttyUSB0");
    EXPECT_FALSE(C<QAbstractButton>("chkDTR")->isChecked());
    Visibles({"cboMarcas", "cboCATCOM", "chkRTS"}, {"cboPTTCOM", "fraPin", "txtIcomAddress"});
    const int altoCAT = d.height();

    C<QRadioButton>("optCOM")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ((*m_e)->config().via, 2);
    Visibles({"cboPTTCOM", "fraPin"}, {"cboMarcas", "cboCATCOM", "chkRTS"});
    C<QRadioButton>("optRTSDTR")->click();
    EXPECT_EQ((*m_e)->config().pin, 3);

    C<QRadioButton>("optVOX")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ((*m_e)->config().via, 3);
    Visibles({"optCAT"}, {"lblPuerto", "cboPTTCOM", "fraPin"});
    EXPECT_LT(d.height(), altoCAT);
}

// Icom chosen with the keyboard shows the IC-7300 and its address; a good
// close stores the address and a typed device, and reopens the port.
TEST_F(DialogoPTT, IcomByKeyboardThenAGoodCloseStoresReopensAndSaves)
{
    Iniciar("Via=1\r\nBaud=9600\r\n");
    Abrir();
    QComboBox* marcas = C<QComboBox>("cboMarcas");
    marcas->setFocus();
    QTest::keyClick(marcas, Qt::Key_Up); // Yaesu -> Icom
    EXPECT_EQ(C<QComboBox>("cboModelos")->currentText(), "IC-7300");
    ASSERT_TRUE(C("txtIcomAddress")->isVisible());
    EXPECT_EQ(C<QLineEdit>("txtIcomAddress")->text(), "94");
    C<QLineEdit>("txtIcomAddress")->selectAll();
    QTest::keyClicks(C<QLineEdit>("txtIcomAddress"), "a4");
    QComboBox* puerto = C<QComboBox>("cboCATCOM");
    puerto->lineEdit()->selectAll();
    QTest::keyClicks(puerto->lineEdit(), "/dev/serial/by-id/usb-radio");
    m_registro.clear();
    C<QPushButton>("cmdOK")->click(); // no Enter: the typed name still counts
    EXPECT_TRUE(m_e->Ini().contains("Icom Address=A4\r\n"));
    EXPECT_TRUE(m_e->Ini().contains("CATPort=/dev/serial/by-id/usb-radio\r\n"));
    EXPECT_THAT(m_registro,
                ElementsAre("rts 0", "dtr 0", "close",
                            "open /dev/serial/by-id/usb-radio 9600,n,8,1", "rts 0", "dtr 0"));
    (*m_e)->ptt().ActivarPTT();
    EXPECT_EQ(m_registro.back(), "write FE FE A4 E0 1C 00 01 FD");
}

} // namespace
