#pragma once
// The rules of the broadcast dialog, apart from its widgets: what it shows
// when it opens, how long the message may be, what its send button and its
// closing do to the settings. frmBroadcast only binds them.

#include "config/Configuracion.h"

#include <QString>
#include <QStringList>

namespace kolt::broadcast {

class EnlaceKISS;

// What the dialog shows when it opens.
struct ContenidoDialogo {
    bool digisVisibles = false; // the digipeater boxes, in "KOLTFM" only
    QStringList listaVia1;      // the history slots up to the first empty one
    QStringList listaVia2;
    QString via1; // the boxes' text: "Via1" and "Via2"
    QString via2;
};
ContenidoDialogo CargarDialogoBroadcast(const config::Configuracion& c);

// The message cut to the 500 characters the box holds (never half of a
// character that needs two UTF-16 units).
QString LimitarMensaje(const QString& mensaje);
// The counter under the message: "12/500".
QString ContadorMensaje(const QString& mensaje);

// Moves "Via1" and "Via2" to the front of "Via1 List" and "Via2 List"; an
// empty one leaves its history as it was.
void ActualizarListasVia(config::Configuracion& c);

enum class CampoVia { Ninguno, Via1, Via2 };

struct ResultadoEnvio {
    bool cerrar = false;                   // the dialog closes (the broadcast went out)
    CampoVia invalido = CampoVia::Ninguno; // the box to put the focus in
};

// The send button: in "KOLTFM" checks both boxes ("Invalid Call Sign" for
// the first that fails, nothing sent) and stores them; then the histories,
// the settings file and the broadcast itself. The dialog stays open when the
// broadcast is refused, so that the message is not lost.
ResultadoEnvio PulsarEnviarBroadcast(EnlaceKISS& kiss, const QString& via1, const QString& via2,
                                     const QString& mensaje);

// The dialog closing: unless the program itself is closing (it saves
// everything then), both boxes must be valid call signs for anything to be
// kept; then "KOLTFM" stores them, and the settings are saved.
void AlCerrarDialogoBroadcast(EnlaceKISS& kiss, const QString& via1, const QString& via2);

} // namespace kolt::broadcast
