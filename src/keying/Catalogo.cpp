#include "keying/Catalogo.h"

#include <algorithm>
#include <iterator>

// The rows below read like the radio lists operators know: per brand, in
// display order, with the record number first. The catalogue is derived from
// them at compile time; a malformed row (bad hex digit, a repeated number or
// model, too many speeds) stops the build instead of misbehaving on the air.

namespace kolt::keying {

using namespace std::string_view_literals;

namespace {

enum MarcaIndice : std::uint8_t {
    kIcom,
    kYaesu,
    kKenwood,
    kElecraft,
    kTenTec,
    kFlexRadio,
    kMicrotelecom,
    kAnytone,
};

constexpr std::array<std::string_view, kNumMarcas> kMarcas = {
    "Icom", "Yaesu", "Kenwood", "Elecraft", "TenTec", "FlexRadio", "Microtelecom", "Anytone",
};

// A keying command as written in a row: a byte frame in hex, or a text.
struct Orden {
    bool esBytes = false;
    std::string_view texto;
};
constexpr Orden B(std::string_view hex)
{
    return {true, hex};
}
constexpr Orden T(std::string_view texto)
{
    return {false, texto};
}
constexpr Orden kNada{};

struct Fila {
    int numero;
    MarcaIndice marca;
    std::string_view modelo;
    int familia;
    std::string_view velocidades; // space-separated, in list order
    Orden on;
    Orden off;
    std::string_view civ = {};
};

constexpr Fila icom(int numero, std::string_view modelo, std::string_view velocidades,
                    std::string_view civ)
{
    return {numero, kIcom, modelo, 1, velocidades, kNada, kNada, civ};
}

// Icom models first, then each brand in turn; within a brand, display order.
constexpr Fila kFilas[] = {
    icom(112, "IC-78", "1200 9600", "62"),
    icom(106, "IC-271", "1200 9600", "20"),
    icom(107, "IC-275", "1200 9600", "10"),
    icom(108, "IC-375", "1200 9600", "12"),
    icom(109, "IC-471", "1200 9600", "22"),
    icom(110, "IC-475", "1200 9600", "14"),
    icom(111, "IC-575", "1200 9600", "16"),
    icom(1, "IC-703", "4800 9600 1200", "68"),
    icom(135, "IC-705", "115200 38400 19200 9600 4800 1200", "A4"),
    icom(2, "IC-706", "19200 9600 4800 1200", "48"),
    icom(3, "IC-706MkII", "19200 9600 4800 1200", "4E"),
    icom(4, "IC-706MkIIG", "19200", "58"),
    icom(5, "IC-707", "19200 9600 4800 1200", "3E"),
    icom(6, "IC-718", "19200 9600 4800 1200", "5E"),
    icom(7, "IC-725", "1200 9600", "28"),
    icom(8, "IC-726", "1200 9600", "30"),
    icom(9, "IC-728", "1200 9600", "38"),
    icom(10, "IC-729", "1200 9600", "3A"),
    icom(114, "IC-731", "19200 9600 4800 1200", "04"),
    icom(11, "IC-735", "1200 9600", "04"),
    icom(12, "IC-736", "1200 9600", "40"),
    icom(13, "IC-737", "1200 9600", "3C"),
    icom(14, "IC-738", "19200 9600 4800 1200", "44"),
    icom(15, "IC-746", "19200 9600 4800 1200", "56"),
    icom(16, "IC-746Pro", "19200 9600 4800 1200", "66"),
    icom(17, "IC-751", "1200 9600", "1C"),
    icom(18, "IC-756", "19200 9600 4800 1200", "50"),
    icom(19, "IC-756Pro", "19200 9600 4800 1200", "5C"),
    icom(20, "IC-756ProII", "19200 9600 4800 1200", "64"),
    icom(21, "IC-756ProIII", "19200 9600 4800 1200", "6E"),
    icom(22, "IC-761", "1200 9600", "1E"),
    icom(23, "IC-765", "1200 9600", "2C"),
    icom(24, "IC-775", "19200 9600 4800 1200", "46"),
    icom(25, "IC-781", "1200 9600", "26"),
    icom(113, "IC-820", "1200 9600", "42"),
    icom(26, "IC-821", "1200 9600", "4C"),
    icom(27, "IC-910", "19200 9600 4800 1200", "60"),
    icom(28, "IC-970", "19200 9600 4800 1200", "2E"),
    icom(104, "IC-1271", "1200 9600", "24"),
    icom(105, "IC-1275", "1200 9600", "18"),
    icom(133, "ID-5100", "19200 9600 4800 1200", "8C"),
    icom(29, "IC-7000", "19200 9600 4800 1200", "70"),
    icom(124, "IC-7100", "19200 9600 4800 1200", "88"),
    icom(30, "IC-7200", "19200 9600 4800 1200", "76"),
    icom(128, "IC-7300", "115200 38400 19200 9600 4800 1200", "94"),
    icom(31, "IC-7400", "19200 9600 4800 1200", "66"),
    icom(122, "IC-7410", "19200 9600 4800 1200", "80"),
    icom(32, "IC-7600", "115200 38400 19200 9600 4800 1200", "7A"),
    icom(139, "IC-7610", "115200 38400 19200 9600 4800 1200", "98"),
    icom(33, "IC-7700", "19200 9600 4800 1200", "74"),
    icom(34, "IC-7800", "19200 9600 4800 1200", "6A"),
    icom(131, "IC-7851", "19200 9600 4800 1200", "8E"),
    icom(116, "IC-9100", "19200 9600 4800 1200", "7C"),
    icom(134, "IC-9700", "115200 38400 19200 9600 4800 1200", "A2"),
    icom(35, "IC-R10", "19200 9600 4800 1200", "52"),
    icom(36, "IC-R20", "19200 9600 4800 1200", "6C"),
    icom(37, "IC-R71", "19200 9600 4800 1200", "1A"),
    icom(38, "IC-R72", "19200 9600 4800 1200", "32"),
    icom(39, "IC-R75", "19200 9600 4800 1200", "5A"),
    icom(40, "IC-R7000", "19200 9600 4800 1200", "08"),
    icom(41, "IC-R7100", "19200 9600 4800 1200", "34"),
    icom(42, "IC-R8500", "19200 9600 4800 1200", "4A"),
    icom(43, "IC-R9000", "19200 9600 4800 1200", "2A"),
    icom(44, "IC-R9500", "19200 9600 4800 1200", "72"),
    icom(115, "IC-RX7", "19200 9600 4800 1200", "78"),
    {45, kYaesu, "FT-100", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {59, kYaesu, "FT-450", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {117, kYaesu, "FT-450D", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {46, kYaesu, "FT-600", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {47, kYaesu, "FT-736", 2, "4800", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {102, kYaesu, "FT-747", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {103, kYaesu, "FT-757GXII", 2, "4800", kNada, kNada},
    {48, kYaesu, "FT-817", 2, "38400 9600 4800", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {136, kYaesu, "FT-818", 2, "38400 9600 4800", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {49, kYaesu, "FT-840", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {50, kYaesu, "FT-847", 2, "57600 9600 4800", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {51, kYaesu, "FT-857", 2, "38400 9600 4800", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {99, kYaesu, "FT-890", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {138, kYaesu, "FT-891", 3, "4800 9600 19200 38400", T("TX1;"), T("TX0;")},
    {52, kYaesu, "FT-897", 2, "4800 9600 38400", B("00 00 00 00 08"), B("00 00 00 00 88")},
    {53, kYaesu, "FT-900", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {54, kYaesu, "FT-920", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {60, kYaesu, "FT-950", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {55, kYaesu, "FT-990", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {132, kYaesu, "FT-991", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {56, kYaesu, "FT-1000", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {121, kYaesu, "FT-1000D", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {57, kYaesu, "FT-1000MP", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {58, kYaesu, "FT-1000MkV", 2, "4800", B("00 00 00 01 0F"), B("00 00 00 00 0F")},
    {126, kYaesu, "FT-1200", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {127, kYaesu, "FT-1200FFT", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {61, kYaesu, "FT-2000", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {62, kYaesu, "FT-2000D", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {123, kYaesu, "FT-3000", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {63, kYaesu, "FT-5000", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {118, kYaesu, "FT-5000D", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {119, kYaesu, "FT-5000MP", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {64, kYaesu, "FT-9000D", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {65, kYaesu, "FT-9000CST", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {66, kYaesu, "FT-9000MP", 3, "4800 38400 19200 9600", T("TX1;"), T("TX0;")},
    {100, kYaesu, "VR-5000", 2, "4800 9600 57600", kNada, kNada},
    {67, kKenwood, "TS-50", 3, "4800", T("TX;"), T("RX;")},
    {68, kKenwood, "TS-60", 3, "4800", T("TX;"), T("RX;")},
    {69, kKenwood, "TS-140", 3, "4800", T("TX;"), T("RX;")},
    {70, kKenwood, "TS-440", 3, "4800 57600 38400 19200 9600", T("TX;"), T("RX;")},
    {71, kKenwood, "TS-450", 3, "4800", T("TX;"), T("RX;")},
    {72, kKenwood, "TS-480HX", 3, "4800 115200 57600 38400 19200 9600", T("TX1;"), T("RX;")},
    {73, kKenwood, "TS-480SAT", 3, "4800 115200 57600 38400 19200 9600", T("TX1;"), T("RX;")},
    {74, kKenwood, "TS-570", 3, "9600 4800 19200 38400 57600", T("TX;"), T("RX;")},
    {101, kKenwood, "TS-590S", 3, "9600 4800 19200 38400 57600 115200", T("TX1;"), T("RX;")},
    {130, kKenwood, "TS-590SG", 3, "9600 4800 19200 38400 57600 115200", T("TX1;"), T("RX;")},
    {75, kKenwood, "TS-680", 3, "4800", T("TX;"), T("RX;")},
    {76, kKenwood, "TS-690", 3, "4800", T("TX;"), T("RX;")},
    {77, kKenwood, "TS-711", 3, "4800", T("TX;"), T("RX;")},
    {78, kKenwood, "TS-770", 3, "4800", T("TX;"), T("RX;")},
    {79, kKenwood, "TS-780", 3, "4800", T("TX;"), T("RX;")},
    {80, kKenwood, "TS-790", 3, "4800", T("TX;"), T("RX;")},
    {81, kKenwood, "TS-811", 3, "4800", T("TX;"), T("RX;")},
    {82, kKenwood, "TS-850", 3, "4800", T("TX;"), T("RX;")},
    {83, kKenwood, "TS-870", 3, "4800 57600 38400 19200 9600", T("TX;"), T("RX;")},
    {137, kKenwood, "TS-890", 3, "4800 57600 38400 19200 9600", T("TX0;"), T("RX;")},
    {84, kKenwood, "TS-930", 3, "4800 9600", T("TX;"), T("RX;")},
    {85, kKenwood, "TS-940", 3, "4800 9600", T("TX;"), T("RX;")},
    {86, kKenwood, "TS-950", 3, "4800", T("TX;"), T("RX;")},
    {129, kKenwood, "TS-990", 3, "9600 4800 19200 38400 57600 115200", T("TX1;"), T("RX;")},
    {87, kKenwood, "TS-2000", 3, "9600 4800 19200 38400 57600", T("TX;"), T("RX;")},
    {88, kKenwood, "R-5000", 3, "4800", kNada, kNada},
    {141, kKenwood, "TH-D74", 3, "9600", T("TX\r"), T("RX\r")},
    {142, kKenwood, "TH-D75", 3, "9600", T("TX\r"), T("RX\r")},
    {90, kElecraft, "K2", 3, "4800", T("TX;"), T("RX;")},
    {91, kElecraft, "K3", 3, "4800 9600 19200 38400", T("TX;"), T("RX;")},
    {96, kTenTec, "Argonaut", 4, "1200", T("#0\r"), T("#1\r")},
    {93, kTenTec, "Eagle", 4, "57600", T("*TK\r"), T("*TU\r")},
    {95, kTenTec, "Jupiter", 4, "57600", kNada, kNada},
    {120, kTenTec, "Pegasus", 4, "57600", T("Q1\r"), T("Q0\r")},
    {98, kTenTec, "Omni-VII", 4, "57600", T("*T\x04\x00\r"sv), T("*T\x00\x00\r"sv)},
    {94, kTenTec, "Orion", 4, "57600", T("*TK\r"), T("*TU\r")},
    {97, kTenTec, "RX-350", 4, "57600", kNada, kNada},
    {89, kFlexRadio, "PowerSDR", 3, "9600", T("TX;"), T("RX;")},
    {125, kFlexRadio, "SmartSDR", 3, "9600", T("TX;"), T("RX;")},
    {92, kMicrotelecom, "Perseus", 1, "19200 9600 4800 1200", kNada, kNada, "04"},
    {140, kAnytone, "AT-D578UV", 2, "115200", B("41 01 00 00 00 00 00 06"),
     B("41 00 00 00 00 00 00 06")},
};
static_assert(std::size(kFilas) == kNumRadios);

// Reached only during constant evaluation, where a throw is a build error.
[[noreturn]] void filaMal(const char* por)
{
    throw por;
}

constexpr std::uint8_t valorHex(char c)
{
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    filaMal("byte frames are upper-case hex pairs");
}

// Splits "a b c" at single spaces and hands each word to `f`.
template <typename F> constexpr void porPalabras(std::string_view texto, F f)
{
    while (!texto.empty()) {
        const auto espacio = texto.find(' ');
        f(texto.substr(0, espacio));
        if (espacio == std::string_view::npos) break;
        texto.remove_prefix(espacio + 1);
    }
}

constexpr int leerBytes(std::string_view hex, std::array<std::uint8_t, kMaxBytes>& destino)
{
    int n = 0;
    porPalabras(hex, [&](std::string_view par) {
        if (par.size() != 2 || n == kMaxBytes) filaMal("bad byte frame");
        destino[static_cast<std::size_t>(n++)] =
            static_cast<std::uint8_t>(valorHex(par[0]) * 16 + valorHex(par[1]));
    });
    return n;
}

constexpr Radio construirRadio(const Fila& f)
{
    Radio r;
    porPalabras(f.velocidades, [&](std::string_view v) {
        if (v.empty() || r.numBaudios == kMaxBaudios) filaMal("bad speed list");
        r.baudios[r.numBaudios++] = v;
    });
    if (r.numBaudios == 0) filaMal("a model offers at least one speed");
    if (f.familia < 1 || f.familia > 4) filaMal("families are 1 to 4");
    if ((f.familia == 1) != (f.civ.size() == 2)) filaMal("CI-V address iff family 1");
    r.familia = static_cast<std::uint8_t>(f.familia);
    r.marca = kMarcas[f.marca];
    r.modelo = f.modelo;
    r.direccionCIV = f.civ;
    if (f.on.esBytes != f.off.esBytes) filaMal("on and off commands of one kind");
    if (f.on.esBytes) {
        const int n = leerBytes(f.on.texto, r.bytesTX);
        if (n < 2 || leerBytes(f.off.texto, r.bytesRX) != n) filaMal("frames of one length");
        r.ultimoByte = static_cast<std::uint8_t>(n - 1);
    } else {
        r.textoTX = f.on.texto;
        r.textoRX = f.off.texto;
    }
    return r;
}

constexpr Catalogo construirCatalogo()
{
    Catalogo c{};
    c.marcas = kMarcas;
    std::array<int, kNumMarcas> usados{};
    std::array<bool, kNumRadios> visto{};
    for (const Fila& f : kFilas) {
        if (f.numero < 1 || f.numero > kNumRadios || visto[f.numero - 1])
            filaMal("record numbers are 1 to 142, each once");
        visto[f.numero - 1] = true;
        c.radios[f.numero - 1] = construirRadio(f);
        int& slot = usados[f.marca];
        if (slot == kSlotsModelo) filaMal("a brand has at most 65 models");
        c.modelos[f.marca][slot++] = f.modelo;
    }
    for (auto a = std::begin(kFilas); a != std::end(kFilas); ++a)
        for (auto b = a + 1; b != std::end(kFilas); ++b)
            if (a->modelo == b->modelo) filaMal("model names are unique");
    return c;
}

constexpr Catalogo kCatalogo = construirCatalogo();

} // namespace

const Catalogo& CargarRadios()
{
    return kCatalogo;
}

std::string_view Catalogo::Marca(int indice) const
{
    if (indice < 0 || indice >= kNumMarcas) return {};
    return marcas[static_cast<std::size_t>(indice)];
}

std::span<const std::string_view> Catalogo::Modelos(int marca) const
{
    if (marca < 0 || marca >= kNumMarcas) return {};
    const auto& slots = modelos[static_cast<std::size_t>(marca)];
    const auto fin = std::find(slots.begin(), slots.end(), std::string_view{});
    return {slots.begin(), fin};
}

const Radio& Catalogo::RadioNumero(int rig) const
{
    if (rig < 1 || rig > kNumRadios) rig = kRigPorDefecto;
    return radios[static_cast<std::size_t>(rig - 1)];
}

std::optional<int> Catalogo::NumeroDeModelo(std::string_view modelo) const
{
    const auto it = std::find_if(radios.begin(), radios.end(),
                                 [&](const Radio& r) { return r.modelo == modelo; });
    if (it == radios.end()) return std::nullopt;
    return static_cast<int>(it - radios.begin()) + 1;
}

std::optional<int> Catalogo::IndiceDeMarca(std::string_view marca) const
{
    const auto it = std::find(marcas.begin(), marcas.end(), marca);
    if (it == marcas.end()) return std::nullopt;
    return static_cast<int>(it - marcas.begin());
}

} // namespace kolt::keying
