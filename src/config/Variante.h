#pragma once
// The modem variant the chat drives, as "KOLT Mode" names it in the ini.
// Plain values, so the codecs and the stand-in modems share the one parse.

#include <array>
#include <cstdint>
#include <string_view>

namespace kolt::config {

// Ninguna: the ini names something else. What that means is decided where
// the variant is used (the command channel counts it as FM; nobody is
// called and no CQ is shown).
enum class Variante : std::uint8_t { Ninguna, HF, FM, SAT };
inline constexpr std::array<Variante, 3> kVariantes = {Variante::HF, Variante::FM, Variante::SAT};

// Index of a variant's fields (HF 0, FM 1, SAT 2); Ninguna counts as FM.
constexpr int Indice(Variante v)
{
    return v == Variante::HF ? 0 : v == Variante::SAT ? 2 : 1;
}

// "KOLTHF", "KOLTFM", "KOLTSAT"; empty for Ninguna.
constexpr std::string_view TextoVariante(Variante v)
{
    switch (v) {
    case Variante::HF: return "KOLTHF";
    case Variante::FM: return "KOLTFM";
    case Variante::SAT: return "KOLTSAT";
    case Variante::Ninguna: break;
    }
    return {};
}

// The variant a text names exactly; Ninguna for any other text.
constexpr Variante VarianteDeTexto(std::string_view texto)
{
    for (Variante v : kVariantes)
        if (texto == TextoVariante(v)) return v;
    return Variante::Ninguna;
}

// The variant in captions and messages: "HF", "FM", "SAT"; empty for Ninguna.
constexpr std::string_view NombreVariante(Variante v)
{
    return TextoVariante(v).substr(v == Variante::Ninguna ? 0 : 4);
}

} // namespace kolt::config
