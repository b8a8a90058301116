#include "config/TextoIni.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using kolt::config::TextoIni;

namespace {

// A row per rule of the platform's profile read.
TEST(TextoIni, ReadsAsThePlatformProfileReadDoes)
{
    struct Lectura {
        const char* nombre;
        std::string archivo;
        const char* seccion;
        const char* clave;
        std::optional<std::string> esperado;
    };
    const std::string k300(300, 'x');
    const Lectura casos[] = {
        {"NamesIgnoreCase", "[ptt]\nRIG=7\n", "PTT", "rig", "7"},
        {"BlanksAroundNamesAndValue", " [ PTT ] \n  Rig \t=  7 \t\r\n", "PTT", "Rig", "7"},
        {"QuotedValue", "[S]\nK=\" a b \"\n", "S", "K", " a b "},
        {"LoneQuoteKept", "[S]\nK=\"\n", "S", "K", "\""},
        {"OneCharacterSingleQuoted", "[S]\nK='a'\n", "S", "K", "a"},
        {"FirstKeyWins", "[S]\nK=1\nk=2\n", "S", "K", "1"},
        {"FirstSectionWins", "[S]\nA=1\n[s]\nK=2\n", "S", "K", std::nullopt},
        {"CommentIsNotAKey", "[S]\n;K=1\n", "S", "K", std::nullopt},
        {"UnclosedHeaderIsNoSection", "[S]\n[T\nK=1\n", "S", "K", "1"},
        {"LongValueCutTo255", "[S]\nK=" + k300 + "\n", "S", "K", std::string(255, 'x')},
        {"NulIsJustAByte", std::string("[S]\nK=a\0b\n", 9), "S", "K", std::string("a\0b", 3)},
        {"LoneCrIsNoLineEnd", "[S]\nK=a\rJ=b\n", "S", "J", std::nullopt}};
    for (const Lectura& l : casos)
        EXPECT_EQ(TextoIni(l.archivo).get(l.seccion, l.clave), l.esperado) << l.nombre;
}

TEST(TextoIni, SetRewritesItsLineAddsKeysAfterTheirSectionAndSectionsAtTheEnd)
{
    TextoIni ini("; keep me\n[A]\nrig = 5\nx=1\n\n; about B\n[B]\ny=2");
    ini.set("a", "Rig", "52");
    ini.set("A", "z", "3");
    ini.set("C", "w", "");
    EXPECT_EQ(ini.serialize(), "; keep me\r\n[A]\r\nRig=52\r\nx=1\r\nz=3\r\n\r\n; about B\r\n"
                               "[B]\r\ny=2\r\n[C]\r\nw=\r\n");
    EXPECT_EQ(TextoIni(ini.serialize()).get("C", "w"), "");
}

TEST(TextoIni, LineBreaksInAValueCannotAddKeys)
{
    using namespace std::string_view_literals;
    TextoIni ini;
    ini.set("S", "Host", "evil\r\n[PTT]\r\nRig=1\0x"sv);
    const TextoIni leido(ini.serialize());
    EXPECT_EQ(leido.lineCount(), 2u);
    EXPECT_EQ(leido.get("PTT", "Rig"), std::nullopt);
    EXPECT_EQ(leido.get("S", "Host"), "evil  [PTT]  Rig=1 x");
}

} // namespace
