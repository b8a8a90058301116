#include "link/EstadoEnlace.h"

#include "config/RelojUTC.h"

namespace kolt::link {

using model::Control;
using model::EstadoPanel;
using model::Panel;

EstadoEnlace::EstadoEnlace(model::ModeloVentana& modelo, const config::Configuracion& config,
                           transfer::EstadoTransmision& transmision,
                           std::function<bool()> modemArriba)
    : m_modelo(modelo), m_config(config), m_transmision(transmision),
      m_modemArriba(std::move(modemArriba))
{
}

void EstadoEnlace::MostrarConectando()
{
    m_enlace.llamadaPropia = true;
    m_enlace.desconectando = false;
    m_modelo.Habilitar(Control::mnuStop, true);

    EstadoPanel indicativos = m_modelo.panel(Panel::Indicativos);
    if (const QString* destino = config::DestinoDelModo(m_config))
        indicativos.texto = QStringLiteral("Connecting with ") + *destino + QStringLiteral(" ...");
    indicativos.imagen.clear();
    indicativos.tooltip.clear();
    m_modelo.FijarPanel(Panel::Indicativos, indicativos);

    m_modelo.Habilitar({Control::mnuConnect, Control::mnuCQ, Control::mnuBroadcast}, false);
}

void EstadoEnlace::Establecido(const LineaConectado& c)
{
    if (c.campos.size() > 1) m_enlace.estacion1 = QString::fromStdString(c.estacion1);
    if (c.campos.size() > 2) m_enlace.estacion2 = QString::fromStdString(c.estacion2);
    m_enlace.digi1 = QString::fromStdString(c.digi1);
    m_enlace.digi2 = QString::fromStdString(c.digi2);
    m_transmision.ultimoEmisor = transfer::Emisor::Nadie;
    m_modelo.AgregarRecepcion(QStringLiteral("\r\n          ******* ") + m_enlace.Texto() +
                              QStringLiteral(" *******  ") + config::HoraUTC() +
                              QStringLiteral("\r\n\r\n"));
    m_enlace.enlazado = true;
    if (!m_enlace.desconectando) m_modelo.Habilitar(Control::mnuStop, true);
    m_modelo.Mostrar(Control::cmdEnviar, true);
    m_modelo.Habilitar(Control::mnuSendFile, true);
    Actualizar();
}

void EstadoEnlace::Desconectando()
{
    m_enlace.desconectando = true;
    m_modelo.Habilitar(Control::mnuStop, false);
    m_modelo.Mostrar(Control::cmdEnviar, false);
    m_modelo.Habilitar(Control::mnuSendFile, false);
    m_modelo.FijarTextoPanel(Panel::Indicativos, QStringLiteral("Disconnecting..."));
}

void EstadoEnlace::Reiniciar()
{
    m_enlace.enlazado = false;
    m_enlace.llamadaPropia = false;
    m_enlace.desconectando = false;
}

void EstadoEnlace::Actualizar()
{
    // Heard at once, while the operator may be typing: the link came up or went down.
    const bool enlazado = m_modemArriba() && m_enlace.enlazado;
    if (enlazado != m_anunciado) {
        m_anunciado = enlazado;
        m_modelo.Anunciar((enlazado ? QStringLiteral("Link up: ") : QStringLiteral("Link down: ")) +
                          m_enlace.Texto());
    }
    const auto mostrarDesconectado = [this] {
        m_modelo.Habilitar(Control::mnuStop, false);
        m_modelo.Mostrar(Control::cmdEnviar, false);
        m_modelo.Habilitar(Control::mnuSendFile, false);
        m_modelo.FijarPanel(Panel::Indicativos, {QStringLiteral("Disconnected"), QString(),
                                                 QStringLiteral("Modem Disconnected")});
        m_transmision.ecoPendiente.clear();
        m_modelo.FijarPanel(Panel::Bytes, {});
        m_modelo.Mostrar(Control::ProgressBar, false);
        m_modelo.FijarProgreso(0);
        m_modelo.Habilitar(Control::txtTXChat, true);
    };

    if (!m_modemArriba()) {
        mostrarDesconectado();
    } else if (m_enlace.enlazado) {
        m_modelo.Habilitar({Control::mnuConnect, Control::mnuCQ, Control::mnuBroadcast}, false);
        if (!m_enlace.desconectando)
            m_modelo.FijarPanel(Panel::Indicativos, {m_enlace.Texto(), QStringLiteral("Connected"),
                                                     QStringLiteral("Modem Connected")});
    } else {
        m_modelo.Habilitar({Control::mnuConnect, Control::mnuCQ, Control::mnuBroadcast}, true);
        mostrarDesconectado();
    }
    m_modelo.Mostrar(Control::lblWait, false);
}

} // namespace kolt::link
