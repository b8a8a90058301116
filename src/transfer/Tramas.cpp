#include "transfer/Tramas.h"

#include <algorithm>

namespace kolt::transfer {

namespace {

bool EsMarcador(std::uint8_t b)
{
    return b == ' ' || b == '#' || b == '$';
}

} // namespace

std::string_view DescribirError(ErrorTrama e)
{
    switch (e) {
    case ErrorTrama::NoEsDigito: return "not a digit before the marker";
    case ErrorTrama::MarcadorAlInicio: return "marker with no length";
    case ErrorTrama::LongitudExcesiva: return "length above the largest frame";
    }
    return "unknown";
}

std::string Cabecera(std::size_t longitud, Marcador marcador)
{
    std::string h = std::to_string(longitud);
    h.push_back(static_cast<char>(marcador));
    return h;
}

LectorCabecera::Paso LectorCabecera::Leer(std::uint8_t byte)
{
    if (byte >= '0' && byte <= '9') {
        ++m_digitos;
        m_valor = m_valor * 10 + static_cast<std::uint32_t>(byte - '0');
        // Checked at every digit, so the value never grows past 8 digits.
        if (m_digitos > kDigitosMaximos || m_valor > kCargaMaxima) {
            m_error = ErrorTrama::LongitudExcesiva;
            return Paso::Invalida;
        }
        return Paso::Sigue;
    }
    if (EsMarcador(byte)) {
        if (m_digitos == 0) {
            m_error = ErrorTrama::MarcadorAlInicio;
            return Paso::Invalida;
        }
        m_marcador = static_cast<Marcador>(byte);
        return Paso::Completa;
    }
    m_error = ErrorTrama::NoEsDigito;
    return Paso::Invalida;
}

bool EsCabecera(std::span<const std::uint8_t> bytes)
{
    LectorCabecera lector;
    for (std::uint8_t b : bytes.first(std::min(bytes.size(), kCabeceraMaxima))) {
        switch (lector.Leer(b)) {
        case LectorCabecera::Paso::Sigue: continue;
        case LectorCabecera::Paso::Completa: return true;
        case LectorCabecera::Paso::Invalida: return false;
        }
    }
    return false;
}

bool ReceptorTramas::enTrama() const
{
    return m_estado == Estado::Carga || (m_estado == Estado::Cabecera && m_recibidos > 0);
}

void ReceptorTramas::reset()
{
    m_estado = Estado::Cabecera;
    m_lector = {};
    m_restante = 0;
    m_trama = {};
    m_recibidos = 0;
    m_esperados = 0;
}

const std::vector<EventoTrama>& ReceptorTramas::feed(std::span<const std::uint8_t> chunk)
{
    m_eventos.clear();
    std::size_t i = 0;
    while (i < chunk.size()) {
        switch (m_estado) {
        case Estado::Fallido: return m_eventos;

        case Estado::Cabecera: {
            const LectorCabecera::Paso paso = m_lector.Leer(chunk[i++]);
            ++m_recibidos;
            if (paso == LectorCabecera::Paso::Invalida) {
                m_estado = Estado::Fallido;
                EventoTrama e;
                e.tipo = EventoTrama::Tipo::Error;
                e.error = m_lector.error();
                m_eventos.push_back(e);
                return m_eventos;
            }
            if (paso == LectorCabecera::Paso::Sigue) break;
            m_restante = m_lector.longitud();
            m_esperados = m_recibidos + m_restante;
            m_trama.tipo = EventoTrama::Tipo::Inicio;
            m_trama.marcador = m_lector.marcador();
            m_trama.longitud = m_restante;
            m_trama.cabecera = static_cast<std::uint8_t>(m_recibidos);
            m_eventos.push_back(m_trama);
            m_lector = {};
            if (m_restante == 0)
                Terminar();
            else
                m_estado = Estado::Carga;
            break;
        }

        case Estado::Carga: {
            const std::size_t n = std::min<std::size_t>(m_restante, chunk.size() - i);
            EventoTrama pieza;
            pieza.tipo = EventoTrama::Tipo::Carga;
            pieza.carga = chunk.subspan(i, n);
            m_eventos.push_back(pieza);
            i += n;
            m_recibidos += n;
            m_restante -= static_cast<std::uint32_t>(n);
            if (m_restante == 0) Terminar();
            break;
        }
        }
    }
    return m_eventos;
}

void ReceptorTramas::Terminar()
{
    EventoTrama fin = m_trama;
    fin.tipo = EventoTrama::Tipo::Fin;
    m_eventos.push_back(fin);
    m_estado = Estado::Cabecera;
    m_recibidos = 0;
    m_esperados = 0;
}

std::uint64_t DividirAlPar(std::uint64_t n, std::uint64_t d)
{
    std::uint64_t q = n / d;
    const std::uint64_t r = n % d;
    if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
    return q;
}

int Porcentaje(std::uint64_t parte, std::uint64_t total)
{
    if (total == 0) return 0;
    return static_cast<int>(DividirAlPar(parte * 100, total));
}

} // namespace kolt::transfer
