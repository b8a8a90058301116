#pragma once
// One simulated radio channel with its stations and robots, built from the
// options: what the executable runs, and what tests run in-process.

#include "Air.h"
#include "Options.h"
#include "PortStation.h"
#include "Robot.h"

#include <QObject>

#include <memory>
#include <vector>

namespace kolt::modemsim {

class Simulator : public QObject {
    Q_OBJECT

public:
    explicit Simulator(const Options& options, QObject* parent = nullptr);
    ~Simulator() override;

    // Binds every station's ports; false, with the reason, when one cannot be.
    bool start(QString* error);

    Air& air() { return m_air; }
    PortStation* station(const QString& call) const;
    const std::vector<std::unique_ptr<PortStation>>& stations() const { return m_stations; }

    // One line per station and robot: its call and the ports it serves.
    QStringList describe() const;

private:
    Options m_options;
    Air m_air; // declared first: the stations leave it as they are destroyed
    std::vector<std::unique_ptr<PortStation>> m_stations;
    std::vector<std::unique_ptr<Robot>> m_robots;
};

} // namespace kolt::modemsim
