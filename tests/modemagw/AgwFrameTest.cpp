// The AGW frame codec: the header layout a TNC expects, a stream read the
// same however it is cut, and an untrusted length refused before anything
// is held for it.

#include "AgwFrame.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace kolt::agw;

namespace {

TEST(AgwFrame, FramesTheModemSendsHaveTheLayoutATncReads)
{
    const std::string calls = "4e3043414c4c2d310000"
                              "4e3043414c4c2d320000"; // N0CALL-1, N0CALL-2
    const std::pair<Frame, std::string> rows[] = {
        {Register("N0CALL-1"),
         "00000000580000004e3043414c4c2d310000" + std::string(20, '0') + "0000000000000000"},
        {Data("N0CALL-1", "N0CALL-2", "hi"),
         "000000004400f000" + calls + "0200000000000000" + "6869"},
        {Connect("N0CALL-1", "N0CALL-2", {"N0CALL-3"}),
         "0000000076000000" + calls + "0b00000000000000" + "01" + "4e3043414c4c2d330000"},
        {AskOutstanding("N0CALL-1", "N0CALL-2"), "0000000059000000" + calls + "0000000000000000"},
    };
    for (const auto& [frame, hex] : rows)
        EXPECT_EQ(QByteArray::fromStdString(Encode(frame)).toHex().toStdString(), hex)
            << frame.kind;
}

TEST(AgwFrame, AStreamReadsTheSameAtEveryCutAndReportsReadBack)
{
    Frame up{0, 'C', 0, "N0CALL-2", "N0CALL-1", {"*** CONNECTED To Station N0CALL-2\r\0", 36}};
    Frame count{0, 'Y', 0, "N0CALL-1", "N0CALL-2", {"\x05\x01\x00\x00", 4}};
    Frame full = Data("ABCDEFG-15", "N0CALL-1", std::string(kMaxData, 'z'));
    const std::string stream = Encode(up) + Encode(count) + Encode(full);
    for (std::size_t cut = 0; cut <= stream.size(); cut += 7) {
        Reader r;
        auto frames = r.feed(std::string_view(stream).substr(0, cut));
        for (auto& f : r.feed(std::string_view(stream).substr(cut)))
            frames.push_back(std::move(f));
        ASSERT_EQ(frames, (std::vector<Frame>{up, count, full})) << "cut at " << cut;
    }
    EXPECT_TRUE(IsIncoming(up));
    up.data = "*** CONNECTED With Station N0CALL-2\r";
    EXPECT_FALSE(IsIncoming(up));
    EXPECT_EQ(Outstanding(count), 261u);
    count.data = "\x05";
    EXPECT_EQ(Outstanding(count), std::nullopt);
}

TEST(AgwFrame, AnOversizeLengthFailsTheStreamUntilReset)
{
    std::string header = Encode(Data("N0CALL-2", "N0CALL-1", ""));
    header[28] = char((kMaxData + 1) & 0xFF);
    header[29] = char((kMaxData + 1) >> 8);
    const std::string ok = Encode(Data("N0CALL-2", "N0CALL-1", "after"));
    Reader r;
    EXPECT_TRUE(r.feed(header.substr(0, 35)).empty());
    EXPECT_FALSE(r.failed()) << "nothing is judged before the header is whole";
    EXPECT_TRUE(r.feed(header.substr(35) + ok).empty());
    EXPECT_TRUE(r.failed());
    EXPECT_TRUE(r.feed(ok).empty());
    r.reset();
    EXPECT_EQ(r.feed(ok).size(), 1u);
}

TEST(AgwFrame, KissCommandOneReachesAStandardTncAsData)
{
    for (const auto& [in, out] :
         {std::pair{"c00186a2c0", "c00086a2c0"}, {"c00001c0", "c00001c0"}, {"c006c0", "c006c0"}})
        EXPECT_EQ(QByteArray::fromStdString(ToStandardKiss(QByteArray::fromHex(in).toStdString())),
                  QByteArray::fromHex(out))
            << in;
}

} // namespace
