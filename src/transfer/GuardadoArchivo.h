#pragma once
// Writing a received file into the download folder.
//
// The body goes into a temporary file in the same folder, is flushed to the
// disk, and only then takes its real name, by a rename that never replaces
// an existing file: when the name is taken, the file gets the first free
// name of "a (1).txt", "a (2).txt"... So a half-written file never shows
// under a real name, and no file already in the folder (the operator's own
// files, the session logs) is ever touched. When anything fails the
// temporary file is removed: nothing is left behind.

#include <QString>

#include <cstdint>
#include <span>

namespace kolt::transfer {

// Numbered names tried before giving up.
inline constexpr int kNumeradosMaximos = 9999;

struct Guardado {
    enum class Estado { Guardado, SinCarpeta, Fallo };
    Estado estado = Estado::Fallo;
    QString nombre; // Guardado: the name it was saved under
    QString error;  // Fallo: the system's reason
};

// `nombre` must already be a plain file name (NombreSeguro). The folder is
// not created when it is missing.
Guardado GuardarArchivo(const QString& carpeta, const QString& nombre,
                        std::span<const std::uint8_t> cuerpo);

} // namespace kolt::transfer
