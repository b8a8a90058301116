#include "config/LanzadorModem.h"

#include "link/Operador.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace kolt::config {

namespace {

constexpr int kEsperaFinMs = 3000;
// What the rest of the group (wine's helpers) gets to tidy up once the
// program itself has gone.
constexpr int kEsperaGrupoMs = 1000;

#ifdef Q_OS_UNIX
bool GrupoVivo(qint64 grupo)
{
    return ::kill(static_cast<pid_t>(-grupo), 0) == 0 || errno == EPERM;
}

void SenalAlGrupo(qint64 grupo, int senal)
{
    if (grupo > 0) ::kill(static_cast<pid_t>(-grupo), senal);
}
#endif

} // namespace

LanzadorModem::~LanzadorModem() = default;

bool NecesitaWine(const QString& ruta)
{
#ifdef Q_OS_WIN
    Q_UNUSED(ruta);
    return false;
#else
    return ruta.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
#endif
}

QString TextoFaltaWine(const QString& ruta)
{
    return QStringLiteral("Wine not found: %1 is a Windows program and needs Wine to run. "
                          "Install Wine (the \"wine\" command) to start it.")
        .arg(ruta);
}

QString LanzadorModem::BuscarWine() const
{
    return m_busquedaWine.isEmpty()
               ? QStandardPaths::findExecutable(QStringLiteral("wine"))
               : QStandardPaths::findExecutable(QStringLiteral("wine"), m_busquedaWine);
}

LanzadorModem::Impedimento LanzadorModem::Comprobar(const QString& ruta) const
{
    if (!QFileInfo::exists(ruta)) return Impedimento::FaltaArchivo;
    if (NecesitaWine(ruta) && BuscarWine().isEmpty()) return Impedimento::FaltaWine;
    return Impedimento::Ninguno;
}

LanzadorModem::Resultado LanzadorModem::LanzarModem(const QString& ruta)
{
    QString programa = ruta;
    QStringList argumentos;
    if (NecesitaWine(ruta)) {
        programa = BuscarWine();
        if (programa.isEmpty()) return Resultado::FaltaWine;
        argumentos << ruta;
    }

    if (EnMarcha()) m_anteriores.push_back(std::move(m_proceso));
    m_proceso = std::make_unique<QProcess>();
    m_proceso->setProgram(programa);
    m_proceso->setArguments(argumentos);
    m_proceso->setWorkingDirectory(QFileInfo(ruta).absolutePath());
    // The modem's console output is its own business; do not let it fill a pipe.
    m_proceso->setStandardOutputFile(QProcess::nullDevice());
    m_proceso->setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // A group of its own: CerrarModem ends the children too, and a Ctrl-C
    // meant for the chat's terminal reaches only the chat, which closes the
    // modem in its own order.
    m_proceso->setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    m_proceso->start();
    return Resultado::Lanzado;
}

void LanzadorModem::CerrarModem()
{
    if (!EnMarcha()) return;
#ifdef Q_OS_UNIX
    const qint64 grupo = m_proceso->processId();
    SenalAlGrupo(grupo, SIGTERM);
    if (!m_proceso->waitForFinished(kEsperaFinMs)) {
        SenalAlGrupo(grupo, SIGKILL);
        m_proceso->waitForFinished(kEsperaFinMs);
    }
    // The leader has gone; what it started may still be on its way out.
    const QDeadlineTimer limite(kEsperaGrupoMs);
    while (grupo > 0 && GrupoVivo(grupo) && !limite.hasExpired())
        QThread::msleep(10);
    if (grupo > 0 && GrupoVivo(grupo)) SenalAlGrupo(grupo, SIGKILL);
#else
    m_proceso->terminate();
    if (!m_proceso->waitForFinished(kEsperaFinMs)) {
        m_proceso->kill();
        m_proceso->waitForFinished(kEsperaFinMs);
    }
#endif
}

bool LanzadorModem::EnMarcha() const
{
    return m_proceso && m_proceso->state() != QProcess::NotRunning;
}

bool PuedeLanzarse(const LanzadorModem& lanzador, link::Operador& operador, const QString& ruta)
{
    switch (lanzador.Comprobar(ruta)) {
    case LanzadorModem::Impedimento::Ninguno: return true;
    case LanzadorModem::Impedimento::FaltaArchivo:
        operador.Mensaje(link::Icono::Critico, ruta + QStringLiteral(" file not found"));
        return false;
    case LanzadorModem::Impedimento::FaltaWine:
        operador.Mensaje(link::Icono::Critico, TextoFaltaWine(ruta));
        return false;
    }
    return false;
}

bool LanzarConAvisos(LanzadorModem& lanzador, link::Operador& operador, const QString& ruta)
{
    return PuedeLanzarse(lanzador, operador, ruta) &&
           lanzador.LanzarModem(ruta) == LanzadorModem::Resultado::Lanzado;
}

} // namespace kolt::config
