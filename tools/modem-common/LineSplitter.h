#pragma once
// Command-port lines, cut from the TCP stream.
//
// The host ends every command with CR. A person typing into a raw TCP client
// ends lines with LF or CR LF instead, so CR and LF both end a line and the
// empty lines between them are skipped: "ABORT\r", "ABORT\n" and "ABORT\r\n"
// are the same single command.
//
// A line may hold at most kMaxLine - 1 bytes. When kMaxLine bytes arrive with
// no line end the splitter reports Oversize once, forgets what it holds and
// skips everything up to the next line end, so a client that never sends CR
// cannot make the modem hold more than kMaxLine bytes for it.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace kolt::modem {

struct LineEvent {
    enum class Kind { Line, Oversize };
    Kind kind = Kind::Line;
    QByteArray text; // the line without its end; empty for Oversize

    bool operator==(const LineEvent&) const = default;
};

class LineSplitter {
public:
    static constexpr qsizetype kMaxLine = 64 * 1024;

    // Takes the next chunk of the stream; returns the events it completes.
    QList<LineEvent> feed(QByteArrayView chunk);

    // Forgets a partial line (the client went away).
    void reset();

private:
    enum class State { Collecting, Discarding };
    State m_state = State::Collecting;
    QByteArray m_line;
};

} // namespace kolt::modem
