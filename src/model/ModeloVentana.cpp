#include "model/ModeloVentana.h"

#include <algorithm>
#include <iterator>

namespace kolt::model {

QString ClavePanel(Panel p)
{
    switch (p) {
    case Panel::Margen1: return QStringLiteral("Margen1");
    case Panel::PTT: return QStringLiteral("PTT");
    case Panel::Indicativos: return QStringLiteral("Indicativos");
    case Panel::Bytes: return QStringLiteral("Bytes");
    case Panel::TCP: return QStringLiteral("TCP");
    }
    return {};
}

QString NombreControl(Control c)
{
    static const char* const nombres[] = {
        "mnuSetup",     "mnuPTT",        "mnuSize10",     "mnuSize11",      "mnuSize12",
        "mnuSize16",    "mnuSize20",     "mnuColorNegro", "mnuColorBlanco", "mnuMode",
        "mnuKOLTHF",    "mnuKOLTFM1200", "mnuKOLTSAT",    "mnuConnect",     "mnuCQ",
        "mnuBroadcast", "mnuStop",       "mnuClear",      "mnuSendFile",    "mnuGuide",
        "mnuChangeLog", "mnuAbout",      "cmdEnviar",     "lblWait",        "ProgressBar",
        "txtTXChat"};
    static_assert(std::size(nombres) == kControles);
    return QString::fromLatin1(nombres[std::size_t(c)]);
}

ModeloVentana::ModeloVentana()
{
    m_paneles[static_cast<int>(Panel::TCP)].texto = QStringLiteral("TCP");
    // As the window is designed: nothing in flight, no link yet.
    for (Control oculto : {Control::cmdEnviar, Control::ProgressBar, Control::lblWait})
        m_controles[std::size_t(oculto)].visible = false;
    for (Control inactivo : {Control::mnuStop, Control::mnuSendFile, Control::mnuMode})
        m_controles[std::size_t(inactivo)].enabled = false;
}

void ModeloVentana::AgregarRecepcion(const QString& texto)
{
    if (texto.isEmpty()) return;
    m_recepcion += texto;
    emit recepcionAgregada(texto);
}

void ModeloVentana::AgregarRecepcionCortando(const QString& texto, qsizetype maximo)
{
    if (m_recepcion.size() + texto.size() <= maximo) {
        AgregarRecepcion(texto);
        return;
    }
    m_recepcion += texto;
    emit recepcionAgregada(texto);
    m_recepcion = m_recepcion.right(maximo);
    emit recepcionReemplazada();
}

void ModeloVentana::LimpiarRecepcion()
{
    m_recepcion.clear();
    emit recepcionReemplazada();
}

void ModeloVentana::FijarTextoTransmision(const QString& texto)
{
    if (texto == m_transmision) return;
    m_transmision = texto;
    emit transmisionCambiada();
}

void ModeloVentana::Habilitar(Control control, bool enabled)
{
    EstadoControl& c = m_controles[std::size_t(control)];
    if (c.enabled == enabled) return;
    c.enabled = enabled;
    emit controlesCambiados();
}

void ModeloVentana::Habilitar(std::initializer_list<Control> controles, bool enabled)
{
    for (Control c : controles)
        Habilitar(c, enabled);
}

void ModeloVentana::Mostrar(Control control, bool visible)
{
    EstadoControl& c = m_controles[std::size_t(control)];
    if (c.visible == visible) return;
    c.visible = visible;
    emit controlesCambiados();
}

void ModeloVentana::Marcar(Control control, bool checked)
{
    EstadoControl& c = m_controles[std::size_t(control)];
    if (c.checked == checked) return;
    c.checked = checked;
    emit controlesCambiados();
}

void ModeloVentana::FijarPanel(Panel p, const EstadoPanel& estado)
{
    EstadoPanel& actual = m_paneles[static_cast<int>(p)];
    if (actual == estado) return;
    actual = estado;
    emit panelesCambiados();
}

void ModeloVentana::FijarTextoPanel(Panel p, const QString& texto)
{
    EstadoPanel e = panel(p);
    e.texto = texto;
    FijarPanel(p, e);
}

void ModeloVentana::FijarImagenPanel(Panel p, const QString& imagen)
{
    EstadoPanel e = panel(p);
    e.imagen = imagen;
    FijarPanel(p, e);
}

void ModeloVentana::FijarTooltipPanel(Panel p, const QString& tooltip)
{
    EstadoPanel e = panel(p);
    e.tooltip = tooltip;
    FijarPanel(p, e);
}

void ModeloVentana::FijarProgreso(int valor)
{
    valor = std::clamp(valor, 0, 100);
    if (valor == m_progreso) return;
    m_progreso = valor;
    emit progresoCambiado();
}

void ModeloVentana::FijarTitulo(const QString& titulo)
{
    if (titulo == m_titulo) return;
    m_titulo = titulo;
    emit tituloCambiado();
}

void ModeloVentana::FijarFuente(int puntos)
{
    m_fuente = puntos;
    emit aspectoCambiado();
}

void ModeloVentana::FijarColores(quint32 fondo, quint32 letra)
{
    m_fondo = fondo;
    m_letra = letra;
    emit aspectoCambiado();
}

void ModeloVentana::FijarGeometria(const Geometria& g)
{
    m_geometria = g;
    emit geometriaCambiada();
}

} // namespace kolt::model
