#include "KissSplitter.h"

namespace kolt::modem {

QList<QByteArray> KissSplitter::feed(QByteArrayView chunk)
{
    QList<QByteArray> frames;
    qsizetype pos = 0;
    while (pos < chunk.size()) {
        qsizetype fend = chunk.sliced(pos).indexOf(kFend);
        fend = fend < 0 ? chunk.size() : pos + fend;
        switch (m_state) {
        case State::Hunting:
            if (fend < chunk.size()) m_state = State::InFrame;
            break;
        case State::InFrame:
            if (m_frame.size() + (fend - pos) > kMaxFrame) {
                ++m_oversized;
                m_frame.clear();
                m_state = State::Hunting;
                continue; // skip to the next FEND, which opens a frame again
            }
            m_frame.append(chunk.sliced(pos, fend - pos));
            if (fend < chunk.size() && !m_frame.isEmpty()) {
                frames.append(kFend + m_frame + kFend);
                m_frame.clear();
            }
            break;
        }
        pos = fend < chunk.size() ? fend + 1 : fend;
    }
    return frames;
}

void KissSplitter::reset()
{
    m_state = State::Hunting;
    m_frame.clear();
}

} // namespace kolt::modem
