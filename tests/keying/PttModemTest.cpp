// The radio keyed by the stand-in modem's own reports. A station linked to
// a robot sends a chat frame; the modem keys it with "PTT ON", unkeys it
// with "PTT OFF", and the radio follows: CAT bytes through a real serial
// port on a pty, or the RTS/DTR lines on the recording double. A modem
// that dies, or ends the link, in the middle of a transmission must not
// leave the transmitter on.

#include "keying/SerialLine.h"
#include "link/Estacion.h"

#include "Esperar.h"
#include "OperadorGuion.h"
#include "Pty.h"
#include "QtImprimir.h"
#include "RecordingSerialLine.h"
#include "Simulator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace kolt;
using namespace kolt::keying::test;
using namespace std::string_literals;
using test::Esperar;
using ::testing::ElementsAre;

namespace {

const std::string kFT897On = "\x00\x00\x00\x00\x08"s;
const std::string kFT897Off = "\x00\x00\x00\x00\x88"s;

class PttConModem : public ::testing::Test {
protected:
    // Starts the stand-in modem (our station N0CALL-1 and the robot N0CALL-2,
    // the default target) at an air rate that keeps a 20000-byte frame on
    // the air for over a minute, then the station with the [PTT] keys `ptt`
    // on `puerto` (null: a real serial port), and links it to the robot. The
    // socket check is slowed right down, so only socket events can act.
    void Enlazar(const QString& ptt, keying::SerialLine* puerto)
    {
        modemsim::Options o;
        o.stations = {{QStringLiteral("N0CALL-1"), {}}};
        o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 10;
        o.air.airRate = 200;
        o.air.setupMs = 10;
        m_modem = std::make_unique<modemsim::Simulator>(o);
        QString error;
        ASSERT_TRUE(m_modem->start(&error)) << error.toStdString();

        ASSERT_TRUE(m_dir.isValid());
        QFile ini(QDir(m_dir.path()).filePath(QStringLiteral("KOLT Chat.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        const quint16 p = m_modem->station(QStringLiteral("N0CALL-1"))->commandPort();
        ini.write(QStringLiteral("[PTT]\r\n%1[Setup]\r\nHF TCP Port=%2\r\nAutoLaunch=0\r\n"
                                 "Save Log=0\r\n")
                      .arg(ptt)
                      .arg(p)
                      .toLatin1());
        ini.close();

        link::Estacion::Entorno e;
        e.carpetaPrograma = e.carpetaAjustes = e.escritorio = m_dir.path();
        e.operador = &m_operador;
        e.puertoRadio = puerto;
        e.intervaloComprobacionMs = 60000;
        m_estacion = std::make_unique<link::Estacion>(e);
        ASSERT_EQ(m_estacion->Iniciar(), link::Estacion::Arranque::Listo);
        ASSERT_TRUE(Esperar([&] { return m_estacion->SocketsArriba(); }));
        m_estacion->Conectar();
        ASSERT_TRUE(Esperar([&] { return m_estacion->enlace().enlazado; }));
    }

    // One chat frame of `n` bytes, written on the data port as the chat does.
    void Transmitir(int n)
    {
        m_estacion->socketDatos().write(QByteArray::number(n) + ' ' + QByteArray(n, 'k'));
    }

    // What reaches the radio through the pty, with the event loop running.
    std::string LeerRadio(Pty& pty, std::size_t cuantos)
    {
        std::string recibido;
        Esperar([&] { return (recibido += pty.leer(SIZE_MAX, 0)).size() >= cuantos; });
        return recibido;
    }

    // The "PTT" panel as text, picture and tool-tip.
    QString PanelPTT() const
    {
        const link::EstadoPanel p = m_estacion->modelo().panel(link::Panel::PTT);
        return p.texto + QLatin1Char('/') + p.imagen + QLatin1Char('/') + p.tooltip;
    }

    QTemporaryDir m_dir;
    test::OperadorGuion m_operador;
    std::unique_ptr<modemsim::Simulator> m_modem;
    std::unique_ptr<link::Estacion> m_estacion;
};

TEST_F(PttConModem, CatCommandsFollowTheModemAndItsDeathUnkeys)
{
    Pty pty;
    ASSERT_FALSE(pty.esclavo().isEmpty());
    ASSERT_NO_FATAL_FAILURE(
        Enlazar(QStringLiteral("Via=1\r\nRig=52\r\nBaud=4800\r\nCATPort=%1\r\n").arg(pty.esclavo()),
                nullptr));
    EXPECT_EQ(LeerRadio(pty, 5), kFT897Off) << "the radio starts in receive";
    EXPECT_TRUE(m_operador.avisos.empty());

    Transmitir(5);
    EXPECT_EQ(LeerRadio(pty, 10), kFT897On + kFT897Off);
    EXPECT_EQ(PanelPTT(), QStringLiteral("RX/LedVerde/PTT OFF"));
    test::Dejar(200);
    EXPECT_EQ(pty.leer(SIZE_MAX, 0), "") << "the robot's answer keys its own transmitter";

    Transmitir(20000);
    ASSERT_EQ(LeerRadio(pty, 5), kFT897On);
    EXPECT_EQ(PanelPTT(), QStringLiteral("TX/LedRojo/PTT ON"));
    m_modem.reset(); // its sockets go away; no "PTT OFF" will ever come
    EXPECT_EQ(LeerRadio(pty, 5), kFT897Off);
    EXPECT_EQ(PanelPTT(), QStringLiteral("RX/LedVerde/PTT OFF"));
    test::Dejar(100);
    EXPECT_EQ(pty.leer(SIZE_MAX, 0), "") << "unkeyed once";
}

TEST_F(PttConModem, LinesFollowTheModemAndDisconnectedWhileKeyedUnkeysFirst)
{
    Registro registro;
    RecordingSerialLine linea(registro);
    ASSERT_NO_FATAL_FAILURE(Enlazar(QStringLiteral("Via=2\r\nPin=1\r\nPTTPort=COM4\r\n"), &linea));
    ASSERT_THAT(registro,
                ElementsAre("open /dev/ttyS3 4800,N,8,1", "rts 0", "dtr 0", "rts 0", "dtr 0"))
        << "opened with both lines off, then the start-up unkey";
    Transmitir(20000);
    ASSERT_TRUE(Esperar([&] { return registro.back() == "rts 1"; }));

    // The modem reports "DISCONNECTED" before its "PTT OFF": at the moment
    // the link ends the radio must already be in receive.
    Registro alTerminar;
    QString panelAlTerminar;
    QObject::connect(m_estacion.get(), &link::Estacion::enlaceTerminado, [&] {
        alTerminar = registro;
        panelAlTerminar = PanelPTT();
    });
    m_estacion->Abortar();
    ASSERT_TRUE(Esperar([&] { return !alTerminar.empty(); }));
    EXPECT_THAT(Registro(alTerminar.begin() + 5, alTerminar.end()),
                ElementsAre("rts 1", "rts 0", "dtr 0"));
    EXPECT_EQ(panelAlTerminar, QStringLiteral("RX/LedVerde/PTT OFF"));
}

} // namespace
