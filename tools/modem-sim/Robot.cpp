#include "Robot.h"

#include "broadcast/Kiss.h"
#include "broadcast/Mensajes.h"

namespace kolt::modemsim {

Robot::Robot(Air& air, QString call, RobotConfig config, QObject* parent)
    : QObject(parent), Node(std::move(call)), m_air(air), m_config(config)
{
    m_air.join(this);
    m_replyTimer.setSingleShot(true);
    m_cqTimer.setSingleShot(true);
    QObject::connect(&m_replyTimer, &QTimer::timeout, this, &Robot::sendNext);
    QObject::connect(&m_cqTimer, &QTimer::timeout, this, [this] { answerCq(m_cqCaller); });
}

Robot::~Robot()
{
    m_air.leave(this);
}

void Robot::onLinked(const LinkInfo&)
{
    m_linked = true;
    m_reader.reset();
    QByteArray hello = "Hello, this is " + call().toLatin1() +
                       ", a simulated station of kolt-modem-sim: no radio and no operator "
                       "here. I quote every line you send and tell the size of every file";
    hello += m_config.echoFiles ? " and send it back." : ".";
    enqueue(BuildFrame(Marker::Chat, hello));
}

void Robot::onDisconnected()
{
    m_linked = false;
    m_inFlight = false;
    m_outbox.clear();
    m_outboxBytes = 0;
    m_replyTimer.stop();
    m_reader.reset();
}

void Robot::onBuffer(qint64 queued)
{
    if (queued != 0 || !m_inFlight) return;
    m_inFlight = false;
    pump();
}

void Robot::onData(QByteArrayView chunk)
{
    if (!m_linked || m_reader.failed()) return; // an abort is on its way
    for (const DataFrame& frame : m_reader.feed(chunk))
        answer(frame);
    if (m_reader.failed()) {
        note(QStringLiteral("cannot read the data stream as frames: aborting the link"));
        // Not from inside the air's report: from the event loop.
        QTimer::singleShot(0, this, [this] {
            if (m_linked) m_air.abort(this);
        });
    }
}

void Robot::answer(const DataFrame& frame)
{
    if (frame.marker == Marker::Chat) {
        QByteArray quote = frame.payload.left(kMaxQuote);
        if (quote.size() < frame.payload.size()) quote += "...";
        enqueue(BuildFrame(Marker::Chat, "You wrote: \"" + quote + '"'));
        return;
    }
    const bool compressed = frame.marker == Marker::CompressedFile;
    const QString text = QStringLiteral("File frame received: %1 bytes (%2 bytes of %3 payload).")
                             .arg(frame.header.size() + frame.payload.size())
                             .arg(frame.payload.size())
                             .arg(compressed ? u"compressed" : u"uncompressed");
    enqueue(BuildFrame(Marker::Chat, text.toLatin1()));
    if (m_config.echoFiles) enqueue(frame.bytes());
}

void Robot::enqueue(QByteArray frame)
{
    if (m_outbox.size() >= kMaxOutbox || m_outboxBytes + frame.size() > kMaxOutboxBytes) {
        note(QStringLiteral("too much to answer: a reply of %1 bytes dropped").arg(frame.size()));
        return;
    }
    m_outboxBytes += frame.size();
    m_outbox.push_back(std::move(frame));
    pump();
}

void Robot::pump()
{
    if (m_linked && !m_inFlight && !m_outbox.empty() && !m_replyTimer.isActive())
        m_replyTimer.start(m_config.replyDelayMs);
}

void Robot::sendNext()
{
    if (!m_linked || m_inFlight || m_outbox.empty()) return;
    QByteArray frame = std::move(m_outbox.front());
    m_outbox.pop_front();
    m_outboxBytes -= frame.size();
    m_inFlight = true;
    m_air.transmit(this, frame);
}

void Robot::onKiss(QByteArrayView frame)
{
    broadcast::ReensambladorKISS reader;
    for (const broadcast::TramaKISS& kiss :
         reader.feed(std::string_view(frame.data(), frame.size()))) {
        const broadcast::TramaDecodificada decoded =
            broadcast::DecodificarAX25(kiss.ax25, kiss.comando);
        if (decoded.resultado != broadcast::ResultadoAX25::Correcta ||
            broadcast::ClasificarTrama(decoded.trama, kiss.comando) != broadcast::Recepcion::CQ)
            continue;
        const QString caller = QString::fromStdString(decoded.trama.Origen);
        if (caller.compare(call(), Qt::CaseInsensitive) == 0 || m_cqTimer.isActive()) continue;
        note(QStringLiteral("heard a CQ from ") + caller);
        m_cqCaller = caller;
        m_cqTimer.start(m_config.replyDelayMs);
    }
}

void Robot::answerCq(const QString& caller)
{
    broadcast::DatosEmisor self;
    self.modo = config::Variante::SAT; // no digipeaters, no bandwidth
    self.miIndicativo = call().toStdString();
    const std::string text =
        QStringLiteral("Hello %1, this is %2, a simulated station. Call me for a chat.")
            .arg(caller, call())
            .toStdString();
    const auto frame = broadcast::TramaBroadcast(self, text);
    if (!frame) return;
    const std::vector<std::uint8_t> kiss = frame->kiss();
    m_air.transmitKiss(
        this, QByteArray(reinterpret_cast<const char*>(kiss.data()), qsizetype(kiss.size())));
}

void Robot::note(const QString& what) const
{
    m_air.log(call() + u' ' + what);
}

} // namespace kolt::modemsim
