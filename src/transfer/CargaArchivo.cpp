#include "transfer/CargaArchivo.h"

#include "transfer/deflate/Compresion.h"

#include <algorithm>

namespace kolt::transfer {

TramaArchivo ArmarTramaArchivo(std::span<const std::uint8_t> carga)
{
    TramaArchivo t;
    std::vector<std::uint8_t> comprimida;
    if (SeComprime(carga.size())) {
        t.marcador = Marcador::ArchivoComprimido;
        comprimida = deflate::Deflate(carga, kNivelCompresion);
        carga = comprimida;
    }
    const std::string cabecera = Cabecera(carga.size(), t.marcador);
    t.cabecera = cabecera.size();
    t.bytes.reserve(cabecera.size() + carga.size());
    t.bytes.insert(t.bytes.end(), cabecera.begin(), cabecera.end());
    t.bytes.insert(t.bytes.end(), carga.begin(), carga.end());
    return t;
}

std::string_view DescribirEstado(EstadoCarga e)
{
    switch (e) {
    case EstadoCarga::Ok: return "ok";
    case EstadoCarga::SinSeparador: return "no name separator";
    case EstadoCarga::Corrupta: return "compressed data not valid";
    case EstadoCarga::Excesiva: return "expands beyond the largest file";
    }
    return "unknown";
}

CargaAbierta AbrirCarga(Marcador marcador, std::span<const std::uint8_t> carga,
                        std::vector<std::uint8_t>& almacen)
{
    CargaAbierta r;
    if (marcador == Marcador::ArchivoComprimido) {
        // The hint only sizes the first allocation; the limit is what bounds it.
        const std::size_t pista = std::min<std::size_t>(carga.size() * 4, kCargaMaxima);
        switch (deflate::Inflate(carga, almacen, kCargaMaxima, pista)) {
        case deflate::InflateStatus::Ok: break;
        case deflate::InflateStatus::OutputLimit: r.estado = EstadoCarga::Excesiva; return r;
        default: r.estado = EstadoCarga::Corrupta; return r;
        }
        carga = almacen;
    }
    const auto separador = std::find(carga.begin(), carga.end(), kSeparadorNombre);
    if (separador == carga.end()) {
        r.estado = EstadoCarga::SinSeparador;
        return r;
    }
    const auto posicion = static_cast<std::size_t>(separador - carga.begin());
    r.nombre = carga.first(posicion);
    r.cuerpo = carga.subspan(posicion + 1);
    return r;
}

} // namespace kolt::transfer
