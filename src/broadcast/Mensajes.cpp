#include "broadcast/Mensajes.h"

#include "config/Indicativo.h"

#include <algorithm>
#include <array>

namespace kolt::broadcast {

namespace {

constexpr std::size_t kHuecoCQRecibido = 17;
constexpr std::size_t kHuecoCQEnviado = 21;

struct AnchoHF {
    std::string_view hercios;
    char codigo;
};
constexpr std::array<AnchoHF, 3> kAnchosHF{{{"500", '0'}, {"2300", '1'}, {"2750", '2'}}};

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t caracteres(std::string_view texto)
{
    return static_cast<std::size_t>(std::count_if(texto.begin(), texto.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string parteDigis(std::string_view via1, std::string_view via2)
{
    std::string parte;
    if (!via2.empty()) {
        parte.append(" VIA ").append(via1).append(" ").append(via2);
    } else if (!via1.empty()) {
        parte.append(" VIA ").append(via1);
    }
    return parte;
}

std::string_view viaEnviada(const DatosEmisor& e, const std::string& via)
{
    return e.modo == config::Variante::FM ? std::string_view(via) : std::string_view();
}

TramaSaliente construir(const DatosEmisor& e, std::string_view destino, std::size_t longitud,
                        std::span<const std::uint8_t> info)
{
    const std::array<std::string, 4> direcciones{std::string(destino), e.miIndicativo,
                                                 std::string(viaEnviada(e, e.via1)),
                                                 std::string(viaEnviada(e, e.via2))};
    TramaSaliente t;
    t.comando = longitud == 7 ? kComandoAX25_7 : kComandoAX25;
    t.ax25 = ConstruirTramaUI(direcciones, longitud, info);
    return t;
}

} // namespace

std::string TextoContador(std::size_t n)
{
    return std::to_string(n) + "/" + std::to_string(kLimiteMensaje);
}

std::optional<TramaSaliente> TramaBroadcast(const DatosEmisor& e, std::string_view mensaje)
{
    if (mensaje.size() > kLimiteMensaje) return std::nullopt;
    const bool siete = std::ranges::any_of(
        std::array{&e.miIndicativo, &e.via1, &e.via2}, [](const std::string* indicativo) {
            return config::IndicativoBase(*indicativo).size() >= 7;
        });
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(mensaje.data());
    return construir(e, "ALL", siete ? 7 : 6, std::span(bytes, mensaje.size()));
}

TramaSaliente TramaCQ(const DatosEmisor& e)
{
    std::vector<std::uint8_t> info;
    if (e.modo == config::Variante::HF) {
        const auto* ancho =
            std::ranges::find(kAnchosHF, std::string_view(e.anchoHF), &AnchoHF::hercios);
        info.push_back(ancho == kAnchosHF.end() ? 0x00 : static_cast<std::uint8_t>(ancho->codigo));
    }
    return construir(e, "CQ", 7, info);
}

std::string LineaBroadcast(std::string_view origen, std::string_view via1, std::string_view via2,
                           std::string_view marcador, std::string_view mensaje,
                           std::string_view utc)
{
    std::string linea(marcador);
    linea.append(" ALL: ").append(origen).append(parteDigis(via1, via2));
    linea.append(" ").append(mensaje).append("  ").append(utc).append("\r\n");
    return linea;
}

std::string LineaCQ(std::string_view indicativo, std::string_view via1, std::string_view via2,
                    std::string_view ancho, std::string_view marcador, std::string_view utc)
{
    std::string linea(marcador);
    linea.append(" CQ de ").append(indicativo);
    if (!ancho.empty()) {
        linea.append(" on ").append(ancho);
    } else {
        linea.append(parteDigis(via1, via2));
    }
    const std::size_t hueco = marcador == kMarcadorRecibido ? kHuecoCQRecibido : kHuecoCQEnviado;
    const std::size_t ocupado = caracteres(indicativo) + caracteres(ancho);
    linea.append(hueco > ocupado ? hueco - ocupado : 0, ' ');
    linea.append(utc).append("\r\n");
    return linea;
}

std::string LineaBroadcastEnviado(const DatosEmisor& e, std::string_view mensaje,
                                  std::string_view utc)
{
    return LineaBroadcast(e.miIndicativo, viaEnviada(e, e.via1), viaEnviada(e, e.via2),
                          kMarcadorEnviado, mensaje, utc);
}

std::optional<std::string> LineaCQEnviado(const DatosEmisor& e, std::string_view utc)
{
    switch (e.modo) {
    case config::Variante::HF:
        return LineaCQ(e.miIndicativo, "", "", e.anchoHF, kMarcadorEnviado, utc);
    case config::Variante::SAT: return LineaCQ(e.miIndicativo, "", "", "", kMarcadorEnviado, utc);
    case config::Variante::FM:
        return LineaCQ(e.miIndicativo, e.via1, e.via2, "", kMarcadorEnviado, utc);
    case config::Variante::Ninguna: break;
    }
    return std::nullopt;
}

Recepcion ClasificarTrama(const TramaAX25& t, std::uint8_t comando)
{
    if (t.Control != kControlUI || t.PID != kPIDSinCapa3) return Recepcion::Ignorar;
    if (t.Destino == "CQ" && comando == kComandoAX25_7) return Recepcion::CQ;
    if (t.Destino == "ALL") return Recepcion::Broadcast;
    return Recepcion::Ignorar;
}

std::optional<LlamadaCQ> InterpretarCQ(const TramaAX25& t, config::Variante modo)
{
    switch (modo) {
    case config::Variante::HF: {
        const auto* ancho = std::ranges::find_if(kAnchosHF, [&](const AnchoHF& a) {
            return t.Info.size() == 1 && t.Info[0] == a.codigo;
        });
        if (ancho == kAnchosHF.end()) return std::nullopt;
        return LlamadaCQ{t.Origen, "", "", std::string(ancho->hercios)};
    }
    case config::Variante::SAT: return LlamadaCQ{t.Origen, "", "", ""};
    case config::Variante::FM:
        if (!t.Via2.empty() && t.Repetido2 == 1) return LlamadaCQ{t.Origen, t.Via1, t.Via2, ""};
        if (!t.Via1.empty() && t.Repetido1 == 1) return LlamadaCQ{t.Origen, t.Via1, "", ""};
        return LlamadaCQ{t.Origen, "", "", ""};
    case config::Variante::Ninguna: break;
    }
    return std::nullopt;
}

std::optional<std::string> LineaRecibida(const TramaKISS& recibida, config::Variante modo,
                                         std::string_view utc)
{
    if (recibida.comando != kComandoAX25 && recibida.comando != kComandoAX25_7) return std::nullopt;
    const TramaDecodificada d = DecodificarAX25(recibida.ax25, recibida.comando);
    if (d.resultado != ResultadoAX25::Correcta) return std::nullopt;
    const TramaAX25& t = d.trama;
    switch (ClasificarTrama(t, recibida.comando)) {
    case Recepcion::CQ:
        if (const auto cq = InterpretarCQ(t, modo))
            return LineaCQ(cq->indicativo, cq->via1, cq->via2, cq->ancho, kMarcadorRecibido, utc);
        return std::nullopt;
    case Recepcion::Broadcast:
        return LineaBroadcast(t.Origen, t.Via1, t.Via2, kMarcadorRecibido, t.Info, utc);
    case Recepcion::Ignorar: break;
    }
    return std::nullopt;
}

} // namespace kolt::broadcast
