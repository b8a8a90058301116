#pragma once
// The host's command lines, read as the modem reads them.
//
// Vocabulary (keywords in any case, fields separated by blanks):
//
//     MYCALL call
//     CHAT ON
//     BW500 | BW2300 | BW2750
//     CONNECT me target [VIA digi1 [digi2]]
//     ABORT
//
// Every call sign must pass the station's call-sign rule and is kept in upper
// case. Anything else, a known keyword with the wrong fields included, is
// Wrong: the modem answers it with "WRONG" and changes nothing.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kolt::modem {

struct ModemCommand {
    enum class Kind { Wrong, MyCall, ChatOn, Bandwidth, Connect, Abort };
    Kind kind = Kind::Wrong;
    QString call;        // MYCALL: the new call; CONNECT: the caller
    QString target;      // CONNECT: the called station
    QStringList digis;   // CONNECT: zero, one or two digipeaters
    int bandwidthHz = 0; // BWnnn

    bool operator==(const ModemCommand&) const = default;
};

// One line without its line end, 8-bit text.
ModemCommand ParseCommand(QByteArrayView line);

} // namespace kolt::modem
