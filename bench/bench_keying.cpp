// How long the window's thread is held by one call that stops the modem
// program or keys the radio, in the two hard cases: a modem that ignores
// TERM, and a radio port that takes no bytes (its buffer full). Prints the
// longest single call of each kind.

#include "config/Configuracion.h"
#include "config/LanzadorModem.h"
#include "keying/ControladorPTT.h"
#include "keying/LineaSerieQt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <unistd.h>

using namespace kolt;

namespace {

class SinObservador final : public keying::ObservadorPTT {
public:
    void MostrarPTT(bool) override {}
    void Avisar(const QString& m) override { std::printf("message: %s\n", qPrintable(m)); }
};

void Girar(const std::function<bool()>& hecho, int ms)
{
    const QDeadlineTimer limite(ms);
    while (!hecho() && !limite.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

qint64 Medir(const std::function<void()>& llamada)
{
    QElapsedTimer t;
    t.start();
    llamada();
    return t.nsecsElapsed() / 1000;
}

void ParadaModem()
{
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("modem"));
    const QString pid = dir.filePath(QStringLiteral("pid"));
    QFile f(ruta);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("#!/bin/sh\ntrap '' TERM\necho $$ > '%1'\nwhile :; do sleep 1; done\n")
                .arg(pid)
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);

    qint64 peor = 0;
    for (int ronda = 0; ronda < 3; ++ronda) {
        QFile::remove(pid);
        config::LanzadorModem lanzador;
        lanzador.LanzarModem(ruta);
        Girar([&] { return QFile(pid).size() > 0; }, 5000);
        QFile p(pid);
        p.open(QIODevice::ReadOnly);
        const pid_t n = static_cast<pid_t>(p.readAll().trimmed().toLongLong());
        peor = std::max(peor, Medir([&] { lanzador.CerrarModem(); }));
        Girar(
            [&] {
                return ::kill(n, 0) != 0 ||
                       QFile(QStringLiteral("/proc/%1/stat").arg(n)).open(QIODevice::ReadOnly) ==
                           false;
            },
            10000);
    }
    std::printf("stop a modem that ignores TERM: longest call %.1f ms\n", peor / 1000.0);
}

// A pseudo-terminal pair whose slave is the radio port; nobody reads the
// master, so what is written piles up until the port takes nothing.
class Pty {
public:
    Pty()
    {
        char nombre[256] = {};
        if (::openpty(&m_maestro, &m_esclavo, nombre, nullptr, nullptr) == 0)
            m_nombre = QString::fromLocal8Bit(nombre);
    }
    ~Pty()
    {
        if (m_maestro >= 0) ::close(m_maestro);
        if (m_esclavo >= 0) ::close(m_esclavo);
    }
    const QString& esclavo() const { return m_nombre; }

private:
    int m_maestro = -1;
    int m_esclavo = -1;
    QString m_nombre;
};

void KeyingSinSalida()
{
    Pty pty;
    config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = 52;
    ajustes.catPort = pty.esclavo();
    SinObservador observador;
    keying::LineaSerieQt puerto;
    keying::ControladorPTT ptt(ajustes, puerto, observador);
    ptt.AbrirPuertoRadio();
    // Fill the port's buffer (opening the port flushed it): the radio takes
    // nothing more.
    const int lleno =
        ::open(pty.esclavo().toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY);
    char relleno[4096] = {};
    while (::write(lleno, relleno, sizeof relleno) > 0) {
    }
    ::close(lleno);
    qint64 peor = 0;
    for (int i = 0; i < 10; ++i) {
        peor = std::max(peor, Medir([&] { ptt.ActivarPTT(); }));
        peor = std::max(peor, Medir([&] { ptt.DesactivarPTT(); }));
    }
    peor = std::max(peor, Medir([&] { ptt.CerrarPuertoRadio(); }));
    std::printf("key/unkey/close on a port that takes nothing: longest call %.1f ms\n",
                peor / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ParadaModem();
    KeyingSinSalida();
    return 0;
}
