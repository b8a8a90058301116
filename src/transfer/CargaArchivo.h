#pragma once
// The payload of a file frame.
//
// A file travels in one data-port frame whose payload is
//
//     <name> "#" <body>
//
// the name in the ANSI code page, then the file's bytes unchanged. The whole
// payload, name and separator included, is at most kCargaMaxima bytes. Up to
// kLimiteCompresion bytes it is compressed (raw DEFLATE, level 5) and the
// frame's marker is "#"; above it the payload goes as it is, marker "$".
//
// The receiver splits at the first "#" of the payload once decompressed, so
// a name cannot hold "#": the sender replaces it before packing.
//
// A received payload is untrusted. AbrirCarga refuses, with a reason, a
// compressed payload that is malformed or would expand past kCargaMaxima
// bytes, and any payload with no separator; it never reads outside the bytes
// given nor produces more than the limit.

#include "transfer/Tramas.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kolt::transfer {

inline constexpr std::size_t kLimiteCompresion = 600'000;
inline constexpr int kNivelCompresion = 5;
inline constexpr std::uint8_t kSeparadorNombre = '#';

// A payload of `longitudCarga` bytes (name + "#" + body) goes compressed.
inline bool SeComprime(std::size_t longitudCarga)
{
    return longitudCarga <= kLimiteCompresion;
}

struct TramaArchivo {
    std::vector<std::uint8_t> bytes; // header and payload
    Marcador marcador = Marcador::ArchivoPlano;
    std::size_t cabecera = 0; // header bytes (digits and marker)
};

// The frame of a payload: compressed or not as its size says.
TramaArchivo ArmarTramaArchivo(std::span<const std::uint8_t> carga);

enum class EstadoCarga : std::uint8_t {
    Ok,
    SinSeparador, // no "#" between name and body
    Corrupta,     // the compressed data is not a valid DEFLATE stream
    Excesiva,     // it would expand beyond kCargaMaxima bytes
};
std::string_view DescribirEstado(EstadoCarga e);

struct CargaAbierta {
    EstadoCarga estado = EstadoCarga::Ok;
    std::span<const std::uint8_t> nombre; // ANSI bytes, before the first "#"
    std::span<const std::uint8_t> cuerpo; // the file's bytes
};

// Opens the payload of a file frame with marker `marcador`. A compressed one
// is decompressed into `almacen`, which the returned views then point into;
// a plain one is viewed where it lies.
CargaAbierta AbrirCarga(Marcador marcador, std::span<const std::uint8_t> carga,
                        std::vector<std::uint8_t>& almacen);

} // namespace kolt::transfer
