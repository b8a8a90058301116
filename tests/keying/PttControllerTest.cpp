#include "keying/PttController.h"

#include "RecordingSerialLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kolt::keying;
using namespace kolt::keying::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class PttControllerFixture : public ::testing::Test {
protected:
    // The log since the last call, then cleared.
    Registro tomar() { return std::exchange(registro, {}); }

    void catFT897()
    {
        ajustes.via = 1;
        ajustes.rig = 52;
        ajustes.baud = QStringLiteral("4800");
        ajustes.catPort = QStringLiteral("COM3");
    }

    kolt::config::Configuracion ajustes;
    Registro registro;
    RecordingSerialLine puerto{registro};
    RecordingObserver observador{registro};
    ControladorPTT ptt{ajustes, puerto, observador};
};

TEST(PttPanel, TextsPicturesAndToolTips)
{
    const PanelPTT tx = EstadoPanelPTT(true);
    const PanelPTT rx = EstadoPanelPTT(false);
    EXPECT_EQ(tx.texto, "TX");
    EXPECT_EQ(tx.imagen, "LedRojo");
    EXPECT_EQ(tx.ayuda, "PTT ON");
    EXPECT_EQ(rx.texto, "RX");
    EXPECT_EQ(rx.imagen, "LedVerde");
    EXPECT_EQ(rx.ayuda, "PTT OFF");
}

TEST_F(PttControllerFixture, DefaultsKeyByVoxAndTouchNothing)
{
    ptt.AbrirPuertoRadio();
    EXPECT_FALSE(puerto.isOpen());
    ptt.ActivarPTT();
    EXPECT_TRUE(ptt.Transmitiendo());
    ptt.DesactivarPTT();
    EXPECT_FALSE(ptt.Transmitiendo());
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "panel RX"));
}

TEST_F(PttControllerFixture, FmModeNeverOpensNorKeys)
{
    catFT897();
    ajustes.koltMode = QStringLiteral("KOLTFM");
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "panel RX"));
}

TEST_F(PttControllerFixture, CatOpensWithFamilySettingsAndLinesOff)
{
    catFT897();
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 4800,n,8,2", "rts 0", "dtr 0"));
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "write 00 00 00 00 08"));
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel RX", "write 00 00 00 00 88"));
}

TEST_F(PttControllerFixture, CatHoldsRequestedLinesAndKeyingLeavesThem)
{
    catFT897();
    ajustes.rig = 128;
    ajustes.baud = QStringLiteral("19200");
    ajustes.rts = 1;
    ajustes.dtr = 1;
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 19200,n,8,1", "rts 1", "dtr 1"));
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "write FE FE 94 E0 1C 00 01 FD", "panel RX",
                                     "write FE FE 94 E0 1C 00 00 FD"));
}

TEST_F(PttControllerFixture, ReopeningClosesFirstWithLinesDropped)
{
    catFT897();
    ptt.AbrirPuertoRadio();
    tomar();
    ajustes.catPort = QStringLiteral("COM12");
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close", "open /dev/ttyS11 4800,n,8,2",
                                     "rts 0", "dtr 0"));
    ptt.CerrarPuertoRadio();
    ptt.CerrarPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close"));
}

TEST_F(PttControllerFixture, PortWithoutModemLinesStillOpensAndKeysByCat)
{
    catFT897();
    ajustes.rts = 1;
    puerto.lineasModem = false;
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 4800,n,8,2", "rts refused", "dtr refused",
                                     "panel TX", "write 00 00 00 00 08"));
}

TEST_F(PttControllerFixture, RigOutsideTheCatalogueKeysTheDefaultRecord)
{
    catFT897();
    ptt.AbrirPuertoRadio();
    tomar();
    for (int rig : {0, 143, 255}) {
        ajustes.rig = static_cast<std::uint8_t>(rig);
        ptt.ActivarPTT();
        EXPECT_THAT(tomar(), ElementsAre("panel TX", "write 00 00 00 00 08")) << rig;
    }
}

