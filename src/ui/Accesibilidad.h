#pragma once
// What a screen reader and a keyboard-only operator need from the widgets:
// names and descriptions, the status panels said in words, a tab order, and
// an announcer for the events that must be heard wherever the focus is.

#include "model/ModeloVentana.h"

#include <QWidget>

#include <initializer_list>

namespace kolt::ui {

// Registers, once, the accessible interfaces of the program's own widgets:
// a status panel reads as one text (its picture in words, no inner labels),
// the announcer as a notification.
void InstalarAccesibilidad();

// The status panel as a screen reader says it ("PTT: receive",
// "Modem: TCP connected"), and its picture in words. Empty for the margin.
QString NombrePanel(model::Panel panel, const model::EstadoPanel& estado);
QString DescripcionPanel(const model::EstadoPanel& estado);

// Accessible name and description; an editable combo box's line edit, which
// the reader reaches on its own, gets the same name.
void Nombrar(QWidget* control, const QString& nombre, const QString& descripcion = {});

// Tab order through the given controls, in that order.
void OrdenTabulacion(std::initializer_list<QWidget*> controles);

// A notification without a place on the screen: each message is told to
// the screen reader as a notification being shown, so it is read while the
// operator keeps typing elsewhere.
class Anunciador : public QWidget {
    Q_OBJECT
public:
    explicit Anunciador(QWidget* parent);
    void Anunciar(const QString& texto);
    QString ultimo() const { return accessibleName(); }
};

} // namespace kolt::ui
