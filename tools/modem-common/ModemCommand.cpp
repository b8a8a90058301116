#include "ModemCommand.h"

#include "config/Indicativo.h"

#include <QRegularExpression>

namespace kolt::modem {

namespace {

// Upper-cases `text` and tells whether it is a call sign a link can use; the
// empty text is a valid setting elsewhere but never a station on the air.
bool takeCall(const QString& text, QString& out)
{
    std::string call = text.toStdString();
    if (call.empty() || !config::ComprobarIndicativo(call)) return false;
    out = QString::fromStdString(call);
    return true;
}

ModemCommand parseConnect(const QStringList& f)
{
    ModemCommand c;
    const bool shapeOk = f.size() == 3 || ((f.size() == 5 || f.size() == 6) && f[3] == u"VIA");
    if (!shapeOk || !takeCall(f[1], c.call) || !takeCall(f[2], c.target)) return {};
    for (qsizetype i = 4; i < f.size(); ++i) {
        QString digi;
        if (!takeCall(f[i], digi)) return {};
        c.digis.append(digi);
    }
    c.kind = ModemCommand::Kind::Connect;
    return c;
}

} // namespace

ModemCommand ParseCommand(QByteArrayView line)
{
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    const QStringList f = QString::fromLatin1(line).toUpper().split(blanks, Qt::SkipEmptyParts);
    if (f.isEmpty()) return {};
    const QString& word = f.front();

    ModemCommand c;
    if (word == u"MYCALL" && f.size() == 2) {
        if (takeCall(f[1], c.call)) c.kind = ModemCommand::Kind::MyCall;
    } else if (word == u"CHAT" && f.size() == 2 && f[1] == u"ON") {
        c.kind = ModemCommand::Kind::ChatOn;
    } else if (f.size() == 1 && (word == u"BW500" || word == u"BW2300" || word == u"BW2750")) {
        c.kind = ModemCommand::Kind::Bandwidth;
        c.bandwidthHz = word.mid(2).toInt();
    } else if (word == u"CONNECT") {
        c = parseConnect(f);
    } else if (word == u"ABORT" && f.size() == 1) {
        c.kind = ModemCommand::Kind::Abort;
    }
    return c;
}

} // namespace kolt::modem
