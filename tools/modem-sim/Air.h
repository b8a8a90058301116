#pragma once
// The simulated radio channel: one per process, shared by every station.
//
// What the host program relies on from a modem, made concrete:
//  - A call ("CONNECT") takes the setup time, then either both stations get
//    the same "CONNECTED caller called [VIA ...]" line, or the caller gets
//    "DISCONNECTED" (target absent, not attached, busy, or the caller itself).
//  - While a link is up, the bytes one station's host writes go out at the air
//    rate, in order and unchanged, to the other station. The sender hears
//    "PTT ON" before its transmission starts, "BUFFER n" whenever the count of
//    bytes still waiting changes (down to "BUFFER 0") and "PTT OFF" once
//    nothing is left to send.
//  - ABORT, or the host of either side going away, ends the link: both sides
//    that know of it get "DISCONNECTED", waiting bytes are thrown away and the
//    transmitter is released. "BUFFER 0" is reported after "DISCONNECTED",
//    never before it, so that the host cannot take a discarded send for a
//    completed one.
//  - A KISS frame takes its air time like data and is then heard by every
//    other station, unchanged.
//
// Time: one QTimer ticks while anything waits to be sent. At an air rate of
// R bytes/s each station earns R x tick / 1000 bytes per tick (scaled by its
// bandwidth, 2300 Hz being the nominal one), counted in whole ticks rather
// than wall-clock time, so a run with the same options and input sends the
// same slices. At rate 0 the tick is a zero timer and each tick sends all
// that waits. A slice holds at least kMinSlice bytes (or all that waits), as a
// modem sends packets: at any rate, a frame that starts a transmission has
// its header whole in its first chunk. With a chunk limit instead, a tick
// delivers one chunk of random size from 1 to the limit (from the seeded
// generator) so that receivers see frames cut anywhere.
//
// Memory: a station may have at most maxQueued data bytes waiting; writing
// more aborts its link. KISS frames beyond maxKissQueued waiting bytes are
// dropped, as a busy channel drops unconnected frames.

#include "Node.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace kolt::modemsim {

inline constexpr int kNominalBandwidthHz = 2300;

struct AirConfig {
    // About what a fast HF sound-card mode carries in 2300 Hz: quick enough
    // for a demonstration, slow enough to watch the progress bar move.
    static constexpr int kDefaultAirRate = 600;
    static constexpr int kDefaultSetupMs = 1500;

    int airRate = kDefaultAirRate; // bytes/s at the nominal bandwidth; 0: no limit
    int setupMs = kDefaultSetupMs; // time a CONNECT takes to succeed or fail
    int maxChunk = 0;              // 0: deliver each tick's bytes in one piece
    quint32 seed = 1;
    int tickMs = 50;
    qint64 maxQueued = 16 * 1024 * 1024; // data bytes waiting, per station
    qint64 maxKissQueued = 1024 * 1024;  // KISS bytes waiting, per station
};

class Air : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMinSlice = 64;

    explicit Air(AirConfig config, QObject* parent = nullptr);
    ~Air() override;

    const AirConfig& config() const { return m_config; }

    // One line per event when set (the --verbose output).
    void setLogger(std::function<void(const QString&)> logger) { m_logger = std::move(logger); }
    void log(const QString& line) const;

    // A station joins at construction and leaves at destruction.
    void join(Node* node);
    void leave(Node* node);

    // The station on the air with that call (case-insensitive), if any.
    Node* find(const QString& call) const;
    bool busy(const Node* node) const;
    qint64 waiting(const Node* node) const;

    // A "CONNECT" from `caller`'s host. False (the host is told "WRONG")
    // when the caller is already calling, called or linked.
    bool placeCall(Node* caller, const LinkInfo& request);
    // An "ABORT": ends the link or the call; the station always hears
    // "DISCONNECTED", even when it had no link.
    void abort(Node* node);
    // The station's host went away: its link ends, the other side is told.
    void dropLink(Node* node);

    void transmit(Node* node, QByteArrayView bytes);
    void transmitKiss(Node* node, const QByteArray& frame);
    void setBandwidth(Node* node, int hz);

private:
    struct Link;
    struct Radio;

    Radio* radio(const Node* node) const;
    void completeCall(Link* link);
    void endLink(Link* link, const Node* leaving);
    void key(Radio& r, bool on);
    void startTicking();
    void tick();
    void serve(Radio& r);
    qint64 budget(Radio& r);

    AirConfig m_config;
    std::function<void(const QString&)> m_logger;
    std::vector<std::unique_ptr<Radio>> m_radios;
    std::vector<std::unique_ptr<Link>> m_links;
    quint64 m_lastLinkId = 0;
    QTimer m_tick;
    std::mt19937 m_random;
};

} // namespace kolt::modemsim
