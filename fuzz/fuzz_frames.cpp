// Data-port frame receiver fed arbitrary bytes in arbitrary chunks. Checks
// that the events do not depend on where the reads were cut, that every
// frame's payload is exactly its announced length and within the limit,
// that nothing follows an error, and that the progress never passes 100.
#include "transfer/Tramas.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

using namespace kolt::transfer;

namespace {

struct Registro {
    std::vector<std::string> eventos; // payload pieces joined
    bool operator==(const Registro&) const = default;
};

void Anotar(Registro& r, const EventoTrama& e, bool& cargaAbierta)
{
    if (e.tipo == EventoTrama::Tipo::Carga) {
        if (e.carga.empty()) std::abort();
        const std::string pieza(reinterpret_cast<const char*>(e.carga.data()), e.carga.size());
        if (cargaAbierta)
            r.eventos.back() += pieza;
        else
            r.eventos.push_back("C" + pieza);
        cargaAbierta = true;
        return;
    }
    cargaAbierta = false;
    r.eventos.push_back(std::string(1, "ICFE"[int(e.tipo)]) + static_cast<char>(e.marcador) +
                        std::to_string(e.longitud) + '/' + std::to_string(e.cabecera) + '/' +
                        std::to_string(int(e.error)));
}

Registro Alimentar(std::span<const std::uint8_t> flujo, std::uint32_t semilla)
{
    ReceptorTramas r;
    Registro log;
    bool cargaAbierta = false;
    bool error = false;
    std::uint64_t cargaTrama = 0;
    while (!flujo.empty()) {
        std::size_t n = flujo.size();
        if (semilla != 0) {
            semilla = semilla * 1103515245u + 12345u;
            n = std::min<std::size_t>(flujo.size(), (semilla >> 16) % 23 + 1);
        }
        for (const EventoTrama& e : r.feed(flujo.first(n))) {
            if (error) std::abort(); // nothing after an error
            switch (e.tipo) {
            case EventoTrama::Tipo::Inicio:
                if (e.longitud > kCargaMaxima || e.cabecera < 2 || e.cabecera > kCabeceraMaxima)
                    std::abort();
                cargaTrama = 0;
                break;
            case EventoTrama::Tipo::Carga: cargaTrama += e.carga.size(); break;
            case EventoTrama::Tipo::Fin:
                if (cargaTrama != e.longitud) std::abort();
                break;
            case EventoTrama::Tipo::Error: error = true; break;
            }
            Anotar(log, e, cargaAbierta);
        }
        if (r.enTrama() && r.esperados() != 0 &&
            (r.recibidos() > r.esperados() || Porcentaje(r.recibidos(), r.esperados()) > 100))
            std::abort();
        flujo = flujo.subspan(n);
    }
    return log;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::uint32_t semilla = data[0] | 1u;
    const std::span<const std::uint8_t> flujo(data + 1, size - 1);
    if (Alimentar(flujo, 0) != Alimentar(flujo, semilla)) std::abort();
    // A stream that starts with a whole header is one the receiver starts a frame on.
    if (EsCabecera(flujo)) {
        ReceptorTramas r;
        const auto& e = r.feed(flujo);
        if (e.empty() || e.front().tipo != EventoTrama::Tipo::Inicio) std::abort();
    }
    return 0;
}
