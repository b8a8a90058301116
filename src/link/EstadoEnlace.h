#pragma once
// The state of the radio link and how the window shows it: the flags of the
// current call, the banner of a new link, and the controls and status
// panels of each state (modem down, linked, idle).

#include "config/Configuracion.h"
#include "link/LineasModem.h"
#include "model/Enlace.h"
#include "model/ModeloVentana.h"
#include "transfer/EstadoTransferencia.h"

#include <functional>

namespace kolt::link {

class EstadoEnlace {
public:
    EstadoEnlace(model::ModeloVentana& modelo, const config::Configuracion& config,
                 transfer::EstadoTransmision& transmision, std::function<bool()> modemArriba);

    model::Enlace& enlace() { return m_enlace; }

    // A call to the variant's destination goes out.
    void MostrarConectando();
    // The modem's "CONNECTED" line: the link record, the banner, the controls.
    void Establecido(const LineaConectado& linea);
    // An end of the link was asked for ("ABORT").
    void Desconectando();
    // The link is over: no call of ours, nothing being ended.
    void Reiniciar();
    // The controls and panels for the state the link and the modem are in.
    void Actualizar();

private:
    model::ModeloVentana& m_modelo;
    const config::Configuracion& m_config;
    transfer::EstadoTransmision& m_transmision;
    std::function<bool()> m_modemArriba;
    model::Enlace m_enlace;
    bool m_anunciado = false; // the link state the operator last heard
};

} // namespace kolt::link
