#pragma once
// KISS frames, cut from a client's TCP stream at FEND (0xC0).
//
// The modem does not look inside a KISS frame: it puts on the air exactly
// what the client framed, command byte and escapes included. So this splitter
// only finds frame boundaries and hands back each frame as raw bytes,
// "FEND ... FEND", ready to be written to the other stations unchanged.
//
// Bytes before the first FEND (a client that joined mid-frame) are skipped.
// Every FEND both closes a frame and opens the next, so FEND FEND (an empty
// frame, often sent as a wake-up) yields nothing. A frame growing past
// kMaxFrame bytes is dropped up to the next FEND, which bounds the memory a
// client can make the modem hold.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace kolt::modem {

inline constexpr char kFend = '\xC0';

class KissSplitter {
public:
    static constexpr qsizetype kMaxFrame = 16 * 1024;

    // Takes the next chunk; returns the whole frames it completes, each with
    // its opening and closing FEND.
    QList<QByteArray> feed(QByteArrayView chunk);

    // Frames dropped for being too long since the splitter was made.
    int oversized() const { return m_oversized; }

    void reset();

private:
    enum class State { Hunting, InFrame };
    State m_state = State::Hunting;
    QByteArray m_frame; // the content after the opening FEND
    int m_oversized = 0;
};

} // namespace kolt::modem
