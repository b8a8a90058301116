#pragma once
// The pictures of the window, drawn rather than shipped: status lamps and
// state marks by the keys the logic uses ("LedRojo", "Connected"...), the
// Send button's arrow and the program's icon.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kolt::ui {

// The picture of an image-list key, or a null pixmap for an unknown key.
QPixmap Imagen(const QString& clave, int lado = 16);

QIcon IconoEnviar();
QIcon IconoPrograma();

} // namespace kolt::ui
