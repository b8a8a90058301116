// The keying commands as they really leave the program: through
// QSerialPort into one end of a pseudo-terminal pair, read back from the
// other end.

#include "keying/PortNames.h"
#include "keying/PttController.h"
#include "keying/QtSerialLine.h"

#include "Pty.h"
#include "RecordingSerialLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>

using namespace kolt::keying;
using namespace kolt::keying::test;
using namespace std::string_literals;
using ::testing::ElementsAre;

namespace {

struct CasoOrden {
    const char* nombre;
    int rig;
    const char* icomAddress;
    std::string on;
    std::string off;
};

void PrintTo(const CasoOrden& c, std::ostream* os)
{
    *os << c.nombre;
}

class KeyingOnPty : public ::testing::TestWithParam<CasoOrden> {};

TEST_P(KeyingOnPty, CommandArrivesByteForByte)
{
    const CasoOrden& c = GetParam();
    Pty pty;
    ASSERT_FALSE(pty.esclavo().isEmpty());

    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = static_cast<std::uint8_t>(c.rig);
    ajustes.icomAddress = QString::fromLatin1(c.icomAddress);
    ajustes.catPort = pty.esclavo();
    ajustes.baud = QStringLiteral("9600");
    ajustes.rts = 1; // a pty has no modem lines: refused, and harmless
    Registro registro;
    RecordingObserver observador(registro);
    QtSerialLine puerto;
    ControladorPTT ptt(ajustes, puerto, observador);

    ptt.AbrirPuertoRadio();
    ASSERT_TRUE(puerto.isOpen()) << ::testing::PrintToString(registro);

    ptt.ActivarPTT();
    EXPECT_EQ(pty.recibir(c.on.size()), c.on);
    ptt.DesactivarPTT();
    EXPECT_EQ(pty.recibir(c.off.size()), c.off);
    EXPECT_THAT(registro, ElementsAre("panel TX", "panel RX"));
}

INSTANTIATE_TEST_SUITE_P(
    Families, KeyingOnPty,
    ::testing::Values(
        CasoOrden{"FT897", 52, "", "\x00\x00\x00\x00\x08"s, "\x00\x00\x00\x00\x88"s},
        CasoOrden{"FT100", 45, "", "\x00\x00\x00\x01\x0F"s, "\x00\x00\x00\x00\x0F"s},
        CasoOrden{"IC7300", 128, "", "\xFE\xFE\x94\xE0\x1C\x00\x01\xFD"s,
                  "\xFE\xFE\x94\xE0\x1C\x00\x00\xFD"s},
        CasoOrden{"IC7300AddressA4", 128, "A4", "\xFE\xFE\xA4\xE0\x1C\x00\x01\xFD"s,
                  "\xFE\xFE\xA4\xE0\x1C\x00\x00\xFD"s},
        CasoOrden{"IC7300AddressZZ", 128, "ZZ", "\xFE\xFE\x00\xE0\x1C\x00\x01\xFD"s,
                  "\xFE\xFE\x00\xE0\x1C\x00\x00\xFD"s},
        CasoOrden{"Perseus", 92, "", "\xFE\xFE\x04\xE0\x1C\x00\x01\xFD"s,
                  "\xFE\xFE\x04\xE0\x1C\x00\x00\xFD"s},
        CasoOrden{"TS2000", 87, "", "TX;", "RX;"}, CasoOrden{"TS480HX", 72, "", "TX1;", "RX;"},
        CasoOrden{"TS890", 137, "", "TX0;", "RX;"}, CasoOrden{"FT450", 59, "", "TX1;", "TX0;"},
        CasoOrden{"K3", 91, "", "TX;", "RX;"}, CasoOrden{"SmartSDR", 125, "", "TX;", "RX;"},
        CasoOrden{"THD74", 141, "", "TX\r", "RX\r"},
        CasoOrden{"OmniVII", 98, "", "*T\x04\x00\r"s, "*T\x00\x00\r"s},
        CasoOrden{"Eagle", 93, "", "*TK\r", "*TU\r"}, CasoOrden{"Argonaut", 96, "", "#0\r", "#1\r"},
        CasoOrden{"Pegasus", 120, "", "Q1\r", "Q0\r"},
        CasoOrden{"Anytone", 140, "", "\x41\x01\x00\x00\x00\x00\x00\x06"s,
                  "\x41\x00\x00\x00\x00\x00\x00\x06"s},
        CasoOrden{"R5000", 88, "", "", ""}, CasoOrden{"Jupiter", 95, "", "", ""}),
    [](const ::testing::TestParamInfo<CasoOrden>& info) { return info.param.nombre; });

TEST(QtSerialLineOnPty, UnkeyWrittenJustBeforeCloseStillArrives)
{
    Pty pty;
    QtSerialLine puerto;
    ASSERT_TRUE(puerto.open(pty.esclavo(), "9600,n,8,1").ok());
    EXPECT_FALSE(puerto.setRts(true)) << "a pty has no modem lines";
    EXPECT_TRUE(puerto.write(QByteArrayLiteral("RX;")));
    puerto.close();
    EXPECT_EQ(pty.recibir(3), "RX;");
    EXPECT_FALSE(puerto.write(QByteArrayLiteral("TX;"))) << "closed";
    EXPECT_FALSE(puerto.setDtr(false));
}

TEST(QtSerialLineOnPty, SecondOpenerIsToldTheDeviceIsBusy)
{
    Pty pty;
    QtSerialLine primero;
    QtSerialLine segundo;
    ASSERT_TRUE(primero.open(pty.esclavo(), "4800,n,8,2").ok());
    EXPECT_EQ(segundo.open(pty.esclavo(), "4800,n,8,2").error, OpenError::Busy);
    primero.close();
    EXPECT_TRUE(segundo.open(pty.esclavo(), "4800,n,8,2").ok()) << "freed on close";
}

TEST(QtSerialLineErrors, MissingDeviceBadSettingsAndNonTerminal)
{
    Pty pty;
    QtSerialLine puerto;
    EXPECT_EQ(puerto.open(QStringLiteral("/dev/kolt-no-such-port"), "4800,n,8,1").error,
              OpenError::NotFound);
    EXPECT_EQ(puerto.open(pty.esclavo(), "fast,n,8,1").error, OpenError::BadSettings);
    EXPECT_FALSE(puerto.isOpen());

    QTemporaryDir dir;
    QFile fichero(dir.filePath(QStringLiteral("not-a-tty")));
    ASSERT_TRUE(fichero.open(QIODevice::WriteOnly));
    fichero.close();
    EXPECT_FALSE(puerto.open(fichero.fileName(), "4800,n,8,1").ok());
    EXPECT_FALSE(puerto.isOpen());
}

TEST(PttControllerOnMachine, NumberedPortThatDoesNotExistIsReportedByItsComName)
{
    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.catPort = QStringLiteral("COM200"); // /dev/ttyS199
    Registro registro;
    RecordingObserver observador(registro);
    QtSerialLine puerto;
    ControladorPTT ptt(ajustes, puerto, observador);
    ptt.AbrirPuertoRadio();
    EXPECT_THAT(registro, ElementsAre("message Unable to open radio serial port COM200. May be in "
                                      "use by another application."));
}

struct CasoNombre {
    const char* nombre;
    const char* dispositivo;
    const char* mostrado;
};

void PrintTo(const CasoNombre& c, std::ostream* os)
{
    *os << '"' << c.nombre << '"';
}

class PortName : public ::testing::TestWithParam<CasoNombre> {};

TEST_P(PortName, ComNamesMapToTtySOthersOpenAsNamed)
{
    const PuertoRadio p = ResolverPuerto(QString::fromUtf8(GetParam().nombre));
    EXPECT_EQ(p.dispositivo, GetParam().dispositivo);
    EXPECT_EQ(p.nombre, GetParam().mostrado);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortName,
    ::testing::Values(
        CasoNombre{"COM1", "/dev/ttyS0", "COM1"}, CasoNombre{"COM12", "/dev/ttyS11", "COM12"},
        CasoNombre{"com3", "/dev/ttyS2", "COM3"}, CasoNombre{"COM03", "/dev/ttyS2", "COM3"},
        CasoNombre{"COM255", "/dev/ttyS254", "COM255"}, CasoNombre{"COM0", "COM0", "COM0"},
        CasoNombre{"COM256", "COM256", "COM256"},
        CasoNombre{"COM99999999999", "COM99999999999", "COM99999999999"},
        CasoNombre{"COM 3", "COM 3", "COM 3"}, CasoNombre{"COM", "COM", "COM"},
        CasoNombre{"", "", ""}, CasoNombre{"/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        CasoNombre{"/dev/serial/by-id/usb-FTDI_FT232R-if00-port0",
                   "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0",
                   "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"}));

TEST(PortList, ComNamesThenStableNamesThenDevicesEachOnce)
{
    const QStringList lista =
        ComponerPuertos({QStringLiteral("/dev/serial/by-id/usb-A"), QStringLiteral("COM3")},
                        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-A"),
                         QString(), QStringLiteral("/dev/ttyACM0")});
    QStringList esperada;
    for (int n = 1; n <= 16; ++n)
        esperada << QStringLiteral("COM%1").arg(n);
    esperada << QStringLiteral("/dev/serial/by-id/usb-A") << QStringLiteral("/dev/ttyUSB0")
             << QStringLiteral("/dev/ttyACM0");
    EXPECT_EQ(lista, esperada);

    const QStringList maquina = PuertosOfrecidos();
    ASSERT_GE(maquina.size(), 16);
    EXPECT_EQ(maquina.mid(0, 16), PuertosCOM());
    for (const QString& extra : maquina.mid(16))
        EXPECT_TRUE(extra.startsWith(QLatin1String("/dev/"))) << extra.toStdString();
}

} // namespace
