#include "AgwOptions.h"

#include "CommandLine.h"
#include "HostPorts.h"
#include "config/TextoIni.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <optional>

namespace kolt::modem {

namespace {

constexpr qint64 kMaxIniBytes = 64 * 1024;

std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < low || v > high) return std::nullopt;
    return v;
}

std::string endpointText(const Endpoint& e)
{
    return QStringLiteral("%1:%2").arg(e.host).arg(e.port).toStdString();
}

// The TNC's settings from the file, defaults for what is missing or bad;
// a missing file is written with the defaults for the operator to edit.
void readSettings(const QString& path, AgwConfig& c)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        config::TextoIni ini;
        ini.set("TNC", "AGW", endpointText(c.agw));
        ini.set("TNC", "KISS", endpointText(c.tncKiss));
        ini.set("TNC", "PACLEN", std::to_string(c.paclen));
        QFile out(path);
        const std::string text =
            "; kolt-modem-agw: where the soft TNC listens\r\n" + ini.serialize();
        if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            out.write(text.data(), qint64(text.size()));
        return;
    }
    const QByteArray bytes = file.read(kMaxIniBytes);
    const config::TextoIni ini(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    auto value = [&](const char* key) {
        return QString::fromStdString(ini.get("TNC", key).value_or(std::string()));
    };
    Endpoint e;
    if (ParseEndpoint(value("AGW"), e)) c.agw = e;
    if (ParseEndpoint(value("KISS"), e)) c.tncKiss = e;
    if (const auto n = number(value("PACLEN"), 1, kMaxPaclen)) c.paclen = *n;
}

} // namespace

bool ParseEndpoint(const QString& text, Endpoint& out)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0) return false;
    const auto port = number(text.mid(colon + 1), 1, 65535);
    const QString host = text.left(colon).trimmed();
    if (!port || host.isEmpty()) return false;
    out = {host, quint16(*port)};
    return true;
}

AgwParsed ParseAgwOptions(const QStringList& arguments, const QString& folder)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("A modem for KOLT Chat over a soft TNC's AGW interface: an AX.25\n"
                       "connected-mode link carries the chat's data port, the TNC's KISS port\n"
                       "its CQ calls and broadcasts. Without --listen it serves the ports of\n"
                       "\"KOLT Chat.ini\" beside it; the TNC's addresses are read from\n"
                       "\"%1\" beside it (written with the defaults when missing).")
            .arg(QString::fromLatin1(kSettingsFile)));
    const CommonOptions common;
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Command port; the data port is PORT + 1."),
                                    QStringLiteral("PORT"));
    const QCommandLineOption kissListen(QStringLiteral("kiss-listen"),
                                        QStringLiteral("The chat's KISS port."),
                                        QStringLiteral("PORT"));
    const QCommandLineOption agwOption(
        QStringLiteral("agw"), QStringLiteral("The TNC's AGW interface (default 127.0.0.1:8000)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption tncKiss(
        QStringLiteral("tnc-kiss"), QStringLiteral("The TNC's KISS port (default 127.0.0.1:8001)."),
        QStringLiteral("HOST:PORT"));
    const QCommandLineOption paclen(
        QStringLiteral("paclen"),
        QStringLiteral("Largest data frame given to the TNC, 1 to %1 (default 256).")
            .arg(kMaxPaclen),
        QStringLiteral("N"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print one line per event."));
    p.addOptions(
        {common.help, common.version, listen, kissListen, agwOption, tncKiss, paclen, verbose});

    AgwParsed out;
    auto fail = [&](const QString& why) {
        out.outcome = AgwParsed::Outcome::Error;
        out.text = why;
        return out;
    };
    out.outcome = ReadCommandLine(p, arguments, common, QStringLiteral("kolt-modem-agw"), out.text);
    if (out.outcome != Outcome::Run) return out;

    AgwConfig& c = out.config;
    const QDir dir(folder);
    if (p.isSet(listen)) {
        const auto port = number(p.value(listen), 0, 65534);
        if (!port) return fail(QStringLiteral("--listen wants a port from 0 to 65534"));
        c.commandPort = quint16(*port);
        c.kiss = false;
    } else {
        const HostPorts host = HostPortsFromIni(dir.filePath(QStringLiteral("KOLT Chat.ini")));
        c.commandPort = host.command;
        c.kissPort = host.kiss;
        c.call = host.call;
    }
    if (p.isSet(kissListen)) {
        const auto port = number(p.value(kissListen), 0, 65535);
        if (!port) return fail(QStringLiteral("--kiss-listen wants a port from 0 to 65535"));
        c.kiss = true;
        c.kissPort = quint16(*port);
    }
    if (!p.isSet(agwOption) || !p.isSet(tncKiss) || !p.isSet(paclen))
        readSettings(dir.filePath(QString::fromLatin1(kSettingsFile)), c);
    if (p.isSet(agwOption) && !ParseEndpoint(p.value(agwOption), c.agw))
        return fail(QStringLiteral("--agw wants HOST:PORT"));
    if (p.isSet(tncKiss) && !ParseEndpoint(p.value(tncKiss), c.tncKiss))
        return fail(QStringLiteral("--tnc-kiss wants HOST:PORT"));
    if (p.isSet(paclen)) {
        const auto n = number(p.value(paclen), 1, kMaxPaclen);
        if (!n) return fail(QStringLiteral("--paclen wants a number from 1 to %1").arg(kMaxPaclen));
        c.paclen = *n;
    }
    out.verbose = p.isSet(verbose);
    return out;
}

} // namespace kolt::modem
