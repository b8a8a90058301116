#include "config/Ansi.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <tuple>

using namespace kolt::config;

namespace {

// Every byte survives a round trip as a distinct character; our own table,
// which stands in when Qt has no ICU, agrees with ICU in both directions
// over the whole Basic Multilingual Plane.
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
    QString bmp;
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (!QChar::isSurrogate(u)) bmp += QChar(static_cast<char16_t>(u));
    }
    EXPECT_EQ(propia->codificar(bmp), qt.codificar(bmp));
}

// 1252's high range is Windows', not Latin-1's; one single-byte page and
// one double-byte page more; none falls back to 1252.
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

// One unmappable character, or one byte that does not decode, costs only
// itself, in single- and double-byte pages.
TEST(Ansi, QuestionMarksStandForOnlyWhatIsLost)
{
    QString huerfano = QStringLiteral("x");
    huerfano += QChar(0xD800);
    EXPECT_EQ(PaginaAnsi(1252).codificar(huerfano), "x?");
    const PaginaAnsi pagina(932);
    const QString largo(5000, QChar(u'a'));
    const QString texto = largo + QString::fromUtf8("あ\U0001F600\u0101") + largo;
    EXPECT_EQ(pagina.codificar(texto),
              QByteArray(5000, 'a') + "\x82\xa0??" + QByteArray(5000, 'a'));
    EXPECT_EQ(pagina.decodificar("a\x82"), "a?");
    EXPECT_EQ(pagina.decodificar("\x82\x1a\x80"), "?\x1a?");
}

// Windows maps the controls of every page to themselves; ICU's Shift_JIS
// swaps SUB, FS and DEL.
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

// A few languages per kind of rule: the default, a script that picks the
// page, a page shared by several languages.
TEST(AnsiLocale, PageFollowsTheLanguageAsOnWindows)
{
    const std::pair<const char*, int> casos[] = {{"C", 1252},          {"sr_Latn_RS", 1250},
                                                 {"sr_Cyrl_RS", 1251}, {"az_Latn_AZ", 1254},
                                                 {"fa_IR", 1256},      {"zh_TW", 950}};
    for (auto [nombre, pagina] : casos)
        EXPECT_EQ(PaginaDeLocale(QLocale(QString::fromLatin1(nombre))), pagina) << nombre;
}

} // namespace
