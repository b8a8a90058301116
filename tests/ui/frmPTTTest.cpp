// The PTT settings dialog, offscreen, over a started station whose radio
// port is the recording double: what it shows from the settings, how the
// controls come and go, and what closing does to the port and the file.

#include "ui/frmPTT.h"
#include "ui/frmKoltChat.h"

#include "keying/PortNames.h"
#include "keying/PttController.h"
#include "link/Estacion.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"
#include "keying/RecordingSerialLine.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using namespace kolt;
using keying::test::Registro;
using ::testing::ElementsAre;

namespace {

QStringList Elementos(const QComboBox* c)
{
    QStringList r;
    for (int i = 0; i < c->count(); ++i)
        r << c->itemText(i);
    return r;
}

class DialogoPTT : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // Starts the station with the [PTT] keys `ptt`; what start-up did to
    // the port is forgotten.
    void Iniciar(const char* ptt)
    {
        QFile f(RutaIni());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Port 1: nothing listens there, the station just keeps trying.
        f.write(QByteArray("[PTT]\r\n") + ptt +
                "[Setup]\r\nHF TCP Port=1\r\nAutoLaunch=0\r\nSave Log=0\r\n");
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        e.puertoRadio = &m_puerto;
        m_estacion = std::make_unique<link::Estacion>(e);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        m_registro.clear();
    }

    ui::frmPTT& Abrir()
    {
        m_dialogo = std::make_unique<ui::frmPTT>(
            *m_estacion, nullptr, keying::ComponerPuertos({}, {QStringLiteral("/dev/ttyUSB0")}));
        m_dialogo->show();
        test::Dejar(20); // let the layouts settle
        return *m_dialogo;
    }

    template <typename T = QWidget> T* C(const char* nombre) const
    {
        T* w = m_dialogo->findChild<T*>(QString::fromLatin1(nombre));
        EXPECT_NE(w, nullptr) << nombre;
        return w;
    }

    bool Visible(const char* nombre) const { return C(nombre)->isVisible(); }

    QString RutaIni() const { return QDir(m_dir.path()).filePath(QStringLiteral("KOLT Chat.ini")); }

