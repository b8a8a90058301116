#pragma once
// What every modem program shares with the host beside it: the ports the host
// expects (read from its "KOLT Chat.ini") and the command/data port pair.

#include <QHostAddress>
#include <QString>
#include <QTcpServer>

namespace kolt::modem {

struct HostPorts {
    QString call;           // "My Callsign", or "N0CALL-1"
    quint16 command = 8300; // the command port of the host's "KOLT Mode"
    quint16 kiss = 8100;    // "KISS TCP Port"

    bool operator==(const HostPorts&) const = default;
};

// The ports a host configured by `iniPath` connects to; defaults for
// anything absent or unusable, or when there is no file.
HostPorts HostPortsFromIni(const QString& iniPath);

// Binds `command` and `data` to the pair (port, port + 1) on `address`, the
// way the host finds them; port 0 looks for any free pair. On failure both
// are closed and `error` says why.
bool ListenPair(QTcpServer& command, QTcpServer& data, const QHostAddress& address, quint16 port,
                QString* error);

} // namespace kolt::modem
