// KISS reassembler fed arbitrary bytes in arbitrary chunks. Checks that the
// frames do not depend on where the reads were cut, that every frame is
// within the limit and survives a re-encoding, and that the receive path
// takes whatever comes out.
#include "broadcast/Kiss.h"
#include "broadcast/Mensajes.h"

#include <algorithm>
#include <cstdlib>
#include <span>

using namespace kolt::broadcast;
using kolt::config::Variante;

namespace {

std::vector<TramaKISS> alimentar(std::span<const std::uint8_t> flujo, std::size_t maxima,
                                 std::uint32_t semilla)
{
    ReensambladorKISS r(maxima);
    std::vector<TramaKISS> todas;
    while (!flujo.empty()) {
        semilla = semilla * 1103515245u + 12345u;
        const std::size_t n = std::min<std::size_t>(flujo.size(), (semilla >> 16) % 67 + 1);
        for (auto& t : r.feed(flujo.first(n)))
            todas.push_back(std::move(t));
        flujo = flujo.subspan(n);
    }
    return todas;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::uint32_t semilla = data[0];
    const std::span<const std::uint8_t> flujo(data + 1, size - 1);

    for (std::size_t maxima : {std::size_t{24}, ReensambladorKISS::kTramaMaxima}) {
        ReensambladorKISS entero(maxima);
        const auto tramas = entero.feed(flujo);
        if (alimentar(flujo, maxima, semilla) != tramas) std::abort();

        for (const TramaKISS& t : tramas) {
            if (t.ax25.size() + 1 > maxima) std::abort();
            ReensambladorKISS otra(maxima);
            if (otra.feed(CodificarKISS(t.ax25, t.comando)) != std::vector<TramaKISS>{t})
                std::abort();
            for (Variante modo : {Variante::HF, Variante::FM, Variante::SAT, Variante::Ninguna})
                (void)LineaRecibida(t, modo, "00:00:00");
        }
    }
    return 0;
}
