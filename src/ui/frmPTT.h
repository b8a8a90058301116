#pragma once
// The PTT settings dialog: how the radio is keyed. It only binds the
// controls to keying::LogicaDialogoPTT; every rule (lists, visibility,
// defaults, the CI-V check) lives there. Built each time it is shown, so the
// port lists hold the serial ports the machine has at that moment.

#include "keying/PuertoRadio.h"
#include "keying/LogicaDialogoPTT.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kolt::link {
class Estacion;
}

namespace kolt::ui {

class frmPTT : public QDialog {
    Q_OBJECT
public:
    explicit frmPTT(link::Estacion& estacion, QWidget* parent = nullptr,
                    QStringList puertos = keying::PuertosOfrecidos());

    // The close box and Escape run the closing procedure too: there is no
    // Cancel.
    void reject() override;

private:
    void CrearControles();
    void PrepararTeclado();
    void Conectar();
    void Redibujar();
    void ConfirmarPuertosEscritos();
    void Cerrar();

    link::Estacion& m_estacion;
    keying::LogicaDialogoPTT m_logica;

    QGroupBox* m_fraSeleccionarPTT = nullptr;
    QRadioButton* m_optCAT = nullptr;
    QRadioButton* m_optCOM = nullptr;
    QRadioButton* m_optVOX = nullptr;
    QLabel* m_lblMarca = nullptr;
    QComboBox* m_cboMarcas = nullptr;
    QLabel* m_lblModel = nullptr;
    QComboBox* m_cboModelos = nullptr;
    QLabel* m_lblPuerto = nullptr;
    QComboBox* m_cboCATCOM = nullptr;
    QComboBox* m_cboPTTCOM = nullptr;
    QLabel* m_lblBauds = nullptr;
    QComboBox* m_cboBaudios = nullptr;
    QCheckBox* m_chkRTS = nullptr;
    QCheckBox* m_chkDTR = nullptr;
    QGroupBox* m_fraPin = nullptr;
    QRadioButton* m_optRTS = nullptr;
    QRadioButton* m_optDTR = nullptr;
    QRadioButton* m_optRTSDTR = nullptr;
    QLabel* m_lblIcomAddress = nullptr;
    QLineEdit* m_txtIcomAddress = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

} // namespace kolt::ui
