#include "broadcast/Mensajes.h"

#include <gtest/gtest.h>

using namespace kolt::broadcast;
using kolt::config::Variante;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kUTC = "12:34:56";

std::string espacios(std::size_t n)
{
    return std::string(n, ' ');
}

DatosEmisor emisor(Variante modo, std::string propio = "N0CALL-1", std::string via1 = "",
                   std::string via2 = "", std::string ancho = "2300")
{
    return {modo, std::move(propio), std::move(via1), std::move(via2), std::move(ancho)};
}

TEST(TramaBroadcast, HelloFromN0call1IsTheTwentyOneByteFrameWithCommandZero)
{
    const auto t = TramaBroadcast(emisor(Variante::HF), "hello");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->comando, 0x00);
    const Bytes esperada{0x82, 0x98, 0x98, 0x40, 0x40, 0x40, 0x60, 0x9C, 0x60, 0x86, 0x82,
                         0x98, 0x98, 0x63, 0x03, 0xF0, 'h',  'e',  'l',  'l',  'o'};
    EXPECT_EQ(t->ax25, esperada);
}

// Every frame this station sends: the command byte, the addresses written
// (the last-address bit on the last one only) and the information field.
TEST(TramasSalientes, CommandByteAddressesAndInformation)
{
    struct Caso {
        const char* nombre;
        bool cq;
        DatosEmisor e;
        std::uint8_t comando;
        std::size_t direcciones;
        std::string info;
    };
    const Caso casos[] = {
        {"own_call_seven", false, emisor(Variante::HF, "ABCDEFG-2"), 1, 2, "hi"},
        {"via2_seven_counts_outside_fm", false, emisor(Variante::SAT, "N0CALL-1", "", "ABCDEFG-1"),
         1, 2, "hi"},
        {"fm_two_vias", false, emisor(Variante::FM, "N0CALL-1", "WIDE1-1", "WIDE2-2"), 0, 4, "hi"},
        {"fm_via2_without_via1", false, emisor(Variante::FM, "N0CALL-1", "", "WIDE2-2"), 0, 2,
         "hi"},
        {"cq_500", true, emisor(Variante::HF, "N0CALL-1", "", "", "500"), 1, 2, "0"},
        {"cq_2750", true, emisor(Variante::HF, "N0CALL-1", "", "", "2750"), 1, 2, "2"},
        {"cq_unknown_bandwidth", true, emisor(Variante::HF, "N0CALL-1", "", "", "1000"), 1, 2,
         std::string(1, '\0')},
        {"cq_sat", true, emisor(Variante::SAT), 1, 2, ""},
        {"cq_fm", true, emisor(Variante::FM, "N0CALL-1", "WIDE1-1"), 1, 3, ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        const TramaSaliente t = c.cq ? TramaCQ(c.e) : *TramaBroadcast(c.e, "hi");
        EXPECT_EQ(t.comando, c.comando);
        const std::size_t paso = LongitudDireccion(c.comando) + 1;
        ASSERT_EQ(t.ax25.size(), c.direcciones * paso + 2 + c.info.size());
        for (std::size_t k = 0; k < c.direcciones; ++k)
            EXPECT_EQ(t.ax25[k * paso + paso - 1] & 1, k + 1 == c.direcciones ? 1 : 0) << k;
        EXPECT_EQ(std::string(t.ax25.end() - long(c.info.size()), t.ax25.end()), c.info);
        EXPECT_EQ(DecodificarAX25(t.ax25, t.comando).trama.Destino, c.cq ? "CQ" : "ALL");
    }
    EXPECT_TRUE(TramaBroadcast(emisor(Variante::HF), std::string(kLimiteMensaje, 'x')));
    EXPECT_FALSE(TramaBroadcast(emisor(Variante::HF), std::string(kLimiteMensaje + 1, 'x')));
}

TEST(LineasEnviadas, BroadcastAndCQAsThisStationShowsThem)
{
    EXPECT_EQ(LineaBroadcastEnviado(emisor(Variante::FM, "N0CALL-1", "WIDE1-1"), "hello", kUTC),
              "> ALL: N0CALL-1 VIA WIDE1-1 hello  12:34:56\r\n");
    EXPECT_EQ(
        LineaBroadcastEnviado(emisor(Variante::FM, "N0CALL-1", "", "N0CALL-5"), "hello", kUTC),
        "> ALL: N0CALL-1 VIA  N0CALL-5 hello  12:34:56\r\n");

    EXPECT_EQ(LineaCQEnviado(emisor(Variante::HF, "N0CALL-1", "", "", "2300"), kUTC),
              "> CQ de N0CALL-1 on 2300" + espacios(9) + "12:34:56\r\n");
    EXPECT_EQ(LineaCQEnviado(emisor(Variante::SAT, "N0CALL-1", "WIDE1-1"), kUTC),
              "> CQ de N0CALL-1" + espacios(13) + "12:34:56\r\n");
    EXPECT_EQ(LineaCQEnviado(emisor(Variante::FM, "N0CALL-1", "WIDE1-1", "WIDE2-2"), kUTC),
              "> CQ de N0CALL-1 VIA WIDE1-1 WIDE2-2" + espacios(13) + "12:34:56\r\n");
    EXPECT_FALSE(LineaCQEnviado(emisor(Variante::Ninguna), kUTC));
}

TEST(LineaCQ, SpacesCountCharactersAndNeverGoNegative)
{
    EXPECT_EQ(LineaCQ("ABCDEFG-15", "", "", "2750", "<", kUTC),
              "< CQ de ABCDEFG-15 on 2750" + espacios(3) + "12:34:56\r\n");
    EXPECT_EQ(LineaCQ("ÄBC", "", "", "", "<", kUTC), "< CQ de ÄBC" + espacios(14) + "12:34:56\r\n");
    EXPECT_EQ(LineaCQ(std::string(30, 'A'), "", "", "", ">", kUTC),
              "> CQ de " + std::string(30, 'A') + "12:34:56\r\n");
}

// A frame as another station of this kind sends it, with the digipeaters'
// has-been-repeated bits (1 the first, 2 the second) and control and PID.
TramaKISS de(std::vector<std::string> direcciones, std::string_view info, std::uint8_t comando,
             std::uint8_t repetidos = 0, std::uint8_t control = 0x03, std::uint8_t pid = 0xF0)
{
    const std::size_t paso = LongitudDireccion(comando) + 1;
    Bytes ax25 = ConstruirTramaUI(direcciones, paso - 1, Bytes(info.begin(), info.end()));
    if (repetidos & 1) ax25[3 * paso - 1] |= 0x80;
    if (repetidos & 2) ax25[4 * paso - 1] |= 0x80;
    ax25[ax25.size() - info.size() - 2] = control;
    ax25[ax25.size() - info.size() - 1] = pid;
    return {comando, ax25};
}

// Frames heard in a given mode: the line shown, or nothing.
TEST(LineaRecibida, LineShownOrNothing)
{
    const std::vector<std::string> cq{"CQ", "N0CALL-3"};
    const std::vector<std::string> viaCQ{"CQ", "N0CALL-3", "WIDE1-1", "WIDE2-2"};
    const TramaSaliente propio = TramaCQ(emisor(Variante::HF, "N0CALL-3"));
    const std::tuple<const char*, TramaKISS, Variante, std::string> casos[] = {
        {"broadcast, vias shown unrepeated, any mode",
         de({"ALL", "N0CALL-3", "WIDE1-1", "WIDE2-2"}, "hi", 0), Variante::Ninguna,
         "ALL: N0CALL-3 VIA WIDE1-1 WIDE2-2 hi  "},
        {"broadcast, unprintable dropped", de({"ALL", "N0CALL-1"}, "Hi\r\n\xE9", 0), Variante::HF,
         "ALL: N0CALL-1 Hi  "},
        {"our own CQ",
         {propio.comando, propio.ax25},
         Variante::HF,
         "CQ de N0CALL-3 on 2300" + espacios(5)},
        {"cq 500", de(cq, "0", 1), Variante::HF, "CQ de N0CALL-3 on 500" + espacios(6)},
        {"cq unknown code", de(cq, "7", 1), Variante::HF, ""},
        {"cq two codes", de(cq, "01", 1), Variante::HF, ""},
        {"cq sat", de(cq, "1", 1), Variante::SAT, "CQ de N0CALL-3" + espacios(9)},
        {"cq unknown mode", de(cq, "1", 1), Variante::Ninguna, ""},
        {"cq command zero", de(cq, "1", 0), Variante::HF, ""},
        {"cq fm direct", de(viaCQ, "", 1), Variante::FM, "CQ de N0CALL-3" + espacios(9)},
        {"cq fm first repeated", de(viaCQ, "", 1, 1), Variante::FM,
         "CQ de N0CALL-3 VIA WIDE1-1" + espacios(9)},
        {"cq fm second repeated", de(viaCQ, "", 1, 2), Variante::FM,
         "CQ de N0CALL-3 VIA WIDE1-1 WIDE2-2" + espacios(9)},
        {"command two", de({"ALL", "N0CALL-1"}, "hi", 2), Variante::HF, ""},
        {"not UI control", de({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x13), Variante::HF, ""},
        {"not PID F0", de({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x03, 0xCF), Variante::HF, ""},
        {"other destination", de({"QST", "N0CALL-1"}, "hi", 0), Variante::HF, ""},
    };
    for (const auto& [nombre, trama, modo, cuerpo] : casos) {
        const auto linea = LineaRecibida(trama, modo, kUTC);
        EXPECT_EQ(linea,
                  cuerpo.empty() ? std::nullopt : std::optional("< " + cuerpo + "12:34:56\r\n"))
            << nombre;
    }
}

} // namespace
