// Start-up, close and the socket-check timer.

#include "link/Estacion.h"

#include "broadcast/EnlaceKISS.h"
#include "config/LanzadorModem.h"
#include "config/SessionLog.h"
#include "config/SettingsStore.h"
#include "keying/PttController.h"
#include "keying/QtSerialLine.h"
#include "keying/RadioCatalogue.h"
#include "transfer/CanalDatos.h"
#include "transfer/TransferenciaArchivos.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace kolt::link {

namespace {

const QString kMensajeOtraCopia = QStringLiteral(
    "Error: Another copy of KOLT Chat is running from this folder. Only one copy can be run at a "
    "time from the same folder");

constexpr int kFuentes[] = {10, 11, 12, 16, 20};

} // namespace

// The keying state goes to the "PTT" panel; a port that will not open is
// told to the operator.
class Estacion::ObservadorPTT : public keying::PttObserver {
public:
    explicit ObservadorPTT(Estacion& e) : m_e(e) {}
    void MostrarPTT(bool transmitiendo) override
    {
        const keying::PanelPTT p = keying::EstadoPanelPTT(transmitiendo);
        m_e.m_modelo.FijarPanel(Panel::PTT, {p.texto, p.imagen, p.ayuda});
    }
    void Avisar(const QString& mensaje) override
    {
        m_e.operador().Mensaje(Icono::Exclamacion, mensaje);
    }

private:
    Estacion& m_e;
};

Estacion::Estacion(Entorno entorno, QObject* parent)
    : QObject(parent), m_entorno(std::move(entorno)),
      m_lanzador(std::make_unique<config::LanzadorModem>()),
      m_observadorPTT(std::make_unique<ObservadorPTT>(*this))
{
    keying::SerialLine* puerto = m_entorno.puertoRadio;
    if (!puerto) {
        m_puertoRadio = std::make_unique<keying::QtSerialLine>();
        puerto = m_puertoRadio.get();
    }
    m_ptt = std::make_unique<keying::ControladorPTT>(m_config, *puerto, *m_observadorPTT);
    const auto abortar = [this] { Abortar(); };
    const auto cerrando = [this] { return m_cerrando; };
    const auto guardar = [this] { return GuardarConfiguracion(); };
    m_canal = std::make_unique<transfer::CanalDatos>(transfer::ServiciosCanal{
        m_datos, m_comandos, m_modelo, m_enlace, m_config, m_transmision, abortar});
    m_archivos = std::make_unique<transfer::TransferenciaArchivos>(transfer::ServiciosArchivos{
        *m_canal, m_modelo, operador(), m_enlace, m_config, m_transmision,
        [this] { return ComprobarModemConectado(); }, abortar});
    m_kiss = std::make_unique<broadcast::EnlaceKISS>(
        broadcast::ServiciosKISS{m_config, m_modelo, operador(), cerrando, guardar,
                                 [this] { EsperarFinTransmision(); }});

    // The modem's reports, in the order the dispatch hands them on.
    connect(this, &Estacion::bufferInformado, m_canal.get(), &transfer::CanalDatos::ProcesarBuffer);
    connect(this, &Estacion::enlaceTerminado, m_canal.get(),
            &transfer::CanalDatos::ReiniciarTransferencias);
    // A call started from the connect dialog closes the broadcast dialog.
    connect(this, &Estacion::conexionIniciada, m_kiss.get(),
            &broadcast::EnlaceKISS::CerrarDialogoBroadcast);

    // Close and Error re-run the socket check; queued, so that a socket
    // closed inside the check never re-enters it.
    for (QTcpSocket* s : {&m_comandos, &m_datos}) {
        connect(s, &QTcpSocket::connected, this, &Estacion::AlConectarSocket);
        connect(s, &QTcpSocket::disconnected, this, &Estacion::AlCaerSocket, Qt::QueuedConnection);
        connect(s, &QTcpSocket::errorOccurred, this, &Estacion::AlCaerSocket, Qt::QueuedConnection);
    }
    connect(&m_comandos, &QTcpSocket::readyRead, this, &Estacion::RecibirComandos);
    connect(&m_tmrComprobarSocket, &QTimer::timeout, this, [this] {
        ComprobarSockets();
        m_kiss->AbrirKISS();
    });
    // A modem that never reports the end of a transmission (or never gets
    // the frame) must not lock the operator out of CQ, Broadcast and Connect.
    m_tmrFinTransmision.setSingleShot(true);
    m_tmrFinTransmision.setInterval(m_entorno.esperaFinTransmisionMs);
    connect(&m_tmrFinTransmision, &QTimer::timeout, this, &Estacion::FinTransmision);
}

