#include "Options.h"

#include "CommandLine.h"
#include "HostPorts.h"

#include "config/Indicativo.h"

#include <QCommandLineParser>

#include <optional>

namespace kolt::modemsim {

namespace {

const char* const kDefaultCall = "N0CALL-1";
const char* const kDefaultRobot = "N0CALL-2";

std::optional<QString> validCall(const QString& text)
{
    std::string call = text.trimmed().toStdString();
    if (call.empty() || !config::ComprobarIndicativo(call)) return std::nullopt;
    return QString::fromStdString(call);
}

// A decimal number in [low, high], or nothing.
std::optional<qint64> number(const QString& text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high) return std::nullopt;
    return v;
}

} // namespace

bool ParseStationSpec(const QString& text, StationSpec& out)
{
    const QStringList f = text.split(u':');
    if (f.size() < 2 || f.size() > 3) return false;
    const auto call = validCall(f[0]);
    const auto command = number(f[1], 0, 65534); // the data port is one above
    if (!call || !command) return false;
    StationSpec spec{*call, {quint16(*command), false, 0}};
    if (f.size() == 3) {
        const auto kiss = number(f[2], 0, 65535);
        if (!kiss) return false;
        spec.ports.kiss = true;
        spec.ports.kissPort = quint16(*kiss);
    }
    out = spec;
    return true;
}

StationSpec StationFromIni(const QString& iniPath)
{
    const modem::HostPorts host = modem::HostPortsFromIni(iniPath);
    return {host.call, {host.command, true, host.kiss}};
}

ParsedOptions ParseOptions(const QStringList& arguments, const QString& iniPath)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "A stand-in for the sound-card modem: one simulated radio channel shared by\n"
        "stations (each with a command port, a data port one above it and a KISS port)\n"
        "and scripted remote operators. Without --station it serves the ports of\n"
        "\"KOLT Chat.ini\" beside it (8300, 8301 and 8100 without the file), with the\n"
        "robot N0CALL-2 unless --robot is given."));
    const modem::CommonOptions common;
    const QCommandLineOption station(
        QStringLiteral("station"),
        QStringLiteral("A station driven over TCP; data port = PORT + 1; "
                       "port 0 picks free ports. Repeatable."),
        QStringLiteral("CALL:PORT[:KISSPORT]"));
    const QCommandLineOption robot(QStringLiteral("robot"),
                                   QStringLiteral("A scripted remote operator. Repeatable."),
                                   QStringLiteral("CALL"));
    const QCommandLineOption echo(QStringLiteral("robot-echo-files"),
                                  QStringLiteral("Robots send every file frame back unchanged."));
    const QCommandLineOption delay(QStringLiteral("robot-delay-ms"),
                                   QStringLiteral("A robot's pause before each reply (default %1).")
                                       .arg(RobotConfig::kDefaultReplyDelayMs),
                                   QStringLiteral("N"));
    const QCommandLineOption rate(
        QStringLiteral("air-rate"),
        QStringLiteral("Bytes per second at 2300 Hz; BW500 and BW2750 scale "
                       "it; 0 = as fast as possible (default %1).")
            .arg(AirConfig::kDefaultAirRate),
        QStringLiteral("BYTES_PER_S"));
    const QCommandLineOption setup(
        QStringLiteral("setup-ms"),
        QStringLiteral("Time a CONNECT takes (default %1).").arg(AirConfig::kDefaultSetupMs),
        QStringLiteral("N"));
    const QCommandLineOption chunk(
        QStringLiteral("max-chunk"),
        QStringLiteral("Deliver data-port bytes in chunks of random size up "
                       "to N, one chunk per tick (default 0: no cut)."),
        QStringLiteral("N"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the chunk sizes (default 1)."),
                                  QStringLiteral("N"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Address the ports listen on (default 127.0.0.1)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"), QStringLiteral("Print one line per event on standard output."));
    p.addOptions({common.help, common.version, station, robot, echo, delay, rate, setup, chunk,
                  seed, listen, verbose});

    ParsedOptions out;
    auto fail = [&](const QString& why) {
        out.outcome = ParsedOptions::Outcome::Error;
        out.text = why;
        return out;
    };
    out.outcome = ReadCommandLine(p, arguments, common, QStringLiteral("kolt-modem-sim"), out.text);
    if (out.outcome != ParsedOptions::Outcome::Run) return out;

    Options& o = out.options;
    // Each numeric option, checked against its range.
    struct Numeric {
        const QCommandLineOption& option;
        qint64 high;
        std::function<void(qint64)> store;
    };
    const Numeric numerics[] = {
        {rate, 100'000'000, [&](qint64 v) { o.air.airRate = int(v); }},
        {setup, 600'000, [&](qint64 v) { o.air.setupMs = int(v); }},
        {chunk, 16 * 1024 * 1024, [&](qint64 v) { o.air.maxChunk = int(v); }},
        {seed, 0xFFFFFFFF, [&](qint64 v) { o.air.seed = quint32(v); }},
        {delay, 600'000, [&](qint64 v) { o.robot.replyDelayMs = int(v); }},
    };
    for (const Numeric& n : numerics) {
        if (!p.isSet(n.option)) continue;
        const auto v = number(p.value(n.option), 0, n.high);
        if (!v)
            return fail(QStringLiteral("--%1 wants a number from 0 to %2")
                            .arg(n.option.names().front())
                            .arg(n.high));
        n.store(*v);
    }
    o.robot.echoFiles = p.isSet(echo);
    o.verbose = p.isSet(verbose);
    if (p.isSet(listen) && !o.listen.setAddress(p.value(listen)))
        return fail(QStringLiteral("--listen wants an IP address, not ") + p.value(listen));

    for (const QString& text : p.values(station)) {
        StationSpec spec;
        if (!ParseStationSpec(text, spec))
            return fail(QStringLiteral("bad --station ") + text +
                        QStringLiteral(", want CALL:PORT[:KISSPORT]"));
        o.stations.append(spec);
    }
    for (const QString& text : p.values(robot)) {
        const auto call = validCall(text);
        if (!call) return fail(QStringLiteral("bad --robot call sign ") + text);
        o.robots.append(*call);
    }
    if (o.stations.isEmpty()) {
        if (o.robots.isEmpty()) o.robots.append(QString::fromLatin1(kDefaultRobot));
        StationSpec spec = StationFromIni(iniPath);
        // The host renames its station at once (MYCALL); until then it must
        // not share a call with a robot.
        if (o.robots.contains(spec.call)) spec.call = QString::fromLatin1(kDefaultCall);
        o.stations.append(spec);
    }

    QStringList calls = o.robots;
    for (const StationSpec& s : o.stations)
        calls.append(s.call);
    calls.sort();
    for (qsizetype i = 1; i < calls.size(); ++i)
        if (calls[i] == calls[i - 1])
            return fail(QStringLiteral("call sign given twice: ") + calls[i]);
    return out;
}

} // namespace kolt::modemsim
