#pragma once
// The operator, as the desktop reaches a person: message boxes, file and
// folder pickers, and opening documents and web addresses.

#include "model/Operador.h"

#include <QPointer>
#include <QWidget>

namespace kolt::ui {

class OperadorQt : public model::Operador {
public:
    // Dialogs are owned by `ventana` once it exists.
    void FijarVentana(QWidget* ventana) { m_ventana = ventana; }

    void Mensaje(model::Icono icono, const QString& texto) override;
    QString ElegirArchivo(const QString& carpeta, const QString& titulo) override;
    QString ElegirCarpeta(const QString& inicio, const QString& titulo) override;
    void Abrir(const QString& direccion) override;

private:
    QPointer<QWidget> m_ventana;
};

} // namespace kolt::ui
