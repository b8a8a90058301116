#pragma once
// The 15-slot histories of "KOLT Chat.ini" ("Connect HF List", "Via1 List"...):
// the value just used goes to the front and the others move down one place.

#include "config/Settings.h"

#include <algorithm>

namespace kolt::config {

// Moves `valor` to slot 0 of `lista`. When it is already in the list it
// leaves its old slot; otherwise slot 14 (the oldest) falls off. The value
// goes to the front even when empty: a dialog lists the slots only up to the
// first empty one, so an empty front hides the history.
inline void ActualizarHistorial(Historial& lista, const QString& valor)
{
    auto hueco = std::find(lista.begin(), lista.end(), valor);
    if (hueco == lista.end()) hueco = lista.end() - 1;
    std::move_backward(lista.begin(), hueco, hueco + 1);
    lista.front() = valor;
}

} // namespace kolt::config
