#pragma once
// The operator of the tests: records every message and answers the pickers
// from a script.

#include "model/Operador.h"

#include <QStringList>

#include <deque>
#include <utility>
#include <vector>

namespace kolt::test {

class OperadorGuion : public model::Operador {
public:
    struct Aviso {
        model::Icono icono;
        QString texto;
    };

    void Mensaje(model::Icono icono, const QString& texto) override
    {
        avisos.push_back({icono, texto});
    }
    QString ElegirArchivo(const QString& carpeta, const QString& titulo) override
    {
        carpetasPedidas.push_back(carpeta);
        titulosPedidos.push_back(titulo);
        return Siguiente();
    }
    QString ElegirCarpeta(const QString& inicio, const QString& titulo) override
    {
        carpetasPedidas.push_back(inicio);
        titulosPedidos.push_back(titulo);
        return Siguiente();
    }
    void Abrir(const QString&) override {}

    // The next answers of the pickers, in order; an empty answer cancels.
    std::deque<QString> respuestas;
    std::vector<Aviso> avisos;
    QStringList carpetasPedidas;
    QStringList titulosPedidos;

private:
    QString Siguiente()
    {
        if (respuestas.empty()) return {};
        QString r = std::move(respuestas.front());
        respuestas.pop_front();
        return r;
    }
};

} // namespace kolt::test
