#include "config/LanzadorModem.h"

#include <QFileInfo>

namespace kolt::config {

namespace {
constexpr int kEsperaFinMs = 3000;
}

void LanzadorModem::LanzarModem(const QString& ruta)
{
    if (EnMarcha()) m_anteriores.push_back(std::move(m_proceso));

    m_proceso = std::make_unique<QProcess>();
    m_proceso->setProgram(ruta);
    m_proceso->setWorkingDirectory(QFileInfo(ruta).absolutePath());
    // The modem's console output is its own business; do not let it fill a pipe.
    m_proceso->setStandardOutputFile(QProcess::nullDevice());
    m_proceso->setStandardErrorFile(QProcess::nullDevice());
    m_proceso->start();
}

void LanzadorModem::CerrarModem()
{
    if (!EnMarcha()) return;
    m_proceso->terminate();
    if (!m_proceso->waitForFinished(kEsperaFinMs)) {
        m_proceso->kill();
        m_proceso->waitForFinished(kEsperaFinMs);
    }
}

bool LanzadorModem::EnMarcha() const
{
    return m_proceso && m_proceso->state() != QProcess::NotRunning;
}

} // namespace kolt::config
