#include "broadcast/Ax25.h"

#include <gtest/gtest.h>

using namespace kolt::broadcast;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes trama(std::vector<std::string> direcciones, std::size_t longitud, std::string_view info)
{
    return ConstruirTramaUI(direcciones, longitud, Bytes(info.begin(), info.end()));
}

// Six-character calls: the broadcast frame's bytes in MensajesTest.cpp. T
// and R (16 and 17) fold onto 0 and 1; an absurd suffix that slipped past
// the check must not set the has-been-repeated bit.
TEST(CodificarDireccion, SevenCharacterCallAndSsidByte)
{
    EXPECT_EQ(CodificarDireccion("ABCDEFG-2", 7, false),
              (Bytes{0x82, 0x84, 0x86, 0x88, 0x8A, 0x8C, 0x8E, 0x64}));
    for (const auto& [indicativo, byte] :
         {std::pair("N0CALL-T", 0x60), std::pair("N0CALL-17", 0x62), std::pair("N0CALL-15", 0x7E),
          std::pair("N0CALL-999", 0x7E)})
        EXPECT_EQ(CodificarDireccion(indicativo, 6, false).back(), byte) << indicativo;
}

TEST(ConstruirTramaUI, DigipeatersEndAtFirstEmptyAndAtTwo)
{
    const Bytes uno = trama({"ALL", "N0CALL-1", "WIDE1-1"}, 6, "");
    ASSERT_EQ(uno.size(), 3 * 7 + 2u);
    EXPECT_EQ(uno[13], 0x62) << "the source is no longer the last address";
    EXPECT_EQ(uno[20], 0x63);
    EXPECT_EQ(trama({"ALL", "N0CALL-1", "", "WIDE2-2"}, 6, ""), trama({"ALL", "N0CALL-1"}, 6, ""));
    EXPECT_EQ(trama({"ALL", "N0CALL-1", "A", "B", "C"}, 6, "").size(), 4 * 7 + 2u);
    const Bytes t = trama({"ALL", ""}, 6, "x");
    EXPECT_EQ(Bytes(t.begin() + 7, t.begin() + 14),
              (Bytes{0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x61}))
        << "an empty source is still written, as blanks";
}

TEST(DecodificarAX25, RoundTripsWhatIsBuiltWithSsidsSixteenAndSeventeenAsZeroAndOne)
{
    for (std::uint8_t comando : {0x00, 0x01}) {
        const std::size_t l = LongitudDireccion(comando);
        const auto d =
            DecodificarAX25(trama({"ALL", "N0CALL-T", "N0CALL-R", "AB-15"}, l, "hi"), comando);
        ASSERT_EQ(d.resultado, ResultadoAX25::Correcta);
        EXPECT_EQ(d.trama, (TramaAX25{"ALL", "N0CALL", "N0CALL-1", "AB-15", 0, 0, 0x03, 0xF0, "hi",
                                      static_cast<std::uint8_t>(l)}));
    }
}

// Untrusted frames: call signs keep printable characters only, a third
// digipeater is read as control and PID, and every prefix of a frame
// (each in a buffer of its own size, for the address sanitizer) is
// refused until control and PID are in. Random frames: fuzz/fuzz_ax25.cpp.
TEST(DecodificarAX25, UntrustedFrames)
{
    Bytes t = trama({"ALL", "N0CALL"}, 6, "");
    t[8] = '\r' << 1;
    t[9] = '\n' << 1;
    EXPECT_EQ(DecodificarAX25(t, 0x00).trama.Origen, "NALL");

    Bytes tres = trama({"ALL", "N0CALL-1", "A", "B"}, 6, "");
    tres[3 * 7 + 6] &= 0xFE; // the second digipeater claims more follow
    const Bytes tercero = CodificarDireccion("C", 6, true);
    tres.insert(tres.begin() + 4 * 7, tercero.begin(), tercero.end());
    const auto d = DecodificarAX25(tres, 0x00);
    ASSERT_EQ(d.resultado, ResultadoAX25::Correcta);
    EXPECT_EQ(d.trama.Via2, "B");
    EXPECT_EQ(d.trama.Control, 'C' << 1);
    EXPECT_EQ(d.trama.PID, ' ' << 1);

    for (std::uint8_t comando : {0x00, 0x01}) {
        const std::size_t paso = LongitudDireccion(comando) + 1;
        const Bytes entera = trama({"ALL", "N0CALL-1", "A", "B"}, paso - 1, "xy");
        for (std::size_t n = 0; n <= entera.size(); ++n) {
            const Bytes prefijo(entera.begin(), entera.begin() + static_cast<long>(n));
            EXPECT_EQ(DecodificarAX25(prefijo, comando).resultado == ResultadoAX25::Correcta,
                      n >= 4 * paso + 2)
                << n;
        }
    }
}

} // namespace
