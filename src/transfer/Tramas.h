#pragma once
// Frames on the modem's data port.
//
// The data port is a plain byte stream between the two stations. Every
// message, a chat text or a file, travels in it as one frame:
//
//     <length in ASCII decimal> <marker> <payload of exactly that length>
//
//     "5 hello"          chat text (marker " ")
//     "300#<300 bytes>"  file, payload compressed (marker "#")
//     "1006$<...>"       file, payload as it is (marker "$")
//
// Nothing separates two frames: the next one starts with the byte after the
// payload. The largest payload this system sends is a plain file of
// kCargaMaxima bytes, so a length needs at most kDigitosMaximos digits.
//
// Receiving. TCP and the radio link hand the stream over in chunks that have
// nothing to do with frame boundaries: a chunk may stop inside the digits of
// a header, or hold the end of one frame and the start of the next.
// ReceptorTramas is a small state machine fed every chunk as it arrives. It
// keeps only the value of a header it has not finished reading (never the
// payload) and reports what it saw as events:
//
//     Inicio  a header is complete: marker, announced length, header size;
//     Carga   a piece of the payload, as a view into the chunk just fed, so a
//             caller can keep or write it without a second copy;
//     Fin     the payload is complete;
//     Error   the bytes cannot be a frame (the reason says why).
//
// A header is refused as soon as the bytes seen cannot begin a valid one, and
// not before: a first byte that is not a digit, a marker with no digit before
// it, any other byte between the digits and the marker, or a length above
// kCargaMaxima (so an absurd length is refused while its digits arrive and
// never makes anyone reserve memory for it). After an error the stream has no
// frame boundaries left to trust: the receiver ignores everything until
// reset(), which the station calls when the link ends or the socket is new.
//
// The events do not depend on how the stream was cut, except that a payload
// may come in more pieces: concatenating consecutive Carga events gives the
// same sequence whatever the chunks were.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::transfer {

inline constexpr std::uint32_t kCargaMaxima = 2'048'000;
inline constexpr std::size_t kDigitosMaximos = 7; // digits of kCargaMaxima
inline constexpr std::size_t kCabeceraMaxima = kDigitosMaximos + 1;

enum class Marcador : char { Texto = ' ', ArchivoComprimido = '#', ArchivoPlano = '$' };

inline bool EsArchivo(Marcador m)
{
    return m != Marcador::Texto;
}

enum class ErrorTrama : std::uint8_t {
    NoEsDigito,       // a byte other than a digit or a marker where the header stands
    MarcadorAlInicio, // a marker with no length before it
    LongitudExcesiva, // more than kCargaMaxima bytes announced
};
std::string_view DescribirError(ErrorTrama e);

// The header of a frame carrying `longitud` payload bytes: the decimal digits
// and the marker.
std::string Cabecera(std::size_t longitud, Marcador marcador);

// Reads a header one byte at a time; shared by the receiver and EsCabecera.
class LectorCabecera {
public:
    enum class Paso { Sigue, Completa, Invalida };

    Paso Leer(std::uint8_t byte);

    std::uint32_t longitud() const { return m_valor; }
    std::size_t digitos() const { return m_digitos; }
    Marcador marcador() const { return m_marcador; }
    ErrorTrama error() const { return m_error; }

private:
    std::uint32_t m_valor = 0;
    std::size_t m_digitos = 0;
    Marcador m_marcador = Marcador::Texto;
    ErrorTrama m_error = ErrorTrama::NoEsDigito;
};

// True when `bytes` begin with a whole valid header: one or more digits, a
// marker, and a length the system can carry.
bool EsCabecera(std::span<const std::uint8_t> bytes);
inline bool EsCabecera(std::string_view bytes)
{
    return EsCabecera(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

struct EventoTrama {
    enum class Tipo : std::uint8_t { Inicio, Carga, Fin, Error };

    Tipo tipo = Tipo::Inicio;
    // Inicio and Fin: the frame's marker, payload length and header size.
    Marcador marcador = Marcador::Texto;
    std::uint32_t longitud = 0;
    std::uint8_t cabecera = 0;
    std::span<const std::uint8_t> carga;       // Carga: a view into the chunk just fed
    ErrorTrama error = ErrorTrama::NoEsDigito; // Error

    std::uint64_t total() const { return std::uint64_t{longitud} + cabecera; }
};

class ReceptorTramas {
public:
    // Feeds one chunk as read from the socket. The events (and the views of
    // their Carga pieces) stay valid until the next feed or reset.
    const std::vector<EventoTrama>& feed(std::span<const std::uint8_t> chunk);
    const std::vector<EventoTrama>& feed(std::string_view chunk)
    {
        return feed(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()));
    }

    // Forgets any partial frame and a past error: the stream starts afresh.
    // The events of the last feed stay readable.
    void reset();

    bool fallido() const { return m_estado == Estado::Fallido; }
    // Some bytes of a frame have been seen and the frame is not complete.
    bool enTrama() const;
    // Bytes of the current frame seen so far, header included.
    std::uint64_t recibidos() const { return m_recibidos; }
    // The current frame's whole length, header included; 0 until its header is read.
    std::uint64_t esperados() const { return m_esperados; }

private:
    enum class Estado { Cabecera, Carga, Fallido };
    void Terminar();

    Estado m_estado = Estado::Cabecera;
    LectorCabecera m_lector;
    EventoTrama m_trama;          // the Inicio of the current frame
    std::uint32_t m_restante = 0; // payload bytes still to come
    std::uint64_t m_recibidos = 0;
    std::uint64_t m_esperados = 0;
    std::vector<EventoTrama> m_eventos;
};

// n / d rounded to the nearest whole number, halves to even (d > 0): how
// the progress and the throughput figures are rounded.
std::uint64_t DividirAlPar(std::uint64_t n, std::uint64_t d);

// parte × 100 / total rounded to the nearest whole number, halves to even;
// 0 when total is 0. For the progress bar.
int Porcentaje(std::uint64_t parte, std::uint64_t total);

} // namespace kolt::transfer
