#pragma once
// Stations of their own for the transfer tests: a folder with its ini, and
// files written and read in it.

#include "link/Estacion.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

// A station of its own in `carpeta`, with the settings of `ini` (under
// [Setup], a later section allowed), not started yet.
inline std::unique_ptr<link::Estacion> NuevaEstacion(const QString& carpeta, const QString& ini,
                                                     link::Operador& operador)
{
    Crear(QDir(carpeta).filePath("KOLT Chat.ini"),
          ("[Setup]\r\nAutoLaunch=0\r\nSave Log=0\r\n" + ini).toUtf8());
    link::Estacion::Entorno e;
    e.carpetaPrograma = e.carpetaAjustes = e.escritorio = carpeta;
    e.operador = &operador;
    return std::make_unique<link::Estacion>(e);
}

} // namespace kolt::test
