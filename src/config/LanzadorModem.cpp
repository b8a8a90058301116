#include "config/LanzadorModem.h"

#include "model/Operador.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
// glibc 2.36 declares these without C linkage.
extern "C" {
#include <sys/pidfd.h>
}
#include <unistd.h>

namespace kolt::config {

namespace {

constexpr int kEsperaFinMs = 3000;
constexpr int kEsperaGrupoMs = 1000;

bool GrupoVivo(pid_t grupo)
{
    return grupo > 0 && (::kill(-grupo, 0) == 0 || errno == EPERM);
}

int g_siguienteId = 0;

} // namespace

// One started program. The pidfd says when it has ended, even while no one
// has reaped it yet; closing it leaves the program alone.
struct LanzadorModem::Proceso {
    int id = ++g_siguienteId;
    pid_t pid = 0;
    pid_t grupo = 0; // 0: not a group of its own, only the program is signalled
    int pidfd = -1;
    bool vivo = false;
    std::unique_ptr<QSocketNotifier> aviso; // before pidfd is closed

    void Senal(int senal) const
    {
        if (grupo > 0)
            ::kill(-grupo, senal);
        else if (vivo)
            ::pidfd_send_signal(pidfd, senal, nullptr, 0);
    }

    ~Proceso()
    {
        aviso.reset();
        if (pidfd >= 0) ::close(pidfd);
    }
};

LanzadorModem::LanzadorModem() : m_esperaFinMs(kEsperaFinMs), m_esperaGrupoMs(kEsperaGrupoMs) {}

// The chat is ending and its window has gone: a program told to end gets
// what is left of its time, then KILL. Programs not told to end stay.
LanzadorModem::~LanzadorModem()
{
    const QDeadlineTimer limite(m_esperaFinMs);
    for (const auto& p : m_terminando) {
        pollfd espera{p->pidfd, POLLIN, 0};
        while (p->vivo && !limite.hasExpired()) {
            const int r = ::poll(&espera, 1, static_cast<int>(limite.remainingTime()));
            if (r > 0)
                p->vivo = false;
            else if (r < 0 && errno != EINTR)
                break;
        }
        p->Senal(SIGKILL);
    }
}

void LanzadorModem::FijarEsperas(int finMs, int grupoMs)
{
    m_esperaFinMs = finMs;
    m_esperaGrupoMs = grupoMs;
}

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
    // The one started before is no longer ours to stop; it runs on.
    m_proceso.reset();
    if (Terminando())
        m_pendiente = std::make_unique<Pendiente>(Pendiente{programa, argumentos, ruta});
    else
        Arrancar(programa, argumentos, ruta);
    return Resultado::Lanzado;
}

void LanzadorModem::Arrancar(const QString& programa, const QStringList& argumentos,
                             const QString& ruta)
{
    QProcess proceso;
    proceso.setProgram(programa);
    proceso.setArguments(argumentos);
    proceso.setWorkingDirectory(QFileInfo(ruta).absolutePath());
    // The modem's console is its own business.
    proceso.setStandardInputFile(QProcess::nullDevice());
    proceso.setStandardOutputFile(QProcess::nullDevice());
    proceso.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!proceso.startDetached(&pid) || pid <= 0) return;

    auto p = std::make_unique<Proceso>();
    p->pid = static_cast<pid_t>(pid);
    p->pidfd = ::pidfd_open(p->pid, 0);
    if (p->pidfd < 0) return; // gone already
    // Detached: a session, and so a process group, of its own, which a
    // Ctrl-C meant for the chat's terminal does not reach.
    p->grupo = ::getpgid(p->pid);
    if (p->grupo == ::getpgrp()) p->grupo = 0; // never signal the chat's own group
    p->vivo = true;
    p->aviso = std::make_unique<QSocketNotifier>(p->pidfd, QSocketNotifier::Read);
    QObject::connect(p->aviso.get(), &QSocketNotifier::activated, p->aviso.get(),
                     [this, id = p->id] { AlTerminar(id); });
    m_proceso = std::move(p);
}

void LanzadorModem::CerrarModem()
{
    m_pendiente.reset();
    if (!m_proceso || !m_proceso->vivo) {
        m_proceso.reset();
        return;
    }
    const int id = m_proceso->id;
    m_proceso->Senal(SIGTERM);
    m_terminando.push_back(std::move(m_proceso));
    QTimer::singleShot(m_esperaFinMs, &m_contexto, [this, id] {
        Proceso* p = Buscar(id);
        if (!p || !p->vivo) return;
        p->Senal(SIGKILL);
        // Even a program that KILL cannot end at once is let go of then.
        QTimer::singleShot(m_esperaGrupoMs, &m_contexto, [this, id] { Retirar(id); });
    });
}

// The program itself has gone; what it started may still be on its way
// out. Never retired here: this runs inside the notifier's own signal.
void LanzadorModem::AlTerminar(int id)
{
    Proceso* p = m_proceso && m_proceso->id == id ? m_proceso.get() : Buscar(id);
    if (!p) return;
    p->vivo = false;
    p->aviso->setEnabled(false);
    if (p == m_proceso.get()) return;
    const int espera = GrupoVivo(p->grupo) ? m_esperaGrupoMs : 0;
    QTimer::singleShot(espera, &m_contexto, [this, id] {
        if (Proceso* q = Buscar(id); q && GrupoVivo(q->grupo)) q->Senal(SIGKILL);
        Retirar(id);
    });
}

LanzadorModem::Proceso* LanzadorModem::Buscar(int id) const
{
    for (const auto& p : m_terminando)
        if (p->id == id) return p.get();
    return nullptr;
}

void LanzadorModem::Retirar(int id)
{
    std::erase_if(m_terminando, [id](const auto& p) { return p->id == id; });
    if (Terminando() || !m_pendiente) return;
    const std::unique_ptr<Pendiente> siguiente = std::move(m_pendiente);
    Arrancar(siguiente->programa, siguiente->argumentos, siguiente->ruta);
}

bool LanzadorModem::EnMarcha() const
{
    return (m_proceso && m_proceso->vivo) || m_pendiente;
}

bool PuedeLanzarse(const LanzadorModem& lanzador, model::Operador& operador, const QString& ruta)
{
    switch (lanzador.Comprobar(ruta)) {
    case LanzadorModem::Impedimento::Ninguno: return true;
    case LanzadorModem::Impedimento::FaltaArchivo:
        operador.Mensaje(model::Icono::Critico, ruta + QStringLiteral(" file not found"));
        return false;
    case LanzadorModem::Impedimento::FaltaWine:
        operador.Mensaje(model::Icono::Critico, TextoFaltaWine(ruta));
        return false;
    }
    return false;
}

bool LanzarConAvisos(LanzadorModem& lanzador, model::Operador& operador, const QString& ruta)
{
    return PuedeLanzarse(lanzador, operador, ruta) &&
           lanzador.LanzarModem(ruta) == LanzadorModem::Resultado::Lanzado;
}

} // namespace kolt::config
