#pragma once
// The modem over a soft TNC's AGW interface: the host's command, data and
// KISS ports on one side, the TNC's AGW and KISS ports on the other, and
// between them one AX.25 connected-mode link at a time.
//
// Command port, line by line, each answered as the stand-in modem answers:
//   MYCALL c    registers c with the TNC (the previous call unregistered)
//   CHAT ON, BWnnn   accepted
//   CONNECT own far [VIA d1 [d2]]   the TNC's connect; "CONNECTED own far
//               [VIA d1 [d2]]" when the link is up, "DISCONNECTED" when
//               nobody answers. A station calling us is reported as
//               "CONNECTED far own".
//   ABORT       the TNC's disconnect, then "DISCONNECTED" when the TNC reports
//               the link down (during a call, a TNC may go on calling until
//               its retries run out)
// Reports: "BUFFER n" = data-port bytes the far station has not yet
// acknowledged, whenever n changes; "PTT ON"/"PTT OFF" around the TNC's own
// transmissions, as seen in its monitor reports.
//
// The TNC gives no back-pressure and counts outstanding frames, not bytes,
// so the modem keeps the host's bytes itself, hands them over in frames of at
// most PACLEN bytes, never more than kWindowFrames at a time, and turns the
// TNC's frame count back into bytes from the sizes it sent. A count is taken
// only for the link that is up, and tied to the frames sent when it was
// asked, so a late or stale answer never acknowledges later frames.
//
// Faults: the TNC absent or lost leaves the host's ports open and is tried
// again every kRetryMs; a link that was up is reported "DISCONNECTED", a
// CONNECT meanwhile is answered "DISCONNECTED". A TNC stream that cannot be
// read (an oversize frame) is closed after a disconnect for the link. What the
// host sends is bounded: at most kMaxPending bytes are read ahead of the air,
// the rest waits in TCP.

#include "AgwFrame.h"
#include "KissSplitter.h"
#include "LineSplitter.h"
#include "ModemCommand.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <functional>

namespace kolt::modem {

struct Endpoint {
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 0;

    bool operator==(const Endpoint&) const = default;
};

struct AgwConfig {
    quint16 commandPort = 8300; // data port + 1; 0 picks a free pair
    bool kiss = true;
    quint16 kissPort = 8100;                   // 0 picks a free port
    QString call = QStringLiteral("N0CALL-1"); // registered until the host's MYCALL
    Endpoint agw{QStringLiteral("127.0.0.1"), 8000};
    Endpoint tncKiss{QStringLiteral("127.0.0.1"), 8001};
    int paclen = 256;

    bool operator==(const AgwConfig&) const = default;
};

class AgwModem : public QObject {
    Q_OBJECT

public:
    static constexpr int kRetryMs = 1000;
    static constexpr int kPollMs = 500;
    // A disconnect the TNC never reports ends here (its own retries end sooner).
    static constexpr int kCloseLimitMs = 120'000;
    static constexpr int kWindowFrames = 64;
    static constexpr qint64 kMaxPending = 64 * 1024;
    static constexpr qint64 kMaxUnread = 32 * 1024 * 1024;
    // Air-time estimate for the transmit reports: 1200 baud with bit
    // stuffing, the TNC's preamble before a transmission and its tail.
    static constexpr double kMsPerByte = 8.0 * 1000.0 / 1200.0 * 1.03;
    static constexpr int kPreambleMs = 300;
    static constexpr int kTailMs = 100;
    // Addresses, control, PID, FCS and flags around a frame's information.
    static constexpr std::size_t kFrameOverhead = 20;

    explicit AgwModem(AgwConfig config, QObject* parent = nullptr);
    ~AgwModem() override;

    bool listen(QString* error);
    quint16 commandPort() const { return m_commandServer.serverPort(); }
    quint16 kissPort() const { return m_kissServer.serverPort(); }
    bool tncUp() const { return m_agw.state() == QAbstractSocket::ConnectedState; }

    // Ends the link, if any, as the TNC should see it, then calls `done`
    // (at the latest after `ms`): for a clean exit.
    void shutdown(std::function<void()> done, int ms = 3000);

    void setLogger(std::function<void(const QString&)> logger) { m_log = std::move(logger); }

private:
    enum class Port { Command, Data, Kiss };
    enum class Link { Idle, Calling, Up, Closing };

    void accept(Port port);
    void hostGone(Port port, QTcpSocket* socket);
    void readCommands();
    void execute(const ModemCommand& c);
    void readHostData();
    void readHostKiss();
    void reply(const QByteArray& line);
    void send(QTcpSocket* socket, QByteArrayView bytes);

    void tryTnc();
    void agwUp();
    void agwLost();
    void readAgw();
    void handle(const agw::Frame& f);
    void toTnc(const agw::Frame& f);
    void setCall(const QString& call);

    void linkDown();
    void endLink();
    void feedTnc();
    void askOutstanding();
    void acknowledged(quint64 frames);
    void reportBuffer();
    void transmitted(const agw::Frame& f);

    void note(const QString& what) const;

    AgwConfig m_config;
    QTcpServer m_commandServer;
    QTcpServer m_dataServer;
    QTcpServer m_kissServer;
    QPointer<QTcpSocket> m_command;
    QPointer<QTcpSocket> m_data;
    QPointer<QTcpSocket> m_kiss;
    LineSplitter m_lines;
    KissSplitter m_kissFromHost;

    QTcpSocket m_agw;
    QTcpSocket m_tncKiss;
    KissSplitter m_kissFromTnc;
    agw::Reader m_reader;
    QTimer m_retry;
    QString m_registered; // the call the TNC holds for us, empty when none

    Link m_link = Link::Idle;
    QString m_own;
    QString m_far;
    QStringList m_digis;
    QByteArray m_pending;         // host bytes not yet given to the TNC
    std::deque<qsizetype> m_sent; // sizes of frames given, not yet acknowledged
    quint64 m_sentTotal = 0;      // frames given to the TNC on this link
    quint64 m_ackedTotal = 0;     // frames of those acknowledged
    std::deque<quint64> m_asked;  // m_sentTotal at each 'Y' not yet answered
    qint64 m_reported = 0;        // the last BUFFER figure
    QTimer m_poll;
    QTimer m_closeLimit;

    bool m_ptt = false;
    qint64 m_pttEndMs = 0;
    QElapsedTimer m_clock;
    QTimer m_pttOff;

    std::function<void()> m_shutdownDone;
    QTimer m_shutdownLimit;
    std::function<void(const QString&)> m_log;
};

} // namespace kolt::modem
