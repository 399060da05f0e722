#pragma once

#include <QtTest>

// Tests that send discovery traffic run only inside the private network
// namespace that tests/netns-run makes; started any other way they refuse.
#define REQUIRE_PRIVATE_NETWORK()                                                                  \
    QVERIFY2(qEnvironmentVariableIsSet("ORVANE_PRIVATE_NETWORK"),                                  \
             "run this test through tests/netns-run (or ctest), never on the host's network")
