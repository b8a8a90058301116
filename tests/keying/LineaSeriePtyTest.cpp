// The keying commands as they leave the program: through QSerialPort into
// one end of a pseudo-terminal pair, read back from the other end.

#include "keying/PuertoRadio.h"
#include "keying/ControladorPTT.h"
#include "keying/LineaSerieQt.h"

#include "LineaSerieGrabadora.h"
#include "support/Esperar.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

using namespace kolt::keying;
using namespace kolt::keying::test;
using namespace std::string_literals;

namespace {

// The program opens the slave as its radio port; the test reads the master.
struct Pty {
    Pty()
    {
        char nombre[256] = {};
        if (::openpty(&maestro, &fdEsclavo, nombre, nullptr, nullptr) != 0) return;
        ::fcntl(maestro, F_SETFL, ::fcntl(maestro, F_GETFL) | O_NONBLOCK);
        esclavo = QString::fromLocal8Bit(nombre);
    }
    ~Pty()
    {
        ::close(maestro);
        ::close(fdEsclavo); // held open so the pair lives between our opens
    }

    // What has arrived by now.
    std::string leer()
    {
        std::string recibido;
        char buffer[4096];
        for (ssize_t n; (n = ::read(maestro, buffer, sizeof buffer)) > 0;)
            recibido.append(buffer, static_cast<std::size_t>(n));
        return recibido;
    }

    int maestro = -1;
    int fdEsclavo = -1;
    QString esclavo;
};

// A radio that takes nothing for a while (its buffer full): keying does not
// wait, and every command reaches it later, in order, even after the port
// changed while keyed (the unkey goes to the old port in the old radio's
// words, the late "PTT OFF" to the new one). Refusals are told apart.
TEST(KeyingStory, StalledPortGetsEveryCommandInOrderAndAPortChangeUnkeysTheOldPort)
{
    Pty viejo, nuevo;
    kolt::config::Configuracion ajustes;
    ajustes.via = 1;
    ajustes.rig = 87; // TS-2000: "TX;" / "RX;"
    ajustes.catPort = viejo.esclavo;
    ajustes.rts = 1; // a pty has no modem lines: refused, and harmless
    Registro registro;
    RecordingObserver observador(registro);
    LineaSerieQt puerto, otro;
    ControladorPTT ptt(ajustes, puerto, observador);
    ptt.AbrirPuertoRadio();
    EXPECT_EQ(otro.open(viejo.esclavo, "4800,n,8,2").error, ErrorApertura::Busy);
    EXPECT_EQ(otro.open(QStringLiteral("/dev/kolt-no-such-port"), "4800,n,8,1").error,
              ErrorApertura::NotFound);
    EXPECT_EQ(otro.open(nuevo.esclavo, "fast,n,8,1").error, ErrorApertura::BadSettings);

    // More than a pty buffers, from a program that reads nothing yet.
    const std::string relleno(1 << 18, 'x');
    ASSERT_TRUE(puerto.write(QByteArray::fromStdString(relleno)));
    ptt.ActivarPTT();
    ptt.DesactivarPTT();
    ptt.ActivarPTT();
    EXPECT_GT(puerto.Pendientes(), 0) << "the port took none of it yet";
    ajustes.catPort = nuevo.esclavo;
    ajustes.rig = 52; // FT-897
    ptt.AbrirPuertoRadio();
    ptt.DesactivarPTT();

    const std::string esperado = relleno + "TX;RX;TX;RX;";
    std::string recibido, delNuevo;
    EXPECT_TRUE(kolt::test::Esperar([&] {
        recibido += viejo.leer();
        delNuevo += nuevo.leer();
        return recibido.size() >= esperado.size() && delNuevo.size() >= 5;
    }));
    EXPECT_TRUE(recibido == esperado) << recibido.substr(relleno.size());
    EXPECT_EQ(delNuevo, "\x00\x00\x00\x00\x88"s);
    puerto.close();
    EXPECT_FALSE(puerto.write(QByteArrayLiteral("TX;"))) << "closed";
    EXPECT_TRUE(otro.open(nuevo.esclavo, "4800,n,8,2").ok()) << "freed on close";
}

TEST(PortNames, ComNamesMapToTtySOthersOpenAsNamed)
{
    for (const auto& [nombre, dispositivo, mostrado] :
         {std::tuple("com3", "/dev/ttyS2", "COM3"), std::tuple("COM255", "/dev/ttyS254", "COM255"),
          std::tuple("COM0", "COM0", "COM0"), std::tuple("COM256", "COM256", "COM256"),
          std::tuple("COM99999999999", "COM99999999999", "COM99999999999")}) {
        const PuertoRadio p = ResolverPuerto(QString::fromLatin1(nombre));
        EXPECT_EQ(p.dispositivo, dispositivo);
        EXPECT_EQ(p.nombre, mostrado);
    }
    // The lists: COM names, then stable names, then devices, each once.
    EXPECT_EQ(
        ComponerPuertos({QStringLiteral("/dev/serial/by-id/usb-A"), QStringLiteral("COM3")},
                        {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/serial/by-id/usb-A"),
                         QString(), QStringLiteral("/dev/ttyACM0")}),
        PuertosCOM() << QStringLiteral("/dev/serial/by-id/usb-A") << QStringLiteral("/dev/ttyUSB0")
                     << QStringLiteral("/dev/ttyACM0"));
}

} // namespace
