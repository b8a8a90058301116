#pragma once
// The one table of "KOLT Chat.ini": every key with its section, its name in
// the file and the field of the record that holds it, in the order the keys
// are written. The type of a key is the type of its field; the default of a
// key is the field's value in a default-constructed record, except for the
// folder and program paths, which depend on the machine.

#include "config/Configuracion.h"

#include <QString>

#include <cstdint>
#include <variant>
#include <vector>

namespace kolt::config {

using Campo =
    std::variant<std::uint8_t Configuracion::*, std::uint16_t Configuracion::*,
                 std::int16_t Configuracion::*, std::int32_t Configuracion::*,
                 QString Configuracion::*, Historial Configuracion::*, ModoKolt Configuracion::*>;

enum class Defecto {
    DelRegistro, // the field's value in Configuracion{}
    Escritorio,  // the desktop folder
    ModemHF,     // the modem program of each variant
    ModemFM,
    ModemSAT,
};

struct Clave {
    const char* seccion;
    QString nombre; // as written in the file
    Campo campo;
    int indice = -1; // slot of a history list, -1 for the others
    Defecto defecto = Defecto::DelRegistro;
    bool indicativo = false; // cleaned through the call-sign check at load
};

// All 116 keys in file order.
const std::vector<Clave>& TablaDeClaves();

} // namespace kolt::config
