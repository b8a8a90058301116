#pragma once
// kolt-modem-agw on free loopback ports, for its tests.

#include "AgwModem.h"

#include <gtest/gtest.h>

namespace kolt::test {

// A modem in front of the TNC whose AGW port is `agw`, with a KISS port of
// its own when `tncKiss` names the TNC's.
inline std::unique_ptr<modem::AgwModem> ModemAgw(quint16 agw, quint16 tncKiss = 0)
{
    modem::AgwConfig c;
    c.commandPort = c.kissPort = 0; // free ports
    c.kiss = tncKiss != 0;
    c.agw = {QStringLiteral("127.0.0.1"), agw};
    c.tncKiss = {QStringLiteral("127.0.0.1"), tncKiss};
    auto m = std::make_unique<modem::AgwModem>(c);
    QString error;
    EXPECT_TRUE(m->listen(&error)) << error.toStdString();
    return m;
}

} // namespace kolt::test
