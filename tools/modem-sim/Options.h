#pragma once
// The simulator's command line, and the defaults it falls back on.
//
//   --station CALL:PORT[:KISSPORT]   a station the host drives (repeatable);
//                                    data port PORT + 1; port 0 picks free ports
//   --robot CALL                     a scripted remote operator (repeatable)
//   --robot-echo-files               robots send every file frame back
//   --robot-delay-ms N               a robot's time to think before each reply
//   --air-rate BYTES_PER_S           0 = as fast as possible
//   --setup-ms N                     time a CONNECT takes
//   --max-chunk N, --seed N          deliver data in chunks of random size <= N
//   --listen ADDRESS                 where the ports listen (127.0.0.1)
//   --verbose                        one line per event on standard output
//
// Without --station the one station comes from "KOLT Chat.ini" beside the
// program: the command port of its "KOLT Mode", that port + 1 and its "KISS
// TCP Port", or 8300, 8301 and 8100 without the file. Without --station and
// --robot there is also the robot "N0CALL-2", the host's default target.

#include "Air.h"
#include "PortStation.h"
#include "Robot.h"

#include "CommandLine.h"
#include <QHostAddress>
#include <QList>

#include <QString>
#include <QStringList>

namespace kolt::modemsim {

struct StationSpec {
    QString call;
    StationPorts ports;

    bool operator==(const StationSpec&) const = default;
};

struct Options {
    QList<StationSpec> stations;
    QStringList robots;
    RobotConfig robot;
    AirConfig air;
    QHostAddress listen = QHostAddress(QHostAddress::LocalHost);
    bool verbose = false;
};

struct ParsedOptions {
    using Outcome = kolt::modem::Outcome;
    Outcome outcome = Outcome::Run;
    Options options;
    QString text; // the help or version text, or what is wrong
};

// Reads the arguments (argv[0] first). `iniPath` is "KOLT Chat.ini" beside
// the program, read only when no --station is given.
ParsedOptions ParseOptions(const QStringList& arguments, const QString& iniPath);

// "CALL:PORT[:KISSPORT]"; false when malformed (bad call, port out of range).
bool ParseStationSpec(const QString& text, StationSpec& out);

// The station a host configured by `iniPath` expects: "My Callsign" (or
// "N0CALL-1"), the mode's command port and the KISS port, defaults for
// anything absent or unusable.
StationSpec StationFromIni(const QString& iniPath);

} // namespace kolt::modemsim
