#pragma once
// Starts the modem program beside the chat and ends it again. Only the
// program started last is remembered, and one started by hand is never
// touched: there is no handle to it.
//
// Outside Windows the modem the operator points the paths at is usually a
// Windows program: a path ending in ".exe" starts through `wine`. Each
// program starts in a process group of its own, so that ending it also ends
// whatever it started (wine's loader and the program it runs).

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kolt::link {
class Operador;
}

namespace kolt::config {

class LanzadorModem {
public:
    enum class Resultado {
        Lanzado,   // handed to the system; whether it runs is its own business
        FaltaWine, // a Windows program, and no `wine` to start it with
    };

    LanzadorModem() = default;
    ~LanzadorModem();
    LanzadorModem(const LanzadorModem&) = delete;
    LanzadorModem& operator=(const LanzadorModem&) = delete;

    // Starts the program at `ruta`. A failure to start is not reported: the
    // sockets keep retrying until some modem listens.
    Resultado LanzarModem(const QString& ruta);

    // Ends the program started last, and everything it started, if it still runs.
    void CerrarModem();

    bool EnMarcha() const;

    // What stands in the way of starting `ruta`, looked at without starting
    // it: the file (at the path as given) and, for a Windows program, wine.
    enum class Impedimento { Ninguno, FaltaArchivo, FaltaWine };
    Impedimento Comprobar(const QString& ruta) const;

    // Where `wine` is looked for; empty (the default) means the PATH.
    void FijarBusquedaWine(QStringList carpetas) { m_busquedaWine = std::move(carpetas); }

private:
    QString BuscarWine() const;

    std::unique_ptr<QProcess> m_proceso;
    // Programs started before the last one: no longer ours to stop, but
    // their handles must live as long as the chat.
    std::vector<std::unique_ptr<QProcess>> m_anteriores;
    QStringList m_busquedaWine;
};

// True when `ruta` names a Windows program that needs wine on this system.
bool NecesitaWine(const QString& ruta);

// What the operator is told when a Windows program cannot be started.
QString TextoFaltaWine(const QString& ruta);

// Tells the operator why `ruta` cannot be started (a missing file, a
// missing wine); true when nothing stands in the way.
bool PuedeLanzarse(const LanzadorModem& lanzador, link::Operador& operador, const QString& ruta);

// Starts the modem program at `ruta` as the chat does, when PuedeLanzarse
// allows. True when the program was handed to the system.
bool LanzarConAvisos(LanzadorModem& lanzador, link::Operador& operador, const QString& ruta);

} // namespace kolt::config
