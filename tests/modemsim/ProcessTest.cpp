// The real executable, started as the chat starts it.

#include "HostClient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kolt::modemsim::testing;

namespace {

const QString kProgram = QStringLiteral(KOLT_PROGRAM_DIR "/kolt-modem-sim");

struct Ports {
    quint16 command = 0, data = 0, kiss = 0;
};

// Runs the simulator and reads the ports it announces for each station.
class Modem {
public:
    explicit Modem(const QString& program, const QStringList& args)
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            out += QString::fromLocal8Bit(process.readAllStandardOutput());
        });
        process.start(program, args);
    }
    ~Modem()
    {
        process.kill();
        process.waitForFinished(kWaitMs);
    }

    // Waits for the line announcing `call` and reads its ports.
    bool ports(const QString& call, Ports& p)
    {
        static const QRegularExpression line(
            QStringLiteral("^station (\\S+) command (\\d+) data (\\d+)(?: KISS (\\d+))?$"),
            QRegularExpression::MultilineOption);
        return waitUntil([&] {
            for (auto it = line.globalMatch(out); it.hasNext();) {
                const auto m = it.next();
                if (m.captured(1) != call) continue;
                p = {m.captured(2).toUShort(), m.captured(3).toUShort(), m.captured(4).toUShort()};
                return true;
            }
            return false;
        });
    }

    QProcess process;
    QString out;
};

TEST(Process, LinksToTheRobotChatsAndDisconnects)
{
    Modem modem(kProgram, {"--station", "N0CALL-1:0:0", "--robot", "N0CALL-2", "--air-rate", "0",
                           "--setup-ms", "0", "--robot-delay-ms", "0", "--verbose"});
    Ports p;
    ASSERT_TRUE(modem.ports(QStringLiteral("N0CALL-1"), p)) << modem.out.toStdString();
    EXPECT_EQ(p.data, p.command + 1);
    EXPECT_NE(p.kiss, 0);
    HostClient h;
    ASSERT_TRUE(h.open(p.command, p.data, p.kiss));
    h.send("MYCALL N0CALL-1");
    h.send("CHAT ON");
    h.send("CONNECT N0CALL-1 N0CALL-2");
    ASSERT_TRUE(h.waitFor(QStringLiteral("CONNECTED N0CALL-1 N0CALL-2")));
    ASSERT_TRUE(waitUntil([&] { return h.received.contains("simulated station"); }));
    h.data.write("5 hello");
    ASSERT_TRUE(h.waitFor(QStringLiteral("BUFFER 0")));
    ASSERT_TRUE(waitUntil([&] { return h.received.endsWith("You wrote: \"hello\""); }))
        << h.received.toStdString();
    h.send("ABORT");
    ASSERT_TRUE(h.waitFor(QStringLiteral("DISCONNECTED")));
    EXPECT_EQ(h.answers(),
              (QStringList{"OK", "OK", "OK", "CONNECTED N0CALL-1 N0CALL-2", "OK", "DISCONNECTED"}));
    EXPECT_TRUE(waitUntil([&] { return modem.out.contains(QStringLiteral("N0CALL-1 -> ABORT")); }))
        << "--verbose tells each event";
}

TEST(Process, RefusesBadOptionsWithAReason)
{
    QProcess process;
    process.start(kProgram, {"--station", "N0CALL-1:99999"});
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("--station"));
}

TEST(Process, FailsCleanlyWhenAPortIsTaken)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    QProcess process;
    process.start(kProgram, {"--station", QStringLiteral("N0CALL-1:%1").arg(taken.serverPort())});
    ASSERT_TRUE(process.waitForFinished(kWaitMs));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("N0CALL-1"));
}

// Three free ports, the second right above the first.
bool freePorts(Ports& p)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTcpServer command, data, kiss;
        if (!command.listen(QHostAddress::LocalHost) || command.serverPort() == 65535) continue;
        if (!data.listen(QHostAddress::LocalHost, command.serverPort() + 1)) continue;
        if (!kiss.listen(QHostAddress::LocalHost)) continue;
        p = {command.serverPort(), data.serverPort(), kiss.serverPort()};
        return true;
    }
    return false;
}

TEST(Process, WithoutArgumentsServesThePortsOfTheIniBesideIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("kolt-modem-sim"));
    ASSERT_TRUE(QFile::copy(kProgram, program));
    // Ports are free when chosen, but another process may take one before the
    // simulator binds it: try again with new ones then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Ports want;
        ASSERT_TRUE(freePorts(want));
        QFile ini(dir.filePath(QStringLiteral("KOLT Chat.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(
            QStringLiteral("[Setup]\r\nFM TCP Port=%1\r\nKISS TCP Port=%2\r\nKOLT Mode=KOLTFM\r\n")
                .arg(want.command)
                .arg(want.kiss)
                .toLatin1());
        ini.close();

        Modem modem(program, {});
        Ports got;
        if (!modem.ports(QStringLiteral("N0CALL-1"), got)) continue;
        EXPECT_EQ(got.command, want.command);
        EXPECT_EQ(got.data, want.data);
        EXPECT_EQ(got.kiss, want.kiss);
        EXPECT_TRUE(
            waitUntil([&] { return modem.out.contains(QStringLiteral("robot N0CALL-2")); }));
        return;
    }
    FAIL() << "the simulator never started";
}

} // namespace
