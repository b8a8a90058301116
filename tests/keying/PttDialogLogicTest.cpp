// The PTT dialog's rules without widgets. What the widgets show of them
// (captions, Icom chosen by key, the close check's message box, a closing
// program, a typed port kept) is tested in tests/ui/frmPTTTest.cpp.

#include "keying/PttDialogLogic.h"

#include "keying/PortNames.h"

#include <gtest/gtest.h>

using namespace kolt::keying;

namespace {

class PttDialog : public ::testing::Test {
protected:
    LogicaDialogoPTT& cargar()
    {
        logica.emplace(ajustes, PuertosCOM());
        logica->Cargar();
        return *logica;
    }

    kolt::config::Configuracion ajustes;
    std::optional<LogicaDialogoPTT> logica;
};

// Values no dialog would store select nothing or the default: a "Rig"
// outside the catalogue, a "Via" and a "Pin" that select no option, a
// "DTR" of 7, a blank port. Anytone, kept but not offered, selects nothing.
TEST_F(PttDialog, HandEditedValuesAndAnUnofferedRig)
{
    EXPECT_EQ(cargar().Marcas().elementos.size(), 7);
    EXPECT_EQ(logica->Visibilidad(), VisibilidadPTT{}) << "VOX";
    ajustes.rig = 0;
    ajustes.via = 9;
    ajustes.pin = 0;
    ajustes.dtr = 7;
    ajustes.catPort = QStringLiteral(" ");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(ajustes.rig, 52);
    EXPECT_EQ(std::tuple(d.Via(), d.Pin(), d.DTR(), ajustes.dtr), std::tuple(0, 0, false, 0));
    EXPECT_EQ(ajustes.catPort, "COM1");
    d.SeleccionarPuertoCAT(QStringLiteral(" /dev/ttyACM3 "));
    d.SeleccionarPuertoCAT(QStringLiteral("  ")); // no port
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "/dev/ttyACM3") << "typed names are trimmed";

    ajustes.via = 1;
    ajustes.rig = 140;
    EXPECT_EQ(cargar().Marcas().seleccion, -1);
    EXPECT_TRUE(logica->Modelos().elementos.isEmpty() && logica->Baudios().elementos.isEmpty());
    EXPECT_TRUE(logica->Cerrar(false).reabrirPuerto);
    EXPECT_EQ(ajustes.rig, 140);
}

// Icom's default model and a stored speed it offers: frmPTTTest.cpp.
TEST_F(PttDialog, AModelsSpeedAndAddress)
{
    ajustes.via = 1;
    ajustes.baud = QStringLiteral("57600");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(ajustes.baud, "4800") << "a speed the FT-897 does not offer: its first";
    d.SeleccionarMarca(2);
    EXPECT_EQ(d.Modelos().Seleccionado(), "TS-2000");
    EXPECT_FALSE(d.Visibilidad().direccionCIV);
    d.SeleccionarMarca(0);
    d.SeleccionarBaudios(3);
    d.SeleccionarBaudios(7); // no such entry
    EXPECT_EQ(ajustes.baud, "9600");

    const int ic7610 = static_cast<int>(d.Modelos().elementos.indexOf("IC-7610"));
    d.SeleccionarModelo(ic7610);
    EXPECT_EQ(ajustes.rig, 139);
    EXPECT_EQ(d.DireccionCIV(), "98") << "a new model brings its own address";
    ajustes.icomAddress = QStringLiteral("A4");
    d.EscribirDireccionCIV(QStringLiteral("5E"));
    d.SeleccionarModelo(ic7610);
    EXPECT_EQ(d.DireccionCIV(), "A4") << "the same model: the stored one, the typed one discarded";
}

// One or two hex digits: anything else would key address 00, the CI-V
// broadcast address. Hidden, the field is not checked but still stored.
TEST_F(PttDialog, AddressCheckedOnlyWhenShownAndStoredInUpperCase)
{
    ajustes.via = 1;
    ajustes.rig = 128;
    LogicaDialogoPTT& d = cargar();
    for (const char* mal : {"zz", "a4b", " 4", "0x"}) {
        d.EscribirDireccionCIV(QString::fromLatin1(mal));
        const CierrePTT c = d.Cerrar(false);
        EXPECT_FALSE(c.cerrar || c.reabrirPuerto) << mal;
        EXPECT_EQ(c.aviso, "wrong Icom Address format");
        EXPECT_EQ(ajustes.icomAddress, "") << "nothing stored while refused";
    }
    d.EscribirDireccionCIV(QStringLiteral("a4"));
    EXPECT_TRUE(d.Cerrar(false).reabrirPuerto);
    EXPECT_EQ(ajustes.icomAddress, "A4");

    ajustes.via = 2;
    cargar().EscribirDireccionCIV(QStringLiteral("zz"));
    EXPECT_TRUE(logica->Cerrar(false).cerrar);
    EXPECT_EQ(ajustes.icomAddress, "ZZ");
    logica->SeleccionarVia(1);
    EXPECT_TRUE(logica->Visibilidad().direccionCIV) << "CAT shows it again for a CI-V radio";
}

} // namespace
