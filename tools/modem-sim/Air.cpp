#include "Air.h"

#include <algorithm>
#include <limits>

namespace kolt::modemsim {

QByteArray LinkInfo::line() const
{
    QString text = QStringLiteral("CONNECTED ") + caller + u' ' + called;
    if (!digis.isEmpty()) text += QStringLiteral(" VIA ") + digis.join(u' ');
    return text.toLatin1();
}

struct Air::Link {
    Radio* caller = nullptr;
    Radio* called = nullptr; // null when the call cannot succeed
    LinkInfo info;
    bool up = false;
    quint64 id = 0;
};

struct Air::Radio {
    Node* node = nullptr;
    Link* link = nullptr;
    QByteArray data; // bytes waiting are data[head..]
    qsizetype head = 0;
    std::deque<QByteArray> kiss;
    qsizetype kissSent = 0; // bytes of kiss.front() already on the air
    qint64 kissBytes = 0;
    qint64 milliCredit = 0; // air time earned, in thousandths of a byte
    int bandwidthHz = kNominalBandwidthHz;
    bool keyed = false;

    qint64 waiting() const { return data.size() - head; }
    bool pending() const { return waiting() > 0 || !kiss.empty(); }
    Radio* peer() const
    {
        return link ? (link->caller == this ? link->called : link->caller) : nullptr;
    }
};

Air::Air(AirConfig config, QObject* parent)
    : QObject(parent), m_config(config), m_random(config.seed)
{
    m_tick.setInterval(m_config.airRate > 0 ? m_config.tickMs : 0);
    QObject::connect(&m_tick, &QTimer::timeout, this, &Air::tick);
}

Air::~Air() = default;

void Air::log(const QString& line) const
{
    if (m_logger) m_logger(line);
}

void Air::join(Node* node)
{
    auto r = std::make_unique<Radio>();
    r->node = node;
    m_radios.push_back(std::move(r));
}

void Air::leave(Node* node)
{
    Radio* r = radio(node);
    if (!r) return;
    if (r->link) endLink(r->link, node);
    std::erase_if(m_radios, [&](const auto& p) { return p.get() == r; });
}

Air::Radio* Air::radio(const Node* node) const
{
    for (const auto& r : m_radios)
        if (r->node == node) return r.get();
    return nullptr;
}

Node* Air::find(const QString& call) const
{
    for (const auto& r : m_radios)
        if (r->node->call().compare(call, Qt::CaseInsensitive) == 0) return r->node;
    return nullptr;
}

bool Air::busy(const Node* node) const
{
    const Radio* r = radio(node);
    return r && r->link;
}

qint64 Air::waiting(const Node* node) const
{
    const Radio* r = radio(node);
    return r ? r->waiting() : 0;
}

bool Air::placeCall(Node* caller, const LinkInfo& request)
{
    Radio* from = radio(caller);
    if (!from || from->link) return false;

    auto link = std::make_unique<Link>();
    link->caller = from;
    link->info = request;
    Node* target = find(request.called);
    Radio* to = target ? radio(target) : nullptr;
    QString why;
    if (!caller->onAir())
        why = QStringLiteral("the caller has no host on both ports");
    else if (!to)
        why = QStringLiteral("no such station on the air");
    else if (to == from)
        why = QStringLiteral("a station cannot call itself");
    else if (!target->onAir())
        why = QStringLiteral("nobody attached at the target");
    else if (to->link)
        why = QStringLiteral("the target is busy");
    if (why.isEmpty()) {
        link->called = to;
        to->link = link.get();
    }
    from->link = link.get();
    log(QStringLiteral("%1 calls %2%3")
            .arg(caller->call(), request.called,
                 why.isEmpty() ? QString() : QStringLiteral(" (will fail: ") + why + u')'));

    // The link may be gone when the setup time is over (an ABORT, a host
    // that left), so the timer looks it up again by its number.
    link->id = ++m_lastLinkId;
    QTimer::singleShot(m_config.setupMs, this, [this, id = link->id] {
        for (const auto& l : m_links)
            if (l->id == id) return completeCall(l.get());
    });
    m_links.push_back(std::move(link));
    return true;
}

void Air::completeCall(Link* link)
{
    if (!link->called || !link->caller->node->onAir() || !link->called->node->onAir()) {
        endLink(link, nullptr);
        return;
    }
    link->up = true;
    log(QStringLiteral("link up: %1").arg(QString::fromLatin1(link->info.line())));
    link->caller->node->onLinked(link->info);
    link->called->node->onLinked(link->info);
}

void Air::abort(Node* node)
{
    Radio* r = radio(node);
    if (!r) return;
    // The called side of a call still in setup was never told of it; its
    // ABORT is answered here, as is one with no link at all.
    const bool answerHere = !r->link || (!r->link->up && r->link->called == r);
    if (r->link) endLink(r->link, nullptr);
    if (answerHere) node->onDisconnected();
}

void Air::dropLink(Node* node)
{
    Radio* r = radio(node);
    if (r && r->link) endLink(r->link, node);
}

void Air::endLink(Link* link, const Node* leaving)
{
    log(link->up
            ? QStringLiteral("link down: %1 - %2").arg(link->info.caller, link->info.called)
            : QStringLiteral("call %1 -> %2 failed").arg(link->info.caller, link->info.called));
    // Those who know of the link: both ends once it is up, else the caller.
    std::vector<Radio*> told{link->caller};
    if (link->up) told.push_back(link->called);
    for (Radio* r : {link->caller, link->called})
        if (r) r->link = nullptr;

    for (Radio* r : told) {
        const bool discarded = r->waiting() > 0;
        if (discarded)
            log(QStringLiteral("%1 discards %2 waiting bytes")
                    .arg(r->node->call())
                    .arg(r->waiting()));
        r->data.clear();
        r->head = 0;
        if (r->node == leaving) {
            // Nobody to tell; the transmitter is released all the same.
            if (!r->pending()) {
                r->keyed = false;
                r->milliCredit = 0;
            }
            continue;
        }
        r->node->onDisconnected();
        if (discarded) r->node->onBuffer(0);
        if (!r->pending() && r->keyed) key(*r, false);
    }
    std::erase_if(m_links, [&](const auto& p) { return p.get() == link; });
}

void Air::key(Radio& r, bool on)
{
    r.keyed = on;
    if (!on) r.milliCredit = 0; // air time is not saved up while silent
    r.node->onPtt(on);
}

void Air::transmit(Node* node, QByteArrayView bytes)
{
    Radio* r = radio(node);
    if (!r || bytes.isEmpty()) return;
    if (!r->link || !r->link->up) {
        log(QStringLiteral("%1 has no link: %2 data bytes dropped")
                .arg(node->call())
                .arg(bytes.size()));
        return;
    }
    if (r->waiting() + bytes.size() > m_config.maxQueued) {
        log(QStringLiteral("%1 queued more than %2 bytes: link aborted")
                .arg(node->call())
                .arg(m_config.maxQueued));
        endLink(r->link, nullptr);
        return;
    }
    r->data.append(bytes.data(), bytes.size());
    if (!r->keyed) key(*r, true);
    r->node->onBuffer(r->waiting());
    startTicking();
}

void Air::transmitKiss(Node* node, const QByteArray& frame)
{
    Radio* r = radio(node);
    if (!r || frame.isEmpty()) return;
    if (r->kissBytes + frame.size() > m_config.maxKissQueued) {
        log(QStringLiteral("%1: KISS queue full, frame dropped").arg(node->call()));
        return;
    }
    r->kiss.push_back(frame);
    r->kissBytes += frame.size();
    if (!r->keyed) key(*r, true);
    startTicking();
}

void Air::setBandwidth(Node* node, int hz)
{
    if (Radio* r = radio(node)) r->bandwidthHz = hz;
}

void Air::startTicking()
{
    if (!m_tick.isActive()) m_tick.start();
}

void Air::tick()
{
    // Reports to stations never call back into the channel, so the list of
    // radios stays as it is during the loop.
    bool pending = false;
    for (const auto& r : m_radios) {
        serve(*r);
        pending = pending || r->pending();
    }
    if (!pending) m_tick.stop();
}

qint64 Air::budget(Radio& r)
{
    if (m_config.airRate <= 0) return std::numeric_limits<qint64>::max();
    const qint64 rate =
        std::max<qint64>(1, qint64(m_config.airRate) * r.bandwidthHz / kNominalBandwidthHz);
    r.milliCredit += rate * m_config.tickMs;
    return r.milliCredit / 1000;
}

void Air::serve(Radio& r)
{
    if (!r.pending()) return;
    const qint64 allowed = budget(r);
    qint64 used = 0;

    while (!r.kiss.empty() && used < allowed) {
        const QByteArray& frame = r.kiss.front();
        const qint64 take = std::min<qint64>(frame.size() - r.kissSent, allowed - used);
        r.kissSent += take;
        used += take;
        if (r.kissSent < frame.size()) break;
        log(QStringLiteral("%1 sends a KISS frame of %2 bytes")
                .arg(r.node->call())
                .arg(frame.size()));
        for (const auto& other : m_radios)
            if (other.get() != &r) other->node->onKiss(frame);
        r.kissBytes -= frame.size();
        r.kissSent = 0;
        r.kiss.pop_front();
    }

    // Without a chunk limit the air carries packets, not single bytes: a
    // slice waits until it can hold kMinSlice bytes (or all that is left).
    const qint64 minSlice = m_config.maxChunk > 0 ? 1 : std::min(kMinSlice, r.waiting());
    if (r.waiting() > 0 && allowed - used >= minSlice) {
        qint64 n = std::min(r.waiting(), allowed - used);
        if (m_config.maxChunk > 0)
            n = std::min<qint64>(
                n, std::uniform_int_distribution<int>(1, m_config.maxChunk)(m_random));
        Radio* to = r.peer();
        log(QStringLiteral("%1 sends %2 bytes to %3")
                .arg(r.node->call())
                .arg(n)
                .arg(to->node->call()));
        to->node->onData(QByteArrayView(r.data).sliced(r.head, n));
        r.head += n;
        used += n;
        if (r.head == r.data.size()) {
            r.data.clear();
            r.head = 0;
        } else if (r.head > 64 * 1024 && r.head * 2 > r.data.size()) {
            r.data.remove(0, r.head);
            r.head = 0;
        }
        r.node->onBuffer(r.waiting());
    }

    if (m_config.airRate > 0) r.milliCredit -= used * 1000;
    if (!r.pending() && r.keyed) key(r, false);
}

} // namespace kolt::modemsim
