#pragma once
// Starts the modem program beside the chat and ends it again. Only the
// program started last is remembered, and one started by hand is never
// touched: there is no handle to it.

#include <QProcess>
#include <QString>

#include <memory>
#include <vector>

namespace kolt::config {

class LanzadorModem {
public:
    LanzadorModem() = default;
    LanzadorModem(const LanzadorModem&) = delete;
    LanzadorModem& operator=(const LanzadorModem&) = delete;

    // Starts the program at `ruta`. Failures are ignored: the sockets keep
    // retrying until some modem listens.
    void LanzarModem(const QString& ruta);

    // Ends the program started last, if it still runs.
    void CerrarModem();

    bool EnMarcha() const;

private:
    std::unique_ptr<QProcess> m_proceso;
    // Programs started before the last one: no longer ours to stop, but
    // their handles must live as long as the chat.
    std::vector<std::unique_ptr<QProcess>> m_anteriores;
};

} // namespace kolt::config
