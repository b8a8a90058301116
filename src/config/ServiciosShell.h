#pragma once
// Shell services around the chat: the folder picker as the dialogs use it,
// and the web pages of the Help menu.

#include <QString>

#include <vector>

namespace kolt::model {
class Operador;
}

namespace kolt::config {

// Shows the operator's folder picker with `inicio` pre-selected. A trailing
// separator of `inicio` is removed first, and the caller's text keeps the
// shortened form (a bare root such as "/" or "C:\" stays as it is). Returns
// the chosen folder, or empty when the operator cancels.
QString ElegirCarpeta(model::Operador& operador, QString& inicio, const QString& titulo);

// One web-link item of the Help menu.
struct EnlaceAyuda {
    QString nombre;    // the menu item's name
    QString caption;   // what the menu shows
    QString direccion; // what opens: a web address or a document's path
};

// The five items, in menu order. The project has no public page: its own
// item opens the README installed beside the program.
std::vector<EnlaceAyuda> EnlacesAyuda(const QString& carpetaPrograma);

} // namespace kolt::config
