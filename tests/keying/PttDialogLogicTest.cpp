// The PTT dialog's rules without widgets. What the widgets show of them
// (captions, Icom chosen by key, the close check's message box, a closing
// program) is tested in tests/ui/frmPTTTest.cpp.

#include "keying/PttDialogLogic.h"

#include "keying/PortNames.h"

#include <gtest/gtest.h>

using namespace kolt::keying;

namespace {

class PttDialog : public ::testing::Test {
protected:
    LogicaDialogoPTT& cargar()
    {
        logica.emplace(ajustes, ComponerPuertos({}, {QStringLiteral("/dev/ttyUSB0")}));
        logica->Cargar();
        return *logica;
    }

    int indiceModelo(const char* modelo) const
    {
        return static_cast<int>(logica->Modelos().elementos.indexOf(QLatin1String(modelo)));
    }

    void catIcom7300()
    {
        ajustes.via = 1;
        ajustes.rig = 128;
    }

    kolt::config::Configuracion ajustes;
    std::optional<LogicaDialogoPTT> logica;
};

TEST_F(PttDialog, DefaultsHoldYaesuFt897At4800AndShowOnlyTheMethods)
{
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Marcas().elementos, QStringList({"Icom", "Yaesu", "Kenwood", "Elecraft", "TenTec",
                                                 "FlexRadio", "Microtelecom"}))
        << "Anytone is not offered";
    EXPECT_EQ(d.Marcas().Seleccionado(), "Yaesu");
    EXPECT_EQ(d.Modelos().elementos.size(), 36);
    EXPECT_EQ(d.Modelos().Seleccionado(), "FT-897");
    EXPECT_EQ(d.Baudios().Seleccionado(), "4800");
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "COM1");
    EXPECT_EQ(d.PuertosPTT().elementos.mid(0, 17), PuertosCOM() << QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(d.Via(), 3);
    EXPECT_EQ(d.Pin(), 1);
    EXPECT_EQ(d.Visibilidad(), VisibilidadPTT{});
    EXPECT_EQ(ajustes.rig, 52);
    EXPECT_EQ(ajustes.baud, "4800");
}

TEST_F(PttDialog, BrandDefaults)
{
    ajustes.via = 1;
    LogicaDialogoPTT& d = cargar();
    const char* defectos[] = {"IC-7300", "FT-897",   "TS-2000", "K3",
                              "Jupiter", "SmartSDR", "Perseus"};
    const char* direcciones[] = {"94", nullptr, nullptr, nullptr, nullptr, nullptr, "04"};
    for (int m = 0; m < 7; ++m) {
        d.SeleccionarMarca(m == 1 ? 2 : 1); // leave the brand, so "Rig" is not among its models
        d.SeleccionarMarca(m);
        EXPECT_EQ(d.Modelos().Seleccionado(), defectos[m]);
        EXPECT_EQ(d.Visibilidad().direccionCIV, direcciones[m] != nullptr) << defectos[m];
        if (direcciones[m]) {
            EXPECT_EQ(d.DireccionCIV(), direcciones[m]);
        }
    }
    EXPECT_EQ(ajustes.rig, 92);
}

// One or two hex digits: anything else would key address 00, the CI-V
// broadcast address ("" is refused in frmPTTTest too).
TEST_F(PttDialog, OnlyOneOrTwoHexDigitsPassTheAddressCheckStoredInUpperCase)
{
    catIcom7300();
    LogicaDialogoPTT& d = cargar();
    for (const char* mal : {"zz", "a4b", "", "g1", " 4", "4 ", "0x", "-1"}) {
        d.EscribirDireccionCIV(QString::fromLatin1(mal));
        const CierrePTT c = d.Cerrar(false);
        EXPECT_FALSE(c.cerrar) << mal;
        EXPECT_EQ(c.aviso, "wrong Icom Address format");
        EXPECT_FALSE(c.reabrirPuerto);
        EXPECT_EQ(ajustes.icomAddress, "") << "nothing stored while refused";
    }
    for (const auto& [bien, guardado] : {std::pair{"a4", "A4"}, {"7", "7"}, {"0F", "0F"}}) {
        d.EscribirDireccionCIV(QString::fromLatin1(bien));
        const CierrePTT c = d.Cerrar(false);
        EXPECT_TRUE(c.cerrar) << bien;
        EXPECT_TRUE(c.reabrirPuerto);
        EXPECT_EQ(ajustes.icomAddress, guardado);
    }
}

