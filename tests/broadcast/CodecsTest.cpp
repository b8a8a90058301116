// KISS, AX.25 UI frames, and what CQ calls and broadcasts put into frames
// and onto the screen. Random input: fuzz/fuzz_kiss.cpp, fuzz/fuzz_ax25.cpp.

#include "broadcast/Mensajes.h"

#include <gtest/gtest.h>

using namespace kolt::broadcast;
using kolt::config::Variante;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Tramas = std::vector<TramaKISS>;

constexpr std::string_view kUTC = "12:34:56";

Bytes H(std::string_view hex)
{
    Bytes b;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(std::uint8_t(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return b;
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

DatosEmisor emisor(Variante modo, std::string propio = "N0CALL-1", std::string via1 = "",
                   std::string via2 = "", std::string ancho = "2300")
{
    return {modo, std::move(propio), std::move(via1), std::move(via2), std::move(ancho)};
}

TEST(CodificarKISS, EscapesDataAndCommandByte)
{
    EXPECT_EQ(CodificarKISS(H("C0DB41"), 0xDB), H("C0DBDDDBDCDBDD41C0"));
}

// Each stream gives the same frames whole and byte by byte, with a limit
// of 16 bytes (the default has a test of its own).
TEST(ReensambladorKISS, SameFramesWholeAndByteByByte)
{
    const std::string llena(30, 'A'); // the largest frame, of 0xAA
    const std::tuple<const char*, Bytes, Tramas, std::size_t> flujos[] = {
        {"double fend", H("C000AAC0C001BBC0"), {{0x00, H("AA")}, {0x01, H("BB")}}, 0},
        {"escapes", H("C0DBDCDBDCDBDDC0"), {{0xC0, H("C0DB")}}, 0},
        {"dangling escape dropped", H("C00041DBC00042C0"), {{0x00, H("42")}}, 1},
        {"stray escape kept", H("C000DB41DBDBDCC0"), {{0x00, H("DB41DBC0")}}, 0},
        {"largest frame kept", H("C000" + llena + "C0"), {{0x00, H(llena)}}, 0},
        {"oversized dropped, next kept", H("C000" + llena + "AAC00042C0"), {{0x00, H("42")}}, 1},
        // The byte after a stray escape must not start a frame of its own once
        // the escape itself overflowed the buffer.
        {"overflow on stray escape", H("C000" + llena + "DB0708C00042C0"), {{0x00, H("42")}}, 1},
    };
    for (const auto& [nombre, bytes, tramas, descartadas] : flujos) {
        ReensambladorKISS entero(16), troceado(16);
        EXPECT_EQ(entero.feed(bytes), tramas) << nombre;
        Tramas recibidas;
        for (std::uint8_t b : bytes)
            for (auto& t : troceado.feed(Bytes{b}))
                recibidas.push_back(std::move(t));
        EXPECT_EQ(recibidas, tramas) << nombre << ", byte by byte";
        EXPECT_EQ(entero.descartadas() + troceado.descartadas(), 2 * descartadas) << nombre;
    }
}

// A peer that never sends FEND: the buffer stops growing. A reconnect's
// reset: the station test.
TEST(ReensambladorKISS, DefaultLimitDropsAnEndlessStream)
{
    ReensambladorKISS r;
    EXPECT_TRUE(r.feed(H("C000")).empty()); // a frame opens and never ends
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(r.feed(Bytes(ReensambladorKISS::kTramaMaxima, 0x41)).empty());
    EXPECT_EQ(r.descartadas(), 1u);
}

// T and R (16 and 17) fold onto SSID 0 and 1; an absurd suffix that
// slipped past the check must not set the has-been-repeated bit.
TEST(CodificarDireccion, SevenCharacterCallAndSsidByte)
{
    EXPECT_EQ(CodificarDireccion("ABCDEFG-2", 7, false), H("828486888A8C8E64"));
    for (const auto& [indicativo, byte] :
         {std::pair("N0CALL-T", 0x60), std::pair("N0CALL-17", 0x62), std::pair("N0CALL-999", 0x7E)})
        EXPECT_EQ(CodificarDireccion(indicativo, 6, false).back(), byte) << indicativo;
}

// The last-address bit: the sent frames' table below.
TEST(ConstruirTramaUI, DigipeatersEndAtFirstEmptyAndAtTwo)
{
    EXPECT_EQ(de({"ALL", "N0CALL-1", "", "WIDE2-2"}, "", 0), de({"ALL", "N0CALL-1"}, "", 0));
    EXPECT_EQ(de({"ALL", "N0CALL-1", "A", "B", "C"}, "", 0).ax25.size(), 4 * 7 + 2u);
}

// Call signs keep printable characters; a prefix of a frame (in a buffer of
// its own size, for the sanitizer) is refused until control and PID are in.
TEST(DecodificarAX25, UntrustedFrames)
{
    Bytes t = de({"ALL", "N0CALL"}, "", 0).ax25;
    t[8] = '\r' << 1;
    t[9] = '\n' << 1;
    EXPECT_EQ(DecodificarAX25(t, 0x00).trama.Origen, "NALL");

    const Bytes entera = de({"ALL", "N0CALL-1", "A", "B"}, "xy", 1).ax25;
    for (std::size_t n = 0; n <= entera.size(); ++n) {
        const Bytes prefijo(entera.begin(), entera.begin() + static_cast<long>(n));
        EXPECT_EQ(DecodificarAX25(prefijo, 0x01).resultado == ResultadoAX25::Correcta,
                  n >= 4 * 8 + 2)
            << n;
    }
}

TEST(TramaBroadcast, HelloFromN0call1IsTheTwentyOneByteFrameWithCommandZero)
{
    const auto t = TramaBroadcast(emisor(Variante::HF), "hello");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->comando, 0x00);
    EXPECT_EQ(t->ax25, H("829898404040609C60868298986303F068656C6C6F"));
    EXPECT_TRUE(TramaBroadcast(emisor(Variante::HF), std::string(kLimiteMensaje, 'x')));
    EXPECT_FALSE(TramaBroadcast(emisor(Variante::HF), std::string(kLimiteMensaje + 1, 'x')));
}

// The command byte, the addresses (the last-address bit on the last only)
// and the information; six-character broadcasts, CQ 500: the station test.
TEST(TramasSalientes, CommandByteAddressesAndInformation)
{
    const std::tuple<const char*, TramaSaliente, std::uint8_t, std::size_t, std::string> casos[] = {
        {"own call seven", *TramaBroadcast(emisor(Variante::HF, "ABCDEFG-2"), "hi"), 1, 2, "hi"},
        {"via2 seven counts outside FM",
         *TramaBroadcast(emisor(Variante::SAT, "N0CALL-1", "", "ABCDEFG-1"), "hi"), 1, 2, "hi"},
        {"cq 2750", TramaCQ(emisor(Variante::HF, "N0CALL-1", "", "", "2750")), 1, 2, "2"},
        {"cq unknown bandwidth", TramaCQ(emisor(Variante::HF, "N0CALL-1", "", "", "1000")), 1, 2,
         std::string(1, '\0')},
        {"cq fm", TramaCQ(emisor(Variante::FM, "N0CALL-1", "WIDE1-1")), 1, 3, ""},
    };
    for (const auto& [nombre, t, comando, direcciones, info] : casos) {
        SCOPED_TRACE(nombre);
        EXPECT_EQ(t.comando, comando);
        const std::size_t paso = LongitudDireccion(comando) + 1;
        ASSERT_EQ(t.ax25.size(), direcciones * paso + 2 + info.size());
        for (std::size_t k = 0; k < direcciones; ++k)
            EXPECT_EQ(t.ax25[k * paso + paso - 1] & 1, k + 1 == direcciones ? 1 : 0) << k;
        EXPECT_EQ(std::string(t.ax25.end() - long(info.size()), t.ax25.end()), info);
    }
}

// The lines sent; spaces count characters and never go negative.
TEST(LineasEnviadas, BroadcastAndCQAsThisStationShowsThem)
{
    EXPECT_EQ(
        LineaBroadcastEnviado(emisor(Variante::FM, "N0CALL-1", "", "N0CALL-5"), "hello", kUTC),
        "> ALL: N0CALL-1 VIA  N0CALL-5 hello  12:34:56\r\n");
    EXPECT_EQ(LineaCQEnviado(emisor(Variante::FM, "N0CALL-1", "WIDE1-1", "WIDE2-2"), kUTC),
              "> CQ de N0CALL-1 VIA WIDE1-1 WIDE2-2" + std::string(13, ' ') + "12:34:56\r\n");
    EXPECT_FALSE(LineaCQEnviado(emisor(Variante::Ninguna), kUTC));
    EXPECT_EQ(LineaCQ("ÄBC", "", "", "2750", "<", kUTC),
              "< CQ de ÄBC on 2750" + std::string(10, ' ') + "12:34:56\r\n");
    EXPECT_EQ(LineaCQ(std::string(30, 'A'), "", "", "", ">", kUTC),
              "> CQ de " + std::string(30, 'A') + "12:34:56\r\n");
}

// Frames heard in a given mode: the line shown, or nothing.
TEST(LineaRecibida, LineShownOrNothing)
{
    const std::vector<std::string> cq{"CQ", "N0CALL-3"};
    const std::vector<std::string> viaCQ{"CQ", "N0CALL-3", "WIDE1-1", "WIDE2-2"};
    const std::tuple<const char*, TramaKISS, Variante, std::string> casos[] = {
        {"broadcast, vias shown unrepeated, any mode",
         de({"ALL", "N0CALL-3", "WIDE1-1", "WIDE2-2"}, "hi", 0), Variante::Ninguna,
         "ALL: N0CALL-3 VIA WIDE1-1 WIDE2-2 hi  "},
        {"broadcast, unprintable dropped", de({"ALL", "N0CALL-1"}, "Hi\r\n\xC0", 0), Variante::HF,
         "ALL: N0CALL-1 Hi  "},
        {"cq 500", de(cq, "0", 1), Variante::HF, "CQ de N0CALL-3 on 500" + std::string(6, ' ')},
        {"cq unknown code", de(cq, "7", 1), Variante::HF, ""},
        {"cq sat", de(cq, "1", 1), Variante::SAT, "CQ de N0CALL-3" + std::string(9, ' ')},
        {"cq command zero", de(cq, "1", 0), Variante::HF, ""},
        {"cq fm direct", de(viaCQ, "", 1), Variante::FM, "CQ de N0CALL-3" + std::string(9, ' ')},
        {"cq fm first repeated", de(viaCQ, "", 1, 1), Variante::FM,
         "CQ de N0CALL-3 VIA WIDE1-1" + std::string(9, ' ')},
        {"cq fm second repeated", de(viaCQ, "", 1, 2), Variante::FM,
         "CQ de N0CALL-3 VIA WIDE1-1 WIDE2-2" + std::string(9, ' ')},
        {"not UI control", de({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x13), Variante::HF, ""},
        {"not PID F0", de({"ALL", "N0CALL-1"}, "hi", 0, 0, 0x03, 0xCF), Variante::HF, ""},
        {"other destination", de({"QST", "N0CALL-1"}, "hi", 0), Variante::HF, ""},
    };
    for (const auto& [nombre, trama, modo, cuerpo] : casos)
        EXPECT_EQ(LineaRecibida(trama, modo, kUTC).value_or(""),
                  cuerpo.empty() ? "" : "< " + cuerpo + "12:34:56\r\n")
            << nombre;
}

} // namespace
