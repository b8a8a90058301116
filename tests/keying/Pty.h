#pragma once
// A pseudo-terminal pair: the program opens the slave as its radio port,
// the test reads what arrives at the master.

#include <QString>

#include <cstdint>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace kolt::keying::test {

class Pty {
public:
    Pty()
    {
        char nombre[256] = {};
        if (::openpty(&m_maestro, &m_esclavo, nombre, nullptr, nullptr) != 0) return;
        ::fcntl(m_maestro, F_SETFL, ::fcntl(m_maestro, F_GETFL) | O_NONBLOCK);
        m_nombre = QString::fromLocal8Bit(nombre);
    }
    ~Pty()
    {
        if (m_maestro >= 0) ::close(m_maestro);
        if (m_esclavo >= 0) ::close(m_esclavo); // held open so the pair lives between our opens
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& esclavo() const { return m_nombre; }

    // The expected length, waiting up to two seconds, then anything more
    // that follows within a short while.
    std::string recibir(std::size_t esperados)
    {
        std::string recibido = leer(esperados, 2000);
        return recibido + leer(SIZE_MAX, 50);
    }

    // Reads until `cuantos` bytes have come or `ms` pass without any.
    std::string leer(std::size_t cuantos, int ms)
    {
        std::string recibido;
        char buffer[64];
        pollfd p{m_maestro, POLLIN, 0};
        while (recibido.size() < cuantos && ::poll(&p, 1, ms) > 0) {
            const ssize_t n = ::read(m_maestro, buffer, sizeof buffer);
            if (n <= 0) break;
            recibido.append(buffer, static_cast<std::size_t>(n));
        }
        return recibido;
    }

private:
    int m_maestro = -1;
    int m_esclavo = -1;
    QString m_nombre;
};

} // namespace kolt::keying::test