TEST_F(PttDialog, HiddenAddressFieldSkipsTheCheckButIsStillStored)
{
    catIcom7300();
    ajustes.icomAddress = QStringLiteral("7");
    for (int via : {2, 3}) {
        ajustes.via = static_cast<std::uint8_t>(via);
        LogicaDialogoPTT& d = cargar();
        EXPECT_FALSE(d.Visibilidad().direccionCIV);
        EXPECT_TRUE(d.Cerrar(false).cerrar) << via;
        EXPECT_EQ(ajustes.icomAddress, "7") << "the field was filled from the stored address";
    }
    logica->SeleccionarVia(1);
    EXPECT_TRUE(logica->Visibilidad().direccionCIV) << "CAT shows it again for a CI-V radio";
    // A non-Icom radio never fills the field: closing stores it empty.
    ajustes.rig = 52;
    EXPECT_TRUE(cargar().Cerrar(false).cerrar);
    EXPECT_EQ(ajustes.icomAddress, "");
}

TEST_F(PttDialog, ModelChangeKeepsAnOfferedSpeedAndBringsItsAddress)
{
    catIcom7300();
    ajustes.baud = QStringLiteral("57600");
    ajustes.icomAddress = QStringLiteral("A4");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(ajustes.baud, "115200") << "a speed not offered falls back to the first";
    EXPECT_EQ(d.DireccionCIV(), "A4");

    d.SeleccionarBaudios(3);
    d.SeleccionarBaudios(7); // no such entry
    d.SeleccionarModelo(indiceModelo("IC-7610"));
    EXPECT_EQ(ajustes.rig, 139);
    EXPECT_EQ(ajustes.baud, "9600") << "still offered by the IC-7610";
    EXPECT_EQ(d.DireccionCIV(), "98");
    d.EscribirDireccionCIV(QStringLiteral("5E"));
    d.SeleccionarModelo(indiceModelo("IC-7610"));
    EXPECT_EQ(d.DireccionCIV(), "A4") << "same model: the stored address, the typed one discarded";
}

// Falling back to another port would key another device: whatever was
// stored is shown and kept; only a blank name takes the first entry.
TEST_F(PttDialog, AStoredPortIsKeptListedOrNot)
{
    for (const char* nombre : {"COM17", "COM255", "COM20", "/dev/serial/by-id/usb-unplugged"}) {
        ajustes.catPort = ajustes.pttPort = QString::fromLatin1(nombre);
        LogicaDialogoPTT& d = cargar();
        EXPECT_EQ(ajustes.catPort, nombre);
        EXPECT_EQ(d.PuertosCAT().Seleccionado(), nombre);
        EXPECT_EQ(ajustes.pttPort, nombre);
        EXPECT_EQ(d.PuertosPTT().Seleccionado(), nombre);
    }
    ajustes.catPort = QStringLiteral(" ");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(ajustes.catPort, "COM1");

    d.SeleccionarPuertoCAT(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(d.PuertosCAT().seleccion, 16);
    d.SeleccionarPuertoCAT(QStringLiteral(" /dev/ttyACM3 "));
    EXPECT_EQ(ajustes.catPort, "/dev/ttyACM3") << "typed names are kept, trimmed";
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "/dev/ttyACM3");
    d.SeleccionarPuertoCAT(QStringLiteral("  "));
    EXPECT_EQ(ajustes.catPort, "/dev/ttyACM3") << "blank is no port";
}

TEST_F(PttDialog, AnytoneRigLeavesTheListsEmptyAndIsKept)
{
    ajustes.via = 1;
    ajustes.rig = 140;
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Marcas().seleccion, -1);
    EXPECT_TRUE(d.Modelos().elementos.isEmpty());
    EXPECT_TRUE(d.Baudios().elementos.isEmpty());
    EXPECT_FALSE(d.Visibilidad().direccionCIV);
    const CierrePTT c = d.Cerrar(false);
    EXPECT_TRUE(c.cerrar);
    EXPECT_TRUE(c.reabrirPuerto);
    EXPECT_EQ(ajustes.rig, 140);
}

// Values no dialog would store: a "Rig" outside the catalogue, a "Via" and
// a "Pin" that select no option, a "DTR" that is not a checked box.
TEST_F(PttDialog, HandEditedValuesSelectNothingOrTheDefault)
{
    ajustes.rig = 0;
    ajustes.via = 9;
    ajustes.pin = 0;
    ajustes.dtr = 7;
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Modelos().Seleccionado(), "FT-897");
    EXPECT_EQ(ajustes.rig, 52);
    EXPECT_EQ(d.Via(), 0);
    EXPECT_EQ(d.Visibilidad(), VisibilidadPTT{}) << "no method, no controls";
    EXPECT_EQ(d.Pin(), 0);
    EXPECT_FALSE(d.DTR());
    EXPECT_EQ(ajustes.dtr, 0);
}

} // namespace
