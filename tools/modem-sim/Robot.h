#pragma once
// A scripted remote operator: a station on the air with nobody behind it.
//
// It accepts every call while it is free and keeps the conversation going:
//  - first, a chat line saying plainly that it is a simulated station;
//  - each chat frame (marker " ") is answered with a chat frame quoting it;
//  - each file frame ("#" or "$") is answered with a chat line giving the
//    frame's size and, when echoFiles is set, the frame itself sent back
//    unchanged, so that a test receives exactly the file it sent;
//  - a CQ heard on KISS is answered, after the reply delay, with a broadcast
//    to "ALL".
//
// It behaves as the chat program does on the data port: one frame at a time,
// the next handed to the modem only once "BUFFER 0" says the previous one has
// left, each after the reply delay. A data stream it cannot read as frames
// makes it abort the link, as the chat does on a malformed stream.

#include "Air.h"
#include "DataFrames.h"

#include <QObject>
#include <QTimer>

#include <deque>

namespace kolt::modemsim {

struct RobotConfig {
    static constexpr int kDefaultReplyDelayMs = 800;

    bool echoFiles = false;
    int replyDelayMs = kDefaultReplyDelayMs;
};

class Robot : public QObject, public Node {
    Q_OBJECT

public:
    // A quoted chat text is cut to this many bytes, so that an answer always
    // fits the receiver's chat buffer.
    static constexpr qsizetype kMaxQuote = 2000;
    // Answers waiting to be sent; more are dropped (a flood gets no answer).
    static constexpr std::size_t kMaxOutbox = 64;
    static constexpr qint64 kMaxOutboxBytes = 16 * 1024 * 1024;

    Robot(Air& air, QString call, RobotConfig config, QObject* parent = nullptr);
    ~Robot() override;

    bool onAir() const override { return true; }
    void onLinked(const LinkInfo& link) override;
    void onDisconnected() override;
    void onPtt(bool) override {}
    void onBuffer(qint64 queued) override;
    void onData(QByteArrayView chunk) override;
    void onKiss(QByteArrayView frame) override;

private:
    void answer(const DataFrame& frame);
    void enqueue(QByteArray frame);
    void pump();
    void sendNext();
    void answerCq(const QString& caller);
    void note(const QString& what) const;

    Air& m_air;
    RobotConfig m_config;
    FrameReader m_reader;
    bool m_linked = false;
    bool m_inFlight = false; // a frame handed to the air, "BUFFER 0" not yet seen
    std::deque<QByteArray> m_outbox;
    qint64 m_outboxBytes = 0;
    QTimer m_replyTimer;
    QTimer m_cqTimer;
    QString m_cqCaller;
};

} // namespace kolt::modemsim
