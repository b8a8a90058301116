#include "CommandLine.h"

#include <QCoreApplication>

namespace kolt::modem {

Outcome ReadCommandLine(QCommandLineParser& p, const QStringList& arguments,
                        const CommonOptions& common, const QString& program, QString& text)
{
    if (!p.parse(arguments)) {
        text = p.errorText();
        return Outcome::Error;
    }
    if (!p.positionalArguments().isEmpty()) {
        text = QStringLiteral("unexpected argument: ") + p.positionalArguments().front();
        return Outcome::Error;
    }
    if (p.isSet(common.help)) {
        text = p.helpText();
        return Outcome::Help;
    }
    if (p.isSet(common.version)) {
        text = program + QLatin1Char(' ') + QCoreApplication::applicationVersion();
        return Outcome::Version;
    }
    return Outcome::Run;
}

} // namespace kolt::modem
