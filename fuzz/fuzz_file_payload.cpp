// A received file payload, compressed or plain, of arbitrary bytes. Checks
// that an opened payload's name holds no separator, that name, separator and
// body are exactly the (decompressed) payload and within the largest file,
// and that a payload packed again opens to the same name and body.
#include "transfer/CargaArchivo.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

using namespace kolt::transfer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo)
{
    if (largo == 0) return 0;
    const Marcador marcador = datos[0] & 1 ? Marcador::ArchivoComprimido : Marcador::ArchivoPlano;
    const std::span<const std::uint8_t> carga(datos + 1, largo - 1);
    std::vector<std::uint8_t> almacen;
    const CargaAbierta a = AbrirCarga(marcador, carga, almacen);
    if (a.estado != EstadoCarga::Ok) return 0;

    const std::size_t total = a.nombre.size() + 1 + a.cuerpo.size();
    if (total > kCargaMaxima) std::abort();
    if (std::find(a.nombre.begin(), a.nombre.end(), kSeparadorNombre) != a.nombre.end())
        std::abort();
    const std::span<const std::uint8_t> abierta =
        marcador == Marcador::ArchivoComprimido ? std::span<const std::uint8_t>(almacen) : carga;
    if (abierta.size() != total || a.nombre.data() != abierta.data() ||
        a.cuerpo.data() != abierta.data() + a.nombre.size() + 1)
        std::abort();

    // What was received can be sent on unchanged (checked on smaller
    // payloads, to keep the fuzzer quick).
    if (total > 65536) return 0;
    std::vector<std::uint8_t> otra(abierta.begin(), abierta.end());
    const TramaArchivo t = ArmarTramaArchivo(otra);
    std::vector<std::uint8_t> almacen2;
    const CargaAbierta b = AbrirCarga(t.marcador, std::span(t.bytes).subspan(t.cabecera), almacen2);
    if (b.estado != EstadoCarga::Ok || !std::ranges::equal(a.nombre, b.nombre) ||
        !std::ranges::equal(a.cuerpo, b.cuerpo))
        std::abort();
    return 0;
}
