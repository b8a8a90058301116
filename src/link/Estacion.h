#pragma once
// The station: the root of the program's logic. It owns the settings, the
// modem sockets, the socket-check timer, the modem process and the window
// model, and runs every operation the operator, the modem or the timer
// triggers. It includes no widget: the window renders its model and
// forwards clicks and keys to it, and tests drive it headless.

#include "config/Configuracion.h"
#include "link/CanalComandos.h"
#include "link/DialogoConectar.h"
#include "link/EstadoEnlace.h"
#include "model/Enlace.h"
#include "model/ModeloVentana.h"
#include "model/Operador.h"
#include "transfer/EstadoTransferencia.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace kolt::config {
class LanzadorModem;
class AlmacenAjustes;
} // namespace kolt::config

namespace kolt::broadcast {
class EnlaceKISS;
}

namespace kolt::keying {
class ControladorPTT;
class LineaSerie;
} // namespace kolt::keying

namespace kolt::transfer {
class CanalDatos;
class TransferenciaArchivos;
} // namespace kolt::transfer

namespace kolt::link {

// The station writes the window model and speaks to the operator throughout.
using model::Control;
using model::Enlace;
using model::EstadoPanel;
using model::Geometria;
using model::Icono;
using model::ModeloVentana;
using model::Operador;
using model::Panel;

inline const QString kTituloPrograma = QStringLiteral("KOLT Chat v1.4.1      ");
inline const QString kVersion = QStringLiteral("1.4.1");

class Estacion : public QObject {
    Q_OBJECT
public:
    struct Entorno {
        QString carpetaPrograma; // where the documents and the modem live
        QString carpetaAjustes;  // where "KOLT Chat.ini" and the lock live
        QString escritorio;      // default of the "Path" keys
        Operador* operador = nullptr;
        keying::LineaSerie* puertoRadio = nullptr; // the radio's serial port; a real one when null
        int intervaloComprobacionMs = 5000;
        // How long CQ and Broadcast wait for the modem's "PTT OFF" after a
        // CQ, a broadcast or its last "PTT ON" before they come back anyway.
        int esperaFinTransmisionMs = 30000;
    };

    explicit Estacion(Entorno entorno, QObject* parent = nullptr);
    ~Estacion() override;

    enum class Arranque { Listo, OtraCopia };
    // The window's load: settings, single copy, sockets, timer, modem.
    Arranque Iniciar();
    // The window's unload, given where the window stands (twips).
    void Cerrar(const Geometria& ventana);
    bool Cerrando() const { return m_cerrando; }

    // Modem command channel.
    void ComprobarSockets() { m_canalComandos.Comprobar(); }
    void EnviarComando(const QString& comando) { m_canalComandos.Enviar(comando); }
    void EnviarMyCall();
    void EnviarChatOn();
    void AplicarAnchoBanda();
    void Conectar();
    void Abortar();
    void ProcesarComando(const QString& linea);
    bool SocketsArriba() const { return m_canalComandos.Arriba(); }
    // CQ and Broadcast rest while the modem transmits: until its "PTT OFF",
    // or the bounded wait, whichever comes first.
    void EsperarFinTransmision();

    // The controls and panels for the state of the link and the modem.
    void ActualizarEstado() { m_estadoEnlace.Actualizar(); }

    // Main-window actions that are the window's own.
    void AccionTamanoFuente(int puntos);
    void AccionColor(const QString& colour);
    void AccionLimpiar();
    // The rule of the Connect and Send File items: both modem sockets up,
    // or the operator is told and nothing else happens.
    bool ComprobarModemConectado();
    // The Connect menu item: with a modem socket down, or while CQ is
    // disabled (the modem is transmitting), the operator is told so and
    // nothing opens. True when the dialog is to be shown (the transmit box
    // has the focus).
    bool PuedeAbrirConectar();
    // What the connect dialog works with.
    ServiciosConectar ServiciosDialogoConectar();
    // Help documents beside the program.
    void AbrirChangeLog();
    void AbrirGuia();
    // The Mode menu's check marks and the PTT item, for a modem variant;
    // keying exists only in HF and SAT.
    void MarcarModo(config::Variante modo);

    config::Configuracion& config() { return m_config; }
    const config::Configuracion& config() const { return m_config; }
    ModeloVentana& modelo() { return m_modelo; }
    Operador& operador() { return *m_entorno.operador; }
    Enlace& enlace() { return m_estadoEnlace.enlace(); }
    transfer::EstadoTransmision& transmision() { return m_transmision; }
    keying::ControladorPTT& ptt() { return *m_ptt; }
    config::LanzadorModem& lanzador() { return *m_lanzador; }
    transfer::CanalDatos& canalDatos() { return *m_canal; }
    transfer::TransferenciaArchivos& archivos() { return *m_archivos; }
    broadcast::EnlaceKISS& kiss() { return *m_kiss; }
    const Entorno& entorno() const { return m_entorno; }
    QString RutaAjustes() const;
    // Writes the settings record (the dialogs save when they close).
    bool GuardarConfiguracion();

    // The two modem sockets, for the data channel.
    QTcpSocket& socketComandos() { return m_canalComandos.comandos(); }
    QTcpSocket& socketDatos() { return m_canalComandos.datos(); }

signals:
    // Modem reports handed to the subsystems that act on them, in the order
    // the dispatch runs them.
    void bufferInformado(const QString& linea); // "BUFFER n"
    void enlaceTerminado();                     // "DISCONNECTED", before the display refresh
    // The connect dialog started a call and closed: the broadcast dialog closes too.
    void conexionIniciada();

private:
    void AlSubirModem();
    void MostrarSocketsCaidos();
    void SoltarPTTSiTransmite();
    void FinTransmision();
    void AbrirDocumento(const QString& nombre, Icono icono, const QString& siFalta);
    void ArrancarModemSiProcede();
    QString RutaModemDelModo() const;

    Entorno m_entorno;
    config::Configuracion m_config;
    ModeloVentana m_modelo;
    transfer::EstadoTransmision m_transmision;
    CanalComandos m_canalComandos{m_config};
    EstadoEnlace m_estadoEnlace{m_modelo, m_config, m_transmision,
                                [this] { return m_canalComandos.Arriba(); }};
    QTimer m_tmrComprobarSocket;
    QTimer m_tmrFinTransmision;
    std::unique_ptr<QLockFile> m_copiaUnica;
    std::unique_ptr<config::LanzadorModem> m_lanzador;
    std::unique_ptr<config::AlmacenAjustes> m_ajustes;
    class AvisosPTT;
    std::unique_ptr<AvisosPTT> m_observadorPTT;
    std::unique_ptr<keying::LineaSerie> m_puertoRadio;
    std::unique_ptr<keying::ControladorPTT> m_ptt;
    std::unique_ptr<broadcast::EnlaceKISS> m_kiss;
    std::unique_ptr<transfer::CanalDatos> m_canal; // the data port: chat and file frames
    std::unique_ptr<transfer::TransferenciaArchivos> m_archivos; // its file branch; after m_canal
    bool m_cerrando = false;
};

} // namespace kolt::link
