#include "config/IniText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using kolt::config::IniText;

namespace {

struct Lectura {
    const char* nombre;
    std::string archivo;
    const char* seccion;
    const char* clave;
    std::optional<std::string> esperado;
};

void PrintTo(const Lectura& l, std::ostream* os)
{
    *os << l.nombre;
}

class IniGet : public ::testing::TestWithParam<Lectura> {};

TEST_P(IniGet, ReadsAsThePlatformProfileReadDoes)
{
    const Lectura& l = GetParam();
    EXPECT_EQ(IniText(l.archivo).get(l.seccion, l.clave), l.esperado);
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Casos, IniGet,
    ::testing::Values(
        Lectura{"CrLf", "[PTT]\r\nRig=52\r\n", "PTT", "Rig", "52"},
        Lectura{"NoFinalLineEnd", "[PTT]\nRig=52", "PTT", "Rig", "52"},
        Lectura{"NamesIgnoreCase", "[ptt]\nRIG=7\n", "PTT", "rig", "7"},
        Lectura{"BlanksAroundNamesAndValue", " [ PTT ] \n  Rig \t=  7 \t\r\n", "PTT", "Rig", "7"},
        Lectura{"BlanksInsideValueKept", "[S]\nK= a  b \n", "S", "K", "a  b"},
        Lectura{"QuotedValue", "[S]\nK=\" a b \"\n", "S", "K", " a b "},
        Lectura{"UnmatchedQuoteKept", "[S]\nK=\"x\n", "S", "K", "\"x"},
        Lectura{"LoneQuoteKept", "[S]\nK=\"\n", "S", "K", "\""},
        Lectura{"OneCharacterSingleQuoted", "[S]\nK='a'\n", "S", "K", "a"},
        Lectura{"EmptyValueIsNotMissing", "[S]\nK=\n", "S", "K", ""},
        Lectura{"FirstEqualsSplits", "[S]\nK=a=b\n", "S", "K", "a=b"},
        Lectura{"MissingSection", "[S]\nK=1\n", "T", "K", std::nullopt},
        Lectura{"KeyOfAnotherSection", "[S]\n[T]\nK=1\n", "S", "K", std::nullopt},
        Lectura{"KeyBeforeAnySection", "K=1\n[S]\n", "S", "K", std::nullopt},
        Lectura{"FirstKeyWins", "[S]\nK=1\nk=2\n", "S", "K", "1"},
        Lectura{"FirstSectionWins", "[S]\nA=1\n[s]\nK=2\n", "S", "K", std::nullopt},
        Lectura{"CommentIsNotAKey", "[S]\n;K=1\n", "S", "K", std::nullopt},
        Lectura{"TextAfterHeader", "[S] ; note\nK=1\n", "S", "K", "1"},
        Lectura{"UnclosedHeaderIsNoSection", "[S]\n[T\nK=1\n", "S", "K", "1"},
        Lectura{"LongValueCutTo255", "[S]\nK=" + k300 + "\n", "S", "K", std::string(255, 'x')},
        Lectura{"NulIsJustAByte", std::string("[S]\nK=a\0b\n", 9), "S", "K",
                std::string("a\0b", 3)},
        Lectura{"HighBytesUntouched", "[S]\nK=\xe9\x80\n", "S", "K", "\xe9\x80"},
        Lectura{"LoneCrIsNoLineEnd", "[S]\nK=a\rJ=b\n", "S", "J", std::nullopt}),
    [](const auto& i) { return std::string(i.param.nombre); });

TEST(IniText, UntouchedCrLfFileSerialisesToTheSameBytes)
{
    const std::string archivo =
        "; comment\r\n\r\n[PTT]\r\nRig = 5 \r\n  odd line\r\n[Mine]\r\nX=1\r\n";
    EXPECT_EQ(IniText(archivo).serialize(), archivo);
}

TEST(IniText, SetRewritesItsLineAddsKeysAfterTheirSectionAndSectionsAtTheEnd)
{
    IniText ini("; keep me\n[A]\nrig = 5\nx=1\n\n; about B\n[B]\ny=2");
    ini.set("a", "Rig", "52");
    ini.set("A", "z", "3");
    ini.set("C", "w", "");
    EXPECT_EQ(ini.serialize(), "; keep me\r\n[A]\r\nRig=52\r\nx=1\r\nz=3\r\n\r\n; about B\r\n"
                               "[B]\r\ny=2\r\n[C]\r\nw=\r\n");
    EXPECT_EQ(IniText(ini.serialize()).get("C", "w"), "");
}

TEST(IniText, LineBreaksInAValueCannotAddKeys)
{
    using namespace std::string_view_literals;
    IniText ini;
    ini.set("S", "Host", "evil\r\n[PTT]\r\nRig=1\0x"sv);
    const IniText leido(ini.serialize());
    EXPECT_EQ(leido.lineCount(), 2u);
    EXPECT_EQ(leido.get("PTT", "Rig"), std::nullopt);
    EXPECT_EQ(leido.get("S", "Host"), "evil  [PTT]  Rig=1 x");
}

} // namespace
