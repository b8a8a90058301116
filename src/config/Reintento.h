#pragma once
// Holds reconnection attempts to one per interval. A socket that falls
// after a quiet spell is tried again at once; a burst of refusals (nothing
// listening) waits out the rest of the interval instead of spinning.

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace kolt::config {

class Reintento {
public:
    explicit Reintento(std::function<void()> intento, int intervaloMs = 1000);

    // An attempt has just started (by the timer, a tick or a request).
    void Marcar() { m_ultimo.start(); }
    // A socket fell: try now, or as soon as the interval allows.
    void Pedir();
    void Detener() { m_espera.stop(); }
    bool Pendiente() const { return m_espera.isActive(); }

private:
    std::function<void()> m_intento;
    int m_intervaloMs;
    QTimer m_espera;
    QElapsedTimer m_ultimo;
};

} // namespace kolt::config
