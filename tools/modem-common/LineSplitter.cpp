#include "LineSplitter.h"

namespace kolt::modem {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Index of the first CR or LF at or after `from`, or the size when none.
qsizetype nextLineEnd(QByteArrayView bytes, qsizetype from)
{
    for (qsizetype i = from; i < bytes.size(); ++i)
        if (isLineEnd(bytes[i])) return i;
    return bytes.size();
}

} // namespace

QList<LineEvent> LineSplitter::feed(QByteArrayView chunk)
{
    QList<LineEvent> events;
    qsizetype pos = 0;
    while (pos < chunk.size()) {
        const qsizetype end = nextLineEnd(chunk, pos);
        const bool ended = end < chunk.size();
        switch (m_state) {
        case State::Collecting: {
            const qsizetype room = kMaxLine - 1 - m_line.size();
            if (end - pos > room) {
                m_line.clear();
                m_state = State::Discarding;
                events.append({LineEvent::Kind::Oversize, {}});
                continue; // the same bytes are now skipped up to the line end
            }
            m_line.append(chunk.sliced(pos, end - pos));
            if (ended && !m_line.isEmpty()) {
                events.append({LineEvent::Kind::Line, m_line});
                m_line.clear();
            }
            break;
        }
        case State::Discarding:
            if (ended) m_state = State::Collecting;
            break;
        }
        pos = ended ? end + 1 : end;
    }
    return events;
}

void LineSplitter::reset()
{
    m_state = State::Collecting;
    m_line.clear();
}

} // namespace kolt::modem
