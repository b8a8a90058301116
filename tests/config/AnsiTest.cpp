#include "config/Ansi.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace kolt::config;

namespace {

QByteArray todosLosBytes()
{
    QByteArray b(256, '\0');
    for (int i = 0; i < 256; ++i)
        b[i] = static_cast<char>(i);
    return b;
}

// Every byte survives a round trip as a distinct character; our own table,
// which stands in when Qt has no ICU, agrees with ICU in both directions
// over the whole Basic Multilingual Plane.
TEST(Ansi1252, EveryByteRoundTripsAndTheOwnTableAgreesWithQtsConverter)
{
    const PaginaAnsi qt(1252);
    ASSERT_EQ(qt.numero(), 1252);
    const QString texto = qt.decodificar(todosLosBytes());
    ASSERT_EQ(texto.size(), 256);
    EXPECT_EQ(std::set<char16_t>(texto.utf16(), texto.utf16() + 256).size(), 256u);
    EXPECT_EQ(qt.codificar(texto), todosLosBytes());
    const auto propia = PaginaAnsi::Windows1252Propia();
    EXPECT_EQ(propia->decodificar(todosLosBytes()), texto);
    QString bmp;
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (!QChar::isSurrogate(u)) bmp += QChar(static_cast<char16_t>(u));
    }
    EXPECT_EQ(propia->codificar(bmp), qt.codificar(bmp));
}

TEST(Ansi, CharactersThePageCannotHoldBecomeOneQuestionMarkEach)
{
    const PaginaAnsi pagina(1252);
    EXPECT_EQ(pagina.codificar(QString::fromUtf8("a\u0101b\u4e2dc\U0001F600d")), "a?b?c?d");
    EXPECT_EQ(pagina.codificar(QString::fromUtf8("?")), "?");
    QString huerfano = QStringLiteral("x");
    huerfano += QChar(0xD800);
    EXPECT_EQ(pagina.codificar(huerfano), "x?");
}

struct Texto {
    int pagina;
    const char* utf8;
    QByteArray bytes;
};

void PrintTo(const Texto& t, std::ostream* os)
{
    *os << t.pagina;
}

class AnsiPages : public ::testing::TestWithParam<Texto> {};

TEST_P(AnsiPages, EncodesAndDecodesAsWindowsDoes)
{
    const Texto& t = GetParam();
    const PaginaAnsi pagina(t.pagina);
    ASSERT_EQ(pagina.numero(), t.pagina) << "the page must not fall back to 1252";
    EXPECT_EQ(pagina.codificar(QString::fromUtf8(t.utf8)), t.bytes);
    EXPECT_EQ(pagina.decodificar(t.bytes), QString::fromUtf8(t.utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Paginas, AnsiPages,
    ::testing::Values(
        // 1252's high range is Windows', not Latin-1's.
        Texto{1252, "€…“”Ÿé", "\x80\x85\x93\x94\x9f\xe9"}, Texto{1250, "Łódź", "\xa3\xf3\x64\x9f"},
        Texto{1251, "Привет", "\xcf\xf0\xe8\xe2\xe5\xf2"}, Texto{1253, "Καλή", "\xca\xe1\xeb\xde"},
        Texto{1254, "ğış", "\xf0\xfd\xfe"}, Texto{1255, "שלום", "\xf9\xec\xe5\xed"},
        Texto{1256, "سلام", "\xd3\xe1\xc7\xe3"}, Texto{1257, "ąčė", "\xe0\xe8\xeb"},
        Texto{1258, "Đ€", "\xd0\x80"}, Texto{874, "สวัสดี", "\xca\xc7\xd1\xca\xb4\xd5"},
        Texto{932, "あア", "\x82\xa0\x83\x41"}, Texto{936, "中文", "\xd6\xd0\xce\xc4"},
        Texto{949, "한국", "\xc7\xd1\xb1\xb9"}, Texto{950, "中文", "\xa4\xa4\xa4\xe5"}),
    [](const auto& i) { return "Page" + std::to_string(i.param.pagina); });

// One unmappable character, or one byte that does not decode, costs only itself.
TEST(AnsiDoubleByte, QuestionMarksStandForOnlyWhatIsLost)
{
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
    QByteArray controles;
    for (int b = 0; b < 0x20; ++b)
        controles += static_cast<char>(b);
    controles += "\x7f"
                 "ab\r\n";
    for (int numero : {932, 936, 949, 950}) {
        const PaginaAnsi pagina(numero);
        const QString texto = pagina.decodificar(controles);
        EXPECT_EQ(texto.left(0x20), QString::fromLatin1(controles.left(0x20))) << numero;
        EXPECT_EQ(texto.at(0x20), QChar(0x7F)) << numero;
        EXPECT_EQ(pagina.codificar(texto), controles) << numero;
    }
}

struct Regional {
    const char* nombre;
    int pagina;
};

void PrintTo(const Regional& r, std::ostream* os)
{
    *os << r.nombre;
}

class AnsiLocale : public ::testing::TestWithParam<Regional> {};

TEST_P(AnsiLocale, PageFollowsTheLanguageAsOnWindows)
{
    EXPECT_EQ(PaginaDeLocale(QLocale(QString::fromLatin1(GetParam().nombre))), GetParam().pagina);
}

INSTANTIATE_TEST_SUITE_P(
    Idiomas, AnsiLocale,
    ::testing::Values(Regional{"C", 1252}, Regional{"en_US", 1252}, Regional{"pl_PL", 1250},
                      Regional{"sr_Latn_RS", 1250}, Regional{"sr_Cyrl_RS", 1251},
                      Regional{"ru_RU", 1251}, Regional{"el_GR", 1253}, Regional{"tr_TR", 1254},
                      Regional{"az_Latn_AZ", 1254}, Regional{"he_IL", 1255},
                      Regional{"ar_EG", 1256}, Regional{"fa_IR", 1256}, Regional{"lt_LT", 1257},
                      Regional{"vi_VN", 1258}, Regional{"th_TH", 874}, Regional{"ja_JP", 932},
                      Regional{"zh_CN", 936}, Regional{"ko_KR", 949}, Regional{"zh_TW", 950}),
    [](const auto& i) { return std::string(i.param.nombre); });

TEST(AnsiSystem, ProcessPageCanBeChosenAndOldReferencesStayValid)
{
    FijarPaginaDelSistema(1251);
    const PaginaAnsi& cirilico = PaginaDelSistema();
    EXPECT_EQ(ATextoAnsi(QString::fromUtf8("Я")), "\xdf");
    FijarPaginaDelSistema(1252);
    EXPECT_EQ(DeTextoAnsi("\xdf"), QString::fromUtf8("ß"));
    EXPECT_EQ(cirilico.decodificar("\xdf"), QString::fromUtf8("Я"));
}

} // namespace
