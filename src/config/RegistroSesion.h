#pragma once
// The session log: at close, the receive screen is appended to one file per
// local day and modem variant in the download folder, as ANSI text.

#include "config/Configuracion.h"

#include <QDate>
#include <QString>

namespace kolt::config {

// How much of the screen one run appends, its closing CR LF included.
inline constexpr qsizetype kMaximoLog = 60000;

// "KOLT Chat HF 2024_03_07.log" and the like; empty for an unknown mode.
QString NombreLog(Variante variante, const QDate& fechaLocal);

// Appends the last 60,000 characters of `pantalla` (counted with the CR LF
// added to its end) and one more CR LF. Returns false, having written
// nothing, when "Save Log" is 0, the screen is empty, the mode is unknown,
// the download folder is unset or the file cannot be written: the close of
// the program must go on whatever happens here.
bool GuardarLog(const QString& pantalla, const Configuracion& c, const QDate& fechaLocal);

} // namespace kolt::config
