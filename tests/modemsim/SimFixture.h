#pragma once
// A simulator running in the test's own event loop, on free loopback ports,
// with host clients attached to its stations on demand.

#include "HostClient.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace kolt::modemsim::testing {

class SimFixture : public ::testing::Test {
protected:
    // Stations N0CALL-1, N0CALL-3 and N0CALL-4 with KISS ports, robot
    // N0CALL-2; no waiting anywhere unless a test asks for it.
    static Options quickOptions()
    {
        Options o;
        for (const char* call : {"N0CALL-1", "N0CALL-3", "N0CALL-4"})
            o.stations.append({call, {0, true, 0}});
        o.robots = {QStringLiteral("N0CALL-2")};
        o.robot.replyDelayMs = 0;
        o.air.airRate = 0;
        o.air.setupMs = 0;
        return o;
    }

    void start(const Options& options = quickOptions())
    {
        m_sim = std::make_unique<Simulator>(options);
        m_sim->air().setLogger([this](const QString& line) { m_log.append(line); });
        QString error;
        ASSERT_TRUE(m_sim->start(&error)) << error.toStdString();
    }

    // The host of a station, connected on first use.
    HostClient& host(const QString& call)
    {
        auto& h = m_hosts[call];
        if (!h) {
            PortStation* s = m_sim->station(call);
            EXPECT_NE(s, nullptr) << call.toStdString();
            h = std::make_unique<HostClient>();
            EXPECT_TRUE(h->open(s->commandPort(), s->dataPort(), s->kissPort()));
            // Both clients are accepted before the test goes on.
            EXPECT_TRUE(waitUntil([&] { return s->onAir(); }, kWaitMs));
        }
        return *h;
    }

    // Links `caller` to `called` and waits until both hosts were told.
    void link(const QString& caller, const QString& called)
    {
        const QString line = QStringLiteral("CONNECTED ") + caller + u' ' + called;
        const bool calledIsStation = m_sim->station(called) != nullptr;
        if (calledIsStation) host(called); // a station is callable once its host is attached
        host(caller).send(("CONNECT " + caller + ' ' + called).toLatin1());
        ASSERT_TRUE(host(caller).waitFor(line));
        if (calledIsStation) {
            ASSERT_TRUE(host(called).waitFor(line));
        }
    }

    void TearDown() override
    {
        m_hosts.clear();
        m_sim.reset();
    }

    QStringList m_log; // the simulator's --verbose lines
    std::unique_ptr<Simulator> m_sim;
    std::map<QString, std::unique_ptr<HostClient>> m_hosts;
};

} // namespace kolt::modemsim::testing
