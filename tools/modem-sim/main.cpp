// kolt-modem-sim: a stand-in for the sound-card modem, so that KOLT Chat can
// be tried and tested without a radio. See Options.h for the command line.

#include "Options.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kolt-modem-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KOLT_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    using kolt::modemsim::ParsedOptions;
    const ParsedOptions parsed = kolt::modemsim::ParseOptions(
        app.arguments(), QDir(app.applicationDirPath()).filePath(QStringLiteral("KOLT Chat.ini")));
    switch (parsed.outcome) {
    case ParsedOptions::Outcome::Help:
    case ParsedOptions::Outcome::Version: out << parsed.text << Qt::endl; return 0;
    case ParsedOptions::Outcome::Error:
        err << "kolt-modem-sim: " << parsed.text << " (see --help)" << Qt::endl;
        return 2;
    case ParsedOptions::Outcome::Run: break;
    }

    kolt::modemsim::Simulator simulator(parsed.options);
    QElapsedTimer clock;
    clock.start();
    if (parsed.options.verbose)
        simulator.air().setLogger([&](const QString& line) {
            out << QStringLiteral("%1 ").arg(clock.elapsed() / 1000.0, 9, 'f', 3) << line
                << Qt::endl;
        });
    QString error;
    if (!simulator.start(&error)) {
        err << "kolt-modem-sim: " << error << Qt::endl;
        return 1;
    }
    for (const QString& line : simulator.describe())
        out << line << Qt::endl;
    return app.exec();
}
