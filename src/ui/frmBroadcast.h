#pragma once
// The broadcast dialog: a message to "ALL" and, in FM, the digipeaters to
// send it through. Modeless; it binds the rules of broadcast/DialogoBroadcast.h
// and is created anew each time it opens, as it reads the settings then.

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace kolt::link {
class Estacion;
}

namespace kolt::ui {

class frmKoltChat;

class frmBroadcast : public QDialog {
    Q_OBJECT
public:
    explicit frmBroadcast(link::Estacion& estacion, QWidget* parent = nullptr);

    QPlainTextEdit* txtMensaje() const { return m_txtMensaje; }
    QLabel* lblNumeroCaracteres() const { return m_lblNumeroCaracteres; }
    QLabel* lblVia1() const { return m_lblVia1; }
    QLabel* lblVia2() const { return m_lblVia2; }
    QComboBox* cboVia1() const { return m_cboVia1; }
    QComboBox* cboVia2() const { return m_cboVia2; }
    QToolButton* cmdEnviar() const { return m_cmdEnviar; }

    // Every way of closing ends here (the close box, Escape, the program's
    // close, a send): the closing rule runs once, then the dialog goes.
    void done(int resultado) override;
    bool cerrado() const { return m_cerrado; }

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Enviar();
    void AlCambiarMensaje();
    void Recolorear();

    link::Estacion& m_estacion;
    QPlainTextEdit* m_txtMensaje;
    QLabel* m_lblNumeroCaracteres;
    QLabel* m_lblVia1;
    QLabel* m_lblVia2;
    QComboBox* m_cboVia1;
    QComboBox* m_cboVia2;
    QToolButton* m_cmdEnviar;
    bool m_cerrado = false;
    bool m_limitando = false;
};

// Binds the main window's "CQ" and "Broadcast" items: CQ calls AccionCQ,
// Broadcast opens the dialog (or raises the one already open).
void EngancharBroadcast(frmKoltChat& ventana, link::Estacion& estacion);

} // namespace kolt::ui
