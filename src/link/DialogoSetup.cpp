#include "link/DialogoSetup.h"

#include "broadcast/EnlaceKISS.h"
#include "config/Indicativo.h"
#include "config/LanzadorModem.h"
#include "config/ServiciosShell.h"
#include "keying/ControladorPTT.h"
#include "link/Estacion.h"

#include <limits>

namespace kolt::link {

using config::CamposVariante;
using config::Configuracion;

namespace {

constexpr std::int64_t kPuertoMinimo = 1025;
constexpr std::int64_t kPuertoMaximo = 65534;
// Past any port: long digit runs stop counting here instead of overflowing.
constexpr std::int64_t kSaturacion = 999'999'999;

bool AnchoBandaConocido(const QString& bw)
{
    return bw == QLatin1String("500") || bw == QLatin1String("2300") || bw == QLatin1String("2750");
}

} // namespace

std::int64_t ValorNumerico(const QString& texto)
{
    qsizetype i = 0;
    while (i < texto.size() && (texto[i] == QLatin1Char(' ') || texto[i] == QLatin1Char('\t')))
        ++i;
    std::int64_t valor = 0;
    for (; i < texto.size() && texto[i] >= QLatin1Char('0') && texto[i] <= QLatin1Char('9'); ++i)
        valor = std::min(kSaturacion, valor * 10 + (texto[i].unicode() - u'0'));
    return valor;
}

QString PuertoDatos(const QString& puertoComandos)
{
    return QString::number(ValorNumerico(puertoComandos) + 1);
}

bool PuertoValido(const QString& texto)
{
    const std::int64_t v = ValorNumerico(texto);
    return v >= kPuertoMinimo && v <= kPuertoMaximo;
}

DialogoSetup::DialogoSetup(Estacion& estacion) : m_estacion(estacion) {}

void DialogoSetup::Cargar()
{
    m_cancelado = false;
    Configuracion& c = m_estacion.config();
    CamposSetup f;
    for (Variante v : config::kVariantes) {
        const CamposVariante& campos = config::CamposDe(v);
        f.puerto[Indice(v)] = QString::number(c.*campos.puerto);
        f.host[Indice(v)] = c.*campos.host;
        f.ruta[Indice(v)] = c.*campos.ruta;
    }
    f.puertoKISS = QString::number(c.kissTcpPort);
    f.hostKISS = c.kissHost;
    f.indicativo = c.myCallsign;
    f.variante = c.koltMode.variante();
    f.anchoBanda = AnchoBandaConocido(c.koltHFBW) ? c.koltHFBW : QString();
    f.desconectar = c.autoDisconnect != 0;
    f.lanzar = c.autoLaunch != 0;
    f.log = c.saveLog != 0;
    f.carpeta = c.downloadFolder;
    m_campos = f;
    GestionarModo();
}

DisposicionSetup DialogoSetup::GestionarModo()
{
    DisposicionSetup d;
    const int i = Indice(m_campos.variante);
    d.marcoTCP[i] = true;
    d.marcoRuta[i] = m_campos.lanzar;
    d.marcoAnchoBanda = m_campos.variante == Variante::HF;
    m_estacion.MarcarModo(m_campos.variante);
    return d;
}

void DialogoSetup::Cambiar()
{
    const QString elegida =
        config::ElegirCarpeta(m_estacion.operador(), m_estacion.config().downloadFolder,
                              QStringLiteral("Select the Destination Folder"));
    if (!elegida.isEmpty()) m_campos.carpeta = elegida;
}

void DialogoSetup::Cancelar()
{
    m_cancelado = true;
}

DialogoSetup::Cierre DialogoSetup::Rechazar(const QString& mensaje, Campo foco)
{
    m_estacion.operador().Mensaje(model::Icono::Exclamacion, mensaje);
    return {false, foco};
}

DialogoSetup::Cierre DialogoSetup::Cerrar()
{
    if (m_estacion.Cerrando()) return {};
    if (m_cancelado) {
        // Clicking through the variants moved the main window's marks.
        m_estacion.MarcarModo(m_estacion.config().koltMode.variante());
        return {};
    }
    if (m_estacion.enlace().enlazado)
        return Rechazar(QStringLiteral("No while a connection is is progress."), Campo::Ninguno);

    CamposSetup& f = m_campos;
    if (!PuertoValido(f.puertoKISS))
        return Rechazar(QStringLiteral("Invalid KISS TCP port"), Campo::PuertoKISS);
    f.hostKISS = f.hostKISS.trimmed();
    if (f.hostKISS.isEmpty()) return Rechazar(QStringLiteral("Invalid KISS Host"), Campo::HostKISS);

    // Only the selected variant's fields: the others may hold anything.
    const int i = Indice(f.variante);
    const QString nombre = config::NombreDe(config::kVariantes[i]);
    if (!PuertoValido(f.puerto[i]))
        return Rechazar(QStringLiteral("Invalid KOLT %1 TCP port").arg(nombre), Campo::Puerto);
    for (QString& h : f.host)
        h = h.trimmed();
    if (f.host[i].isEmpty())
        return Rechazar(QStringLiteral("Invalid KOLT %1 Host").arg(nombre), Campo::Host);

    std::string indicativo = f.indicativo.toStdString();
    const bool indicativoValido = config::ComprobarIndicativo(indicativo);
    f.indicativo = QString::fromStdString(indicativo);
    if (!indicativoValido) return Rechazar(QStringLiteral("Invalid Call Sign"), Campo::Indicativo);

    QString relanzar;
    if (!ModemCambiado(relanzar)) return {false, Campo::Ninguno};
    CerrarSocketsQueCambian();
    Guardar();
    m_estacion.ComprobarSockets();
    m_estacion.GuardarConfiguracion();
    // Started once the settings file holds the new variant: a modem that
    // reads its ports from it, as the stand-in modem does, must find them.
    if (!relanzar.isEmpty())
        config::LanzarConAvisos(m_estacion.lanzador(), m_estacion.operador(), relanzar);
    return {};
}

// A new variant or a new program path: the old modem program goes (or,
// when the chat does not run it, the sockets to it), and with the launch
// box checked `relanzar` names the program to start. False when that one
// cannot start: told before anything is touched, so the running modem
// stays and the dialog stays open.
bool DialogoSetup::ModemCambiado(QString& relanzar)
{
    Configuracion& c = m_estacion.config();
    const int i = Indice(m_campos.variante);
    const bool otraVariante =
        m_campos.variante != Variante::Ninguna && m_campos.variante != c.koltMode.variante();
    QString& ruta = c.*config::CamposDe(m_campos.variante).ruta;
    if (!otraVariante && m_campos.ruta[i] == ruta) return true;

    // The box as it stands now decides, not the stored "AutoLaunch".
    if (m_campos.lanzar &&
        !config::PuedeLanzarse(m_estacion.lanzador(), m_estacion.operador(), m_campos.ruta[i]))
        return false;
    if (m_campos.lanzar) {
        m_estacion.lanzador().CerrarModem();
        relanzar = m_campos.ruta[i];
    } else {
        m_estacion.socketComandos().abort();
        m_estacion.socketDatos().abort();
    }
    ruta = m_campos.ruta[i];
    return true;
}

void DialogoSetup::CerrarSocketsQueCambian()
{
    // Reopened with the stored host and port by the socket check that follows.
    QTcpSocket& kiss = m_estacion.kiss().socket();
    if (static_cast<quint16>(ValorNumerico(m_campos.puertoKISS)) != kiss.peerPort() ||
        m_campos.hostKISS != kiss.peerName())
        kiss.abort();

    const int i = Indice(m_campos.variante);
    const auto puerto = static_cast<quint16>(ValorNumerico(m_campos.puerto[i]));
    QTcpSocket& comandos = m_estacion.socketComandos();
    if (puerto != comandos.peerPort() || m_campos.host[i] != comandos.peerName()) {
        comandos.abort();
        m_estacion.socketDatos().abort();
    }
}

void DialogoSetup::Guardar()
{
    Configuracion& c = m_estacion.config();
    const CamposSetup& f = m_campos;
    // Every variant's fields, checked or not. A number that no port can be
    // keeps the stored port rather than wrapping round to another one.
    for (Variante variante : config::kVariantes) {
        const int i = Indice(variante);
        const CamposVariante& campos = config::CamposDe(variante);
        const std::int64_t v = ValorNumerico(f.puerto[i]);
        if (v <= std::numeric_limits<std::uint16_t>::max())
            c.*campos.puerto = static_cast<std::uint16_t>(v);
        c.*campos.host = f.host[i];
    }
    c.kissTcpPort = static_cast<std::uint16_t>(ValorNumerico(f.puertoKISS));
    c.kissHost = f.hostKISS;

    if (f.indicativo != c.myCallsign) {
        c.myCallsign = f.indicativo;
        m_estacion.modelo().FijarTitulo(kTituloPrograma + f.indicativo);
        m_estacion.EnviarMyCall();
    }

    const bool eraFM = c.koltMode == Variante::FM;
    if (f.variante != Variante::Ninguna) c.koltMode = f.variante;
    // A radio keyed the old variant's way is unkeyed now; leaving FM, the
    // radio port is needed at once, not at the next start.
    m_estacion.ptt().AjustesCambiados();
    if (eraFM && c.koltMode != Variante::FM) m_estacion.ptt().AbrirPuertoRadio();
    if (!f.anchoBanda.isEmpty()) c.koltHFBW = f.anchoBanda;
    m_estacion.AplicarAnchoBanda();

    c.downloadFolder = f.carpeta;
    c.autoDisconnect = f.desconectar ? 1 : 0;
    c.autoLaunch = f.lanzar ? 1 : 0;
    c.saveLog = f.log ? 1 : 0;
}

} // namespace kolt::link
