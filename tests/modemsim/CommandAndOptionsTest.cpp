// What the modem makes of a command line, and of its own command line.

#include "ModemCommand.h"
#include "Options.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kolt::modemsim;
using Kind = ModemCommand::Kind;

namespace {

struct CommandCase {
    const char* line;
    Kind kind;
    const char* call = "";
    const char* target = "";
    QStringList digis = {};
    int bandwidth = 0;
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << '"' << c.line << '"';
}

class Commands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Commands, ParseAsTheModemReadsThem)
{
    const CommandCase& c = GetParam();
    const ModemCommand got = ParseCommand(c.line);
    EXPECT_EQ(got.kind, c.kind);
    if (c.kind == Kind::Wrong) return;
    EXPECT_EQ(got.call, QString::fromLatin1(c.call));
    EXPECT_EQ(got.target, QString::fromLatin1(c.target));
    EXPECT_EQ(got.digis, c.digis);
    EXPECT_EQ(got.bandwidthHz, c.bandwidth);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Commands,
    ::testing::Values(
        CommandCase{"MYCALL N0CALL-1", Kind::MyCall, "N0CALL-1"},
        CommandCase{"mycall n0call-t", Kind::MyCall, "N0CALL-T"},
        CommandCase{"MYCALL  N0CALL-1 ", Kind::MyCall, "N0CALL-1"},
        CommandCase{"MYCALL", Kind::Wrong}, CommandCase{"MYCALL N0CALL-99", Kind::Wrong},
        CommandCase{"MYCALL TOOLONGCALL", Kind::Wrong}, CommandCase{"MYCALL A B", Kind::Wrong},
        CommandCase{"CHAT ON", Kind::ChatOn}, CommandCase{"chat on", Kind::ChatOn},
        CommandCase{"CHAT OFF", Kind::Wrong}, CommandCase{"CHAT", Kind::Wrong},
        CommandCase{"BW500", Kind::Bandwidth, "", "", {}, 500},
        CommandCase{"BW2300", Kind::Bandwidth, "", "", {}, 2300},
        CommandCase{"bw2750", Kind::Bandwidth, "", "", {}, 2750},
        CommandCase{"BW1000", Kind::Wrong}, CommandCase{"BW500 X", Kind::Wrong},
        CommandCase{"CONNECT N0CALL-1 N0CALL-2", Kind::Connect, "N0CALL-1", "N0CALL-2"},
        CommandCase{"CONNECT K1 K2 VIA K3", Kind::Connect, "K1", "K2", {"K3"}},
        CommandCase{"connect k1 k2 via k3 k4", Kind::Connect, "K1", "K2", {"K3", "K4"}},
        CommandCase{"CONNECT K1", Kind::Wrong}, CommandCase{"CONNECT K1 K2 K3", Kind::Wrong},
        CommandCase{"CONNECT K1 K2 VIA", Kind::Wrong},
        CommandCase{"CONNECT K1 K2 OVER K3", Kind::Wrong},
        CommandCase{"CONNECT K1 K2 VIA K3 K4 K5", Kind::Wrong},
        CommandCase{"CONNECT K1 K2 VIA K3 K4-99", Kind::Wrong},
        CommandCase{"CONNECT K1 BAD_CALL", Kind::Wrong}, CommandCase{"ABORT", Kind::Abort},
        CommandCase{"abort", Kind::Abort}, CommandCase{"ABORT NOW", Kind::Wrong},
        CommandCase{"\nABORT", Kind::Wrong}, CommandCase{"", Kind::Wrong},
        CommandCase{"\xff\xfe\x01", Kind::Wrong}, CommandCase{"DISCONNECT", Kind::Wrong}));

struct SpecCase {
    const char* text;
    bool ok;
    const char* call = "";
    quint16 command = 0;
    bool kiss = false;
    quint16 kissPort = 0;
};

void PrintTo(const SpecCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class StationSpecs : public ::testing::TestWithParam<SpecCase> {};

TEST_P(StationSpecs, Parse)
{
    const SpecCase& c = GetParam();
    StationSpec spec;
    ASSERT_EQ(ParseStationSpec(c.text, spec), c.ok);
    if (!c.ok) return;
    EXPECT_EQ(spec, (StationSpec{c.call, {c.command, c.kiss, c.kissPort}}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, StationSpecs,
    ::testing::Values(SpecCase{"N0CALL-1:8300:8100", true, "N0CALL-1", 8300, true, 8100},
                      SpecCase{"n0call-1:8300", true, "N0CALL-1", 8300, false, 0},
                      SpecCase{"N0CALL-1:0:0", true, "N0CALL-1", 0, true, 0},
                      SpecCase{"N0CALL-1:65534", true, "N0CALL-1", 65534},
                      SpecCase{"N0CALL-1:65535", false}, SpecCase{"N0CALL-1:-1", false},
                      SpecCase{"N0CALL-1:8300:65536", false}, SpecCase{"N0CALL-1", false},
                      SpecCase{":8300", false}, SpecCase{"N0CALL-99:8300", false},
                      SpecCase{"N0CALL-1:83x0", false}, SpecCase{"N0CALL-1:1:2:3", false}));

ParsedOptions parse(QStringList args,
                    const QString& ini = QStringLiteral("/nonexistent/KOLT Chat.ini"))
{
    args.prepend(QStringLiteral("kolt-modem-sim"));
    return ParseOptions(args, ini);
}

TEST(Options, EveryOptionIsTaken)
{
    const ParsedOptions p = parse({"--station",
                                   "N0CALL-1:8300:8100",
                                   "--station",
                                   "N0CALL-3:8400",
                                   "--robot",
                                   "N0CALL-2",
                                   "--robot-echo-files",
                                   "--robot-delay-ms",
                                   "5",
                                   "--air-rate",
                                   "0",
                                   "--setup-ms",
                                   "10",
                                   "--max-chunk",
                                   "7",
                                   "--seed",
                                   "42",
                                   "--listen",
                                   "127.0.0.2",
                                   "--verbose"});
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Run) << p.text.toStdString();
    const Options& o = p.options;
    EXPECT_EQ(o.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}},
                                              {"N0CALL-3", {8400, false, 0}}}));
    EXPECT_EQ(o.robots, QStringList{"N0CALL-2"});
    EXPECT_TRUE(o.robot.echoFiles);
    EXPECT_EQ(o.robot.replyDelayMs, 5);
    EXPECT_EQ(o.air.airRate, 0);
    EXPECT_EQ(o.air.setupMs, 10);
    EXPECT_EQ(o.air.maxChunk, 7);
    EXPECT_EQ(o.air.seed, 42u);
    EXPECT_EQ(o.listen, QHostAddress("127.0.0.2"));
    EXPECT_TRUE(o.verbose);
}

