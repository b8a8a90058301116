// What the modem makes of a command line, and of its own command line.

#include "ModemCommand.h"
#include "Options.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kolt::modem;
using namespace kolt::modemsim;

namespace {

TEST(Commands, ParseAsTheModemReadsThem)
{
    using K = ModemCommand::Kind;
    // line; kind, call, target, digipeaters, bandwidth
    const std::pair<const char*, ModemCommand> good[] = {
        {"MYCALL N0CALL-1", {K::MyCall, "N0CALL-1", {}, {}, 0}},
        {"mycall  n0call-t ", {K::MyCall, "N0CALL-T", {}, {}, 0}},
        {"chat on", {K::ChatOn, {}, {}, {}, 0}},
        {"BW500", {K::Bandwidth, {}, {}, {}, 500}},
        {"BW2300", {K::Bandwidth, {}, {}, {}, 2300}},
        {"bw2750", {K::Bandwidth, {}, {}, {}, 2750}},
        {"CONNECT N0CALL-1 N0CALL-2", {K::Connect, "N0CALL-1", "N0CALL-2", {}, 0}},
        {"CONNECT K1 K2 VIA K3", {K::Connect, "K1", "K2", {"K3"}, 0}},
        {"connect k1 k2 via k3 k4", {K::Connect, "K1", "K2", {"K3", "K4"}, 0}},
        {"abort", {K::Abort, {}, {}, {}, 0}},
    };
    for (const auto& [line, expected] : good)
        EXPECT_TRUE(ParseCommand(line) == expected) << line;
    for (const char* line :
         {"MYCALL", "MYCALL N0CALL-99", "MYCALL TOOLONGCALL", "MYCALL A B", "CHAT OFF", "BW1000",
          "BW500 X", "CONNECT K1", "CONNECT K1 K2 K3", "CONNECT K1 K2 VIA", "CONNECT K1 K2 OVER K3",
          "CONNECT K1 K2 VIA K3 K4 K5", "CONNECT K1 K2 VIA K3 K4-99", "CONNECT K1 BAD_CALL",
          "ABORT NOW", "\nABORT", "", "\xff\xfe\x01", "DISCONNECT"})
        EXPECT_EQ(ParseCommand(line).kind, K::Wrong) << '"' << line << '"';
}

ParsedOptions parse(const char* args, const QString& ini = QStringLiteral("/nonexistent/x.ini"))
{
    QStringList list = QString::fromLatin1(args).split(u' ', Qt::SkipEmptyParts);
    list.prepend(QStringLiteral("kolt-modem-sim"));
    return ParseOptions(list, ini);
}

TEST(Options, EveryOptionIsTaken)
{
    const ParsedOptions p =
        parse("--station N0CALL-1:8300:8100 --station n0call-3:65534 --robot N0CALL-2 "
              "--robot-echo-files --robot-delay-ms 5 --air-rate 0 --setup-ms 10 --max-chunk 7 "
              "--seed 42 --listen 127.0.0.2 --verbose");
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Run) << p.text.toStdString();
    const Options& o = p.options;
    EXPECT_EQ(o.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}},
                                              {"N0CALL-3", {65534, false, 0}}}));
    EXPECT_EQ(o.robots, QStringList{"N0CALL-2"});
    EXPECT_TRUE(o.robot.echoFiles);
    EXPECT_EQ(o.robot.replyDelayMs, 5);
    EXPECT_EQ(o.air.airRate, 0);
    EXPECT_EQ(o.air.setupMs, 10);
    EXPECT_EQ(o.air.maxChunk, 7);
    EXPECT_EQ(o.air.seed, 42u);
    EXPECT_EQ(o.listen, QHostAddress("127.0.0.2"));
    EXPECT_TRUE(o.verbose);

    const ParsedOptions help = parse("--help");
    ASSERT_EQ(help.outcome, ParsedOptions::Outcome::Help);
    for (const QString& name :
         QStringLiteral("--station --robot --robot-echo-files --robot-delay-ms "
                        "--air-rate --setup-ms --max-chunk --seed --listen "
                        "--verbose")
             .split(u' '))
        EXPECT_TRUE(help.text.contains(name)) << name.toStdString();
}

TEST(Options, WithoutArgumentsOrFileTheChatDefaults)
{
    const ParsedOptions p = parse("");
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Run);
    EXPECT_EQ(p.options.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}}}));
    EXPECT_EQ(p.options.robots, QStringList{"N0CALL-2"});
    EXPECT_GT(p.options.air.airRate, 0) << "a demo needs a visible pace";
    EXPECT_FALSE(p.options.verbose);
    EXPECT_TRUE(parse("--station N0CALL-1:8300").options.robots.isEmpty());
}

TEST(Options, BadOnesAreRefusedWithAReason)
{
    for (const char* args :
         {"--air-rate -1", "--air-rate fast", "--setup-ms 999999999", "--seed 4294967296",
          "--max-chunk", "--robot N0CALL-99", "--listen nowhere", "--station N0CALL-1",
          "--station N0CALL-1:65535", "--station N0CALL-1:-1", "--station N0CALL-1:8300:65536",
          "--station :8300", "--station N0CALL-99:8300", "--station N0CALL-1:83x0",
          "--station N0CALL-1:1:2:3", "--frobnicate", "stray",
          "--station N0CALL-1:8300 --robot n0call-1",
          "--station N0CALL-1:8300 --station N0CALL-1:8400"}) {
        const ParsedOptions p = parse(args);
        EXPECT_EQ(p.outcome, ParsedOptions::Outcome::Error) << args;
        EXPECT_FALSE(p.text.isEmpty()) << args;
    }
}

// The ini text, and the station a host configured by it expects.
class IniDefaults : public ::testing::TestWithParam<std::pair<const char*, StationSpec>> {};

TEST_P(IniDefaults, TheHostsPortsAreServed)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("KOLT Chat.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(GetParam().first);
    f.close();
    EXPECT_EQ(StationFromIni(f.fileName()), GetParam().second) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniDefaults,
    ::testing::Values(
        std::pair("[Setup]\r\nKOLT Mode=KOLTHF\r\nHF TCP Port=8500\r\nFM TCP Port=8600\r\n"
                  "KISS TCP Port=8101\r\nMy Callsign=ab1cd-3\r\n",
                  StationSpec{"AB1CD-3", {8500, true, 8101}}),
        std::pair("[setup]\nkolt mode=KOLTFM1200\nHF TCP Port=8500\nFM TCP Port=8600\n",
                  StationSpec{"N0CALL-1", {8600, true, 8100}}),
        std::pair("[Setup]\nKOLT Mode=KOLTSAT\nSAT TCP Port=8700\n",
                  StationSpec{"N0CALL-1", {8700, true, 8100}}),
        std::pair("[Setup]\nHF TCP Port=8500\nFM TCP Port=8600\n", // no mode is HF
                  StationSpec{"N0CALL-1", {8500, true, 8100}}),
        std::pair("[Setup]\nHF TCP Port=abc\nKISS TCP Port=70000\nMy Callsign=TOOLONGCALL\n",
                  StationSpec{"N0CALL-1", {8300, true, 8100}}),
        std::pair("[Setup]\nHF TCP Port=65535\n", StationSpec{"N0CALL-1", {8300, true, 8100}}),
        std::pair("[PTT]\nHF TCP Port=8500\n", StationSpec{"N0CALL-1", {8300, true, 8100}})));

} // namespace
