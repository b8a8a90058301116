#include "link/DialogoConectar.h"

#include "config/Historial.h"
#include "config/Indicativo.h"

namespace kolt::link {

namespace {

using config::Variante;

QString& CampoDe(config::Configuracion& c, CampoConectar campo)
{
    switch (campo) {
    case CampoConectar::HF: return c.connectWithHF;
    case CampoConectar::FM: return c.connectWithFM;
    case CampoConectar::SAT: return c.connectWithSAT;
    case CampoConectar::Via1: return c.via1;
    case CampoConectar::Via2: return c.via2;
    }
    return c.via2;
}

config::Historial& ListaDe(config::Configuracion& c, CampoConectar campo)
{
    switch (campo) {
    case CampoConectar::HF: return c.connectHFList;
    case CampoConectar::FM: return c.connectFMList;
    case CampoConectar::SAT: return c.connectSATList;
    case CampoConectar::Via1: return c.via1List;
    case CampoConectar::Via2: return c.via2List;
    }
    return c.via2List;
}

} // namespace

void ActualizarHistorial(config::Configuracion& c)
{
    for (CampoConectar campo : kCamposConectar)
        config::ActualizarHistorial(ListaDe(c, campo), CampoDe(c, campo));
}

QStringList EntradasHistorial(const config::Historial& lista)
{
    QStringList entradas;
    for (const QString& s : lista) {
        if (s.isEmpty()) break;
        entradas.append(s);
    }
    return entradas;
}

DialogoConectar::DialogoConectar(ServiciosConectar servicios) : m_s(std::move(servicios))
{
    for (CampoConectar campo : kCamposConectar)
        m_textos[Indice(campo)] = CampoDe(m_s.config, campo);
}

std::optional<bool> DialogoConectar::Visible(CampoConectar campo) const
{
    switch (m_s.config.koltMode.variante()) {
    case Variante::HF: return campo == CampoConectar::HF;
    case Variante::SAT: return campo == CampoConectar::SAT;
    case Variante::FM: return campo != CampoConectar::HF && campo != CampoConectar::SAT;
    case Variante::Ninguna: break;
    }
    return std::nullopt;
}

QStringList DialogoConectar::Lista(CampoConectar campo) const
{
    return EntradasHistorial(ListaDe(m_s.config, campo));
}

void DialogoConectar::FijarTexto(CampoConectar campo, const QString& texto)
{
    m_textos[Indice(campo)] = texto;
}

void DialogoConectar::Validar(CampoConectar campo)
{
    m_textos[Indice(campo)] = m_textos[Indice(campo)].toUpper();
}

bool DialogoConectar::Valido(CampoConectar campo, bool vacioValido) const
{
    std::string indicativo = Texto(campo).toStdString();
    if (indicativo.empty()) return vacioValido;
    return config::ComprobarIndicativo(indicativo);
}

std::optional<CampoConectar> DialogoConectar::Conectar()
{
    const config::ModoKolt& modo = m_s.config.koltMode;
    struct Comprobacion {
        Variante modo;
        CampoConectar campo;
        bool vacioValido; // a digipeater may be left out
    };
    const Comprobacion comprobaciones[] = {{Variante::HF, CampoConectar::HF, false},
                                           {Variante::FM, CampoConectar::FM, false},
                                           {Variante::SAT, CampoConectar::SAT, false},
                                           {Variante::FM, CampoConectar::Via1, true},
                                           {Variante::FM, CampoConectar::Via2, true}};
    for (const Comprobacion& c : comprobaciones) {
        if (modo != c.modo || Valido(c.campo, c.vacioValido)) continue;
        m_s.operador.Mensaje(model::Icono::Exclamacion, QStringLiteral("Invalid Call Sign"));
        return c.campo;
    }

    GuardarPorModo();
    ActualizarHistorial(m_s.config);
    m_s.guardar();
    m_s.conectar();
    return std::nullopt;
}

void DialogoConectar::GuardarPorModo()
{
    config::Configuracion& c = m_s.config;
    switch (c.koltMode.variante()) {
    case Variante::HF: c.connectWithHF = Texto(CampoConectar::HF); break;
    case Variante::FM:
        c.connectWithFM = Texto(CampoConectar::FM);
        c.via1 = Texto(CampoConectar::Via1);
        c.via2 = Texto(CampoConectar::Via2);
        break;
    case Variante::SAT: c.connectWithSAT = Texto(CampoConectar::SAT); break;
    case Variante::Ninguna: break;
    }
}

void DialogoConectar::Descargar()
{
    if (m_descargado) return;
    m_descargado = true;
    // At the program's close the settings are saved once, by the station.
    if (m_s.cerrando()) return;
    for (CampoConectar campo : kCamposConectar)
        if (!Valido(campo, true)) return;
    GuardarPorModo();
    m_s.guardar();
}

void DialogoConectar::AvisarConexion()
{
    m_s.conexionIniciada();
}

} // namespace kolt::link
