#pragma once
// Files written and read by a test.

#include "QtImprimir.h"

#include <QFile>
#include <gtest/gtest.h>

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

} // namespace kolt::test
