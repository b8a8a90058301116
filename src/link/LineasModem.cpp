#include "link/LineasModem.h"

namespace kolt::link {

std::vector<std::string> LineasModem::feed(std::string_view chunk)
{
    std::vector<std::string> lineas;
    for (char c : chunk) {
        switch (m_estado) {
        case Estado::TrasCR:
            m_estado = Estado::EnLinea;
            if (c == '\n') break; // CR LF ends one line, not two
            [[fallthrough]];
        case Estado::EnLinea:
            if (c == '\r') {
                lineas.push_back(std::move(m_linea));
                m_linea.clear();
                m_estado = Estado::TrasCR;
            } else if (m_linea.size() < kLineaMaxima) {
                m_linea.push_back(c);
            } else {
                m_linea.clear();
                m_estado = Estado::Descartando;
            }
            break;
        case Estado::Descartando:
            if (c == '\r') m_estado = Estado::TrasCR;
            break;
        }
    }
    return lineas;
}

void LineasModem::reset()
{
    m_linea.clear();
    m_estado = Estado::EnLinea;
}

LineaConectado ParsearConectado(std::string_view linea)
{
    LineaConectado r;
    std::size_t inicio = 0;
    while (true) {
        const std::size_t blanco = linea.find(' ', inicio);
        r.campos.emplace_back(linea.substr(inicio, blanco - inicio));
        if (blanco == std::string_view::npos) break;
        inicio = blanco + 1;
    }
    const auto& f = r.campos;
    if (f.size() > 1) r.estacion1 = f[1];
    if (f.size() > 2) r.estacion2 = f[2];
    if (f.size() >= 5) r.digi1 = f[4];
    if (f.size() >= 6 && f[5] != "NARROW" && f[5] != "WIDE") r.digi2 = f[5];
    return r;
}

} // namespace kolt::link
