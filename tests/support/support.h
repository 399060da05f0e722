#pragma once

#include <QProcess>
#include <QtTest>

// Tests that send discovery traffic run only inside a private network namespace
// (tests/netns-run or the test bed); started any other way they refuse.
#define REQUIRE_PRIVATE_NETWORK()                                                                  \
    QVERIFY2(qEnvironmentVariableIsSet("ORVANE_PRIVATE_NETWORK"),                                  \
             "run this test through ctest, never on the host's network")

// orvane-device-sim answering for as long as the object lives: in this network
// namespace, or on a host ("dev1", "dev2") of the running test bed.
class Simulator {
public:
    explicit Simulator(const QStringList &arguments, const QString &host = QString());
    ~Simulator();

    bool isListening() const { return listening_; }
    // The lines it printed so far that start so: "request " for each request heard,
    // "answered " for each round of answers sent.
    QStringList lines(const QString &start);

    QProcess process;

private:
    QString output_;
    bool listening_ = false;
};