    QByteArray Ini() const
    {
        QFile f(RutaIni());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    Registro m_registro;
    keying::test::RecordingSerialLine m_puerto{m_registro};
    std::unique_ptr<link::Estacion> m_estacion;
    std::unique_ptr<ui::frmPTT> m_dialogo;
};

TEST_F(DialogoPTT, ShowsTheStoredSettingsWithTheirCaptions)
{
    Iniciar("Via=1\r\nRig=87\r\nBaud=9600\r\nCATPort=COM3\r\nPTTPort=COM5\r\nPin=2\r\nRTS=1\r\n"
            "DTR=0\r\n");
    ui::frmPTT& d = Abrir();
    EXPECT_EQ(d.windowTitle(), "PTT");
    EXPECT_EQ(C<QGroupBox>("fraSeleccionarPTT")->title(), "PTT Via");
    EXPECT_EQ(C<QGroupBox>("fraPin")->title(), "PTT Pin");
    const std::pair<const char*, const char*> captions[] = {
        {"optCAT", "CAT"}, {"optCOM", "COM"}, {"optVOX", "VOX/ZT-Board"},
        {"optRTS", "RTS"}, {"optDTR", "DTR"}, {"optRTSDTR", "RTS+DTR"},
        {"chkRTS", "RTS"}, {"chkDTR", "DTR"}, {"cmdOK", "Close"}};
    for (auto [nombre, caption] : captions)
        EXPECT_EQ(C<QAbstractButton>(nombre)->text(), caption) << nombre;
    const std::pair<const char*, const char*> etiquetas[] = {{"lblMarca", "Brand:"},
                                                             {"lblModel", "Model:"},
                                                             {"lblPuerto", "Port:"},
                                                             {"lblBauds", "Bauds:"},
                                                             {"lblIcomAddress", "CI-V Address:"}};
    for (auto [nombre, caption] : etiquetas)
        EXPECT_EQ(C<QLabel>(nombre)->text(), caption) << nombre;

    EXPECT_TRUE(C<QRadioButton>("optCAT")->isChecked());
    EXPECT_EQ(Elementos(C<QComboBox>("cboMarcas")),
              QStringList(
                  {"Icom", "Yaesu", "Kenwood", "Elecraft", "TenTec", "FlexRadio", "Microtelecom"}));
    EXPECT_EQ(C<QComboBox>("cboMarcas")->currentText(), "Kenwood");
    EXPECT_EQ(C<QComboBox>("cboModelos")->count(), 28);
    EXPECT_EQ(C<QComboBox>("cboModelos")->currentText(), "TS-2000");
    EXPECT_EQ(Elementos(C<QComboBox>("cboBaudios")),
              QStringList({"9600", "4800", "19200", "38400", "57600"}));
    EXPECT_EQ(C<QComboBox>("cboBaudios")->currentText(), "9600");
    EXPECT_EQ(C<QComboBox>("cboCATCOM")->currentText(), "COM3");
    EXPECT_EQ(C<QComboBox>("cboPTTCOM")->currentText(), "COM5");
    EXPECT_EQ(Elementos(C<QComboBox>("cboCATCOM")).mid(15), QStringList({"COM16", "/dev/ttyUSB0"}));
    EXPECT_TRUE(C<QCheckBox>("chkRTS")->isChecked());
    EXPECT_FALSE(C<QCheckBox>("chkDTR")->isChecked());
    EXPECT_TRUE(C<QRadioButton>("optDTR")->isChecked());

    for (const char* visible : {"lblMarca", "cboMarcas", "lblModel", "cboModelos", "lblPuerto",
                                "cboCATCOM", "lblBauds", "cboBaudios", "chkRTS", "chkDTR"})
        EXPECT_TRUE(Visible(visible)) << visible;
    for (const char* oculto : {"cboPTTCOM", "fraPin", "lblIcomAddress", "txtIcomAddress"})
        EXPECT_FALSE(Visible(oculto)) << oculto;
}

TEST_F(DialogoPTT, MethodsShowTheirControlsAndThePortListsShareOnePlace)
{
    Iniciar("Via=1\r\n");
    ui::frmPTT& d = Abrir();
    // Both port lists sit in one cell of the dialog's grid.
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
    test::Dejar(20);
    EXPECT_EQ(m_estacion->config().via, 2);
    for (const char* visible : {"lblPuerto", "cboPTTCOM", "fraPin"})
        EXPECT_TRUE(Visible(visible)) << visible;
    for (const char* oculto : {"cboMarcas", "cboModelos", "cboCATCOM", "cboBaudios", "chkRTS",
                               "chkDTR", "lblIcomAddress", "txtIcomAddress"})
        EXPECT_FALSE(Visible(oculto)) << oculto;

    C<QRadioButton>("optRTSDTR")->click();
    EXPECT_EQ(m_estacion->config().pin, 3);

    C<QRadioButton>("optVOX")->click();
    test::Dejar(20);
    EXPECT_EQ(m_estacion->config().via, 3);
    for (const char* oculto : {"lblPuerto", "cboPTTCOM", "cboCATCOM", "fraPin", "cboMarcas"})
        EXPECT_FALSE(Visible(oculto)) << oculto;
    for (const char* visible : {"optCAT", "optCOM", "optVOX", "cmdOK"})
        EXPECT_TRUE(Visible(visible)) << visible;
    EXPECT_LT(d.height(), altoCAT) << "the window shrinks to what is shown";
}

TEST_F(DialogoPTT, ChoosingIcomShowsTheIc7300AndItsAddress)
{
    Iniciar("Via=1\r\nBaud=9600\r\n");
    Abrir();
    EXPECT_FALSE(Visible("txtIcomAddress")) << "the FT-897 has no CI-V address";

    QComboBox* marcas = C<QComboBox>("cboMarcas");
    marcas->setFocus();
    QTest::keyClick(marcas, Qt::Key_Up); // Yaesu -> Icom, as the operator would
    EXPECT_EQ(marcas->currentText(), "Icom");
    EXPECT_EQ(C<QComboBox>("cboModelos")->count(), 65);
    EXPECT_EQ(C<QComboBox>("cboModelos")->currentText(), "IC-7300");
    EXPECT_EQ(m_estacion->config().rig, 128);
    EXPECT_EQ(C<QComboBox>("cboBaudios")->currentText(), "9600") << "the stored speed";
    EXPECT_TRUE(Visible("txtIcomAddress"));
    EXPECT_TRUE(Visible("lblIcomAddress"));
    EXPECT_EQ(C<QLineEdit>("txtIcomAddress")->text(), "94");
}

TEST_F(DialogoPTT, WrongAddressIsToldAndTheDialogStaysOpen)
{
    Iniciar("Via=1\r\nRig=128\r\n");
    ui::frmPTT& d = Abrir();
    QLineEdit* direccion = C<QLineEdit>("txtIcomAddress");
    ASSERT_TRUE(direccion->isVisible());
    EXPECT_EQ(direccion->text(), "");
    const QByteArray antes = Ini();

    C<QPushButton>("cmdOK")->click();
    ASSERT_EQ(m_operador.avisos.size(), 1u);
    EXPECT_EQ(m_operador.avisos[0].icono, link::Icono::Critico);
    EXPECT_EQ(m_operador.avisos[0].texto, "wrong Icom Address format");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.focusWidget(), direccion);

