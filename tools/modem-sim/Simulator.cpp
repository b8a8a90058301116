#include "Simulator.h"

namespace kolt::modemsim {

Simulator::Simulator(const Options& options, QObject* parent)
    : QObject(parent), m_options(options), m_air(options.air)
{
    for (const StationSpec& spec : options.stations)
        m_stations.push_back(std::make_unique<PortStation>(m_air, spec.call));
    for (const QString& call : options.robots)
        m_robots.push_back(std::make_unique<Robot>(m_air, call, options.robot));
}

Simulator::~Simulator()
{
    m_robots.clear();
    m_stations.clear();
}

bool Simulator::start(QString* error)
{
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        QString why;
        const StationSpec& spec = m_options.stations[qsizetype(i)];
        if (!m_stations[i]->listen(m_options.listen, spec.ports, &why)) {
            *error = spec.call + QStringLiteral(": ") + why;
            return false;
        }
    }
    return true;
}

PortStation* Simulator::station(const QString& call) const
{
    for (const auto& s : m_stations)
        if (s->call().compare(call, Qt::CaseInsensitive) == 0) return s.get();
    return nullptr;
}

QStringList Simulator::describe() const
{
    QStringList lines;
    for (const auto& s : m_stations) {
        QString line = QStringLiteral("station %1 command %2 data %3")
                           .arg(s->call())
                           .arg(s->commandPort())
                           .arg(s->dataPort());
        if (s->kissPort() != 0) line += QStringLiteral(" KISS %1").arg(s->kissPort());
        lines.append(line);
    }
    for (const auto& r : m_robots)
        lines.append(QStringLiteral("robot ") + r->call());
    return lines;
}

} // namespace kolt::modemsim
