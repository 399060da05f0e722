#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QtTest>

// Tests that send discovery traffic refuse to run outside a private network namespace.
#define REQUIRE_PRIVATE_NETWORK()                                                                  \
    QVERIFY2(qEnvironmentVariableIsSet("ORVANE_PRIVATE_NETWORK"),                                  \
             "run this test through ctest, never on the host's network")

// orvane-device-sim answering while the object lives: here, or on a test bed host ("dev1").
class Simulator {
public:
    explicit Simulator(const QStringList &arguments, const QString &host = QString())
    {
        const QString hostNamespace = qEnvironmentVariable("ORVANE_TESTBED") + '-' + host;
        if (host.isEmpty())
            process.start(ORVANE_DEVICE_SIM, arguments);
        else
            process.start("ip", QStringList{"netns", "exec", hostNamespace, ORVANE_DEVICE_SIM} +
                                    arguments);
        const QDeadlineTimer deadline(5000);
        while (!listening && process.waitForReadyRead(int(deadline.remainingTime())))
            listening = !lines("listening on ").isEmpty();
    }
    ~Simulator()
    {
        process.kill();
        process.waitForFinished();
    }

    // Its lines so far that start so: "request " per request heard, "answered " per round.
    QStringList lines(const QString &start)
    {
        process.waitForReadyRead(0);
        output +=
            QString::fromUtf8(process.readAllStandardOutput()).remove('\r'); // Windows' text mode
        return output.split('\n').filter(
            QRegularExpression('^' + QRegularExpression::escape(start)));
    }

    QProcess process;
    bool listening = false;

private:
    QString output;
};
