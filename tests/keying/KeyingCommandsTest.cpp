#include "keying/KeyingCommands.h"

#include <gtest/gtest.h>

using namespace kolt::keying;

namespace {

const Radio& radio(int rig)
{
    return CargarRadios().RadioNumero(rig);
}

struct CasoAjustes {
    int rig;
    const char* baud;
    const char* texto;
};

void PrintTo(const CasoAjustes& c, std::ostream* os)
{
    *os << c.rig << " at " << c.baud;
}

class CatPortSettings : public ::testing::TestWithParam<CasoAjustes> {};

TEST_P(CatPortSettings, StopBitsFollowFamilyAndSpeed)
{
    const CasoAjustes& c = GetParam();
    EXPECT_EQ(TextoAjustesCAT(radio(c.rig), c.baud), c.texto);
    EXPECT_TRUE(LeerAjustes(c.texto).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Families, CatPortSettings,
    ::testing::Values(
        // family 2: always two stop bits
        CasoAjustes{52, "4800", "4800,n,8,2"}, CasoAjustes{52, "38400", "38400,n,8,2"},
        CasoAjustes{140, "115200", "115200,n,8,2"},
        // family 3: two only at exactly 4800
        CasoAjustes{87, "4800", "4800,n,8,2"}, CasoAjustes{87, "9600", "9600,n,8,1"},
        CasoAjustes{59, "4800", "4800,n,8,2"}, CasoAjustes{59, "38400", "38400,n,8,1"},
        CasoAjustes{125, "9600", "9600,n,8,1"},
        // family 1 and 4: one stop bit
        CasoAjustes{128, "19200", "19200,n,8,1"}, CasoAjustes{128, "4800", "4800,n,8,1"},
        CasoAjustes{92, "4800", "4800,n,8,1"}, CasoAjustes{98, "57600", "57600,n,8,1"},
        CasoAjustes{96, "1200", "1200,n,8,1"}));

TEST(CatPortSettings, FourThousandEightHundredMeansExactlyThatText)
{
    EXPECT_EQ(TextoAjustesCAT(radio(87), "48000"), "48000,n,8,1");
    EXPECT_EQ(TextoAjustesCAT(radio(87), "04800"), "04800,n,8,1");
    // A hand-edited speed yields a text the port refuses, not a default speed.
    EXPECT_EQ(TextoAjustesCAT(radio(87), "FAST"), "fast,n,8,1");
    EXPECT_FALSE(LeerAjustes(TextoAjustesCAT(radio(87), "FAST")).has_value());
}

struct CasoLectura {
    const char* texto;
    std::optional<AjustesSerie> ajustes;
};

void PrintTo(const CasoLectura& c, std::ostream* os)
{
    *os << '"' << c.texto << '"';
}

class SettingsText : public ::testing::TestWithParam<CasoLectura> {};

TEST_P(SettingsText, ParsesOrRefuses)
{
    EXPECT_EQ(LeerAjustes(GetParam().texto), GetParam().ajustes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsText,
    ::testing::Values(
        CasoLectura{"4800,n,8,2", AjustesSerie{4800, Paridad::Ninguna, 8, 2}},
        CasoLectura{"4800,N,8,1", AjustesSerie{4800, Paridad::Ninguna, 8, 1}},
        CasoLectura{"115200,e,7,1", AjustesSerie{115200, Paridad::Par, 7, 1}},
        CasoLectura{"300,O,5,2", AjustesSerie{300, Paridad::Impar, 5, 2}},
        CasoLectura{"4000000,m,8,1", AjustesSerie{4000000, Paridad::Marca, 8, 1}},
        CasoLectura{"", std::nullopt}, CasoLectura{"4800", std::nullopt},
        CasoLectura{"4800,n,8", std::nullopt}, CasoLectura{"4800,n,8,1,", std::nullopt},
        CasoLectura{",n,8,1", std::nullopt}, CasoLectura{"0,n,8,1", std::nullopt},
        CasoLectura{"-4800,n,8,1", std::nullopt}, CasoLectura{"4000001,n,8,1", std::nullopt},
        CasoLectura{"99999999999999999999,n,8,1", std::nullopt},
        CasoLectura{"4800,x,8,1", std::nullopt}, CasoLectura{"4800,nn,8,1", std::nullopt},
        CasoLectura{"4800,n,9,1", std::nullopt}, CasoLectura{"4800,n,4,1", std::nullopt},
        CasoLectura{"4800,n,8,0", std::nullopt}, CasoLectura{"4800,n,8,3", std::nullopt},
        CasoLectura{"4800,n,8,1.5", std::nullopt}, CasoLectura{"4800 ,n,8,1", std::nullopt}));

struct CasoDireccion {
    int rig;
    const char* icomAddress;
    int direccion;
};

void PrintTo(const CasoDireccion& c, std::ostream* os)
{
    *os << c.rig << " \"" << c.icomAddress << '"';
}

class IcomAddress : public ::testing::TestWithParam<CasoDireccion> {};

TEST_P(IcomAddress, SettingElseModelDefault)
{
    const CasoDireccion& c = GetParam();
    EXPECT_EQ(DireccionCIV(radio(c.rig), c.icomAddress), c.direccion);
    const std::string on = OrdenPTT(radio(c.rig), true, c.icomAddress);
    ASSERT_EQ(on.size(), 8u);
    EXPECT_EQ(static_cast<std::uint8_t>(on[2]), c.direccion);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IcomAddress,
    ::testing::Values(CasoDireccion{128, "", 0x94}, CasoDireccion{135, "", 0xA4},
                      CasoDireccion{92, "", 0x04}, CasoDireccion{128, "A4", 0xA4},
                      CasoDireccion{128, "a4", 0xA4}, CasoDireccion{128, "7", 0x07},
                      CasoDireccion{128, "00", 0x00},
                      // Not an address: frames go to 00, as the dialog lets them.
                      CasoDireccion{128, "zz", 0x00}, CasoDireccion{128, "4z", 0x00},
                      CasoDireccion{128, "1A4", 0x00}, CasoDireccion{128, " 94", 0x00}));

} // namespace
