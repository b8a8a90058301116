// The parsers of the modem programs (stream splitters and command lines,
// shared with kolt-modem-agw: tested here once) and of the simulator's own
// options and data frames. Each stream is replayed whole, byte by byte and
// cut at every offset: the events must not depend on how TCP cut it.

#include "DataFrames.h"
#include "KissSplitter.h"
#include "LineSplitter.h"
#include "ModemCommand.h"
#include "Options.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kolt::modem;
using namespace kolt::modemsim;

namespace {

// Feeds `chunks` to a fresh `Parser` and gathers what it hands back.
template <typename Parser> auto run(const QList<QByteArray>& chunks)
{
    Parser parser;
    decltype(parser.feed(QByteArray())) events;
    for (const QByteArray& c : chunks)
        events += parser.feed(c);
    return events;
}

// The events of `stream` fed whole, then the same byte by byte and cut in two
// at each offset.
template <typename Parser> auto expectSameAtEveryCut(const QByteArray& stream)
{
    const auto whole = run<Parser>({stream});
    QList<QByteArray> bytes;
    for (char c : stream)
        bytes.append(QByteArray(1, c));
    EXPECT_EQ(run<Parser>(bytes), whole) << "byte by byte";
    for (qsizetype cut = 1; cut < stream.size(); ++cut)
        EXPECT_EQ(run<Parser>({stream.left(cut), stream.mid(cut)}), whole) << "cut at " << cut;
    return whole;
}

LineEvent line(const QByteArray& text)
{
    return {LineEvent::Kind::Line, text};
}
const LineEvent kOversize{LineEvent::Kind::Oversize, {}};

TEST(LineSplitter, LinesAtEveryCutAndOversizeLinesReportedOnceAndSkipped)
{
    EXPECT_EQ(expectSameAtEveryCut<LineSplitter>(
                  "MYCALL N0CALL-1\rCHAT ON\nBW2300\r\n\r\rABORT\rpartial"),
              (QList<LineEvent>{line("MYCALL N0CALL-1"), line("CHAT ON"), line("BW2300"),
                                line("ABORT")}));
    const QByteArray longest(LineSplitter::kMaxLine - 1, 'A');
    EXPECT_EQ(run<LineSplitter>({longest + "\rOK\r"}),
              (QList<LineEvent>{line(longest), line("OK")}));
    EXPECT_EQ(run<LineSplitter>({longest + "A\r\nOK\r"}),
              (QList<LineEvent>{kOversize, line("OK")}));
    QList<QByteArray> chunks(20, QByteArray(10000, 'x')); // 200,000 bytes, no CR
    chunks.append("tail of the same line\rABORT\r");
    EXPECT_EQ(run<LineSplitter>(chunks), (QList<LineEvent>{kOversize, line("ABORT")}));

    LineSplitter s;
    s.feed("MYCA");
    s.reset();
    EXPECT_EQ(s.feed("ABORT\r"), QList<LineEvent>{line("ABORT")}) << "reset forgets a partial line";
}

TEST(KissSplitter, FramesComeOutWholeUnchangedAndAnOversizeOneIsDropped)
{
    // Garbage before the first FEND, a shared FEND, a doubled FEND, escapes.
    const QByteArray f1 = QByteArray::fromHex("c000aabbdbdcc0");
    const QByteArray f2 = QByteArray::fromHex("c001dbdd11c0");
    EXPECT_EQ(expectSameAtEveryCut<KissSplitter>(QByteArray::fromHex("6e6f697365") + f1 +
                                                 f2.mid(1) + QByteArray::fromHex("c0c0") + f2 +
                                                 QByteArray::fromHex("c00102")),
              (QList<QByteArray>{f1, f2, f2}));
    const QByteArray big = '\xC0' + QByteArray(KissSplitter::kMaxFrame + 1, 'z') + '\xC0';
    const QByteArray largest = '\xC0' + QByteArray(KissSplitter::kMaxFrame, 'y') + '\xC0';
    EXPECT_EQ(run<KissSplitter>({big, largest}), QList<QByteArray>{largest});
}

TEST(FrameReader, FramesBackToBackCutAnywhere)
{
    const QByteArray file("\x00\x01\xC0\xFF"
                          "5 abc",
                          9);
    const QList<DataFrame> got =
        expectSameAtEveryCut<FrameReader>(BuildFrame(Marker::Chat, "hello") + "0 " + "007$1234567" +
                                          BuildFrame(Marker::CompressedFile, file));
    EXPECT_EQ(got, (QList<DataFrame>{{Marker::Chat, "5 ", "hello"},
                                     {Marker::Chat, "0 ", ""},
                                     {Marker::PlainFile, "007$", "1234567"},
                                     {Marker::CompressedFile, "9#", file}}));
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(got[2].bytes(), "007$1234567") << "a header with leading zeros is kept as it came";
}

TEST(FrameReader, FailsAndStaysFailedUntilReset)
{
    for (const auto& [stream, before] :
         {std::pair{"x5 hello", 0}, {"1001 ", 0}, {"99999999999999999999 ", 0}, {"2 hi?", 1}}) {
        FrameReader r(1000);
        EXPECT_EQ(r.feed(stream).size(), before) << stream;
        EXPECT_TRUE(r.failed()) << stream;
        EXPECT_TRUE(r.feed("5 hello").isEmpty());
        r.reset();
        EXPECT_EQ(r.feed("5 hello").size(), 1);
    }
}

TEST(Commands, ParseAsTheModemReadsThem)
{
    using K = ModemCommand::Kind;
    // line; kind, call, target, digipeaters, bandwidth
    const std::pair<const char*, ModemCommand> good[] = {
        {"mycall  n0call-t ", {K::MyCall, "N0CALL-T", {}, {}, 0}},
        {"chat on", {K::ChatOn, {}, {}, {}, 0}},
        {"bw2750", {K::Bandwidth, {}, {}, {}, 2750}},
        {"CONNECT N0CALL-1 N0CALL-2", {K::Connect, "N0CALL-1", "N0CALL-2", {}, 0}},
        {"connect k1 k2 via k3 k4", {K::Connect, "K1", "K2", {"K3", "K4"}, 0}},
        {"abort", {K::Abort, {}, {}, {}, 0}},
    };
    for (const auto& [line, expected] : good)
        EXPECT_TRUE(ParseCommand(line) == expected) << line;
    for (const char* line : {"MYCALL N0CALL-99", "MYCALL A B", "CHAT OFF", "BW1000", "CONNECT K1",
                             "CONNECT K1 K2 OVER K3", "CONNECT K1 K2 VIA",
                             "CONNECT K1 K2 VIA K3 K4 K5", "ABORT NOW", "", "DISCONNECT"})
        EXPECT_EQ(ParseCommand(line).kind, K::Wrong) << '"' << line << '"';
}

ParsedOptions parse(const char* args, const QString& ini = QStringLiteral("/nonexistent/x.ini"))
{
    QStringList list = QString::fromLatin1(args).split(u' ', Qt::SkipEmptyParts);
    list.prepend(QStringLiteral("kolt-modem-sim"));
    return ParseOptions(list, ini);
}

// One option of each kind (numeric, call, flag, address, station); none
// gives the chat's defaults.
TEST(Options, TakenOrRefusedWithAReason)
{
    const ParsedOptions p = parse("--station N0CALL-1:8300:8100 --station n0call-3:65534 "
                                  "--robot N0CALL-2 --robot-echo-files --seed 4294967295 "
                                  "--listen 127.0.0.2");
    ASSERT_EQ(p.outcome, ParsedOptions::Outcome::Run) << p.text.toStdString();
    const Options& o = p.options;
    EXPECT_EQ(o.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}},
                                              {"N0CALL-3", {65534, false, 0}}}));
    EXPECT_EQ(o.robots, QStringList{"N0CALL-2"});
    EXPECT_TRUE(o.robot.echoFiles);
    EXPECT_EQ(o.air.seed, 4294967295u);
    EXPECT_EQ(o.listen, QHostAddress("127.0.0.2"));
    const ParsedOptions none = parse("");
    EXPECT_EQ(none.options.stations, (QList<StationSpec>{{"N0CALL-1", {8300, true, 8100}}}));
    EXPECT_EQ(none.options.robots, QStringList{"N0CALL-2"});
    EXPECT_TRUE(parse("--station N0CALL-1:8300").options.robots.isEmpty());
    EXPECT_EQ(parse("--help").outcome, ParsedOptions::Outcome::Help);

    for (const char* args :
         {"--air-rate -1", "--seed 4294967296", "--robot N0CALL-99", "--listen nowhere",
          "--station N0CALL-1", "--station N0CALL-1:65535", "--station N0CALL-1:8300:65536",
          "--frobnicate", "--station N0CALL-1:8300 --robot n0call-1"}) {
        const ParsedOptions bad = parse(args);
        EXPECT_EQ(bad.outcome, ParsedOptions::Outcome::Error) << args;
        EXPECT_FALSE(bad.text.isEmpty()) << args;
    }
}

