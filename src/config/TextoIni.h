#pragma once
// The text of a Windows private-profile (ini) file, held in memory.
//
// The document is a list of lines. A line is one of three things:
//   - a section header: optional blanks, "[", the name, "]", anything after;
//   - a key line inside a section: a name, "=", a value (first "=" splits);
//   - anything else (comments, blank lines, garbage, keys before the first
//     section), which the document never interprets and writes back as read.
// Section and key names are compared without regard to ASCII case and
// without their surrounding blanks. A value is read without its surrounding
// blanks and, when the whole of what is left is wrapped in a matching pair of
// single or double quotes, without the quotes. A value longer than 255 bytes
// reads as its first 255, as the platform's profile read does with its
// 256-byte buffer. When a section or key occurs twice, the first one counts.
//
// set() rewrites the key's own line in place, or adds the key after the last
// key of its section, or adds the section at the end of the document; every
// other line keeps its bytes. serialize() ends every line with CR LF.
//
// Bytes are opaque 8-bit text: the document never decodes them, so a NUL, a
// lone CR or a byte above 0x7F is just a byte. Parsing is one linear pass;
// set() and get() scan the lines, which is fine for files of a few hundred
// lines. The caller bounds the input size.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::config {

class TextoIni {
public:
    static constexpr std::size_t kMaxValor = 255;

    TextoIni() = default;
    // Splits at LF; a CR right before the LF belongs to the line end.
    explicit TextoIni(std::string_view bytes);

    std::optional<std::string> get(std::string_view section, std::string_view key) const;

    // A CR, LF or NUL in the value would split or cut the line when read back,
    // so each becomes a blank. Blanks around the value do not survive a read,
    // as with the platform's own profile functions.
    void set(std::string_view section, std::string_view key, std::string_view value);

    std::string serialize() const;

    std::size_t lineCount() const { return m_lines.size(); }

private:
    enum class Tipo { Otra, Seccion, Clave };
    struct Linea {
        std::string texto;
        Tipo tipo = Tipo::Otra;
        std::string_view nombre() const { return {texto.data() + m_nombre, m_nombreLen}; }
        std::string_view valor() const { return std::string_view(texto).substr(m_valor); }
        std::size_t m_nombre = 0, m_nombreLen = 0, m_valor = 0;
    };

    static Linea clasificar(std::string texto);
    static Linea lineaClave(std::string_view key, std::string_view value);
    // Index of the first header named `section`, or npos.
    std::size_t buscarSeccion(std::string_view section) const;
    // Index of the key line within the section starting at `cabecera`, or npos.
    std::size_t buscarClave(std::size_t cabecera, std::string_view key) const;

    std::vector<Linea> m_lines;
};

} // namespace kolt::config