Estacion::~Estacion() = default;

ServiciosConectar Estacion::ServiciosDialogoConectar()
{
    return {m_config,
            operador(),
            [this] { return m_cerrando; },
            [this] { return GuardarConfiguracion(); },
            [this] { Conectar(); },
            [this] { emit conexionIniciada(); }};
}

bool Estacion::PuedeAbrirConectar()
{
    if (!ComprobarModemConectado()) return false;
    if (!m_modelo.control(Control::mnuCQ).enabled) {
        operador().Mensaje(Icono::Exclamacion, kModemTransmitiendo);
        return false;
    }
    m_modelo.EnfocarTransmision();
    return true;
}

QString Estacion::RutaAjustes() const
{
    return QDir(m_entorno.carpetaAjustes).filePath(QStringLiteral("KOLT Chat.ini"));
}

Estacion::Arranque Estacion::Iniciar()
{
    m_ajustes = std::make_unique<config::SettingsStore>(RutaAjustes(), m_entorno.escritorio,
                                                        m_entorno.carpetaPrograma);
    m_ajustes->CargarConfiguracion(m_config);

    // One copy per program folder: a lock file beside the settings, which
    // the system frees should this copy die without closing.
    m_copiaUnica = std::make_unique<QLockFile>(
        QDir(m_entorno.carpetaAjustes).filePath(QStringLiteral("KOLT Chat.lock")));
    m_copiaUnica->setStaleLockTime(0);
    if (!m_copiaUnica->tryLock(0)) {
        m_copiaUnica.reset();
        operador().Mensaje(Icono::Exclamacion, kMensajeOtraCopia);
        return Arranque::OtraCopia;
    }

    keying::CargarRadios();
    Geometria g;
    g.top = m_config.topPosition;
    g.left = m_config.leftPosition;
    m_modelo.FijarTitulo(kTituloPrograma);
    m_ptt->AbrirPuertoRadio();
    m_modelo.FijarTitulo(kTituloPrograma + m_config.myCallsign);

    ComprobarSockets();
    m_kiss->AbrirKISS();

    m_tmrComprobarSocket.stop();
    m_tmrComprobarSocket.setInterval(m_entorno.intervaloComprobacionMs);
    m_tmrComprobarSocket.start();

    ArrancarModemSiProcede();
    MarcarModo(m_config.koltMode.variante());

    g.state = m_config.windowState;
    g.width = m_config.terminalWidth;
    g.height = m_config.terminalHeight;
    m_modelo.FijarGeometria(g);

    if (std::find(std::begin(kFuentes), std::end(kFuentes), m_config.fontSize) !=
        std::end(kFuentes))
        AccionTamanoFuente(m_config.fontSize);
    if (m_config.colour == QLatin1String("White") || m_config.colour == QLatin1String("Black"))
        AccionColor(m_config.colour);
    m_ptt->DesactivarPTT();
    return Arranque::Listo;
}

void Estacion::Cerrar(const Geometria& ventana)
{
    if (m_config.autoLaunch == 1) m_lanzador->CerrarModem();
    m_ptt->DesactivarPTT();
    m_cerrando = true;
    m_tmrComprobarSocket.stop();
    m_reintento.Detener();
    m_comandos.abort();
    m_datos.abort();

    if (ventana.state != 1) {
        m_config.topPosition = ventana.top;
        m_config.leftPosition = ventana.left;
    }
    m_ptt->CerrarPuertoRadio();
    m_ajustes->GuardarConfiguracion(m_config,
                                    config::EstadoVentana{static_cast<std::int16_t>(ventana.state),
                                                          ventana.width, ventana.height});
    config::GuardarLog(m_modelo.textoRecepcion(), m_config, QDate::currentDate());
    m_copiaUnica.reset();
}

void Estacion::ArrancarModemSiProcede()
{
    if (m_config.autoLaunch != 1) return;
    const QString ruta = config::RutaDelModo(m_config);
    if (ruta.isEmpty()) return;
    config::LanzarConAvisos(*m_lanzador, operador(), ruta);
}

void Estacion::MarcarModo(config::Variante modo)
{
    using config::Variante;
    m_modelo.Marcar(Control::mnuKOLTHF, modo == Variante::HF);
    m_modelo.Marcar(Control::mnuKOLTFM1200, modo == Variante::FM);
    m_modelo.Marcar(Control::mnuKOLTSAT, modo == Variante::SAT);
    m_modelo.Mostrar(Control::mnuPTT, modo == Variante::HF || modo == Variante::SAT);
}

bool Estacion::GuardarConfiguracion()
{
    return m_ajustes && m_ajustes->GuardarConfiguracion(m_config);
}

} // namespace kolt::link
