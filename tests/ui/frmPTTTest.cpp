// The PTT settings dialog, offscreen, over a started station whose radio
// port is the recording double: its controls bound to keying's dialog logic
// (whose rules tests/keying checks), what closing does to the port and the
// file, and the main window's PTT item.

#include "ui/frmPTT.h"

#include "keying/PttController.h"

#include "VentanaDePrueba.h"
#include "keying/RecordingSerialLine.h"

#include <QGridLayout>
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
    // Starts the station with the [PTT] keys `ptt`; what start-up did to
    // the port is forgotten.
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
    keying::test::RecordingSerialLine m_puerto{m_registro};
    std::unique_ptr<ui::frmPTT> m_dialogo;
};

TEST_F(DialogoPTT, ShowsTheStoredSettingsWithTheirCaptions)
{
    Iniciar("Via=1\r\nRig=87\r\nBaud=9600\r\nCATPort=COM3\r\nPTTPort=COM5\r\nPin=2\r\nRTS=1\r\n"
            "DTR=0\r\n");
    ui::frmPTT& d = Abrir();
    EXPECT_EQ(d.windowTitle(), "PTT");
    const QString captions = QStringLiteral(
        "fraSeleccionarPTT=PTT Via;fraPin=PTT Pin;optCAT=CAT;optCOM=COM;optVOX=VOX/ZT-Board;"
        "optRTS=RTS;optDTR=DTR;optRTSDTR=RTS+DTR;chkRTS=RTS;chkDTR=DTR;cmdOK=Close;"
        "lblMarca=Brand:;lblModel=Model:;lblPuerto=Port:;lblBauds=Bauds:;"
        "lblIcomAddress=CI-V Address:");
    for (const QString& par : captions.split(QLatin1Char(';'))) {
        const QWidget* w = C(par.section(QLatin1Char('='), 0, 0).toLatin1().constData());
        EXPECT_EQ(w->property(w->inherits("QGroupBox") ? "title" : "text").toString(),
                  par.section(QLatin1Char('='), 1));
    }

    // The lists as the dialog's logic fills them, and the stored choices.
    const auto lista = [&](const char* nombre) {
        const QComboBox* c = C<QComboBox>(nombre);
        return QStringLiteral("%1 of %2").arg(c->currentText()).arg(c->count());
    };
    EXPECT_EQ(lista("cboMarcas"), "Kenwood of 7");
    EXPECT_EQ(lista("cboModelos"), "TS-2000 of 28");
    EXPECT_EQ(lista("cboBaudios"), "9600 of 5");
    EXPECT_EQ(lista("cboCATCOM"), "COM3 of 17") << "COM1 to COM16 and the machine's port";
    EXPECT_EQ(lista("cboPTTCOM"), "COM5 of 17");
    EXPECT_EQ(C<QComboBox>("cboCATCOM")->itemText(16), "/dev/ttyUSB0");
    EXPECT_TRUE(C<QRadioButton>("optCAT")->isChecked());
    EXPECT_TRUE(C<QAbstractButton>("chkRTS")->isChecked());
    EXPECT_FALSE(C<QAbstractButton>("chkDTR")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optDTR")->isChecked());
    Visibles({"cboMarcas", "cboModelos", "cboCATCOM", "cboBaudios", "chkRTS", "chkDTR"},
             {"cboPTTCOM", "fraPin", "txtIcomAddress"});
}

TEST_F(DialogoPTT, MethodsShowTheirControlsAndThePortListsShareOnePlace)
{
    Iniciar("Via=1\r\n");
    ui::frmPTT& d = Abrir();
    auto* rejilla = qobject_cast<QGridLayout*>(C("FraGlobal")->layout());
    ASSERT_NE(rejilla, nullptr);
    const auto celda = [&](const char* nombre) {
        int fila = -1, columna = -1, filas = 0, columnas = 0;
        rejilla->getItemPosition(rejilla->indexOf(C(nombre)), &fila, &columna, &filas, &columnas);
        return std::pair(fila, columna);
    };
    EXPECT_EQ(celda("cboCATCOM"), celda("cboPTTCOM"));
    EXPECT_EQ(celda("cboCATCOM").second, celda("lblPuerto").second + 1);
    const int altoCAT = d.height();

    C<QRadioButton>("optCOM")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ((*m_e)->config().via, 2);
    Visibles({"lblPuerto", "cboPTTCOM", "fraPin"}, {"cboMarcas", "cboCATCOM", "chkRTS"});
    C<QRadioButton>("optRTSDTR")->click();
    EXPECT_EQ((*m_e)->config().pin, 3);

    C<QRadioButton>("optVOX")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ((*m_e)->config().via, 3);
    Visibles({"optCAT", "cmdOK"}, {"lblPuerto", "cboPTTCOM", "fraPin"});
    EXPECT_LT(d.height(), altoCAT) << "the window shrinks to what is shown";
}

TEST_F(DialogoPTT, ChoosingIcomWithTheKeyboardShowsTheIc7300AndItsAddress)
{
    Iniciar("Via=1\r\nBaud=9600\r\n");
    Abrir();
    EXPECT_FALSE(C("txtIcomAddress")->isVisible()) << "the FT-897 has no CI-V address";
    QComboBox* marcas = C<QComboBox>("cboMarcas");
    marcas->setFocus();
    QTest::keyClick(marcas, Qt::Key_Up); // Yaesu -> Icom
    EXPECT_EQ(C<QComboBox>("cboModelos")->count(), 65);
    EXPECT_EQ(C<QComboBox>("cboModelos")->currentText(), "IC-7300");
    EXPECT_EQ((*m_e)->config().rig, 128);
    EXPECT_EQ(C<QComboBox>("cboBaudios")->currentText(), "9600") << "the stored speed";
    Visibles({"txtIcomAddress", "lblIcomAddress"}, {});
    EXPECT_EQ(C<QLineEdit>("txtIcomAddress")->text(), "94");
}

TEST_F(DialogoPTT, WrongAddressHoldsTheDialogButNotAClosingProgram)
{
    Iniciar("Via=1\r\nRig=128\r\n");
    ui::frmPTT& d = Abrir();
    QLineEdit* direccion = C<QLineEdit>("txtIcomAddress");
    ASSERT_TRUE(direccion->isVisible());
    const QString antes = m_e->Ini();

    C<QPushButton>("cmdOK")->click();
    ASSERT_EQ(m_e->operador.avisos.size(), 1u);
    EXPECT_EQ(m_e->operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_e->operador.avisos[0].texto, "wrong Icom Address format");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.focusWidget(), direccion);
    QTest::keyClicks(direccion, "g");
    EXPECT_FALSE(d.close()) << "the close box runs the same check";
    EXPECT_EQ(m_e->operador.avisos.size(), 2u);

    (*m_e)->Cerrar(link::Geometria{});
    const QString guardado = m_e->Ini();
    m_registro.clear();
    EXPECT_TRUE(d.close());
    EXPECT_EQ(m_e->operador.avisos.size(), 2u);
    EXPECT_TRUE(m_registro.empty()) << "the port is left alone";
    EXPECT_EQ(m_e->Ini(), guardado);
}

