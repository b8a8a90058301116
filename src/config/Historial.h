#pragma once
// The 15-slot histories of "KOLT Chat.ini" ("Connect HF List", "Via1 List"...):
// the value just used goes to the front and the others move down one place.

#include "config/Configuracion.h"

#include <algorithm>

namespace kolt::config {

// Moves `valor` to slot 0 of `lista`. When it is already in the list it
// leaves its old slot; otherwise slot 14 (the oldest) falls off. An empty
// value changes nothing: a dialog lists the slots only up to the first
// empty one, so an empty entry would hide the history behind it. Empty
// slots left inside the list by older files close up at the same time.
inline void ActualizarHistorial(Historial& lista, const QString& valor)
{
    if (valor.isEmpty()) return;
    auto hueco = std::find(lista.begin(), lista.end(), valor);
    if (hueco == lista.end()) hueco = lista.end() - 1;
    std::move_backward(lista.begin(), hueco, hueco + 1);
    lista.front() = valor;
    std::stable_partition(lista.begin(), lista.end(),
                          [](const QString& s) { return !s.isEmpty(); });
}

} // namespace kolt::config
