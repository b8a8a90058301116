#pragma once
// The settings store: the only code that touches "KOLT Chat.ini".
//
// The file is read whole at load and again at every save, so that lines the
// program does not own (comments, keys and sections of other tools, edits
// made by hand) survive a save; the program's own keys are rewritten in
// place, and the file is replaced in one rename so that a crash or a full
// disk never leaves half a file behind.
//
// The record's window fields are the caller's business: before a save the
// main window stores its state into windowState and, when that state is
// normal (0), its size into terminalWidth and terminalHeight (TomarVentana
// does exactly that). Dialogs that save on their own leave them alone.

#include "config/Configuracion.h"
#include "config/TextoIni.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace kolt::config {

inline const QString kNombreIni = QStringLiteral("KOLT Chat.ini");

// Where "KOLT Chat.ini" lives: the program's folder when files can be
// created there, otherwise the per-user folder (created when missing).
QString CarpetaAjustes(const QString& carpetaPrograma, const QString& carpetaUsuario);
// The same for this process: the executable's folder and
// QStandardPaths::AppConfigLocation.
QString CarpetaAjustes();
// The default of the "Path" keys: the current user's desktop folder when it
// exists, else the download folder, else the home folder.
QString CarpetaEscritorio();

// The window as it stands at a save (twips; state 0 normal, 1 minimised,
// 2 maximised).
struct EstadoVentana {
    std::int16_t estado = 0;
    std::int32_t ancho = 0;
    std::int32_t alto = 0;
};
void TomarVentana(Configuracion& c, const EstadoVentana& ventana);

struct Clave;

class AlmacenAjustes {
public:
    // `carpetaPrograma` holds the stand-in modem that the modem paths point
    // to by default on platforms other than Windows.
    AlmacenAjustes(QString archivoIni, QString escritorio, QString carpetaPrograma);

    // One key of the document read last: the default when the section or the
    // key is missing, the stored text (maybe empty) otherwise.
    QString LeerINI(const QString& seccion, const QString& clave, const QString& porDefecto) const;
    // Sets one key of the document; the file changes at the next save.
    void EscribirINI(const QString& seccion, const QString& clave, const QString& valor);

    // Reads the file and fills every field: the stored value when it is
    // usable, the key's default otherwise.
    void CargarConfiguracion(Configuracion& c);

    // Writes every key of the record. False when the file could not be
    // written; the file on disk is then the one there was before.
    bool GuardarConfiguracion(Configuracion& c,
                              const std::optional<EstadoVentana>& ventana = std::nullopt);

    // A file larger than this is not a settings file: it reads as absent.
    static constexpr qint64 kTamanoMaximo = 256 * 1024;

private:
    // False only when the file exists but cannot be read; a missing or
    // oversized file reads as an empty document.
    bool leerArchivo();
    QString porDefecto(const Clave& clave) const;

    QString m_archivo;
    QString m_escritorio;
    QString m_carpetaPrograma;
    TextoIni m_ini;
};

} // namespace kolt::config
