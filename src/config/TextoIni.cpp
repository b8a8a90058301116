#include "config/TextoIni.h"

#include <algorithm>

namespace kolt::config {

namespace {

constexpr std::string_view kBlancos = " \t\r\v\f";

std::string_view recortar(std::string_view s)
{
    const auto inicio = s.find_first_not_of(kBlancos);
    if (inicio == std::string_view::npos) return {};
    const auto fin = s.find_last_not_of(kBlancos);
    return s.substr(inicio, fin - inicio + 1);
}

char minuscula(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool igualesSinCaso(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return minuscula(x) == minuscula(y);
           });
}

} // namespace

TextoIni::TextoIni(std::string_view bytes)
{
    std::size_t inicio = 0;
    while (inicio < bytes.size()) {
        auto fin = bytes.find('\n', inicio);
        const bool ultima = fin == std::string_view::npos;
        if (ultima) fin = bytes.size();
        std::string_view linea = bytes.substr(inicio, fin - inicio);
        if (!ultima && !linea.empty() && linea.back() == '\r') linea.remove_suffix(1);
        m_lines.push_back(clasificar(std::string(linea)));
        inicio = ultima ? fin : fin + 1;
    }
}

TextoIni::Linea TextoIni::clasificar(std::string texto)
{
    Linea l;
    l.texto = std::move(texto);
    const std::string_view t = l.texto;
    const auto primero = t.find_first_not_of(kBlancos);
    if (primero == std::string_view::npos || t[primero] == ';') return l;

    if (t[primero] == '[') {
        const auto cierre = t.find(']', primero + 1);
        if (cierre == std::string_view::npos) return l;
        const std::string_view nombre = recortar(t.substr(primero + 1, cierre - primero - 1));
        l.tipo = Tipo::Seccion;
        l.m_nombre = static_cast<std::size_t>(nombre.data() - t.data());
        l.m_nombreLen = nombre.size();
        return l;
    }

    const auto igual = t.find('=');
    if (igual == std::string_view::npos) return l;
    const std::string_view nombre = recortar(t.substr(0, igual));
    if (nombre.empty()) return l;
    l.tipo = Tipo::Clave;
    l.m_nombre = static_cast<std::size_t>(nombre.data() - t.data());
    l.m_nombreLen = nombre.size();
    l.m_valor = igual + 1;
    return l;
}

TextoIni::Linea TextoIni::lineaClave(std::string_view key, std::string_view value)
{
    std::string texto;
    texto.reserve(key.size() + 1 + value.size());
    texto.append(key).push_back('=');
    for (char c : value)
        texto.push_back((c == '\r' || c == '\n' || c == '\0') ? ' ' : c);
    return clasificar(std::move(texto));
}

std::size_t TextoIni::buscarSeccion(std::string_view section) const
{
    const std::string_view buscada = recortar(section);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].tipo == Tipo::Seccion && igualesSinCaso(m_lines[i].nombre(), buscada)) {
            return i;
        }
    }
    return std::string::npos;
}

std::size_t TextoIni::buscarClave(std::size_t cabecera, std::string_view key) const
{
    const std::string_view buscada = recortar(key);
    for (std::size_t i = cabecera + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].tipo == Tipo::Seccion) break;
        if (m_lines[i].tipo == Tipo::Clave && igualesSinCaso(m_lines[i].nombre(), buscada)) {
            return i;
        }
    }
    return std::string::npos;
}

std::optional<std::string> TextoIni::get(std::string_view section, std::string_view key) const
{
    const auto cabecera = buscarSeccion(section);
    if (cabecera == std::string::npos) return std::nullopt;
    const auto i = buscarClave(cabecera, key);
    if (i == std::string::npos) return std::nullopt;

    std::string_view valor = recortar(m_lines[i].valor());
    if (valor.size() >= 2 && (valor.front() == '"' || valor.front() == '\'') &&
        valor.back() == valor.front()) {
        valor = valor.substr(1, valor.size() - 2);
    }
    return std::string(valor.substr(0, kMaxValor));
}

void TextoIni::set(std::string_view section, std::string_view key, std::string_view value)
{
    const auto cabecera = buscarSeccion(section);
    if (cabecera == std::string::npos) {
        m_lines.push_back(clasificar("[" + std::string(recortar(section)) + "]"));
        m_lines.push_back(lineaClave(recortar(key), value));
        return;
    }
    if (const auto i = buscarClave(cabecera, key); i != std::string::npos) {
        m_lines[i] = lineaClave(recortar(key), value);
        return;
    }
    // After the section's last key, so that comments and blank lines that
    // lead into the next section stay with it.
    std::size_t despues = cabecera;
    for (std::size_t i = cabecera + 1; i < m_lines.size() && m_lines[i].tipo != Tipo::Seccion;
         ++i) {
        if (m_lines[i].tipo == Tipo::Clave) despues = i;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(despues + 1),
                   lineaClave(recortar(key), value));
}

std::string TextoIni::serialize() const
{
    std::size_t total = 0;
    for (const auto& l : m_lines)
        total += l.texto.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : m_lines)
        out.append(l.texto).append("\r\n");
    return out;
}

} // namespace kolt::config
