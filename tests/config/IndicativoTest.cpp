#include "config/Indicativo.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace kolt::config;

namespace {

// The verdict and the SSID; the text is upper-cased whatever the verdict.
TEST(Callsign, VerdictSsidAndUpperCaseInPlace)
{
    struct Caso {
        const char* entrada;
        bool valido;
        int ssid;
    };
    for (const Caso& c :
         {Caso{"", true, 0}, Caso{"n0call-5", true, 5}, Caso{"N0CALL-0", false, 0},
          Caso{"N0CALL-17", true, 17}, Caso{"N0CALL-18", false, 18}, Caso{"N0CALL-05", true, 5},
          Caso{"N0CALL-t", true, 16}, Caso{"N0CALL-R", true, 17}, Caso{"ABCDEFG", true, 0},
          Caso{"ABCDEFGH", false, 0}, Caso{"N0/CALL", false, 0},
          // A huge suffix saturates instead of wrapping round to a small SSID.
          Caso{"N0CALL-261", false, 255}}) {
        std::string texto = c.entrada, mayusculas = c.entrada;
        for (char& ch : mayusculas)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(ComprobarIndicativo(texto), c.valido) << c.entrada;
        EXPECT_EQ(texto, mayusculas);
        EXPECT_EQ(ObtenerSSID(texto), c.ssid) << c.entrada;
    }
    EXPECT_EQ(IndicativoBase("n0call-5"), "N0CALL");
}

} // namespace
