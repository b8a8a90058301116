#pragma once
// One operator's station against its station of the stand-in modem running
// in this process: its own folder and settings, started and on the air.

#include "config/Ansi.h"
#include "link/Estacion.h"
#include "transfer/CanalDatos.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "Simulator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace kolt::test {

struct Puesto {
    Puesto(const QString& indicativo, const QString& destino, modemsim::PortStation& modem)
    {
        EXPECT_TRUE(dir.isValid());
        QFile f(QDir(dir.path()).filePath("KOLT Chat.ini"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("[Setup]\r\nMy Callsign=%1\r\nConnect With HF=%2\r\n"
                           "HF TCP Port=%3\r\nKISS TCP Port=%4\r\nAutoLaunch=0\r\nSave Log=0\r\n")
                .arg(indicativo, destino)
                .arg(modem.commandPort())
                .arg(modem.kissPort())
                .toLatin1());
        f.close();
        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = dir.path();
        e.operador = &operador;
        estacion = std::make_unique<link::Estacion>(e);
        EXPECT_EQ(estacion->Iniciar(), link::Estacion::Arranque::Listo);
        EXPECT_TRUE(Esperar([&] { return estacion->SocketsArriba() && modem.onAir(); }));
    }

    void Enviar(const QString& texto)
    {
        estacion->modelo().FijarTextoTransmision(texto);
        estacion->canalDatos().EnviarTexto();
    }
    // The screen since the link came up, banner excluded.
    QString Pantalla() const { return estacion->modelo().textoRecepcion().mid(inicio); }
    bool Enlazado() const { return estacion->enlace().enlazado; }
    bool Libre() const { return estacion->transmision().bytesPendientes == 0; }
    void MarcarInicio() { inicio = estacion->modelo().textoRecepcion().size(); }
    // Right after the banner of the last link: a robot may have spoken already.
    void MarcarTrasBanner()
    {
        const QString& t = estacion->modelo().textoRecepcion();
        inicio =
            t.indexOf(QLatin1String("\r\n\r\n"), t.lastIndexOf(QLatin1String("*******  "))) + 4;
    }

    QTemporaryDir dir;
    OperadorGuion operador;
    std::unique_ptr<link::Estacion> estacion;
    qsizetype inicio = 0;
};

// Two stations, N0CALL-1 and N0CALL-3, and the robot N0CALL-2 on one
// channel of the stand-in modem, as fast as it goes.
class Extremo : public ::testing::Test {
protected:
    static modemsim::Options Opciones()
    {
        modemsim::Options o;
        for (const char* call : {"N0CALL-1", "N0CALL-3"})
            o.stations.append({call, {0, true, 0}});
        o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 0;
        o.air.airRate = 0;
        o.air.setupMs = 0;
        return o;
    }

    void Arrancar(const modemsim::Options& o = Opciones())
    {
        config::FijarPaginaDelSistema(1252);
        m_sim = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
        m_a = std::make_unique<Puesto>("N0CALL-1", "N0CALL-3",
                                       *m_sim->station(QStringLiteral("N0CALL-1")));
        m_b = std::make_unique<Puesto>("N0CALL-3", "N0CALL-1",
                                       *m_sim->station(QStringLiteral("N0CALL-3")));
    }

    // A calls B (or whoever its settings name) and both see the link.
    void Enlazar(Puesto& quien, Puesto* otro)
    {
        quien.estacion->Conectar();
        ASSERT_TRUE(Esperar([&] { return quien.Enlazado() && (!otro || otro->Enlazado()); }));
        quien.MarcarTrasBanner();
        if (otro) otro->MarcarTrasBanner();
    }

    void TearDown() override
    {
        m_a.reset();
        m_b.reset();
        m_sim.reset();
    }

    std::unique_ptr<modemsim::Simulator> m_sim;
    std::unique_ptr<Puesto> m_a;
    std::unique_ptr<Puesto> m_b;
};

} // namespace kolt::test
