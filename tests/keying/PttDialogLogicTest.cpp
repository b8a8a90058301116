#include "keying/PttDialogLogic.h"

#include "keying/PortNames.h"

#include <gtest/gtest.h>

using namespace kolt::keying;

namespace {

QStringList nombres(std::initializer_list<const char*> lista)
{
    QStringList l;
    for (const char* s : lista)
        l << QString::fromLatin1(s);
    return l;
}

class PttDialog : public ::testing::Test {
protected:
    LogicaDialogoPTT& cargar()
    {
        logica.emplace(ajustes, ComponerPuertos({}, {QStringLiteral("/dev/ttyUSB0")}));
        logica->Cargar();
        return *logica;
    }

    void catIcom7300()
    {
        ajustes.via = 1;
        ajustes.rig = 128;
        ajustes.icomAddress.clear();
    }

    kolt::config::Configuracion ajustes;
    std::optional<LogicaDialogoPTT> logica;
};

TEST_F(PttDialog, DefaultsHoldYaesuFt897At4800AndShowOnlyTheMethods)
{
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Marcas().elementos, nombres({"Icom", "Yaesu", "Kenwood", "Elecraft", "TenTec",
                                             "FlexRadio", "Microtelecom"}))
        << "Anytone is not offered";
    EXPECT_EQ(d.Marcas().Seleccionado(), "Yaesu");
    EXPECT_EQ(d.Modelos().elementos.size(), 36);
    EXPECT_EQ(d.Modelos().Seleccionado(), "FT-897");
    EXPECT_EQ(d.Baudios().elementos, nombres({"4800", "9600", "38400"}));
    EXPECT_EQ(d.Baudios().Seleccionado(), "4800");
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "COM1");
    EXPECT_EQ(d.PuertosPTT().elementos.mid(0, 17), PuertosCOM() << QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(d.Via(), 3);
    EXPECT_EQ(d.Pin(), 1);
    EXPECT_EQ(d.Visibilidad(), VisibilidadPTT{});
    EXPECT_EQ(ajustes.rig, 52);
    EXPECT_EQ(ajustes.baud, "4800");
}

TEST_F(PttDialog, VisibilityFollowsTheMethod)
{
    catIcom7300();
    LogicaDialogoPTT& d = cargar();
    VisibilidadPTT cat;
    cat.marca = cat.modelo = cat.puerto = cat.puertoCAT = cat.baudios = cat.lineas = true;
    cat.direccionCIV = true;
    EXPECT_EQ(d.Visibilidad(), cat);

    d.SeleccionarVia(2);
    VisibilidadPTT com;
    com.puerto = com.puertoPTT = com.pin = true;
    EXPECT_EQ(d.Visibilidad(), com);
    EXPECT_EQ(ajustes.via, 2);

    d.SeleccionarVia(3);
    EXPECT_EQ(d.Visibilidad(), VisibilidadPTT{});
    d.SeleccionarVia(1);
    EXPECT_EQ(d.Visibilidad(), cat) << "CAT shows the address field of a CI-V radio again";
    d.SeleccionarVia(9);
    EXPECT_EQ(ajustes.via, 1) << "no such option";
}

TEST_F(PttDialog, SwitchingFromYaesuToIcomPicksIc7300WithItsAddress)
{
    ajustes.via = 1;
    ajustes.baud = QStringLiteral("9600");
    LogicaDialogoPTT& d = cargar();
    EXPECT_FALSE(d.Visibilidad().direccionCIV);

    d.SeleccionarMarca(0);
    ASSERT_EQ(d.Modelos().elementos.size(), 65);
    EXPECT_EQ(d.Modelos().elementos.first(), "IC-78");
    EXPECT_EQ(d.Modelos().elementos.last(), "IC-RX7");
    EXPECT_EQ(d.Modelos().Seleccionado(), "IC-7300");
    EXPECT_EQ(ajustes.rig, 128);
    EXPECT_EQ(d.Baudios().elementos, nombres({"115200", "38400", "19200", "9600", "4800", "1200"}));
    EXPECT_EQ(d.Baudios().Seleccionado(), "9600") << "the stored speed, when offered";
    EXPECT_EQ(d.DireccionCIV(), "94");
    EXPECT_TRUE(d.Visibilidad().direccionCIV);

    d.SeleccionarMarca(2);
    EXPECT_EQ(d.Modelos().Seleccionado(), "TS-2000");
    EXPECT_EQ(ajustes.rig, 87);
    EXPECT_FALSE(d.Visibilidad().direccionCIV);
}

