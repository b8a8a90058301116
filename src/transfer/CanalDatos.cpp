#include "transfer/CanalDatos.h"

#include "config/Ansi.h"

namespace kolt::transfer {

using model::Panel;

namespace {

const QString kErrorEnlace =
    QStringLiteral("Link Error - Received data stream not correct format.\r\n");

// The transmit box may hold line breaks of any kind (pasted text); the wire
// and the screen carry CR LF.
QString ConSaltosCRLF(QString texto)
{
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    texto.replace(QLatin1Char('\n'), kFinLinea);
    return texto;
}

} // namespace

CanalDatos::CanalDatos(ServiciosCanal servicios, QObject* parent)
    : QObject(parent), m_s(std::move(servicios))
{
    QTcpSocket& datos = m_s.datos;
    connect(&datos, &QTcpSocket::readyRead, this,
            [this, &datos] { RecibirDatos(datos.readAll()); });
    // A new connection is a new stream: nothing of the old one continues in it.
    connect(&datos, &QTcpSocket::connected, this, &CanalDatos::OlvidarRecepcion);
    // With a modem socket lost, what was sent will never be reported gone:
    // a reconnected modem's reports speak of its own buffer. Reception goes
    // on: the data socket may still be carrying the rest of a frame.
    for (QTcpSocket* s : {&datos, &m_s.comandos})
        connect(s, &QTcpSocket::disconnected, this, &CanalDatos::AbandonarEnvio);
}

CanalDatos::~CanalDatos() = default;

void CanalDatos::EnviarTexto()
{
    EstadoTransmision& tx = m_s.transmision;
    // One frame in flight at a time: a second one would overwrite the echo
    // of the first.
    if (tx.bytesPendientes != 0) return;
    model::ModeloVentana& modelo = m_s.modelo;
    const QString texto = ConSaltosCRLF(modelo.textoTransmision());
    if (texto.isEmpty()) return;

    modelo.Mostrar(model::Control::ProgressBar, true);
    modelo.Mostrar(model::Control::cmdEnviar, false);
    modelo.Habilitar(model::Control::mnuSendFile, false);
    const QByteArray carga = config::ATextoAnsi(texto);
    tx.ecoPendiente = texto + kFinLinea;
    tx.estadoEnvio = Envio::Texto;
    EntregarTrama(QByteArray::fromStdString(Cabecera(std::size_t(carga.size()), Marcador::Texto)) +
                  carga);
    modelo.FijarProgreso(0);
    modelo.FijarTextoTransmision(QString());
    modelo.Habilitar(model::Control::mnuClear, false);
}

void CanalDatos::EntregarTrama(QByteArrayView trama)
{
    // A socket that is down takes nothing; the send stays in flight until
    // the link ends or a socket is renewed, as with any lost send.
    QTcpSocket& datos = m_s.datos;
    if (datos.state() == QAbstractSocket::ConnectedState) datos.write(trama.data(), trama.size());
    m_s.transmision.bytesPendientes = trama.size();
}

void CanalDatos::RecibirDatos(QByteArrayView bloque)
{
    if (bloque.isEmpty()) return;
    CabeceraRemota();
    // After a malformed stream nothing is trusted until the link ends.
    if (m_receptor.fallido()) return;

    m_empezoAqui = false;
    const std::span<const EventoTrama> eventos = m_receptor.feed(std::span(
        reinterpret_cast<const std::uint8_t*>(bloque.data()), std::size_t(bloque.size())));
    const quint64 generacion = m_generacion;
    for (std::size_t i = 0; i < eventos.size() && generacion == m_generacion; ++i) {
        const EventoTrama& e = eventos[i];
        switch (e.tipo) {
        case EventoTrama::Tipo::Inicio: AlIniciarTrama(eventos.subspan(i + 1), e); break;
        case EventoTrama::Tipo::Carga:
            if (!m_esArchivo)
                m_texto.append(reinterpret_cast<const char*>(e.carga.data()),
                               qsizetype(e.carga.size()));
            else if (m_archivos)
                m_archivos->CargaRecibida(e.carga);
            break;
        case EventoTrama::Tipo::Fin: AlTerminarTrama(e); break;
        case EventoTrama::Tipo::Error: ErrorDeEnlace(); return;
        }
    }
    // A handler that ended the link has already reset the display.
    if (generacion != m_generacion) return;

    if (m_receptor.enTrama()) {
        MostrarProgreso(m_receptor.recibidos(), m_receptor.esperados(),
                        QStringLiteral(" Bytes Rcvd"), QStringLiteral("Descargando"));
        model::ModeloVentana& modelo = m_s.modelo;
        modelo.Mostrar(model::Control::cmdEnviar, false);
        modelo.Habilitar(model::Control::mnuSendFile, false);
    }
}

void CanalDatos::CabeceraRemota()
{
    EstadoTransmision& tx = m_s.transmision;
    if (tx.ultimoEmisor == Emisor::Remoto) return;
    // The chat text received so far is kept: a header written in the middle
    // of a frame (after an own echo) must not cut the frame's text.
    m_s.modelo.AgregarRecepcion(QLatin1Char('<') + m_s.enlace.Remota() +
                                         kFinLinea);
    tx.ultimoEmisor = Emisor::Remoto;
}

void CanalDatos::AlIniciarTrama(std::span<const EventoTrama> siguen, const EventoTrama& inicio)
{
    m_empezoAqui = true;
    m_esArchivo = EsArchivo(inicio.marcador);
    m_texto.clear();
    if (!m_esArchivo) {
        // Grown as the payload comes: an announced length is only a claim.
        m_texto.reserve(qsizetype(std::min<std::uint32_t>(inicio.longitud, 64 * 1024)));
        return;
    }
    if (!m_archivos) return;
    InicioArchivo a{inicio.marcador, inicio.longitud, inicio.cabecera, inicio.cabecera};
    for (const EventoTrama& e : siguen) {
        if (e.tipo != EventoTrama::Tipo::Carga) break;
        a.enEsteBloque += e.carga.size();
    }
    m_archivos->InicioRecepcion(a);
}

void CanalDatos::AlTerminarTrama(const EventoTrama& fin)
{
    MostrarProgreso(fin.total(), fin.total(), QStringLiteral(" Bytes Rcvd"),
                    QStringLiteral("Descargando"));
    if (m_s.transmision.bytesPendientes == 0) {
        RestaurarControles();
        LimpiarIndicadores();
    }
    if (m_esArchivo) {
        if (m_archivos) m_archivos->FinRecepcion(m_empezoAqui);
    } else {
        MostrarMensaje(config::DeTextoAnsi(m_texto));
        m_texto.clear();
        m_s.modelo.AgregarRecepcion(kFinLinea);
    }
    m_esArchivo = false;
}

void CanalDatos::ErrorDeEnlace()
{
    m_texto.clear();
    m_s.modelo.AgregarRecepcion(kErrorEnlace);
    m_s.abortar();
}

void CanalDatos::ProcesarBuffer(const QString& linea)
{
    const QStringList campos = linea.split(QLatin1Char(' '));
    if (campos.size() != 2) return;
    // A count that is not a number (or is negative) is no report at all:
    // it must not complete a send.
    bool numero = false;
    qint64 n = campos[1].toLongLong(&numero);
    if (!numero || n < 0) return;

    EstadoTransmision& tx = m_s.transmision;
    if (tx.bytesPendientes == 0) return;
    n = std::min<qint64>(n, tx.bytesPendientes);
    MostrarProgreso(std::uint64_t(tx.bytesPendientes - n), std::uint64_t(tx.bytesPendientes),
                    QStringLiteral(" Bytes Sent"), QStringLiteral("Subiendo"));
    if (n != 0) return;

    if (tx.estadoEnvio == Envio::Archivo) {
        if (m_archivos) m_archivos->EnvioTerminado(tx.bytesPendientes);
    } else if (tx.estadoEnvio == Envio::Texto) {
        CabeceraPropia();
        MostrarMensaje(tx.ecoPendiente);
        tx.ecoPendiente.clear();
    }

    tx.bytesPendientes = 0;
    LimpiarIndicadores();
    tx.ultimoEmisor = Emisor::Propio;
    model::ModeloVentana& modelo = m_s.modelo;
    modelo.Habilitar(model::Control::txtTXChat, true);
    modelo.Habilitar(model::Control::mnuClear, true);
    RestaurarControles();
    modelo.EnfocarTransmision();
}

void CanalDatos::ReiniciarTransferencias()
{
    m_s.transmision.ultimoEmisor = Emisor::Nadie;
    AbandonarEnVuelo();
}

void CanalDatos::AbandonarEnVuelo()
{
    AbandonarEnvio();
    OlvidarRecepcion();
}

void CanalDatos::AbandonarEnvio()
{
    EstadoTransmision& tx = m_s.transmision;
    if (tx.bytesPendientes == 0 && tx.estadoEnvio == Envio::Ninguno) return;
    tx.bytesPendientes = 0;
    tx.estadoEnvio = Envio::Ninguno;
    // What a send took away comes back with it.
    m_s.modelo.Habilitar(model::Control::mnuClear, true);
}

void CanalDatos::OlvidarRecepcion()
{
    if (m_receptor.enTrama() && m_esArchivo && m_archivos) m_archivos->RecepcionAbandonada();
    m_receptor.reset();
    ++m_generacion;
    m_esArchivo = false;
    m_texto = QByteArray(); // frees a large partial text too
}

void CanalDatos::CabeceraPropia()
{
    EstadoTransmision& tx = m_s.transmision;
    if (tx.ultimoEmisor == Emisor::Propio) return;
    m_s.modelo.AgregarRecepcion(QLatin1Char('>') + m_s.config.myCallsign +
                                         kFinLinea);
}

void CanalDatos::MostrarMensaje(const QString& texto)
{
    m_s.modelo.AgregarRecepcionCortando(texto, kRecepcionMaxima);
}

void CanalDatos::MostrarProgreso(std::uint64_t hechos, std::uint64_t total, const QString& sufijo,
                                 const QString& imagen)
{
    model::ModeloVentana& modelo = m_s.modelo;
    modelo.FijarProgreso(Porcentaje(hechos, total));
    modelo.Mostrar(model::Control::ProgressBar, true);
    modelo.FijarPanel(Panel::Bytes, {QString::number(hechos) + sufijo, imagen, QString()});
}

void CanalDatos::LimpiarIndicadores()
{
    model::ModeloVentana& modelo = m_s.modelo;
    modelo.FijarPanel(Panel::Bytes, {});
    modelo.Mostrar(model::Control::ProgressBar, false);
}

// The Send button and Send File come back only where the link state allows
// them: not while disconnecting, not without a link, not while a frame is
// still being sent or received.
void CanalDatos::RestaurarControles()
{
    const model::Enlace& enlace = m_s.enlace;
    if (!enlace.enlazado || enlace.desconectando || m_s.transmision.bytesPendientes != 0 ||
        m_receptor.enTrama())
        return;
    model::ModeloVentana& modelo = m_s.modelo;
    modelo.Mostrar(model::Control::cmdEnviar, true);
    modelo.Habilitar(model::Control::mnuSendFile, true);
}

} // namespace kolt::transfer
