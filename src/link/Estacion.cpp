#include "link/Estacion.h"

#include "broadcast/EnlaceKISS.h"
#include "config/AlmacenAjustes.h"
#include "config/LanzadorModem.h"
#include "config/RegistroSesion.h"
#include "keying/Catalogo.h"
#include "keying/ControladorPTT.h"
#include "keying/LineaSerieQt.h"
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
class Estacion::AvisosPTT : public keying::ObservadorPTT {
public:
    explicit AvisosPTT(Estacion& e) : m_e(e) {}
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
      m_observadorPTT(std::make_unique<AvisosPTT>(*this))
{
    keying::LineaSerie* puerto = m_entorno.puertoRadio;
    if (!puerto) {
        m_puertoRadio = std::make_unique<keying::LineaSerieQt>();
        puerto = m_puertoRadio.get();
    }
    m_ptt = std::make_unique<keying::ControladorPTT>(m_config, *puerto, *m_observadorPTT);
    const auto abortar = [this] { Abortar(); };
    const auto cerrando = [this] { return m_cerrando; };
    const auto guardar = [this] { return GuardarConfiguracion(); };
    m_canal = std::make_unique<transfer::CanalDatos>(transfer::ServiciosCanal{
        socketDatos(), socketComandos(), m_modelo, enlace(), m_config, m_transmision, abortar});
    m_archivos = std::make_unique<transfer::TransferenciaArchivos>(transfer::ServiciosArchivos{
        *m_canal, m_modelo, operador(), enlace(), m_config, m_transmision,
        [this] { return ComprobarModemConectado(); }, abortar});
    m_kiss = std::make_unique<broadcast::EnlaceKISS>(broadcast::ServiciosKISS{
        m_config, m_modelo, operador(), cerrando, guardar, [this] { EsperarFinTransmision(); }});

    // The modem's reports, in the order the dispatch hands them on.
    connect(this, &Estacion::bufferInformado, m_canal.get(), &transfer::CanalDatos::ProcesarBuffer);
    connect(this, &Estacion::enlaceTerminado, m_canal.get(),
            &transfer::CanalDatos::ReiniciarTransferencias);
    // A call started from the connect dialog closes the broadcast dialog.
    connect(this, &Estacion::conexionIniciada, m_kiss.get(),
            &broadcast::EnlaceKISS::CerrarDialogoBroadcast);

    connect(&m_canalComandos, &CanalComandos::caidos, this, &Estacion::MostrarSocketsCaidos);
    connect(&m_canalComandos, &CanalComandos::arriba, this, &Estacion::AlSubirModem);
    connect(&m_canalComandos, &CanalComandos::lineaRecibida, this, &Estacion::ProcesarComando);
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
    m_ajustes = std::make_unique<config::AlmacenAjustes>(RutaAjustes(), m_entorno.escritorio,
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
    m_canalComandos.Cerrar();

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

// The modem: its sockets, the commands sent and the dispatch of its lines.

// A modem that dies or drops the link in the middle of a transmission
// never sends its "PTT OFF": the transmitter must not stay on.
void Estacion::SoltarPTTSiTransmite()
{
    if (m_ptt->Transmitiendo()) m_ptt->DesactivarPTT();
}

void Estacion::MostrarSocketsCaidos()
{
    SoltarPTTSiTransmite();
    // Whatever call or disconnection was under way ended with the modem.
    m_estadoEnlace.Reiniciar();
    m_modelo.FijarImagenPanel(Panel::TCP, QStringLiteral("LedRojo"));
    m_modelo.FijarTooltipPanel(Panel::TCP, QStringLiteral("TCP link disconnected"));
    ActualizarEstado();
}

void Estacion::AlSubirModem()
{
    m_modelo.FijarImagenPanel(Panel::TCP, QStringLiteral("LedVerde"));
    EnviarMyCall();
    EnviarChatOn();
    AplicarAnchoBanda();
    ActualizarEstado();
}

void Estacion::EnviarMyCall()
{
    EnviarComando(QStringLiteral("MYCALL ") + m_config.myCallsign);
}

void Estacion::EnviarChatOn()
{
    EnviarComando(QStringLiteral("CHAT ON"));
}

void Estacion::AplicarAnchoBanda()
{
    if (m_config.koltMode != config::Variante::HF) return;
    const QString& bw = m_config.koltHFBW;
    if (bw == QLatin1String("500") || bw == QLatin1String("2300") || bw == QLatin1String("2750"))
        EnviarComando(QStringLiteral("BW") + bw);
}

void Estacion::Conectar()
{
    m_estadoEnlace.MostrarConectando();
    const QString* destino = config::DestinoDelModo(m_config);
    if (!destino) return;
    QString comando =
        QStringLiteral("CONNECT ") + m_config.myCallsign + QLatin1Char(' ') + *destino;
    // Digipeaters only in FM, and a second one only after a first.
    if (m_config.koltMode == config::Variante::FM && !m_config.via1.isEmpty()) {
        comando += QStringLiteral(" VIA ") + m_config.via1;
        if (!m_config.via2.isEmpty()) comando += QLatin1Char(' ') + m_config.via2;
    }
    EnviarComando(comando);
}

void Estacion::Abortar()
{
    m_estadoEnlace.Desconectando();
    EnviarComando(QStringLiteral("ABORT"));
}

void Estacion::EsperarFinTransmision()
{
    m_modelo.Habilitar({Control::mnuCQ, Control::mnuBroadcast}, false);
    m_tmrFinTransmision.start();
}

void Estacion::FinTransmision()
{
    m_tmrFinTransmision.stop();
    if (m_modelo.control(Control::mnuConnect).enabled && !enlace().enlazado)
        m_modelo.Habilitar({Control::mnuCQ, Control::mnuBroadcast}, true);
}

void Estacion::ProcesarComando(const QString& linea)
{
    if (linea.startsWith(QLatin1String("CONNECTED "))) {
        m_estadoEnlace.Establecido(ParsearConectado(linea.toStdString()));
    } else if (linea.startsWith(QLatin1String("BUFFER "))) {
        emit bufferInformado(linea);
    } else if (linea == QLatin1String("DISCONNECTED")) {
        SoltarPTTSiTransmite();
        m_estadoEnlace.Reiniciar();
        emit enlaceTerminado();
        ActualizarEstado();
    } else if (linea == QLatin1String("PTT ON")) {
        EsperarFinTransmision();
        m_ptt->ActivarPTT();
    } else if (linea == QLatin1String("PTT OFF")) {
        m_ptt->DesactivarPTT();
        FinTransmision();
    } else if (linea == QLatin1String("WRONG")) {
        // A refused call: it is over, and the next link may be the far
        // station's call.
        if (!enlace().enlazado) m_estadoEnlace.Reiniciar();
        ActualizarEstado();
    }
}

// The main window's own menu items: font size, colours, Clear, documents.

void Estacion::AccionTamanoFuente(int puntos)
{
    for (auto [n, item] : {std::pair{10, Control::mnuSize10}, std::pair{11, Control::mnuSize11},
                           std::pair{12, Control::mnuSize12}, std::pair{16, Control::mnuSize16},
                           std::pair{20, Control::mnuSize20}})
        m_modelo.Marcar(item, n == puntos);
    m_config.fontSize = static_cast<std::uint8_t>(puntos);
    m_modelo.FijarFuente(puntos);
}

void Estacion::AccionColor(const QString& colour)
{
    const bool blanco = colour == QLatin1String("White");
    m_config.colour = blanco ? QStringLiteral("White") : QStringLiteral("Black");
    m_modelo.Marcar(Control::mnuColorBlanco, blanco);
    m_modelo.Marcar(Control::mnuColorNegro, !blanco);
    if (blanco)
        m_modelo.FijarColores(0xFFFFFF, 0x000000);
    else
        m_modelo.FijarColores(0x000000, 0x00FF00);
}

void Estacion::AccionLimpiar()
{
    m_modelo.LimpiarRecepcion();
}

bool Estacion::ComprobarModemConectado()
{
    if (SocketsArriba()) return true;
    operador().Mensaje(
        Icono::Exclamacion,
        QStringLiteral("TCP port disconnected. KOLT Chat is not connected with KOLT Modem"));
    return false;
}

// A document beside the program, or the operator is told it is missing
// (each document has its own wording and icon for that).
void Estacion::AbrirDocumento(const QString& nombre, Icono icono, const QString& siFalta)
{
    const QString ruta = QDir(m_entorno.carpetaPrograma).filePath(nombre);
    if (QFileInfo::exists(ruta))
        operador().Abrir(ruta);
    else
        operador().Mensaje(icono, nombre + siFalta);
}

void Estacion::AbrirChangeLog()
{
    AbrirDocumento(QStringLiteral("KOLTChatChangeLog.txt"), Icono::Informacion,
                   QStringLiteral(" not found"));
}

void Estacion::AbrirGuia()
{
    AbrirDocumento(QStringLiteral("How to transmit a file with KOLT Chat.PDF"), Icono::Critico,
                   QStringLiteral(" file not found"));
}

} // namespace kolt::link
