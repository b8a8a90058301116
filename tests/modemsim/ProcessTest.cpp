// The real executable. Started with no arguments beside a "KOLT Chat.ini",
// as the chat starts it, it is tested in tests/config/DialogoSetupTest.

#include "support/Esperar.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using kolt::test::Esperar;

namespace {

const QString kProgram = QStringLiteral(KOLT_PROGRAM_DIR "/kolt-modem-sim");

TEST(Process, AnnouncesItsPortsServesAndTellsEachEvent)
{
    QProcess modem;
    QString out;
    QObject::connect(&modem, &QProcess::readyReadStandardOutput,
                     [&] { out += QString::fromLocal8Bit(modem.readAllStandardOutput()); });
    modem.start(kProgram, {"--station", "N0CALL-1:0:0", "--verbose"});
    const QRegularExpression announce(
        QStringLiteral("^station N0CALL-1 command (\\d+) data (\\d+) KISS (\\d+)$"),
        QRegularExpression::MultilineOption);
    QRegularExpressionMatch m;
    ASSERT_TRUE(Esperar([&] { return (m = announce.match(out)).hasMatch(); }, 10000))
        << out.toStdString();
    const quint16 command = m.captured(1).toUShort();
    EXPECT_EQ(m.captured(2).toUShort(), command + 1);

    QTcpSocket host;
    host.connectToHost(QStringLiteral("127.0.0.1"), command);
    host.write("ABORT\r");
    ASSERT_TRUE(Esperar([&] { return host.peek(100).contains("DISCONNECTED\r"); }));
    EXPECT_TRUE(Esperar([&] { return out.contains(QStringLiteral("N0CALL-1 -> ABORT")); }));
    modem.kill();
    modem.waitForFinished(10000);
}

TEST(Process, ExitsWithAReasonOnBadOptionsOrATakenPort)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost));
    for (const auto& [port, code, named] : {std::tuple{QStringLiteral("99999"), 2, "--station"},
                                            {QString::number(taken.serverPort()), 1, "N0CALL-1"}}) {
        QProcess process;
        process.start(kProgram, {"--station", "N0CALL-1:" + port});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), code);
        EXPECT_TRUE(process.readAllStandardError().contains(named)) << named;
    }
}

} // namespace
