#include "keying/PttController.h"

#include "keying/PortNames.h"
#include "keying/PttDialogLogic.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "RecordingSerialLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kolt::keying;
using namespace kolt::keying::test;
using kolt::config::Variante;
using kolt::test::Esperar;
using ::testing::ElementsAre;

namespace {

// The settings start as the defaults: an FT-897 at 4800 on COM1, VOX.
class PttControllerFixture : public ::testing::Test {
protected:
    // The log since the last call, then cleared.
    Registro tomar() { return std::exchange(registro, {}); }

    kolt::config::Configuracion ajustes;
    Registro registro;
    RecordingSerialLine puerto{registro};
    RecordingObserver observador{registro};
    ControladorPTT ptt{ajustes, puerto, observador};
};

// VOX, the FM mode and a hand-edited "Via" only show the panel.
TEST_F(PttControllerFixture, WithoutAPortOnlyThePanelFollows)
{
    for (const auto& [via, modo] :
         {std::pair{3, Variante::HF}, {1, Variante::FM}, {0, Variante::HF}, {7, Variante::HF}}) {
        ajustes.via = static_cast<std::uint8_t>(via);
        ajustes.koltMode = modo;
        ptt.AbrirPuertoRadio();
        ptt.ActivarPTT();
        ptt.DesactivarPTT();
        EXPECT_THAT(tomar(), ElementsAre("panel TX", "panel RX")) << via;
    }
}

TEST_F(PttControllerFixture, CatOpensWithFamilySettingsAndTheLinesAsAsked)
{
    ajustes.via = 1;
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS0 4800,n,8,2", "rts 0", "dtr 0", "panel TX",
                                     "write 00 00 00 00 08", "panel RX", "write 00 00 00 00 88"));

    ajustes.rig = 128;
    ajustes.baud = QStringLiteral("19200");
    ajustes.catPort = QStringLiteral("COM12");
    ajustes.rts = ajustes.dtr = 1;
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close", "open /dev/ttyS11 19200,n,8,1",
                                     "rts 1", "dtr 1", "panel TX", "write FE FE 94 E0 1C 00 01 FD"))
        << "a reopen closes first, lines dropped; keying leaves the lines alone";
    ptt.CerrarPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("rts 0", "dtr 0", "close"));
}

// Line keying has its own port settings and ignores the CAT ones. A port
// without modem lines (a pty, some USB adapters) stops keying at the first
// refusal, but unkeying tries both lines.
TEST_F(PttControllerFixture, ComKeyingRaisesThePinsLinesAndUnkeyDropsBoth)
{
    ajustes.via = 2;
    ajustes.baud = QStringLiteral("38400");
    ajustes.rts = 1;
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0"));
    for (const auto& [pin, on] : {std::pair{1, Registro{"panel TX", "rts 1"}},
                                  {2, {"panel TX", "dtr 1"}},
                                  {3, {"panel TX", "rts 1", "dtr 1"}},
                                  {0, {"panel TX"}}}) {
        ajustes.pin = static_cast<std::uint8_t>(pin);
        ptt.ActivarPTT();
        EXPECT_EQ(tomar(), on) << "pin " << pin;
        ptt.DesactivarPTT();
        EXPECT_THAT(tomar(), ElementsAre("panel RX", "rts 0", "dtr 0"));
    }
    puerto.lineasModem = false;
    ajustes.pin = 3;
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_THAT(tomar(),
                ElementsAre("panel TX", "rts refused", "panel RX", "rts refused", "dtr refused"));
}

