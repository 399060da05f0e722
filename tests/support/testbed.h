#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Tests that run inside the finder host of tests/testbed/testbed reach the
// other hosts through their network namespaces.
namespace testbed {

// The namespace of a host of the running test bed ("dev1", "stranger", ...).
QString hostNamespace(const QString &host);

// Runs a command on a host of the test bed and waits for it; true when it succeeded.
bool runOn(const QString &host, const QStringList &command);

} // namespace testbed

// orvane-device-sim running on one host of the test bed for as long as the object lives.
class SimulatedDevice {
public:
    SimulatedDevice(const QString &host, const QStringList &arguments);
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice &) = delete;
    SimulatedDevice &operator=(const SimulatedDevice &) = delete;

    // True once the simulator has bound its socket.
    bool waitUntilListening();
    // The "request ..." lines it has printed so far.
    QStringList requests() { return linesStartingWith("request "); }
    // The "answered ..." lines it has printed so far: one per round of answers sent.
    QStringList answered() { return linesStartingWith("answered "); }
    QString errors();

private:
    void readOutput();
    QStringList linesStartingWith(const QString &prefix);

    QProcess process_;
    QStringList lines_;
    QString pending_;
};
