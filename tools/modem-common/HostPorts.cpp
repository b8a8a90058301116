#include "HostPorts.h"

#include "config/Indicativo.h"
#include "config/TextoIni.h"
#include "config/Variante.h"

#include <QFile>

#include <optional>

namespace kolt::modem {

namespace {

constexpr qint64 kMaxIniBytes = 1024 * 1024;
constexpr int kPairAttempts = 64;

std::optional<quint16> port(const std::optional<std::string>& text, int high)
{
    if (!text) return std::nullopt;
    bool ok = false;
    const int v = QString::fromStdString(*text).trimmed().toInt(&ok);
    if (!ok || v < 1 || v > high) return std::nullopt;
    return quint16(v);
}

} // namespace

HostPorts HostPortsFromIni(const QString& iniPath)
{
    HostPorts out{QStringLiteral("N0CALL-1")};
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) return out;
    const QByteArray bytes = file.read(kMaxIniBytes);
    const config::TextoIni ini(std::string_view(bytes.constData(), std::size_t(bytes.size())));

    // The host picks its port by mode the same way: HF, SAT, anything else FM.
    const std::string mode = ini.get("Setup", "KOLT Mode").value_or("KOLTHF");
    const config::Variante v = config::kVariantes[config::Indice(config::VarianteDeTexto(mode))];
    const std::string key = std::string(config::NombreVariante(v)) + " TCP Port";
    if (const auto p = port(ini.get("Setup", key), 65534)) out.command = *p;
    if (const auto p = port(ini.get("Setup", "KISS TCP Port"), 65535)) out.kiss = *p;
    std::string call = QString::fromStdString(ini.get("Setup", "My Callsign").value_or(""))
                           .trimmed()
                           .toStdString();
    if (!call.empty() && config::ComprobarIndicativo(call)) out.call = QString::fromStdString(call);
    return out;
}

bool ListenPair(QTcpServer& command, QTcpServer& data, const QHostAddress& address, quint16 port,
                QString* error)
{
    const int attempts = port == 0 ? kPairAttempts : 1;
    for (int i = 0; i < attempts; ++i) {
        if (!command.listen(address, port)) {
            *error = QStringLiteral("command port %1: %2").arg(port).arg(command.errorString());
            return false;
        }
        const quint16 chosen = command.serverPort();
        if (chosen < 65535 && data.listen(address, chosen + 1)) return true;
        *error = QStringLiteral("data port %1: %2").arg(chosen + 1).arg(data.errorString());
        command.close();
    }
    return false;
}

} // namespace kolt::modem
