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
        {"via_seven_counts_outside_fm", false, emisor(Variante::HF, "N0CALL-1", "ABCDEFG"), 1, 2,
         "hi"},
        {"via2_seven_counts_outside_fm", false, emisor(Variante::SAT, "N0CALL-1", "", "ABCDEFG-1"),
         1, 2, "hi"},
        {"six_with_vias_outside_fm", false, emisor(Variante::SAT, "N0CALL-1", "WIDE1-1", "WIDE2-2"),
         0, 2, "hi"},
        {"fm_one_via", false, emisor(Variante::FM, "N0CALL-1", "WIDE1-1"), 0, 3, "hi"},
        {"fm_two_vias", false, emisor(Variante::FM, "N0CALL-1", "WIDE1-1", "WIDE2-2"), 0, 4, "hi"},
        {"fm_via2_without_via1", false, emisor(Variante::FM, "N0CALL-1", "", "WIDE2-2"), 0, 2,
         "hi"},
        {"fm_seven_via", false, emisor(Variante::FM, "N0CALL-1", "ABCDEFG"), 1, 3, "hi"},
        {"cq_500", true, emisor(Variante::HF, "N0CALL-1", "", "", "500"), 1, 2, "0"},
        {"cq_2300", true, emisor(Variante::HF, "N0CALL-1", "", "", "2300"), 1, 2, "1"},
        {"cq_2750", true, emisor(Variante::HF, "N0CALL-1", "", "", "2750"), 1, 2, "2"},
        {"cq_unknown_bandwidth", true, emisor(Variante::HF, "N0CALL-1", "", "", "1000"), 1, 2,
         std::string(1, '\0')},
        {"cq_sat", true, emisor(Variante::SAT), 1, 2, ""},
        {"cq_fm", true, emisor(Variante::FM, "N0CALL-1", "WIDE1-1", "WIDE2-2"), 1, 4, ""},
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
    EXPECT_EQ(LineaBroadcastEnviado(emisor(Variante::HF, "N0CALL-1", "WIDE1-1"), "hello", kUTC),
              "> ALL: N0CALL-1 hello  12:34:56\r\n");
    EXPECT_EQ(LineaBroadcastEnviado(emisor(Variante::FM, "N0CALL-1", "WIDE1-1"), "hello", kUTC),
              "> ALL: N0CALL-1 VIA WIDE1-1 hello  12:34:56\r\n");
    EXPECT_EQ(
        LineaBroadcastEnviado(emisor(Variante::FM, "N0CALL-1", "", "N0CALL-5"), "hello", kUTC),
        "> ALL: N0CALL-1 VIA  N0CALL-5 hello  12:34:56\r\n");

    EXPECT_EQ(LineaCQEnviado(emisor(Variante::HF, "N0CALL-1", "WIDE1-1", "", "500"), kUTC),
              "> CQ de N0CALL-1 on 500" + espacios(10) + "12:34:56\r\n");
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

// Frames as another station of this kind sends them, through KISS, heard
// in a given mode.
struct Escucha {
    const char* nombre;
    Bytes kiss;
    Variante modo;
    std::optional<std::string> linea;
};

void PrintTo(const Escucha& e, std::ostream* os)
{
    *os << e.nombre;
}

Bytes kissDe(std::vector<std::string> direcciones, std::string_view info, std::uint8_t comando,
             std::uint8_t repetidos = 0, std::uint8_t control = 0x03, std::uint8_t pid = 0xF0)
{
    const std::size_t paso = LongitudDireccion(comando) + 1;
    Bytes ax25 = ConstruirTramaUI(direcciones, paso - 1, Bytes(info.begin(), info.end()));
    if (repetidos & 1) ax25[3 * paso - 1] |= 0x80;
    if (repetidos & 2) ax25[4 * paso - 1] |= 0x80;
    ax25[ax25.size() - info.size() - 2] = control;
    ax25[ax25.size() - info.size() - 1] = pid;
    return CodificarKISS(ax25, comando);
}

std::string oido(std::string cuerpo)
{
    return "< " + cuerpo + "12:34:56\r\n";
}

const std::vector<std::string> kViaCQ{"CQ", "N0CALL-3", "WIDE1-1", "WIDE2-2"};

