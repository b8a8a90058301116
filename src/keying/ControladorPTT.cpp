#include "keying/ControladorPTT.h"

#include "keying/ComandosPTT.h"
#include "keying/Catalogo.h"

#include <string>

namespace kolt::keying {

namespace {

constexpr int kViaCAT = 1;
constexpr int kViaCOM = 2;
constexpr int kPinRTS = 1;
constexpr int kPinDTR = 2;
constexpr int kPinAmbos = 3;

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

PanelPTT EstadoPanelPTT(bool transmitiendo)
{
    if (transmitiendo)
        return {QStringLiteral("TX"), QStringLiteral("LedRojo"), QStringLiteral("PTT ON")};
    return {QStringLiteral("RX"), QStringLiteral("LedVerde"), QStringLiteral("PTT OFF")};
}

ControladorPTT::ControladorPTT(const config::Configuracion& ajustes, LineaSerie& puerto,
                               ObservadorPTT& observador)
    : m_ajustes(ajustes), m_puerto(puerto), m_observador(observador)
{
}

ControladorPTT::Clave ControladorPTT::claveActual() const
{
    const config::Configuracion& a = m_ajustes;
    return {a.koltMode == config::Variante::FM,
            a.via,
            a.rig,
            a.icomAddress,
            a.pin,
            a.rts,
            a.dtr,
            a.baud,
            a.catPort,
            a.pttPort};
}

void ControladorPTT::AjustesCambiados()
{
    if (m_transmitiendo && claveActual() != m_claveTX) DesactivarPTT();
}

void ControladorPTT::AbrirPuertoRadio()
{
    // Closing does not unkey a CAT radio: tell it while the old port is open.
    if (m_transmitiendo) DesactivarPTT();
    CerrarPuertoRadio();
    const bool fm = m_ajustes.koltMode == config::Variante::FM;
    if (fm || (m_ajustes.via != kViaCAT && m_ajustes.via != kViaCOM)) return;

    const bool cat = m_ajustes.via == kViaCAT;
    const PuertoRadio puerto = ResolverPuerto(cat ? m_ajustes.catPort : m_ajustes.pttPort);
    const std::string texto = cat ? TextoAjustesCAT(CargarRadios().RadioNumero(m_ajustes.rig),
                                                    m_ajustes.baud.toStdString())
                                  : std::string(kAjustesCOM);

    const ResultadoApertura resultado = m_puerto.open(puerto.dispositivo, texto);
    if (!resultado.ok()) {
        m_observador.Avisar(MensajeFalloApertura(puerto, resultado));
        return;
    }
    // Opening raises both lines on Linux, which would key a radio wired for
    // line keying; set them as asked at once. A device without modem lines
    // refuses, and that is no reason to give up the port.
    m_puerto.setRts(cat && m_ajustes.rts == 1);
    m_puerto.setDtr(cat && m_ajustes.dtr == 1);
}

void ControladorPTT::CerrarPuertoRadio()
{
    if (!m_puerto.isOpen()) return;
    m_puerto.setRts(false);
    m_puerto.setDtr(false);
    m_puerto.close();
}

// The on and off commands come from one record, so they always match.
void ControladorPTT::enviarOrdenCAT(const Clave& clave, bool transmitir)
{
    const Radio& radio = CargarRadios().RadioNumero(static_cast<std::uint8_t>(clave.rig));
    const std::string orden = OrdenPTT(radio, transmitir, clave.icomAddress.toStdString());
    if (!orden.empty()) m_puerto.write(bytes(orden));
}

void ControladorPTT::ActivarPTT()
{
    m_transmitiendo = true;
    m_claveTX = claveActual();
    m_observador.MostrarPTT(true);
    const Clave& clave = m_claveTX;
    if (clave.fm) return;

    if (clave.via == kViaCAT) {
        enviarOrdenCAT(clave, true);
    } else if (clave.via == kViaCOM) {
        switch (clave.pin) {
        case kPinRTS: m_puerto.setRts(true); break;
        case kPinDTR: m_puerto.setDtr(true); break;
        case kPinAmbos:
            if (m_puerto.setRts(true)) m_puerto.setDtr(true);
            break;
        default: break;
        }
    }
}

void ControladorPTT::DesactivarPTT()
{
    const Clave clave = m_transmitiendo ? m_claveTX : claveActual();
    m_transmitiendo = false;
    m_observador.MostrarPTT(false);
    if (clave.fm) return;

    if (clave.via == kViaCAT) {
        enviarOrdenCAT(clave, false);
    } else if (clave.via == kViaCOM) {
        // Both lines, whatever the pin: the pin may have changed since keying.
        m_puerto.setRts(false);
        m_puerto.setDtr(false);
    }
}

} // namespace kolt::keying
