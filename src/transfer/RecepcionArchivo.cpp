// File transfer: the receiving half.

#include "transfer/TransferenciaArchivos.h"

#include "config/Ansi.h"
#include "transfer/NombresArchivo.h"

#include <QDir>

#include <algorithm>

namespace kolt::transfer {

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
    m_s.modelo.AgregarRecepcion(QStringLiteral("Receiving ") +
                                         QString::number(inicio.total()) +
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
    r.guardado = GuardarArchivo(m_s.config.downloadFolder, NombreSeguro(r.recibido),
                                abierta.cuerpo);
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
