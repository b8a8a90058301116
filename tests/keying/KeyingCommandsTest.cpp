#include "keying/KeyingCommands.h"

#include <gtest/gtest.h>

using namespace kolt::keying;

namespace {

const Radio& radio(int rig)
{
    return CargarRadios().RadioNumero(rig);
}

// rig, speed, settings text
class CatPortSettings : public ::testing::TestWithParam<std::tuple<int, const char*, const char*>> {
};

TEST_P(CatPortSettings, StopBitsFollowFamilyAndSpeed)
{
    const auto [rig, baud, texto] = GetParam();
    EXPECT_EQ(TextoAjustesCAT(radio(rig), baud), texto);
}

INSTANTIATE_TEST_SUITE_P(
    Families, CatPortSettings,
    ::testing::Values(
        // family 2: always two stop bits
        std::tuple(52, "38400", "38400,n,8,2"), std::tuple(140, "115200", "115200,n,8,2"),
        // family 3: two only at exactly 4800
        std::tuple(87, "4800", "4800,n,8,2"), std::tuple(87, "9600", "9600,n,8,1"),
        std::tuple(87, "48000", "48000,n,8,1"), std::tuple(87, "04800", "04800,n,8,1"),
        // families 1 and 4: one stop bit
        std::tuple(128, "4800", "4800,n,8,1"), std::tuple(96, "1200", "1200,n,8,1"),
        // A hand-edited speed gives a text the port refuses, not a default speed.
        std::tuple(87, "FAST", "fast,n,8,1")));

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

// rig, "Icom Address", the address the CI-V frames go to
class IcomAddress : public ::testing::TestWithParam<std::tuple<int, const char*, int>> {};

TEST_P(IcomAddress, SettingElseModelDefault)
{
    const auto [rig, icomAddress, direccion] = GetParam();
    const std::string on = OrdenPTT(radio(rig), true, icomAddress);
    ASSERT_EQ(on.size(), 8u);
    EXPECT_EQ(static_cast<std::uint8_t>(on[2]), direccion);
}

INSTANTIATE_TEST_SUITE_P(Table, IcomAddress,
                         ::testing::Values(std::tuple(128, "", 0x94), std::tuple(92, "", 0x04),
                                           std::tuple(128, "a4", 0xA4), std::tuple(128, "7", 0x07),
                                           // Not an address (the dialog refuses it, a hand
                                           // edit does not): the model's own, never 00.
                                           std::tuple(128, "zz", 0x94), std::tuple(128, "4z", 0x94),
                                           std::tuple(128, "1A4", 0x94),
                                           std::tuple(92, " 94", 0x04)));

} // namespace
