#include "keying/PttController.h"

#include "keying/PortNames.h"
#include "keying/PttDialogLogic.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "QtImprimir.h"
#include "RecordingSerialLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kolt::keying;
using namespace kolt::keying::test;
using kolt::config::Variante;
using kolt::test::Esperar;
using ::testing::ElementsAre;

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

// VOX (the default), the FM mode and a hand-edited "Via" only show the panel.
TEST_F(PttControllerFixture, WithoutAPortOnlyThePanelFollows)
{
    for (const auto& [via, modo] :
         {std::pair{3, Variante::HF}, {1, Variante::FM}, {0, Variante::HF}, {7, Variante::HF}}) {
        catFT897();
        ajustes.via = static_cast<std::uint8_t>(via);
        ajustes.koltMode = modo;
        ptt.AbrirPuertoRadio();
        EXPECT_FALSE(puerto.isOpen());
        ptt.ActivarPTT();
        EXPECT_TRUE(ptt.Transmitiendo());
        ptt.DesactivarPTT();
        EXPECT_FALSE(ptt.Transmitiendo());
        EXPECT_THAT(tomar(), ElementsAre("panel TX", "panel RX"))
            << via << kolt::config::TextoVariante(modo);
    }
}

TEST_F(PttControllerFixture, CatOpensWithFamilySettingsAndTheLinesAsAsked)
{
    catFT897();
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 4800,n,8,2", "rts 0", "dtr 0"));
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "write 00 00 00 00 08", "panel RX",
                                     "write 00 00 00 00 88"));

    ajustes.rig = 128;
    ajustes.baud = QStringLiteral("19200");
    ajustes.catPort = QStringLiteral("COM12");
    ajustes.rts = ajustes.dtr = 1;
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close", "open /dev/ttyS11 19200,n,8,1",
                                     "rts 1", "dtr 1"))
        << "a reopen closes first, lines dropped";
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "write FE FE 94 E0 1C 00 01 FD"))
        << "keying leaves the lines alone";
    ajustes.rig = 0; // the modem's "PTT OFF" after the settings changed
    ptt.DesactivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel RX", "write FE FE 94 E0 1C 00 00 FD", "panel RX",
                                     "write 00 00 00 00 88"))
        << "unkeyed as keyed; then a rig outside the catalogue is record 52";
    ptt.CerrarPuertoRadio();
    ptt.CerrarPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close"));
}

TEST_F(PttControllerFixture, ComKeyingRaisesThePinsLinesAndUnkeyDropsBoth)
{
    ajustes.via = 2;
    ajustes.pttPort = QStringLiteral("COM1");
    ajustes.baud = QStringLiteral("38400"); // ignored: line keying has its own settings
    ajustes.rts = 1;                        // ignored too
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0"));
    for (const auto& [pin, lineas] :
         {std::pair{1, Registro{"rts 1"}}, {2, {"dtr 1"}}, {3, {"rts 1", "dtr 1"}}, {0, {}}}) {
        ajustes.pin = static_cast<std::uint8_t>(pin);
        ptt.ActivarPTT();
        Registro on = {"panel TX"};
        on.insert(on.end(), lineas.begin(), lineas.end());
        EXPECT_EQ(tomar(), on) << "pin " << pin;
        ptt.DesactivarPTT();
        EXPECT_THAT(tomar(), ElementsAre("panel RX", "rts 0", "dtr 0"));
    }
}

// A pty, some USB adapters: RTS/DTR refused. CAT keying works regardless;
// line keying stops at the first refusal, but unkeying tries both lines.
TEST_F(PttControllerFixture, PortWithoutModemLines)
{
    catFT897();
    ajustes.rts = 1;
    puerto.lineasModem = false;
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS2 4800,n,8,2", "rts refused", "dtr refused",
                                     "panel TX", "write 00 00 00 00 08"));
    ajustes.via = 2;
    ajustes.pin = 3;
    ptt.AbrirPuertoRadio();
    tomar();
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel TX", "rts refused"));
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("panel RX", "rts refused", "dtr refused"));
}

// A change made in the PTT dialog or in Setup while the modem holds PTT:
// the radio is unkeyed at once, the way it was keyed, through the port as
// it was; a change that changes nothing leaves it keyed.
struct CasoCambio {
    const char* nombre;
    int via; // how the radio was keyed: 1 CAT (FT-897 or IC-7300), 2 COM
    int rig;
    void (*cambio)(LogicaDialogoPTT&, kolt::config::Configuracion&, ControladorPTT&);
    Registro esperado;
};

void PrintTo(const CasoCambio& c, std::ostream* os)
{
    *os << c.nombre;
}

class ChangeWhileKeyed : public PttControllerFixture,
                         public ::testing::WithParamInterface<CasoCambio> {};

TEST_P(ChangeWhileKeyed, UnkeysTheOldWayBeforeTheNewOneCounts)
{
    const CasoCambio& caso = GetParam();
    catFT897();
    ajustes.via = static_cast<std::uint8_t>(caso.via);
    ajustes.rig = static_cast<std::uint8_t>(caso.rig);
    ajustes.pin = 1;
    ptt.AbrirPuertoRadio();
    LogicaDialogoPTT dialogo(ajustes, PuertosCOM(), [this] { ptt.AjustesCambiados(); });
    dialogo.Cargar();
    ptt.ActivarPTT();
    tomar();

    caso.cambio(dialogo, ajustes, ptt);
    EXPECT_EQ(tomar(), caso.esperado);
    EXPECT_EQ(ptt.Transmitiendo(), caso.esperado.empty());
}

