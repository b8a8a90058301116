#include "config/Callsign.h"

#include <gtest/gtest.h>

using namespace kolt::config;

namespace {

struct Caso {
    const char* entrada;
    const char* mayusculas;
    bool valido;
    int ssid;
};

void PrintTo(const Caso& c, std::ostream* os)
{
    *os << '"' << c.entrada << '"';
}

class CallsignRules : public ::testing::TestWithParam<Caso> {};

TEST_P(CallsignRules, VerdictSsidAndUpperCaseInPlace)
{
    const Caso& c = GetParam();
    std::string texto = c.entrada;
    EXPECT_EQ(ComprobarIndicativo(texto), c.valido) << c.entrada;
    EXPECT_EQ(texto, c.mayusculas) << "the caller's text is upper-cased whatever the verdict";
    EXPECT_EQ(ObtenerSSID(texto), c.ssid) << c.entrada;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CallsignRules,
    ::testing::Values(
        Caso{"", "", true, 0}, Caso{"n0call-5", "N0CALL-5", true, 5},
        Caso{"N0CALL", "N0CALL", true, 0}, Caso{"N0CALL-0", "N0CALL-0", false, 0},
        Caso{"N0CALL-", "N0CALL-", false, 0}, Caso{"N0CALL-00", "N0CALL-00", false, 0},
        Caso{"N0CALL-18", "N0CALL-18", false, 18}, Caso{"N0CALL-99", "N0CALL-99", false, 99},
        Caso{"N0CALL-123", "N0CALL-123", false, 123}, Caso{"N0CALL-05", "N0CALL-05", true, 5},
        Caso{"N0CALL-17", "N0CALL-17", true, 17}, Caso{"N0CALL-t", "N0CALL-T", true, 16},
        Caso{"N0CALL-R", "N0CALL-R", true, 17}, Caso{"ABCDEFG", "ABCDEFG", true, 0},
        Caso{"ABCDEFGH", "ABCDEFGH", false, 0}, Caso{"N0 CALL", "N0 CALL", false, 0},
        Caso{"N0/CALL", "N0/CALL", false, 0}, Caso{"N0CALL-A", "N0CALL-A", false, 0},
        Caso{"-5", "-5", true, 5}, Caso{"N0CALL-1-2", "N0CALL-1-2", false, 1},
        Caso{"N0CALL-9", "N0CALL-9", true, 9},
        // A huge suffix saturates instead of wrapping round to a small SSID.
        Caso{"N0CALL-261", "N0CALL-261", false, 255}, Caso{"n0cällé", "N0CäLLé", false, 0}));

TEST(CallsignSplit, BaseIsUpperCasedTextBeforeFirstHyphen)
{
    EXPECT_EQ(IndicativoBase("n0call-5"), "N0CALL");
    EXPECT_EQ(IndicativoBase("ALL"), "ALL");
    EXPECT_EQ(IndicativoBase("-5"), "");
}

} // namespace
