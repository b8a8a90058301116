#pragma once
// A running station and its setup dialog's logic, in a temporary program
// folder with a settings file written by the test.

#include "config/DialogoSetup.h"
#include "link/Estacion.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace kolt::test {

class SetupFixture {
protected:
    // The settings the station loads: every variant's command port on the
    // bare modem, nothing launched, no log; the test's own keys come first,
    // since the first of two equal keys wins.
    void Ajustes(const QString& extra = {}, const QString& carpetas = {})
    {
        QFile f(Ruta(QStringLiteral("KOLT Chat.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("[Setup]\r\n%2HF TCP Port=%1\r\nFM TCP Port=%1\r\nSAT TCP Port=%1\r\n"
                           "AutoLaunch=0\r\nSave Log=0\r\n[Path]\r\n%3")
                .arg(QString::number(m_modem.puerto()), extra, carpetas)
                .toUtf8());
    }

    link::Estacion& Arrancar()
    {
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        m_estacion = std::make_unique<link::Estacion>(e);
        EXPECT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        m_dialogo = std::make_unique<config::DialogoSetup>(*m_estacion);
        m_dialogo->Cargar();
        return *m_estacion;
    }

    // Started, with both sockets up and the start-up commands forgotten.
    void Inactiva()
    {
        Arrancar();
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        Dejar(50);
        m_modem.Olvidar();
    }

    QString Ruta(const QString& nombre) const { return QDir(m_dir.path()).filePath(nombre); }

    QByteArray Ini() const
    {
        QFile f(Ruta(QStringLiteral("KOLT Chat.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    config::CamposSetup& Campos() { return m_dialogo->campos(); }
    config::Configuracion& Config() { return m_estacion->config(); }

    QTemporaryDir m_dir;
    ModemDePrueba m_modem;
    OperadorGuion m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    std::unique_ptr<config::DialogoSetup> m_dialogo;
};

} // namespace kolt::test
