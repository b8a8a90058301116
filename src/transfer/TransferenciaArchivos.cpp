// Sending a file as one frame and saving the file frames that arrive.

#include "transfer/TransferenciaArchivos.h"

#include "config/Ansi.h"
#include "transfer/NombresArchivo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

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
    return enlace.enlazado && !enlace.desconectando && m_s.transmision.bytesPendientes == 0 &&
           !m_s.canal.Recibiendo();
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

namespace {

QString MotivoDano(EstadoCarga e)
{
    switch (e) {
    case EstadoCarga::Ok: break;
    case EstadoCarga::SinSeparador: return QStringLiteral("it holds no file name");
    case EstadoCarga::Corrupta: return QStringLiteral("its compressed data is not valid");
    case EstadoCarga::Excesiva: return QStringLiteral("it would expand beyond 2048000 bytes");
    }
    return {};
}

} // namespace

void TransferenciaArchivos::InicioRecepcion(const InicioArchivo& inicio)
{
    m_s.modelo.AgregarRecepcion(QStringLiteral("Receiving ") + QString::number(inicio.total()) +
                                QStringLiteral(" bytes file..."));
    m_tickInicioRecepcion = m_reloj();
    m_bytesPrimerBloque = inicio.enEsteBloque;
    m_totalTrama = inicio.total();
    m_marcador = inicio.marcador;
    m_esperado = inicio.longitud;
    // One allocation for the whole payload: it grows by appending only, so
    // a large file costs no copying, and the frame reader has already
    // refused any length above the largest file.
    OlvidarBuffer();
    m_bufferArchivo.reserve(m_esperado);
}

void TransferenciaArchivos::CargaRecibida(std::span<const std::uint8_t> pieza)
{
    const std::size_t cabe = m_esperado - std::min(m_esperado, m_bufferArchivo.size());
    pieza = pieza.first(std::min(cabe, pieza.size()));
    m_bufferArchivo.insert(m_bufferArchivo.end(), pieza.begin(), pieza.end());
}

void TransferenciaArchivos::FinRecepcion(bool enUnBloque)
{
    const QString tasa =
        enUnBloque ? QStringLiteral("XXXX")
                   : BytesPorMinuto(m_totalTrama - std::min(m_totalTrama, m_bytesPrimerBloque),
                                    m_reloj() - m_tickInicioRecepcion);
    const Recepcion r = ProcesarArchivoRecibido(m_marcador, m_bufferArchivo);
    OlvidarBuffer();
    MostrarRecepcion(r, tasa);
}

void TransferenciaArchivos::RecepcionAbandonada()
{
    // Nothing of it has reached the disk: the body is written only once whole.
    OlvidarBuffer();
}

void TransferenciaArchivos::OlvidarBuffer()
{
    std::vector<std::uint8_t>().swap(m_bufferArchivo);
}

TransferenciaArchivos::Recepcion
TransferenciaArchivos::ProcesarArchivoRecibido(Marcador marcador,
                                               std::span<const std::uint8_t> carga)
{
    Recepcion r;
    std::vector<std::uint8_t> descomprimida;
    const CargaAbierta abierta = AbrirCarga(marcador, carga, descomprimida);
    r.carga = abierta.estado;
    if (r.carga != EstadoCarga::Ok) return r;
    r.recibido = config::DeTextoAnsi(QByteArrayView(
        reinterpret_cast<const char*>(abierta.nombre.data()), qsizetype(abierta.nombre.size())));
    r.guardado =
        GuardarArchivo(m_s.config.downloadFolder, NombreSeguro(r.recibido), abierta.cuerpo);
    return r;
}

void TransferenciaArchivos::MostrarRecepcion(const Recepcion& r, const QString& tasa)
{
    CanalDatos& canal = m_s.canal;
    // A file that was not saved is told on the screen and heard as it is.
    const auto noGuardado = [&](const QString& motivo) {
        canal.MostrarMensaje(kFinLinea + motivo + kFinLinea);
        m_s.modelo.Anunciar(motivo);
    };
    if (r.carga != EstadoCarga::Ok) {
        noGuardado(QStringLiteral("File arrived damaged and was not saved: ") +
                   MotivoDano(r.carga) + QLatin1Char('.'));
        return;
    }
    const QString seguro = NombreSeguro(r.recibido);
    switch (r.guardado.estado) {
    case Guardado::Estado::SinCarpeta:
        noGuardado(EntreComillas(seguro) + QStringLiteral(" not saved: the download folder ") +
                   EntreComillas(QDir::toNativeSeparators(m_s.config.downloadFolder)) +
                   QStringLiteral(" does not exist."));
        return;
    case Guardado::Estado::Fallo:
        noGuardado(EntreComillas(seguro) + QStringLiteral(" not saved: ") + r.guardado.error +
                   QLatin1Char('.'));
        return;
    case Guardado::Estado::Guardado: break;
    }

    const QString& nombre = r.guardado.nombre;
    QString texto = kFinLinea + EntreComillas(nombre) + QStringLiteral(" received @ ") + tasa +
                    QStringLiteral(" Bytes/min") + kFinLinea;
    // Whenever the file is not under the name it was sent with, say why.
    if (r.recibido.isEmpty())
        texto += QStringLiteral("The file came without a name; it is ") + EntreComillas(nombre) +
                 QLatin1Char('.') + kFinLinea;
    else if (seguro != r.recibido)
        texto += QStringLiteral("The name sent, ") + EntreComillas(NombreVisible(r.recibido)) +
                 QStringLiteral(", is not a plain file name; the file is ") +
                 EntreComillas(nombre) + QLatin1Char('.') + kFinLinea;
    else if (nombre != r.recibido)
        texto += EntreComillas(r.recibido) +
                 QStringLiteral(" already exists in the download folder; the new file is ") +
                 EntreComillas(nombre) + QLatin1Char('.') + kFinLinea;
    canal.MostrarMensaje(texto);
    m_s.modelo.Anunciar(QStringLiteral("File received: ") + EntreComillas(nombre));
}

} // namespace kolt::transfer
