// File transfer: the sending half, and what both halves share.

#include "transfer/TransferenciaArchivos.h"

#include "config/Ansi.h"
#include "transfer/NombresArchivo.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace kolt::transfer {

using model::Icono;

namespace {

TransferenciaArchivos::Reloj RelojMonotono()
{
    QElapsedTimer inicio;
    inicio.start();
    return [inicio] { return inicio.elapsed(); };
}

} // namespace

QString BytesPorMinuto(std::uint64_t bytes, std::int64_t milisegundos)
{
    if (milisegundos <= 0) return QStringLiteral("XXXX");
    // Below 2^47 for any frame: no overflow.
    return QString::number(DividirAlPar(bytes * 60'000, std::uint64_t(milisegundos)));
}

TransferenciaArchivos::TransferenciaArchivos(ServiciosArchivos servicios)
    : m_s(std::move(servicios)), m_reloj(RelojMonotono())
{
    m_s.canal.FijarManejadorArchivos(this);
}

TransferenciaArchivos::~TransferenciaArchivos()
{
    m_s.canal.FijarManejadorArchivos(nullptr);
}

void TransferenciaArchivos::AccionEnviarArchivo()
{
    if (m_s.modemConectado()) EnviarArchivo();
}

QByteArray TransferenciaArchivos::LeerArchivo(const QString& ruta, QString* error)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = f.errorString();
        return {};
    }
    QByteArray carga = config::ATextoAnsi(NombreParaEnviar(NombreDeRuta(ruta)));
    carga.append(char(kSeparadorNombre));
    const qsizetype inicio = carga.size();
    const qint64 tamano = f.size();
    if (inicio + tamano > qint64{kCargaMaxima}) {
        if (error) *error = QStringLiteral("it is larger than 2048000 bytes");
        return {};
    }
    carga.resize(inicio + qsizetype(tamano));
    qint64 leidos = 0;
    while (leidos < tamano) {
        const qint64 n = f.read(carga.data() + inicio + leidos, tamano - leidos);
        if (n <= 0) break;
        leidos += n;
    }
    char extra;
    if (leidos != tamano || f.read(&extra, 1) != 0) {
        if (error)
            *error = f.error() != QFileDevice::NoError
                         ? f.errorString()
                         : QStringLiteral("it changed while it was being read");
        return {};
    }
    return carga;
}

bool TransferenciaArchivos::PuedeEnviar()
{
    const model::Enlace& enlace = m_s.enlace;
    return enlace.enlazado && !enlace.desconectando &&
           m_s.transmision.bytesPendientes == 0 && !m_s.canal.Recibiendo();
}

void TransferenciaArchivos::EnviarArchivo()
{
    CanalDatos& canal = m_s.canal;
    EstadoTransmision& tx = m_s.transmision;
    // The item is disabled then; a frame in flight must not be replaced.
    if (!PuedeEnviar()) return;
    config::Configuracion& c = m_s.config;
    model::Operador& operador = m_s.operador;

    const QString ruta = operador.ElegirArchivo(c.loadPathFile, QStringLiteral("Select file"));
    // The picker is modal, the modem is not: the link may have ended, or a
    // frame started, while the operator chose.
    if (ruta.isEmpty() || !PuedeEnviar()) return;
    const QFileInfo info(ruta);
    if (!info.isFile()) {
        operador.Mensaje(Icono::Critico, ruta + QStringLiteral(" not found"));
        return;
    }
    const QString nombre = NombreDeRuta(ruta);
    const QString nombreEnviado = NombreParaEnviar(nombre);
    const qint64 total = config::ATextoAnsi(nombreEnviado).size() + info.size() + 1;
    if (total > qint64{kCargaMaxima}) {
        operador.Mensaje(Icono::Exclamacion,
                         EntreComillas(nombre) +
                             QStringLiteral(" size is too big (2048000 bytes Maximum)"));
        return;
    }
    if (info.size() == 0) {
        operador.Mensaje(Icono::Exclamacion, EntreComillas(nombre) + QStringLiteral(" is empty"));
        return;
    }
    c.loadPathFile = info.absolutePath();

    QString error;
    QByteArray carga = LeerArchivo(ruta, &error);
    if (carga.isEmpty()) {
        operador.Mensaje(Icono::Critico,
                         EntreComillas(nombre) + QStringLiteral(" could not be read: ") + error);
        return;
    }
    // As read: the file may have changed since it was checked.
    const qint64 anunciado = carga.size();
    model::ModeloVentana& modelo = m_s.modelo;
    modelo.Mostrar(model::Control::lblWait, true);
    const TramaArchivo trama = ArmarTramaArchivo(std::span(
        reinterpret_cast<const std::uint8_t*>(carga.constData()), std::size_t(carga.size())));
    modelo.Mostrar(model::Control::lblWait, false);
    carga = QByteArray();

    modelo.Mostrar(model::Control::cmdEnviar, false);
    modelo.Habilitar(model::Control::mnuSendFile, false);
    modelo.Habilitar(model::Control::mnuClear, false);
    canal.CabeceraPropia();
    // The block is this station's from here: a remote line arriving before
    // the send completes gets its own header.
    tx.ultimoEmisor = Emisor::Propio;
    modelo.AgregarRecepcion(QStringLiteral("Sending ") + EntreComillas(nombreEnviado) +
                            QLatin1Char(' ') + QString::number(trama.bytes.size()) +
                            QLatin1Char('/') + QString::number(anunciado + qint64(trama.cabecera)) +
                            QStringLiteral(" bytes...") + kFinLinea);
    tx.ecoPendiente.clear();
    tx.estadoEnvio = Envio::Archivo;
    canal.EntregarTrama(QByteArrayView(reinterpret_cast<const char*>(trama.bytes.data()),
                                       qsizetype(trama.bytes.size())));
    modelo.FijarProgreso(0);
    modelo.Mostrar(model::Control::ProgressBar, true);
    m_tickInicioEnvio = m_reloj();
}

void TransferenciaArchivos::EnvioTerminado(std::int64_t bytesTrama)
{
    const QString tasa = BytesPorMinuto(std::uint64_t(std::max<std::int64_t>(bytesTrama, 0)),
                                        m_reloj() - m_tickInicioEnvio);
    CanalDatos& canal = m_s.canal;
    canal.CabeceraPropia();
    canal.MostrarMensaje(QStringLiteral("File sent successfully @ ") + tasa +
                         QStringLiteral(" Bytes/min") + kFinLinea);
    if (m_s.config.autoDisconnect == 1) m_s.abortar();
}

} // namespace kolt::transfer
