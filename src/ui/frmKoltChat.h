#pragma once
// The main window: renders the station's window model and forwards the
// operator's clicks and keys to the station. It holds no rules of its own
// beyond the layout and the Enter key.

#include "model/ModeloVentana.h"

#include <QHash>
#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace kolt::link {
class Estacion;
}

namespace kolt::ui {

class Anunciador;
class PanelEstado;

class frmKoltChat : public QMainWindow {
    Q_OBJECT
public:
    explicit frmKoltChat(link::Estacion& estacion, QWidget* parent = nullptr);
    ~frmKoltChat() override;

    // Places the window as the settings ask (after the station started).
    void RestaurarGeometria();
    // Where the window stands now, in twips, for the close of the station.
    model::Geometria GeometriaActual() const;

    // For the dialogs: a menu item of the window's own.
    QAction* accion(model::Control c) const { return m_acciones[std::size_t(c)]; }
    // For tests: any menu item, by its object name.
    QAction* accion(const QString& nombre) const;
    QPlainTextEdit* txtMainChat() const { return m_txtMainChat; }
    QPlainTextEdit* txtTXChat() const { return m_txtTXChat; }
    QToolButton* cmdEnviar() const { return m_cmdEnviar; }
    QLabel* lblWait() const { return m_lblWait; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QWidget* panel(model::Panel p) const;
    double Dpi() const;

    // Typing goes back to the transmit box (after a send, when a dialog closes).
    void VolverATransmision();

signals:
    void enviarPulsado(); // the Send button, or Enter while it is visible

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void CrearMenus();
    void CrearControles();
    void CrearBarraEstado();
    void PrepararTeclado();
    void Disponer();
    void AjustarExterior();
    void RedibujarControles();
    void RedibujarPaneles();
    void RedibujarAspecto();
    void AgregarRecepcion(const QString& texto);
    void ReemplazarRecepcion();
    QAction* Accion(QMenu* menu, model::Control c, const QString& caption);
    QAction* Accion(QMenu* menu, const QString& nombre, const QString& caption);

    link::Estacion& m_estacion;
    model::ModeloVentana& m_modelo;
    std::array<QAction*, model::kControles> m_acciones{}; // null for the controls below
    QPlainTextEdit* m_txtMainChat = nullptr;
    QPlainTextEdit* m_txtTXChat = nullptr;
    QToolButton* m_cmdEnviar = nullptr;
    QLabel* m_lblWait = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QHash<int, PanelEstado*> m_paneles;
    int m_ensanche = 0;        // pixels the fixed panels need beyond their design widths
    QSize m_exteriorPendiente; // the stored outer size, until the frame is known
    bool m_vigilandoMarco = false;
    Anunciador* m_anunciador = nullptr;
    bool m_cerrado = false;
    bool m_sincronizando = false;
};

} // namespace kolt::ui
