// The AGW frame codec: the header layout a TNC expects, a stream read the
// same however it is cut, and an untrusted length refused before anything
// is held for it.

#include "AgwFrame.h"

#include <gtest/gtest.h>

using namespace kolt::agw;

namespace {

std::string Hex(const std::string& b)
{
    static const char* d = "0123456789abcdef";
    std::string out;
    for (unsigned char c : b) {
        out += d[c >> 4];
        out += d[c & 15];
    }
    return out;
}

TEST(AgwFrame, FramesTheModemSendsHaveTheLayoutATncReads)
{
    const std::string calls = "4e3043414c4c2d310000"
                              "4e3043414c4c2d320000"; // N0CALL-1, N0CALL-2
    const struct {
        Frame frame;
        std::string hex;
    } rows[] = {
        {Register("N0CALL-1"),
         "00000000580000004e3043414c4c2d310000" + std::string(20, '0') + "0000000000000000"},
        {Data("N0CALL-1", "N0CALL-2", "hi"),
         "000000004400f000" + calls + "0200000000000000" + "6869"},
        {Connect("N0CALL-1", "N0CALL-2", {"N0CALL-3"}),
         "0000000076000000" + calls + "0b00000000000000" + "01" + "4e3043414c4c2d330000"},
        {AskOutstanding("N0CALL-1", "N0CALL-2"), "0000000059000000" + calls + "0000000000000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Hex(Encode(row.frame)), row.hex) << row.frame.kind;
}

TEST(AgwFrame, AStreamReadsTheSameAtEveryCutAndReportsReadBack)
{
    Frame up;
    up.kind = 'C';
    up.callFrom = "N0CALL-2";
    up.callTo = "N0CALL-1";
    up.data = std::string("*** CONNECTED To Station N0CALL-2\r\0", 36);
    Frame count;
    count.kind = 'Y';
    count.callFrom = "N0CALL-1";
    count.callTo = "N0CALL-2";
    count.data = std::string("\x05\x01\x00\x00", 4);
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
    Frame big = Data("N0CALL-2", "N0CALL-1", "");
    std::string header = Encode(big);
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
    EXPECT_EQ(ToStandardKiss(std::string("\xC0\x01\x86\xA2\xC0", 5)),
              std::string("\xC0\x00\x86\xA2\xC0", 5));
    EXPECT_EQ(ToStandardKiss(std::string("\xC0\x00\x01\xC0", 4)),
              std::string("\xC0\x00\x01\xC0", 4));
    EXPECT_EQ(ToStandardKiss(std::string("\xC0\x06\xC0", 3)), std::string("\xC0\x06\xC0", 3));
}

} // namespace