TEST(Options, WithoutArgumentsOrFileTheChatDefaults)
{
    const ParsedOptions p = parse({});
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Run);
    EXPECT_EQ(p.options.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}}}));
    EXPECT_EQ(p.options.robots, QStringList{"N0CALL-2"});
    EXPECT_GT(p.options.air.airRate, 0) << "a demo needs a visible pace";
    EXPECT_FALSE(p.options.verbose);
}

TEST(Options, StationWithoutRobotHasNoRobot)
{
    EXPECT_TRUE(parse({"--station", "N0CALL-1:8300"}).options.robots.isEmpty());
}

class BadOptions : public ::testing::TestWithParam<QStringList> {};

TEST_P(BadOptions, AreRefusedWithAReason)
{
    const ParsedOptions p = parse(GetParam());
    EXPECT_EQ(p.outcome, ParsedOptions::Outcome::Error);
    EXPECT_FALSE(p.text.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadOptions,
    ::testing::Values(QStringList{"--air-rate", "-1"}, QStringList{"--air-rate", "fast"},
                      QStringList{"--setup-ms", "999999999"}, QStringList{"--seed", "4294967296"},
                      QStringList{"--max-chunk"}, QStringList{"--station", "N0CALL-1"},
                      QStringList{"--robot", "N0CALL-99"}, QStringList{"--listen", "nowhere"},
                      QStringList{"--frobnicate"}, QStringList{"stray"},
                      QStringList{"--station", "N0CALL-1:8300", "--robot", "n0call-1"},
                      QStringList{"--station", "N0CALL-1:8300", "--station", "N0CALL-1:8400"}));

TEST(Options, HelpNamesEveryOption)
{
    const ParsedOptions p = parse({"--help"});
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Help);
    for (const char* name :
         {"--station", "--robot", "--robot-echo-files", "--robot-delay-ms", "--air-rate",
          "--setup-ms", "--max-chunk", "--seed", "--listen", "--verbose"})
        EXPECT_TRUE(p.text.contains(QLatin1String(name))) << name;
}

struct IniCase {
    const char* name;
    const char* text;
    StationSpec expected;
};

class IniDefaults : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniDefaults, TheHostsPortsAreServed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("KOLT Chat.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(GetParam().text);
    f.close();
    EXPECT_EQ(StationFromIni(path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniDefaults,
    ::testing::Values(
        IniCase{"hf",
                "[Setup]\r\nKOLT Mode=KOLTHF\r\nHF TCP Port=8500\r\nFM TCP Port=8600\r\nKISS TCP "
                "Port=8101\r\n"
                "My Callsign=ab1cd-3\r\n",
                {"AB1CD-3", {8500, true, 8101}}},
        IniCase{"fm_any_other_mode",
                "[setup]\nkolt mode=KOLTFM1200\nHF TCP Port=8500\nFM TCP Port=8600\n",
                {"N0CALL-1", {8600, true, 8100}}},
        IniCase{"sat",
                "[Setup]\nKOLT Mode=KOLTSAT\nSAT TCP Port=8700\n",
                {"N0CALL-1", {8700, true, 8100}}},
        IniCase{"no_mode_is_hf",
                "[Setup]\nHF TCP Port=8500\nFM TCP Port=8600\n",
                {"N0CALL-1", {8500, true, 8100}}},
        IniCase{"unusable_values",
                "[Setup]\nHF TCP Port=abc\nKISS TCP Port=70000\nMy Callsign=TOOLONGCALL\n",
                {"N0CALL-1", {8300, true, 8100}}},
        IniCase{"port_65535_has_no_data_port",
                "[Setup]\nHF TCP Port=65535\n",
                {"N0CALL-1", {8300, true, 8100}}},
        IniCase{"other_section", "[PTT]\nHF TCP Port=8500\n", {"N0CALL-1", {8300, true, 8100}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