std::vector<Escucha> escuchas()
{
    return {
        {"broadcast", TramaBroadcast(emisor(Variante::HF), "hello")->kiss(), Variante::HF,
         oido("ALL: N0CALL-1 hello  ")},
        {"broadcast_unknown_mode", TramaBroadcast(emisor(Variante::HF), "hi")->kiss(),
         Variante::Ninguna, oido("ALL: N0CALL-1 hi  ")},
        {"broadcast_vias_shown_unrepeated",
         kissDe({"ALL", "N0CALL-3", "WIDE1-1", "WIDE2-2"}, "hi", 0), Variante::HF,
         oido("ALL: N0CALL-3 VIA WIDE1-1 WIDE2-2 hi  ")},
        {"broadcast_nonprintable_dropped", kissDe({"ALL", "N0CALL-1"}, "Hi\r\n\xE9", 0),
         Variante::HF, oido("ALL: N0CALL-1 Hi  ")},
        {"cq_hf_2300", TramaCQ(emisor(Variante::HF, "N0CALL-3")).kiss(), Variante::HF,
         oido("CQ de N0CALL-3 on 2300" + espacios(5))},
        {"cq_hf_500", kissDe({"CQ", "N0CALL-3"}, "0", 1), Variante::HF,
         oido("CQ de N0CALL-3 on 500" + espacios(6))},
        {"cq_hf_unknown_code", kissDe({"CQ", "N0CALL-3"}, "7", 1), Variante::HF, std::nullopt},
        {"cq_hf_two_codes", kissDe({"CQ", "N0CALL-3"}, "01", 1), Variante::HF, std::nullopt},
        {"cq_hf_no_code", kissDe({"CQ", "N0CALL-3"}, "", 1), Variante::HF, std::nullopt},
        {"cq_sat", kissDe({"CQ", "N0CALL-3"}, "1", 1), Variante::SAT,
         oido("CQ de N0CALL-3" + espacios(9))},
        {"cq_unknown_mode", kissDe({"CQ", "N0CALL-3"}, "1", 1), Variante::Ninguna, std::nullopt},
        {"cq_command_zero_ignored", kissDe({"CQ", "N0CALL-3"}, "1", 0), Variante::HF, std::nullopt},
        {"cq_fm_direct", kissDe(kViaCQ, "", 1, 0), Variante::FM,
         oido("CQ de N0CALL-3" + espacios(9))},
        {"cq_fm_first_repeated", kissDe(kViaCQ, "", 1, 1), Variante::FM,
         oido("CQ de N0CALL-3 VIA WIDE1-1" + espacios(9))},
        {"cq_fm_both_repeated", kissDe(kViaCQ, "", 1, 3), Variante::FM,
         oido("CQ de N0CALL-3 VIA WIDE1-1 WIDE2-2" + espacios(9))},
        {"cq_fm_second_repeated", kissDe(kViaCQ, "", 1, 2), Variante::FM,
         oido("CQ de N0CALL-3 VIA WIDE1-1 WIDE2-2" + espacios(9))},
        {"command_two_ignored", kissDe({"ALL", "N0CALL-1"}, "hi", 2), Variante::HF, std::nullopt},
        {"not_ui_control", kissDe({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x13), Variante::HF,
         std::nullopt},
        {"not_no_layer3_pid", kissDe({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x03, 0xCF), Variante::HF,
         std::nullopt},
        {"other_destination", kissDe({"QST", "N0CALL-1"}, "hi", 0), Variante::HF, std::nullopt},
        {"truncated", Bytes{0xC0, 0x00, 0x82, 0x98, 0x98, 0xC0}, Variante::HF, std::nullopt},
    };
}

class Escuchado : public ::testing::TestWithParam<Escucha> {};

TEST_P(Escuchado, LineShownOrNothing)
{
    const Escucha& e = GetParam();
    ReensambladorKISS r;
    const auto tramas = r.feed(e.kiss);
    ASSERT_EQ(tramas.size(), 1u);
    EXPECT_EQ(LineaRecibida(tramas[0], e.modo, kUTC), e.linea);
}

INSTANTIATE_TEST_SUITE_P(Table, Escuchado, ::testing::ValuesIn(escuchas()),
                         [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
