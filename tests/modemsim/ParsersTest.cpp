// The parsers of the modem programs (stream splitters, command lines and the
// host's ini, shared with kolt-modem-agw: tested here once) and of the
// simulator's options and data frames; no event may depend on a TCP cut.

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

// The events of `stream` fed whole, checked against it cut in two at each offset.
template <typename Parser> auto expectSameAtEveryCut(const QByteArray& stream)
{
    const auto whole = run<Parser>({stream});
    for (qsizetype cut = 1; cut < stream.size(); ++cut)
        EXPECT_EQ(run<Parser>({stream.left(cut), stream.mid(cut)}), whole) << "cut at " << cut;
    return whole;
}

LineEvent line(const QByteArray& text)
{
    return {LineEvent::Kind::Line, text};
}

TEST(LineSplitter, LinesAtEveryCutAndOversizeLinesReportedOnceAndSkipped)
{
    EXPECT_EQ(expectSameAtEveryCut<LineSplitter>(
                  "MYCALL N0CALL-1\rCHAT ON\nBW2300\r\n\r\rABORT\rpartial"),
              (QList<LineEvent>{line("MYCALL N0CALL-1"), line("CHAT ON"), line("BW2300"),
                                line("ABORT")}));
    const QByteArray longest(LineSplitter::kMaxLine - 1, 'A');
    EXPECT_EQ(run<LineSplitter>({longest + "\rOK\r"}),
              (QList<LineEvent>{line(longest), line("OK")}));
    QList<QByteArray> chunks(20, QByteArray(10000, 'x')); // 200,000 bytes, no CR
    chunks.append("tail of the same line\rABORT\r");
    EXPECT_EQ(run<LineSplitter>(chunks),
              (QList<LineEvent>{{LineEvent::Kind::Oversize, {}}, line("ABORT")}));
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

TEST(FrameReader, FramesBackToBackCutAnywhereAndABadHeaderFailsUntilReset)
{
    const QByteArray file = QByteArray::fromHex("0001c0ff") + "5 abc";
    const QList<DataFrame> got =
        expectSameAtEveryCut<FrameReader>(BuildFrame(Marker::Chat, "hello") + "0 " + "007$1234567" +
                                          BuildFrame(Marker::CompressedFile, file));
    EXPECT_EQ(got, (QList<DataFrame>{{Marker::Chat, "5 ", "hello"},
                                     {Marker::Chat, "0 ", ""},
                                     {Marker::PlainFile, "007$", "1234567"},
                                     {Marker::CompressedFile, "9#", file}}));
    // A bad header fails the stream until a reset.
    for (const auto& [stream, before] : {std::pair{"x5 hello", 0}, {"1001 ", 0}, {"2 hi?", 1}}) {
        FrameReader r(1000);
        EXPECT_EQ(r.feed(stream).size(), before) << stream;
        EXPECT_TRUE(r.failed() && r.feed("5 hello").isEmpty()) << stream;
        r.reset();
        EXPECT_EQ(r.feed("5 hello").size(), 1);
    }
}

TEST(Commands, ParseAsTheModemReadsThem)
{
    using K = ModemCommand::Kind;
    EXPECT_TRUE(ParseCommand("mycall  n0call-t ") ==
                (ModemCommand{K::MyCall, "N0CALL-T", {}, {}, 0}));
    EXPECT_TRUE(ParseCommand("bw2750") == (ModemCommand{K::Bandwidth, {}, {}, {}, 2750}));
    EXPECT_TRUE(ParseCommand("connect k1 k2 via k3 k4") ==
                (ModemCommand{K::Connect, "K1", "K2", {"K3", "K4"}, 0}));
    for (const char* line : {"MYCALL N0CALL-99", "CHAT OFF", "BW1000", "CONNECT K1 K2 OVER K3",
                             "CONNECT K1 K2 VIA K3 K4 K5", "ABORT NOW", "DISCONNECT"})
        EXPECT_EQ(ParseCommand(line).kind, K::Wrong) << '"' << line << '"';
}

ParsedOptions parse(const char* args, const QString& ini = QStringLiteral("/nonexistent/x.ini"))
{
    QStringList list = QString::fromLatin1(args).split(u' ', Qt::SkipEmptyParts);
    return ParseOptions(QStringList{"kolt-modem-sim"} + list, ini);
}

// Without --station: the station of the "KOLT Chat.ini" beside the program
// (the ports its host expects), and the robot.
TEST(Options, WithoutStationsTheHostsIniAndTheRobotAStationOnlyIfValid)
{
    const std::pair<const char*, StationSpec> rows[] = {
        {"[Setup]\r\nKOLT Mode=KOLTHF\r\nHF TCP Port=8500\r\nFM TCP Port=8600\r\n"
         "KISS TCP Port=8101\r\nMy Callsign=ab1cd-3\r\n",
         {"AB1CD-3", {8500, true, 8101}}},
        {"[setup]\nkolt mode=KOLTFM1200\nHF TCP Port=8500\nFM TCP Port=8600\n",
         {"N0CALL-1", {8600, true, 8100}}},
        {"[Setup]\nKOLT Mode=KOLTSAT\nSAT TCP Port=8700\nMy Callsign=N0CALL-2\n",
         {"N0CALL-1", {8700, true, 8100}}}, // never the robot's call
        {"[Setup]\nHF TCP Port=65535\nKISS TCP Port=70000\nMy Callsign=TOOLONGCALL\n",
         {"N0CALL-1", {8300, true, 8100}}}};
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("KOLT Chat.ini")));
    for (const auto& [ini, expected] : rows) {
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ini);
        f.close();
        const Options o = parse("", f.fileName()).options;
        EXPECT_EQ(o.stations, QList<StationSpec>{expected}) << ini;
        EXPECT_EQ(o.robots, QStringList{"N0CALL-2"});
    }
    EXPECT_EQ(parse("--station N0CALL-1:65535").outcome, ParsedOptions::Outcome::Error);
    EXPECT_EQ(parse("--station n0call-3:8300:0").options.stations,
              (QList<StationSpec>{{"N0CALL-3", {8300, true, 0}}}));
}

} // namespace
