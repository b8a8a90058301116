#pragma once
// What every modem program's command line shares: -h/--help, --version, no
// positional arguments, and what comes of reading them. Each program adds
// its own options to the parser and reads them when the outcome is Run.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace kolt::modem {

enum class Outcome { Run, Help, Version, Error };

struct CommonOptions {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Show the version.")};
};

// Parses `arguments` (argv[0] first) with `p`, which holds `common` among
// its options. Anything but Run leaves in `text` the help, the version line
// ("<program> <version>") or what is wrong.
Outcome ReadCommandLine(QCommandLineParser& p, const QStringList& arguments,
                        const CommonOptions& common, const QString& program, QString& text);

} // namespace kolt::modem
