#pragma once
// Runs the event loop until a condition holds or the time runs out.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace kolt::test {

inline bool Esperar(const std::function<bool()>& condicion, int milisegundos = 5000)
{
    QDeadlineTimer limite(milisegundos);
    while (!condicion()) {
        if (limite.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Lets the event loop run for a while, for checks that something does NOT happen.
inline void Dejar(int milisegundos)
{
    Esperar([] { return false; }, milisegundos);
}

} // namespace kolt::test
