#include "config/Ansi.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <tuple>

using namespace kolt::config;

namespace {

// Every byte round-trips; our own table (used without ICU) agrees with ICU.
TEST(Ansi1252, EveryByteRoundTripsAndTheOwnTableAgreesWithQtsConverter)
{
    QByteArray bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');
    const PaginaAnsi qt(1252);
    const QString texto = qt.decodificar(bytes);
    ASSERT_EQ(texto.size(), 256);
    EXPECT_EQ(std::set<char16_t>(texto.utf16(), texto.utf16() + 256).size(), 256u);
    EXPECT_EQ(qt.codificar(texto), bytes);
    const auto propia = PaginaAnsi::Windows1252Propia();
    EXPECT_EQ(propia->decodificar(bytes), texto);
    const QString bmp = QString::fromUtf8("a\u0101\u20ac\u2122\u4e2d\u0178");
    EXPECT_EQ(propia->codificar(bmp), qt.codificar(bmp));
}

// 1252's high range is Windows', not Latin-1's; no page falls back to 1252.
TEST(AnsiPages, EncodeAndDecodeAsWindowsDoes)
{
    for (auto [numero, utf8, bytes] : {std::tuple{1252, "€…“”Ÿé", "\x80\x85\x93\x94\x9f\xe9"},
                                       {1251, "Привет", "\xcf\xf0\xe8\xe2\xe5\xf2"},
                                       {936, "中文", "\xd6\xd0\xce\xc4"}}) {
        const PaginaAnsi pagina(numero);
        EXPECT_EQ(pagina.numero(), numero);
        EXPECT_EQ(pagina.codificar(QString::fromUtf8(utf8)), bytes) << numero;
        EXPECT_EQ(pagina.decodificar(bytes), QString::fromUtf8(utf8)) << numero;
    }
}

// One unmappable character, or one byte that does not decode, costs one '?'.
TEST(Ansi, QuestionMarksStandForOnlyWhatIsLost)
{
    EXPECT_EQ(PaginaAnsi(1252).codificar(QStringLiteral("x") + QChar(0xD800)), "x?");
    const PaginaAnsi pagina(932);
    EXPECT_EQ(pagina.codificar(QString::fromUtf8("aあ\U0001F600\u0101b")), "a\x82\xa0??b");
    EXPECT_EQ(pagina.decodificar("a\x82"), "a?");
    EXPECT_EQ(pagina.decodificar("\x82\x1a\x80"), "?\x1a?");
}

// Controls are themselves, as on Windows (ICU's Shift_JIS swaps SUB, FS, DEL).
TEST(AnsiDoubleByte, ControlsAreThemselvesInEveryPage)
{
    QByteArray controles(0x20, '\0');
    std::iota(controles.begin(), controles.end(), '\0');
    controles += "\x7f"
                 "ab\r\n";
    for (int numero : {932, 936, 949, 950}) {
        EXPECT_EQ(PaginaAnsi(numero).decodificar(controles), QString::fromLatin1(controles));
        EXPECT_EQ(PaginaAnsi(numero).codificar(QString::fromLatin1(controles)), controles);
    }
}

// The default, a script that picks the page, a page shared by languages.
TEST(AnsiLocale, PageFollowsTheLanguageAsOnWindows)
{
    const std::pair<const char*, int> casos[] = {{"C", 1252},          {"sr_Latn_RS", 1250},
                                                 {"sr_Cyrl_RS", 1251}, {"az_Latn_AZ", 1254},
                                                 {"fa_IR", 1256},      {"zh_TW", 950}};
    for (auto [nombre, pagina] : casos)
        EXPECT_EQ(PaginaDeLocale(QLocale(QString::fromLatin1(nombre))), pagina) << nombre;
}

} // namespace
