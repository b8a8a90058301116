// The ini document fed arbitrary bytes. Checks that writing it out and
// reading it back changes no value, that serialising is stable, and that
// setting one key leaves every other key as it was and reads back clean.
#include "config/TextoIni.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using kolt::config::TextoIni;

namespace {

struct Sonda {
    std::string_view seccion, clave;
};

constexpr std::array<Sonda, 6> kSondas = {{{"PTT", "Rig"},
                                           {"ptt", "VIA"},
                                           {"Setup", "KOLT Mode"},
                                           {"Setup", "ConnectHF List0"},
                                           {"Path", "Download Folder"},
                                           {"Other", "x"}}};

void exigir(bool condicion)
{
    if (!condicion) std::abort();
}

bool mismaClave(const Sonda& a, const Sonda& b)
{
    auto igual = [](std::string_view x, std::string_view y) {
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if ((x[i] | 0x20) != (y[i] | 0x20)) return false;
        }
        return true;
    };
    return igual(a.seccion, b.seccion) && igual(a.clave, b.clave);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TextoIni ini(bytes);
    const std::string una = ini.serialize();
    const TextoIni releida(una);
    exigir(releida.serialize() == una);
    for (const auto& s : kSondas)
        exigir(releida.get(s.seccion, s.clave) == ini.get(s.seccion, s.clave));

    // The first byte picks the key to set; the rest of the input is its value.
    const Sonda& elegida = kSondas[size == 0 ? 0 : data[0] % kSondas.size()];
    ini.set(elegida.seccion, elegida.clave, bytes.substr(size == 0 ? 0 : 1, 600));
    const TextoIni tras(ini.serialize());
    const auto valor = tras.get(elegida.seccion, elegida.clave);
    exigir(valor.has_value() && valor->size() <= TextoIni::kMaxValor);
    exigir(valor->find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    exigir(tras.lineCount() <= releida.lineCount() + 2);
    for (const auto& s : kSondas) {
        if (!mismaClave(s, elegida))
            exigir(tras.get(s.seccion, s.clave) == releida.get(s.seccion, s.clave));
    }
    return 0;
}
