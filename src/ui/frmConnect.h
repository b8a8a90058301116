#pragma once
// The connect dialog: the station to call and, in FM, up to two
// digipeaters. It only binds its combo boxes to link::DialogoConectar,
// which holds every rule.

#include "link/DialogoConectar.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace kolt::link {
class Estacion;
}

namespace kolt::ui {

class frmKoltChat;

class frmConnect : public QDialog {
    Q_OBJECT
public:
    explicit frmConnect(link::Estacion& estacion, QWidget* parent = nullptr);
    ~frmConnect() override;

    QComboBox* combo(link::CampoConectar campo) const { return m_combos[std::size_t(campo)]; }
    QLabel* lblVia1() const { return m_lblVia1; }
    QLabel* lblVia2() const { return m_lblVia2; }
    QPushButton* cmdConnect() const { return m_cmdConnect; }

    // Every way the dialog closes (Connect, close box, Escape) is its unload.
    void done(int resultado) override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void PulsarConectar();
    void PrepararTeclado(QLabel* label1);
    void Validar(link::CampoConectar campo);

    link::DialogoConectar m_logica;
    std::array<QComboBox*, 5> m_combos{};
    QLabel* m_lblVia1 = nullptr;
    QLabel* m_lblVia2 = nullptr;
    QPushButton* m_cmdConnect = nullptr;
};

// The Connect menu item of the main window opens the dialog, modally.
void EngancharConectar(frmKoltChat& ventana, link::Estacion& estacion);

} // namespace kolt::ui
