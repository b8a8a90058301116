#pragma once
// CQ calls and broadcasts to "ALL": what goes into their frames and the one
// line each puts on the receive screen. Pure functions of their arguments:
// the station's settings and the UTC stamp ("hh:mm:ss") are passed in.
//
// Text is passed through as bytes: the socket glue hands in UTF-8 for what
// is shown and the 8-bit wire text for what is sent. Everything heard from
// the air is printable ASCII by then (Ax25.h). Lengths that decide the
// spacing of a CQ line count characters (UTF-8 code points), not bytes.
//
// How the station logic binds them:
//   EnviarBroadcast: refuse when the KISS link is down or mnuCQ is disabled;
//     disable mnuCQ/mnuBroadcast; append LineaBroadcastEnviado(...); send
//     TramaBroadcast(...) with EnviarTramaKISS (its .kiss() is the bytes).
//   EnviarCQ: append LineaCQEnviado(...) when it has one; send TramaCQ(...)
//     without looking at the link state.
//   RecibirKISS: ReensambladorKISS::feed(chunk), then for each frame
//     LineaRecibida(frame, modo, HoraUTC()) and append the line if any
//     (caret to the end, focus to txtTXChat).
//   frmBroadcast: limit txtMensaje to kLimiteMensaje, label TextoContador(n).

#include "broadcast/Ax25.h"
#include "broadcast/Kiss.h"
#include "config/Variante.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolt::broadcast {

// The modem variant (config::Variante) decides: digipeaters only in FM, the
// bandwidth only in HF; a mode this station does not know (Ninguna) shows
// no CQ at all (heard broadcasts still show).

// The sending station, as the frames and the sent lines need it from the
// settings record.
struct DatosEmisor {
    config::Variante modo = config::Variante::HF;
    std::string miIndicativo; // "My Callsign"
    std::string via1;         // "Via1", "Via2" as stored (used in FM only)
    std::string via2;
    std::string anchoHF; // "KOLTHF BW": "500", "2300" or "2750"
};

inline constexpr std::string_view kMarcadorEnviado = ">";
inline constexpr std::string_view kMarcadorRecibido = "<";

// The broadcast message box holds at most this many characters.
inline constexpr std::size_t kLimiteMensaje = 500;

// The dialog's counter: "12/500".
std::string TextoContador(std::size_t caracteres);

// A frame ready for EnviarTramaKISS.
struct TramaSaliente {
    std::uint8_t comando = kComandoAX25;
    std::vector<std::uint8_t> ax25;

    std::vector<std::uint8_t> kiss() const { return CodificarKISS(ax25, comando); }
};

// The broadcast of `mensaje` (its 8-bit wire bytes) to "ALL" from the own
// call, through Via1 and Via2 in FM. Seven-character addresses and command
// byte 0x01 when the base of the own call, Via1 or Via2 (looked at in every
// mode) has seven characters, else six and 0x00. Nothing (std::nullopt) for
// a message over kLimiteMensaje bytes: the dialog never lets one through.
std::optional<TramaSaliente> TramaBroadcast(const DatosEmisor& emisor, std::string_view mensaje);

// The CQ call: to "CQ", always seven-character addresses and command byte
// 0x01, digipeaters as for a broadcast; in HF one information byte telling
// the bandwidth ("0" 500, "1" 2300, "2" 2750, 0x00 for anything else).
TramaSaliente TramaCQ(const DatosEmisor& emisor);

// The receive-screen lines, CR LF included. The digipeater part is
// " VIA " via1 " " via2 when via2 is given (via1 may then be empty),
// " VIA " via1 when only via1 is, else nothing.
//
//   marker " ALL: " source digis " " message "  " utc
std::string LineaBroadcast(std::string_view origen, std::string_view via1, std::string_view via2,
                           std::string_view marcador, std::string_view mensaje,
                           std::string_view utc);

//   marker " CQ de " call (" on " bandwidth | digis) spaces utc
// with 17 spaces (heard, marker "<") or 21 (sent) less the lengths of the
// call and of the bandwidth; at least none.
std::string LineaCQ(std::string_view indicativo, std::string_view via1, std::string_view via2,
                    std::string_view ancho, std::string_view marcador, std::string_view utc);

// The line EnviarBroadcast shows for `mensaje`: the own call, and Via1 and
// Via2 in FM.
std::string LineaBroadcastEnviado(const DatosEmisor& emisor, std::string_view mensaje,
                                  std::string_view utc);

// The line EnviarCQ shows: the bandwidth in HF, the digipeaters in FM,
// neither in SAT; nothing in an unknown mode.
std::optional<std::string> LineaCQEnviado(const DatosEmisor& emisor, std::string_view utc);

// What RecibirKISS does with a decoded frame: only UI frames (control 0x03,
// PID 0xF0); to "CQ" only with command byte 0x01; to "ALL" with either.
enum class Recepcion { Ignorar, CQ, Broadcast };
Recepcion ClasificarTrama(const TramaAX25& trama, std::uint8_t comando);

// A heard CQ as MostrarCQ shows it.
struct LlamadaCQ {
    std::string indicativo;
    std::string via1;
    std::string via2;
    std::string ancho;

    bool operator==(const LlamadaCQ&) const = default;
};

// RecibirCQ's decision. HF: the information must be exactly "0", "1" or "2"
// (else not shown) and gives the bandwidth. SAT: the call alone. FM: the
// digipeaters that have repeated it (both when the second has, the first
// when only it has, none when heard directly). Unknown mode: not shown.
std::optional<LlamadaCQ> InterpretarCQ(const TramaAX25& trama, config::Variante modo);

// The whole of RecibirKISS for one reassembled frame: the line to append,
// or nothing when the frame is dropped (other command byte, truncated, not a
// UI frame, another destination, a CQ this mode does not show).
std::optional<std::string> LineaRecibida(const TramaKISS& trama, config::Variante modo,
                                         std::string_view utc);

} // namespace kolt::broadcast
