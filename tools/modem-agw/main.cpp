// kolt-modem-agw: KOLT Chat's modem over a soft TNC's AGW interface. See
// AgwOptions.h for the command line and AgwModem.h for what it does.

#include "AgwModem.h"
#include "AgwOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kolt-modem-agw"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLT_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    using kolt::modem::AgwParsed;
    const AgwParsed parsed =
        kolt::modem::ParseAgwOptions(app.arguments(), app.applicationDirPath());
    switch (parsed.outcome) {
    case AgwParsed::Outcome::Help:
    case AgwParsed::Outcome::Version: out << parsed.text << Qt::endl; return 0;
    case AgwParsed::Outcome::Error:
        err << "kolt-modem-agw: " << parsed.text << " (see --help)" << Qt::endl;
        return 2;
    case AgwParsed::Outcome::Run: break;
    }

    kolt::modem::AgwModem modem(parsed.config);
    QElapsedTimer clock;
    clock.start();
    if (parsed.verbose)
        modem.setLogger([&](const QString& line) {
            out << QStringLiteral("%1 ").arg(clock.elapsed() / 1000.0, 9, 'f', 3) << line
                << Qt::endl;
        });
    QString error;
    if (!modem.listen(&error)) {
        err << "kolt-modem-agw: " << error << Qt::endl;
        return 1;
    }
    out << QStringLiteral("command %1 data %2")
               .arg(modem.commandPort())
               .arg(modem.commandPort() + 1);
    if (parsed.config.kiss) out << QStringLiteral(" KISS %1").arg(modem.kissPort());
    out << QStringLiteral(" AGW %1:%2").arg(parsed.config.agw.host).arg(parsed.config.agw.port)
        << Qt::endl;

    // A link must be ended on the air before the TNC connection closes, so
    // SIGTERM and SIGINT go through the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&] {
            char c;
            [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &c, 1);
            modem.shutdown([] { QCoreApplication::quit(); }, 2000);
        });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }
    return app.exec();
}
