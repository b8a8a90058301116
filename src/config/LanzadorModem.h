#pragma once
// Starts the modem program beside the chat and ends it again. Only the
// program started last is remembered, and one started by hand is never
// touched: there is no handle to it.
//
// Outside Windows the modem the operator points the paths at is usually a
// Windows program: a path ending in ".exe" starts through `wine`. Each
// program starts detached, in a session and process group of its own: it
// outlives the chat unless CerrarModem ends it (a modem the operator keeps
// by turning AutoLaunch off, or one of an earlier variant, keeps running),
// and ending it also ends whatever it started (wine's loader and the
// program it runs).
//
// Ending never waits on the caller's thread: TERM goes to the group at
// once, KILL follows from a timer if the program is still there, and a
// program started meanwhile is held back until the old one has gone, so
// that it finds the ports free. Only the destructor, at the program's end,
// waits a little for a program still on its way out.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kolt::model {
class Operador;
}

namespace kolt::config {

class LanzadorModem {
public:
    enum class Resultado {
        Lanzado,   // handed to the system; whether it runs is its own business
        FaltaWine, // a Windows program, and no `wine` to start it with
    };

    LanzadorModem();
    ~LanzadorModem();
    LanzadorModem(const LanzadorModem&) = delete;
    LanzadorModem& operator=(const LanzadorModem&) = delete;

    // Starts the program at `ruta`, at once or as soon as the programs
    // being ended have gone. A failure to start is not reported: the
    // sockets keep retrying until some modem listens.
    Resultado LanzarModem(const QString& ruta);

    // Ends the program started last, and everything it started, if it still
    // runs; returns at once. A start still held back is dropped.
    void CerrarModem();

    // The program started last runs, or is about to start.
    bool EnMarcha() const;
    // Programs told to end that have not gone yet.
    bool Terminando() const { return !m_terminando.empty(); }

    // What stands in the way of starting `ruta`, looked at without starting
    // it: the file (at the path as given) and, for a Windows program, wine.
    enum class Impedimento { Ninguno, FaltaArchivo, FaltaWine };
    Impedimento Comprobar(const QString& ruta) const;

    // Where `wine` is looked for; empty (the default) means the PATH.
    void FijarBusquedaWine(QStringList carpetas) { m_busquedaWine = std::move(carpetas); }

    // Waiting limits: TERM to KILL, and the rest of the group (wine's
    // helpers) once the program itself has gone. Tests shorten them.
    void FijarEsperas(int finMs, int grupoMs);

private:
    struct Proceso;
    QString BuscarWine() const;
    void Arrancar(const QString& programa, const QStringList& argumentos, const QString& ruta);
    void AlTerminar(int id);
    Proceso* Buscar(int id) const;
    void Retirar(int id);

    std::unique_ptr<Proceso> m_proceso;
    std::vector<std::unique_ptr<Proceso>> m_terminando;
    struct Pendiente {
        QString programa;
        QStringList argumentos;
        QString ruta;
    };
    std::unique_ptr<Pendiente> m_pendiente;
    QStringList m_busquedaWine;
    int m_esperaFinMs;
    int m_esperaGrupoMs;
    QObject m_contexto; // the timers' context: none fires after the launcher has gone
};

// True when `ruta` names a Windows program that needs wine on this system.
bool NecesitaWine(const QString& ruta);

// What the operator is told when a Windows program cannot be started.
QString TextoFaltaWine(const QString& ruta);

// Tells the operator why `ruta` cannot be started (a missing file, a
// missing wine); true when nothing stands in the way.
bool PuedeLanzarse(const LanzadorModem& lanzador, model::Operador& operador, const QString& ruta);

// Starts the modem program at `ruta` as the chat does, when PuedeLanzarse
// allows. True when the program was handed to the system.
bool LanzarConAvisos(LanzadorModem& lanzador, model::Operador& operador, const QString& ruta);

} // namespace kolt::config
