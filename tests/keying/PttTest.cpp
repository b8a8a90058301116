// The PTT controller over a recording port, and the PTT dialog's rules
// without widgets (what the widgets show of them: tests/ui/frmPTTTest.cpp).

#include "keying/PuertoRadio.h"
#include "keying/ControladorPTT.h"
#include "keying/LogicaDialogoPTT.h"

#include "EstacionDePrueba.h"
#include "ModemDePrueba.h"
#include "LineaSerieGrabadora.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kolt::keying;
using namespace kolt::keying::test;
using kolt::config::Variante;
using kolt::test::Esperar;
using ::testing::ElementsAre;

namespace {

// The settings start as the defaults: an FT-897 at 4800 on COM1, VOX.
class Ptt : public ::testing::Test {
protected:
    Registro tomar() { return std::exchange(registro, {}); } // the log so far, then cleared

    // The dialog as shown: its changes reach the controller at once.
    LogicaDialogoPTT& dialogo()
    {
        logica.emplace(ajustes, PuertosCOM(), [this] { ptt.AjustesCambiados(); });
        logica->Cargar();
        return *logica;
    }

    kolt::config::Configuracion ajustes;
    Registro registro;
    LineaSerieGrabadora puerto{registro};
    RecordingObserver observador{registro};
    ControladorPTT ptt{ajustes, puerto, observador};
    std::optional<LogicaDialogoPTT> logica;
};

TEST_F(Ptt, CatOpensWithFamilySettingsAndTheLinesAsAsked)
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
}

