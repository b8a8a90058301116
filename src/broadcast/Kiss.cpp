#include "broadcast/Kiss.h"

namespace kolt::broadcast {

std::vector<std::uint8_t> CodificarKISS(std::span<const std::uint8_t> trama, std::uint8_t comando)
{
    std::vector<std::uint8_t> salida;
    salida.reserve(trama.size() + 4 + trama.size() / 8);
    auto escapar = [&](std::uint8_t b) {
        if (b == kFEND) {
            salida.insert(salida.end(), {kFESC, kTFEND});
        } else if (b == kFESC) {
            salida.insert(salida.end(), {kFESC, kTFESC});
        } else {
            salida.push_back(b);
        }
    };
    salida.push_back(kFEND);
    escapar(comando);
    for (std::uint8_t b : trama)
        escapar(b);
    salida.push_back(kFEND);
    return salida;
}

std::vector<TramaKISS> ReensambladorKISS::feed(std::span<const std::uint8_t> chunk)
{
    std::vector<TramaKISS> salida;
    for (std::uint8_t b : chunk) {
        switch (m_estado) {
        case Estado::Sincronizando:
            if (b == kFEND) m_estado = Estado::EnTrama;
            break;
        case Estado::EnTrama:
            if (b == kFEND) {
                cerrar(salida);
            } else if (b == kFESC) {
                m_estado = Estado::TrasEscape;
            } else {
                anadir(b);
            }
            break;
        case Estado::TrasEscape:
            if (b == kFEND) {
                // The escaped byte never came: the frame is cut short.
                descartar();
                m_estado = Estado::EnTrama;
            } else if (b == kTFEND || b == kTFESC) {
                m_estado = Estado::EnTrama;
                anadir(b == kTFEND ? kFEND : kFESC);
            } else {
                m_estado = Estado::EnTrama;
                anadir(kFESC);
                if (m_estado != Estado::EnTrama) break; // that byte overflowed
                if (b == kFESC) {
                    m_estado = Estado::TrasEscape;
                } else {
                    anadir(b);
                }
            }
            break;
        }
    }
    return salida;
}

void ReensambladorKISS::reset()
{
    m_estado = Estado::Sincronizando;
    m_trama.clear();
}

void ReensambladorKISS::anadir(std::uint8_t byte)
{
    if (m_trama.size() >= m_maxima) {
        descartar();
        m_estado = Estado::Sincronizando;
        return;
    }
    m_trama.push_back(byte);
}

void ReensambladorKISS::cerrar(std::vector<TramaKISS>& salida)
{
    if (!m_trama.empty()) {
        TramaKISS t;
        t.comando = m_trama.front();
        t.ax25.assign(m_trama.begin() + 1, m_trama.end());
        salida.push_back(std::move(t));
    }
    m_trama.clear();
}

void ReensambladorKISS::descartar()
{
    ++m_descartadas;
    m_trama.clear();
}

} // namespace kolt::broadcast
