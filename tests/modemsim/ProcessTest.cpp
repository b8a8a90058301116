// The real executable. Started with no arguments beside a "KOLT Chat.ini",
// as the chat starts it, it is tested in tests/config/DialogoSetupTest.

#include "SimFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>

using namespace kolt::modemsim::testing;

namespace {

const QString kProgram = QStringLiteral(KOLT_PROGRAM_DIR "/kolt-modem-sim");

TEST(Process, AnnouncesItsPortsServesAndTellsEachEvent)
{
    QProcess modem;
    QString out;
    QObject::connect(&modem, &QProcess::readyReadStandardOutput,
                     [&] { out += QString::fromLocal8Bit(modem.readAllStandardOutput()); });
    modem.start(kProgram, {"--station", "N0CALL-1:0:0", "--robot", "N0CALL-2", "--air-rate", "0",
                           "--setup-ms", "0", "--robot-delay-ms", "0", "--verbose"});
    // The ports it picked, as it announces them.
    const QRegularExpression announce(
        QStringLiteral("^station N0CALL-1 command (\\d+) data (\\d+) KISS (\\d+)$"),
        QRegularExpression::MultilineOption);
    QRegularExpressionMatch m;
    ASSERT_TRUE(Esperar([&] { return (m = announce.match(out)).hasMatch(); }, kWaitMs))
        << out.toStdString();
    const quint16 command = m.captured(1).toUShort();
    EXPECT_EQ(m.captured(2).toUShort(), command + 1);

    // What a station does is StationTest's and RobotTest's: here, that it serves.
    HostClient h;
    ASSERT_TRUE(h.open(command, command + 1, m.captured(3).toUShort()));
    h.send("CONNECT N0CALL-1 N0CALL-2");
    ASSERT_TRUE(h.waitFor(QStringLiteral("CONNECTED N0CALL-1 N0CALL-2")));
    h.send("ABORT");
    ASSERT_TRUE(h.waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_TRUE(Esperar([&] { return out.contains(QStringLiteral("N0CALL-1 -> ABORT")); }))
        << "--verbose tells each event";
    modem.kill();
    modem.waitForFinished(kWaitMs);
}

TEST(Process, ExitsWithAReasonOnBadOptionsOrATakenPort)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    for (const auto& [port, code, named] : {std::tuple{QStringLiteral("99999"), 2, "--station"},
                                            {QString::number(taken.serverPort()), 1, "N0CALL-1"}}) {
        QProcess process;
        process.start(kProgram, {"--station", "N0CALL-1:" + port});
        ASSERT_TRUE(process.waitForFinished(kWaitMs));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), code);
        EXPECT_TRUE(process.readAllStandardError().contains(named)) << named;
    }
}

} // namespace
