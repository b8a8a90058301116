#include "DataFrames.h"

namespace kolt::modemsim {

namespace {

bool isMarker(char c)
{
    return c == ' ' || c == '#' || c == '$';
}

} // namespace

QByteArray BuildFrame(Marker marker, QByteArrayView payload)
{
    return QByteArray::number(payload.size()) + char(marker) + payload.toByteArray();
}

QList<DataFrame> FrameReader::feed(QByteArrayView chunk)
{
    QList<DataFrame> frames;
    qsizetype pos = 0;
    while (pos < chunk.size()) {
        switch (m_state) {
        case State::Length: {
            const char c = chunk[pos++];
            if (c >= '0' && c <= '9') {
                m_needed = m_needed * 10 + (c - '0');
                m_frame.header.append(c);
                if (m_needed > m_maxPayload) m_state = State::Failed;
            } else if (isMarker(c) && !m_frame.header.isEmpty()) {
                m_frame.header.append(c);
                m_frame.marker = Marker(c);
                m_state = State::Payload;
                m_frame.payload.reserve(m_needed);
            } else {
                m_state = State::Failed;
            }
            break;
        }
        case State::Payload: {
            const qsizetype take = qMin<qint64>(m_needed, chunk.size() - pos);
            m_frame.payload.append(chunk.sliced(pos, take));
            m_needed -= take;
            pos += take;
            break;
        }
        case State::Failed: return frames;
        }
        if (m_state == State::Payload && m_needed == 0) {
            frames.append(std::move(m_frame));
            m_frame = {};
            m_state = State::Length;
        }
    }
    return frames;
}

void FrameReader::reset()
{
    m_state = State::Length;
    m_needed = 0;
    m_frame = {};
}

} // namespace kolt::modemsim
