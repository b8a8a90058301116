#pragma once
// One status-bar panel: a picture, a text and a tooltip, in a sunken frame.

#include "model/ModeloVentana.h"

#include <QFrame>

class QLabel;

namespace kolt::ui {

class PanelEstado : public QFrame {
    Q_OBJECT
public:
    PanelEstado(Qt::Alignment alineacion, bool biselado, QWidget* parent = nullptr);
    void Mostrar(const model::EstadoPanel& estado);
    // The width that shows `muestra` whole, frame and picture included.
    int AnchoPara(const model::EstadoPanel& muestra);
    QString texto() const;
    QString imagen() const { return m_clave; }

private:
    QLabel* m_imagen;
    QLabel* m_texto;
    QString m_clave;
};

} // namespace kolt::ui
