#pragma once
// A station on the simulated air, as the channel sees it.
//
// Two kinds exist: a PortStation, which a host program drives through its
// command, data and KISS ports, and a Robot, a scripted remote operator. The
// channel (Air) owns the radio side of both: links, transmit queues, keying.
// It reports to a station through the on* calls below and never expects an
// answer from them; a station that wants to act on what it heard (a robot
// replying) does so later, from its own timer, never from inside a report.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <utility>

namespace kolt::modemsim {

// A radio link between two stations, as both ends see it.
struct LinkInfo {
    QString caller;    // field 1 of the "CONNECTED" line
    QString called;    // field 2
    QStringList digis; // zero, one or two digipeaters

    // "CONNECTED caller called[ VIA d1[ d2]]", the same on both sides.
    QByteArray line() const;
};

class Node {
public:
    explicit Node(QString call) : m_call(std::move(call)) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const QString& call() const { return m_call; }
    void setCall(QString call) { m_call = std::move(call); }

    // Whether the station can take part in a link now (a host is attached).
    virtual bool onAir() const = 0;

    // The link came up (after the setup time), or ended, or a call failed.
    virtual void onLinked(const LinkInfo& link) = 0;
    virtual void onDisconnected() = 0;
    // Transmitter state and the number of data bytes still waiting to go out.
    virtual void onPtt(bool on) = 0;
    virtual void onBuffer(qint64 queued) = 0;
    // Bytes of the linked station, and KISS frames heard from any station.
    virtual void onData(QByteArrayView chunk) = 0;
    virtual void onKiss(QByteArrayView frame) = 0;

private:
    QString m_call;
};

} // namespace kolt::modemsim