const Registro kSoltarFT897 = {"panel RX", "write 00 00 00 00 88"};
const Registro kSoltarLineas = {"panel RX", "rts 0", "dtr 0"};

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangeWhileKeyed,
    ::testing::Values(CasoCambio{"MethodCatToCom", 1, 52,
                                 [](auto& d, auto&, auto&) { d.SeleccionarVia(2); }, kSoltarFT897},
                      CasoCambio{"MethodComToCat", 2, 52,
                                 [](auto& d, auto&, auto&) { d.SeleccionarVia(1); }, kSoltarLineas},
                      CasoCambio{"OtherModel", 1, 52,
                                 [](auto& d, auto&, auto&) {
                                     d.SeleccionarModelo(
                                         int(d.Modelos().elementos.indexOf("FT-857")));
                                 },
                                 kSoltarFT897},
                      CasoCambio{"OtherPort", 1, 52,
                                 [](auto& d, auto&, auto&) { d.SeleccionarPuertoCAT("COM5"); },
                                 kSoltarFT897},
                      CasoCambio{"OtherPin", 2, 52,
                                 [](auto& d, auto&, auto&) { d.SeleccionarPin(2); }, kSoltarLineas},
                      CasoCambio{"IcomAddressOnClose",
                                 1,
                                 128,
                                 [](auto& d, auto&, auto&) {
                                     d.EscribirDireccionCIV("a4");
                                     d.Cerrar(false);
                                 },
                                 {"panel RX", "write FE FE 94 E0 1C 00 00 FD"}},
                      CasoCambio{"SwitchToFM", 1, 52,
                                 [](auto&, auto& c, auto& p) {
                                     c.koltMode = Variante::FM; // as Setup does
                                     p.AjustesCambiados();
                                 },
                                 kSoltarFT897},
                      CasoCambio{"SameValuesChangeNothing",
                                 1,
                                 52,
                                 [](auto& d, auto&, auto&) {
                                     d.SeleccionarVia(1);
                                     d.SeleccionarPuertoCAT("COM3");
                                     d.Cerrar(false);
                                 },
                                 {}}),
    [](const auto& info) { return std::string(info.param.nombre); });

struct Apertura {
    const char* nombre;
    const char* puerto;
    OpenResult resultado;
    const char* mensaje;
};

void PrintTo(const Apertura& a, std::ostream* os)
{
    *os << a.nombre;
}

class OpenFailure : public PttControllerFixture, public ::testing::WithParamInterface<Apertura> {};

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
        // A name without digits is named as stored, not as "COM0".
        Apertura{"NotFound",
                 "COM",
                 {OpenError::NotFound, {}},
                 "Unable to open radio serial port COM. May be in use by another application."},
        Apertura{"DeniedGroupKnown",
                 "/dev/ttyUSB0",
                 {OpenError::PermissionDenied, QStringLiteral("dialout")},
                 "Unable to open radio serial port /dev/ttyUSB0. May be in use by another "
                 "application. Access to /dev/ttyUSB0 was denied: the user must be a member of "
                 "the group \"dialout\", which owns it."},
        Apertura{"Denied",
                 "COM2",
                 {OpenError::PermissionDenied, {}},
                 "Unable to open radio serial port COM2. May be in use by another application. "
                 "Access to /dev/ttyS1 was denied: the user must be a member of the group that "
                 "owns it (dialout on Debian)."}),
    [](const auto& info) { return std::string(info.param.nombre); });

// The station keys the radio on its modem's reports. A modem that ends the
// link ("DISCONNECTED" before its "PTT OFF") or dies in the middle of a
// transmission must not leave the transmitter on.
TEST(PttFromTheModem, ALinkEndOrADeadModemUnkeys)
{
    Registro registro;
    RecordingSerialLine linea(registro);
    kolt::test::ModemDePrueba modem;
    kolt::test::EstacionDePrueba e({}, modem.puerto(), 1, &linea,
                                   "[PTT]\r\nVia=2\r\nPin=1\r\nPTTPort=COM4\r\n");
    ASSERT_TRUE(e.listo);
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(std::exchange(registro, {}),
                ElementsAre("open /dev/ttyS3 4800,N,8,1", "rts 0", "dtr 0", "rts 0", "dtr 0"))
        << "opened with both lines off, then the start-up unkey";

    Registro alTerminar;
    QObject::connect(&*e, &kolt::link::Estacion::enlaceTerminado, [&] { alTerminar = registro; });
    modem.Enviar("PTT ON\rDISCONNECTED\r");
    ASSERT_TRUE(Esperar([&] { return !alTerminar.empty(); }));
    EXPECT_THAT(alTerminar, ElementsAre("rts 1", "rts 0", "dtr 0"));

    modem.Enviar("PTT ON\r");
    ASSERT_TRUE(Esperar([&] { return registro.back() == "rts 1"; }));
    EXPECT_EQ(e->modelo().panel(kolt::link::Panel::PTT).texto, "TX");
    registro.clear();
    modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !e->SocketsArriba(); }));
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(registro, ElementsAre("rts 0", "dtr 0")) << "unkeyed once";
    EXPECT_EQ(e->modelo().panel(kolt::link::Panel::PTT).texto, "RX");
}

} // namespace
