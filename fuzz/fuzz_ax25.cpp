// AX.25 decoder fed arbitrary frames: the first byte is the KISS command
// byte, the rest the unescaped frame. What it gives back must be printable
// text only, and the receive path must take it.
#include "broadcast/Ax25.h"
#include "broadcast/Mensajes.h"

#include <cstdlib>
#include <span>

using namespace kolt::broadcast;
using kolt::config::Variante;

namespace {

void imprimible(const std::string& texto)
{
    for (char c : texto)
        if (c < 32 || c > 126) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::uint8_t comando = data[0];
    const std::span<const std::uint8_t> trama(data + 1, size - 1);

    const TramaDecodificada d = DecodificarAX25(trama, comando);
    if (d.resultado == ResultadoAX25::Correcta) {
        const TramaAX25& t = d.trama;
        for (const std::string* s : {&t.Destino, &t.Origen, &t.Via1, &t.Via2, &t.Info})
            imprimible(*s);
        if (t.Info.size() > trama.size()) std::abort();
        // The encoder takes whatever the decoder read: blanks, hyphens, lower case.
        const std::vector<std::string> direcciones{t.Destino, t.Origen, t.Via1, t.Via2};
        (void)ConstruirTramaUI(
            direcciones, t.Longitud,
            std::span(reinterpret_cast<const std::uint8_t*>(t.Info.data()), t.Info.size()));
    }
    TramaKISS k{comando, std::vector<std::uint8_t>(trama.begin(), trama.end())};
    for (Variante modo : {Variante::HF, Variante::FM, Variante::SAT, Variante::Ninguna})
        (void)LineaRecibida(k, modo, "00:00:00");
    return 0;
}