// A "KOLT Chat.ini" beside the program: the station its host expects.
TEST(Options, TheStationServesThePortsOfTheHostsIni)
{
    const std::pair<const char*, StationSpec> rows[] = {
        {"[Setup]\r\nKOLT Mode=KOLTHF\r\nHF TCP Port=8500\r\nFM TCP Port=8600\r\n"
         "KISS TCP Port=8101\r\nMy Callsign=ab1cd-3\r\n",
         {"AB1CD-3", {8500, true, 8101}}},
        {"[setup]\nkolt mode=KOLTFM1200\nHF TCP Port=8500\nFM TCP Port=8600\n",
         {"N0CALL-1", {8600, true, 8100}}},
        {"[Setup]\nKOLT Mode=KOLTSAT\nSAT TCP Port=8700\n", {"N0CALL-1", {8700, true, 8100}}},
        {"[Setup]\nHF TCP Port=65535\nKISS TCP Port=70000\nMy Callsign=TOOLONGCALL\n",
         {"N0CALL-1", {8300, true, 8100}}},
        {"[PTT]\nHF TCP Port=8500\n", {"N0CALL-1", {8300, true, 8100}}}};
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("KOLT Chat.ini")));
    for (const auto& [ini, expected] : rows) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
        f.close();
        EXPECT_EQ(StationFromIni(f.fileName()), expected) << ini;
    }
}

} // namespace
