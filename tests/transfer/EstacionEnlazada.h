#pragma once
// A station linked to N0CALL-2 against a bare modem on loopback, for tests
// that say exactly what a modem would and read the exact bytes sent. Files
// are picked from "origen" and saved into "descargas"; the file transfer's
// clock is m_ms, which moves m_paso at every reading.

#include "config/Ansi.h"
#include "link/Estacion.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"

#include "Esperar.h"
#include "ModemDePrueba.h"
#include "OperadorGuion.h"
#include "QtImprimir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
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

class EstacionEnlazada : public ::testing::Test {
protected:
    // A scripted operator who may be interrupted while the file picker is open.
    struct OperadorLento : OperadorGuion {
        QString ElegirArchivo(const QString& carpeta, const QString& titulo) override
        {
            if (mientrasElige) mientrasElige();
            return OperadorGuion::ElegirArchivo(carpeta, titulo);
        }
        std::function<void()> mientrasElige;
    };

    void SetUp() override
    {
        config::FijarPaginaDelSistema(1252);
        const QDir dir(m_dir.path());
        ASSERT_TRUE(dir.mkdir("origen") && dir.mkdir("descargas"));
        m_estacion = NuevaEstacion(m_dir.path(),
                                   QStringLiteral("HF TCP Port=%1\r\n[Path]\r\nDownload Folder=%2"
                                                  "\r\nLoad Path File=%3\r\n")
                                       .arg(m_modem.puerto())
                                       .arg(Descargas(), Origen()),
                                   m_operador);
        m_estacion->archivos().FijarReloj([this] { return m_ms += m_paso; });
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        ASSERT_TRUE(Esperar([&] { return m_modem.lineas().contains("CHAT ON"); }));
        Enlazar();
    }

    // The call placed and answered; the screen is read from here on.
    void Enlazar()
    {
        m_estacion->Conectar();
        m_modem.Enviar("CONNECTED N0CALL-1 N0CALL-2\r");
        ASSERT_TRUE(Esperar([&] { return m_estacion->enlace().enlazado; }));
        m_modem.Olvidar();
        m_inicio = m_estacion->modelo().textoRecepcion().size();
    }

    QString Origen() const { return QDir(m_dir.path()).filePath("origen"); }
    QString Descargas() const { return QDir(m_dir.path()).filePath("descargas"); }
    QString Pantalla() const { return m_estacion->modelo().textoRecepcion().mid(m_inicio); }
    // Which of Send, Send File, Clear and the progress bar are on.
    QString Controles() const
    {
        const link::ModeloVentana& m = m_estacion->modelo();
        QStringList on;
        if (m.control(link::Control::cmdEnviar).visible) on << "Send";
        if (m.control(link::Control::mnuSendFile).enabled) on << "SendFile";
        if (m.control(link::Control::mnuClear).enabled) on << "Clear";
        if (m.control(link::Control::ProgressBar).visible) on << "Progress";
        return on.join(' ');
    }
    transfer::EstadoTransmision& Tx() { return m_estacion->transmision(); }
    void Modem(const QString& linea) { m_estacion->ProcesarComando(linea); }
    void Recibir(const QByteArray& bloque) { m_estacion->canalDatos().RecibirDatos(bloque); }
    void Decir(const QString& texto)
    {
        m_estacion->modelo().FijarTextoTransmision(texto);
        m_estacion->canalDatos().EnviarTexto();
    }

    QTemporaryDir m_dir;
    ModemDePrueba m_modem;
    OperadorLento m_operador;
    std::unique_ptr<link::Estacion> m_estacion;
    qsizetype m_inicio = 0;
    std::int64_t m_ms = 1'000'000;
    std::int64_t m_paso = 0;
};

} // namespace kolt::test