// Line keying ignores the CAT settings. A port without modem lines (a pty)
// stops keying at the first refusal, but unkeying tries both lines.
TEST_F(Ptt, ComKeyingRaisesThePinsLinesAndUnkeyDropsBoth)
{
    ajustes.via = 2;
    ajustes.baud = QStringLiteral("38400");
    ajustes.rts = 1;
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(tomar(), ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0"));
    for (const auto& [pin, on] : {std::pair{1, Registro{"panel TX", "rts 1"}},
                                  {2, {"panel TX", "dtr 1"}},
                                  {3, {"panel TX", "rts 1", "dtr 1"}}}) {
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

// A dialog change while keyed unkeys at once the way it was keyed (FT-897
// by CAT or RTS). Port or mode: frmPTTTest.cpp, DialogoSetupTest.cpp.
TEST_F(Ptt, ChangeWhileKeyedUnkeysTheOldWay)
{
    const std::tuple<const char*, int, bool, void (*)(LogicaDialogoPTT&)> casos[] = {
        {"method", 1, false, [](LogicaDialogoPTT& d) { d.SeleccionarVia(2); }},
        {"model", 1, false, [](LogicaDialogoPTT& d) { d.SeleccionarModelo(0); }},
        {"pin", 2, false, [](LogicaDialogoPTT& d) { d.SeleccionarPin(2); }},
        {"address", 1, false, [](LogicaDialogoPTT& d) { d.EscribirDireccionCIV("a4"); }},
        {"same values", 1, true, [](LogicaDialogoPTT& d) { d.SeleccionarVia(1); }},
    };
    for (const auto& [nombre, via, sigueTX, cambio] : casos) {
        ajustes = {};
        ajustes.via = static_cast<std::uint8_t>(via);
        ptt.AbrirPuertoRadio();
        dialogo();
        ptt.ActivarPTT();
        tomar();
        cambio(*logica);
        logica->Cerrar(false);
        const Registro suelta = via == 1 ? Registro{"panel RX", "write 00 00 00 00 88"}
                                         : Registro{"panel RX", "rts 0", "dtr 0"};
        EXPECT_EQ(tomar(), sigueTX ? Registro{} : suelta) << nombre;
    }
}

// Without a port keying only shows the panel: VOX, the FM mode, a
// hand-edited "Via", or a port that did not open (told once, as named).
TEST_F(Ptt, WithoutAPortOnlyThePanelFollows)
{
    const std::tuple<int, Variante, ResultadoApertura, std::string> casos[] = {
        {3, Variante::HF, {}, ""},
        {1, Variante::FM, {}, ""},
        {7, Variante::HF, {}, ""},
        {1,
         Variante::HF,
         {ErrorApertura::NotFound, {}},
         "Unable to open radio serial port COM1. May be in use by another application."},
        {1,
         Variante::HF,
         {ErrorApertura::PermissionDenied, QStringLiteral("dialout")},
         "Unable to open radio serial port COM1. May be in use by another application. Access "
         "to /dev/ttyS0 was denied: the user must be a member of the group \"dialout\", which "
         "owns it."},
        {2,
         Variante::HF,
         {ErrorApertura::PermissionDenied, {}},
         "Unable to open radio serial port COM1. May be in use by another application. Access "
         "to /dev/ttyS0 was denied: the user must be a member of the group that owns it "
         "(dialout on Debian)."},
    };
    for (const auto& [via, modo, resultado, mensaje] : casos) {
        ajustes.via = static_cast<std::uint8_t>(via);
        ajustes.koltMode = modo;
        puerto.siguienteApertura = resultado;
        ptt.AbrirPuertoRadio();
        ptt.ActivarPTT();
        ptt.DesactivarPTT();
        Registro esperado{"panel TX", "panel RX"};
        if (!mensaje.empty()) esperado.insert(esperado.begin(), "message " + mensaje);
        EXPECT_EQ(tomar(), esperado) << via;
    }
}

// The station keys the radio on its modem's reports. A modem that ends the
// link or dies in the middle of a transmission must not leave it keyed.
TEST(PttFromTheModem, ALinkEndOrADeadModemUnkeys)
{
    Registro registro;
    LineaSerieGrabadora linea(registro);
    kolt::test::ModemDePrueba modem;
    kolt::test::EstacionDePrueba e({}, modem.puerto(), 1, &linea, "[PTT]\r\nVia=2\r\n");
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(std::exchange(registro, {}),
                ElementsAre("open /dev/ttyS0 4800,N,8,1", "rts 0", "dtr 0", "rts 0", "dtr 0"))
        << "opened with both lines off, then the start-up unkey";

    modem.Enviar("PTT ON\rDISCONNECTED\r"); // and no "PTT OFF"
    ASSERT_TRUE(Esperar([&] { return registro.size() >= 3; }));
    EXPECT_THAT(std::exchange(registro, {}), ElementsAre("rts 1", "rts 0", "dtr 0"));
    modem.Enviar("PTT ON\r");
    ASSERT_TRUE(Esperar([&] { return registro.size() == 1; }));
    modem.Cortar();
    ASSERT_TRUE(Esperar([&] { return !e->SocketsArriba(); }));
    ASSERT_TRUE(Esperar([&] { return e->SocketsArriba(); }));
    EXPECT_THAT(registro, ElementsAre("rts 1", "rts 0", "dtr 0")) << "unkeyed once";
}

// Values no dialog would store select nothing or the default; Anytone, kept
// but not offered, selects nothing.
TEST_F(Ptt, HandEditedValuesAndAnUnofferedRig)
{
    EXPECT_EQ(dialogo().Marcas().elementos.size(), 7);
    EXPECT_EQ(logica->Visibilidad(), VisibilidadPTT{}) << "VOX";
    ajustes.rig = 0;
    ajustes.via = 9;
    ajustes.pin = 0;
    ajustes.dtr = 7;
    ajustes.catPort = QStringLiteral(" ");
    LogicaDialogoPTT& d = dialogo();
    EXPECT_EQ(ajustes.rig, 52);
    EXPECT_EQ(std::tuple(d.Via(), d.Pin(), d.DTR(), ajustes.dtr), std::tuple(0, 0, false, 0));
    EXPECT_EQ(ajustes.catPort, "COM1");

    ajustes.via = 1;
    ajustes.rig = 140;
    EXPECT_EQ(dialogo().Marcas().seleccion, -1);
    EXPECT_TRUE(logica->Modelos().elementos.isEmpty() && logica->Baudios().elementos.isEmpty());
    EXPECT_TRUE(logica->Cerrar(false).reabrirPuerto);
    EXPECT_EQ(ajustes.rig, 140);
}

// A new model brings its own address, the same model the stored one. One
// or two hex digits pass: anything else would key 00, the CI-V broadcast
// address. A hidden field is not checked but still stored.
TEST_F(Ptt, ModelSpeedAndIcomAddress)
{
    ajustes.via = 1;
    ajustes.rig = 128;
    ajustes.baud = QStringLiteral("57600");
    LogicaDialogoPTT& d = dialogo();
    EXPECT_EQ(ajustes.baud, "115200") << "not offered by the IC-7300: its first";
    for (const char* mal : {"", "zz", "a4b", " 4", "0x"}) {
        d.EscribirDireccionCIV(QString::fromLatin1(mal));
        const CierrePTT c = d.Cerrar(false);
        EXPECT_FALSE(c.cerrar || c.reabrirPuerto) << mal;
        EXPECT_EQ(c.aviso, "wrong Icom Address format");
        EXPECT_EQ(ajustes.icomAddress, "") << "nothing stored while refused";
    }
    d.EscribirDireccionCIV(QStringLiteral("a4"));
    EXPECT_TRUE(d.Cerrar(false).reabrirPuerto);
    EXPECT_EQ(ajustes.icomAddress, "A4");
    d.SeleccionarModelo(static_cast<int>(d.Modelos().elementos.indexOf("IC-7610")));
    EXPECT_EQ(d.DireccionCIV(), "98") << "the IC-7610's";
    d.SeleccionarModelo(d.Modelos().seleccion);
    EXPECT_EQ(d.DireccionCIV(), "A4");

    ajustes.via = 2;
    ajustes.rig = 128;
    dialogo().EscribirDireccionCIV(QStringLiteral("zz"));
    EXPECT_TRUE(logica->Cerrar(false).cerrar);
    EXPECT_EQ(ajustes.icomAddress, "ZZ");
    logica->SeleccionarVia(1);
    EXPECT_TRUE(logica->Visibilidad().direccionCIV) << "CAT shows it again for a CI-V radio";
}

} // namespace