TEST_F(PttDialog, SpeedNotOfferedFallsBackToTheFirst)
{
    ajustes.via = 1;
    ajustes.baud = QStringLiteral("57600");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Baudios().Seleccionado(), "4800");
    EXPECT_EQ(ajustes.baud, "4800");
    d.SeleccionarMarca(1);
    d.SeleccionarModelo(static_cast<int>(d.Modelos().elementos.indexOf("FT-847")));
    EXPECT_EQ(ajustes.baud, "4800") << "still offered by the FT-847";
    d.SeleccionarModelo(static_cast<int>(d.Modelos().elementos.indexOf("FT-817")));
    EXPECT_EQ(ajustes.baud, "4800");
    d.SeleccionarBaudios(0);
    EXPECT_EQ(ajustes.baud, "38400");
    d.SeleccionarBaudios(7);
    EXPECT_EQ(ajustes.baud, "38400") << "no such entry";
}

TEST_F(PttDialog, BrandDefaults)
{
    ajustes.via = 1;
    LogicaDialogoPTT& d = cargar();
    const char* defectos[] = {"IC-7300", "FT-897",   "TS-2000", "K3",
                              "Jupiter", "SmartSDR", "Perseus"};
    for (int m = 0; m < 7; ++m) {
        d.SeleccionarMarca(m == 1 ? 2 : 1); // leave the brand, so "Rig" is not among its models
        d.SeleccionarMarca(m);
        EXPECT_EQ(d.Modelos().Seleccionado(), defectos[m]);
    }
    EXPECT_EQ(d.DireccionCIV(), "04") << "the Perseus speaks CI-V";
    EXPECT_TRUE(d.Visibilidad().direccionCIV);
}

TEST_F(PttDialog, IcomWithoutStoredAddressMustBeGivenOneBeforeClosing)
{
    catIcom7300();
    LogicaDialogoPTT& d = cargar();
    EXPECT_TRUE(d.Visibilidad().direccionCIV);
    EXPECT_EQ(d.DireccionCIV(), "");

    for (const char* texto : {"", "a", "a4b"}) {
        d.EscribirDireccionCIV(QString::fromLatin1(texto));
        const CierrePTT c = d.Cerrar(false);
        EXPECT_FALSE(c.cerrar) << texto;
        EXPECT_EQ(c.aviso, "wrong Icom Address format");
        EXPECT_FALSE(c.reabrirPuerto);
    }
    d.EscribirDireccionCIV(QStringLiteral("a4"));
    const CierrePTT c = d.Cerrar(false);
    EXPECT_TRUE(c.cerrar);
    EXPECT_TRUE(c.reabrirPuerto);
    EXPECT_EQ(ajustes.icomAddress, "A4");
}

TEST_F(PttDialog, AnyTwoCharactersPassTheCheck)
{
    catIcom7300();
    LogicaDialogoPTT& d = cargar();
    d.EscribirDireccionCIV(QStringLiteral("zz"));
    EXPECT_TRUE(d.Cerrar(false).cerrar);
    EXPECT_EQ(ajustes.icomAddress, "ZZ");
}

TEST_F(PttDialog, HiddenAddressFieldSkipsTheCheckButIsStillStored)
{
    catIcom7300();
    ajustes.icomAddress = QStringLiteral("7");
    for (int via : {2, 3}) {
        ajustes.via = static_cast<std::uint8_t>(via);
        LogicaDialogoPTT& d = cargar();
        EXPECT_FALSE(d.Visibilidad().direccionCIV);
        const CierrePTT c = d.Cerrar(false);
        EXPECT_TRUE(c.cerrar) << via;
        EXPECT_TRUE(c.reabrirPuerto);
        EXPECT_EQ(ajustes.icomAddress, "7") << "the field was filled from the stored address";
    }
    // A non-Icom radio never fills the field: closing stores it empty.
    ajustes.rig = 52;
    cargar();
    EXPECT_TRUE(logica->Cerrar(false).cerrar);
    EXPECT_EQ(ajustes.icomAddress, "");
}

