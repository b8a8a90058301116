#pragma once
// A station of its own for a transfer test, and files written and read.

#include "link/Estacion.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"

#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <memory>

namespace kolt::test {

inline QString Crear(const QString& ruta, const QByteArray& contenido)
{
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contenido);
    return ruta;
}

inline QByteArray Leer(const QString& ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Not started yet; `ini` under [Setup], a later section allowed.
inline std::unique_ptr<link::Estacion> NuevaEstacion(const QString& carpeta, const QString& ini,
                                                     model::Operador& operador)
{
    Crear(QDir(carpeta).filePath("KOLT Chat.ini"),
          ("[Setup]\r\nAutoLaunch=0\r\nSave Log=0\r\n" + ini).toUtf8());
    link::Estacion::Entorno e;
    e.carpetaPrograma = e.carpetaAjustes = e.escritorio = carpeta;
    e.operador = &operador;
    return std::make_unique<link::Estacion>(e);
}

} // namespace kolt::test
