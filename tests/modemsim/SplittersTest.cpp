// The simulator's stream parsers, each replayed whole, byte by byte and cut
// at every offset: the events must not depend on how TCP cut the stream.

#include "DataFrames.h"
#include "KissSplitter.h"
#include "LineSplitter.h"

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

TEST(LineSplitter, CrLfAndCrLfAllEndOneLineAndBlankLinesVanish)
{
    EXPECT_EQ(expectSameAtEveryCut<LineSplitter>(
                  "MYCALL N0CALL-1\rCHAT ON\nBW2300\r\n\r\rABORT\rpartial"),
              (QList<LineEvent>{line("MYCALL N0CALL-1"), line("CHAT ON"), line("BW2300"),
                                line("ABORT")}));
}

TEST(LineSplitter, LongestLineIsKeptOneMoreByteIsOversizeOnceAndSkipped)
{
    const QByteArray longest(LineSplitter::kMaxLine - 1, 'A');
    EXPECT_EQ(run<LineSplitter>({longest + "\rOK\r"}),
              (QList<LineEvent>{line(longest), line("OK")}));
    EXPECT_EQ(run<LineSplitter>({longest + "A\rOK\r"}), (QList<LineEvent>{kOversize, line("OK")}));
    QList<QByteArray> chunks(20, QByteArray(10000, 'x')); // 200,000 bytes, no CR
    chunks.append("tail of the same line\rABORT\r");
    EXPECT_EQ(run<LineSplitter>(chunks), (QList<LineEvent>{kOversize, line("ABORT")}));

    LineSplitter s;
    s.feed("MYCA");
    s.reset();
    EXPECT_EQ(s.feed("ABORT\r"), QList<LineEvent>{line("ABORT")}) << "reset forgets a partial line";
}

TEST(KissSplitter, FramesComeOutWholeWithTheirBytesUnchanged)
{
    // Garbage before the first FEND, a shared FEND, a doubled FEND, escapes.
    const QByteArray f1 = QByteArray::fromHex("c000aabbdbdcc0");
    const QByteArray f2 = QByteArray::fromHex("c001dbdd11c0");
    EXPECT_EQ(expectSameAtEveryCut<KissSplitter>(QByteArray::fromHex("6e6f697365") + f1 +
                                                 f2.mid(1) + QByteArray::fromHex("c0c0") + f2 +
                                                 QByteArray::fromHex("c00102")),
              (QList<QByteArray>{f1, f2, f2}));
}

TEST(KissSplitter, AnOversizeFrameIsDroppedAndTheNextOneKept)
{
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
    for (const auto& [stream, before] : {std::pair{"x5 hello", 0},
                                         {" 5hello", 0},
                                         {"-5 hello", 0},
                                         {"1001 ", 0},
                                         {"99999999999999999999 ", 0},
                                         {"2 hi?", 1}}) {
        FrameReader r(1000);
        EXPECT_EQ(r.feed(stream).size(), before) << stream;
        EXPECT_TRUE(r.failed()) << stream;
        EXPECT_TRUE(r.feed("5 hello").isEmpty());
        r.reset();
        EXPECT_EQ(r.feed("5 hello").size(), 1);
    }
}

} // namespace