// A change made in the PTT dialog while the modem holds PTT unkeys at once,
// the way it was keyed (FT-897 by CAT or RTS); a change to the same values
// does not. A change of port or mode: frmPTTTest.cpp, DialogoSetupTest.cpp.
TEST_F(PttControllerFixture, ChangeWhileKeyedUnkeysTheOldWay)
{
    using Dialogo = LogicaDialogoPTT;
    struct Caso {
        const char* nombre;
        int via;
        bool sigueTX;
        void (*cambio)(Dialogo&, kolt::config::Configuracion&);
    };
    const Caso casos[] = {
        {"method", 1, false, [](Dialogo& d, auto&) { d.SeleccionarVia(2); }},
        {"model", 1, false, [](Dialogo& d, auto&) { d.SeleccionarModelo(0); }},
        {"pin", 2, false, [](Dialogo& d, auto&) { d.SeleccionarPin(2); }},
        {"address", 1, false, [](Dialogo& d, auto&) { d.EscribirDireccionCIV("a4"); }},
        {"same values", 1, true, [](Dialogo& d, auto&) { d.SeleccionarVia(1); }},
    };
    for (const Caso& caso : casos) {
        ajustes = {};
        ajustes.via = static_cast<std::uint8_t>(caso.via);
        ptt.AbrirPuertoRadio();
        Dialogo dialogo(ajustes, PuertosCOM(), [this] { ptt.AjustesCambiados(); });
        dialogo.Cargar();
        ptt.ActivarPTT();
        tomar();
        caso.cambio(dialogo, ajustes);
        dialogo.Cerrar(false);
        const Registro suelta = caso.via == 1 ? Registro{"panel RX", "write 00 00 00 00 88"}
                                              : Registro{"panel RX", "rts 0", "dtr 0"};
        EXPECT_EQ(tomar(), caso.sigueTX ? Registro{} : suelta) << caso.nombre;
    }
}

// A name without digits is named as stored, not as "COM0".
TEST_F(PttControllerFixture, OpenFailureToldOnceAndKeyingOnlyShowsThePanel)
{
    ajustes.via = 1;
    for (const auto& [nombre, resultado, mensaje] :
         {std::tuple("COM", OpenResult{OpenError::NotFound, {}},
                     "Unable to open radio serial port COM. May be in use by another application."),
          std::tuple("/dev/ttyUSB0",
                     OpenResult{OpenError::PermissionDenied, QStringLiteral("dialout")},
                     "Unable to open radio serial port /dev/ttyUSB0. May be in use by another "
                     "application. Access to /dev/ttyUSB0 was denied: the user must be a member "
                     "of the group \"dialout\", which owns it."),
          std::tuple("COM2", OpenResult{OpenError::PermissionDenied, {}},
                     "Unable to open radio serial port COM2. May be in use by another application. "
                     "Access to /dev/ttyS1 was denied: the user must be a member of the group "
                     "that owns it (dialout on Debian).")}) {
        ajustes.catPort = QString::fromUtf8(nombre);
        puerto.siguienteApertura = resultado;
        ptt.AbrirPuertoRadio();
        ptt.ActivarPTT();
        ptt.DesactivarPTT();
        EXPECT_THAT(tomar(),
                    ElementsAre(std::string("message ") + mensaje, "panel TX", "panel RX"));
    }
}

// The station keys the radio on its modem's reports. A modem that ends the
// link ("DISCONNECTED" before its "PTT OFF") or dies in the middle of a
// transmission must not leave the transmitter on.
TEST(PttFromTheModem, ALinkEndOrADeadModemUnkeys)
{
    Registro registro;
    RecordingSerialLine linea(registro);
    kolt::test::ModemDePrueba modem;
    kolt::test::EstacionDePrueba e({}, modem.puerto(), 1, &linea, "[PTT]\r\nVia=2\r\n");
    ASSERT_TRUE(e.listo);
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(std::exchange(registro, {}),
                ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0", "rts 0", "dtr 0"))
        << "opened with both lines off, then the start-up unkey";

    Registro alTerminar;
    QObject::connect(&*e, &kolt::link::Estacion::enlaceTerminado, [&] { alTerminar = registro; });
    modem.Enviar("PTT ON\rDISCONNECTED\r");
    ASSERT_TRUE(Esperar([&] { return !alTerminar.empty(); }));
    EXPECT_THAT(alTerminar, ElementsAre("rts 1", "rts 0", "dtr 0"));

    modem.Enviar("PTT ON\r");
    ASSERT_TRUE(Esperar([&] { return registro.back() == "rts 1"; }));
    registro.clear();
    modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !e->SocketsArriba(); }));
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(registro, ElementsAre("rts 0", "dtr 0")) << "unkeyed once";
}

} // namespace
