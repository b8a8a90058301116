#pragma once
// The radio serial port as the PTT controller sees it: open with a settings
// text, drive the two modem lines, write a command, close. The program uses
// LineaSerieQt; tests record the calls on a double, since no machine here
// has RTS and DTR lines to watch.

#include <QByteArray>
#include <QString>

#include <string_view>

namespace kolt::keying {

enum class ErrorApertura {
    None,
    NotFound,         // no such device
    PermissionDenied, // the user may not open the device
    Busy,             // another program holds it
    BadSettings,      // the settings text is not one the port understands
    Other,
};

struct ResultadoApertura {
    ErrorApertura error = ErrorApertura::None;
    QString group; // with PermissionDenied: the group that owns the device, when known
    bool ok() const { return error == ErrorApertura::None; }
};

class LineaSerie {
public:
    virtual ~LineaSerie() = default;

    // Opens `device` (a path, or a name under /dev) with a settings text such
    // as "4800,n,8,2". The port must be closed.
    virtual ResultadoApertura open(const QString& device, std::string_view settings) = 0;
    virtual bool isOpen() const = 0;

    // False when the port is closed or the device has no modem lines (a pty,
    // some USB adapters); the port stays usable for writing either way.
    virtual bool setRts(bool on) = 0;
    virtual bool setDtr(bool on) = 0;

    // Never waits for the device: the bytes leave in the order written,
    // and an unkey command written just before close() still reaches the
    // radio.
    virtual bool write(const QByteArray& bytes) = 0;

    virtual void close() = 0;
};

} // namespace kolt::keying
