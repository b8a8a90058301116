#pragma once
// The few things the station logic needs a person (or the desktop) for.
// The window implements it with Qt dialogs; tests script the answers and
// record what was said. Message boxes are always titled "KOLT Chat".

#include <QString>

namespace kolt::model {

enum class Icono { Exclamacion, Critico, Informacion };

class Operador {
public:
    virtual ~Operador() = default;

    // A modal message box; returns when the operator has dismissed it.
    virtual void Mensaje(Icono icono, const QString& texto) = 0;

    // A file picker opened in `carpeta`; the chosen file's full path, or
    // empty when the operator cancels.
    virtual QString ElegirArchivo(const QString& carpeta, const QString& titulo) = 0;

    // A folder picker with `inicio` pre-selected; empty on cancel.
    virtual QString ElegirCarpeta(const QString& inicio, const QString& titulo) = 0;

    // Opens a document or web address with the desktop's program for it.
    virtual void Abrir(const QString& direccion) = 0;
};

} // namespace kolt::model
