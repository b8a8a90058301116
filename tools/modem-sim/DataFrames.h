#pragma once
// Data-port frames as the robots read and write them.
//
// The modem itself never looks at what travels on the data port; only the
// scripted remote operators do, because they answer what they receive. A
// frame is the payload length in ASCII decimal, one marker byte (" " chat
// text, "#" compressed file, "$" plain file) and the payload:
//
//     "5 hello"        "1234#<1234 bytes>"
//
// FrameReader is fed the stream in chunks of any size, as TCP and the air
// deliver it; a frame's header may be cut anywhere, and one chunk may end one
// frame and start the next. It reports each whole frame with the exact header
// bytes it arrived with, so a robot can send a file frame back unchanged.
//
// A stream that breaks the format (a byte other than a digit before the
// marker, a marker with no digits, a length above the reader's limit) puts
// the reader into a failed state that only reset() leaves: after a framing
// error nothing later in the stream can be trusted to start a frame.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace kolt::modemsim {

enum class Marker : char { Chat = ' ', CompressedFile = '#', PlainFile = '$' };

struct DataFrame {
    Marker marker = Marker::Chat;
    QByteArray header; // digits and marker, as received
    QByteArray payload;

    QByteArray bytes() const { return header + payload; }
    bool operator==(const DataFrame&) const = default;
};

// The frame carrying `payload`, as the chat builds it.
QByteArray BuildFrame(Marker marker, QByteArrayView payload);

class FrameReader {
public:
    // Files carry at most about 2 MB; compression may grow them a little.
    static constexpr qint64 kDefaultMaxPayload = 4 * 1024 * 1024;

    explicit FrameReader(qint64 maxPayload = kDefaultMaxPayload) : m_maxPayload(maxPayload) {}

    // Takes the next chunk; returns the frames it completes. After a framing
    // error returns nothing more until reset().
    QList<DataFrame> feed(QByteArrayView chunk);

    bool failed() const { return m_state == State::Failed; }
    void reset();

private:
    enum class State { Length, Payload, Failed };
    State m_state = State::Length;
    qint64 m_maxPayload;
    qint64 m_needed = 0;
    DataFrame m_frame;
};

} // namespace kolt::modemsim
