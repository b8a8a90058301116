#pragma once
// The pictures of the guide, drawn here so that no binary is committed.
// The status bar uses the program's own lamps and marks (ui/Iconos.h), so
// the guide shows what the window shows.

#include <QImage>
#include <QString>

#include <vector>

namespace kolt::guia {

struct Ilustracion {
    QString nombre; // the guide's Markdown refers to it as kolt:<nombre>
    QImage imagen;
};

std::vector<Ilustracion> Ilustraciones();

} // namespace kolt::guia
