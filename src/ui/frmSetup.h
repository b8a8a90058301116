#pragma once
// The setup dialog: binds the fields to config/DialogoSetup, which holds
// every rule. Modal; created anew at each opening, so it always starts
// from the stored settings.

#include "link/DialogoSetup.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kolt::link {
class Estacion;
}

namespace kolt::ui {

class frmKoltChat;

class frmSetup : public QDialog {
    Q_OBJECT
public:
    explicit frmSetup(link::Estacion& estacion, QWidget* parent = nullptr);

    // The controls by their names, for the tests.
    QRadioButton* optVariante(config::Variante v) const;
    QRadioButton* optAnchoBanda(int indice) const { return m_optBW[indice]; } // 500, 2300, 2750
    QLineEdit* txtMyCallSign() const { return m_txtMyCallSign; }
    QLineEdit* txtHost(config::Variante v) const { return m_txtHost[config::Indice(v)]; }
    QLineEdit* txtPuertoComandos(config::Variante v) const
    {
        return m_txtPuerto[config::Indice(v)];
    }
    QLineEdit* txtPuertoDatos(config::Variante v) const { return m_txtDatos[config::Indice(v)]; }
    QLineEdit* txtHostKISS() const { return m_txtHostKISS; }
    QLineEdit* txtPuertoComandosKISS() const { return m_txtPuertoKISS; }
    QLineEdit* txtRuta(config::Variante v) const { return m_txtRuta[config::Indice(v)]; }
    QLineEdit* txtFolder() const { return m_txtFolder; }
    QGroupBox* fraTCP(config::Variante v) const { return m_fraTCP[config::Indice(v)]; }
    QGroupBox* fraRuta(config::Variante v) const { return m_fraRuta[config::Indice(v)]; }
    QGroupBox* fraBW() const { return m_fraBW; }
    QCheckBox* chkLaunch() const { return m_chkLaunch; }
    QCheckBox* chkDisconnect() const { return m_chkDisconnect; }
    QCheckBox* chkLog() const { return m_chkLog; }
    QPushButton* cmdPath() const { return m_cmdPath; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

    // Escape is Cancel.
    void reject() override;

protected:
    // Update and the close box: the closing procedure, which may keep the
    // dialog open.
    void closeEvent(QCloseEvent* evento) override;

private:
    void Construir();
    void PrepararTeclado();
    void MostrarCampos();
    void LeerCampos();
    void GestionarModo();
    void Enfocar(link::Campo campo);

    link::DialogoSetup m_logica;
    std::array<QRadioButton*, 3> m_optVariante{};
    std::array<QRadioButton*, 3> m_optBW{};
    QGroupBox* m_fraBW = nullptr;
    QLineEdit* m_txtMyCallSign = nullptr;
    std::array<QGroupBox*, 3> m_fraTCP{};
    std::array<QLineEdit*, 3> m_txtHost{};
    std::array<QLineEdit*, 3> m_txtPuerto{};
    std::array<QLineEdit*, 3> m_txtDatos{};
    QLineEdit* m_txtHostKISS = nullptr;
    QLineEdit* m_txtPuertoKISS = nullptr;
    std::array<QGroupBox*, 3> m_fraRuta{};
    std::array<QLineEdit*, 3> m_txtRuta{};
    QLineEdit* m_txtFolder = nullptr;
    QPushButton* m_cmdPath = nullptr;
    QCheckBox* m_chkLaunch = nullptr;
    QCheckBox* m_chkDisconnect = nullptr;
    QCheckBox* m_chkLog = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};

// Binds the main window's "Chat Setup..." item to the dialog.
void EngancharSetup(frmKoltChat& ventana, link::Estacion& estacion);

} // namespace kolt::ui
