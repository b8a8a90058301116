// Data-port frames: the receiver's events and the header rules; the opening
// of a received file payload: its name and body, or a refusal with its
// reason, in bounded memory; and the names on both ends of a transfer.

#include "transfer/Tramas.h"
#include "transfer/CargaArchivo.h"
#include "transfer/NombresArchivo.h"
#include "transfer/TransferenciaArchivos.h"
#include "transfer/deflate/Compresion.h"

#include "QtImprimir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kolt::transfer;
using kolt::deflate::Deflate;

namespace {

std::string E(ErrorTrama e)
{
    return "E:" + std::string(DescribirError(e));
}

// The events as text: "I 5+2" (start: marker, length, header size), "C:hello"
// (payload pieces joined), "F 5+2" (end), "E:reason". Fed byte by byte up to
// `porBytes`, then whole.
std::vector<std::string> Alimentar(std::string_view flujo, std::size_t porBytes)
{
    ReceptorTramas r;
    std::vector<std::string> log;
    for (std::size_t desde = 0, n = 0; desde < flujo.size(); desde += n) {
        n = desde < porBytes ? 1 : flujo.size() - desde;
        for (const EventoTrama& e : r.feed(flujo.substr(desde, n))) {
            const std::string trama = static_cast<char>(e.marcador) + std::to_string(e.longitud) +
                                      '+' + std::to_string(e.cabecera);
            switch (e.tipo) {
            case EventoTrama::Tipo::Inicio: log.push_back("I" + trama); break;
            case EventoTrama::Tipo::Fin: log.push_back("F" + trama); break;
            case EventoTrama::Tipo::Error: log.push_back(E(e.error)); break;
            case EventoTrama::Tipo::Carga:
                EXPECT_FALSE(e.carga.empty()) << "no empty pieces";
                if (log.empty() || !log.back().starts_with("C:")) log.emplace_back("C:");
                log.back().append(reinterpret_cast<const char*>(e.carga.data()), e.carga.size());
                break;
            }
        }
    }
    return log;
}

// Each stream fed whole and byte by byte (the largest frame byte by byte
// only through its header): the same events (any other cut: the fuzzer).
// A stream begins with a header exactly when its first event is a start.
TEST(ReceptorTramas, SameEventsWholeAndByteByByte)
{
    const std::string grande(kCargaMaxima, 'z');
    const struct {
        const char* nombre;
        std::string flujo;
        std::vector<std::string> eventos;
    } casos[] = {
        {"one chat frame", "5 hello", {"I 5+2", "C:hello", "F 5+2"}},
        {"markers, digits and CR LF in a payload",
         std::string("14 12 #$\r\n\r\n9 x\0y", 17),
         {"I 14+3", std::string("C:12 #$\r\n\r\n9 x\0y", 16), "F 14+3"}},
        {"three frames, one empty",
         "2 hi0#4$a#bc",
         {"I 2+2", "C:hi", "F 2+2", "I#0+2", "F#0+2", "I$4+2", "C:a#bc", "F$4+2"}},
        {"leading zeros are digits", "007 abcdefg", {"I 7+4", "C:abcdefg", "F 7+4"}},
        {"the largest frame", "2048000$" + grande, {"I$2048000+8", "C:" + grande, "F$2048000+8"}},
        {"first byte a letter", "hello", {E(ErrorTrama::NoEsDigito)}},
        {"marker first", " 5 hello", {E(ErrorTrama::MarcadorAlInicio)}},
        {"one above the largest", "2048001 x", {E(ErrorTrama::LongitudExcesiva)}},
        {"eight digits even if small", "00000001 x", {E(ErrorTrama::LongitudExcesiva)}},
        {"a good frame, garbage, nothing more",
         "1 xZ2 ab",
         {"I 1+2", "C:x", "F 1+2", E(ErrorTrama::NoEsDigito)}}};
    for (const auto& c : casos) {
        EXPECT_EQ(Alimentar(c.flujo, 0), c.eventos) << c.nombre << ", whole";
        EXPECT_EQ(Alimentar(c.flujo, 4096), c.eventos) << c.nombre << ", byte by byte";
        EXPECT_EQ(EsCabecera(c.flujo), !c.eventos.empty() && c.eventos[0][0] == 'I') << c.nombre;
    }
}

using Bytes = std::vector<std::uint8_t>;

Bytes Carga(const std::string& nombre, std::size_t tamano)
{
    Bytes b(nombre.begin(), nombre.end());
    b.push_back('#');
    for (std::size_t i = 0; i < tamano; ++i)
        b.push_back(std::uint8_t("ab#abd"[i % 6]));
    return b;
}

// Up to 600,000 bytes a payload goes compressed, above it as it is.
TEST(CargaArchivo, CompressedUpTo600000Bytes)
{
    for (std::size_t carga : {600'000u, 600'001u}) {
        const TramaArchivo t = ArmarTramaArchivo(Carga("a", carga - 2));
        const Bytes cuerpo(t.bytes.begin() + std::ptrdiff_t(t.cabecera), t.bytes.end());
        EXPECT_EQ(std::string(t.bytes.begin(), t.bytes.begin() + std::ptrdiff_t(t.cabecera)),
                  std::to_string(cuerpo.size()) + (carga == 600'000 ? "#" : "$"));
    }
}

// A received payload opens to its name and body or is refused with a
// reason, in memory bounded by the limit whatever the stream claims (the
// decoder's buffer may overshoot it by its own growth step).
TEST(CargaArchivo, OpensOrRefusesWithItsReason)
{
    const auto comprimida = Marcador::ArchivoComprimido;
    const struct {
        const char* caso;
        Marcador marcador;
        Bytes carga;
        EstadoCarga estado;
        std::size_t cuerpo = 0; // bytes of the body, when it opens
    } casos[] = {
        {"name ends at the first separator", Marcador::ArchivoPlano, Carga("n", 3), EstadoCarga::Ok,
         3},
        {"compressed to exactly the limit", comprimida, Deflate(Carga("n", kCargaMaxima - 2), 5),
         EstadoCarga::Ok, kCargaMaxima - 2},
        {"plain empty", Marcador::ArchivoPlano, {}, EstadoCarga::SinSeparador},
        {"not a stream", comprimida, {0xff, 0xff}, EstadoCarga::Corrupta},
        {"a bomb of 8 MB", comprimida, Deflate(Bytes(8u << 20, 0), 5), EstadoCarga::Excesiva},
        {"one byte over the limit", comprimida, Deflate(Carga("n", kCargaMaxima - 1), 5),
         EstadoCarga::Excesiva}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        Bytes almacen;
        const CargaAbierta a = AbrirCarga(c.marcador, c.carga, almacen);
        EXPECT_EQ(a.estado, c.estado) << DescribirEstado(a.estado);
        EXPECT_EQ(std::string(a.nombre.begin(), a.nombre.end()), c.cuerpo ? "n" : "");
        EXPECT_EQ(a.cuerpo.size(), c.cuerpo);
        EXPECT_LE(almacen.capacity(), 2 * std::size_t{kCargaMaxima});
    }
}

// ---- Names and the throughput figure ----

TEST(NombreSeguro, ReceivedNameBecomesOnePlainName)
{
    const struct {
        const char16_t *recibido, *seguro;
    } pares[] = {{u"my.backup.tar.gz", u"my.backup.tar.gz"},
                 {u"..", u"__"},
                 {u".bashrc", u"_bashrc"},
                 {u"a<b>c:d\"e|f?g*h", u"a_b_c_d_e_f_g_h"},
                 {u"../a/b\\c", u"___a_b_c"},
                 {u"name. ", u"name__"},
                 {u"Com1.log", u"_Com1.log"},
                 {u"console.txt", u"console.txt"},
                 {u"x\u0085y", u"x_y"},
                 {u"a\x7F.txt", u"a_.txt"},
                 {u"ok\xD800.txt", u"ok_.txt"}};
    for (const auto& p : pares) {
        const QString s = NombreSeguro(QString::fromUtf16(p.recibido));
        EXPECT_EQ(s, QString::fromUtf16(p.seguro)) << QString::fromUtf16(p.recibido).toStdString();
        EXPECT_EQ(NombreSeguro(s), s) << "a safe name stays as it is";
    }
    // Cut to its limit keeping the extension, never in a character.
    const QString s = NombreSeguro(QString(300, QLatin1Char('n')) + QStringLiteral(".txt"));
    EXPECT_EQ(s.toUtf8().size(), kNombreMaximoUtf8);
    EXPECT_TRUE(s.endsWith(QStringLiteral("nnn.txt")));
    const QString t = NombreSeguro(QString(200, QChar(0x00e9)) + QString::fromUtf16(u"\U0001F600"));
    EXPECT_TRUE(t.toUtf8().size() <= kNombreMaximoUtf8 && !t.back().isHighSurrogate() &&
                t.toUtf8().size() % 2 == 0);
}

TEST(Nombres, NumberedShownAndRate)
{
    EXPECT_EQ(NombreNumerado(QStringLiteral("README"), 2), "README (2)");
    EXPECT_EQ(NombreVisible(QString(100, QLatin1Char('x')), 5), "xxxxx...");
    // Halves round to even; no time is "XXXX".
    EXPECT_EQ(BytesPorMinuto(200, 2000), "6000");
    EXPECT_EQ(BytesPorMinuto(1, 40'000), "2"); // 1.5
    EXPECT_EQ(BytesPorMinuto(1, 24'000), "2"); // 2.5
    EXPECT_EQ(BytesPorMinuto(5, 0), "XXXX");
}

} // namespace
