// The command port's line splitter fed arbitrary bytes in arbitrary chunks,
// and every line it gives handed to the parse of a link line, as the
// station does. Checks that the lines do not depend on where the reads were
// cut, that no line carries a CR or passes the length limit, and that the
// partial line kept between reads stays within it too. The input may be
// repeated so that lines longer than the limit are reached.
#include "link/LineasModem.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using kolt::link::LineasModem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    std::uint32_t semilla = data[0];
    const std::string_view trozo(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string flujo;
    for (std::uint32_t i = 0, veces = (semilla >> 3) % 24 + 1; i < veces; ++i)
        flujo += trozo;

    LineasModem entero;
    const std::vector<std::string> lineas = entero.feed(flujo);

    LineasModem troceado;
    std::vector<std::string> porPartes;
    for (std::string_view resto = flujo; !resto.empty();) {
        semilla = semilla * 1103515245u + 12345u;
        const std::size_t n = std::min<std::size_t>(resto.size(), (semilla >> 16) % 97 + 1);
        for (std::string& l : troceado.feed(resto.substr(0, n)))
            porPartes.push_back(std::move(l));
        if (troceado.pendientes() > LineasModem::kLineaMaxima) std::abort();
        resto.remove_prefix(n);
    }
    if (porPartes != lineas || troceado.pendientes() != entero.pendientes()) std::abort();

    for (std::string linea : lineas) {
        if (linea.size() > LineasModem::kLineaMaxima) std::abort();
        if (linea.find('\r') != std::string::npos) std::abort();
        std::transform(linea.begin(), linea.end(), linea.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const auto c = kolt::link::ParsearConectado(linea);
        if (c.campos.empty() && !linea.empty()) std::abort();
    }
    return 0;
}
