#pragma once
// Command-port line splitting and the parse of the modem's link line.
//
// The modem talks in text lines ended by CR. TCP hands them over in chunks
// of any size, so the splitter keeps a partial line between feeds and hands
// back every line completed by a chunk, in order, without its CR.
//
// Two things the wire can do that a plain split would get wrong:
//  - a modem that ends its lines with CR LF: a LF right after a CR (even in
//    the next chunk) is dropped rather than becoming the first character of
//    the next line;
//  - a peer that never sends CR: a line longer than kLineaMaxima bytes is
//    discarded up to its next CR, so memory stays bounded.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::link {

class LineasModem {
public:
    static constexpr std::size_t kLineaMaxima = 64 * 1024;

    // Feeds one chunk; returns the lines it completed (CR removed).
    std::vector<std::string> feed(std::string_view chunk);

    // Forgets any partial line (the socket was reconnected).
    void reset();

    std::size_t pendientes() const { return m_linea.size(); }

private:
    enum class Estado { EnLinea, TrasCR, Descartando };
    Estado m_estado = Estado::EnLinea;
    std::string m_linea;
};

// The fields of a "CONNECTED " line as the link record keeps them.
struct LineaConectado {
    std::vector<std::string> campos; // split at every blank; campos[0] is "CONNECTED"
    std::string estacion1;           // calling station (empty if missing)
    std::string estacion2;           // called station (empty if missing)
    std::string digi1;
    std::string digi2;
};

// Splits an (already upper-cased) "CONNECTED ..." line at every blank.
// Field 3 is not looked at; field 5 is a digipeater unless it is "NARROW"
// or "WIDE".
LineaConectado ParsearConectado(std::string_view linea);

} // namespace kolt::link
