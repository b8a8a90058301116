#include "broadcast/DialogoBroadcast.h"

#include "broadcast/EnlaceKISS.h"
#include "broadcast/Mensajes.h"
#include "config/Indicativo.h"
#include "config/Historial.h"

#include <optional>

namespace kolt::broadcast {

namespace {

bool EsFM(const config::Configuracion& c)
{
    return c.koltMode == config::Variante::FM;
}

QStringList HastaElPrimerVacio(const config::Historial& lista)
{
    QStringList r;
    for (const QString& s : lista) {
        if (s.isEmpty()) break;
        r.append(s);
    }
    return r;
}

// ComprobarIndicativo on a copy: the call sign upper-cased, or nothing.
std::optional<QString> Valido(const QString& texto)
{
    std::string copia = texto.toStdString();
    if (!config::ComprobarIndicativo(copia)) return std::nullopt;
    return QString::fromStdString(copia);
}

} // namespace

ContenidoDialogo CargarDialogoBroadcast(const config::Configuracion& c)
{
    ContenidoDialogo d;
    d.digisVisibles = EsFM(c);
    d.listaVia1 = HastaElPrimerVacio(c.via1List);
    d.listaVia2 = HastaElPrimerVacio(c.via2List);
    d.via1 = c.via1;
    d.via2 = c.via2;
    return d;
}

QString LimitarMensaje(const QString& mensaje)
{
    const qsizetype limite = static_cast<qsizetype>(kLimiteMensaje);
    if (mensaje.size() <= limite) return mensaje;
    const bool partido = mensaje.at(limite - 1).isHighSurrogate();
    return mensaje.left(partido ? limite - 1 : limite);
}

QString ContadorMensaje(const QString& mensaje)
{
    return QString::fromStdString(TextoContador(static_cast<std::size_t>(mensaje.size())));
}

void ActualizarListasVia(config::Configuracion& c)
{
    config::ActualizarHistorial(c.via1List, c.via1);
    config::ActualizarHistorial(c.via2List, c.via2);
}

ResultadoEnvio PulsarEnviarBroadcast(EnlaceKISS& kiss, const QString& via1,
                                     const QString& via2, const QString& mensaje)
{
    const ServiciosKISS& s = kiss.servicios();
    config::Configuracion& c = s.config;
    if (EsFM(c)) {
        const std::optional<QString> v1 = Valido(via1);
        const std::optional<QString> v2 = v1 ? Valido(via2) : std::nullopt;
        if (!v1 || !v2) {
            s.operador.Mensaje(model::Icono::Exclamacion, QStringLiteral("Invalid Call Sign"));
            return {false, v1 ? CampoVia::Via2 : CampoVia::Via1};
        }
        c.via1 = *v1;
        c.via2 = *v2;
    }
    ActualizarListasVia(c);
    s.guardar();
    return {kiss.EnviarBroadcast(mensaje), CampoVia::Ninguno};
}

void AlCerrarDialogoBroadcast(EnlaceKISS& kiss, const QString& via1, const QString& via2)
{
    const ServiciosKISS& s = kiss.servicios();
    if (s.cerrando()) return;
    const std::optional<QString> v1 = Valido(via1);
    const std::optional<QString> v2 = Valido(via2);
    if (!v1 || !v2) return;
    config::Configuracion& c = s.config;
    if (EsFM(c)) {
        c.via1 = *v1;
        c.via2 = *v2;
    }
    s.guardar();
}

} // namespace kolt::broadcast
