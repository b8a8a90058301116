#include "keying/RadioCatalogue.h"
#include "keying/KeyingCommands.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

using namespace kolt::keying;

namespace {

// Every record as the radio lists give it, brand by brand in display order.
// Written out by hand from those lists, not from the catalogue's own rows, so
// that one wrong byte, speed, number or name on either side fails.
struct Esperado {
    std::string marca;
    std::string modelo;
    int numero;
    int familia;
    std::vector<std::string> baudios;
    std::string civ;
    std::string textoTX;
    std::string textoRX;
    std::vector<std::uint8_t> bytesTX;
    std::vector<std::uint8_t> bytesRX;
};

// clang-format off
const std::vector<Esperado> kEsperados = {
    {"Icom", "IC-78", 112, 1, {"1200", "9600"}, "62", {}, {}, {}, {}},
    {"Icom", "IC-271", 106, 1, {"1200", "9600"}, "20", {}, {}, {}, {}},
    {"Icom", "IC-275", 107, 1, {"1200", "9600"}, "10", {}, {}, {}, {}},
    {"Icom", "IC-375", 108, 1, {"1200", "9600"}, "12", {}, {}, {}, {}},
    {"Icom", "IC-471", 109, 1, {"1200", "9600"}, "22", {}, {}, {}, {}},
    {"Icom", "IC-475", 110, 1, {"1200", "9600"}, "14", {}, {}, {}, {}},
    {"Icom", "IC-575", 111, 1, {"1200", "9600"}, "16", {}, {}, {}, {}},
    {"Icom", "IC-703", 1, 1, {"4800", "9600", "1200"}, "68", {}, {}, {}, {}},
    {"Icom", "IC-705", 135, 1, {"115200", "38400", "19200", "9600", "4800", "1200"}, "A4", {}, {}, {}, {}},
    {"Icom", "IC-706", 2, 1, {"19200", "9600", "4800", "1200"}, "48", {}, {}, {}, {}},
    {"Icom", "IC-706MkII", 3, 1, {"19200", "9600", "4800", "1200"}, "4E", {}, {}, {}, {}},
    {"Icom", "IC-706MkIIG", 4, 1, {"19200"}, "58", {}, {}, {}, {}},
    {"Icom", "IC-707", 5, 1, {"19200", "9600", "4800", "1200"}, "3E", {}, {}, {}, {}},
    {"Icom", "IC-718", 6, 1, {"19200", "9600", "4800", "1200"}, "5E", {}, {}, {}, {}},
    {"Icom", "IC-725", 7, 1, {"1200", "9600"}, "28", {}, {}, {}, {}},
    {"Icom", "IC-726", 8, 1, {"1200", "9600"}, "30", {}, {}, {}, {}},
    {"Icom", "IC-728", 9, 1, {"1200", "9600"}, "38", {}, {}, {}, {}},
    {"Icom", "IC-729", 10, 1, {"1200", "9600"}, "3A", {}, {}, {}, {}},
    {"Icom", "IC-731", 114, 1, {"19200", "9600", "4800", "1200"}, "04", {}, {}, {}, {}},
    {"Icom", "IC-735", 11, 1, {"1200", "9600"}, "04", {}, {}, {}, {}},
    {"Icom", "IC-736", 12, 1, {"1200", "9600"}, "40", {}, {}, {}, {}},
    {"Icom", "IC-737", 13, 1, {"1200", "9600"}, "3C", {}, {}, {}, {}},
    {"Icom", "IC-738", 14, 1, {"19200", "9600", "4800", "1200"}, "44", {}, {}, {}, {}},
    {"Icom", "IC-746", 15, 1, {"19200", "9600", "4800", "1200"}, "56", {}, {}, {}, {}},
    {"Icom", "IC-746Pro", 16, 1, {"19200", "9600", "4800", "1200"}, "66", {}, {}, {}, {}},
    {"Icom", "IC-751", 17, 1, {"1200", "9600"}, "1C", {}, {}, {}, {}},
    {"Icom", "IC-756", 18, 1, {"19200", "9600", "4800", "1200"}, "50", {}, {}, {}, {}},
    {"Icom", "IC-756Pro", 19, 1, {"19200", "9600", "4800", "1200"}, "5C", {}, {}, {}, {}},
    {"Icom", "IC-756ProII", 20, 1, {"19200", "9600", "4800", "1200"}, "64", {}, {}, {}, {}},
    {"Icom", "IC-756ProIII", 21, 1, {"19200", "9600", "4800", "1200"}, "6E", {}, {}, {}, {}},
    {"Icom", "IC-761", 22, 1, {"1200", "9600"}, "1E", {}, {}, {}, {}},
    {"Icom", "IC-765", 23, 1, {"1200", "9600"}, "2C", {}, {}, {}, {}},
    {"Icom", "IC-775", 24, 1, {"19200", "9600", "4800", "1200"}, "46", {}, {}, {}, {}},
    {"Icom", "IC-781", 25, 1, {"1200", "9600"}, "26", {}, {}, {}, {}},
    {"Icom", "IC-820", 113, 1, {"1200", "9600"}, "42", {}, {}, {}, {}},
    {"Icom", "IC-821", 26, 1, {"1200", "9600"}, "4C", {}, {}, {}, {}},
    {"Icom", "IC-910", 27, 1, {"19200", "9600", "4800", "1200"}, "60", {}, {}, {}, {}},
    {"Icom", "IC-970", 28, 1, {"19200", "9600", "4800", "1200"}, "2E", {}, {}, {}, {}},
    {"Icom", "IC-1271", 104, 1, {"1200", "9600"}, "24", {}, {}, {}, {}},
    {"Icom", "IC-1275", 105, 1, {"1200", "9600"}, "18", {}, {}, {}, {}},
    {"Icom", "ID-5100", 133, 1, {"19200", "9600", "4800", "1200"}, "8C", {}, {}, {}, {}},
    {"Icom", "IC-7000", 29, 1, {"19200", "9600", "4800", "1200"}, "70", {}, {}, {}, {}},
    {"Icom", "IC-7100", 124, 1, {"19200", "9600", "4800", "1200"}, "88", {}, {}, {}, {}},
    {"Icom", "IC-7200", 30, 1, {"19200", "9600", "4800", "1200"}, "76", {}, {}, {}, {}},
    {"Icom", "IC-7300", 128, 1, {"115200", "38400", "19200", "9600", "4800", "1200"}, "94", {}, {}, {}, {}},
    {"Icom", "IC-7400", 31, 1, {"19200", "9600", "4800", "1200"}, "66", {}, {}, {}, {}},
    {"Icom", "IC-7410", 122, 1, {"19200", "9600", "4800", "1200"}, "80", {}, {}, {}, {}},
    {"Icom", "IC-7600", 32, 1, {"115200", "38400", "19200", "9600", "4800", "1200"}, "7A", {}, {}, {}, {}},
    {"Icom", "IC-7610", 139, 1, {"115200", "38400", "19200", "9600", "4800", "1200"}, "98", {}, {}, {}, {}},
    {"Icom", "IC-7700", 33, 1, {"19200", "9600", "4800", "1200"}, "74", {}, {}, {}, {}},
    {"Icom", "IC-7800", 34, 1, {"19200", "9600", "4800", "1200"}, "6A", {}, {}, {}, {}},
    {"Icom", "IC-7851", 131, 1, {"19200", "9600", "4800", "1200"}, "8E", {}, {}, {}, {}},
    {"Icom", "IC-9100", 116, 1, {"19200", "9600", "4800", "1200"}, "7C", {}, {}, {}, {}},
    {"Icom", "IC-9700", 134, 1, {"115200", "38400", "19200", "9600", "4800", "1200"}, "A2", {}, {}, {}, {}},
    {"Icom", "IC-R10", 35, 1, {"19200", "9600", "4800", "1200"}, "52", {}, {}, {}, {}},
    {"Icom", "IC-R20", 36, 1, {"19200", "9600", "4800", "1200"}, "6C", {}, {}, {}, {}},
    {"Icom", "IC-R71", 37, 1, {"19200", "9600", "4800", "1200"}, "1A", {}, {}, {}, {}},
    {"Icom", "IC-R72", 38, 1, {"19200", "9600", "4800", "1200"}, "32", {}, {}, {}, {}},
    {"Icom", "IC-R75", 39, 1, {"19200", "9600", "4800", "1200"}, "5A", {}, {}, {}, {}},
    {"Icom", "IC-R7000", 40, 1, {"19200", "9600", "4800", "1200"}, "08", {}, {}, {}, {}},
    {"Icom", "IC-R7100", 41, 1, {"19200", "9600", "4800", "1200"}, "34", {}, {}, {}, {}},
    {"Icom", "IC-R8500", 42, 1, {"19200", "9600", "4800", "1200"}, "4A", {}, {}, {}, {}},
    {"Icom", "IC-R9000", 43, 1, {"19200", "9600", "4800", "1200"}, "2A", {}, {}, {}, {}},
    {"Icom", "IC-R9500", 44, 1, {"19200", "9600", "4800", "1200"}, "72", {}, {}, {}, {}},
    {"Icom", "IC-RX7", 115, 1, {"19200", "9600", "4800", "1200"}, "78", {}, {}, {}, {}},
    {"Yaesu", "FT-100", 45, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-450", 59, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-450D", 117, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-600", 46, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-736", 47, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-747", 102, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-757GXII", 103, 2, {"4800"}, "", {}, {}, {}, {}},
    {"Yaesu", "FT-817", 48, 2, {"38400", "9600", "4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-818", 136, 2, {"38400", "9600", "4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-840", 49, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-847", 50, 2, {"57600", "9600", "4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-857", 51, 2, {"38400", "9600", "4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-890", 99, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-891", 138, 3, {"4800", "9600", "19200", "38400"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-897", 52, 2, {"4800", "9600", "38400"}, "", {}, {}, {0x00, 0x00, 0x00, 0x00, 0x08}, {0x00, 0x00, 0x00, 0x00, 0x88}},
    {"Yaesu", "FT-900", 53, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-920", 54, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-950", 60, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-990", 55, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-991", 132, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-1000", 56, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-1000D", 121, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-1000MP", 57, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-1000MkV", 58, 2, {"4800"}, "", {}, {}, {0x00, 0x00, 0x00, 0x01, 0x0F}, {0x00, 0x00, 0x00, 0x00, 0x0F}},
    {"Yaesu", "FT-1200", 126, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-1200FFT", 127, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-2000", 61, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-2000D", 62, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-3000", 123, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-5000", 63, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-5000D", 118, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-5000MP", 119, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-9000D", 64, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-9000CST", 65, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "FT-9000MP", 66, 3, {"4800", "38400", "19200", "9600"}, "", "TX1;", "TX0;", {}, {}},
    {"Yaesu", "VR-5000", 100, 2, {"4800", "9600", "57600"}, "", {}, {}, {}, {}},
    {"Kenwood", "TS-50", 67, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-60", 68, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-140", 69, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-440", 70, 3, {"4800", "57600", "38400", "19200", "9600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-450", 71, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-480HX", 72, 3, {"4800", "115200", "57600", "38400", "19200", "9600"}, "", "TX1;", "RX;", {}, {}},
    {"Kenwood", "TS-480SAT", 73, 3, {"4800", "115200", "57600", "38400", "19200", "9600"}, "", "TX1;", "RX;", {}, {}},
    {"Kenwood", "TS-570", 74, 3, {"9600", "4800", "19200", "38400", "57600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-590S", 101, 3, {"9600", "4800", "19200", "38400", "57600", "115200"}, "", "TX1;", "RX;", {}, {}},
    {"Kenwood", "TS-590SG", 130, 3, {"9600", "4800", "19200", "38400", "57600", "115200"}, "", "TX1;", "RX;", {}, {}},
    {"Kenwood", "TS-680", 75, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-690", 76, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-711", 77, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-770", 78, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-780", 79, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-790", 80, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-811", 81, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-850", 82, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-870", 83, 3, {"4800", "57600", "38400", "19200", "9600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-890", 137, 3, {"4800", "57600", "38400", "19200", "9600"}, "", "TX0;", "RX;", {}, {}},
    {"Kenwood", "TS-930", 84, 3, {"4800", "9600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-940", 85, 3, {"4800", "9600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-950", 86, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "TS-990", 129, 3, {"9600", "4800", "19200", "38400", "57600", "115200"}, "", "TX1;", "RX;", {}, {}},
    {"Kenwood", "TS-2000", 87, 3, {"9600", "4800", "19200", "38400", "57600"}, "", "TX;", "RX;", {}, {}},
    {"Kenwood", "R-5000", 88, 3, {"4800"}, "", {}, {}, {}, {}},
    {"Kenwood", "TH-D74", 141, 3, {"9600"}, "", "TX\r", "RX\r", {}, {}},
    {"Kenwood", "TH-D75", 142, 3, {"9600"}, "", "TX\r", "RX\r", {}, {}},
    {"Elecraft", "K2", 90, 3, {"4800"}, "", "TX;", "RX;", {}, {}},
    {"Elecraft", "K3", 91, 3, {"4800", "9600", "19200", "38400"}, "", "TX;", "RX;", {}, {}},
    {"TenTec", "Argonaut", 96, 4, {"1200"}, "", "#0\r", "#1\r", {}, {}},
    {"TenTec", "Eagle", 93, 4, {"57600"}, "", "*TK\r", "*TU\r", {}, {}},
    {"TenTec", "Jupiter", 95, 4, {"57600"}, "", {}, {}, {}, {}},
    {"TenTec", "Pegasus", 120, 4, {"57600"}, "", "Q1\r", "Q0\r", {}, {}},
    {"TenTec", "Omni-VII", 98, 4, {"57600"}, "", std::string("*T\x04\x00\r", 5), std::string("*T\x00\x00\r", 5), {}, {}},
    {"TenTec", "Orion", 94, 4, {"57600"}, "", "*TK\r", "*TU\r", {}, {}},
    {"TenTec", "RX-350", 97, 4, {"57600"}, "", {}, {}, {}, {}},
    {"FlexRadio", "PowerSDR", 89, 3, {"9600"}, "", "TX;", "RX;", {}, {}},
    {"FlexRadio", "SmartSDR", 125, 3, {"9600"}, "", "TX;", "RX;", {}, {}},
    {"Microtelecom", "Perseus", 92, 1, {"19200", "9600", "4800", "1200"}, "04", {}, {}, {}, {}},
    {"Anytone", "AT-D578UV", 140, 2, {"115200"}, "", {}, {}, {0x41, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06}, {0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06}},
};
// clang-format on

const std::vector<std::string> kMarcasEsperadas = {
    "Icom", "Yaesu", "Kenwood", "Elecraft", "TenTec", "FlexRadio", "Microtelecom", "Anytone",
};

// Slot of `e` in its brand's display list: its place among the brand's rows.
int posicionEsperada(const Esperado& e)
{
    int posicion = 0;
    for (const Esperado& otro : kEsperados) {
        if (&otro == &e) return posicion;
        if (otro.marca == e.marca) ++posicion;
    }
    return -1;
}

std::string texto(std::string_view v)
{
    return std::string(v);
}

class CatalogueRecord : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CatalogueRecord, MatchesTheRadioList)
{
    const Esperado& e = kEsperados[GetParam()];
    const Catalogo& cat = CargarRadios();
    const Radio& r = cat.RadioNumero(e.numero);

    EXPECT_EQ(texto(r.modelo), e.modelo);
    EXPECT_EQ(texto(r.marca), e.marca);
    EXPECT_EQ(r.familia, e.familia);
    std::vector<std::string> baudios;
    for (std::string_view b : r.Baudios())
        baudios.emplace_back(b);
    EXPECT_EQ(baudios, e.baudios);
    EXPECT_EQ(texto(r.direccionCIV), e.civ);
    EXPECT_EQ(texto(r.textoTX), e.textoTX);
    EXPECT_EQ(texto(r.textoRX), e.textoRX);
    if (e.bytesTX.empty()) {
        EXPECT_EQ(r.ultimoByte, 0);
    } else {
        ASSERT_EQ(r.ultimoByte + 1u, e.bytesTX.size());
        EXPECT_EQ(
            std::vector<std::uint8_t>(r.bytesTX.begin(), r.bytesTX.begin() + r.ultimoByte + 1),
            e.bytesTX);
        EXPECT_EQ(
            std::vector<std::uint8_t>(r.bytesRX.begin(), r.bytesRX.begin() + r.ultimoByte + 1),
            e.bytesRX);
    }

    EXPECT_EQ(cat.NumeroDeModelo(e.modelo), e.numero);
    const auto marca = cat.IndiceDeMarca(e.marca);
    ASSERT_TRUE(marca.has_value());
    const auto modelos = cat.Modelos(*marca);
    const int posicion = posicionEsperada(e);
    ASSERT_LT(posicion, static_cast<int>(modelos.size()));
    EXPECT_EQ(texto(modelos[static_cast<std::size_t>(posicion)]), e.modelo) << "display order";
}

INSTANTIATE_TEST_SUITE_P(AllRecords, CatalogueRecord,
                         ::testing::Range<std::size_t>(0, kEsperados.size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string nombre = kEsperados[info.param].modelo;
                             for (char& c : nombre)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return nombre;
                         });

TEST(Catalogue, BrandsAndListLengthsAreExactlyTheRadioLists)
{
    const Catalogo& cat = CargarRadios();
    ASSERT_EQ(kEsperados.size(), 142u);
    std::set<int> numeros;
    for (const Esperado& e : kEsperados)
        numeros.insert(e.numero);
    EXPECT_EQ(numeros.size(), 142u);
    EXPECT_EQ(*numeros.begin(), 1);
    EXPECT_EQ(*numeros.rbegin(), 142);

    for (int m = 0; m < kNumMarcas; ++m) {
        EXPECT_EQ(texto(cat.Marca(m)), kMarcasEsperadas[static_cast<std::size_t>(m)]);
        std::size_t filas = 0;
        for (const Esperado& e : kEsperados)
            filas += e.marca == kMarcasEsperadas[std::size_t(m)];
        EXPECT_EQ(cat.Modelos(m).size(), filas) << kMarcasEsperadas[std::size_t(m)];
    }
    EXPECT_EQ(cat.Modelos(0).size(), 65u) << "Icom fills every slot";
    EXPECT_TRUE(cat.Marca(8).empty());
    EXPECT_TRUE(cat.Modelos(-1).empty());
    EXPECT_TRUE(cat.Modelos(8).empty());
}

TEST(Catalogue, LookupByName)
{
    const Catalogo& cat = CargarRadios();
    EXPECT_EQ(cat.NumeroDeModelo("TS-2000"), 87);
    EXPECT_EQ(cat.NumeroDeModelo("IC-7300"), 128);
    EXPECT_EQ(texto(cat.Modelos(0)[0]), "IC-78");
    EXPECT_EQ(cat.NumeroDeModelo("IC-78"), 112) << "display order is not record order";
    EXPECT_EQ(cat.NumeroDeModelo("ic-7300"), std::nullopt) << "names match exactly";
    EXPECT_EQ(cat.NumeroDeModelo(""), std::nullopt);
    EXPECT_EQ(cat.IndiceDeMarca("Anytone"), 7);
    EXPECT_EQ(cat.IndiceDeMarca("Motorola"), std::nullopt);
}

TEST(Catalogue, RigOutsideTheTableKeysTheDefaultRecord)
{
    const Catalogo& cat = CargarRadios();
    for (int rig : {0, -1, 143, 255, 100000})
        EXPECT_EQ(&cat.RadioNumero(rig), &cat.RadioNumero(52)) << rig;
    EXPECT_EQ(texto(cat.RadioNumero(142).modelo), "TH-D75");
    EXPECT_EQ(texto(cat.RadioNumero(1).modelo), "IC-703");
}

TEST(Catalogue, ModelsWithoutCommandsKeyNothing)
{
    const Catalogo& cat = CargarRadios();
    for (const char* modelo : {"R-5000", "Jupiter", "RX-350", "VR-5000", "FT-757GXII"}) {
        const Radio& r = cat.RadioNumero(*cat.NumeroDeModelo(modelo));
        EXPECT_EQ(OrdenPTT(r, true, ""), "") << modelo;
        EXPECT_EQ(OrdenPTT(r, false, "94"), "") << modelo;
    }
}

} // namespace
