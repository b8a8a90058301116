#include "config/Reintento.h"

namespace kolt::config {

Reintento::Reintento(std::function<void()> intento, int intervaloMs)
    : m_intento(std::move(intento)), m_intervaloMs(intervaloMs)
{
    m_espera.setSingleShot(true);
    QObject::connect(&m_espera, &QTimer::timeout, [this] { m_intento(); });
}

void Reintento::Pedir()
{
    if (m_espera.isActive()) return;
    const qint64 pasado = m_ultimo.isValid() ? m_ultimo.elapsed() : m_intervaloMs;
    if (pasado >= m_intervaloMs)
        m_intento();
    else
        m_espera.start(static_cast<int>(m_intervaloMs - pasado));
}

} // namespace kolt::config
