#include "keying/ComandosPTT.h"

#include <gtest/gtest.h>

using namespace kolt::keying;
using namespace std::string_literals;

namespace {

const Radio& radio(int rig)
{
    return CargarRadios().RadioNumero(rig);
}

// One record of each family (the catalogue's display lists: the PTT dialog
// tests); a number outside the table is the default record.
TEST(KeyingCommand, BytesOfEachFamily)
{
    for (const auto& [rig, on, off] :
         {std::tuple(52, "\x00\x00\x00\x00\x08"s, "\x00\x00\x00\x00\x88"s),
          std::tuple(128, "\xFE\xFE\x94\xE0\x1C\x00\x01\xFD"s, "\xFE\xFE\x94\xE0\x1C\x00\x00\xFD"s),
          std::tuple(87, "TX;"s, "RX;"s), std::tuple(141, "TX\r"s, "RX\r"s),
          std::tuple(98, "*T\x04\x00\r"s, "*T\x00\x00\r"s),
          std::tuple(140, "\x41\x01\x00\x00\x00\x00\x00\x06"s, "\x41\x00\x00\x00\x00\x00\x00\x06"s),
          // Models without a command: a text radio and a byte-frame one.
          std::tuple(88, ""s, ""s), std::tuple(100, ""s, ""s)}) {
        EXPECT_EQ(OrdenPTT(radio(rig), true, ""), on) << radio(rig).modelo;
        EXPECT_EQ(OrdenPTT(radio(rig), false, ""), off) << radio(rig).modelo;
    }
    for (int rig : {0, -1, 143})
        EXPECT_EQ(&radio(rig), &radio(52)) << rig;
}

// Not an address ("1A4", " 94": the dialog refuses them, a hand edit does
// not): the model's own, never 00.
TEST(IcomAddress, SettingElseModelDefault)
{
    for (const auto& [rig, icomAddress, direccion] :
         {std::tuple(92, "", 0x04), std::tuple(128, "a4", 0xA4), std::tuple(128, "7", 0x07),
          std::tuple(128, "1A4", 0x94), std::tuple(92, " 94", 0x04)})
        EXPECT_EQ(static_cast<std::uint8_t>(OrdenPTT(radio(rig), true, icomAddress).at(2)),
                  direccion)
            << rig << " '" << icomAddress << "'";
}

// Stop bits: family 2 always two; family 3 two only at 4800; families 1 and
// 4 one. A hand-edited speed gives a text the port refuses, not a default.
TEST(CatPortSettings, StopBitsFollowFamilyAndSpeed)
{
    for (const auto& [rig, baud, texto] :
         {std::tuple(52, "38400", "38400,n,8,2"), std::tuple(87, "4800", "4800,n,8,2"),
          std::tuple(87, "9600", "9600,n,8,1"), std::tuple(128, "4800", "4800,n,8,1"),
          std::tuple(96, "1200", "1200,n,8,1"), std::tuple(87, "FAST", "fast,n,8,1")})
        EXPECT_EQ(TextoAjustesCAT(radio(rig), baud), texto) << rig << " " << baud;
}

TEST(SettingsText, ParsesOrRefuses)
{
    EXPECT_EQ(LeerAjustes("4800,N,8,2"), (AjustesSerie{4800, Paridad::Ninguna, 8, 2}));
    EXPECT_EQ(LeerAjustes("115200,e,7,1"), (AjustesSerie{115200, Paridad::Par, 7, 1}));
    EXPECT_EQ(LeerAjustes("300,O,5,2"), (AjustesSerie{300, Paridad::Impar, 5, 2}));
    EXPECT_EQ(LeerAjustes("4000000,m,8,1"), (AjustesSerie{4000000, Paridad::Marca, 8, 1}));
    for (const char* malo : {"fast,n,8,1", "", "4800,n,8", "4800,n,8,1,", "0,n,8,1",
                             "4000001,n,8,1", "99999999999999999999,n,8,1", "4800 ,n,8,1",
                             "4800,x,8,1", "4800,nn,8,1", "4800,n,9,1", "4800,n,4,1", "4800,n,8,3"})
        EXPECT_EQ(LeerAjustes(malo), std::nullopt) << malo;
}

} // namespace
