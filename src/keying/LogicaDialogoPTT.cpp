#include "keying/LogicaDialogoPTT.h"

#include "keying/ComandosPTT.h"
#include "keying/PuertoRadio.h"
#include "keying/Catalogo.h"

#include <array>

namespace kolt::keying {

namespace {

// The model chosen when a brand is picked and "Rig" is not one of its own.
constexpr std::array<std::string_view, kMarcasOfrecidas> kModeloPorDefecto = {
    "IC-7300", "FT-897", "TS-2000", "K3", "Jupiter", "SmartSDR", "Perseus",
};

QString qtexto(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

const Radio& radioActual(const config::Configuracion& c)
{
    return CargarRadios().RadioNumero(c.rig);
}

} // namespace

LogicaDialogoPTT::LogicaDialogoPTT(config::Configuracion& ajustes, QStringList puertos,
                                   std::function<void()> alCambiar)
    : m_ajustes(ajustes), m_alCambiar(std::move(alCambiar))
{
    m_puertosCAT.elementos = puertos;
    m_puertosPTT.elementos = std::move(puertos);
}

void LogicaDialogoPTT::Cargar()
{
    // Only the first seven brands are offered; a "Rig" of the eighth
    // (Anytone) leaves the brand, model and speed lists unselected.
    const Catalogo& cat = CargarRadios();
    const QString marcaActual = qtexto(radioActual(m_ajustes).marca);
    m_marcas = {};
    for (int i = 0; i < kMarcasOfrecidas; ++i) {
        m_marcas.elementos << qtexto(cat.Marca(i));
        if (m_marcas.elementos.last() == marcaActual) SeleccionarMarca(i);
    }

    cargarPuertos(m_puertosPTT, m_ajustes.pttPort);
    cargarPuertos(m_puertosCAT, m_ajustes.catPort);

    SeleccionarPin(m_ajustes.pin);
    MarcarRTS(m_ajustes.rts == 1);
    MarcarDTR(m_ajustes.dtr == 1);
    SeleccionarVia(m_ajustes.via);
}

// The stored name, listed or not (COM17, a device unplugged now): falling
// back to another port would key another device. Only a blank name takes
// the first entry.
void LogicaDialogoPTT::cargarPuertos(ListaDialogo& lista, QString& ajuste)
{
    lista.seleccion = -1;
    if (!ajuste.trimmed().isEmpty())
        seleccionarPuerto(lista, ajuste, ajuste);
    else if (!lista.elementos.isEmpty())
        seleccionarPuerto(lista, ajuste, lista.elementos.first());
}

void LogicaDialogoPTT::seleccionarPuerto(ListaDialogo& lista, QString& ajuste,
                                         const QString& nombre)
{
    const QString limpio = nombre.trimmed();
    if (limpio.isEmpty()) return;
    if (!lista.elementos.contains(limpio)) lista.elementos << limpio;
    lista.seleccion = static_cast<int>(lista.elementos.indexOf(limpio));
    ajuste = limpio;
    avisarCambio();
}

void LogicaDialogoPTT::avisarCambio()
{
    if (m_alCambiar) m_alCambiar();
}

void LogicaDialogoPTT::SeleccionarPuertoCAT(const QString& nombre)
{
    seleccionarPuerto(m_puertosCAT, m_ajustes.catPort, nombre);
}

void LogicaDialogoPTT::SeleccionarPuertoPTT(const QString& nombre)
{
    seleccionarPuerto(m_puertosPTT, m_ajustes.pttPort, nombre);
}

void LogicaDialogoPTT::SeleccionarMarca(int indice)
{
    if (indice < 0 || indice >= m_marcas.elementos.size()) return;
    m_marcas.seleccion = indice;
    m_civVisible = false;

    const QString modeloActual = qtexto(radioActual(m_ajustes).modelo);
    m_modelos = {};
    for (std::string_view modelo : CargarRadios().Modelos(indice)) {
        m_modelos.elementos << qtexto(modelo);
        if (m_modelos.elementos.last() == modeloActual)
            SeleccionarModelo(static_cast<int>(m_modelos.elementos.size()) - 1);
    }
    if (m_modelos.seleccion < 0) {
        const QString defecto = qtexto(kModeloPorDefecto[static_cast<std::size_t>(indice)]);
        SeleccionarModelo(static_cast<int>(m_modelos.elementos.indexOf(defecto)));
    }
}

void LogicaDialogoPTT::SeleccionarModelo(int indice)
{
    if (indice < 0 || indice >= m_modelos.elementos.size()) return;
    const auto numero = CargarRadios().NumeroDeModelo(m_modelos.elementos[indice].toStdString());
    if (!numero) return;
    m_modelos.seleccion = indice;

    const int anterior = m_ajustes.rig;
    m_ajustes.rig = static_cast<std::uint8_t>(*numero);
    avisarCambio();
    const Radio& radio = radioActual(m_ajustes);

    m_baudios = {};
    for (std::string_view b : radio.Baudios())
        m_baudios.elementos << qtexto(b);
    const auto guardado = m_baudios.elementos.indexOf(m_ajustes.baud);
    SeleccionarBaudios(guardado >= 0 ? static_cast<int>(guardado) : 0);

    if (radio.direccionCIV.empty()) return;
    // A new model brings its own address; the same model brings back the
    // stored one, discarding what was typed.
    m_textoCIV = m_ajustes.rig != anterior ? qtexto(radio.direccionCIV) : m_ajustes.icomAddress;
    m_civVisible = true;
}

void LogicaDialogoPTT::SeleccionarBaudios(int indice)
{
    if (indice < 0 || indice >= m_baudios.elementos.size()) return;
    m_baudios.seleccion = indice;
    m_ajustes.baud = m_baudios.elementos[indice];
    avisarCambio();
}

void LogicaDialogoPTT::SeleccionarVia(int via)
{
    if (via < 1 || via > 3) return;
    m_via = via;
    m_ajustes.via = static_cast<std::uint8_t>(via);
    if (via == 1) {
        // "CAT" shows the address field for a CI-V radio and never hides it.
        if (!radioActual(m_ajustes).direccionCIV.empty()) m_civVisible = true;
    } else {
        m_civVisible = false;
    }
    avisarCambio();
}

void LogicaDialogoPTT::SeleccionarPin(int pin)
{
    if (pin < 1 || pin > 3) return;
    m_pin = pin;
    m_ajustes.pin = static_cast<std::uint8_t>(pin);
    avisarCambio();
}

void LogicaDialogoPTT::MarcarRTS(bool marcado)
{
    m_rts = marcado;
    m_ajustes.rts = marcado ? 1 : 0;
    avisarCambio();
}

void LogicaDialogoPTT::MarcarDTR(bool marcado)
{
    m_dtr = marcado;
    m_ajustes.dtr = marcado ? 1 : 0;
    avisarCambio();
}

void LogicaDialogoPTT::EscribirDireccionCIV(const QString& texto)
{
    m_textoCIV = texto;
}

VisibilidadPTT LogicaDialogoPTT::Visibilidad() const
{
    VisibilidadPTT v;
    const bool cat = m_via == 1;
    const bool com = m_via == 2;
    v.marca = v.modelo = v.puertoCAT = v.baudios = v.lineas = cat;
    v.puertoPTT = v.pin = com;
    v.puerto = cat || com;
    // Only "CAT" ever shows it; gating here also covers a stored "Via"
    // that selects no option at all.
    v.direccionCIV = cat && m_civVisible;
    return v;
}

CierrePTT LogicaDialogoPTT::Cerrar(bool cerrandoVentanaPrincipal)
{
    // Anything but one or two hex digits would key address 00, which every
    // radio on the CI-V bus obeys. A program on its way out closes the
    // dialog whatever it holds: nothing may keep it running.
    if (!cerrandoVentanaPrincipal && Visibilidad().direccionCIV &&
        !DireccionCIVValida(m_textoCIV.toStdString()))
        return {false, QStringLiteral("wrong Icom Address format"), false};
    // Stored even when hidden: the field holds what it last showed.
    m_ajustes.icomAddress = m_textoCIV.toUpper();
    avisarCambio();
    return {true, {}, !cerrandoVentanaPrincipal};
}

} // namespace kolt::keying
