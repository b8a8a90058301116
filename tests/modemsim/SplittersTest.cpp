// The simulator's stream parsers, each replayed whole, byte by byte and cut
// at every offset: the events must not depend on how TCP cut the stream.

#include "DataFrames.h"
#include "KissSplitter.h"
#include "LineSplitter.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kolt::modemsim;

namespace {

// Every way of cutting `stream` into at most three pieces worth trying: whole,
// one byte at a time, and at each single offset.
template <typename Event>
void expectSameAtEveryCut(const QByteArray& stream,
                          const std::function<QList<Event>(const QList<QByteArray>&)>& run)
{
    const QList<Event> whole = run({stream});
    QList<QByteArray> bytes;
    for (char c : stream)
        bytes.append(QByteArray(1, c));
    EXPECT_EQ(run(bytes), whole) << "byte by byte";
    for (qsizetype cut = 1; cut < stream.size(); ++cut)
        EXPECT_EQ(run({stream.left(cut), stream.mid(cut)}), whole) << "cut at " << cut;
}

QList<LineEvent> lines(const QList<QByteArray>& chunks)
{
    LineSplitter s;
    QList<LineEvent> out;
    for (const QByteArray& c : chunks)
        out += s.feed(c);
    return out;
}

LineEvent line(const char* text)
{
    return {LineEvent::Kind::Line, text};
}
const LineEvent kOversize{LineEvent::Kind::Oversize, {}};

TEST(LineSplitter, CrLfAndCrLfAllEndOneLineAndBlankLinesVanish)
{
    const QByteArray stream = "MYCALL N0CALL-1\rCHAT ON\nBW2300\r\n\r\rABORT\rpartial";
    const QList<LineEvent> expected{line("MYCALL N0CALL-1"), line("CHAT ON"), line("BW2300"),
                                    line("ABORT")};
    EXPECT_EQ(lines({stream}), expected);
    expectSameAtEveryCut<LineEvent>(stream, lines);
}

TEST(LineSplitter, LongestLineIsKeptOneMoreByteIsOversize)
{
    const QByteArray longest(LineSplitter::kMaxLine - 1, 'A');
    EXPECT_EQ(lines({longest + "\rOK\r"}),
              (QList<LineEvent>{{LineEvent::Kind::Line, longest}, line("OK")}));
    EXPECT_EQ(lines({longest + "A\rOK\r"}), (QList<LineEvent>{kOversize, line("OK")}));
}

TEST(LineSplitter, OversizeIsReportedOnceAndTheRestOfTheLineSkipped)
{
    LineSplitter s;
    const QByteArray block(10000, 'x');
    QList<LineEvent> events;
    for (int i = 0; i < 20; ++i)
        events += s.feed(block); // 200,000 bytes, no CR
    events += s.feed("tail of the same line\rABORT\r");
    EXPECT_EQ(events, (QList<LineEvent>{kOversize, line("ABORT")}));
}

TEST(LineSplitter, ResetForgetsAPartialLine)
{
    LineSplitter s;
    s.feed("MYCA");
    s.reset();
    EXPECT_EQ(s.feed("ABORT\r"), QList<LineEvent>{line("ABORT")});
}

QList<QByteArray> kiss(const QList<QByteArray>& chunks)
{
    KissSplitter s;
    QList<QByteArray> out;
    for (const QByteArray& c : chunks)
        out += s.feed(c);
    return out;
}

TEST(KissSplitter, FramesComeOutWholeWithTheirBytesUnchanged)
{
    // Garbage before the first FEND, a shared FEND, a doubled FEND, escapes.
    const QByteArray f1 = QByteArray::fromHex("c000aabbdbdcc0");
    const QByteArray f2 = QByteArray::fromHex("c001dbdd11c0");
    const QByteArray stream = QByteArray::fromHex("6e6f697365") + f1 + f2.mid(1) +
                              QByteArray::fromHex("c0c0") + f2 + QByteArray::fromHex("c00102");
    const QList<QByteArray> expected{f1, f2, f2};
    EXPECT_EQ(kiss({stream}), expected);
    expectSameAtEveryCut<QByteArray>(stream, kiss);
}

TEST(KissSplitter, AnOversizeFrameIsDroppedAndTheNextOneKept)
{
    KissSplitter s;
    const QByteArray big = '\xC0' + QByteArray(KissSplitter::kMaxFrame + 1, 'z') + '\xC0';
    const QByteArray next = QByteArray::fromHex("c000414243c0");
    QList<QByteArray> out = s.feed(big);
    out += s.feed(next);
    EXPECT_EQ(out, QList<QByteArray>{next});
    EXPECT_EQ(s.oversized(), 1);

    const QByteArray largest = '\xC0' + QByteArray(KissSplitter::kMaxFrame, 'y') + '\xC0';
    EXPECT_EQ(s.feed(largest), QList<QByteArray>{largest});
}

QList<DataFrame> frames(const QList<QByteArray>& chunks)
{
    FrameReader r;
    QList<DataFrame> out;
    for (const QByteArray& c : chunks)
        out += r.feed(c);
    return out;
}

DataFrame frame(Marker m, const char* header, const QByteArray& payload)
{
    return {m, header, payload};
}

TEST(FrameReader, FramesBackToBackCutAnywhere)
{
    const QByteArray file("\x00\x01\xC0\xFF"
                          "5 abc",
                          9);
    const QByteArray stream = BuildFrame(Marker::Chat, "hello") + "0 " + "007$" +
                              QByteArray("1234567") + BuildFrame(Marker::CompressedFile, file);
    const QList<DataFrame> expected{
        frame(Marker::Chat, "5 ", "hello"), frame(Marker::Chat, "0 ", ""),
        frame(Marker::PlainFile, "007$", "1234567"), frame(Marker::CompressedFile, "9#", file)};
    EXPECT_EQ(frames({stream}), expected);
    EXPECT_EQ(expected[2].bytes(), "007$1234567")
        << "a header with leading zeros is kept as it came";
    expectSameAtEveryCut<DataFrame>(stream, frames);
}

struct Broken {
    const char* name;
    QByteArray stream;
    int framesBefore;
};

void PrintTo(const Broken& b, std::ostream* os)
{
    *os << b.name;
}

class FrameReaderFails : public ::testing::TestWithParam<Broken> {};

TEST_P(FrameReaderFails, AndStaysFailedUntilReset)
{
    FrameReader r(1000);
    EXPECT_EQ(r.feed(GetParam().stream).size(), GetParam().framesBefore);
    EXPECT_TRUE(r.failed());
    EXPECT_TRUE(r.feed("5 hello").isEmpty());
    r.reset();
    EXPECT_EQ(r.feed("5 hello").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Streams, FrameReaderFails,
                         ::testing::Values(Broken{"letter", "x5 hello", 0},
                                           Broken{"marker_first", " 5hello", 0},
                                           Broken{"sign", "-5 hello", 0},
                                           Broken{"over_limit", "1001 ", 0},
                                           Broken{"huge_length", "99999999999999999999 ", 0},
                                           Broken{"after_a_good_frame", "2 hi?", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