    QTest::keyClicks(direccion, "a");
    EXPECT_FALSE(d.close()) << "the close box runs the same check";
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(m_operador.avisos.size(), 2u);
    EXPECT_TRUE(m_registro.empty()) << "the port is left alone";
    EXPECT_EQ(Ini(), antes) << "nothing saved";
}

TEST_F(DialogoPTT, GoodCloseStoresTheAddressReopensThePortAndSaves)
{
    Iniciar("Via=1\r\nRig=128\r\nBaud=19200\r\n");
    ui::frmPTT& d = Abrir();
    QTest::keyClicks(C<QLineEdit>("txtIcomAddress"), "a4");
    C<QPushButton>("cmdOK")->click();

    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(m_operador.avisos.empty());
    EXPECT_EQ(m_estacion->config().icomAddress, "A4");
    EXPECT_TRUE(Ini().contains("Icom Address=A4\r\n")) << Ini().toStdString();
    EXPECT_THAT(m_registro, ElementsAre("rts 0", "dtr 0", "close", "open /dev/ttyS0 19200,n,8,1",
                                        "rts 0", "dtr 0"));
    m_estacion->ptt().ActivarPTT();
    EXPECT_EQ(m_registro.back(), "write FE FE A4 E0 1C 00 01 FD");
}

TEST_F(DialogoPTT, TypedDeviceIsKeptAndOpened)
{
    Iniciar("Via=1\r\n");
    Abrir();
    QComboBox* puerto = C<QComboBox>("cboCATCOM");
    puerto->lineEdit()->selectAll();
    QTest::keyClicks(puerto->lineEdit(), "/dev/serial/by-id/usb-radio");
    C<QPushButton>("cmdOK")->click(); // no Enter: the typed name still counts

    EXPECT_EQ(m_estacion->config().catPort, "/dev/serial/by-id/usb-radio");
    EXPECT_THAT(m_registro, ::testing::Contains("open /dev/serial/by-id/usb-radio 4800,n,8,2"));
    EXPECT_TRUE(Ini().contains("CATPort=/dev/serial/by-id/usb-radio\r\n"));

    Abrir();
    EXPECT_EQ(C<QComboBox>("cboCATCOM")->currentText(), "/dev/serial/by-id/usb-radio")
        << "kept though the machine does not list it";
}

TEST_F(DialogoPTT, WhileTheProgramClosesItNeitherReopensNorSaves)
{
    Iniciar("Via=1\r\nRig=128\r\n");
    ui::frmPTT& d = Abrir();
    m_estacion->Cerrar(link::Geometria{});
    m_registro.clear();
    const QByteArray guardado = Ini();

    EXPECT_TRUE(d.close()) << "a bad address does not hold a closing program";
    EXPECT_TRUE(m_operador.avisos.empty());
    EXPECT_TRUE(m_registro.empty());
    EXPECT_EQ(Ini(), guardado);
}

TEST_F(DialogoPTT, PttMenuItemShowsTheDialogModally)
{
    Iniciar("Via=2\r\n");
    ui::frmKoltChat ventana(*m_estacion);
    ventana.show();

    QString titulo;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<ui::frmPTT*>(QApplication::activeModalWidget());
        if (d) {
            titulo = d->windowTitle();
            modal = d->isModal();
        }
        // Close whatever dialog is up, so that a failure cannot hang the run.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ui::frmPTT*>(w); p && p->isVisible()) p->reject();
    });
    ventana.accion(QStringLiteral("mnuPTT"))->trigger();
    EXPECT_EQ(titulo, "PTT");
    EXPECT_TRUE(modal);
    EXPECT_THAT(m_registro, ::testing::Contains("open /dev/ttyS0 4800,N,8,1"))
        << "closing it reopened the port";
}

} // namespace