TEST_F(PttDialog, ModelChangeBringsItsAddressReselectingBringsTheStoredOne)
{
    catIcom7300();
    ajustes.icomAddress = QStringLiteral("A4");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.DireccionCIV(), "A4");

    d.SeleccionarModelo(static_cast<int>(d.Modelos().elementos.indexOf("IC-7610")));
    EXPECT_EQ(ajustes.rig, 139);
    EXPECT_EQ(d.DireccionCIV(), "98");
    d.EscribirDireccionCIV(QStringLiteral("5E"));
    d.SeleccionarModelo(static_cast<int>(d.Modelos().elementos.indexOf("IC-7610")));
    EXPECT_EQ(d.DireccionCIV(), "A4") << "same model: the stored address, the typed one discarded";
}

TEST_F(PttDialog, ClosingWhileTheMainWindowClosesDoesNotReopenThePort)
{
    LogicaDialogoPTT& d = cargar();
    const CierrePTT c = d.Cerrar(true);
    EXPECT_TRUE(c.cerrar);
    EXPECT_FALSE(c.reabrirPuerto);
}

TEST_F(PttDialog, ClosingProgramIsNotHeldByABadAddress)
{
    catIcom7300();
    LogicaDialogoPTT& d = cargar();
    d.EscribirDireccionCIV(QStringLiteral("a"));
    ASSERT_FALSE(d.Cerrar(false).cerrar);
    const CierrePTT c = d.Cerrar(true);
    EXPECT_TRUE(c.cerrar) << "the program is closing: the dialog must go";
    EXPECT_TRUE(c.aviso.isEmpty());
    EXPECT_FALSE(c.reabrirPuerto);
}

TEST_F(PttDialog, UnlistedComPortBecomesCom1ButAStoredDeviceIsKept)
{
    ajustes.catPort = QStringLiteral("COM20");
    ajustes.pttPort = QStringLiteral("/dev/serial/by-id/usb-unplugged");
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(ajustes.catPort, "COM1");
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "COM1");
    EXPECT_EQ(ajustes.pttPort, "/dev/serial/by-id/usb-unplugged");
    EXPECT_EQ(d.PuertosPTT().Seleccionado(), "/dev/serial/by-id/usb-unplugged");

    d.SeleccionarPuertoCAT(QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ajustes.catPort, "/dev/ttyUSB0");
    EXPECT_EQ(d.PuertosCAT().seleccion, 16);
    d.SeleccionarPuertoCAT(QStringLiteral(" /dev/ttyACM3 "));
    EXPECT_EQ(ajustes.catPort, "/dev/ttyACM3") << "typed names are kept";
    EXPECT_EQ(d.PuertosCAT().Seleccionado(), "/dev/ttyACM3");
    d.SeleccionarPuertoCAT(QStringLiteral("  "));
    EXPECT_EQ(ajustes.catPort, "/dev/ttyACM3") << "blank is no port";
    d.SeleccionarPuertoPTT(QStringLiteral("COM7"));
    EXPECT_EQ(ajustes.pttPort, "COM7");
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

TEST_F(PttDialog, OptionsAndCheckBoxesWriteTheirSettings)
{
    ajustes.pin = 3;
    ajustes.rts = 1;
    ajustes.dtr = 7; // hand-edited: not a checked box
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Pin(), 3);
    EXPECT_TRUE(d.RTS());
    EXPECT_FALSE(d.DTR());
    EXPECT_EQ(ajustes.dtr, 0);
    d.SeleccionarPin(2);
    d.MarcarRTS(false);
    d.MarcarDTR(true);
    EXPECT_EQ(ajustes.pin, 2);
    EXPECT_EQ(ajustes.rts, 0);
    EXPECT_EQ(ajustes.dtr, 1);
    d.SeleccionarPin(0);
    EXPECT_EQ(ajustes.pin, 2);
}

TEST_F(PttDialog, RigOutsideTheCatalogueOpensOnTheDefaultModel)
{
    ajustes.via = 1;
    ajustes.rig = 0;
    LogicaDialogoPTT& d = cargar();
    EXPECT_EQ(d.Modelos().Seleccionado(), "FT-897");
    EXPECT_EQ(ajustes.rig, 52);
}

} // namespace
