// The keying commands as they really leave the program: through
// QSerialPort into one end of a pseudo-terminal pair, read back from the
// other end.

#include "keying/PortNames.h"
#include "keying/PttController.h"
#include "keying/QtSerialLine.h"

#include "Pty.h"
#include "RecordingSerialLine.h"
#include "support/Esperar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>

using namespace kolt::keying;
using namespace kolt::keying::test;
using namespace std::string_literals;
using ::testing::ElementsAre;

namespace {

// name, rig, "Icom Address", keying bytes, unkeying bytes
using CasoOrden = std::tuple<const char*, int, const char*, std::string, std::string>;

class KeyingOnPty : public ::testing::TestWithParam<CasoOrden> {};

TEST_P(KeyingOnPty, CommandArrivesByteForByte)
{
    const auto& [nombre, rig, icomAddress, on, off] = GetParam();
    Pty pty;
    ASSERT_FALSE(pty.esclavo().isEmpty());

    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = static_cast<std::uint8_t>(rig);
    ajustes.icomAddress = QString::fromLatin1(icomAddress);
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
    EXPECT_EQ(pty.recibir(on.size()), on);
    ptt.DesactivarPTT();
    ptt.CerrarPuertoRadio(); // the unkey must not be lost with the port
    EXPECT_EQ(pty.recibir(off.size()), off);
    EXPECT_THAT(registro, ElementsAre("panel TX", "panel RX"));
}

INSTANTIATE_TEST_SUITE_P(
    Families, KeyingOnPty,
    ::testing::Values(CasoOrden{"FT897", 52, "", "\x00\x00\x00\x00\x08"s, "\x00\x00\x00\x00\x88"s},
                      CasoOrden{"IC7300", 128, "", "\xFE\xFE\x94\xE0\x1C\x00\x01\xFD"s,
                                "\xFE\xFE\x94\xE0\x1C\x00\x00\xFD"s},
                      CasoOrden{"IC7300AddressA4", 128, "A4", "\xFE\xFE\xA4\xE0\x1C\x00\x01\xFD"s,
                                "\xFE\xFE\xA4\xE0\x1C\x00\x00\xFD"s},
                      CasoOrden{"TS2000", 87, "", "TX;", "RX;"},
                      CasoOrden{"THD74", 141, "", "TX\r", "RX\r"},
                      CasoOrden{"OmniVII", 98, "", "*T\x04\x00\r"s, "*T\x00\x00\r"s},
                      CasoOrden{"Anytone", 140, "", "\x41\x01\x00\x00\x00\x00\x00\x06"s,
                                "\x41\x00\x00\x00\x00\x00\x00\x06"s},
                      // Models without a command: a text radio and a byte-frame one.
                      CasoOrden{"R5000", 88, "", "", ""}, CasoOrden{"VR5000", 100, "", "", ""}),
    [](const auto& info) { return std::get<0>(info.param); });

// A radio that takes nothing for a while (its port's buffer full): keying
// does not wait for it, and every command reaches it later, in the order
// given, even across a close and reopen of the port.
TEST(KeyingStory, StalledPortGetsEveryCommandLaterInOrder)
{
    Pty pty;
    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = 87; // TS-2000: "TX;" / "RX;"
    ajustes.catPort = pty.esclavo();
    Registro registro;
    RecordingObserver observador(registro);
    QtSerialLine puerto;
    ControladorPTT ptt(ajustes, puerto, observador);
    ptt.AbrirPuertoRadio();
    ASSERT_TRUE(puerto.isOpen());

    const int otro = ::open(pty.esclavo().toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(otro, 0);
    const std::string bloque(4096, 'x');
    std::string relleno;
    // The kernel moves bytes between the pty's buffers behind our back: the
    // port is full only when a fill after a pause takes nothing more.
    for (bool tomo = true; tomo;) {
        tomo = false;
        for (ssize_t n; (n = ::write(otro, bloque.data(), bloque.size())) > 0; tomo = true)
            relleno.append(bloque, 0, static_cast<std::size_t>(n));
        if (tomo) ::usleep(20000);
    }
    ::close(otro);

    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    ptt.AbrirPuertoRadio(); // the PTT dialog closing
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    EXPECT_GT(puerto.Pendientes(), 0) << "the port took none of it yet";

    const std::string esperado = relleno + "TX;RX;TX;RX;";
    std::string recibido;
    EXPECT_TRUE(kolt::test::Esperar([&] {
        recibido += pty.leer(SIZE_MAX, 0);
        return recibido.size() >= esperado.size();
    }));
    EXPECT_EQ(recibido.size(), esperado.size());
    EXPECT_TRUE(recibido == esperado) << recibido.substr(relleno.size());
}

// The settings changed while the radio is keyed, and the PTT dialog
// closes: the unkey reaches the radio on the old port, not the new one.
TEST(KeyingStory, PortChangedWhileKeyedUnkeysTheOldPort)
{
    Pty viejo, nuevo;
    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = 52;
    ajustes.catPort = viejo.esclavo();
    Registro registro;
    RecordingObserver observador(registro);
    QtSerialLine puerto;
    ControladorPTT ptt(ajustes, puerto, observador);
    ptt.AbrirPuertoRadio();
    ptt.ActivarPTT();
    EXPECT_EQ(viejo.recibir(5), "\x00\x00\x00\x00\x08"s);

    ajustes.catPort = nuevo.esclavo();
    ajustes.rig = 87;
    ptt.AbrirPuertoRadio();
    EXPECT_EQ(viejo.recibir(5), "\x00\x00\x00\x00\x88"s);
    ptt.DesactivarPTT(); // the modem's late "PTT OFF"
    EXPECT_EQ(nuevo.recibir(3), "RX;");
}

TEST(QtSerialLine, RefusalsAreToldApart)
{
    Pty pty;
    QtSerialLine primero, segundo;
    EXPECT_EQ(primero.open(QStringLiteral("/dev/kolt-no-such-port"), "4800,n,8,1").error,
              OpenError::NotFound);
    EXPECT_EQ(primero.open(pty.esclavo(), "fast,n,8,1").error, OpenError::BadSettings);
    QTemporaryDir dir;
    QFile fichero(dir.filePath(QStringLiteral("not-a-tty")));
    ASSERT_TRUE(fichero.open(QIODevice::WriteOnly));
    EXPECT_FALSE(primero.open(fichero.fileName(), "4800,n,8,1").ok());
    EXPECT_FALSE(primero.isOpen());

    ASSERT_TRUE(primero.open(pty.esclavo(), "4800,n,8,2").ok());
    EXPECT_EQ(segundo.open(pty.esclavo(), "4800,n,8,2").error, OpenError::Busy);
    primero.close();
    EXPECT_FALSE(primero.write(QByteArrayLiteral("TX;"))) << "closed";
    EXPECT_TRUE(segundo.open(pty.esclavo(), "4800,n,8,2").ok()) << "freed on close";
}

TEST(PortName, ComNamesMapToTtySOthersOpenAsNamed)
{
    for (const auto& [nombre, dispositivo, mostrado] : {std::tuple{"COM1", "/dev/ttyS0", "COM1"},
                                                        {"COM12", "/dev/ttyS11", "COM12"},
                                                        {"com3", "/dev/ttyS2", "COM3"},
                                                        {"COM03", "/dev/ttyS2", "COM3"},
                                                        {"COM255", "/dev/ttyS254", "COM255"}}) {
        const PuertoRadio p = ResolverPuerto(QString::fromLatin1(nombre));
        EXPECT_EQ(p.dispositivo, dispositivo);
        EXPECT_EQ(p.nombre, mostrado);
    }
    for (const char* nombre : {"COM0", "COM256", "COM99999999999", "COM 3", "", "/dev/ttyUSB0"}) {
        const PuertoRadio p = ResolverPuerto(QString::fromLatin1(nombre));
        EXPECT_EQ(p.dispositivo, nombre);
        EXPECT_EQ(p.nombre, nombre);
    }
}

TEST(PortList, ComNamesThenStableNamesThenDevicesEachOnce)
{
    EXPECT_EQ(
        ComponerPuertos({QStringLiteral("/dev/serial/by-id/usb-A"), QStringLiteral("COM3")},
                        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-A"),
                         QString(), QStringLiteral("/dev/ttyACM0")}),
        PuertosCOM() << QStringLiteral("/dev/serial/by-id/usb-A") << QStringLiteral("/dev/ttyUSB0")
                     << QStringLiteral("/dev/ttyACM0"));
    ASSERT_EQ(PuertosCOM().size(), 16);
    EXPECT_EQ(PuertosCOM().last(), "COM16");

    const QStringList maquina = PuertosOfrecidos();
    EXPECT_EQ(maquina.mid(0, 16), PuertosCOM());
    for (const QString& extra : maquina.mid(16))
        EXPECT_TRUE(extra.startsWith(QLatin1String("/dev/"))) << extra.toStdString();
}

} // namespace