TEST_F(PttControllerFixture, UnknownViaKeysNothing)
{
    catFT897();
    ajustes.via = 0;
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    ajustes.via = 7;
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "panel RX"));
}

TEST_F(PttControllerFixture, ModelWithoutCommandOpensButWritesNothing)
{
    catFT897();
    ajustes.rig = 88; // Kenwood R-5000
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 4800,n,8,2", "rts 0", "dtr 0", "panel TX",
                                     "panel RX"));
}

struct CasoPin {
    int pin;
    Registro on;
};

void PrintTo(const CasoPin& c, std::ostream* os)
{
    *os << "pin " << c.pin;
}

class ComKeying : public PttControllerFixture, public ::testing::WithParamInterface<CasoPin> {};

TEST_P(ComKeying, PinRaisesItsLinesAndUnkeyDropsBoth)
{
    ajustes.via = 2;
    ajustes.pin = static_cast<std::uint8_t>(GetParam().pin);
    ajustes.pttPort = QStringLiteral("COM1");
    ajustes.baud = QStringLiteral("38400"); // ignored: line keying has its own settings
    ajustes.rts = 1;                        // ignored too
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0"));
    ptt.ActivarPTT();
    Registro on = {"panel TX"};
    on.insert(on.end(), GetParam().on.begin(), GetParam().on.end());
    EXPECT_EQ(tomar(), on);
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel RX", "rts 0", "dtr 0"));
}

INSTANTIATE_TEST_SUITE_P(Pins, ComKeying,
                         ::testing::Values(CasoPin{1, {"rts 1"}}, CasoPin{2, {"dtr 1"}},
                                           CasoPin{3, {"rts 1", "dtr 1"}}, CasoPin{0, {}}));

TEST_F(PttControllerFixture, ComKeyingStopsAtTheFirstRefusedLineButUnkeyTriesBoth)
{
    ajustes.via = 2;
    ajustes.pin = 3;
    puerto.lineasModem = false;
    ptt.AbrirPuertoRadio();
    tomar();
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "rts refused"));
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel RX", "rts refused", "dtr refused"));
}

struct CasoFallo {
    const char* puerto;
    OpenResult resultado;
    const char* mensaje;
};

void PrintTo(const CasoFallo& c, std::ostream* os)
{
    *os << c.puerto;
}

class OpenFailure : public PttControllerFixture, public ::testing::WithParamInterface<CasoFallo> {};

TEST_P(OpenFailure, ToldOnceAndKeyingOnlyShowsThePanel)
{
    catFT897();
    ajustes.catPort = QString::fromUtf8(GetParam().puerto);
    puerto.siguienteApertura = GetParam().resultado;
    ptt.AbrirPuertoRadio();
    EXPECT_FALSE(puerto.isOpen());
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre(std::string("message ") + GetParam().mensaje, "panel TX"));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, OpenFailure,
    ::testing::Values(
        CasoFallo{"COM12",
                  {OpenError::Busy, {}},
                  "Unable to open radio serial port COM12. May be in use by another application."},
        CasoFallo{"com4",
                  {OpenError::NotFound, {}},
                  "Unable to open radio serial port COM4. May be in use by another application."},
        // A name without digits is named as stored, not as "COM0".
        CasoFallo{"COM",
                  {OpenError::NotFound, {}},
                  "Unable to open radio serial port COM. May be in use by another application."},
        CasoFallo{"radio",
                  {OpenError::NotFound, {}},
                  "Unable to open radio serial port radio. May be in use by another application."},
        CasoFallo{"/dev/ttyUSB0",
                  {OpenError::PermissionDenied, QStringLiteral("dialout")},
                  "Unable to open radio serial port /dev/ttyUSB0. May be in use by another "
                  "application. Access to /dev/ttyUSB0 was denied: the user must be a member of "
                  "the group \"dialout\", which owns it."},
        CasoFallo{"COM2",
                  {OpenError::PermissionDenied, {}},
                  "Unable to open radio serial port COM2. May be in use by another application. "
                  "Access to /dev/ttyS1 was denied: the user must be a member of the group that "
                  "owns it (dialout on Debian)."}));

} // namespace
