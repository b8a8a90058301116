#pragma once
// File names on both ends of a transfer.
//
// The sender puts the chosen file's own name (no folder) into the payload.
// The receiver gets whatever name a station on the air chose to send, and
// writes a file with it into the operator's download folder: the name is
// reduced to one plain file name that every common file system accepts, so
// that it can only ever name a new file inside that folder.

#include <QString>

namespace kolt::transfer {

// Longest name the receiver keeps, in UTF-8 bytes: room for " (9999)" under
// the 255 bytes most file systems allow.
inline constexpr qsizetype kNombreMaximoUtf8 = 240;

// The name of the file at `ruta`, without its folder.
QString NombreDeRuta(const QString& ruta);

// The name as it travels: the receiver ends a name at its first "#", so each
// "#" becomes "_".
QString NombreParaEnviar(const QString& nombre);

// A received name made into a plain file name: every path separator (of any
// system), drive colon, control character and character Windows refuses
// becomes "_"; so do leading dots (no hidden files, no "..") and trailing
// dots and spaces; a Windows device name ("CON", "lpt1.txt") gets a leading
// "_"; a long name is cut, keeping a short extension. Empty gives "unnamed".
QString NombreSeguro(const QString& recibido);

// A received name as the receive screen may show it: control characters as
// "?", at most `maximo` characters (then "...").
QString NombreVisible(const QString& recibido, qsizetype maximo = 80);

// 'name', as the screen lines quote file names.
QString EntreComillas(const QString& nombre);

// The n-th other name for a file whose name is taken, the number before the
// extension (what follows the last dot): "a.txt", 2 -> "a (2).txt";
// "README", 1 -> "README (1)"; "a.tar.gz", 1 -> "a.tar (1).gz".
QString NombreNumerado(const QString& nombre, int n);

} // namespace kolt::transfer