TEST_F(DialogoPTT, GoodCloseStoresTheAddressAndATypedDeviceReopensThePortAndSaves)
{
    Iniciar("Via=1\r\nRig=128\r\nBaud=19200\r\n");
    ui::frmPTT& d = Abrir();
    QTest::keyClicks(C<QLineEdit>("txtIcomAddress"), "a4");
    QComboBox* puerto = C<QComboBox>("cboCATCOM");
    puerto->lineEdit()->selectAll();
    QTest::keyClicks(puerto->lineEdit(), "/dev/serial/by-id/usb-radio");
    C<QPushButton>("cmdOK")->click(); // no Enter: the typed name still counts

    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(m_e->operador.avisos.empty());
    EXPECT_TRUE(m_e->Ini().contains("Icom Address=A4\r\n"));
    EXPECT_TRUE(m_e->Ini().contains("CATPort=/dev/serial/by-id/usb-radio\r\n"));
    EXPECT_THAT(m_registro,
                ElementsAre("rts 0", "dtr 0", "close",
                            "open /dev/serial/by-id/usb-radio 19200,n,8,1", "rts 0", "dtr 0"));
    (*m_e)->ptt().ActivarPTT();
    EXPECT_EQ(m_registro.back(), "write FE FE A4 E0 1C 00 01 FD");
    Abrir();
    EXPECT_EQ(C<QComboBox>("cboCATCOM")->currentText(), "/dev/serial/by-id/usb-radio")
        << "kept though the machine does not list it";
}

TEST_F(DialogoPTT, PttMenuItemShowsTheDialogModallyAndClosingReopensThePort)
{
    Iniciar("Via=2\r\n");
    EXPECT_TRUE(test::ConDialogoModal<ui::frmPTT>(m_ventana->accion("mnuPTT"),
                                                  [](ui::frmPTT& d) { d.reject(); }));
    EXPECT_THAT(m_registro, ::testing::Contains("open /dev/ttyS0 4800,N,8,1"));
}

} // namespace
