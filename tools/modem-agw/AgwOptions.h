#pragma once
// kolt-modem-agw's command line and its settings file.
//
//   --listen PORT          command port (data port = PORT + 1)
//   --kiss-listen PORT     the host's KISS port
//   --agw HOST:PORT        the TNC's AGW interface (127.0.0.1:8000)
//   --tnc-kiss HOST:PORT   the TNC's KISS port (127.0.0.1:8001)
//   --paclen N             largest data frame given to the TNC (256)
//   --verbose, --help, --version
//
// Without --listen the host's ports come from "KOLT Chat.ini" beside the
// program, as the stand-in modem takes them (KISS included). The TNC's
// addresses and PACLEN, unless given, come from kSettingsFile beside it,
// written with the defaults when it is missing.

#include "AgwModem.h"

#include "CommandLine.h"

#include <QString>
#include <QStringList>

namespace kolt::modem {

inline constexpr const char* kSettingsFile = "kolt-modem-agw.ini";
inline constexpr int kMaxPaclen = 2048; // a longer frame costs the TNC its client

struct AgwParsed {
    using Outcome = kolt::modem::Outcome;
    Outcome outcome = Outcome::Run;
    AgwConfig config;
    bool verbose = false;
    QString text; // help, version, or what is wrong
};

// `arguments` with argv[0] first; `folder` is the program's own.
AgwParsed ParseAgwOptions(const QStringList& arguments, const QString& folder);

// "HOST:PORT" with a port from 1 to 65535.
bool ParseEndpoint(const QString& text, Endpoint& out);

} // namespace kolt::modem
